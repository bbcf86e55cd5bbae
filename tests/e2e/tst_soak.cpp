// Soak and fault test: the simulator injects 2,000 lines a second in random
// pieces with 1 % garbage, the link is dropped and re-made again and again,
// and the reader is slow. Nothing may crash, and every well-formed line the
// simulator put on a link must be seen exactly once. Memory and event-loop
// lateness are reported for the record; their limits are judged in bench/,
// not here, since a loaded machine would fail them for no fault of ours.
//
// TARVIN_SOAK_SECONDS sets the length of each phase (default 12).
#include <QtTest>

#include "gui/app/main_form.h"
#include "scripted_prompter.h"
#include "session/link_session.h"
#include "session/session.h"
#include "sim_process.h"
#include "test_support.h"

#include <QAction>
#include <QProcess>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>

#include <csignal>

using namespace tarvin;
using namespace tarvin::test;

namespace {

constexpr int kLinesPerSecond = 2000;

// Enough lines to mean something however slowly a loaded machine runs the
// simulator's pacing (2,000 a second would give ten times as many).
constexpr int kLeastLinesSent = 2000;

int SoakSeconds()
{
    const int s = qEnvironmentVariableIntValue("TARVIN_SOAK_SECONDS");
    return s > 0 ? s : 12;
}

// Resident memory of a process in KiB, from /proc.
long RssKiB(qint64 pid)
{
    QFile status(pid > 0 ? QStringLiteral("/proc/%1/status").arg(pid)
                         : QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

// One pass of the injected file: 2,000 lines, one in a hundred garbage.
// Well-formed lines are lighting messages with two commands; the groups make
// every line of the pass different.
QString WriteInjectFile(const QString& dir, QSet<QByteArray>& wellFormed)
{
    QRandomGenerator random(20261208);
    QByteArray text;
    for (int i = 0; i < kLinesPerSecond; ++i) {
        if (i % 100 == 50) {
            QByteArray junk;
            const int n = 1 + random.bounded(40);
            for (int k = 0; k < n; ++k) {
                char c = char(random.bounded(1, 256));
                if (c == '\n' || c == '\r')
                    c = 'Q';
                junk += c;
            }
            text += junk + '\n';
            continue;
        }
        const int g1 = i / 256, g2 = i % 256;
        const int sum = 0x05 + 0x01 + 0x38 + 0x79 + g1 + 0x79 + g2;
        const QByteArray line = QStringLiteral("0501380079%179%2%3")
                                    .arg(g1, 2, 16, QLatin1Char('0'))
                                    .arg(g2, 2, 16, QLatin1Char('0'))
                                    .arg((0x100 - sum % 0x100) % 0x100, 2, 16, QLatin1Char('0'))
                                    .toUpper()
                                    .toLatin1();
        wellFormed.insert(line);
        text += line + '\n';
    }
    QFile f(dir + QStringLiteral("/inject.txt"));
    if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size())
        return {};
    return f.fileName();
}

// How often the simulator put each well-formed line on a link.
QHash<QByteArray, int> SentCounts(const SimProcess& sim, const QSet<QByteArray>& wellFormed)
{
    QHash<QByteArray, int> counts;
    for (const auto& e : sim.wireEntries())
        if (!e.received && e.bytes.endsWith("\r\n")) {
            const QByteArray line = e.bytes.chopped(2);
            if (wellFormed.contains(line))
                ++counts[line];
        }
    return counts;
}

QStringList SimArgs(const QString& injectFile, int seconds)
{
    return {QStringLiteral("--inject-file"),
            injectFile,
            QStringLiteral("--inject-rate"),
            QString::number(kLinesPerSecond),
            QStringLiteral("--inject-repeat"),
            QString::number(seconds),
            QStringLiteral("--split"),
            QStringLiteral("--split-max"),
            QStringLiteral("64"),
            QStringLiteral("--seed"),
            QStringLiteral("42")};
}

} // namespace

class TestSoak : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
    }

    // tarvin-monitor capturing to a pipe that is read slowly.
    void monitorThroughDropsWithASlowReader()
    {
        const int seconds = SoakSeconds();
        QSet<QByteArray> wellFormed;
        const QString inject = WriteInjectFile(m_dir.path(), wellFormed);
        QVERIFY(!inject.isEmpty());
        SimProcess sim;
        QVERIFY2(sim.start(SimArgs(inject, seconds)), qPrintable(sim.errorString()));

        QProcess monitor;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.path());
        monitor.setProcessEnvironment(env);
        monitor.start(qEnvironmentVariable("TARVIN_MONITOR"),
                      {QStringLiteral("--tcp"), QStringLiteral("127.0.0.1"),
                       QStringLiteral("--port"), QString::number(sim.tcpPort()),
                       QStringLiteral("--default-mode"), QStringLiteral("--retry-max"),
                       QStringLiteral("1")});
        QVERIFY(monitor.waitForStarted(5000));

        QByteArray captured;
        long rssStart = -1;
        QElapsedTimer clock;
        clock.start();
        int drops = 0;
        // The slow reader: a look at the pipe every 300 ms, no more.
        while (clock.elapsed() < seconds * 1000 + 500) {
            QTest::qWait(300);
            captured += monitor.readAllStandardOutput();
            if (rssStart < 0 && clock.elapsed() > 2000)
                rssStart = RssKiB(monitor.processId());
            if (clock.elapsed() > (drops + 1) * 3000 && clock.elapsed() < seconds * 1000 - 2000) {
                const QString answer = sim.command(QStringLiteral("drop"));
                QVERIFY2(answer.startsWith(QLatin1String("OK")), qPrintable(answer));
                ++drops;
            }
        }
        // The simulator has stopped injecting; let what it still holds reach
        // the capture, until both sides stand still.
        QHash<QByteArray, int> sent;
        int sentTotal = 0;
        const auto settled = [&] {
            captured += monitor.readAllStandardOutput();
            const auto now = SentCounts(sim, wellFormed);
            int total = 0;
            for (int n : now)
                total += n;
            const bool still = total == sentTotal && int(captured.count("<CR>]")) >= total;
            sent = now;
            sentTotal = total;
            return still;
        };
        QTRY_VERIFY_WITH_TIMEOUT(settled(), 30000);
        const long rssEnd = RssKiB(monitor.processId());
        ::kill(monitor.processId(), SIGTERM);
        QVERIFY(monitor.waitForFinished(10000));
        captured += monitor.readAllStandardOutput();
        QCOMPARE(monitor.exitStatus(), QProcess::NormalExit);
        QCOMPARE(monitor.exitCode(), 0);

        QHash<QByteArray, int> seen;
        int gaps = 0;
        for (const QByteArray& line : captured.split('\n')) {
            if (line.contains("  # link lost"))
                ++gaps;
            const int open = line.lastIndexOf("  [");
            if (open < 0 || !line.endsWith("<CR>]"))
                continue;
            const QByteArray raw = line.mid(open + 3, line.size() - open - 3 - 5);
            if (wellFormed.contains(raw))
                ++seen[raw];
        }
        qInfo("monitor: %d well-formed lines sent, %d drops, RSS %ld KiB -> %ld KiB", sentTotal,
              drops, rssStart, rssEnd);
        QVERIFY(sentTotal >= kLeastLinesSent);
        QCOMPARE(seen, sent);
        // A drop while the monitor is still reading out a closed link's
        // backlog finds no new link to close, so gaps can be fewer.
        QVERIFY(gaps >= 1 && gaps <= drops);
    }

    // The workbench itself: lines counted as they complete, the link dropped
    // and re-made from the menu, the event loop's latency measured.
    void workbenchStaysResponsive()
    {
        const int seconds = SoakSeconds();
        QSet<QByteArray> wellFormed;
        const QString inject = WriteInjectFile(m_dir.path(), wellFormed);
        SimProcess sim;
        QVERIFY2(sim.start(SimArgs(inject, seconds)), qPrintable(sim.errorString()));
        StoreTcp(sim.tcpPort());
        ScriptedPrompter prompts;
        TMainForm form({}, &prompts);
        form.show();

        QHash<QByteArray, int> seen;
        connect(&form.link(), &LinkSession::lineCompleted, this, [&](const ReceivedLine& line) {
            const QByteArray part = QByteArray::fromStdString(line.part);
            if (wellFormed.contains(part))
                ++seen[part];
        });
        // Event-loop latency: how late a 10 ms timer fires.
        qint64 worstLateness = 0;
        QElapsedTimer tick;
        QTimer probe;
        probe.setTimerType(Qt::PreciseTimer);
        connect(&probe, &QTimer::timeout, this, [&] {
            if (tick.isValid())
                worstLateness = std::max(worstLateness, tick.elapsed() - 10);
            tick.restart();
        });
        probe.start(10);

        form.ConnecttoPCIItem->trigger();
        QVERIFY(form.state().connected);
        const long rssStart = RssKiB(0);
        QElapsedTimer clock;
        clock.start();
        int reconnects = 0;
        while (clock.elapsed() < seconds * 1000 + 500) {
            QTest::qWait(200);
            if (clock.elapsed() > (reconnects + 1) * 4000 &&
                clock.elapsed() < seconds * 1000 - 3000) {
                // The interface goes away; one click connects again.
                const QString answer = sim.command(QStringLiteral("drop"));
                QVERIFY2(answer.startsWith(QLatin1String("OK")), qPrintable(answer));
                QTRY_VERIFY_WITH_TIMEOUT(!form.session().link().CommsOpen(), 5000);
                QVERIFY(!form.ConnecttoPCIItem->isChecked());
                form.ConnecttoPCIItem->trigger();
                QVERIFY(form.state().connected);
                ++reconnects;
            }
        }
        // Measured before the test reads the simulator's wire log, which
        // takes time and memory of its own.
        probe.stop();
        const long rssEnd = RssKiB(0);
        QHash<QByteArray, int> sent;
        int sentTotal = 0;
        const auto settled = [&] {
            const auto now = SentCounts(sim, wellFormed);
            int total = 0, seenTotal = 0;
            for (int n : now)
                total += n;
            for (int n : seen)
                seenTotal += n;
            const bool still = total == sentTotal && seenTotal >= total;
            sent = now;
            sentTotal = total;
            return still;
        };
        QTRY_VERIFY_WITH_TIMEOUT(settled(), 30000);
        qInfo("workbench: %d well-formed lines, %d reconnects, worst event-loop lateness %lld ms, "
              "RSS %ld KiB -> %ld KiB",
              sentTotal, reconnects, worstLateness, rssStart, rssEnd);
        QVERIFY(sentTotal >= kLeastLinesSent);
        QCOMPARE(seen, sent);
    }
};

QTEST_MAIN(TestSoak)
#include "tst_soak.moc"
