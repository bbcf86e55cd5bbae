// Security and access control commands.

#include "core/decode/commands.h"
#include "core/decode/text.h"

namespace tarvin {

namespace {

const char* ClearedCondition(int f)
{
    switch (f) {
    case 0x80:
        return "System Disarmed";
    case 0x83:
        return "Alarm Off";
    case 0x84:
        return "Tamper Off";
    case 0x85:
        return "Panic Off";
    case 0x8B:
        return "Battery OK";
    case 0x91:
        return "Mains Restored";
    case 0x94:
        return "Line Cut Alarm Cleared";
    case 0x95:
        return "Arm Failed Cleared";
    case 0x96:
        return "Fire Alarm Cleared";
    case 0x97:
        return "Gas Alarm Cleared";
    case 0x98:
        return "Other Alarm Cleared";
    case 0xA3:
        return "Drop Tamper";
    default:
        return nullptr;
    }
}

const char* RaisedCondition(int f)
{
    switch (f) {
    case 0x83:
        return "Alarm On";
    case 0x84:
        return "Tamper On";
    case 0x85:
        return "Panic On";
    case 0x8B:
        return "Battery Low";
    case 0x91:
        return "Mains Failure";
    case 0x92:
        return "Arm OK";
    case 0x94:
        return "Line Cut Alarm Raised";
    case 0x95:
        return "Arm Failed Raised";
    case 0x96:
        return "Fire Alarm Raised";
    case 0x97:
        return "Gas Alarm Raised";
    case 0x98:
        return "Other Alarm Raised";
    case 0xA3:
        return "Raise Tamper";
    case 0xA4:
        return "Raise Alarm";
    default:
        return nullptr;
    }
}

const char* SecurityEvent(int f)
{
    switch (f) {
    case 0x81:
        return "Exit Delay Started";
    case 0x82:
        return "Entry Delay Started";
    case 0xA0:
        return "Status Report 1 Request";
    case 0xA1:
        return "Status Report 2 Request";
    default:
        return nullptr;
    }
}

const char* KeypadKeyName(int v)
{
    switch (v) {
    case 0x0D:
        return "Enter";
    case 0x80:
        return "Shift";
    case 0x81:
        return "Panic";
    case 0x82:
        return "Fire";
    case 0x83:
        return "Arm";
    case 0x84:
        return "Away";
    case 0x85:
        return "Night";
    case 0x86:
        return "Day";
    case 0x87:
        return "Vacation";
    default:
        return nullptr;
    }
}

// Command 0A: a function code and one value. Returns false when unknown.
bool DecodeSecurityValue(int f, int v, std::string& out)
{
    auto zone = [&](const char* state) {
        out += "Zone ";
        AppendDecimal(out, v);
        out += state;
        return true;
    };
    switch (f) {
    case 0x86:
        return zone(" Unsealed");
    case 0x87:
        return zone(" Sealed");
    case 0x88:
        return zone(" Open");
    case 0x89:
        return zone(" Short");
    case 0x8A:
        return zone(" Isolated");
    case 0x8C:
        if (v == 0x00)
            out += "Battery Charging Stopped";
        else if (v == 0xFF)
            out += "Battery Charging Started";
        else
            return false;
        return true;
    case 0x90:
        switch (v) {
        case 1:
            out += "Password Entry Succeeded";
            return true;
        case 2:
            out += "Password Entry Failed";
            return true;
        case 3:
            out += "Password Entry Disabled";
            return true;
        case 4:
            out += "Password Entry Re-enabled";
            return true;
        default:
            return false;
        }
    case 0x92:
        if (v == 0) {
            out += "Arm OK";
        } else {
            out += "Arm Failed : Zone ";
            AppendDecimal(out, v);
            out += " Not Sealed";
        }
        return true;
    case 0x93:
        out += "Alarm Type - this message has been superseded";
        return true;
    case 0xA2:
        switch (v) {
        case 1:
            out += "Arm System : Away Mode";
            break;
        case 2:
            out += "Arm System : Night (Home) Mode";
            break;
        case 3:
            out += "Arm System : Day Mode";
            break;
        case 4:
            out += "Arm System : Vacation Mode";
            break;
        case 0xFF:
            out += "Arm System : Highest Level";
            break;
        default:
            out += "Arm System : unknown mode";
            break;
        }
        return true;
    case 0xA5:
        out += "Emulate Keypad : ";
        if (const char* key = KeypadKeyName(v)) {
            out += key;
        } else if (v >= 0x20 && v <= 0x7F) {
            out.push_back(static_cast<char>(v));
        } else {
            out.push_back('#');
            AppendDecimal(out, v);
        }
        return true;
    case 0xA7:
        out += "Request Zone ";
        AppendDecimal(out, v);
        out += " Name";
        return true;
    default:
        return false;
    }
}

} // namespace

void DecodeSecurityCommand(MessageReader& m, int c, int p, std::string& out)
{
    const int f = m.at(p + 1);
    const char* fixed = nullptr;
    switch (c) {
    case 0x01:
        fixed = ClearedCondition(f);
        break;
    case 0x79:
        fixed = RaisedCondition(f);
        break;
    case 0x09:
        fixed = SecurityEvent(f);
        break;
    case 0x0A: {
        const std::size_t mark = out.size();
        if (!DecodeSecurityValue(f, m.at(p + 2), out)) {
            out.resize(mark);
            out += " Unknown";
        }
        return;
    }
    default:
        if (f == 0x80 && c == 0x7A) {
            switch (m.at(p + 2)) {
            case 0:
                fixed = "System Disarmed";
                break;
            case 1:
                fixed = "System Fully Armed";
                break;
            case 2:
                fixed = "System Partially Armed";
                break;
            default:
                fixed = "System Armed State special";
                break;
            }
        } else if (f == 0x8D && c == 0xAD) {
            out += "Zone ";
            AppendDecimal(out, m.at(p + 2));
            out += " Name : ";
            m.AppendBytesAsText(out, p + 3, 11);
            return;
        } else if (f == 0x8E && c == 0xAC) {
            fixed = "Status Report 1";
        } else if (f == 0x8F && c == 0xAD) {
            fixed = "Status Report 2";
        } else if (f == 0xA6 && c >= 0xE0) {
            out += "Display Message : ";
            m.AppendBytesAsText(out, p + 2, (c & 0x1F) - 1);
            return;
        }
        break;
    }
    out += fixed ? fixed : " Unknown";
}

void DecodeAccessControlCommand(MessageReader& m, int c, int p, std::string& out)
{
    const char* event = nullptr;
    switch (c) {
    case 0x02:
    case 0x0A: {
        out += c == 0x02 ? " Close Access Point :" : " Lock Access Point :";
        const int network = m.at(p + 1);
        const int point = m.at(p + 2);
        if (network == 0xFF) {
            out += " All Networks";
        } else {
            out += " Network ";
            m.AppendNumber(out, network);
        }
        if (point == 0xFF) {
            out += ", All Access Points";
        } else {
            out += ", Access Point ";
            m.AppendNumber(out, point);
        }
        return;
    }
    case 0x12:
        event = " Access Point Left Open :";
        break;
    case 0x1A:
        event = " Access Point Forced Open :";
        break;
    case 0x22:
        event = " Access Point Closed :";
        break;
    case 0x32:
        event = " Request to Exit :";
        break;
    default:
        if ((c & 0xE0) == 0xA0)
            event = " Valid Access Request";
        else if ((c & 0xE0) == 0xC0)
            event = " Invalid Access Request";
        break;
    }
    if (!event) {
        out += " Unknown";
        return;
    }
    out += event;
    out += " Network ";
    m.AppendNumber(out, m.at(p + 1));
    out += ", Access Point ";
    m.AppendNumber(out, m.at(p + 2));
    if (c < 0xA0)
        return;
    // Access requests also carry a direction and the ID read at the door.
    const int direction = m.at(p + 3);
    if (direction == 1)
        out += ", In";
    else if (direction == 2)
        out += ", Out";
    out += ", ID = ";
    for (int k = p + 4; k <= p + (c & 0x1F); ++k)
        AppendHexByte(out, static_cast<unsigned>(m.at(k)));
}

} // namespace tarvin
