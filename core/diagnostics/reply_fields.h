#pragma once
// Identification of the connected PCI and of other units: the fields of their
// replies, how they decode, and the texts built from them.
//
// A reply line is the received hexadecimal text as the receive path keeps it.
// Reply characters are counted from 1 on the wire; the functions here take
// those 1-based positions and translate them. P is the network path length:
// replies from a remote unit carry the path, so their fields start P
// characters later.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarvin {

// Bytes 0x20..0x7E of a text of hexadecimal pairs; other bytes, pairs that
// are not hexadecimal and a trailing odd character are dropped.
std::string HexToPrintable(std::string_view hex);

// Twelve hexadecimal characters (six bytes) to an eight-character name: eight
// six-bit codes, code c giving the character c + 33, except 30 which gives
// nothing; blanks pad the end. An empty field gives the empty text.
std::string UnpackSixBitName(std::string_view hex);

// The serial number field (data bytes 6..9 as eight hex characters): the
// first five and the last three characters as decimal numbers joined by "-".
// An empty field gives the empty text.
std::string SerialNumberText(std::string_view field);

// `count` characters of a reply from 1-based character `first` + P; whatever
// part of it lies beyond the line is left out.
std::string ReplyField(std::string_view reply, int first, int count, int pathLength = 0);

// Blanks removed at both ends.
std::string TrimBlanks(std::string_view text);

// --- The connected PCI ("Get PCI Data") ---

// In the order in which they are asked: the address first, since only a reply
// from the PCI's own address is its answer.
enum PCIField : int
{
    kPCIUnitAddress,
    kPCIManufacturer,
    kPCIUnitType,
    kPCIFirmwareVersion,
    kPCIPartName,
    kPCIProject,
    kPCISerialNumber,
    kPCIVoltage,
    kPCIFieldCount
};

// One request of "Get PCI Data": command (no header: it goes to the PCI
// itself), the end of its reply pattern after the route (PCIReplyPattern)
// and the field of the reply (1-based, P = 0).
struct PCIRequest
{
    const char* command;
    const char* tail;
    int first;
    int count;
};

// In the order in which they are sent, indexed by PCIField.
extern const std::array<PCIRequest, kPCIFieldCount> kPCIRequests;

// The PCI answers from its own address on the local network: "86", the
// address, a byte, 00 (no route), then `tail`. Other units' replies passed on
// by the interface look alike but for the address, so before the address is
// known (-1) only the address request may be answered, by a reply whose
// source is the address it reports (PCIAddressFromReply).
std::string PCIReplyPattern(int address, std::string_view tail);
// The address in a reply to the address request when the reply is the
// PCI's own, else -1.
int PCIAddressFromReply(std::string_view reply);

// The option byte request, sent only to firmware 4.0 and later.
constexpr const char* kPCIOptionsCommand = "1A4201";
constexpr const char* kPCIOptionsTail = "8242*";
// The option byte from its reply; 0 when there is no reply.
std::uint8_t PCIOptionByteFromReply(std::string_view reply);

// A field of the details box whose request was not answered.
constexpr const char* kNoReplyField = "no reply";

// The decoded values of the eight requests.
struct PCIDetails
{
    std::array<std::string, kPCIFieldCount> fields;
    const std::string& manufacturer() const { return fields[kPCIManufacturer]; }
    // Trimmed: the text ExtractVersion reads.
    const std::string& firmwareVersion() const { return fields[kPCIFirmwareVersion]; }
};

// The field of one reply line, decoded. An empty reply gives an empty field.
std::string DecodePCIField(PCIField field, std::string_view reply);

// Location of the link as the details box shows it.
std::string SerialLocation(std::string_view portName);
std::string TcpLocation(std::string_view address, int port);

// The text of the details box: the unknown-PCI text when the firmware
// version is 0, else the location and the eight fields.
// A field's name as the results box shows it: "Firmware Version".
const char* PCIFieldName(PCIField field);
// The log's words for an identity request to a unit: "Identify Unit Type".
std::string IdentifyRequestName(std::string_view body);

std::string PCIDetailsText(const PCIDetails& details, int firmwareVersion,
                           std::string_view location);

extern const char* const kUnknownPCIText;

// --- Other units, addressed through a CAL header ---

constexpr const char* kIdentifyTypeBody = "2101";
constexpr const char* kIdentifyFirmwareBody = "2102";
constexpr const char* kIdentifyVoltageBody = "2107";

// The reply of `unit` reached over `path` (the network path text, empty on
// the local network), then `tail` (such as "8901*"): "86", the source unit
// (locally) or the first bridge, "????", the further bridges and the unit.
// Only a reply from the unit and network asked matches it.
std::string UnitReplyPattern(int unit, std::string_view path, std::string_view tail);

// The unit type (eight data bytes) and supply voltage (five data bytes) of
// a unit's reply, decoded and trimmed; empty when there is no reply.
std::string UnitTypeFromReply(std::string_view reply, int pathLength);
std::string UnitVoltageFromReply(std::string_view reply, int pathLength);
// The firmware version text of another PCI, decoded and trimmed.
std::string UnitFirmwareFromReply(std::string_view reply, int pathLength);

// "Unit " + number + " Type = " + type.
std::string IdentifyUnitText(int unit, std::string_view type, bool hexNumbers);
// "Unit " + number + " : " + value + "\r": one line of the unit lists.
std::string UnitListLine(int unit, std::string_view value, bool hexNumbers);

// Unit type of each address found by the last unit listing; empty = absent.
using UnitTypeTable = std::array<std::string, 256>;

// The "Identify All Units" text: a line per address with a type.
std::string UnitTypeListText(const UnitTypeTable& table, bool hexNumbers);

// "No reply from unit 05".
std::string NoReplyText(int unit, bool hexNumbers);
// What a unit list lacks, as a closing paragraph: the units that did not
// answer, and where the listing stopped when it was cut short (`stoppedBy`
// "cancelled" or "the link was lost", empty when it ran to the end after
// asking `asked` of `present` units). Empty when nothing is missing.
std::string UnitListMissingText(const std::vector<int>& silent, int asked, int present,
                                std::string_view stoppedBy, bool hexNumbers);

// --- The unit data image ("Get EEPROM Data"): 32 blocks of 8 bytes ---

class UnitDataImage
{
public:
    static constexpr int kBlocks = 32;
    static constexpr int kBlockSize = 8;
    static constexpr int kSize = kBlocks * kBlockSize;

    // Recall Parameter 8·block, count 8 (to go after the unit's CAL header).
    static std::string BlockCommandBody(int block);
    static std::string BlockReplyPattern(int block, int unit, std::string_view path);

    // Stores the eight bytes of a block reply; a missing reply or missing
    // characters give 0 bytes.
    void StoreBlock(int block, std::string_view reply, int pathLength);
    void Clear() { m_bytes.fill(0); }

    std::uint8_t at(int index) const
    {
        return (index >= 0 && index < kSize) ? m_bytes[static_cast<std::size_t>(index)] : 0;
    }
    const std::array<std::uint8_t, kSize>& bytes() const { return m_bytes; }

private:
    std::array<std::uint8_t, kSize> m_bytes{};
};

} // namespace tarvin
