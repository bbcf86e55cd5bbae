#pragma once
// Turns the stream of characters from the interface into lines.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tarvin {

struct ReceivedLine
{
    std::string buffer;      // the whole line: text, markers, ASCII rendering
    std::string part;        // what the decoder and collectors are given
    bool terminator = false; // ended by an answer character ("!", ".", "~"...)
    // Lines that begin with a marker are never kept as the last received line.
    bool keep() const { return !buffer.empty() && buffer[0] != '<'; }
};

class LineAssembler
{
public:
    // A line that never ends is completed at this size, so a peer that sends
    // no terminator cannot grow the buffer without bound.
    static constexpr std::size_t kMaxLine = 4096;

    // Appends a piece of received text; completed lines are appended to
    // `out`. A partial line is kept for the next piece.
    void Feed(std::string_view piece, bool showAscii, std::vector<ReceivedLine>& out);

    const std::string& pending() const { return m_buffer; }
    void clear() { m_buffer.clear(); }

private:
    void Complete(bool terminator, bool showAscii, std::vector<ReceivedLine>& out);

    std::string m_buffer;
};

// The printable rendering of the hexadecimal pairs in a text ("_" for bytes
// outside 0x20..0x7E); empty when there are none.
std::string AsciiRendering(std::string_view buffer);

} // namespace tarvin
