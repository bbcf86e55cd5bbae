// Every button of the telephony, security, time, measurement and CAL pages
// against the simulated interface over loopback TCP: one click puts its own
// line on the wire, once. The inputs the variable bodies read are set once
// to values unlike their start values; the lines below are written out by
// hand from the protocol's command tables.
#include <QtTest>

#include "gui/app/main_form.h"
#include "gui/compose/spin_edit.h"
#include "gui/compose/time_tab.h"
#include "scripted_prompter.h"
#include "sim_process.h"
#include "test_support.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>

#include <memory>
#include <utility>

using namespace tarvin;
using namespace tarvin::test;

class TestCommandPages : public QObject
{
    Q_OBJECT

private:
    template <class T> T* Find(const char* name)
    {
        T* found = m_form->findChild<T*>(QLatin1String(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }

    QTemporaryDir m_config;
    SimProcess m_sim;
    ScriptedPrompter m_prompts;
    std::unique_ptr<TMainForm> m_form;
    int m_mark = 0; // wire lines already accounted for

private slots:
    void initTestCase()
    {
        QVERIFY(m_config.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_config.path());
        QVERIFY2(m_sim.start(), qPrintable(m_sim.errorString()));
        m_form = std::make_unique<TMainForm>(QStringList(), &m_prompts);
        QVERIFY(ConnectOverTcp(*m_form, m_sim.tcpPort()));
        QVERIFY(m_sim.waitForReceived(
            [](const QStringList& rx) { return rx.contains(QStringLiteral("A3300051")); }));
        m_form->EnableDebugItemClick(); // shows Unlock and Store

        Find<QLineEdit>("PhoneNumberEdit")->setText(QStringLiteral("0395"));
        Find<QComboBox>("OffHookComboBox")->setCurrentIndex(3);        // Outgoing Voice
        Find<QComboBox>("DialOutFailureComboBox")->setCurrentIndex(2); // No Valid Acknowledge
        Find<QLineEdit>("NumberEdit")->setText(QStringLiteral("12"));
        Find<QComboBox>("SecurityMessageComboBox")->setCurrentIndex(23); // Arm Failed Raised
        Find<SpinEdit>("ZoneSpinEdit")->setValue(9);
        Find<QLineEdit>("Status1Edit")->setText(QStringLiteral("0102030405060708090A0B"));
        Find<QLineEdit>("Status2Edit")->setText(QStringLiteral("0C0D0E0F1011121314151617"));
        Find<QComboBox>("ArmComboBox")->setCurrentIndex(2); // Day Mode
        Find<QLineEdit>("MessageEdit")->setText(QStringLiteral("Hello"));
        Find<SpinEdit>("ZoneNumberSpinEdit")->setValue(33);
        Find<TimeTab>("TimeTabSheet")->setClock([] {
            return QDateTime(QDate(2024, 12, 31), QTime(23, 59, 58)); // a Tuesday
        });
        Find<SpinEdit>("DeviceSpinEdit")->setValue(3);
        Find<SpinEdit>("ChannelSpinEdit")->setValue(4);
        Find<SpinEdit>("ExponentSpinEdit")->setValue(-1);
        Find<SpinEdit>("ValueSpinEdit")->setValue(-1000);
        Find<QComboBox>("MeasurementComboBox")->setCurrentIndex(40); // No Units
        Find<QAbstractButton>("OtherUnitRadioButton")->click();
        Find<QComboBox>("UnitAddressComboBox")->setCurrentIndex(0x21);
        Find<QComboBox>("ParamComboBox")->setCurrentIndex(0x2B);
        Find<SpinEdit>("CountSpinEdit")->setValue(3);
        Find<QComboBox>("IdentifyComboBox")->setCurrentIndex(18); // Autotester Data
        Find<QLineEdit>("StoreDataEdit")->setText(QStringLiteral("0a1B"));
        m_mark = m_sim.receivedLines().size();
    }

    void buttonSendsItsLine_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* button, const char* header, const QString& body) {
            QTest::newRow(button) << QString::fromLatin1(button)
                                  << QString(QLatin1String(header) + body);
        };
        const char* telephony = "\\05E000";
        row("RingingButton", telephony, QStringLiteral("A6050130333935"));
        row("RecallOutButton", telephony, QStringLiteral("A6060130333935"));
        row("RecallInButton", telephony, QStringLiteral("A6060230333935"));
        row("InternetRequestButton", telephony, QStringLiteral("0907"));
        row("OnHookButton", telephony, QStringLiteral("0901"));
        row("OffHookButton", telephony, QStringLiteral("A6021030333935"));
        row("DialInButton", telephony, QStringLiteral("0A0401"));
        row("DialOutButton", telephony, QStringLiteral("0A0303"));
        row("IsolateNormalButton", telephony, QStringLiteral("0A8000"));
        row("IsolateSecondaryButton", telephony, QStringLiteral("0A8001"));
        row("RecallOutgoingButton", telephony, QStringLiteral("0A8101"));
        row("RecallIncomingButton", telephony, QStringLiteral("0A8102"));
        row("RejectCallButton", telephony, QStringLiteral("0982"));
        row("DivertButton", telephony, QStringLiteral("A3833132"));
        row("ClearDiversionButton", telephony, QStringLiteral("0984"));

        const char* security = "\\05D000";
        row("SecuritySendButton", security, QStringLiteral("7995"));
        row("ZoneUnsealedButton", security, QStringLiteral("0A8609"));
        row("ZoneSealedButton", security, QStringLiteral("0A8709"));
        row("ZoneOpenButton", security, QStringLiteral("0A8809"));
        row("ZoneShortButton", security, QStringLiteral("0A8909"));
        row("ZoneIsolatedButton", security, QStringLiteral("0A8A09"));
        row("ZoneNameButton", security, QStringLiteral("AD8D095A6F6E6520392020202020"));
        row("ArmReadyButton", security, QStringLiteral("0A9200"));
        row("ArmNotReadyButton", security, QStringLiteral("0A9209"));
        row("Status1Button", security, QStringLiteral("AC8E0102030405060708090A0B"));
        row("Status2Button", security, QStringLiteral("AD8F0C0D0E0F1011121314151617"));
        row("GetStatus1Button", security, QStringLiteral("09A0"));
        row("GetStatus2Button", security, QStringLiteral("09A1"));
        row("RaiseTamperButton", security, QStringLiteral("79A3"));
        row("DropTamperButton", security, QStringLiteral("01A3"));
        row("AlarmButton", security, QStringLiteral("79A4"));
        row("ArmButton", security, QStringLiteral("0AA203"));
        row("DisplayMessageButton", security, QStringLiteral("E6A648656C6C6F"));
        row("GetZoneNameButton", security, QStringLiteral("0AA721"));
        for (char digit = '0'; digit <= '9'; ++digit) // the key's character code
            row(QByteArray("Keypad").append(digit).append("Button").constData(), security,
                QStringLiteral("0AA53") + QLatin1Char(digit));
        row("KeypadEnterButton", security, QStringLiteral("0AA50D"));

        row("TimeButton", "\\05DF00", QStringLiteral("0D01173B3A00"));
        row("DateButton", "\\05DF00", QStringLiteral("0E0207E80C1F01"));
        row("MeasurementButton", "\\05E400", QStringLiteral("0E0304FEFFFC18"));

        const char* unit21 = "\\062100";
        row("RecallButton", unit21, QStringLiteral("1A2B03"));
        row("GetStatusButton", unit21, QStringLiteral("2A2B03"));
        row("ResetButton", unit21, QStringLiteral("08"));
        row("IdentifyCommandButton", unit21, QStringLiteral("2140"));
        row("UnlockButton", unit21, QStringLiteral("112B"));
        row("StoreButton", unit21, QStringLiteral("A42B000a1B"));
    }

