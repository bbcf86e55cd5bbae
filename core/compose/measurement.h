#pragma once
// The measurement broadcast: device, channel, unit, signed decimal exponent
// and signed 16-bit value; the quantity is value x 10^exponent.
//
// Body only: the caller prepends SALHeader(kMeasurementApp); see
// compose_common.h.

#include "core/compose/compose_common.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace tarvin::compose {

// MeasurementComboBox items; code = the unit code sent.
inline constexpr std::array<CodedItem, 42> kMeasurementUnits{{
    {"Degrees C", 0x00},    {"Amps", 0x01},          {"Degrees (angle)", 0x02},
    {"Coulomb", 0x03},      {"Boolean", 0x04},       {"Farads", 0x05},
    {"enrys", 0x06},        {"Hertz", 0x07},         {"Joules", 0x08},
    {"Katal", 0x09},        {"kg / m3", 0x0A},       {"kg", 0x0B},
    {"Litres", 0x0C},       {"Litres / Hour", 0x0D}, {"Litres / Min", 0x0E},
    {"Litres / Sec", 0x0F}, {"Lux", 0x10},           {"Metres", 0x11},
    {"Metres / Min", 0x12}, {"Metres / Sec", 0x13},  {"Metres / Sec 2", 0x14},
    {"Mole", 0x15},         {"Newton Metre", 0x16},  {"Newtons", 0x17},
    {"Ohms", 0x18},         {"Pascal", 0x19},        {"%", 0x1A},
    {"dB", 0x1B},           {"PPM", 0x1C},           {"RPM", 0x1D},
    {"Seconds", 0x1E},      {"Minutes", 0x1F},       {"Hours", 0x20},
    {"Sieverts", 0x21},     {"Steradian", 0x22},     {"Tesla", 0x23},
    {"Volts", 0x24},        {"Watt Hours", 0x25},    {"Watts", 0x26},
    {"Webers", 0x27},       {"No Units", 0xFE},      {"Custom", 0xFF},
}};

constexpr int kExponentMin = -128;
constexpr int kExponentMax = 127;
constexpr int kValueMin = -32768;
constexpr int kValueMax = 32767;

inline constexpr char kInvalidExponent[] = "Invalid Exponent.";
inline constexpr char kInvalidValue[] = "Invalid Value.";

// Everything from the first "." on is cut off ("2.7" gives "2").
std::string CutAtPoint(const std::string& text);

// A decimal integer (optional sign, blanks around it allowed), clamped to
// lo..hi; nothing when the text is not an integer.
std::optional<int> ReadInteger(const std::string& text, int lo, int hi);

// What a spin field holds when the user leaves it: a text that is not an
// integer reads as the minimum, anything else is kept within lo..hi.
int SpinFieldValue(const std::string& text, int lo, int hi);

struct MeasurementResult
{
    std::string body;
    // The field texts after the "." cut, to be written back into the fields.
    std::string exponentText;
    std::string valueText;
    // Information boxes to show ("Invalid Exponent.", "Invalid Value."); the
    // body is empty, and nothing is sent, when there is one.
    std::vector<std::string> notices;
};

// "0E" + device + channel + unit code + exponent (signed byte) + value
// (signed 16 bits, most significant byte first). An out-of-range unit index
// or a field that is not a number gives an empty body.
MeasurementResult MeasurementBody(int device, int channel, int unitIndex,
                                  const std::string& exponentText, const std::string& valueText);

} // namespace tarvin::compose
