// CAL messages, status replies, network control commands and the table that
// picks a command decoder by application.

#include "core/decode/commands.h"
#include "core/decode/values.h"

namespace tarvin {

void DecodeCAL(MessageReader& m, int options, bool idmon, std::string& out)
{
    if (m.length() < 4)
        return;
    int a = 1;
    // Only with IDMON does the interface put a header in front of CAL data.
    if (idmon) {
        a = m.at(4) + 5;
        if (options & ShowUnit)
            m.AppendSourceUnitText(out);
    }
    if (a > m.length())
        return;
    const int c = m.at(a);
    // Arguments are read only by the commands that have them, so a command
    // at the very end of a full buffer does not reach outside it.
    switch (c) {
    case 0x08:
        out += "CAL, Reset";
        return;
    case 0x11:
        out += "CAL, Unlock Parameter ";
        m.AppendNumber(out, m.at(a + 1));
        return;
    case 0x1A:
    case 0x2A:
        out += c == 0x1A ? "CAL, Recall Parameter " : "CAL, Get Status ";
        m.AppendNumber(out, m.at(a + 1));
        out += ", Count = ";
        m.AppendNumber(out, m.at(a + 2));
        return;
    case 0x21:
        out += "CAL, Identify ";
        m.AppendNumber(out, m.at(a + 1));
        return;
    case 0x32:
        out += "CAL, Acknowledge, Parameter ";
        m.AppendNumber(out, m.at(a + 1));
        return;
    default:
        break;
    }
    if (c >= 0x80 && c <= 0x9F) {
        out += "CAL, Reply, Parameter ";
        m.AppendNumber(out, m.at(a + 1));
    } else if (c >= 0xA0 && c <= 0xBF) {
        out += "CAL, Store Parameter ";
        m.AppendNumber(out, m.at(a + 1));
    } else if (c >= 0xC0 && c <= 0xDF) {
        out += "Status MMI";
    } else if (c >= 0xE0) {
        out += "Extended Format MMI";
    }
}

void DecodeStatusReply(MessageReader& m, std::string& out)
{
    const int header = m.at(1);
    if (header >= 0xE0)
        out += "Extended Format MMI";
    else if (header >= 0xC0)
        out += "Status MMI";
}

void DecodeNetworkControlCommand(MessageReader& m, int c, int p, std::string& out)
{
    switch (c) {
    case 0x04:
        out += "Learn App ";
        m.AppendNumber(out, m.at(p + 1));
        out += ", ";
        out += LearnTypeName(m.at(p + 2));
        out += ", GA ";
        m.AppendNumber(out, m.at(p + 3));
        return;
    case 0x73:
        if (m.at(p + 1) == 0x07) {
            out += "Level MMI Request for Application ";
            m.AppendNumber(out, m.at(p + 2));
            return;
        }
        break;
    case 0x7A:
        if (m.at(p + 1) == 0xFF) {
            out += "Installation MMI Request";
        } else {
            out += "Status MMI Request for Application ";
            m.AppendNumber(out, m.at(p + 1));
        }
        return;
    default:
        break;
    }
    out += " Unknown";
}

CommandDecoder CommandDecoderFor(int application)
{
    // Room control, heating and the whole 30-7F range share the lighting
    // command set, wider than the range that is named "Lighting".
    if (application == 0x26 || application == 0x88 || (application >= 0x30 && application <= 0x7F))
        return DecodeLightingCommand;
    switch (application) {
    case 0x19:
        return DecodeTemperatureCommand;
    case 0xCA:
    case 0xCB:
        return DecodeTriggerEnableCommand;
    case 0xD0:
        return DecodeSecurityCommand;
    case 0xD5:
        return DecodeAccessControlCommand;
    case 0xDF:
        return DecodeClockCommand;
    case 0xE0:
        return DecodeTelephonyCommand;
    case 0xE4:
        return DecodeMeasurementCommand;
    case 0xFF:
        return DecodeNetworkControlCommand;
    default:
        return nullptr;
    }
}

} // namespace tarvin
