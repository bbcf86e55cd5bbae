#pragma once
// Shared pieces of the command composers.
//
// Convention of every composer in this directory: a function returns the
// command BODY only, upper-case hexadecimal pairs without header, checksum,
// acknowledgement character or line end. The caller prepends the header
// (SALHeader for the application, or CALHeader) and hands the whole text to
// SendTarvinCommand. Functions that can refuse their input return a
// ComposeResult carrying either the bodies or the user's error text.

#include "core/link/framing.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarvin::compose {

// Application numbers the composers address.
constexpr int kLightingApp = 0x38;
constexpr int kTriggerControlApp = 0xCA;
constexpr int kEnableControlApp = 0xCB;
constexpr int kSecurityApp = 0xD0;
constexpr int kClockApp = 0xDF;
constexpr int kTelephonyApp = 0xE0;
constexpr int kMeasurementApp = 0xE4;

struct ComposeResult
{
    std::vector<std::string> commands; // bodies, in sending order
    std::string error;                 // the message box text when refused

    bool ok() const { return error.empty(); }

    static ComposeResult Body(std::string body) { return {{std::move(body)}, {}}; }
    static ComposeResult Error(std::string text) { return {{}, std::move(text)}; }
};

// A drop-down item and the byte it selects.
struct CodedItem
{
    std::string_view text;
    int code;
};

// A drop-down item and the body it sends.
struct BodyItem
{
    std::string_view text;
    std::string_view body;
};

// Low 16 bits of v as exactly four upper-case hex digits (two's complement).
std::string Hex4(int v);
// v limited to lo..hi.
int ClampInt(long long v, int lo, int hi);

} // namespace tarvin::compose
