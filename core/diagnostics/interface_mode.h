#pragma once
// The interface options of a PCI: option bytes and the mode dialog's boxes,
// which boxes a firmware version offers, and what Set Mode sends.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarvin {

// Interface Options 3 bits (Interface Options 1 bits are kOption* of the
// framing header).
constexpr std::uint8_t kOptions3PCN = 0x01;
constexpr std::uint8_t kOptions3LocalSAL = 0x02;
constexpr std::uint8_t kOptions3PUN = 0x04;
constexpr std::uint8_t kOptions3EXSTAT = 0x08;

// The check boxes of the mode dialog.
struct ModeBoxes
{
    bool connect = false;
    bool xonXoff = false;
    bool checksum = false;
    bool smart = false;
    bool monitor = false;
    bool idmon = false;
    bool pcn = false;
    bool localSal = false;
    bool pun = false;
    bool exstat = false;
    bool allMonitor = false;
    bool restore = false;
};

// Boxes checked from the two option bytes (the last two boxes stay clear).
ModeBoxes BoxesFromOptions(std::uint8_t options1, std::uint8_t options3);
// The option bytes of the checked boxes; bits without a box are 0.
std::uint8_t Options1FromBoxes(const ModeBoxes& boxes);
std::uint8_t Options3FromBoxes(const ModeBoxes& boxes);

// Which boxes a firmware version (major × 256 + minor) offers.
struct ModeGating
{
    bool allMonitor = true; // 3.0 and later
    bool localSal = true;   // 3.12 and later
    bool pcn = true;        // 4.0 and later, as the three below
    bool pun = true;
    bool exstat = true;
    bool restore = true;
};
ModeGating GateModeOptions(int firmwareVersion);

// The line that starts monitoring all traffic for a firmware version, or the
// empty text when the firmware cannot.
std::string StartMonitoringCommand(int firmwareVersion);

// One step of Set Mode, in the order they must happen.
struct ModeAction
{
    enum Kind
    {
        StoreInterfaceOptions, // value: the new interface options copy
        SendRaw,               // text sent as it is (no checksum, no ack letter)
        SetFlowControl,        // value != 0: software flow control on
        StorePCIOptionByte,    // value: the new PCI option byte
        SendCommand,           // text framed as any command
        ClearAllMonitor,
        StartMonitoring, // the analyser's StartMonitoring
    };
    Kind kind;
    std::string text;
    int value = 0;
};

// Set Mode of the connected PCI for the boxes as the user left them.
std::vector<ModeAction> SetModeActions(const ModeBoxes& boxes, bool debugEnabled);

// --- Another PCI on the bus ---

// True when the unit type names a PC interface.
bool IsPCIUnitType(std::string_view type);
// The warning shown before changing a unit that is not a PCI.
std::string NotPCIWarningText(std::string_view type);
// The four commands, each after the unit's CAL header: unlock and store the
// power-up options, unlock and store Interface Options 3.
std::vector<std::string> OtherPCIModeCommands(std::string_view header, const ModeBoxes& boxes);

} // namespace tarvin
