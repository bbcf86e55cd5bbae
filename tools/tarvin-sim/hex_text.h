#pragma once
// Hexadecimal digits as the simulated unit reads them.

namespace tarvin::sim {

// The value of a hexadecimal digit, or -1.
inline int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace tarvin::sim
