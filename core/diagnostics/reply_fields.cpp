#include "core/diagnostics/reply_fields.h"

#include "core/decode/hex.h"
#include "core/link/framing.h"

#include <cctype>

namespace tarvin {

std::string HexToPrintable(std::string_view hex)
{
    std::string out;
    out.reserve(hex.size() / 2);
    for (std::size_t p = 0; p + 1 < hex.size(); p += 2) {
        const int high = HexDigitValue(hex[p]);
        const int low = HexDigitValue(hex[p + 1]);
        if (high < 0 || low < 0)
            continue;
        const int value = high * 16 + low;
        if (value >= 0x20 && value <= 0x7E)
            out += static_cast<char>(value);
    }
    return out;
}

std::string UnpackSixBitName(std::string_view hex)
{
    if (hex.empty())
        return {};
    // Six bytes, most significant first; a short field reads as zero bytes.
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < 6; ++i) {
        const std::size_t p = 2 * i;
        const std::string_view pair = p < hex.size() ? hex.substr(p, 2) : std::string_view{};
        value = (value << 8) | static_cast<std::uint64_t>(HexToNumber(pair) & 0xFF);
    }
    std::string name;
    for (int shift = 42; shift >= 0; shift -= 6) {
        const int code = static_cast<int>((value >> shift) & 0x3F);
        if (code != 30) // the code of a blank padding the name
            name += static_cast<char>(code + 33);
    }
    name.resize(8, ' ');
    return name;
}

namespace {

// Copy semantics with 1-based positions: out-of-range parts are empty.
std::string_view Substring(std::string_view text, std::size_t first, std::size_t count)
{
    if (first < 1 || first > text.size())
        return {};
    return text.substr(first - 1, count);
}

} // namespace

std::string SerialNumberText(std::string_view field)
{
    if (field.empty())
        return {};
    return std::to_string(HexToNumber(Substring(field, 1, 5))) + "-" +
           std::to_string(HexToNumber(Substring(field, 6, 3)));
}

std::string ReplyField(std::string_view reply, int first, int count, int pathLength)
{
    if (first < 1 || count <= 0 || pathLength < 0)
        return {};
    return std::string(
        Substring(reply, static_cast<std::size_t>(first) + static_cast<std::size_t>(pathLength),
                  static_cast<std::size_t>(count)));
}

std::string TrimBlanks(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return std::string(text);
}

const std::array<PCIRequest, kPCIFieldCount> kPCIRequests = {{
    {"1A2001", "8220*", 13, 2},
    {"2100", "8900*", 13, 16},
    {"2101", "8901*", 13, 16},
    {"2102", "8902*", 13, 16},
    {"1A2A06", "872A*", 13, 12},
    {"1A2306", "8723*", 13, 12},
    {"2104", "8D04*", 23, 8},
    {"2107", "8607*", 13, 10},
}};

std::string PCIReplyPattern(int address, std::string_view tail)
{
    const std::string source = address < 0 ? "??" : HexByte(static_cast<unsigned>(address) & 0xFF);
    return "86" + source + "??00" + std::string(tail);
}

int PCIAddressFromReply(std::string_view reply)
{
    const std::string address = ReplyField(reply, 13, 2);
    if (address.size() != 2 || !IsHexString(address) ||
        !StringsMatch(PCIReplyPattern(-1, kPCIRequests[kPCIUnitAddress].tail), reply))
        return -1;
    const long long source = HexToNumber(ReplyField(reply, 3, 2));
    return HexToNumber(address) == source ? static_cast<int>(source) : -1;
}

std::uint8_t PCIOptionByteFromReply(std::string_view reply)
{
    return static_cast<std::uint8_t>(HexToNumber(ReplyField(reply, 13, 2)) & 0xFF);
}

std::string DecodePCIField(PCIField field, std::string_view reply)
{
    if (field < 0 || field >= kPCIFieldCount)
        return {};
    const PCIRequest& request = kPCIRequests[static_cast<std::size_t>(field)];
    const std::string raw = ReplyField(reply, request.first, request.count);
    switch (field) {
    case kPCIFirmwareVersion:
        return TrimBlanks(HexToPrintable(raw));
    case kPCIPartName:
    case kPCIProject:
        return UnpackSixBitName(raw);
    case kPCISerialNumber:
        return SerialNumberText(raw);
    case kPCIUnitAddress:
        return raw;
    default:
        return HexToPrintable(raw);
    }
}

const char* const kUnknownPCIText = "PC Interface Details Unknown.\r"
                                    "Some software features may not work correctly.\r"
                                    "If possible, use a version 4.0 or later PCI.";

std::string SerialLocation(std::string_view portName)
{
    return std::string(portName);
}

std::string TcpLocation(std::string_view address, int port)
{
    return std::string(address) + ":" + std::to_string(port);
}

const char* PCIFieldName(PCIField field)
{
    switch (field) {
    case kPCIManufacturer:
        return "Manufacturer";
    case kPCIUnitType:
        return "Unit Type";
    case kPCIFirmwareVersion:
        return "Firmware Version";
    case kPCIPartName:
        return "Part Name";
    case kPCIProject:
        return "Project";
    case kPCISerialNumber:
        return "Serial Number";
    case kPCIVoltage:
        return "Tarvin Voltage";
    case kPCIUnitAddress:
        return "Unit Address";
    default:
        return "";
    }
}

