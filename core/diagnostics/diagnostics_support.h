#pragma once
// Small rules the diagnostics commands share: what part of a returned reply
// the field decoders may read, and which typed numbers address the bus.

#include <string>
#include <string_view>

namespace tarvin {

// The reply text without the receive path's markers ("<CR>", "<LF>" and
// whatever follows the first "<"). The field decoders read fixed positions:
// a short reply must end in nothing rather than in marker characters, which
// would otherwise be read as hex digits ("<C" as 0C).
std::string StripReplyMarkers(std::string_view reply);

// Unit, group and application numbers are single bus bytes.
constexpr bool IsBusNumber(long long n)
{
    return n >= 0 && n <= 255;
}

// How long an MMI waits for its status reports, per request.
constexpr int kMMIWaitMs = 5000;

} // namespace tarvin
