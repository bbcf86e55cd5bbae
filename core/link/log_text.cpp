#include "core/link/log_text.h"

#include <cstdio>

namespace tarvin {

std::string TimeStampText(const ClockTime& time, int decimalPlaces, std::string_view date)
{
    std::string text;
    if (!date.empty()) {
        text += date;
        text += ' ';
    }
    char buf[32];
    std::snprintf(buf, sizeof buf, "%2.2d:%2.2d:%2.2d", time.hour, time.minute, time.second);
    text += buf;
    if (decimalPlaces == 1) {
        std::snprintf(buf, sizeof buf, ".%1.1d", (time.millisecond / 100) % 10);
        text += buf;
    } else if (decimalPlaces == 2) {
        std::snprintf(buf, sizeof buf, ".%2.2d", (time.millisecond / 10) % 100);
        text += buf;
    }
    return text;
}

namespace {

std::string Stamped(std::string_view stamp)
{
    std::string line;
    if (!stamp.empty()) {
        line += stamp;
        line += "  ";
    }
    return line;
}

std::string Prefixed(Direction direction, std::string_view text)
{
    if (!text.empty() && text[0] == '#')
        return std::string(text);
    return (direction == Direction::Transmitted ? "Tx : " : "Rx : ") + std::string(text);
}

} // namespace

std::string PaneLine(Direction direction, std::string_view text, bool combineLists,
                     std::string_view stamp)
{
    std::string line = Stamped(stamp);
    if (!combineLists)
        line += text;
    else
        line += Prefixed(direction, text);
    return line;
}

std::string CommandLogLine(Direction direction, std::string_view text, std::string_view stamp)
{
    return Stamped(stamp) + Prefixed(direction, text);
}

} // namespace tarvin
