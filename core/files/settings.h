#pragma once
// The program settings and their text form in the settings store.

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tarvin {

constexpr int kMinSessionCaptureLines = 1000;
constexpr int kMaxSessionCaptureLines = 10000000;

struct Settings
{
    std::string comPort = "COM1";
    std::string ipAddress = "192.168.0.1";
    int port = 14000;
    int connectionType = 0; // 0 serial, anything else TCP
    bool combineLists = true;
    bool showUnit = false;
    bool showNetwork = false;
    bool showApplication = false;
    bool showMessage = true;
    bool hexNumbers = false;
    bool showTime = false;
    bool ackChar = false;
    bool showDate = false;
    int timeDP = 0;
    // Every tool within reach, not only the restricted diagnostic surface.
    bool allTools = false;
    // Lines of the live session kept for its capture view (a ring).
    int sessionCaptureLines = 1000000;
    // Saved only: the run always starts with these cleared or forced.
    bool showAscii = false;
    bool showDecodedMessage = true;

    bool usesTcp() const { return connectionType != 0; }
    // Sum of the decode option bits of the four "Show" settings.
    int decodeOptions() const;
};

using SettingsLookup = std::function<std::optional<std::string>(const std::string& name)>;

// Reads what the store holds into `settings`; missing values and texts that
// are not numbers where numbers are expected keep their defaults, silently.
void LoadSettings(Settings& settings, const SettingsLookup& lookup);
// The stored values, in the order they are written, every value as text.
std::vector<std::pair<std::string, std::string>> SettingsValues(const Settings& settings);

// A stored text read as a 32-bit signed integer, if it is one.
std::optional<int> ParseStoredInt(const std::string& text);

} // namespace tarvin
