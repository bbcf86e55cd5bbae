// Whatever arrives on the link, cut into whatever pieces: the assembler must
// give the same lines as for the stream in one piece, keep its partial line
// bounded, and hand out parts that stand at the start of their line.

#include "core/link/line_assembler.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const bool showAscii = (data[0] & 1) != 0;
    const unsigned maxPiece = 1 + data[0] % 16;
    const std::string_view stream(reinterpret_cast<const char*>(data + 1), size - 1);

    tarvin::LineAssembler whole;
    std::vector<tarvin::ReceivedLine> expected;
    whole.Feed(stream, showAscii, expected);

    tarvin::LineAssembler pieces;
    std::vector<tarvin::ReceivedLine> got;
    std::size_t pos = 0;
    unsigned step = 0;
    while (pos < stream.size()) {
        // Piece sizes come from the stream itself, so the fuzzer steers them.
        const std::size_t n = 1 + (static_cast<unsigned char>(stream[pos]) + step++) % maxPiece;
        pieces.Feed(stream.substr(pos, n), showAscii, got);
        pos += n;
        if (pieces.pending().size() >= tarvin::LineAssembler::kMaxLine)
            std::abort();
    }
    if (got.size() != expected.size() || pieces.pending() != whole.pending())
        std::abort();
    for (std::size_t i = 0; i < got.size(); ++i) {
        if (got[i].buffer != expected[i].buffer || got[i].part != expected[i].part)
            std::abort();
        if (got[i].buffer.compare(0, got[i].part.size(), got[i].part) != 0)
            std::abort();
    }
    return 0;
}
