// Time and date broadcasts.

#include "core/decode/commands.h"
#include "core/decode/text.h"

namespace tarvin {

namespace {

const char* DayName(int dayOfWeek)
{
    static const char* const kDays[] = {"Monday ", "Tuesday ",  "Wednesday ", "Thursday ",
                                        "Friday ", "Saturday ", "Sunday "};
    return dayOfWeek >= 0 && dayOfWeek < 7 ? kDays[dayOfWeek] : "";
}

} // namespace

void DecodeClockCommand(MessageReader& m, int c, int p, std::string& out)
{
    const int f = m.at(p + 1);
    if (c == 0x0D && f == 0x01) {
        out += "Time ";
        AppendTwoDigits(out, m.at(p + 2));
        out.push_back(':');
        AppendTwoDigits(out, m.at(p + 3));
        out.push_back(':');
        AppendTwoDigits(out, m.at(p + 4));
        const int offset = m.at(p + 5);
        if (offset != 0) {
            out += " Daylight Savings Offset : ";
            AppendDecimal(out, offset);
            out += " hour(s)";
        }
        return;
    }
    if (c == 0x0E && f == 0x02) {
        const int year = m.at(p + 2) * 256 + m.at(p + 3);
        const int month = m.at(p + 4);
        const int day = m.at(p + 5);
        out += "Date ";
        out += DayName(m.at(p + 6));
        AppendDecimal(out, day);
        out.push_back('/');
        AppendDecimal(out, month);
        out.push_back('/');
        AppendDecimal(out, year);
        return;
    }
    out += " Unknown";
}

} // namespace tarvin
