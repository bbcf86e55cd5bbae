#pragma once
// Security application bodies: the panel's status broadcasts, zone states,
// zone names and status strings, and the keypad's requests, arming, display
// message and key presses.
//
// Bodies only: the caller prepends SALHeader(kSecurityApp); see
// compose_common.h.

#include "core/compose/compose_common.h"

#include <array>
#include <string>

namespace tarvin::compose {

// SecurityMessageComboBox items.
inline constexpr std::array<BodyItem, 31> kSecurityStatusMessages{{
    {"System Armed (fully)", "7A8001"},
    {"System Armed (partially)", "7A8002"},
    {"System Disarmed", "0180"},
    {"Exit Delay Started", "0981"},
    {"Entry Delay Started", "0982"},
    {"Alarm On", "7983"},
    {"Alarm Off", "0183"},
    {"Tamper On", "7984"},
    {"Tamper Off", "0184"},
    {"Panic Activated", "7985"},
    {"Panic Cleared", "0185"},
    {"Low Battery Detected", "798B"},
    {"Low Battery Corrected", "018B"},
    {"Battery Charging Started", "0A8CFF"},
    {"Battery Charging Stopped", "0A8C00"},
    {"Password Entry Succeeded", "0A9001"},
    {"Password Entry Failed", "0A9002"},
    {"Password Entry Disabled", "0A9003"},
    {"Password Entry Re-enabled", "0A9004"},
    {"Mains Failure", "7991"},
    {"Mains Restored", "0191"},
    {"Line Cut Alarm Raised", "7994"},
    {"Line Cut Alarm Cleared", "0194"},
    {"Arm Failed Raised", "7995"},
    {"Arm Failed Cleared", "0195"},
    {"Fire Alarm Raised", "7996"},
    {"Fire Alarm Cleared", "0196"},
    {"Gas Alarm Raised", "7997"},
    {"Gas Alarm Cleared", "0197"},
    {"Other Alarm Raised", "7998"},
    {"Other Alarm Cleared", "0198"},
}};

// ArmComboBox items.
inline constexpr std::array<BodyItem, 5> kArmModes{{
    {"Away Mode", "0AA201"},
    {"Night (Home) Mode", "0AA202"},
    {"Day Mode", "0AA203"},
    {"Vacation Mode", "0AA204"},
    {"Highest Level", "0AA2FF"},
}};

inline constexpr char kDefaultStatus1[] = "0100000000000000000000";
inline constexpr char kDefaultStatus2[] = "000000000000000000000000";
inline constexpr char kDefaultDisplayMessage[] = "Message";
constexpr int kZoneMin = 1;
constexpr int kZoneMax = 80;

inline constexpr char kInvalidStatus1[] = "Invalid Status String.\rMust be 22 characters.";
inline constexpr char kInvalidStatus2[] = "Invalid Status String.\rMust be 24 characters.";
inline constexpr char kInvalidMessage[] =
    "Invalid Message String.\rMust be between 1 and 19 characters.";

// Fixed bodies.
inline constexpr char kArmReadyBody[] = "0A9200"; // always zone 00
inline constexpr char kGetStatus1Body[] = "09A0";
inline constexpr char kGetStatus2Body[] = "09A1";
inline constexpr char kAlarmBody[] = "79A4";
inline constexpr char kRaiseTamperBody[] = "79A3";
inline constexpr char kDropTamperBody[] = "01A3";

// Body of a status message or an arm mode; empty for an index outside the
// list.
std::string SecurityStatusBody(int index);
std::string ArmBody(int index);

enum class ZoneState
{
    Unsealed = 0x86,
    Sealed = 0x87,
    Open = 0x88,
    Short = 0x89,
    Isolated = 0x8A,
    ArmFail = 0x92
};

// "0A" + state + zone.
std::string ZoneStateBody(ZoneState state, int zone);

// "Zone " + the zone field's text, padded with spaces or cut to 11
// characters.
std::string ZoneName(const std::string& zoneText);
// "AD8D" + zone + the zone name in hex; the name is built from zoneText,
// the field as shown.
std::string ZoneNameBody(int zone, const std::string& zoneText);
// The same with the zone written in decimal, as the field shows it.
std::string ZoneNameBody(int zone);

// "AC8E" + the 22 hex digits as typed, or the 22-character error.
ComposeResult Status1Body(const std::string& text);
// "AD8F" + the 24 hex digits as typed, or the 24-character error.
ComposeResult Status2Body(const std::string& text);

// E1+n, "A6", then the n (1..19) bytes of the message.
ComposeResult DisplayMessageBody(const std::string& message);

// "0AA7" + zone.
std::string GetZoneNameBody(int zone);

// Key press by the caption of the pressed key: "Enter" (any caption starting
// with E) sends 0D, any other caption the code of its first character. An
// empty caption gives an empty body.
std::string KeypadBody(const std::string& caption);

} // namespace tarvin::compose
