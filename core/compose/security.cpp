#include "core/compose/security.h"

#include "core/decode/hex.h"

namespace tarvin::compose {

namespace {

constexpr std::size_t kZoneNameLength = 11;
constexpr std::size_t kStatus1Length = 22;
constexpr std::size_t kStatus2Length = 24;
constexpr std::size_t kMaxMessageLength = 19;

std::string ZoneByte(int zone)
{
    return HexByte(static_cast<unsigned>(ClampInt(zone, 0, 255)));
}

template <std::size_t N> std::string BodyAt(const std::array<BodyItem, N>& items, int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= N)
        return {};
    return std::string(items[static_cast<std::size_t>(index)].body);
}

} // namespace

std::string SecurityStatusBody(int index)
{
    return BodyAt(kSecurityStatusMessages, index);
}

std::string ArmBody(int index)
{
    return BodyAt(kArmModes, index);
}

std::string ZoneStateBody(ZoneState state, int zone)
{
    return "0A" + HexByte(static_cast<unsigned>(state)) + ZoneByte(zone);
}

std::string ZoneName(const std::string& zoneText)
{
    return ("Zone " + zoneText + std::string(10, ' ')).substr(0, kZoneNameLength);
}

std::string ZoneNameBody(int zone, const std::string& zoneText)
{
    return "AD8D" + ZoneByte(zone) + TextToHex(ZoneName(zoneText));
}

std::string ZoneNameBody(int zone)
{
    return ZoneNameBody(zone, std::to_string(zone));
}

ComposeResult Status1Body(const std::string& text)
{
    if (text.size() != kStatus1Length || !IsHexString(text))
        return ComposeResult::Error(kInvalidStatus1);
    return ComposeResult::Body("AC8E" + text);
}

ComposeResult Status2Body(const std::string& text)
{
    if (text.size() != kStatus2Length || !IsHexString(text))
        return ComposeResult::Error(kInvalidStatus2);
    return ComposeResult::Body("AD8F" + text);
}

ComposeResult DisplayMessageBody(const std::string& message)
{
    if (message.empty() || message.size() > kMaxMessageLength)
        return ComposeResult::Error(kInvalidMessage);
    return ComposeResult::Body(HexByte(0xE1u + static_cast<unsigned>(message.size())) + "A6" +
                               TextToHex(message));
}

std::string GetZoneNameBody(int zone)
{
    return "0AA7" + ZoneByte(zone);
}

std::string KeypadBody(const std::string& caption)
{
    if (caption.empty())
        return {};
    if (caption[0] == 'E')
        return "0AA50D";
    return "0AA5" + HexByte(static_cast<unsigned char>(caption[0]));
}

} // namespace tarvin::compose
