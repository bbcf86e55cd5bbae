// tarvin-monitor in a Windows console: Ctrl+Break, sent to the monitor's own
// process group as the console sends it, ends the capture cleanly, with the
// stop written and the exit status 0.
#include <QtTest>

#include "sim_process.h"

#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <qt_windows.h>

using tarvin::test::SimProcess;

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestMonitorConsole : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The event reaches only processes on our console: have one (a test
        // run may start without), and let the monitor share it.
        AllocConsole();
    }

    void breakStopsTheCaptureCleanly()
    {
        SimProcess sim;
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString capture = dir.filePath(QStringLiteral("capture.csv"));

        QProcess monitor;
        monitor.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments* args) {
            args->flags &= ~static_cast<DWORD>(CREATE_NO_WINDOW);
            args->flags |= CREATE_NEW_PROCESS_GROUP;
        });
        monitor.start(qEnvironmentVariable("TARVIN_MONITOR"),
                      {QStringLiteral("--tcp"), QStringLiteral("127.0.0.1"),
                       QStringLiteral("--port"), QString::number(sim.tcpPort()),
                       QStringLiteral("--output"), capture});
        QVERIFY(monitor.waitForStarted(30000));
        const auto cleanup = qScopeGuard([&monitor] {
            if (monitor.state() != QProcess::NotRunning) {
                monitor.kill();
                monitor.waitForFinished(10000);
            }
        });
        QTRY_VERIFY_WITH_TIMEOUT(ReadAll(capture).contains("connected to 127.0.0.1"), 60000);

        QVERIFY2(
            GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, static_cast<DWORD>(monitor.processId())),
            qPrintable(qt_error_string(static_cast<int>(GetLastError()))));
        QVERIFY(monitor.waitForFinished(60000));
        QCOMPARE(monitor.exitStatus(), QProcess::NormalExit);
        QCOMPARE(monitor.exitCode(), 0);
        const QList<QByteArray> lines = ReadAll(capture).trimmed().split('\n');
        QVERIFY2(lines.last().contains("capture stopped (signal)"), lines.last().constData());
    }
};

QTEST_MAIN(TestMonitorConsole)
#include "tst_monitor_console.moc"
