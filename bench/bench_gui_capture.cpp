// A 1,000,000-line capture in the capture window (offscreen): time to the
// first rows, to the whole file, the memory it takes, and how long filters
// take over it. Usage: bench_gui_capture [capture file] (default: one is
// written to a temporary folder, as tarvin-monitor writes them).
#include "../tests/support/scripted_prompter.h"
#include "gui/capture/capture_model.h"
#include "gui/capture/capture_window.h"
#include "session/session.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int kLines = 1000000;

// VmRSS or VmHWM of this process in MiB.
double MemoryMiB(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').first().toDouble() / 1024.0;
    return -1;
}

void WriteCapture(const QString& path)
{
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return;
    const char* const mix[] = {"0512380079050035<CR>,GA 5 On",
                               "0520FF9001020300<CR>,",
                               "8630008901ABCD9A<CR>,\"CAL, Reply\"",
                               "0530880012340034<CR>,",
                               "050A3800790535<CR>,GA 5 On",
                               "0505CA0001020335<CR>,Trigger",
                               "861200A1009A<CR>,",
                               "0512390035<CR>,"};
    const qint64 start = QDateTime(QDate(2026, 12, 9), QTime(5, 0), Qt::UTC).toMSecsSinceEpoch();
    QByteArray text =
        "time,direction,raw,description\n"
        "2026-12-09 05:00:00.000,#,,Tarvin capture 1; program=bench; mode=all-monitor\n";
    for (int i = 0; i < kLines; ++i) {
        text += QDateTime::fromMSecsSinceEpoch(start + i * 10, Qt::UTC)
                    .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"))
                    .toLatin1();
        text += ",Rx,";
        text += mix[i % 8];
        text += '\n';
        if (text.size() > (8 << 20)) {
            out.write(text);
            text.clear();
        }
    }
    out.write(text);
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    QString path = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (path.isEmpty()) {
        path = dir.filePath(QStringLiteral("capture.csv"));
        WriteCapture(path);
    }
    const double before = MemoryMiB("VmRSS:");

    tarvin::ScriptedPrompter prompts;
    tarvin::Session session;
    session.setHexNumbers(false);
    tarvin::CaptureWindow window(session, prompts, [](QDialog&) { return 0; });
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.show();
    QElapsedTimer clock;
    clock.start();
    if (!window.openFile(path))
        return 1;
    qint64 firstRows = -1;
    while (window.loading()) {
        app.processEvents();
        if (firstRows < 0 && window.model().rowCount() > 0)
            firstRows = clock.elapsed();
    }
    const qint64 loaded = clock.elapsed();
    const double rss = MemoryMiB("VmRSS:");
    std::printf("capture: %zu lines (%s)\n", window.store().size(), qPrintable(path));
    std::printf("%-34s %8lld ms  target 2000 ms  ratio %.1fx\n", "first rows shown", firstRows,
                2000.0 / double(std::max<qint64>(firstRows, 1)));
    std::printf("%-34s %8lld ms  target 5000 ms  ratio %.1fx\n", "whole file read", loaded,
                5000.0 / double(std::max<qint64>(loaded, 1)));
    std::printf("%-34s %8.0f MiB (store %.0f MiB, before %.0f MiB, peak %.0f MiB)  target 400 MiB"
                "  ratio %.1fx\n",
                "resident memory", rss, double(window.store().memoryBytes()) / (1 << 20), before,
                MemoryMiB("VmHWM:"), 400.0 / rss);

    // Each change applies at once (the text after its short pause, here
    // forced): the time is the change and the filter together.
    const auto timeFilter = [&](const char* label, const std::function<void()>& set) {
        QElapsedTimer t;
        t.start();
        set();
        window.applyFilter();
        const qint64 ms = t.elapsed();
        std::printf("%-34s %8lld ms  target 300 ms  ratio %.1fx  (%d rows)\n", label, ms,
                    300.0 / double(std::max<qint64>(ms, 1)), window.model().rowCount());
    };
    timeFilter("filter: text \"ga 5\"",
               [&] { window.FilterEdit->setText(QStringLiteral("ga 5")); });
    timeFilter("filter: + received", [&] { window.DirectionCombo->setCurrentIndex(2); });
    timeFilter("filter: application 56 only", [&] {
        window.FilterEdit->clear();
        window.DirectionCombo->setCurrentIndex(0);
        window.ApplicationEdit->setText(QStringLiteral("56"));
    });
    timeFilter("filter: errors only", [&] {
        window.ApplicationEdit->clear();
        window.ErrorsOnlyCheck->setChecked(true);
    });
    timeFilter("filter: none", [&] { window.ErrorsOnlyCheck->setChecked(false); });
    return 0;
}
