// The command pages against the simulated interface over loopback TCP: what
// each Send button puts on the wire, framing with checksum, acknowledgement
// letters and a remote path, the All Off sweep, the toggle, and random
// traffic at full speed.
#include <QtTest>

#include "core/compose/lighting.h"
#include "core/link/framing.h"
#include "gui/app/main_form.h"
#include "gui/compose/lighting_tab.h"
#include "gui/compose/radio_group.h"
#include "gui/compose/spin_edit.h"
#include "gui/compose/time_tab.h"
#include "scripted_prompter.h"
#include "session/link_session.h"
#include "sim_process.h"
#include "test_support.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

using namespace tarvin;
using namespace tarvin::test;

namespace {

template <class T> T* Find(const TMainForm& form, const char* name)
{
    T* found = form.findChild<T*>(QLatin1String(name));
    if (!found)
        qWarning("no control %s", name);
    return found;
}

void Click(const TMainForm& form, const char* button)
{
    Find<QAbstractButton>(form, button)->click();
}

void ShowPage(TMainForm& form, QWidget* sheet)
{
    form.PageControl1->setTabVisible(form.PageControl1->indexOf(sheet), true);
    form.PageControl1->setCurrentWidget(sheet);
}

// The lines after the first `from`, without the empty ones of the second CR.
QStringList LinesAfter(const SimProcess& sim, int from)
{
    QStringList out;
    const QStringList all = sim.receivedLines();
    for (int i = from; i < all.size(); ++i)
        if (!all[i].isEmpty())
            out << all[i];
    return out;
}

bool WaitForLines(const SimProcess& sim, int from, int count, int timeoutMs = 5000)
{
    return sim.waitForReceived(
        [&](const QStringList&) { return LinesAfter(sim, from).size() >= count; }, timeoutMs);
}

QString WithChecksum(const QString& text)
{
    return text + QString::fromStdString(HexChecksum(text.toStdString()));
}

} // namespace

// A form connected to a fresh simulator; `base` marks where the test's own
// lines start in the wire log.
#define CONNECTED_FORM()                                                                           \
    SimProcess sim;                                                                                \
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));                                          \
    StoreTcp(sim.tcpPort(), {{QStringLiteral("HexNumbers"), QStringLiteral("1")}});                \
    ScriptedPrompter prompts;                                                                      \
    TMainForm form({}, &prompts);                                                                  \
    form.show();                                                                                   \
    form.ConnecttoPCIItem->trigger();                                                              \
    QVERIFY(form.state().connected);                                                               \
    QVERIFY(sim.waitForReceived(                                                                   \
        [](const QStringList& rx) { return rx.contains(QStringLiteral("A3300051")); }));           \
    prompts.asked.clear(); /* the interface details shown on connect */                            \
    const int base = sim.receivedLines().size()

