#include "core/decode/decode.h"

#include "core/decode/applications.h"
#include "core/decode/commands.h"
#include "core/decode/hex.h"

#include <algorithm>

namespace tarvin {

namespace {

constexpr int kStatusReplyHeader = 0xC0;
constexpr int kSalHeader = 0x05;
constexpr int kCalHeader = 0x06;

// Characters pos .. pos + count - 1 of text, or fewer where the text ends.
std::string_view Mid(std::string_view text, std::size_t pos,
                     std::size_t count = std::string_view::npos)
{
    if (pos >= text.size())
        return {};
    return text.substr(pos, count);
}

struct HexTable
{
    std::array<std::int8_t, 256> value{};
    constexpr HexTable()
    {
        for (auto& v : value)
            v = -1;
        for (int i = 0; i < 10; ++i)
            value['0' + i] = static_cast<std::int8_t>(i);
        for (int i = 0; i < 6; ++i) {
            value['A' + i] = static_cast<std::int8_t>(10 + i);
            value['a' + i] = static_cast<std::int8_t>(10 + i);
        }
    }
};
constexpr HexTable kHex;

int HexValue(char ch)
{
    return kHex.value[static_cast<unsigned char>(ch)];
}

bool IsHexMessage(std::string_view text)
{
    if (text.empty() || text.size() % 2 != 0)
        return false;
    for (char ch : text)
        if (HexValue(ch) < 0)
            return false;
    return true;
}

void WriteRewritten(std::string_view text, std::string& out)
{
    out.clear();
    // The outbound route byte is 9 times the number of path entries.
    const int route = static_cast<int>(HexToNumber(Mid(text, 4, 2)) / 9);
    if (route == 0) {
        out.append(Mid(text, 0, 2));
        out += "00";
        out.append(Mid(text, 2));
        out += "00";
        return;
    }
    const std::size_t r = static_cast<std::size_t>(route);
    std::size_t headerStart = out.size();
    out.append(Mid(text, 0, 4));
    // Point to point to multipoint is described as point to multipoint.
    if (out.compare(headerStart, 2, "03") == 0)
        out[headerStart + 1] = '5';
    out.append(Mid(text, 2 * r + 4, 2)); // application (or unit) after the path
    out += Hex2(static_cast<unsigned>(route));
    out.append(Mid(text, 6, 2 * r - 2)); // the remaining path entries
    out += "00";                         // source unit
    out.append(Mid(text, 2 * r + 6));
    out += "00"; // dummy checksum
}

void DecodeSal(MessageReader& m, int options, std::string& out)
{
    if (options & ShowUnit)
        m.AppendSourceUnitText(out);
    if (m.length() < 4)
        return;
    const int application = m.at(3);
    if (options & ShowApplication) {
        out += ApplicationName(application, m.hexNumbers());
        out += ", ";
    }
    if (!(options & ShowMessage))
        return;
    const CommandDecoder decoder = CommandDecoderFor(application);
    const int length = m.length();
    int p = m.at(4) + 5;
    while (p < length) {
        const int c = m.at(p);
        const int arguments = (c & 0x80) ? (c & 0x1F) : (c & 0x07);
        const int next = p + arguments + 1;
        // The last byte is the checksum, never part of a command.
        if (next > length) {
            out += "LENGTH ERROR";
            return;
        }
        if (decoder)
            decoder(m, c, p, out);
        p = next;
        if (p < length)
            out += ", ";
    }
}

} // namespace

std::string SentCommandInReceivedLayout(std::string_view hexText)
{
    std::string out;
    WriteRewritten(hexText, out);
    return out;
}

bool Decoder::Parse(std::string_view hexText)
{
    if (!IsHexMessage(hexText))
        return false;
    const int length =
        static_cast<int>(std::min<std::size_t>(hexText.size() / 2, MessageBuffer::kCapacity));
    for (int k = 1; k <= length; ++k) {
        const std::size_t i = static_cast<std::size_t>(2 * (k - 1));
        m_buffer.bytes[static_cast<std::size_t>(k)] =
            static_cast<std::uint8_t>(HexValue(hexText[i]) * 16 + HexValue(hexText[i + 1]));
    }
    m_buffer.length = length;
    return true;
}

void Decoder::DecodeMessageInto(std::string_view text, int options, const DecodeContext& context,
                                std::string& out)
{
    out.clear();
    std::string_view line = text;
    // A direct CAL to the local interface is a point-to-point message to
    // unit 00 on the local network.
    if (line.size() > 1 && line.front() == '@') {
        m_expanded.assign("\\060000");
        m_expanded.append(line.substr(1));
        line = m_expanded;
    }
    if (line.size() > 1 && line.front() == '\\')
        line.remove_prefix(1);

    if (!IsHexMessage(line)) {
        if (line.find('!') != std::string_view::npos) {
            out = "Checksum Error";
        } else if (line.size() == 2 && line[0] >= 'g' && line[0] <= 'z') {
            switch (line[1]) {
            case '.':
                out = "OK";
                break;
            case '#':
                out = "No Acknowledgement";
                break;
            case '$':
                out = "Corrupted Transmission";
                break;
            case '%':
                out = "No Tarvin Clock";
                break;
            default:
                break;
            }
        }
        return;
    }

    const bool sent = (options & SentCommand) != 0;
    if (sent) {
        options &= ~ShowUnit;
        WriteRewritten(line, m_rewritten);
        line = m_rewritten;
    }
    Parse(line);

    MessageReader m(m_buffer, context.hexNumbers);
    const int header = m.at(1);
    if ((options & ShowNetwork) && line.size() >= 12 && header < kStatusReplyHeader) {
        const int route = m.at(4);
        if (route == 0) {
            out += "Local Network, ";
        } else {
            // The path as received: pair 2, then pairs 5 .. r+3.
            out += "Network ";
            out.append(Mid(line, 2, 2));
            out.append(Mid(line, 8, static_cast<std::size_t>(2 * route - 2)));
            out += ", ";
        }
    }

    const bool idmon = (context.interfaceOptions & kOptionIdmon) != 0;
    if (header == kSalHeader)
        DecodeSal(m, options, out);
    else if (sent ? header == kCalHeader : header < kStatusReplyHeader)
        DecodeCAL(m, options, idmon, out);
    else if (!sent)
        DecodeStatusReply(m, out);

    // A field outside the buffer means the message is not what it claims to
    // be: say nothing rather than something half right.
    if (m.failed())
        out.clear();
}

std::string Decoder::DecodeMessage(std::string_view text, int options, const DecodeContext& context)
{
    std::string out;
    DecodeMessageInto(text, options, context, out);
    return out;
}

bool DescribesFault(std::string_view description)
{
    for (const char* fault : {"Checksum Error", "No Acknowledgement", "Corrupted Transmission",
                              "No Tarvin Clock", "LENGTH ERROR"})
        if (description.find(fault) != std::string_view::npos)
            return true;
    return false;
}

std::string DecodeMessage(std::string_view text, int options, const DecodeContext& context)
{
    Decoder decoder;
    return decoder.DecodeMessage(text, options, context);
}

} // namespace tarvin
