// A script run against the simulated interface: comments go to the log and
// not to the wire, commands go out as they stand, paced 1.2 s apart, and a
// rejected command does not stop the script, while Cancel or a lost link
// does; user buttons send theirs.
#include <QtTest>

#include "gui/app/main_form.h"
#include "gui/app/shell_files.h"
#include "gui/app/user_buttons.h"
#include "scripted_prompter.h"
#include "session/link_session.h"
#include "session/session.h"
#include "sim_process.h"
#include "test_support.h"

#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>

using namespace tarvin;
using tarvin::test::SimProcess;
using tarvin::test::WireEntry;

class TestScripts : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_config;
    QTemporaryDir m_data;

private slots:
    void initTestCase()
    {
        QVERIFY(m_config.isValid() && m_data.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_config.path());
        qputenv("TARVIN_DATA_DIR", m_data.path().toLocal8Bit());
    }

    void scriptAgainstSimulator()
    {
        SimProcess sim;
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        {
            QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Ostrel"),
                        QStringLiteral("Tarvin Diagnostic"));
            s.clear();
            s.setValue(QStringLiteral("Options/ConnectionType"), QStringLiteral("1"));
            s.setValue(QStringLiteral("Options/IPAddress"), QStringLiteral("127.0.0.1"));
            s.setValue(QStringLiteral("Options/Port"), QString::number(sim.tcpPort()));
            s.sync();
        }
        const QString script = m_data.filePath(QStringLiteral("lights.txt"));
        {
            QFile f(script);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("# group 5 on and off\r\n"
                    "\\0538007905\r\n"
                    "\\05380001 # not sent\r\n"
                    "\r\n"
                    "\\05ZZ\r\n"
                    "\\0538000105\r\n");
        }
        ScriptedPrompter prompts;
        TMainForm form({}, &prompts);
        form.show();
        // Not connected: the (hidden) command does nothing.
        form.ExecuteFile1->trigger();
        QVERIFY(prompts.asked.isEmpty());
        form.ConnecttoPCIItem->trigger();
        QVERIFY2(form.state().connected, qPrintable(prompts.messages().join(u'|')));
        prompts.asked.clear(); // the PCI details shown after the connect

        // When the program itself wrote each line, on its own clock.
        QElapsedTimer clock;
        clock.start();
        QList<qint64> sentAt;
        connect(&form.link(), &LinkSession::lineSent, this,
                [&](const QByteArray&, const QString&) { sentAt << clock.nsecsElapsed(); });
        prompts.fileNames.enqueue(script);
        form.ExecuteFile1->trigger();
        QCOMPARE(sentAt.size(), 3);
        for (int i = 1; i < sentAt.size(); ++i)
            QVERIFY2(sentAt[i] - sentAt[i - 1] >= 1199'000'000,
                     qPrintable(QStringLiteral("%1 ns apart").arg(sentAt[i] - sentAt[i - 1])));
        QVERIFY2(prompts.messages().isEmpty(), qPrintable(prompts.messages().join(u'|')));
        QCOMPARE(prompts.asked.last().kind, QStringLiteral("open"));

        // Comments in the log: as they are when they begin with "#".
        form.flushLog();
        const QString log = form.TransmitMemo->toPlainText();
        QVERIFY2(log.contains(QLatin1String("\n# group 5 on and off\n")) ||
                     log.startsWith(QLatin1String("# group 5 on and off\n")),
                 qPrintable(log));
        QVERIFY(log.contains(QLatin1String("Tx : \\05380001 # not sent")));

        const QStringList commands{QStringLiteral("\\0538007905"), QStringLiteral("\\05ZZ"),
                                   QStringLiteral("\\0538000105")};
        QVERIFY(sim.waitForReceived(
            [&](const QStringList& rx) { return rx.contains(commands.last()); }));
        QList<qint64> times;
        for (const WireEntry& e : sim.wireEntries()) {
            if (!e.received)
                continue;
            const QString text = QString::fromLatin1(e.bytes);
            QVERIFY2(!text.contains(u'#'), qPrintable(text));
            if (commands.contains(text))
                times << e.ms;
        }
        QCOMPARE(times.size(), commands.size());
        // The simulator stamps a line when its own event loop reads it; on a
        // busy machine that lags by some milliseconds, so a gap measured
        // there can read a little short of the pacing checked above.
        constexpr qint64 kStampTolerance = 50;
        for (int i = 1; i < times.size(); ++i)
            QVERIFY2(times[i] - times[i - 1] >= 1200 - kStampTolerance,
                     qPrintable(QStringLiteral("%1 ms apart").arg(times[i] - times[i - 1])));
        QVERIFY(!form.shellFiles().executing());

        // A user button sends its command as typed; an empty one sends nothing.
        const int before = sim.receivedLines().size();
        form.UserButtons[1]->click();
        form.userButtonSlots().AssignToButton(1, "\\05380079AA", QStringLiteral("AA on"));
        QVERIFY(form.UserButtons[0]->isEnabled());
        form.UserButtons[0]->click();
        QVERIFY(sim.waitForReceived(
            [](const QStringList& rx) { return rx.contains(QStringLiteral("\\05380079AA")); }));
        QStringList after = sim.receivedLines().mid(before);
        after.removeAll(QString());
        QCOMPARE(after, QStringList{QStringLiteral("\\05380079AA")});
        form.shellFiles().setModified(false);
        form.ConnecttoPCIItem->trigger();
    }

    // Once the first command is out, the script is ended by the status
    // bar's command (cancel) or by the interface going away: the status bar
    // counted its commands, and nothing after the first is sent or logged.
    void interruptedScriptSendsNoMore_data()
    {
        QTest::addColumn<bool>("drop");
        QTest::addColumn<QString>("ending");
        QTest::newRow("cancelled") << false << QStringLiteral("Execute File cancelled");
        QTest::newRow("link lost") << true << QStringLiteral("Execute File: link lost");
    }
    void interruptedScriptSendsNoMore()
    {
        QFETCH(bool, drop);
        QFETCH(QString, ending);
        SimProcess sim;
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        ScriptedPrompter prompts;
        TMainForm form({}, &prompts);
        QVERIFY2(test::ConnectOverTcp(form, sim.tcpPort()),
                 qPrintable(prompts.messages().join(u'|')));
        const QString script = m_data.filePath(QStringLiteral("five.txt"));
        QStringList commands;
        {
            QFile f(script);
            QVERIFY(f.open(QIODevice::WriteOnly));
            for (int n = 1; n <= 5; ++n) {
                commands << QStringLiteral("\\053800790%1").arg(n);
                f.write(commands.last().toLatin1() + "\r\n");
            }
            f.write("# the end\r\n");
        }

        int sent = 0;
        QString shown;
        bool cancelOffered = false;
        bool dropped = !drop;
        connect(&form.session().link(), &LinkSession::lineSent, this, [&] {
            if (++sent != 1)
                return;
            QTimer::singleShot(300, &form, [&] {
                shown = form.CommandStatusLabel->text();
                cancelOffered = form.CancelCommandButton->isVisible();
                if (drop)
                    dropped = sim.control(QStringLiteral("drop"));
                else
                    form.session().cancel();
            });
        });
        prompts.fileNames.enqueue(script);
        form.ExecuteFile1->trigger();

        QVERIFY(dropped);
        QCOMPARE(shown, QStringLiteral("Execute File: 1 of 5"));
        QVERIFY(cancelOffered);
        QCOMPARE(sent, 1);
        QVERIFY(!form.shellFiles().executing());
        QVERIFY(!form.CancelCommandButton->isVisible());
        QCOMPARE(form.statusBar()->currentMessage(), ending);
        form.flushLog();
        QVERIFY(!form.TransmitMemo->toPlainText().contains(QLatin1String("# the end")));
        QVERIFY(sim.waitForReceived(
            [&](const QStringList& rx) { return rx.contains(commands.first()); }));
        for (const QString& line : sim.receivedLines())
            QVERIFY2(!commands.mid(1).contains(line), qPrintable(line));
    }

    void unreadableScriptIsReported()
    {
        ScriptedPrompter prompts;
        TMainForm form({}, &prompts);
        prompts.fileNames.enqueue(m_data.filePath(QStringLiteral("missing.txt")));
        form.shellFiles().ExecuteFile1Click();
        QCOMPARE(prompts.messages().size(), 1);
        QVERIFY(prompts.messages().first().contains(QLatin1String("missing.txt")));
    }
};

QTEST_MAIN(TestScripts)
#include "tst_scripts.moc"
