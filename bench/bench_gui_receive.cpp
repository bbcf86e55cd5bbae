// Received lines through the whole receive path into the 200-line log pane:
// line assembler, decoder, log line, pane (offscreen).
#include "../tests/support/scripted_prompter.h"
#include "gui/app/main_form.h"
#include "session/link_session.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr double kTargetLinesPerSecond = 20000.0;

void BM_ReceivePathIntoLog(benchmark::State& state)
{
    tarvin::ScriptedPrompter prompts;
    tarvin::TMainForm form({}, &prompts);
    form.show();
    // A realistic burst: monitor messages, confirmations, a CAL reply.
    const QByteArray burst = "05013800790544\r\n"
                             "g."
                             "050138000A057F01062D\r\n"
                             "h."
                             "86010089000102030405\r\n"
                             "05223800790C1C\r\n";
    constexpr int kLinesPerBurst = 6;
    std::int64_t lines = 0;
    for (auto _ : state) {
        form.link().ProcessReceivedText(burst);
        lines += kLinesPerBurst;
    }
    state.counters["lines/s"] = benchmark::Counter(double(lines), benchmark::Counter::kIsRate);
    state.counters["pane lines"] = form.TransmitMemo->blockCount();
}
BENCHMARK(BM_ReceivePathIntoLog)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

// Prints the rate against the target after the run.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            auto it = run.counters.find("lines/s");
            if (it != run.counters.end())
                std::printf("receive path: %.0f lines/s, target %.0f, ratio %.2f\n",
                            double(it->second), kTargetLinesPerSecond,
                            double(it->second) / kTargetLinesPerSecond);
        }
    }
};

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config.path());
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
