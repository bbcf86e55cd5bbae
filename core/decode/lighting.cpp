// Lighting, trigger/enable control and temperature broadcast commands.

#include "core/decode/commands.h"
#include "core/decode/values.h"

namespace tarvin {

namespace {

void AppendGroup(MessageReader& m, int p, std::string& out)
{
    out += "GA ";
    m.AppendNumber(out, m.at(p + 1));
}

} // namespace

void DecodeLightingCommand(MessageReader& m, int c, int p, std::string& out)
{
    switch (c) {
    case 0x01:
        AppendGroup(m, p, out);
        out += " Off";
        return;
    case 0x02:
        AppendGroup(m, p, out);
        out += " Set to ";
        AppendLevelText(out, m.at(p + 2), m.hexNumbers());
        return;
    case 0x03:
        out += "Learn ";
        out += LearnTypeName(m.at(p + 1));
        out += ", GA ";
        m.AppendNumber(out, m.at(p + 2));
        return;
    case 0x79:
        AppendGroup(m, p, out);
        out += " On";
        return;
    default:
        break;
    }
    if (const char* rate = RampRateName(c)) {
        AppendGroup(m, p, out);
        out += " Ramp to ";
        AppendLevelText(out, m.at(p + 2), m.hexNumbers());
        out += " over ";
        out += rate;
        return;
    }
    out += " Unknown";
}

void DecodeTriggerEnableCommand(MessageReader& m, int c, int p, std::string& out)
{
    switch (c) {
    case 0x01:
        AppendGroup(m, p, out);
        out += " Off";
        return;
    case 0x02:
        AppendGroup(m, p, out);
        out += " Set to ";
        m.AppendNumber(out, m.at(p + 2));
        return;
    case 0x09:
        AppendGroup(m, p, out);
        out += " Scene Indicator Kill";
        return;
    case 0x79:
        AppendGroup(m, p, out);
        out += " On";
        return;
    default:
        break;
    }
    if (const char* rate = RampRateName(c)) {
        // A ramp rate means nothing to trigger and enable groups.
        AppendGroup(m, p, out);
        out += " Set to ";
        m.AppendNumber(out, m.at(p + 2));
        out += " over ";
        out += rate;
        out += " - illegal Application Use";
        return;
    }
    out += " Unknown";
}

void DecodeTemperatureCommand(MessageReader& m, int c, int p, std::string& out)
{
    if (c != 0x02) {
        out += " Unknown";
        return;
    }
    out += "GA ";
    m.AppendNumber(out, m.at(p + 1));
    out += " is at ";
    // Quarter degrees to tenths, an exact half rounding up (63.75 -> 63.8),
    // in integers so the rounding does not depend on binary fractions.
    const int tenths = (m.at(p + 2) * 25 + 5) / 10;
    const int whole = tenths / 10;
    if (whole < 10)
        out.push_back(' ');
    out += std::to_string(whole);
    out.push_back('.');
    out.push_back(static_cast<char>('0' + tenths % 10));
    out.push_back('C');
}

} // namespace tarvin
