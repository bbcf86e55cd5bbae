// Every line the decoder may meet, under every decode option word, both
// states of IDMON and both number bases. Besides the sanitizers' checks, a
// description must never depend on an earlier message's bytes.
//
// Each input is tried as typed and also written as hexadecimal pairs (with a
// "\" or "@" lead-in picked by its first byte), so that the fuzzer reaches
// the message decoders without having to discover hex digits first.

#include "core/decode/decode.h"
#include "core/decode/interpret.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

const std::string kJunk(2 * tarvin::MessageBuffer::kCapacity, 'F');

// The number base and IDMON are picked by the selector, so the corpus as a
// whole covers all four; every option word is tried on every input.
void Check(std::string_view line, unsigned selector)
{
    static tarvin::Decoder shared;
    tarvin::DecodeContext context;
    context.hexNumbers = (selector & 1) != 0;
    context.interfaceOptions = (selector & 2) ? 0x51 : 0x00;
    for (int options = 0; options < 32; ++options) {
        shared.Parse(kJunk); // every byte of a stale message is FF
        const std::string seasoned = shared.DecodeMessage(line, options, context);
        tarvin::Decoder fresh;
        if (fresh.DecodeMessage(line, options, context) != seasoned)
            std::abort();
    }
    shared.Parse(kJunk);
    if (tarvin::InterpretCommandText(line, context, shared) !=
        tarvin::InterpretCommandText(line, context))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    // The last byte picks the context of the line as typed, the first byte
    // that of its hexadecimal form.
    Check(std::string_view(reinterpret_cast<const char*>(data), size), data[size - 1] >> 2);
    static const char kDigits[] = "0123456789ABCDEF";
    static const char* const kLeadIns[] = {"", "\\", "@", ""};
    std::string pairs = kLeadIns[data[0] & 3];
    for (std::size_t i = 1; i < size; ++i) {
        pairs.push_back(kDigits[data[i] >> 4]);
        pairs.push_back(kDigits[data[i] & 0xF]);
    }
    Check(pairs, data[0] >> 2);
    return 0;
}
