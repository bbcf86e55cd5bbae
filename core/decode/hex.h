#pragma once
// Hexadecimal text helpers and the number display rule shared by the whole
// program. Texts are byte strings: one char is one byte.

#include <cstdint>
#include <string>
#include <string_view>

namespace tarvin {

bool IsHexDigit(char ch);
// Non-empty, even length, hexadecimal digits only.
bool IsHexString(std::string_view text);
// Value of the hexadecimal digits of text, most significant first; any other
// character is skipped; the empty text is 0. Saturates instead of overflowing.
long long HexToNumber(std::string_view text);
int HexDigitValue(char ch);

// n as two upper-case hexadecimal digits (more when n > 0xFF).
std::string Hex2(unsigned n);
// The low byte of n as exactly two upper-case hexadecimal digits.
std::string HexByte(unsigned n);

// Every numbered list and every bus number shown to the user: at least two
// upper-case hex digits in hexadecimal mode, else plain decimal.
std::string NumberString(long long n, bool hexNumbers);
// Inverse of NumberString; any text that is not a number gives 0.
long long StringToNumber(std::string_view text, bool hexNumbers);

} // namespace tarvin
