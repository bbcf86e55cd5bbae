// Measurement broadcasts.

#include "core/decode/commands.h"
#include "core/decode/text.h"

#include <cstdint>

namespace tarvin {

namespace {

const char* const kUnitTexts[] = {
    " C",
    " Amps",
    " Degrees",
    " Coulombs",
    "",
    " Farads",
    " Henrys",
    " Hertz",
    " Joules",
    " Katal",
    " kg / m3",
    " kg",
    " Litres",
    " Litres / hour",
    " Litres / minute",
    " Litres / second",
    " Lux",
    " Metres",
    " Metres / minute",
    " Metres / second",
    " Metres / second2",
    " Moles",
    " Newton Metres",
    " Newtons",
    " Ohms",
    " Pascal",
    " %",
    " Decibels",
    " PPM",
    " RPM",
    " Seconds",
    " Minutes",
    " Hours",
    " Sieverts",
    " Steradian",
    " Tesla",
    " Volts",
    " Watt Hours",
    " Watts",
    " Webers",
};
static_assert(sizeof kUnitTexts / sizeof kUnitTexts[0] == 40, "unit codes 0..39");
constexpr int kBooleanUnit = 4;

} // namespace

void DecodeMeasurementCommand(MessageReader& m, int c, int p, std::string& out)
{
    if (c != 0x0E) {
        out += " Unknown";
        return;
    }
    out += "Device ";
    AppendDecimal(out, m.at(p + 1));
    out += " Channel ";
    AppendDecimal(out, m.at(p + 2));
    const int unit = m.at(p + 3);
    const int high = m.at(p + 5);
    const int low = m.at(p + 6);
    if (unit == kBooleanUnit) {
        out += (high != 0 || low != 0) ? " = TRUE" : " = FALSE";
        return;
    }
    const auto value = static_cast<std::int16_t>(static_cast<std::uint16_t>(high * 256 + low));
    const auto exponent = static_cast<std::int8_t>(static_cast<std::uint8_t>(m.at(p + 4)));
    out += " = ";
    AppendDecimal(out, value);
    out.push_back('E');
    AppendDecimal(out, exponent);
    if (unit < static_cast<int>(sizeof kUnitTexts / sizeof kUnitTexts[0]))
        out += kUnitTexts[unit];
}

} // namespace tarvin
