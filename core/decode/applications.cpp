#include "core/decode/applications.h"

#include "core/decode/hex.h"

namespace tarvin {

std::string ApplicationName(int application, bool hexNumbers)
{
    switch (application) {
    case 0x19:
        return "Temperature Broadcast";
    case 0x26:
        return "Room Control System";
    case 0x38:
        return "Lighting";
    case 0x70:
        return "Ventilation";
    case 0x71:
        return "Irrigation";
    case 0x72:
        return "Pool, Spa, Pond and Fountain";
    case 0x88:
        return "Heating";
    case 0xCA:
        return "Trigger Control";
    case 0xCB:
        return "Enable Control";
    case 0xD0:
        return "Security";
    case 0xD5:
        return "Access Control";
    case 0xDF:
        return "Time";
    case 0xE0:
        return "Telephony";
    case 0xE4:
        return "Measurement";
    case 0xFF:
        return "Network Control";
    default:
        break;
    }
    if (application >= 0x30 && application <= 0x5F)
        return "Lighting (" + NumberString(application, hexNumbers) + ")";
    return {};
}

std::string ApplicationLabel(int application, bool hexNumbers)
{
    const std::string name = ApplicationName(application, hexNumbers);
    if (name.empty())
        return "App " + NumberString(application, hexNumbers);
    return name + " (" + NumberString(application, hexNumbers) + ")";
}

} // namespace tarvin
