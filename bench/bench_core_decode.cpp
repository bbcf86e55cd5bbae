// Decoding speed over a realistic mix of bus lines. Target: 1,000,000 lines
// per second; "x_target" is the measured rate divided by that target.

#include "core/decode/decode.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

constexpr double kTargetLinesPerSecond = 1e6;

const std::vector<std::string>& Mix()
{
    static const std::vector<std::string> lines = {
        // Lighting with several commands, local and routed.
        "050138000A057F0106790702088044",
        "05113802220A7905010622107F3A11FFA0",
        "0501380079057E",
        "05013A00020A80120BFF7E",
        // Trigger, enable, temperature.
        "0501CA0009050205FF44",
        "05011900020350B0",
        // Confirmations and errors.
        "g.",
        "h.",
        "j#",
        "k$",
        "!",
        // CAL replies and status replies.
        "8605000089010203040506077E",
        "8220057E",
        "A3400048",
        "C438000102030405060708090A0B0C0D0E0F10111213141516171819",
        "E50038001122334455667788",
        // Network control.
        "050AFF007307380012",
        "050AFF007AFF0012",
        // Security and telephony text commands.
        "0501D000AD8D0346726F6E7420446F6F72207E",
        "0501D000E8A648656C6C6F20217E",
        "0501E000A8055535353531323334359C",
        "0501E000A48330313204",
        "0501D5000A03FF7E",
        "0501DF000D010D0509017E",
        "0501E4000E010200FF00D741",
        // Junk.
        "0501380",
        "hello world",
        "",
        "~~~",
        "0501380079 05FF",
    };
    return lines;
}

void BM_DecodeMix(benchmark::State& state)
{
    const auto& lines = Mix();
    tarvin::Decoder decoder;
    tarvin::DecodeContext context;
    context.hexNumbers = true;
    context.interfaceOptions = 0x51;
    const int options = static_cast<int>(state.range(0));
    std::string out;
    std::size_t count = 0;
    for (auto _ : state) {
        for (const std::string& line : lines) {
            decoder.DecodeMessageInto(line, options, context, out);
            benchmark::DoNotOptimize(out.data());
        }
        count += lines.size();
    }
    const double n = static_cast<double>(count);
    state.counters["lines_per_s"] = benchmark::Counter(n, benchmark::Counter::kIsRate);
    state.counters["x_target"] =
        benchmark::Counter(n / kTargetLinesPerSecond, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DecodeMix)->Arg(8)->Arg(15)->Arg(31);

// The one-off form returns a fresh string per line.
void BM_DecodeMixOneOff(benchmark::State& state)
{
    const auto& lines = Mix();
    tarvin::DecodeContext context;
    std::size_t count = 0;
    for (auto _ : state) {
        for (const std::string& line : lines)
            benchmark::DoNotOptimize(tarvin::DecodeMessage(line, 15, context));
        count += lines.size();
    }
    const double n = static_cast<double>(count);
    state.counters["lines_per_s"] = benchmark::Counter(n, benchmark::Counter::kIsRate);
    state.counters["x_target"] =
        benchmark::Counter(n / kTargetLinesPerSecond, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DecodeMixOneOff);

} // namespace

BENCHMARK_MAIN();
