#pragma once
// What a SAL monitor message does to the groups of the lighting family and
// of trigger and enable control, for programs that mirror group states.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvin {

enum class GroupAction
{
    On,
    Off,
    Level, // a ramp (or an instant set) to a level
};

struct GroupEvent
{
    int group = 0;
    GroupAction action = GroupAction::Off;
    int level = 0; // 255 for On, 0 for Off, the target of a ramp

    bool operator==(const GroupEvent& o) const
    {
        return group == o.group && action == o.action && level == o.level;
    }
};

struct SalMessage
{
    int source = 0;
    int application = 0;
    // The network path as the decoder names it (upper-case pairs, the first
    // entry first); empty on the local network.
    std::string path;
    // The group commands, in order; empty for applications without group
    // states and for a message whose commands do not fit its length.
    std::vector<GroupEvent> events;
};

constexpr bool IsLightingApplication(int application)
{
    return application >= 0x30 && application <= 0x7F;
}
// Lighting, trigger control and enable control keep a level per group.
bool HasGroupStates(int application);

// The SAL monitor message on a received line (hexadecimal pairs with the
// checksum last, as the decoder is given it); nothing for any other line.
std::optional<SalMessage> ReadSalMessage(std::string_view line);

} // namespace tarvin
