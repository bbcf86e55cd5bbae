// Telephony commands.

#include "core/decode/commands.h"

namespace tarvin {

namespace {

const char* LineEvent(int f)
{
    switch (f) {
    case 0x01:
        return "Line On Hook";
    case 0x07:
        return "Internet Connection Request";
    case 0x82:
        return "Reject Incoming Call";
    case 0x84:
        return "Clear Diversion";
    default:
        return nullptr;
    }
}

const char* LineStatus(int f, int v)
{
    switch (f) {
    case 0x03:
        switch (v) {
        case 1:
            return "Dial Out Failure - No Dial Tone";
        case 2:
            return "Dial Out Failure - No Answer";
        case 3:
            return "Dial Out Failure - No Valid Acknowledgement";
        case 4:
            return "Dial Out Failure - Number Unobtainable";
        case 5:
            return "Dial Out Failure - Number Busy";
        default:
            return nullptr;
        }
    case 0x04:
        return v == 1 ? "Dial In Failure - Stopped Ringing" : nullptr;
    case 0x80:
        if (v == 0)
            return "Secondary Outlet Normal";
        return v == 1 ? "Secondary Outlet Isolated" : nullptr;
    case 0x81:
        if (v == 1)
            return "Recall Last Outgoing Number";
        return v == 2 ? "Recall Last Incoming Number" : nullptr;
    default:
        return nullptr;
    }
}

const char* OffHookKind(int v)
{
    switch (v) {
    case 0x01:
        return "Line Off Hook - Incoming Voice";
    case 0x02:
        return "Line Off Hook - Incoming Data";
    case 0x03:
        return "Line Off Hook - Incoming Other";
    case 0x10:
        return "Line Off Hook - Outgoing Voice";
    case 0x20:
        return "Line Off Hook - Outgoing Data";
    case 0x30:
        return "Line Off Hook - Outgoing Other";
    default:
        return "";
    }
}

} // namespace

void DecodeTelephonyCommand(MessageReader& m, int c, int p, std::string& out)
{
    const int f = m.at(p + 1);
    const char* text = nullptr;
    if (c == 0x09) {
        text = LineEvent(f);
    } else if (c == 0x0A) {
        text = LineStatus(f, m.at(p + 2));
    } else {
        // Telephone numbers are the argument bytes as characters; for these
        // three codes the byte after the function code is not a digit.
        const int count = c & 0x1F;
        switch (f) {
        case 0x02:
            out += OffHookKind(m.at(p + 2));
            out.push_back(' ');
            m.AppendBytesAsText(out, p + 3, count - 2);
            return;
        case 0x05:
            out += "Ringing ";
            m.AppendBytesAsText(out, p + 3, count - 2);
            return;
        case 0x06:
            out += "Recall Last Number Response ";
            m.AppendBytesAsText(out, p + 3, count - 2);
            return;
        case 0x83:
            out += "Divert to ";
            m.AppendBytesAsText(out, p + 2, count - 1);
            return;
        default:
            break;
        }
    }
    out += text ? text : " Unknown";
}

} // namespace tarvin
