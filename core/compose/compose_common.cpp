#include "core/compose/compose_common.h"

#include "core/decode/hex.h"

namespace tarvin::compose {

std::string Hex4(int v)
{
    const unsigned u = static_cast<unsigned>(v) & 0xFFFFu;
    return HexByte(u >> 8) + HexByte(u);
}

int ClampInt(long long v, int lo, int hi)
{
    if (v < lo)
        return lo;
    if (v > hi)
        return hi;
    return static_cast<int>(v);
}

} // namespace tarvin::compose
