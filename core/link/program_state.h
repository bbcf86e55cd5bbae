#pragma once
// Program-wide state, owned once by the main window and passed by reference
// to whoever needs it.

#include <cstdint>

namespace tarvin {

struct ProgramState
{
    // Link
    bool connected = false;            // set when the interface answers
    std::uint8_t interfaceOptions = 0; // option byte last written to the PCI
    // Display
    bool logDisplay = true; // cleared while a unit type is programmed
    bool showDecodedMessage = true;
    bool debugMode = false;
    // Interface identity
    int firmwareVersion = 0; // major * 256 + minor, 0 when unknown
    std::uint8_t pciOptionByte = 0;
    int pciAddress = -1; // as the PCI answers on this link; -1 until it has said
    // Diagnostics
    int mmiMode = 0;
    bool allMonitor = false;
};

} // namespace tarvin
