#include "core/files/settings.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace tarvin {

int Settings::decodeOptions() const
{
    return (showUnit ? 1 : 0) + (showNetwork ? 2 : 0) + (showApplication ? 4 : 0) +
           (showMessage ? 8 : 0);
}

std::optional<int> ParseStoredInt(const std::string& text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && text[begin] == ' ')
        ++begin;
    while (end > begin && text[end - 1] == ' ')
        --end;
    if (begin == end)
        return std::nullopt;
    const std::string trimmed = text.substr(begin, end - begin);
    for (std::size_t i = 0; i < trimmed.size(); ++i) {
        const char ch = trimmed[i];
        const bool sign = i == 0 && (ch == '-' || ch == '+') && trimmed.size() > 1;
        if (!sign && (ch < '0' || ch > '9'))
            return std::nullopt;
    }
    errno = 0;
    const long long value = std::strtoll(trimmed.c_str(), nullptr, 10);
    if (errno == ERANGE || value < INT_MIN || value > INT_MAX)
        return std::nullopt;
    return static_cast<int>(value);
}

void LoadSettings(Settings& settings, const SettingsLookup& lookup)
{
    const auto text = [&](const char* name, std::string& target) {
        if (auto value = lookup(name))
            target = *value;
    };
    const auto number = [&](const char* name, int& target) {
        if (auto value = lookup(name))
            if (auto parsed = ParseStoredInt(*value))
                target = *parsed;
    };
    const auto flag = [&](const char* name, bool& target) {
        if (auto value = lookup(name))
            if (auto parsed = ParseStoredInt(*value))
                target = *parsed != 0;
    };
    text("COMPort", settings.comPort);
    text("IPAddress", settings.ipAddress);
    number("Port", settings.port);
    number("ConnectionType", settings.connectionType);
    flag("ShowUnit", settings.showUnit);
    flag("ShowNetwork", settings.showNetwork);
    flag("ShowApplication", settings.showApplication);
    flag("ShowMessage", settings.showMessage);
    flag("HexNumbers", settings.hexNumbers);
    flag("ShowTime", settings.showTime);
    flag("AckChar", settings.ackChar);
    flag("ShowDate", settings.showDate);
    number("TimeDP", settings.timeDP);
    flag("ShowAllTools", settings.allTools);
    number("SessionCaptureLines", settings.sessionCaptureLines);
    settings.sessionCaptureLines =
        std::clamp(settings.sessionCaptureLines, kMinSessionCaptureLines, kMaxSessionCaptureLines);
}

std::vector<std::pair<std::string, std::string>> SettingsValues(const Settings& s)
{
    const auto b = [](bool v) { return std::string(v ? "1" : "0"); };
    return {
        {"COMPort", s.comPort},
        {"IPAddress", s.ipAddress},
        {"Port", std::to_string(s.port)},
        {"ConnectionType", std::to_string(s.connectionType)},
        {"CombineLists", b(s.combineLists)},
        {"ShowUnit", b(s.showUnit)},
        {"ShowNetwork", b(s.showNetwork)},
        {"ShowApplication", b(s.showApplication)},
        {"ShowMessage", b(s.showMessage)},
        {"ShowASCII", b(s.showAscii)},
        {"ShowDecodedMessage", b(s.showDecodedMessage)},
        {"HexNumbers", b(s.hexNumbers)},
        {"ShowTime", b(s.showTime)},
        {"AckChar", b(s.ackChar)},
        {"ShowDate", b(s.showDate)},
        {"TimeDP", std::to_string(s.timeDP)},
        {"SessionCaptureLines", std::to_string(s.sessionCaptureLines)},
        {"ShowAllTools", b(s.allTools)},
    };
}

} // namespace tarvin
