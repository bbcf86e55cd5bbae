#pragma once
// Trigger and enable control, and the clock's time and date broadcasts.
//
// Bodies only: the caller prepends SALHeader of the application named here
// (ControlApplication, or kClockApp for time and date); see compose_common.h.

#include "core/compose/compose_common.h"

#include <array>
#include <string>

namespace tarvin::compose {

// ControlAppRadioGroup items; code = the application addressed.
inline constexpr std::array<CodedItem, 2> kControlApplications{{
    {"Trigger Control (CA)", kTriggerControlApp},
    {"Enable Control (CB)", kEnableControlApp},
}};

struct ControlLabels
{
    std::string_view group; // ControlGroupLabel
    std::string_view level; // ControlLevelLabel
};
inline constexpr std::array<ControlLabels, 2> kControlLabels{{
    {"Trigger Group", "Action Selector"},
    {"Enable Group", "Value"},
}};

// CA for the first radio item, CB for any other.
int ControlApplication(int radioIndex);

// "02" + group + action selector (trigger) or value (enable).
std::string ControlBody(int group, int value);

// "0D01" + hour + minute + second + "00".
std::string TimeBody(int hour, int minute, int second);

// Day of the week of a Gregorian date, Monday = 0 .. Sunday = 6.
int MondayBasedWeekday(int year, int month, int day);

// "0E02" + year (4 digits) + month + day + weekday (Monday = 00).
std::string DateBody(int year, int month, int day);

} // namespace tarvin::compose
