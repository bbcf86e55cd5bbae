#include "core/decode/text.h"

namespace tarvin {

void AppendDecimal(std::string& out, long long n)
{
    char buf[24];
    int i = sizeof buf;
    // Work in unsigned so the most negative value has a magnitude too.
    unsigned long long magnitude =
        n < 0 ? 0ULL - static_cast<unsigned long long>(n) : static_cast<unsigned long long>(n);
    do {
        buf[--i] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (n < 0)
        buf[--i] = '-';
    out.append(buf + i, sizeof buf - i);
}

void AppendTwoDigits(std::string& out, int n)
{
    if (n >= 0 && n < 10)
        out.push_back('0');
    AppendDecimal(out, n);
}

void AppendHexByte(std::string& out, unsigned n)
{
    static const char kDigits[] = "0123456789ABCDEF";
    out.push_back(kDigits[(n >> 4) & 0xF]);
    out.push_back(kDigits[n & 0xF]);
}

void AppendNumber(std::string& out, long long n, bool hexNumbers)
{
    if (!hexNumbers) {
        AppendDecimal(out, n);
        return;
    }
    static const char kDigits[] = "0123456789ABCDEF";
    char buf[16];
    int i = sizeof buf;
    auto value = static_cast<unsigned long long>(n);
    do {
        buf[--i] = kDigits[value & 0xF];
        value >>= 4;
    } while (value != 0);
    if (sizeof buf - i < 2)
        buf[--i] = '0';
    out.append(buf + i, sizeof buf - i);
}

} // namespace tarvin
