// tarvin-monitor against the simulator: what it captures, through link
// drops, rotation and a clean stop.
#include <QtTest>

#include "sim_process.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>

using tarvin::test::SimProcess;

namespace {

// Fields of one CSV record (no line breaks inside fields in these tests).
QStringList CsvFields(const QString& line)
{
    QStringList fields;
    QString field;
    bool quoted = false;
    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c == u'"' && i + 1 < line.size() && line[i + 1] == u'"') {
                field += u'"';
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            fields << field;
            field.clear();
        } else {
            field += c;
        }
    }
    fields << field;
    return fields;
}

QStringList ReadLines(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(f.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

// The capture lines of every file of a capture, rotated ones first.
QStringList AllLines(const QString& dir)
{
    QStringList lines;
    QDir d(dir);
    const QStringList names = d.entryList({QStringLiteral("capture*")}, QDir::Files, QDir::Name);
    for (const QString& name : names)
        if (name != QLatin1String("capture.csv"))
            lines += ReadLines(d.filePath(name));
    lines += ReadLines(d.filePath(QStringLiteral("capture.csv")));
    return lines;
}

QString MonitorLine(int n)
{
    // A lighting "on" for group n from unit 01, with its checksum.
    const int sum = 0x05 + 0x01 + 0x38 + 0x79 + n;
    return QStringLiteral("0501380079%1%2")
        .arg(n, 2, 16, QLatin1Char('0'))
        .arg((0x100 - sum % 0x100) % 0x100, 2, 16, QLatin1Char('0'))
        .toUpper();
}

} // namespace

class TestMonitor : public QObject
{
    Q_OBJECT

private:
    QString m_binary = qEnvironmentVariable("TARVIN_MONITOR");

    bool startMonitor(QProcess& monitor, const QStringList& args)
    {
        monitor.setProgram(m_binary);
        monitor.setArguments(args);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // Never the user's settings: an empty store in a private folder.
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_config.path());
        monitor.setProcessEnvironment(env);
        monitor.start();
        return monitor.waitForStarted(5000);
    }

    QTemporaryDir m_config;

private slots:
    void initTestCase() { QVERIFY(!m_binary.isEmpty()); }

    void badOptions()
    {
        for (const QStringList& args :
             {QStringList{QStringLiteral("--bogus")},
              QStringList{QStringLiteral("--port"), QStringLiteral("0")},
              QStringList{QStringLiteral("--format"), QStringLiteral("xml")},
              QStringList{QStringLiteral("--rotate-daily")}}) {
            QProcess monitor;
            QVERIFY(startMonitor(monitor, args));
            QVERIFY(monitor.waitForFinished(5000));
            QCOMPARE(monitor.exitCode(), 2);
            QVERIFY(monitor.readAllStandardError().startsWith("tarvin-monitor: "));
        }
    }

    void capturesThroughDropsAndStopsCleanly()
    {
        SimProcess sim;
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        QTemporaryDir out;
        QProcess monitor;
        QVERIFY(startMonitor(monitor, {QStringLiteral("--tcp"), QStringLiteral("127.0.0.1"),
                                       QStringLiteral("--port"), QString::number(sim.tcpPort()),
                                       // CSV by the file's name, as Record takes it
                                       QStringLiteral("--default-mode"), QStringLiteral("--output"),
                                       out.filePath(QStringLiteral("capture.csv")),
                                       QStringLiteral("--rotate-size"), QStringLiteral("2K"),
                                       QStringLiteral("--retry-max"), QStringLiteral("1")}));
        const auto inDefaultMode = [&] { return sim.options() == 0x51; };
        QTRY_VERIFY_WITH_TIMEOUT(inDefaultMode(), 10000);

        QStringList injected;
        int n = 0;
        for (int round = 0; round < 3; ++round) {
            for (int i = 0; i < 20; ++i, ++n) {
                injected << MonitorLine(n);
                QVERIFY(sim.control(QStringLiteral("monitor ") + injected.last()));
            }
            const QString last = injected.last() + QStringLiteral("<CR>");
            QTRY_VERIFY_WITH_TIMEOUT(AllLines(out.path()).join(u'\n').contains(last), 5000);
            if (round < 2) {
                // Drop the link; the monitor must come back by itself.
                const int before = sim.receivedLines().count(QStringLiteral("A3300051"));
                QVERIFY(sim.control(QStringLiteral("drop")));
                QVERIFY(sim.waitForReceived(
                    [&](const QStringList& rx) {
                        return rx.count(QStringLiteral("A3300051")) > before;
                    },
                    10000));
                QTRY_VERIFY_WITH_TIMEOUT(inDefaultMode(), 5000);
                QTRY_VERIFY_WITH_TIMEOUT(
                    AllLines(out.path()).join(u'\n').contains(QLatin1String("reconnected")), 5000);
            }
        }
        ::kill(monitor.processId(), SIGTERM);
        QVERIFY(monitor.waitForFinished(5000));
        QCOMPARE(monitor.exitStatus(), QProcess::NormalExit);
        QCOMPARE(monitor.exitCode(), 0);

        const QStringList lines = AllLines(out.path());
        // Rotation happened, and no file grew past its limit by more than a line.
        QVERIFY(QDir(out.path()).entryList({QStringLiteral("capture.*.csv")}).size() >= 1);
        int received = 0;
        int gaps = 0;
        for (const QString& line : lines) {
            const QStringList f = CsvFields(line);
            if (f.first() == QLatin1String("time"))
                continue; // each file starts with the header row
            QCOMPARE(f.size(), 4);
            if (f[1] == QLatin1String("#")) {
                gaps += f[3].contains(QLatin1String("link lost")) ? 1 : 0;
                continue;
            }
            if (f[1] == QLatin1String("Rx") && f[2].endsWith(QLatin1String("<CR>")) &&
                injected.contains(f[2].chopped(4)))
                ++received;
        }
        // Every injected line exactly once, and a marker for each gap.
        for (const QString& line : injected)
            QCOMPARE(lines.filter(line + QStringLiteral("<CR>")).size(), 1);
        QCOMPARE(received, injected.size());
        QCOMPARE(gaps, 2);
        QVERIFY(lines.last().contains(QLatin1String("capture stopped")));
        // A described line in CSV: the description after the raw text.
        const QStringList first = CsvFields(lines.filter(injected.first()).first());
        QCOMPARE(first[3], QStringLiteral("GA 0 On"));
    }

    // --all-monitor asks for all traffic as the analyser does, and the
    // capture's header lets tarvin-decode count it the same way.
    void allMonitorCaptureIsCountedAsTheAnalyserCounts()
    {
        SimProcess sim;
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        QTemporaryDir out;
        const QString capture = out.filePath(QStringLiteral("capture.txt"));
        QProcess monitor;
        QVERIFY(startMonitor(monitor, {QStringLiteral("--tcp"), QStringLiteral("127.0.0.1"),
                                       QStringLiteral("--port"), QString::number(sim.tcpPort()),
                                       QStringLiteral("--all-monitor"), QStringLiteral("--output"),
                                       capture}));
        // The analyser's own sequence: the default mode, then monitoring.
        QVERIFY(sim.waitForReceived(
            [](const QStringList& rx) {
                const int mode = rx.indexOf(QStringLiteral("A3300051"));
                return mode >= 0 && rx.indexOf(QStringLiteral("@A3400048"), mode) > mode;
            },
            10000));
        QStringList injected;
        for (int n = 0; n < 12; ++n) {
            // Ten good lines and two without their end mark.
            injected << QStringLiteral("0501380079%1%2")
                            .arg(n, 2, 16, QLatin1Char('0'))
                            .arg(n < 10 ? QStringLiteral("35") : QStringLiteral("34"))
                            .toUpper();
            QVERIFY(sim.control(QStringLiteral("monitor ") + injected.last()));
        }
        QTRY_VERIFY_WITH_TIMEOUT(ReadLines(capture).join(u'\n').contains(injected.last()), 5000);
        ::kill(monitor.processId(), SIGTERM);
        QVERIFY(monitor.waitForFinished(5000));

        const QStringList lines = ReadLines(capture);
        // The header comes first, and again as the interface's mode changes.
        const QStringList headers = lines.filter(QLatin1String("# Tarvin capture 1;"));
        QVERIFY(
            lines.first().contains(QLatin1String("# Tarvin capture 1; program=tarvin-monitor")));
        QCOMPARE(headers.size(), 3);
        QVERIFY(headers.last().contains(QLatin1String("; mode=all-monitor; interface-options=51")));
        QProcess decode;
        decode.start(qEnvironmentVariable("TARVIN_DECODE"),
                     {QStringLiteral("--statistics"), QStringLiteral("--json"), capture});
        QVERIFY(decode.waitForFinished(10000));
        QCOMPARE(decode.exitCode(), 0);
        const QJsonObject totals = QJsonDocument::fromJson(decode.readAllStandardOutput()).object();
        // The lighting lines are the injected ones; the rest of the
        // traffic is the interface's own replies.
        QCOMPARE(totals[QStringLiteral("applications")].toObject(),
                 QJsonObject({{QStringLiteral("56"), 12}}));
        // Only the two: what came before the monitoring mode is judged by its
        // checksum, and the echoes of our own lines are no traffic.
        QCOMPARE(totals[QStringLiteral("errors")].toInt(), 2);
    }
};

QTEST_GUILESS_MAIN(TestMonitor)
#include "tst_monitor.moc"