std::string IdentifyRequestName(std::string_view body)
{
    if (body == kIdentifyTypeBody)
        return "Identify Unit Type";
    if (body == kIdentifyFirmwareBody)
        return "Identify Firmware Version";
    if (body == kIdentifyVoltageBody)
        return "Identify Tarvin Voltage";
    return "Request " + std::string(body);
}

std::string PCIDetailsText(const PCIDetails& details, int firmwareVersion,
                           std::string_view location)
{
    if (firmwareVersion == 0)
        return kUnknownPCIText;
    // The box lists the fields in another order than they are asked for.
    static const PCIField kLines[] = {kPCIManufacturer, kPCIUnitType,        kPCIPartName,
                                      kPCIProject,      kPCIFirmwareVersion, kPCISerialNumber,
                                      kPCIUnitAddress,  kPCIVoltage};
    std::string text = "PC Interface Details :\r  Location : ";
    text += location;
    text += '\r';
    bool first = true;
    for (const PCIField field : kLines) {
        if (!first)
            text += '\r';
        first = false;
        text += "  ";
        text += PCIFieldName(field);
        text += " : ";
        text += details.fields[static_cast<std::size_t>(field)];
    }
    return text;
}

std::string UnitReplyPattern(int unit, std::string_view path, std::string_view tail)
{
    std::string route;
    for (const char c : path)
        route += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const std::string source = HexByte(static_cast<unsigned>(unit) & 0xFF);
    std::string pattern = "86";
    if (route.size() < 2) {
        pattern += source + "????";
    } else {
        // Routed: the first bridge, 00 and the number of bridges, the
        // further bridges, then the unit itself.
        pattern += route.substr(0, 2) + "????" + route.substr(2) + source;
    }
    pattern += tail;
    return pattern;
}

std::string UnitTypeFromReply(std::string_view reply, int pathLength)
{
    return TrimBlanks(HexToPrintable(ReplyField(reply, 13, 16, pathLength)));
}

std::string UnitVoltageFromReply(std::string_view reply, int pathLength)
{
    return TrimBlanks(HexToPrintable(ReplyField(reply, 13, 10, pathLength)));
}

std::string UnitFirmwareFromReply(std::string_view reply, int pathLength)
{
    return TrimBlanks(HexToPrintable(ReplyField(reply, 13, 16, pathLength)));
}

std::string IdentifyUnitText(int unit, std::string_view type, bool hexNumbers)
{
    return "Unit " + NumberString(unit, hexNumbers) + " Type = " + std::string(type);
}

std::string UnitListLine(int unit, std::string_view value, bool hexNumbers)
{
    return "Unit " + NumberString(unit, hexNumbers) + " : " + std::string(value) + "\r";
}

std::string UnitTypeListText(const UnitTypeTable& table, bool hexNumbers)
{
    std::string text;
    for (std::size_t unit = 0; unit < table.size(); ++unit)
        if (!table[unit].empty())
            text += UnitListLine(static_cast<int>(unit), table[unit], hexNumbers);
    return text;
}

std::string NoReplyText(int unit, bool hexNumbers)
{
    return "No reply from unit " + NumberString(unit, hexNumbers);
}

std::string UnitListMissingText(const std::vector<int>& silent, int asked, int present,
                                std::string_view stoppedBy, bool hexNumbers)
{
    if (present == 0)
        return "No unit answered the Installation MMI.";
    std::string text;
    if (!silent.empty()) {
        text = silent.size() == 1 ? "Incomplete: no reply from unit "
                                  : "Incomplete: no reply from units ";
        for (std::size_t i = 0; i < silent.size(); ++i)
            text += (i ? ", " : "") + NumberString(silent[i], hexNumbers);
        text += ".";
    }
    if (asked < present) {
        if (!text.empty())
            text += "\r";
        text += "Incomplete: " + std::string(stoppedBy.empty() ? "stopped" : stoppedBy) +
                " after " + std::to_string(asked) + " of " + std::to_string(present) + " units.";
    }
    return text;
}

std::string UnitDataImage::BlockCommandBody(int block)
{
    return "1A" + HexByte(static_cast<unsigned>(kBlockSize * block)) + "08";
}

std::string UnitDataImage::BlockReplyPattern(int block, int unit, std::string_view path)
{
    return UnitReplyPattern(unit, path,
                            "89" + HexByte(static_cast<unsigned>(kBlockSize * block)) + "*");
}

void UnitDataImage::StoreBlock(int block, std::string_view reply, int pathLength)
{
    if (block < 0 || block >= kBlocks)
        return;
    for (int i = 0; i < kBlockSize; ++i) {
        const std::string pair = ReplyField(reply, 13 + 2 * i, 2, pathLength);
        m_bytes[static_cast<std::size_t>(kBlockSize * block + i)] =
            static_cast<std::uint8_t>(HexToNumber(pair) & 0xFF);
    }
}

} // namespace tarvin