    void buttonSendsItsLine()
    {
        QFETCH(QString, button);
        QFETCH(QString, expected);
        auto* clicked = m_form->findChild<QAbstractButton*>(button);
        QVERIFY2(clicked, qPrintable(button));
        QWidget* page = clicked;
        while (page && m_form->PageControl1->indexOf(page) < 0)
            page = page->parentWidget();
        QVERIFY(page);
        m_form->PageControl1->setTabVisible(m_form->PageControl1->indexOf(page), true);
        m_form->PageControl1->setCurrentWidget(page);
        m_prompts.asked.clear();

        clicked->click();
        QVERIFY(m_sim.waitForReceived(
            [&](const QStringList& rx) { return !NonEmpty(rx.mid(m_mark)).isEmpty(); }));
        // Whatever arrives after this reading is counted against the next row.
        const QStringList rx = m_sim.receivedLines();
        const int from = std::exchange(m_mark, rx.size());
        QCOMPARE(NonEmpty(rx.mid(from)), QStringList{expected});
        QVERIFY2(m_prompts.messages().isEmpty(), qPrintable(m_prompts.messages().join(u'|')));
    }

    void cleanupTestCase()
    {
        // Nothing straggles in after the last row.
        QCOMPARE(NonEmpty(m_sim.receivedLines().mid(m_mark)), QStringList());
    }
};

QTEST_MAIN(TestCommandPages)
#include "tst_command_pages.moc"
