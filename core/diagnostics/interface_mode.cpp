#include "core/diagnostics/interface_mode.h"

#include "core/decode/hex.h"
#include "core/link/framing.h"

namespace tarvin {

ModeBoxes BoxesFromOptions(std::uint8_t options1, std::uint8_t options3)
{
    ModeBoxes boxes;
    boxes.connect = options1 & kOptionConnect;
    boxes.xonXoff = options1 & kOptionXonXoff;
    boxes.checksum = options1 & kOptionChecksum;
    boxes.smart = options1 & kOptionSmart;
    boxes.monitor = options1 & kOptionMonitor;
    boxes.idmon = options1 & kOptionIdmonBit;
    boxes.pcn = options3 & kOptions3PCN;
    boxes.localSal = options3 & kOptions3LocalSAL;
    boxes.pun = options3 & kOptions3PUN;
    boxes.exstat = options3 & kOptions3EXSTAT;
    return boxes;
}

std::uint8_t Options1FromBoxes(const ModeBoxes& boxes)
{
    unsigned options = 0;
    if (boxes.connect)
        options |= kOptionConnect;
    if (boxes.xonXoff)
        options |= kOptionXonXoff;
    if (boxes.checksum)
        options |= kOptionChecksum;
    if (boxes.smart)
        options |= kOptionSmart;
    if (boxes.monitor)
        options |= kOptionMonitor;
    if (boxes.idmon)
        options |= kOptionIdmonBit;
    return static_cast<std::uint8_t>(options);
}

std::uint8_t Options3FromBoxes(const ModeBoxes& boxes)
{
    unsigned options = 0;
    if (boxes.pcn)
        options |= kOptions3PCN;
    if (boxes.localSal)
        options |= kOptions3LocalSAL;
    if (boxes.pun)
        options |= kOptions3PUN;
    if (boxes.exstat)
        options |= kOptions3EXSTAT;
    return static_cast<std::uint8_t>(options);
}

ModeGating GateModeOptions(int firmwareVersion)
{
    ModeGating gating;
    gating.allMonitor = firmwareVersion >= 0x300;
    gating.localSal = firmwareVersion >= 0x312;
    const bool four = firmwareVersion >= 0x400;
    gating.pcn = four;
    gating.pun = four;
    gating.exstat = four;
    gating.restore = four;
    return gating;
}

std::string StartMonitoringCommand(int firmwareVersion)
{
    if (firmwareVersion >= 0x400)
        return "@A3400048";
    if (firmwareVersion >= 0x300)
        return "~~~A3300002";
    return {};
}

std::vector<ModeAction> SetModeActions(const ModeBoxes& boxes, bool debugEnabled)
{
    const std::uint8_t options1 = Options1FromBoxes(boxes);
    const std::uint8_t options3 = Options3FromBoxes(boxes);
    const std::string digits1 = HexByte(options1);

    std::vector<ModeAction> actions;
    actions.push_back({ModeAction::StoreInterfaceOptions, {}, options1});
    // The reset in front puts the PCI in basic mode, so no checksum here.
    actions.push_back({ModeAction::SendRaw, "~~~A33000" + digits1, 0});
    if (boxes.restore) {
        // By now the PCI checks checksums if the new options ask for them.
        std::string line = "A34100" + digits1;
        if (options1 & kOptionChecksum)
            line += HexChecksum(line);
        actions.push_back({ModeAction::SendRaw, line, 0});
    }
    actions.push_back({ModeAction::SetFlowControl, {}, boxes.xonXoff ? 1 : 0});
    actions.push_back({ModeAction::StorePCIOptionByte, {}, options3});
    actions.push_back({ModeAction::SendCommand, "A34200" + HexByte(options3), 0});
    actions.push_back({ModeAction::ClearAllMonitor, {}, 0});
    if (debugEnabled) {
        if (boxes.allMonitor)
            actions.push_back({ModeAction::StartMonitoring, {}, 0});
        else
            actions.push_back({ModeAction::SendCommand, "A3400000", 0});
    }
    return actions;
}

bool IsPCIUnitType(std::string_view type)
{
    for (const char* name : {"PC_INT", "PCINT", "PC_LOCAL", "PCLOCAL"})
        if (type.find(name) != std::string_view::npos)
            return true;
    return false;
}

std::string NotPCIWarningText(std::string_view type)
{
    return "This unit is not a PC Interface.\rIt is of type " + std::string(type) + "." +
           "\rChanging its Mode may cause operational problems.\rDo you want to continue ?";
}

std::vector<std::string> OtherPCIModeCommands(std::string_view header, const ModeBoxes& boxes)
{
    const std::string h(header);
    return {h + "1141", h + "A34100" + HexByte(Options1FromBoxes(boxes)), h + "1142",
            h + "A34200" + HexByte(Options3FromBoxes(boxes))};
}

} // namespace tarvin
