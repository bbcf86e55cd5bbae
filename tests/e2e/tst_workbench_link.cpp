// The workbench against the simulated interface over loopback TCP and a
// pseudo-terminal: the handshake, the mode buttons, framing on the wire, the
// receive path, request/response, and links that are silent or go away.
#include <QtTest>

#include "gui/app/main_form.h"
#include "scripted_prompter.h"
#include "session/link_session.h"
#include "session/session.h"
#include "sim_process.h"
#include "test_support.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTcpServer>
#include <QTemporaryDir>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

using namespace tarvin;
using namespace tarvin::test;

namespace {

// A pseudo-terminal whose far end never answers.
class SilentPty
{
public:
    SilentPty()
    {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master >= 0 && ::grantpt(m_master) == 0 && ::unlockpt(m_master) == 0)
            m_path = QString::fromLatin1(::ptsname(m_master));
    }
    ~SilentPty()
    {
        if (m_master >= 0)
            ::close(m_master);
    }
    QString path() const { return m_path; }

private:
    int m_master = -1;
    QString m_path;
};

} // namespace

class TestWorkbenchLink : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_config;

private slots:
    void initTestCase()
    {
        QVERIFY(m_config.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_config.path());
    }

    void connectOverTcp()
    {
        SimProcess sim;
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        StoreTcp(sim.tcpPort());
        ScriptedPrompter prompts;
        TMainForm form({}, &prompts);
        form.show();
        form.session().Log(2, QStringLiteral("old line"));
        form.ConnecttoPCIItem->trigger();
        // The interface answered: its details are read and shown.
        QCOMPARE(prompts.messages().size(), 1);
        QVERIFY(prompts.messages().first().startsWith(QLatin1String("PC Interface Details :")));
        QVERIFY(form.state().connected);
        QVERIFY(form.ConnecttoPCIItem->isChecked());
        QVERIFY(form.session().link().CommsOpen());
        QVERIFY(form.IdentifyItem->isEnabled());
        // Reset, then the default mode; every line ends in two carriage returns.
        QVERIFY(sim.waitForReceived(
            [](const QStringList& rx) { return rx.contains(QStringLiteral("A3300051")); }));
        QCOMPARE(sim.receivedLines().mid(0, 6),
                 (QStringList{QStringLiteral("~~~"), QString(), QStringLiteral("~~~"), QString(),
                              QStringLiteral("A3300051"), QString()}));
        QCOMPARE(form.state().interfaceOptions, 0x51);
        QCOMPARE(sim.options(), 0x51);
        // A successful connect clears the log.
        form.flushLog();
        QVERIFY(!form.TransmitMemo->toPlainText().contains(QLatin1String("old line")));

        // Disconnecting sends nothing and says nothing.
        const int before = sim.receivedLines().size();
        form.ConnecttoPCIItem->trigger();
        QVERIFY(!form.ConnecttoPCIItem->isChecked());
        QVERIFY(!form.session().link().CommsOpen());
        QVERIFY(!form.IdentifyItem->isEnabled());
        QTest::qWait(100);
        QCOMPARE(sim.receivedLines().size(), before);
        QCOMPARE(prompts.messages().size(), 1);
    }

    void connectOverPseudoTerminal()
    {
        SimProcess sim;
        QVERIFY2(sim.start({}, false, true), qPrintable(sim.errorString()));
        StoreSettings({{QStringLiteral("ConnectionType"), QStringLiteral("0")},
                       {QStringLiteral("COMPort"), sim.ptyPath()}});
        ScriptedPrompter prompts;
        TMainForm form({}, &prompts);
        form.show();
        form.ConnecttoPCIItem->trigger();
        QVERIFY(form.state().connected);
        QVERIFY(prompts.messages().first().contains(sim.ptyPath()));
        QVERIFY(sim.waitForReceived(
            [](const QStringList& rx) { return rx.contains(QStringLiteral("A3300051")); }));
        form.ConnecttoPCIItem->trigger();
        QVERIFY(!form.session().link().CommsOpen());
    }

    void silentPeersAreNotFound()
    {
        // A TCP peer that accepts and never answers.
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        StoreTcp(silent.serverPort());
        {
            ScriptedPrompter prompts;
            TMainForm form({}, &prompts);
            form.show();
            QElapsedTimer clock;
            clock.start();
            form.ConnecttoPCIItem->trigger();
            QVERIFY(clock.elapsed() >= 2900);
            QCOMPARE(prompts.messages(),
                     QStringList{QStringLiteral("The Socketbox at IP Address 127.0.0.1, Port %1 "
                                                "accepted the connection but did not answer.")
                                     .arg(silent.serverPort())});
            QCOMPARE(prompts.asked.first().icon, Prompter::Icon::Error);
            QVERIFY(!form.ConnecttoPCIItem->isChecked());
            QVERIFY(!form.session().link().CommsOpen());
            QVERIFY(!form.IdentifyItem->isEnabled());
        }
        // A pseudo-terminal nobody answers on.
        SilentPty pty;
        QVERIFY(!pty.path().isEmpty());
        StoreSettings({{QStringLiteral("COMPort"), pty.path()}});
        ScriptedPrompter prompts;
        TMainForm form({}, &prompts);
        form.show();
        form.ConnecttoPCIItem->trigger();
        QCOMPARE(prompts.messages(),
                 QStringList{QStringLiteral("PCI Not Found on Serial Port ") + pty.path()});
        QVERIFY(!form.ConnecttoPCIItem->isChecked());
        QVERIFY(!form.session().link().CommsOpen());
    }

    void refusedAndMissingLinks()
    {
        // Nothing listens: the socket error goes in the pane, then the
        // not-found message; the program goes on.
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        const quint16 port = probe.serverPort();
        probe.close();
        StoreTcp(port);
        {
            ScriptedPrompter prompts;
            TMainForm form({}, &prompts);
            form.show();
            form.ConnecttoPCIItem->trigger();
            // The system's reason, in its words, never an error number.
            form.flushLog();
            QCOMPARE(form.TransmitMemo->toPlainText(),
                     QStringLiteral("Socketbox Socket Error : Connection refused"));
            QCOMPARE(prompts.messages(),
                     QStringList{QStringLiteral("Socketbox not found at IP Address 127.0.0.1, "
                                                "Port %1: Connection refused")
                                     .arg(port)});
            QVERIFY(!form.ConnecttoPCIItem->isChecked());
        }
        // Stored settings that cannot work are named and not tried (a port
        // past 65535 would wrap round to another one).
        for (const auto& [address, badPort] :
             {std::pair{QStringLiteral("127.0.0.1"), 99999},
              std::pair{QStringLiteral("127.0.0.1"), 0}, std::pair{QString(), int(port)}}) {
            StoreSettings({{QStringLiteral("ConnectionType"), QStringLiteral("1")},
                           {QStringLiteral("IPAddress"), address},
                           {QStringLiteral("Port"), QString::number(badPort)}});
            ScriptedPrompter prompts;
            TMainForm form({}, &prompts);
            form.show();
            form.ConnecttoPCIItem->trigger();
            QCOMPARE(prompts.messages().size(), 1);
            QVERIFY2(prompts.messages().first().startsWith(
                         QStringLiteral("Cannot connect to the Socketbox at IP Address %1, Port %2")
                             .arg(address)
                             .arg(badPort)),
                     qPrintable(prompts.messages().first()));
            QVERIFY(!form.ConnecttoPCIItem->isChecked());
            QVERIFY(!form.session().link().CommsOpen());
        }
        // A serial port that does not exist: a clear message, nothing checked.
        StoreSettings({{QStringLiteral("COMPort"), QStringLiteral("/dev/tarvin-no-such-port")}});
        ScriptedPrompter prompts;
        TMainForm form({}, &prompts);
        form.show();
        form.ConnecttoPCIItem->trigger();
        QCOMPARE(prompts.messages().size(), 1);
        QVERIFY(prompts.messages().first().startsWith(
            QLatin1String("Cannot open serial port /dev/tarvin-no-such-port")));
        // ...which names the ports that are there.
        const QStringList listed = ListedSerialPorts();
        QVERIFY(prompts.messages().first().endsWith(
            listed.isEmpty() ? QStringLiteral("This computer lists no serial ports.")
                             : QStringLiteral("Serial ports on this computer: ") +
                                   listed.join(QStringLiteral(", "))));
        QVERIFY(!form.ConnecttoPCIItem->isChecked());
        QVERIFY(!form.IdentifyItem->isEnabled());
    }

    void modeButtonsPutTheirLinesOnTheWire()
    {
        SimProcess sim;
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        ScriptedPrompter prompts;
        TMainForm form({}, &prompts);
        QVERIFY(ConnectOverTcp(form, sim.tcpPort()));
        const int start = sim.receivedLines().size();

        form.SmartButton->click();
        QCOMPARE(form.state().interfaceOptions, 0x11);
        QVERIFY(sim.waitForReceived([&](const QStringList& rx) { return rx.size() >= start + 4; }));
        QCOMPARE(sim.receivedLines().mid(start),
                 (QStringList{QStringLiteral("~~~"), QString(), QStringLiteral("||"), QString()}));
        QCOMPARE(sim.options() & 0x10, 0x10);
        form.flushLog();
        QCOMPARE(form.TransmitMemo->toPlainText(),
                 QStringLiteral("Tx : Set Basic Mode\nTx : Set Smart Mode"));

        form.DefaultModeButton->click();
        QCOMPARE(form.state().interfaceOptions, 0x00);
        QVERIFY(sim.waitForReceived([&](const QStringList& rx) { return rx.size() >= start + 6; }));
        QCOMPARE(sim.options(), 0x00);

        form.state().allMonitor = true;
        form.StandardButton->click();
        QCOMPARE(form.state().interfaceOptions, 0x51);
        QVERIFY(!form.state().allMonitor);
        QVERIFY(sim.waitForReceived([&](const QStringList& rx) {
            return NonEmpty(rx.mid(start)).endsWith(QStringLiteral("A3300051"));
        }));
        QCOMPARE(sim.options(), 0x51);
    }

    void framingOnTheWire()
    {
        SimProcess sim;
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        ScriptedPrompter prompts;
        TMainForm form({}, &prompts);
        QVERIFY(ConnectOverTcp(form, sim.tcpPort()));

        // Checksums on, at the interface and in the program's copy.
        form.session().SendTarvinString("A3300059", QString());
        form.state().interfaceOptions = 0x59;
        QTRY_COMPARE_WITH_TIMEOUT(sim.options(), 0x59, 3000);
        form.ClearSpeedButtonClick();
        form.SendStringCombo->setEditText(QStringLiteral("\\0538000A01"));
        form.SendStringButtonClick();
        QVERIFY(sim.waitForReceived(
            [](const QStringList& rx) { return rx.contains(QStringLiteral("\\0538000A01B8")); }));
        // The history keeps the text once, whatever its case.
        form.SendStringCombo->setEditText(QStringLiteral("\\0538000a01"));
        form.SendStringButtonClick();
        QCOMPARE(form.SendStringCombo->count(), 1);

        // Acknowledgement letters: each command gets the next one, and the
        // interface's confirmation is logged.
        form.UseAcknowledgementCharactersItem->trigger();
        for (int i = 0; i < 3; ++i) {
            form.SendStringCombo->setEditText(QStringLiteral("\\0538000A01"));
            form.SendStringButtonClick();
        }
        QVERIFY(sim.waitForReceived(
            [](const QStringList& rx) { return rx.contains(QStringLiteral("\\0538000A01B8i")); }));
        const QStringList rx = NonEmpty(sim.receivedLines());
        QVERIFY(rx.contains(QStringLiteral("\\0538000A01B8g")));
        QVERIFY(rx.contains(QStringLiteral("\\0538000A01B8h")));
        QTRY_COMPARE_WITH_TIMEOUT(form.TransmitMemo->toPlainText().count(QLatin1String("Rx : OK")),
                                  3, 3000);
        // A text that ends in a letter keeps it and uses none (checksums off,
        // or the checksum would come after the letter).
        form.session().SendTarvinString("A3300051", QString());
        form.state().interfaceOptions = 0x51;
        form.SendStringCombo->setEditText(QStringLiteral("\\0538000A01k"));
        form.SendStringButtonClick();
        QCOMPARE(form.link().ack().next(), 'j');

        // A wrong checksum is refused by the interface.
        form.session().SendTarvinString("\\0538000A0100", QString());
        QTRY_VERIFY_WITH_TIMEOUT(
            form.TransmitMemo->toPlainText().contains(QLatin1String("Rx : Checksum Error")), 3000);
    }

    void splitPiecesAreLoggedOnce()
    {
        SimProcess sim;
        QVERIFY2(sim.start({QStringLiteral("--split"), QStringLiteral("--split-max"),
                            QStringLiteral("3"), QStringLiteral("--seed"), QStringLiteral("5")}),
                 qPrintable(sim.errorString()));
        ScriptedPrompter prompts;
        TMainForm form({}, &prompts);
        QVERIFY(ConnectOverTcp(form, sim.tcpPort()));
        form.ClearSpeedButtonClick();
        QVERIFY(sim.control(QStringLiteral("send k.")));
        QVERIFY(sim.control(QStringLiteral("monitor 05013800790544")));
        QTRY_COMPARE_WITH_TIMEOUT(form.link().lastReceivedLine(), QByteArray("05013800790544<CR>"),
                                  3000);
        form.flushLog();
        const QStringList logged = form.TransmitMemo->toPlainText().split(u'\n');
        QCOMPARE(logged.size(), 2);
        QCOMPARE(logged[0], QStringLiteral("Rx : OK"));
        QVERIFY(logged[1].startsWith(QLatin1String("Rx : GA ")));
    }

    void requestAndResponse()
    {
        SimProcess sim;
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        ScriptedPrompter prompts;
        TMainForm form({}, &prompts);
        QVERIFY(ConnectOverTcp(form, sim.tcpPort()));
        // In basic mode the interface echoes the line: the echo is the reply.
        const int before = NonEmpty(sim.receivedLines()).count(QStringLiteral("2101"));
        form.ResetPCI();
        QCOMPARE(form.session().SendCALGetResponse("2101", "X101*", 1, 2).line,
                 QByteArray("2101<CR>"));
        // In smart mode nothing answers: two tries of a second, then nothing.
        form.SetSmartMode();
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(form.session().SendCALGetResponse("2101", "X101*", 1, 2).line, QByteArray());
        QVERIFY(clock.elapsed() >= 2000);
        const QStringList rx = NonEmpty(sim.receivedLines());
        QCOMPARE(rx.count(QStringLiteral("2101")) - before, 3);
    }

    void peerGoingAwayMidLine()
    {
        SimProcess sim;
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        ScriptedPrompter prompts;
        TMainForm form({}, &prompts);
        QVERIFY(ConnectOverTcp(form, sim.tcpPort()));
        auto* status = form.findChild<QLabel*>(QStringLiteral("ConnectionStatusLabel"));
        QVERIFY(status);
        QCOMPARE(status->text(),
                 QStringLiteral("Connected: Socketbox 127.0.0.1:%1, PCI firmware 4.2")
                     .arg(sim.tcpPort()));
        const auto before = prompts.messages().size();
        QVERIFY(sim.control(QStringLiteral("send 0501380079")));
        QVERIFY(sim.control(QStringLiteral("drop")));
        QTRY_VERIFY_WITH_TIMEOUT(!form.session().link().CommsOpen(), 3000);
        // At once the workbench says so: the state, the controls, one log
        // line and one message that names the link and the reason.
        const QString lost = QStringLiteral("Link lost: Socketbox 127.0.0.1:%1 (The remote host "
                                            "closed the connection)")
                                 .arg(sim.tcpPort());
        QCOMPARE(prompts.messages().mid(before), QStringList{lost});
        form.flushLog();
        QCOMPARE(form.TransmitMemo->toPlainText().count(lost), 1);
        QVERIFY(!form.state().connected);
        QVERIFY(!form.ConnecttoPCIItem->isChecked());
        QVERIFY(!form.IdentifyItem->isEnabled());
        QVERIFY(status->text().startsWith(QLatin1String("Link lost at ")));
        // One click connects again.
        form.ConnecttoPCIItem->trigger();
        QVERIFY(form.state().connected);
        QVERIFY(form.ConnecttoPCIItem->isChecked());
        QVERIFY(form.IdentifyItem->isEnabled());
        QVERIFY(status->text().startsWith(QLatin1String("Connected: ")));
    }
};

QTEST_MAIN(TestWorkbenchLink)
#include "tst_workbench_link.moc"
