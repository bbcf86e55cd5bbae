#pragma once
// Small appenders used while a description is built. They write the same
// texts as NumberString and friends without a temporary string per field,
// which keeps decoding at bus speed.

#include <string>

namespace tarvin {

// Plain decimal, no padding.
void AppendDecimal(std::string& out, long long n);
// Decimal with at least two digits ("%2.2d").
void AppendTwoDigits(std::string& out, int n);
// The low byte of n as exactly two upper-case hexadecimal digits.
void AppendHexByte(std::string& out, unsigned n);
// NumberString(n, hexNumbers) appended to out.
void AppendNumber(std::string& out, long long n, bool hexNumbers);

} // namespace tarvin
