#include "core/decode/values.h"

#include "core/decode/text.h"

namespace tarvin {

const std::array<RampRate, 16> RampRateTable = {{
    {0x02, "0s"},
    {0x0A, "4s"},
    {0x12, "8s"},
    {0x1A, "12s"},
    {0x22, "20s"},
    {0x2A, "30s"},
    {0x32, "40s"},
    {0x3A, "1m"},
    {0x42, "1.5m"},
    {0x4A, "2m"},
    {0x52, "3m"},
    {0x5A, "5m"},
    {0x62, "7m"},
    {0x6A, "10m"},
    {0x72, "15m"},
    {0x7A, "17m"},
}};

int PercentOfLevel(int level)
{
    return ((level + 2) * 100) / 255;
}

int LevelOfPercent(int percent)
{
    return (percent * 255) / 100;
}

void AppendLevelText(std::string& out, int level, bool hexNumbers)
{
    const int percent = PercentOfLevel(level);
    if (LevelOfPercent(percent) == level) {
        AppendDecimal(out, percent);
        out.push_back('%');
    } else {
        AppendNumber(out, level, hexNumbers);
    }
}

std::string LevelText(int level, bool hexNumbers)
{
    std::string text;
    AppendLevelText(text, level, hexNumbers);
    return text;
}

const char* RampRateName(int command)
{
    if (command < 0x02 || command > 0x7A || (command & 0x07) != 0x02)
        return nullptr;
    return RampRateTable[static_cast<std::size_t>(command >> 3)].name;
}

const char* LearnTypeName(int value)
{
    switch (value) {
    case 0x01:
        return "Initiate Relay";
    case 0x02:
        return "Initiate Dimmer";
    case 0x80:
        return "Cancel";
    case 0x81:
        return "Exit Relay";
    case 0x82:
        return "Exit Dimmer";
    case 0x83:
        return "Exit Area";
    default:
        return "";
    }
}

} // namespace tarvin
