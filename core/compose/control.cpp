#include "core/compose/control.h"

#include "core/decode/hex.h"

namespace tarvin::compose {

namespace {
std::string Byte(int v)
{
    return HexByte(static_cast<unsigned>(ClampInt(v, 0, 255)));
}
} // namespace

int ControlApplication(int radioIndex)
{
    return radioIndex == 0 ? kTriggerControlApp : kEnableControlApp;
}

std::string ControlBody(int group, int value)
{
    return "02" + Byte(group) + Byte(value);
}

std::string TimeBody(int hour, int minute, int second)
{
    return "0D01" + Byte(hour) + Byte(minute) + Byte(second) + "00";
}

int MondayBasedWeekday(int year, int month, int day)
{
    // Days since 1970-01-01 (a Thursday) by the civil-from-days inverse.
    const long long y = static_cast<long long>(year) - (month <= 2 ? 1 : 0);
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long mp = (month + 9) % 12;
    const long long doy = (153 * mp + 2) / 5 + day - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const long long days = era * 146097 + doe - 719468;
    const long long weekday = (days % 7 + 7 + 3) % 7; // Thursday is 3
    return static_cast<int>(weekday);
}

std::string DateBody(int year, int month, int day)
{
    return "0E02" + Hex4(year) + Byte(month) + Byte(day) +
           Byte(MondayBasedWeekday(year, month, day));
}

} // namespace tarvin::compose
