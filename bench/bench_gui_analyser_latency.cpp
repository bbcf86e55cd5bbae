// The traffic analyser under load: tarvin-sim sends monitor lines at a fixed
// rate (2,000 a second by default) over loopback TCP while the analyser
// window counts them. Measures how late a 10 ms timer fires on the GUI
// thread (the responsiveness a user feels), how regularly the analyser's
// own 1-second refresh runs, and how many lines were counted.
//
//   bench_gui_analyser_latency [--seconds N] [--rate N] [--sim PATH]
//
// The simulator comes from --sim, else TARVIN_SIM, else the build tree.
#include "../tests/support/scripted_prompter.h"
#include "gui/app/main_form.h"
#include "gui/diagnostics/analyser_form.h"
#include "gui/diagnostics/interface_tools.h"
#include "session/link_session.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace tarvin;

namespace {

constexpr double kTargetLatencyMs = 50.0; // p99 lateness the user should not notice

double Percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1));
    return values[index];
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int seconds = 10;
    int rate = 2000;
    QString simPath = qEnvironmentVariable("TARVIN_SIM");
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--seconds"))
            seconds = std::max(2, args[i + 1].toInt());
        else if (args[i] == QLatin1String("--rate"))
            rate = std::max(1, args[i + 1].toInt());
        else if (args[i] == QLatin1String("--sim"))
            simPath = args[i + 1];
    }
    if (simPath.isEmpty())
        simPath = QCoreApplication::applicationDirPath() +
                  QStringLiteral("/../tools/tarvin-sim/tarvin-sim");

    QTemporaryDir dir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    qputenv("TARVIN_DATA_DIR", QFile::encodeName(dir.path()));
    QProcess sim;
    sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // SAL of many applications and sources, MMIs, CAL replies, 5 % damaged.
    sim.start(simPath,
              {QStringLiteral("--tcp"), QStringLiteral("0"), QStringLiteral("--traffic"),
               QString::number(rate), QStringLiteral("--error-share"), QStringLiteral("5")});
    quint16 port = 0;
    QElapsedTimer startClock;
    startClock.start();
    QByteArray banner;
    while (!banner.contains("READY") && startClock.elapsed() < 10000) {
        if (!sim.waitForReadyRead(1000) && sim.state() != QProcess::Running)
            break;
        banner += sim.readAll();
    }
    for (const QByteArray& line : banner.split('\n'))
        if (line.startsWith("TCP "))
            port = static_cast<quint16>(line.split(' ').value(2).trimmed().toUInt());
    if (port == 0) {
        std::fprintf(stderr, "tarvin-sim did not start (%s)\n", qPrintable(simPath));
        return 1;
    }
    {
        QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Ostrel"),
                    QStringLiteral("Tarvin Diagnostic"));
        s.beginGroup(QStringLiteral("Options"));
        s.setValue(QStringLiteral("ConnectionType"), QStringLiteral("1"));
        s.setValue(QStringLiteral("IPAddress"), QStringLiteral("127.0.0.1"));
        s.setValue(QStringLiteral("Port"), QString::number(port));
        s.endGroup();
    }

    ScriptedPrompter prompts;
    TMainForm form({}, &prompts);
    // The window's own tools, which its receive path feeds.
    InterfaceTools& tools = form.interfaceTools();
    tools.setUnitTypeSource([] { return UnitTypeTable{}; }); // no MMI: measure counting only
    form.show();
    form.ConnecttoPCIItem->trigger();
    if (!form.state().connected) {
        std::fprintf(stderr, "the workbench did not connect\n");
        return 1;
    }

    std::vector<double> lateness;
    std::vector<double> refreshGaps;
    qint64 counted = 0;
    double measuredSeconds = 0;
    form.setDialogRunner([&](QDialog& dialog) {
        auto* analyser = qobject_cast<TAnalyserForm*>(&dialog);
        if (!analyser)
            return int(QDialog::Rejected);
        dialog.show();
        QElapsedTimer clock;
        QTimer probe;
        probe.setTimerType(Qt::PreciseTimer);
        probe.setInterval(10);
        qint64 lastProbe = 0;
        qint64 lastRefresh = -1;
        QObject::connect(&probe, &QTimer::timeout, [&] {
            const qint64 now = clock.nsecsElapsed();
            lateness.push_back(static_cast<double>(now - lastProbe) / 1e6 - 10.0);
            lastProbe = now;
        });
        QObject::connect(analyser->Timer1, &QTimer::timeout, [&] {
            const qint64 now = clock.nsecsElapsed();
            if (lastRefresh >= 0)
                refreshGaps.push_back(static_cast<double>(now - lastRefresh) / 1e6);
            lastRefresh = now;
        });
        // Let the first second settle, then measure.
        QEventLoop settle;
        QTimer::singleShot(1000, &settle, &QEventLoop::quit);
        settle.exec();
        const auto& s = tools.statistics();
        const qint64 before = qint64(s.messageTotal) + s.messagesThisTick;
        clock.start();
        probe.start();
        QEventLoop loop;
        QTimer::singleShot(seconds * 1000, Qt::PreciseTimer, &loop, &QEventLoop::quit);
        loop.exec();
        probe.stop();
        measuredSeconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        counted = qint64(s.messageTotal) + s.messagesThisTick - before;
        analyser->Button2->click();
        return dialog.result();
    });
    form.AnalyserItem->trigger();
    sim.write("quit\n");
    sim.closeWriteChannel();
    if (!sim.waitForFinished(3000))
        sim.kill();

    const double p50 = Percentile(lateness, 0.50);
    const double p99 = Percentile(lateness, 0.99);
    const double worst = lateness.empty() ? 0 : *std::max_element(lateness.begin(), lateness.end());
    const double gapMin =
        refreshGaps.empty() ? 0 : *std::min_element(refreshGaps.begin(), refreshGaps.end());
    const double gapMax =
        refreshGaps.empty() ? 0 : *std::max_element(refreshGaps.begin(), refreshGaps.end());
    std::printf("analyser under load: %d lines/s offered for %.1f s\n", rate, measuredSeconds);
    std::printf("  lines counted          %lld (%.0f lines/s)\n", static_cast<long long>(counted),
                static_cast<double>(counted) / std::max(measuredSeconds, 0.001));
    std::printf("  10 ms timer lateness   p50 %.2f ms, p99 %.2f ms, max %.2f ms (%zu samples)\n",
                p50, p99, worst, lateness.size());
    std::printf("  refresh interval       %zu refreshes, %.0f..%.0f ms\n", refreshGaps.size() + 1,
                gapMin, gapMax);
    std::printf("  p99 lateness target %.0f ms, ratio %.2f\n", kTargetLatencyMs,
                p99 / kTargetLatencyMs);
    return 0;
}
