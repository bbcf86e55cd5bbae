#include "core/decode/hex.h"

#include <cstdio>
#include <limits>

namespace tarvin {

int HexDigitValue(char ch)
{
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    return -1;
}

bool IsHexDigit(char ch)
{
    return HexDigitValue(ch) >= 0;
}

bool IsHexString(std::string_view text)
{
    if (text.empty() || text.size() % 2 != 0)
        return false;
    for (char ch : text)
        if (!IsHexDigit(ch))
            return false;
    return true;
}

long long HexToNumber(std::string_view text)
{
    constexpr long long kLimit = std::numeric_limits<long long>::max() / 16;
    long long value = 0;
    for (char ch : text) {
        const int d = HexDigitValue(ch);
        if (d < 0)
            continue;
        if (value > kLimit)
            return std::numeric_limits<long long>::max();
        value = value * 16 + d;
    }
    return value;
}

std::string Hex2(unsigned n)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02X", n);
    return buf;
}

std::string HexByte(unsigned n)
{
    static const char kDigits[] = "0123456789ABCDEF";
    return std::string{kDigits[(n >> 4) & 0xF], kDigits[n & 0xF]};
}

std::string NumberString(long long n, bool hexNumbers)
{
    char buf[32];
    if (hexNumbers)
        std::snprintf(buf, sizeof buf, "%02llX", static_cast<unsigned long long>(n));
    else
        std::snprintf(buf, sizeof buf, "%lld", n);
    return buf;
}

long long StringToNumber(std::string_view text, bool hexNumbers)
{
    // Surrounding blanks are tolerated, as a typed number often has them.
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    if (text.empty())
        return 0;
    long long value = 0;
    if (hexNumbers) {
        for (char ch : text) {
            const int d = HexDigitValue(ch);
            if (d < 0 || value > std::numeric_limits<long long>::max() / 16)
                return 0;
            value = value * 16 + d;
        }
        return value;
    }
    bool negative = false;
    std::size_t i = 0;
    if (text[0] == '+' || text[0] == '-') {
        negative = text[0] == '-';
        i = 1;
    }
    if (i == text.size())
        return 0;
    for (; i < text.size(); ++i) {
        const char ch = text[i];
        if (ch < '0' || ch > '9' || value > std::numeric_limits<long long>::max() / 10)
            return 0;
        value = value * 10 + (ch - '0');
    }
    return negative ? -value : value;
}

std::optional<int> ReadBusNumber(std::string_view text, bool hexNumbers)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    if (text.empty() || text.size() > 3)
        return std::nullopt;
    int value = 0;
    for (const char ch : text) {
        const int d = hexNumbers ? HexDigitValue(ch) : (ch >= '0' && ch <= '9' ? ch - '0' : -1);
        if (d < 0)
            return std::nullopt;
        value = value * (hexNumbers ? 16 : 10) + d;
    }
    if (value > 255)
        return std::nullopt;
    return value;
}

const char* BaseName(bool hexNumbers)
{
    return hexNumbers ? "hex" : "decimal";
}

std::string BusNumberRefusal(std::string_view what, std::string_view typed, bool hexNumbers)
{
    return "\"" + std::string(typed) + "\" is not " +
           (!what.empty() && what.front() == 'a' ? "an " : "a ") + std::string(what) +
           " number: type a " +
           (hexNumbers ? "hexadecimal number from 00 to FF." : "decimal number from 0 to 255.");
}

} // namespace tarvin