class TestComposeWire : public QObject
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

    void lightingAndControlSends()
    {
        CONNECTED_FORM();
        auto* group = Find<QComboBox>(form, "LightingGroupComboBox");
        Click(form, "OnRadioButton");
        Click(form, "SendButton");
        group->setCurrentIndex(5);
        Click(form, "OffRadioButton");
        Click(form, "SendButton");
        Click(form, "RampRadioButton");
        Find<QComboBox>(form, "LevelComboBox")->setCurrentIndex(50);
        Find<QComboBox>(form, "RampRateComboBox")->setCurrentIndex(1);
        Click(form, "SendButton");
        Find<RadioGroup>(form, "LevelRadioGroup")->button(1)->click();
        Find<QComboBox>(form, "LevelComboBox")->setCurrentIndex(0x80);
        Click(form, "SendButton");

        Find<QComboBox>(form, "ControlGroupComboBox")->setCurrentIndex(5);
        Find<QComboBox>(form, "ControlLevelComboBox")->setCurrentIndex(1);
        Click(form, "ControlSendButton");
        Find<RadioGroup>(form, "ControlAppRadioGroup")->button(1)->click();
        Find<QComboBox>(form, "ControlLevelComboBox")->setCurrentIndex(0xFF);
        Click(form, "ControlSendButton");

        const QStringList expected{
            QStringLiteral("\\0538007900"),   QStringLiteral("\\0538000105"),
            QStringLiteral("\\0538000A057F"), QStringLiteral("\\0538000A0580"),
            QStringLiteral("\\05CA00020501"), QStringLiteral("\\05CB000205FF"),
        };
        QVERIFY(WaitForLines(sim, base, expected.size()));
        QCOMPARE(LinesAfter(sim, base), expected);
        QVERIFY2(prompts.messages().isEmpty(), qPrintable(prompts.messages().join(u'|')));
        // Each sent command is described in the log.
        form.flushLog();
        QVERIFY(form.TransmitMemo->toPlainText().contains(QLatin1String("GA 05")));
    }

    void everyPageOnTheWire()
    {
        CONNECTED_FORM();
        form.EnableDebugItemClick();
        QStringList expected;
        const auto expect = [&](const char* header, const QString& body) {
            expected << QLatin1String(header) + body;
        };

        ShowPage(form, form.SecurityMasterTabSheet);
        Find<QComboBox>(form, "SecurityMessageComboBox")->setCurrentIndex(13);
        Click(form, "SecuritySendButton");
        expect("\\05D000", QStringLiteral("0A8CFF"));
        Find<SpinEdit>(form, "ZoneSpinEdit")->setValue(80);
        Click(form, "ZoneSealedButton");
        expect("\\05D000", QStringLiteral("0A8750"));
        Click(form, "ArmReadyButton");
        expect("\\05D000", QStringLiteral("0A9200"));
        Find<SpinEdit>(form, "ZoneSpinEdit")->setValue(12);
        Click(form, "ZoneNameButton");
        expect("\\05D000", QStringLiteral("AD8D0C5A6F6E6520313220202020"));
        Find<QLineEdit>(form, "Status1Edit")->setText(QStringLiteral("0100"));
        Click(form, "Status1Button"); // refused: nothing goes out
        Find<QLineEdit>(form, "Status1Edit")->setText(QStringLiteral("0100000000000000000000"));
        Click(form, "Status1Button");
        expect("\\05D000", QStringLiteral("AC8E0100000000000000000000"));

        ShowPage(form, form.SecuritySlaveTabSheet);
        Find<QLineEdit>(form, "MessageEdit")->setText(QStringLiteral("Hi"));
        Click(form, "DisplayMessageButton");
        expect("\\05D000", QStringLiteral("E3A64869"));
        Click(form, "Keypad0Button");
        expect("\\05D000", QStringLiteral("0AA530"));
        Click(form, "KeypadEnterButton");
        expect("\\05D000", QStringLiteral("0AA50D"));
        Find<QComboBox>(form, "ArmComboBox")->setCurrentIndex(4);
        Click(form, "ArmButton");
        expect("\\05D000", QStringLiteral("0AA2FF"));
        Find<SpinEdit>(form, "ZoneNumberSpinEdit")->setValue(7);
        Click(form, "GetZoneNameButton");
        expect("\\05D000", QStringLiteral("0AA707"));

        ShowPage(form, form.TelephonyMasterTabSheet);
        Find<QLineEdit>(form, "PhoneNumberEdit")->setText(QStringLiteral("123"));
        Click(form, "RingingButton");
        expect("\\05E000", QStringLiteral("A50501313233"));
        Find<QLineEdit>(form, "PhoneNumberEdit")->setText(QStringLiteral("5"));
        Find<QComboBox>(form, "OffHookComboBox")->setCurrentIndex(4);
        Click(form, "OffHookButton");
        expect("\\05E000", QStringLiteral("A3022035"));
        Find<QComboBox>(form, "DialOutFailureComboBox")->setCurrentIndex(4);
        Click(form, "DialOutButton");
        expect("\\05E000", QStringLiteral("0A0305"));

        ShowPage(form, form.TelephonySlaveTabSheet);
        Find<QLineEdit>(form, "NumberEdit")->setText(QString(17, u'0'));
        Click(form, "DivertButton"); // refused
        Find<QLineEdit>(form, "NumberEdit")->setText(QStringLiteral("000"));
        Click(form, "DivertButton");
        expect("\\05E000", QStringLiteral("A483303030"));
        Click(form, "RecallOutgoingButton");
        expect("\\05E000", QStringLiteral("0A8101"));

        ShowPage(form, form.MeasurementTabSheet);
        Find<SpinEdit>(form, "DeviceSpinEdit")->setValue(1);
        Find<SpinEdit>(form, "ChannelSpinEdit")->setValue(2);
        Find<SpinEdit>(form, "ExponentSpinEdit")->setText(QStringLiteral("abc"));
        Find<SpinEdit>(form, "ValueSpinEdit")->setText(QStringLiteral("2500"));
        Click(form, "MeasurementButton"); // refused: nothing goes out
        Find<SpinEdit>(form, "ExponentSpinEdit")->setText(QStringLiteral("-3"));
        Find<QComboBox>(form, "MeasurementComboBox")->setCurrentIndex(36); // Volts
        Click(form, "MeasurementButton");
        expect("\\05E400", QStringLiteral("0E010224FD09C4"));

        ShowPage(form, form.TimeTabSheet);
        auto* time = Find<TimeTab>(form, "TimeTabSheet");
        time->setClock([] { return QDateTime(QDate(2026, 3, 1), QTime(9, 5, 7)); });
        Click(form, "TimeButton");
        expect("\\05DF00", QStringLiteral("0D0109050700"));
        Click(form, "DateButton");
        expect("\\05DF00", QStringLiteral("0E0207EA030106"));

        ShowPage(form, form.CALTabSheet);
        const QByteArray local =
            QByteArray::fromStdString(LocalPCIHeader(form.state().firmwareVersion));
        Find<QComboBox>(form, "ParamComboBox")->setCurrentIndex(0x10);
        Find<SpinEdit>(form, "CountSpinEdit")->setValue(16);
        Click(form, "RecallButton");
        expect(local.constData(), QStringLiteral("1A1010"));
        Find<QComboBox>(form, "IdentifyComboBox")->setCurrentIndex(17);
        Click(form, "IdentifyCommandButton");
        expect(local.constData(), QStringLiteral("2111"));
        Find<QComboBox>(form, "ParamComboBox")->setCurrentIndex(5);
        Find<QLineEdit>(form, "StoreDataEdit")->setText(QStringLiteral("1234"));
        Click(form, "StoreButton");
        expect(local.constData(), QStringLiteral("A405001234"));
        Click(form, "OtherUnitRadioButton");
        Find<QComboBox>(form, "UnitAddressComboBox")->setCurrentIndex(0x21);
        Click(form, "ResetButton");
        expect("\\062100", QStringLiteral("08"));

        QVERIFY(WaitForLines(sim, base, expected.size()));
        QCOMPARE(LinesAfter(sim, base), expected);
        QCOMPARE(prompts.messages(),
                 (QStringList{QStringLiteral("Invalid Status String.\rMust be 22 characters."),
                              QStringLiteral("Invalid Phone Number.\rMust be between 1 and 16 "
                                             "characters."),
                              QStringLiteral("Invalid Exponent.")}));
    }

    void checksumAcknowledgementAndRemotePath()
    {
        CONNECTED_FORM();
        form.UseAcknowledgementCharactersItem->setChecked(true);
        form.state().interfaceOptions |= kOptionChecksum;
        Click(form, "OnRadioButton");
        Click(form, "SendButton");
        form.RemoteNetworkCheckBox->click();
        form.NetworkPathEdit->setText(QStringLiteral("0A1B"));
        Click(form, "SendButton");
        ShowPage(form, form.CALTabSheet);
        Click(form, "OtherUnitRadioButton");
        Find<QComboBox>(form, "UnitAddressComboBox")->setCurrentIndex(5);
        Click(form, "ResetButton");
        form.state().interfaceOptions &= ~kOptionChecksum;
        form.NetworkPathEdit->setText(QStringLiteral("0a"));
        Click(form, "ControlSendButton");

        const QStringList expected{
            WithChecksum(QStringLiteral("\\0538007900")) + u'g',
            WithChecksum(QStringLiteral("\\030A121B387900")) + u'h',
            WithChecksum(QStringLiteral("\\060A121B0508")) + u'i',
            QStringLiteral("\\030a09CA020000j"),
        };
        QVERIFY(WaitForLines(sim, base, expected.size()));
        QCOMPARE(LinesAfter(sim, base), expected);
        QVERIFY2(prompts.messages().isEmpty(), qPrintable(prompts.messages().join(u'|')));
    }

    void refusedRemotePathSendsNothing()
    {
        CONNECTED_FORM();
        form.RemoteNetworkCheckBox->click();
        form.NetworkPathEdit->setText(QStringLiteral("0A1"));
        const QString refused = QStringLiteral("Invalid Remote Network Path.");
        // The sweep meets the refusal once and stops.
        Click(form, "AllOffButton");
        QCOMPARE(prompts.messages(), QStringList{refused});
        Click(form, "SendButton");
        Click(form, "ControlSendButton");
        ShowPage(form, form.CALTabSheet);
        Click(form, "OtherUnitRadioButton");
        Click(form, "RecallButton");
        ShowPage(form, form.MeasurementTabSheet);
        Click(form, "MeasurementButton");
        QCOMPARE(prompts.messages(), QStringList(5, refused));

        // A running toggle is stopped rather than asking again every tick.
        auto* toggle = Find<QCheckBox>(form, "ToggleCheckBox");
        Find<QComboBox>(form, "ToggleSpeedComboBox")->setCurrentIndex(3);
        toggle->click();
        QTRY_VERIFY_WITH_TIMEOUT(!toggle->isChecked(), 3000);
        QVERIFY(!Find<QTimer>(form, "Timer1")->isActive());
        QCOMPARE(prompts.messages(), QStringList(6, refused));

        // The local PCI needs no path; then a valid path works again.
        Click(form, "LocalPCIRadioButton");
        Click(form, "ResetButton");
        form.NetworkPathEdit->setText(QStringLiteral("0A"));
        Click(form, "ControlSendButton");
        const QStringList expected{
            QString::fromStdString(LocalPCIHeader(form.state().firmwareVersion)) +
                QStringLiteral("08"),
            QStringLiteral("\\030A09CA020000"),
        };
        QVERIFY(WaitForLines(sim, base, expected.size()));
        QCOMPARE(LinesAfter(sim, base), expected);
    }

    void allOffSweepsEveryGroupAndCancels()
    {
        CONNECTED_FORM();
        Find<QComboBox>(form, "LightingAppComboBox")->setCurrentIndex(0x39);
        QStringList expected;
        for (int m = 0; m < 32; ++m) {
            QString line = QStringLiteral("\\053900");
            for (int g = 8 * m; g < 8 * m + 8; ++g)
                line += QStringLiteral("01%1").arg(g, 2, 16, QLatin1Char('0')).toUpper();
            expected << line;
        }
        auto* allOff = Find<QPushButton>(form, "AllOffButton");

        // A running sweep shows how far it is, cannot be started twice, and
        // Cancel stops it between two messages.
        QString progress;
        bool secondSweepRefused = false;
        QTimer watch;
        watch.setInterval(20);
        connect(&watch, &QTimer::timeout, this, [&] {
            if (LinesAfter(sim, base).size() < 4)
                return;
            watch.stop();
            progress = form.CommandStatusLabel->text();
            secondSweepRefused = !allOff->isEnabled();
            form.CancelCommandButton->click();
        });
        watch.start();
        allOff->click();
        watch.stop();
        QVERIFY2(progress.startsWith(QLatin1String("All Off: ")) &&
                     progress.endsWith(QLatin1String(" of 32")),
                 qPrintable(progress));
        QVERIFY(secondSweepRefused);
        QCOMPARE(form.statusBar()->currentMessage(), QStringLiteral("All Off cancelled"));
        QVERIFY(form.CancelCommandButton->isHidden());
        QVERIFY(allOff->isEnabled());
        QVERIFY(!WaitForLines(sim, base, 32, 600));
        const QStringList cancelled = LinesAfter(sim, base);
        QVERIFY(cancelled.size() >= 4 && cancelled.size() < 32);
        QCOMPARE(cancelled, expected.mid(0, cancelled.size()));

        // Uncancelled it covers every group once, eight to a message.
        const int again = sim.receivedLines().size();
        QElapsedTimer clock;
        clock.start();
        allOff->click();
        QVERIFY(clock.elapsed() >= 31 * 200);
        QVERIFY(WaitForLines(sim, again, 32));
        QCOMPARE(LinesAfter(sim, again), expected);
    }

    void toggleRunsAndStops()
    {
        CONNECTED_FORM();
        Find<QComboBox>(form, "LightingGroupComboBox")->setCurrentIndex(0x11);
        Find<QComboBox>(form, "ToggleSpeedComboBox")->setCurrentIndex(2);
        auto* toggle = Find<QCheckBox>(form, "ToggleCheckBox");
        toggle->click();
        QVERIFY(WaitForLines(sim, base, 4));
        toggle->click();
        const int stoppedAt = LinesAfter(sim, base).size();
        // Nothing more once it is cleared (a send under way may still land).
        QVERIFY(!WaitForLines(sim, base, stoppedAt + 2, 800));
        const QStringList lines = LinesAfter(sim, base);
        for (int i = 0; i < lines.size(); ++i)
            QCOMPARE(lines[i],
                     i % 2 == 0 ? QStringLiteral("\\0538007911") : QStringLiteral("\\0538000111"));
        QVERIFY(!Find<QWidget>(form, "SendButton")->isHidden());
    }

    void randomTrafficAtFullSpeedNeverNests()
    {
        CONNECTED_FORM();
        auto* tab = Find<LightingTab>(form, "LightingTabSheet");
        tab->setRandomSource(compose::MakeRandomSource(7));
        Find<QCheckBox>(form, "RandomCheckBox")->setChecked(true);
        Find<QComboBox>(form, "CommandTypeComboBox")->setCurrentIndex(0);
        Find<QComboBox>(form, "AppComboBox1")->setCurrentIndex(0x38);
        Find<QComboBox>(form, "AppComboBox2")->setCurrentIndex(0x38);
        // Given the wrong way round: drawn from between the two.
        Find<QComboBox>(form, "GAComboBox1")->setCurrentIndex(0x12);
        Find<QComboBox>(form, "GAComboBox2")->setCurrentIndex(0x10);
        Find<QComboBox>(form, "SpeedComboBox")->setCurrentIndex(3);
        QCOMPARE(Find<QTimer>(form, "Timer1")->interval(), 100);

        // Pacing is measured where it is made: when the workbench writes
        // each line, not when a loaded machine gets round to reading it.
        QList<qint64> sentAt;
        QElapsedTimer clock;
        clock.start();
        connect(&form.link(), &LinkSession::lineSent, &form,
                [&](const QByteArray&, const QString&) { sentAt << clock.elapsed(); });
        int deepest = 0;
        QTimer probe;
        probe.setInterval(5);
        connect(&probe, &QTimer::timeout, &probe,
                [&] { deepest = std::max(deepest, form.link().waiter().depth()); });
        probe.start();
        Find<QCheckBox>(form, "RunCheckBox")->click();
        QVERIFY(WaitForLines(sim, base, 4, 6000));
        // Ticks keep coming while a click's send pauses.
        for (int i = 0; i < 3; ++i)
            Click(form, "ControlSendButton");
        QVERIFY(WaitForLines(sim, base, 10, 6000));
        Find<QCheckBox>(form, "RunCheckBox")->click();
        probe.stop();
        QCOMPARE(deepest, 1);

        const QRegularExpression message(QStringLiteral("^\\\\053800(79|01)1[0-2]$"));
        QSet<QString> seen;
        int control = 0;
        for (const QString& line : LinesAfter(sim, base)) {
            if (line == QLatin1String("\\05CA00020000")) {
                ++control;
                continue;
            }
            QVERIFY2(message.match(line).hasMatch(), qPrintable(line));
            seen.insert(line.right(2));
        }
        QCOMPARE(control, 3);
        QVERIFY(seen.size() >= 2);
        // Consecutive lines keep the send pacing (a timer may fire a
        // millisecond early, never late enough to matter here).
        QVERIFY(sentAt.size() >= 10);
        for (int i = 1; i < sentAt.size(); ++i)
            QVERIFY2(sentAt[i] - sentAt[i - 1] >= 199,
                     qPrintable(QString::number(sentAt[i] - sentAt[i - 1])));
    }
};

QTEST_MAIN(TestComposeWire)
#include "tst_compose_wire.moc"
