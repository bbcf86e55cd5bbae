#pragma once
// Lighting-family commands: on, off, ramp, the All Off sweep, the caption of
// a lighting command and the random traffic generator.
//
// Bodies only: the caller prepends SALHeader(application) to every body
// (see compose_common.h).

#include "core/compose/compose_common.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tarvin::compose {

constexpr int kLightingOnCode = 0x79;
constexpr int kLightingOffCode = 0x01;

// RampRateComboBox items; code = 02 + 8 x index.
inline constexpr std::array<CodedItem, 16> kRampRates{{
    {"instantaneously", 0x02},
    {"over 4 seconds", 0x0A},
    {"over 8 seconds", 0x12},
    {"over 12 seconds", 0x1A},
    {"over 20 seconds", 0x22},
    {"over 30 seconds", 0x2A},
    {"over 40 seconds", 0x32},
    {"over 1 minute", 0x3A},
    {"over 1.5 minutes", 0x42},
    {"over 2 minutes", 0x4A},
    {"over 3 minutes", 0x52},
    {"over 5 minutes", 0x5A},
    {"over 7 minutes", 0x62},
    {"over 10 minutes", 0x6A},
    {"over 15 minutes", 0x72},
    {"over 17 minutes", 0x7A},
}};

// The time each ramp rate of kRampRates takes, in seconds.
inline constexpr std::array<int, 16> kRampRateSeconds{
    {0, 4, 8, 12, 20, 30, 40, 60, 90, 120, 180, 300, 420, 600, 900, 1020}};

// The index of the ramp rate whose time is nearest to `seconds` (the faster
// of two equally near); negative and non-finite times give the fastest.
int NearestRampRate(double seconds);

// ToggleSpeedComboBox and SpeedComboBox items; code = Timer1 period in ms.
inline constexpr std::array<CodedItem, 4> kSpeeds{{
    {"Slow Speed (3 seconds)", 3000},
    {"Medium Speed (1 second)", 1000},
    {"Fast Speed (300 ms)", 300},
    {"Full Speed (100 ms)", 100},
}};
constexpr int kDefaultSpeedIndex = 1;

// CommandTypeComboBox items.
inline constexpr std::array<std::string_view, 3> kRandomCommandTypes{{
    "On & Off",
    "On, Off & Ramp",
    "On, Off, Ramp & Concatenated",
}};
constexpr int kRandomOnOff = 0;
constexpr int kRandomOnOffRamp = 1;
constexpr int kRandomConcatenated = 2;

// LevelRadioGroup items: index 0 is "%", index 1 "Level".
inline constexpr std::array<std::string_view, 2> kLevelModes{{"%", "Level"}};

enum class LightingKind
{
    On = 1,
    Off = 2,
    Ramp = 3
};

// Ramp command code of a rate index as two hex digits; an index outside the
// table is clamped into it.
std::string RampRateCode(int rateIndex);

// Percent (0..100) to level byte, truncating: 50 % is 7F, 100 % is FF.
int PercentToLevel(int percent);

// The level byte a ramp carries, from the level list's index and its mode
// ("%" lists 0..100, "Level" lists 0..255). Out-of-range indexes clamp.
int SelectedLevel(int levelIndex, bool percentMode);

// LevelComboBox items in "%" mode: "0" .. "100", always decimal.
std::vector<std::string> PercentLevelItems();

// One lighting command. Group and level are clamped to 0..255; the rate
// index is used by Ramp only.
std::string LightingCommandBody(LightingKind kind, int group, int rateIndex = 0, int level = 0);

// The 32 bodies of All Off: body m switches off groups 8m .. 8m+7.
std::vector<std::string> AllOffBodies();

// User-button caption of a lighting command, "GA" + group + " " + amount.
// On reads 100%, Off 0%; a ramp reads its percentage in "%" mode
// ("GA05 50%") and its level byte, as the lists show numbers, in "Level"
// mode ("GA05 Level 80").
std::string LightingCommandDescription(LightingKind kind, int group, int levelIndex,
                                       bool percentMode, bool hexNumbers);

// The warning for an application outside the lighting family, or an empty
// text when the application is inside it.
std::string LightingAppWarning(int application, bool hexNumbers);

// Timer1 period for a speed index; nothing for an index outside the table.
std::optional<int> SpeedPeriodMs(int speedIndex);

// Uniform draw from 0 .. n-1 (n >= 1).
using RandomSource = std::function<int(int n)>;
// A source over std::mt19937 with the given seed.
RandomSource MakeRandomSource(unsigned seed);

struct RandomTrafficSettings
{
    int commandType = kRandomConcatenated; // index into kRandomCommandTypes
    int appFrom = kLightingApp;
    int appTo = kLightingApp;
    int groupFrom = 0;
    int groupTo = 255;
};

struct RandomLightingMessage
{
    int application = 0; // the caller prepends SALHeader(application)
    std::string body;
};

// One random lighting message. Draw order: command count, application, then
// per command its kind, group and (ramps only) level 00..FE. A range whose
// first index exceeds its "to" index draws from between the two.
RandomLightingMessage DrawRandomLighting(const RandomTrafficSettings& settings,
                                         const RandomSource& random);

} // namespace tarvin::compose
