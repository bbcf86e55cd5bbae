#include "core/link/line_assembler.h"

#include "core/decode/hex.h"

namespace tarvin {

std::string AsciiRendering(std::string_view buffer)
{
    std::string rendering;
    std::size_t i = 0;
    while (i + 1 < buffer.size()) {
        if (IsHexDigit(buffer[i]) && IsHexDigit(buffer[i + 1])) {
            const int byte = HexDigitValue(buffer[i]) * 16 + HexDigitValue(buffer[i + 1]);
            rendering += (byte >= 0x20 && byte <= 0x7E) ? static_cast<char>(byte) : '_';
            i += 2;
        } else {
            ++i;
        }
    }
    return rendering;
}

void LineAssembler::Feed(std::string_view piece, bool showAscii, std::vector<ReceivedLine>& out)
{
    for (const char c : piece) {
        const auto ch = static_cast<unsigned char>(c);
        switch (ch) {
        case 0x0A:
            m_buffer += "<LF>";
            Complete(false, showAscii, out);
            continue;
        case 0x0D:
            m_buffer += "<CR>";
            Complete(false, showAscii, out);
            continue;
        case '!':
        case '#':
        case '$':
        case '%':
        case '\'':
        case '.':
        case '~':
            m_buffer += c;
            Complete(true, showAscii, out);
            continue;
        default:
            break;
        }
        if (ch >= 0x20 && ch <= 0x7D) {
            m_buffer += c;
            if (m_buffer.size() >= kMaxLine)
                Complete(false, showAscii, out);
        } else {
            // Control characters and bytes above 0x7D end the line with a marker.
            m_buffer += "<0>";
            Complete(false, showAscii, out);
        }
    }
}

void LineAssembler::Complete(bool terminator, bool showAscii, std::vector<ReceivedLine>& out)
{
    if (showAscii && m_buffer.size() > 1) {
        const std::string rendering = AsciiRendering(m_buffer);
        if (!rendering.empty())
            m_buffer += "  \"" + rendering + "\"";
    }
    ReceivedLine line;
    if (m_buffer.size() > 2) {
        const std::size_t marker = m_buffer.find('<');
        line.part = marker == std::string::npos ? std::string() : m_buffer.substr(0, marker);
    } else {
        line.part = m_buffer;
    }
    line.terminator = terminator;
    line.buffer = std::move(m_buffer);
    m_buffer.clear();
    out.push_back(std::move(line));
}

} // namespace tarvin
