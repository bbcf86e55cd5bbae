#include "core/compose/lighting.h"

#include "core/decode/hex.h"

#include <cmath>
#include <memory>
#include <random>
#include <utility>

namespace tarvin::compose {

namespace {

constexpr int kFirstLightingApp = 0x30;
constexpr int kLastLightingApp = 0x7F;
constexpr int kAllOffMessages = 32;
constexpr int kAllOffGroupsPerMessage = 8;

// Kinds drawn by the random generator, in draw order: On, Off, then ramps at
// the three fastest rates.
constexpr int kRandomKindCodes[] = {kLightingOnCode, kLightingOffCode, 0x02, 0x0A, 0x12};

// A draw that a faulty source puts outside 0..n-1 must still give a byte.
int Draw(const RandomSource& random, int n)
{
    if (n <= 1 || !random)
        return 0;
    return ClampInt(random(n), 0, n - 1);
}

// lo + Random(hi - lo + 1), with the ends swapped when given the wrong way
// round.
int DrawInRange(const RandomSource& random, int from, int to)
{
    from = ClampInt(from, 0, 255);
    to = ClampInt(to, 0, 255);
    if (from > to)
        std::swap(from, to);
    return from + Draw(random, to - from + 1);
}

} // namespace

std::string RampRateCode(int rateIndex)
{
    const int i = ClampInt(rateIndex, 0, static_cast<int>(kRampRates.size()) - 1);
    return HexByte(static_cast<unsigned>(kRampRates[static_cast<std::size_t>(i)].code));
}

int NearestRampRate(double seconds)
{
    if (!(seconds > 0))
        return 0;
    int best = 0;
    for (int i = 1; i < static_cast<int>(kRampRateSeconds.size()); ++i)
        if (std::abs(kRampRateSeconds[static_cast<std::size_t>(i)] - seconds) <
            std::abs(kRampRateSeconds[static_cast<std::size_t>(best)] - seconds))
            best = i;
    return best;
}

int PercentToLevel(int percent)
{
    return ClampInt(percent, 0, 100) * 255 / 100;
}

int SelectedLevel(int levelIndex, bool percentMode)
{
    return percentMode ? PercentToLevel(levelIndex) : ClampInt(levelIndex, 0, 255);
}

std::vector<std::string> PercentLevelItems()
{
    std::vector<std::string> items;
    items.reserve(101);
    for (int p = 0; p <= 100; ++p)
        items.push_back(std::to_string(p));
    return items;
}

std::string LightingCommandBody(LightingKind kind, int group, int rateIndex, int level)
{
    const std::string g = HexByte(static_cast<unsigned>(ClampInt(group, 0, 255)));
    switch (kind) {
    case LightingKind::On:
        return HexByte(kLightingOnCode) + g;
    case LightingKind::Off:
        return HexByte(kLightingOffCode) + g;
    case LightingKind::Ramp:
        break;
    }
    return RampRateCode(rateIndex) + g + HexByte(static_cast<unsigned>(ClampInt(level, 0, 255)));
}

std::vector<std::string> AllOffBodies()
{
    std::vector<std::string> bodies;
    bodies.reserve(kAllOffMessages);
    for (int m = 0; m < kAllOffMessages; ++m) {
        std::string body;
        for (int i = 0; i < kAllOffGroupsPerMessage; ++i)
            body += LightingCommandBody(LightingKind::Off, m * kAllOffGroupsPerMessage + i);
        bodies.push_back(std::move(body));
    }
    return bodies;
}

std::string LightingCommandDescription(LightingKind kind, int group, int levelIndex,
                                       bool percentMode, bool hexNumbers)
{
    std::string caption = "GA" + NumberString(ClampInt(group, 0, 255), hexNumbers) + " ";
    switch (kind) {
    case LightingKind::On:
        return caption + "100%";
    case LightingKind::Off:
        return caption + "0%";
    case LightingKind::Ramp:
        break;
    }
    // The percentage the user picked, not the scaled byte (50 %, not 127).
    if (percentMode)
        return caption + std::to_string(ClampInt(levelIndex, 0, 100)) + "%";
    return caption + "Level " + NumberString(SelectedLevel(levelIndex, false), hexNumbers);
}

std::string LightingAppWarning(int application, bool hexNumbers)
{
    if (application >= kFirstLightingApp && application <= kLastLightingApp)
        return {};
    return hexNumbers ? "Use of Application Addresses outside the range 30 to 7F may cause "
                        "undesirable effects."
                      : "Use of Application Addresses outside the range 48 to 127 may cause "
                        "undesirable effects.";
}

std::optional<int> SpeedPeriodMs(int speedIndex)
{
    if (speedIndex < 0 || speedIndex >= static_cast<int>(kSpeeds.size()))
        return std::nullopt;
    return kSpeeds[static_cast<std::size_t>(speedIndex)].code;
}

RandomSource MakeRandomSource(unsigned seed)
{
    auto engine = std::make_shared<std::mt19937>(seed);
    return [engine](int n) {
        if (n <= 1)
            return 0;
        return std::uniform_int_distribution<int>(0, n - 1)(*engine);
    };
}

RandomLightingMessage DrawRandomLighting(const RandomTrafficSettings& settings,
                                         const RandomSource& random)
{
    const int count = settings.commandType == kRandomConcatenated ? 1 + Draw(random, 4) : 1;
    const int kinds = settings.commandType == kRandomOnOff ? 2 : 5;

    RandomLightingMessage message;
    message.application = DrawInRange(random, settings.appFrom, settings.appTo);
    for (int c = 0; c < count; ++c) {
        const int kind = Draw(random, kinds);
        const int group = DrawInRange(random, settings.groupFrom, settings.groupTo);
        message.body += HexByte(static_cast<unsigned>(kRandomKindCodes[kind]));
        message.body += HexByte(static_cast<unsigned>(group));
        if (kind >= 2)
            message.body += HexByte(static_cast<unsigned>(Draw(random, 255))); // FF never drawn
    }
    return message;
}

} // namespace tarvin::compose
