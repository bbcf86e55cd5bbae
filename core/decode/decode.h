#pragma once
// The message decoder: one line of text in, one line of English out.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarvin {

enum DecodeOption : int
{
    ShowUnit = 1,
    ShowNetwork = 2,
    ShowApplication = 4,
    ShowMessage = 8,
    SentCommand = 16,
};

// What the decoder needs to know of the rest of the program, passed with
// every call instead of read from globals.
struct DecodeContext
{
    bool hexNumbers = false;           // the "Hexadecimal Numbers" switch
    std::uint8_t interfaceOptions = 0; // option byte last written to the PCI
};

constexpr std::uint8_t kOptionIdmon = 0x40;

// The message buffer. Positions count from 1 as on the wire; index 0 is
// unused so that b1 is bytes[1].
struct MessageBuffer
{
    static constexpr int kCapacity = 200;
    std::array<std::uint8_t, kCapacity + 1> bytes{};
    int length = 0;

    // Byte k of the current message; 0 beyond the message, so no field ever
    // shows a stale byte of an earlier one.
    std::uint8_t at(int k) const { return (k >= 1 && k <= length) ? bytes[k] : 0; }
};

class Decoder
{
public:
    // Returns the description of one line, or the empty text.
    std::string DecodeMessage(std::string_view text, int options, const DecodeContext& context);
    // The same, written into out (replacing its contents) so a caller that
    // decodes many lines can keep one string's storage.
    void DecodeMessageInto(std::string_view text, int options, const DecodeContext& context,
                           std::string& out);

    // Reads a hexadecimal line into the buffer: length = pairs, at most 200.
    // Returns false, leaving the buffer as it was, when the text is not a
    // valid hexadecimal message (IsHexString).
    bool Parse(std::string_view hexText);

    const MessageBuffer& buffer() const { return m_buffer; }

private:
    MessageBuffer m_buffer;
    std::string m_expanded;  // the line after the "@" shorthand is expanded
    std::string m_rewritten; // an outbound command in the received layout
};

// Convenience for one-off calls.
std::string DecodeMessage(std::string_view text, int options, const DecodeContext& context);

// Whether a description reports a fault: a checksum error, no or a refused
// acknowledgement, no clock, or a message of the wrong length.
bool DescribesFault(std::string_view description);

// An outbound command (hexadecimal, without its leading "\") in the layout of
// a received message: the source unit 00 after the header (and the path), the
// application in front of the path, header 03 with a path made 05, and a
// dummy checksum 00 at the end.
std::string SentCommandInReceivedLayout(std::string_view hexText);

} // namespace tarvin
