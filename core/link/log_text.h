#pragma once
// How log lines are written: time stamps and direction prefixes.

#include <string>
#include <string_view>

namespace tarvin {

enum class Direction
{
    Transmitted = 1,
    Received = 2
};

struct ClockTime
{
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// "HH:MM:SS" with 0, 1 or 2 truncated decimal places; `date` (the short date
// text of the locale) and a blank go in front when not empty.
std::string TimeStampText(const ClockTime& time, int decimalPlaces, std::string_view date = {});

// The line shown in a pane: the text as it is when the lists are separate or
// it begins with "#", else with its "Tx : " / "Rx : " prefix.
std::string PaneLine(Direction direction, std::string_view text, bool combineLists,
                     std::string_view stamp);
// The line of the command log: always prefixed unless it begins with "#".
std::string CommandLogLine(Direction direction, std::string_view text, std::string_view stamp);

} // namespace tarvin
