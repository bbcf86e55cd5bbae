#pragma once
// Hexadecimal text helpers and the number display rule shared by the whole
// program. Texts are byte strings: one char is one byte.

#include <cstdint>
#include <optional>
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

// A bus number (0..255) as the user types it: only digits of the base the
// program shows (blanks around it allowed); nothing for any other text.
std::optional<int> ReadBusNumber(std::string_view text, bool hexNumbers);
// The base as prompts name it: "hex" or "decimal".
const char* BaseName(bool hexNumbers);
// Why a typed text is refused as a `what` ("unit"):
// "\"300\" is not a unit number: type a decimal number from 0 to 255."
std::string BusNumberRefusal(std::string_view what, std::string_view typed, bool hexNumbers);

} // namespace tarvin
