#pragma once
// The vocabulary the decoders describe values with: levels, ramp rates and
// learn modes.

#include <array>
#include <string>

namespace tarvin {

// Percentage shown for a level 0..255, rounding down.
int PercentOfLevel(int level);
// Level sent for a percentage: percent * 255 div 100.
int LevelOfPercent(int percent);
// "50%" for a level that some whole percentage produces, else NumberString.
std::string LevelText(int level, bool hexNumbers);
void AppendLevelText(std::string& out, int level, bool hexNumbers);

struct RampRate
{
    int command; // lighting command byte: 8 * k + 2
    const char* name;
};
// The sixteen ramp rates, fastest first.
extern const std::array<RampRate, 16> RampRateTable;
// Name of a ramp command byte ("4s" for 0A), or nullptr for any other byte.
const char* RampRateName(int command);

// "Initiate Relay", "Cancel", ...; the empty text for an unknown learn type.
const char* LearnTypeName(int value);

} // namespace tarvin
