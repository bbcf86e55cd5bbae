#pragma once
// The outbound line grammar: headers, remote network paths, checksum and
// acknowledgement letters, plus the reply-pattern and version helpers.

#include <optional>
#include <string>
#include <string_view>

namespace tarvin {

constexpr unsigned kOptionConnect = 0x01;
constexpr unsigned kOptionXonXoff = 0x04;
constexpr unsigned kOptionChecksum = 0x08;
constexpr unsigned kOptionSmart = 0x10;
constexpr unsigned kOptionMonitor = 0x20;
constexpr unsigned kOptionIdmonBit = 0x40;

// Two digits that make the bytes of the text sum to zero modulo 256; any
// character that does not start a hexadecimal pair is skipped.
std::string HexChecksum(std::string_view text);
// The text read as a hexadecimal number, limited to 0..255, as two digits.
std::string ClampHexByte(std::string_view hexText);
// Every character as two hexadecimal digits of its code.
std::string TextToHex(std::string_view text);

// A remote network path: 1 to 6 bridges, two hexadecimal digits each.
bool IsValidNetworkPath(std::string_view path);
// The routing byte for a path of n bridges (9 × n), as two digits.
std::string RoutingByte(std::size_t bridges);

// The headers. `path` is empty for the local network; a refused path gives
// no header (std::nullopt) and the caller reports "Invalid Remote Network Path.".
std::optional<std::string> SALHeader(int application, bool remote, std::string_view path);
std::optional<std::string> CALHeaderForUnit(int unit, bool remote, std::string_view path);
// The header of a CAL command to the connected PCI itself.
std::string LocalPCIHeader(int firmwareVersion);
// The path length used to find fields in replies from remote units.
int GetNetworkPathLength(bool remote, std::string_view path);

// The acknowledgement letters g..z, used in turn.
class AckSequence
{
public:
    char next() const { return m_next; }
    char take();
    void reset() { m_next = 'g'; }

private:
    char m_next = 'g';
};

inline bool IsAckLetter(char ch)
{
    return ch >= 'g' && ch <= 'z';
}

// A command as it goes on the wire (without the line end): checksum when the
// interface checks them, then an acknowledgement letter when asked for and
// the text does not already end in one.
std::string FrameCommand(std::string_view text, unsigned interfaceOptions, bool useAck,
                         AckSequence& ack);

// The interface control lines of the three one-click modes, each sent as it
// stands with the caption the log shows for it, and the options it leaves.
struct ModeLine
{
    const char* line;
    const char* caption;
};
struct ModeSequence
{
    ModeLine lines[2];
    int count;
    unsigned optionsAfter;
};
extern const ModeSequence kBasicMode;   // "~~~"
extern const ModeSequence kSmartMode;   // "~~~", "||"
extern const ModeSequence kDefaultMode; // "~~~", "A3300051"

// Pattern test for replies: "?" matches any character, a final "*" any rest.
bool StringsMatch(std::string_view pattern, std::string_view text);
// "4.2" -> 0x402, "3.10" -> 0x310, "4" -> 0x400.
int ExtractVersion(std::string_view text);
// The text ExtractVersion reads back: 0x402 -> "4.2", 0x310 -> "3.10".
std::string VersionText(int version);

} // namespace tarvin
