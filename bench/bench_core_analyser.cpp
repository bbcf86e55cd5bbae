// The traffic analyser's counter over a realistic mix of received lines:
// SAL commands, MMI status requests, CAL replies, short and malformed lines,
// each with the receive path's marker still attached.
#include "core/diagnostics/traffic_analyser.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr double kTargetLinesPerSecond = 1000000.0;

std::vector<std::string> Mix()
{
    return {
        "05013800790544<CR>",
        "050138000A057F01062D<CR>",
        "05223800790C1C<CR>",
        "05123890FF00<CR>",
        "86010089000102030405060708091A<CR>",
        "D8FF005555555555555555555555555555555555555555555535<CR>",
        "05123835<CR>",
        "0501380079054<CR>", // odd length: not counted
        "g.",
    };
}

void BM_CountAnalyserMessage(benchmark::State& state)
{
    const std::vector<std::string> lines = Mix();
    tarvin::TrafficStatistics statistics;
    std::int64_t counted = 0;
    for (auto _ : state) {
        for (const std::string& line : lines)
            tarvin::CountAnalyserMessage(statistics, line);
        counted += static_cast<std::int64_t>(lines.size());
        // Keep the counters from saturating over a long run, as the
        // once-a-second tick does.
        statistics.messagesThisTick = 0;
        statistics.errorsThisTick = 0;
        benchmark::DoNotOptimize(statistics);
    }
    state.counters["lines/s"] = benchmark::Counter(double(counted), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CountAnalyserMessage)->MinTime(1.0);

// One tick with full grids: the once-a-second display work.
void BM_AnalyserRefresh(benchmark::State& state)
{
    tarvin::TrafficStatistics statistics;
    tarvin::TrafficAnalyser analyser(statistics);
    tarvin::UnitTypeTable types;
    for (int i = 0; i < 256; ++i) {
        statistics.applicationCounts[static_cast<std::size_t>(i)] = i + 1;
        statistics.sourceCounts[static_cast<std::size_t>(i)] = i + 1;
        statistics.mmiCounts[static_cast<std::size_t>(i)] = i + 1;
        types[static_cast<std::size_t>(i)] = "RELAY";
    }
    double now = 1;
    for (auto _ : state) {
        analyser.Refresh(now, types, true);
        now += 1;
    }
}
BENCHMARK(BM_AnalyserRefresh)->Unit(benchmark::kMicrosecond);

class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            auto it = run.counters.find("lines/s");
            if (it != run.counters.end())
                std::printf("analyser counter: %.0f lines/s, target %.0f, ratio %.2f\n",
                            double(it->second), kTargetLinesPerSecond,
                            double(it->second) / kTargetLinesPerSecond);
        }
    }
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
