#include "core/decode/group_events.h"

#include "core/decode/decode.h"
#include "core/decode/values.h"

namespace tarvin {

namespace {

constexpr int kSalHeader = 0x05;
constexpr int kTriggerControl = 0xCA;
constexpr int kEnableControl = 0xCB;

const char kHexDigits[] = "0123456789ABCDEF";

void AppendPair(std::string& out, int byte)
{
    out += kHexDigits[(byte >> 4) & 0x0F];
    out += kHexDigits[byte & 0x0F];
}

// One command's effect on its group; nothing for commands that set no level
// (learn, scene indicator kill, ramps on trigger and enable groups...).
std::optional<GroupEvent> GroupCommand(const MessageBuffer& b, int application, int c, int p)
{
    const int group = b.at(p + 1);
    if (c == 0x01)
        return GroupEvent{group, GroupAction::Off, 0};
    if (c == 0x79)
        return GroupEvent{group, GroupAction::On, 255};
    // 02 is the instant ramp of lighting and "set to" of trigger and enable.
    if (c == 0x02 || (IsLightingApplication(application) && RampRateName(c)))
        return GroupEvent{group, GroupAction::Level, b.at(p + 2)};
    return std::nullopt;
}

} // namespace

bool HasGroupStates(int application)
{
    return IsLightingApplication(application) || application == kTriggerControl ||
           application == kEnableControl;
}

std::optional<SalMessage> ReadSalMessage(std::string_view line)
{
    Decoder decoder;
    if (!decoder.Parse(line))
        return std::nullopt;
    const MessageBuffer& b = decoder.buffer();
    const int route = b.at(4);
    // Header, source or first path entry, application, route, the rest of
    // the path and the source unit, and the checksum at least.
    if (b.at(1) != kSalHeader || b.length < route + 5)
        return std::nullopt;
    SalMessage message;
    message.application = b.at(3);
    if (route == 0) {
        message.source = b.at(2);
    } else {
        message.source = b.at(route + 4);
        AppendPair(message.path, b.at(2));
        for (int k = 5; k <= route + 3; ++k)
            AppendPair(message.path, b.at(k));
    }
    if (!HasGroupStates(message.application))
        return message;
    // Commands from after the source to before the checksum.
    for (int p = route + 5; p < b.length;) {
        const int c = b.at(p);
        const int next = p + 1 + ((c & 0x80) ? (c & 0x1F) : (c & 0x07));
        if (next > b.length) {
            message.events.clear();
            break;
        }
        if (const auto event = GroupCommand(b, message.application, c, p))
            message.events.push_back(*event);
        p = next;
    }
    return message;
}

} // namespace tarvin
