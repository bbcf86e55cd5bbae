#include "core/link/framing.h"

#include "core/decode/hex.h"

#include <cstdio>

namespace tarvin {

std::string HexChecksum(std::string_view text)
{
    unsigned sum = 0;
    std::size_t p = 0;
    while (p + 1 < text.size()) {
        if (IsHexDigit(text[p]) && IsHexDigit(text[p + 1])) {
            sum += HexDigitValue(text[p]) * 16 + HexDigitValue(text[p + 1]);
            p += 2;
        } else {
            ++p;
        }
    }
    return HexByte((256 - sum % 256) % 256);
}

std::string ClampHexByte(std::string_view hexText)
{
    long long value = HexToNumber(hexText);
    if (value < 0)
        value = 0;
    if (value > 255)
        value = 255;
    return HexByte(static_cast<unsigned>(value));
}

std::string TextToHex(std::string_view text)
{
    std::string out;
    out.reserve(text.size() * 2);
    for (char ch : text)
        out += HexByte(static_cast<unsigned char>(ch));
    return out;
}

bool IsValidNetworkPath(std::string_view path)
{
    return IsHexString(path) && path.size() <= 12;
}

std::string RoutingByte(std::size_t bridges)
{
    return HexByte(static_cast<unsigned>(9 * bridges));
}

namespace {

std::optional<std::string> Header(const char* localLead, const char* remoteLead, int number,
                                  bool remote, std::string_view path)
{
    if (!remote)
        return std::string(localLead) + Hex2(static_cast<unsigned>(number)) + "00";
    if (!IsValidNetworkPath(path))
        return std::nullopt;
    // The routing byte goes after the first bridge: the first bridge takes the
    // message, the byte tells it how many more entries follow.
    std::string header(remoteLead);
    header += path.substr(0, 2);
    header += RoutingByte(path.size() / 2);
    header += path.substr(2);
    header += Hex2(static_cast<unsigned>(number));
    return header;
}

} // namespace

std::optional<std::string> SALHeader(int application, bool remote, std::string_view path)
{
    return Header("\\05", "\\03", application, remote, path);
}

std::optional<std::string> CALHeaderForUnit(int unit, bool remote, std::string_view path)
{
    return Header("\\06", "\\06", unit, remote, path);
}

std::string LocalPCIHeader(int firmwareVersion)
{
    return firmwareVersion >= 0x400 ? "@" : "~~~";
}

int GetNetworkPathLength(bool remote, std::string_view path)
{
    if (!remote || path.size() % 2 != 0)
        return 0;
    return static_cast<int>(path.size());
}

char AckSequence::take()
{
    const char letter = m_next;
    m_next = m_next == 'z' ? 'g' : static_cast<char>(m_next + 1);
    return letter;
}

std::string FrameCommand(std::string_view text, unsigned interfaceOptions, bool useAck,
                         AckSequence& ack)
{
    std::string data(text);
    if (interfaceOptions & kOptionChecksum)
        data += HexChecksum(data);
    if (useAck && !data.empty() && !IsAckLetter(data.back()))
        data += ack.take();
    return data;
}

const ModeSequence kBasicMode{{{"~~~", "Set Basic Mode"}, {nullptr, nullptr}}, 1, 0x00};
const ModeSequence kSmartMode{{{"~~~", "Set Basic Mode"}, {"||", "Set Smart Mode"}}, 2, 0x11};
// 0x51: CONNECT, SMART and IDMON.
const ModeSequence kDefaultMode{
    {{"~~~", "Set Basic Mode"}, {"A3300051", "Set Default Mode"}}, 2, 0x51};

bool StringsMatch(std::string_view pattern, std::string_view text)
{
    if (pattern.empty())
        return false;
    std::size_t n;
    if (pattern.back() == '*') {
        n = pattern.size() - 1;
        if (text.size() < n)
            return false;
    } else {
        if (text.size() != pattern.size())
            return false;
        n = pattern.size();
    }
    for (std::size_t i = 0; i < n; ++i)
        if (pattern[i] != '?' && pattern[i] != text[i])
            return false;
    return true;
}

std::string VersionText(int version)
{
    char text[16];
    std::snprintf(text, sizeof text, "%X.%X", (version >> 8) & 0xFFFF, version & 0xFF);
    return text;
}

int ExtractVersion(std::string_view text)
{
    const auto clampInt = [](long long v) { return v > 0xFFFF ? 0xFFFF : static_cast<int>(v); };
    const std::size_t dot = text.find('.');
    int result = clampInt(HexToNumber(text.substr(0, dot))) * 256;
    if (dot != std::string_view::npos) {
        const std::string_view rest = text.substr(dot + 1);
        result += clampInt(HexToNumber(rest.substr(0, rest.find('.'))));
    }
    return result;
}

} // namespace tarvin
