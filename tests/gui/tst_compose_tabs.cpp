// The command-area pages as a user meets them without a link: controls and
// their start values, enabling, the prompts, the labels and lists that
// follow other controls, and the lighting timer's switches. The pages stand
// on a session of their own; the window is built where what it lends them
// (enabling, debug mode, the Show ASCII switch, the assign menu) is tested.
#include <QtTest>

#include "gui/app/main_form.h"
#include "gui/compose/cal_tab.h"
#include "gui/compose/control_tab.h"
#include "gui/compose/lighting_tab.h"
#include "gui/compose/measurement_tab.h"
#include "gui/compose/radio_group.h"
#include "gui/compose/security_master_tab.h"
#include "gui/compose/security_slave_tab.h"
#include "gui/compose/spin_edit.h"
#include "gui/compose/telephony_master_tab.h"
#include "gui/compose/telephony_slave_tab.h"
#include "gui/compose/time_tab.h"
#include "scripted_prompter.h"
#include "session/link_session.h"
#include "session/session.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

using namespace tarvin;

namespace {

template <class T> T* Find(const QWidget& within, const char* name)
{
    return within.findChild<T*>(QLatin1String(name));
}

// Pages on a session, with no window: the session's errors join the
// prompts as the window would show them; the window's assign menu and Show
// ASCII switch are not there.
class Bench
{
public:
    explicit Bench(bool hex)
    {
        session.setHexNumbers(hex);
        QObject::connect(&session, &Session::error, &host, [this](const QString& text) {
            prompts.message(&host, Prompter::Icon::Error, text);
        });
        host.resize(800, 160);
    }

    LightingTab* Lighting()
    {
        return Named(new LightingTab(session, prompts, {}, &host), "LightingTabSheet");
    }
    ControlTab* Control() { return Named(new ControlTab(session, {}, &host), "ControlTabSheet"); }
    MeasurementTab* Measurement()
    {
        return Named(new MeasurementTab(session, prompts, &host), "MeasurementTabSheet");
    }
    void AllPages()
    {
        Lighting();
        Control();
        Named(new TelephonyMasterTab(session, prompts, &host), "TelephonyMasterTabSheet");
        Named(new TelephonySlaveTab(session, prompts, &host), "TelephonySlaveTabSheet");
        Named(new SecurityMasterTab(session, prompts, &host), "SecurityMasterTabSheet");
        Named(new SecuritySlaveTab(session, prompts, &host), "SecuritySlaveTabSheet");
        Measurement();
        Named(new TimeTab(session, &host), "TimeTabSheet");
        Named(new CALTab(session, prompts, {}, &host), "CALTabSheet");
    }

    Session session;
    ScriptedPrompter prompts;
    QWidget host;

private:
    template <class W> static W* Named(W* page, const char* name)
    {
        page->setObjectName(QLatin1String(name));
        return page;
    }
};

// Controls take clicks only while enabled, that is while "connected"; no
// link is open, so nothing is sent.
void EnableAsConnected(TMainForm& form)
{
    form.state().connected = true;
    form.EnableItems();
}

void ShowPage(TMainForm& form, const char* page)
{
    QWidget* sheet = Find<QWidget>(form, page);
    form.PageControl1->setTabVisible(form.PageControl1->indexOf(sheet), true);
    form.PageControl1->setCurrentWidget(sheet);
}

} // namespace

class TestComposeTabs : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_config;

    void storeHex(bool hex)
    {
        QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Ostrel"),
                    QStringLiteral("Tarvin Diagnostic"));
        s.clear();
        s.setValue(QStringLiteral("Options/HexNumbers"),
                   hex ? QStringLiteral("1") : QStringLiteral("0"));
        s.sync();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_config.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_config.path());
    }

    void init() { storeHex(false); }

    void buttonCaptions_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        const char* const rows[][2] = {
            {"SendButton", "Send"},
            {"AllOffButton", "All Off"},
            {"ToggleCheckBox", "Continuously Toggle"},
            {"RandomCheckBox", "Random"},
            {"RunCheckBox", "Run"},
            {"RampRadioButton", "Ramp to"},
            {"OnRadioButton", "On"},
            {"OffRadioButton", "Off"},
            {"ControlSendButton", "Send"},
            {"TimeButton", "Broadcast Time"},
            {"DateButton", "Broadcast Date"},
            {"MeasurementButton", "Send"},
            {"SecuritySendButton", "Send"},
            {"ZoneUnsealedButton", "Unsealed"},
            {"ZoneSealedButton", "Sealed"},
            {"ZoneOpenButton", "Open"},
            {"ZoneShortButton", "Short"},
            {"ZoneIsolatedButton", "Isolated"},
            {"ZoneNameButton", "Name"},
            {"ArmReadyButton", "Arm Ready"},
            {"ArmNotReadyButton", "Arm Fail"},
            {"Status1Button", "Status 1"},
            {"Status2Button", "Status 2"},
            {"GetStatus1Button", "Get Status 1"},
            {"GetStatus2Button", "Get Status 2"},
            {"RaiseTamperButton", "Raise Tamper"},
            {"DropTamperButton", "Drop Tamper"},
            {"AlarmButton", "Alarm"},
            {"ArmButton", "Arm"},
            {"DisplayMessageButton", "Send"},
            {"GetZoneNameButton", "Send"},
            {"Keypad0Button", "0"},
            {"Keypad9Button", "9"},
            {"KeypadEnterButton", "Enter"},
            {"RingingButton", "Ringing"},
            {"RecallOutButton", "Recall Outgoing"},
            {"RecallInButton", "Recall Incoming"},
            {"InternetRequestButton", "Internet Request"},
            {"OnHookButton", "On Hook"},
            {"OffHookButton", "Off Hook"},
            {"DialInButton", "Dial In"},
            {"DialOutButton", "Dial Out"},
            {"IsolateNormalButton", "Isolation Normal"},
            {"IsolateSecondaryButton", "Isolate Secondary"},
            {"RecallOutgoingButton", "Recall Outgoing"},
            {"RecallIncomingButton", "Recall Incoming"},
            {"RejectCallButton", "Reject Call"},
            {"DivertButton", "Divert"},
            {"ClearDiversionButton", "Clear Diversion"},
            {"LocalPCIRadioButton", "Local PCI"},
            {"OtherUnitRadioButton", "Other Unit"},
            {"RecallButton", "Recall"},
            {"GetStatusButton", "Get Status"},
            {"ResetButton", "Reset"},
            {"IdentifyCommandButton", "Identify"},
            {"UnlockButton", "Unlock"},
            {"StoreButton", "Store"},
            {"Label18", "Data"},
        };
        for (const auto& row : rows)
            QTest::newRow(row[0]) << QString::fromLatin1(row[0]) << QString::fromLatin1(row[1]);
    }

    void buttonCaptions()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        Bench bench(false);
        bench.AllPages();
        QWidget* w = bench.host.findChild<QWidget*>(name);
        QVERIFY2(w, qPrintable(name));
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            QCOMPARE(b->text(), caption);
        else
            QCOMPARE(qobject_cast<QLabel*>(w)->text(), caption);
    }

    void startValues()
    {
        Bench bench(false);
        bench.AllPages();
        bench.host.show();
        const QWidget& form = bench.host;
        const ScriptedPrompter& prompts = bench.prompts;
        struct List
        {
            const char* name;
            int count;
            int index;
            const char* text;
        };
        const List lists[] = {
            {"LightingAppComboBox", 256, 56, "56"},
            {"LightingGroupComboBox", 256, 0, "0"},
            {"LevelComboBox", 101, 0, "0"},
            {"RampRateComboBox", 16, 0, "instantaneously"},
            {"ToggleSpeedComboBox", 4, 1, "Medium Speed (1 second)"},
            {"SpeedComboBox", 4, 1, "Medium Speed (1 second)"},
            {"CommandTypeComboBox", 3, 2, "On, Off, Ramp & Concatenated"},
            {"AppComboBox1", 256, 56, "56"},
            {"AppComboBox2", 256, 56, "56"},
            {"GAComboBox1", 256, 0, "0"},
            {"GAComboBox2", 256, 255, "255"},
            {"ControlGroupComboBox", 256, 0, "0"},
            {"ControlLevelComboBox", 256, 0, "0"},
            {"MeasurementComboBox", 42, 0, "Degrees C"},
            {"SecurityMessageComboBox", 31, 0, "System Armed (fully)"},
            {"ArmComboBox", 5, 0, "Away Mode"},
            {"OffHookComboBox", 6, 0, "Incoming Voice"},
            {"DialOutFailureComboBox", 5, 0, "No Dial Tone"},
            {"UnitAddressComboBox", 256, 0, "0"},
            {"ParamComboBox", 256, 0, "0"},
            {"IdentifyComboBox", 19, 1, "Type"},
        };
        for (const List& l : lists) {
            auto* combo = Find<QComboBox>(form, l.name);
            QVERIFY2(combo, l.name);
            QCOMPARE(combo->count(), l.count);
            QCOMPARE(combo->currentIndex(), l.index);
            QCOMPARE(combo->currentText(), QString::fromLatin1(l.text));
        }
        QCOMPARE(Find<QComboBox>(form, "RampRateComboBox")->itemText(15),
                 QStringLiteral("over 17 minutes"));
        QCOMPARE(Find<QComboBox>(form, "MeasurementComboBox")->itemText(41),
                 QStringLiteral("Custom"));
        QCOMPARE(Find<QComboBox>(form, "IdentifyComboBox")->itemText(18),
                 QStringLiteral("Autotester Data"));

        QVERIFY(Find<QRadioButton>(form, "RampRadioButton")->isChecked());
        QCOMPARE(Find<RadioGroup>(form, "LevelRadioGroup")->itemIndex(), 0);
        QCOMPARE(Find<RadioGroup>(form, "ControlAppRadioGroup")->itemIndex(), 0);
        QVERIFY(Find<QRadioButton>(form, "LocalPCIRadioButton")->isChecked());
        auto* timer = Find<QTimer>(form, "Timer1");
        QVERIFY(timer);
        QVERIFY(!timer->isActive());
        QCOMPARE(timer->interval(), 1000);
        QVERIFY(Find<QWidget>(form, "SendButton")->isVisible());
        QVERIFY(Find<QWidget>(form, "RandomCheckBox")->isHidden());
        QVERIFY(Find<QFrame>(form, "RandomPanel")->isHidden());
        QVERIFY(!Find<QCheckBox>(form, "ToggleCheckBox")->isChecked());

        QCOMPARE(Find<QLineEdit>(form, "Status1Edit")->text(),
                 QStringLiteral("0100000000000000000000"));
        QCOMPARE(Find<QLineEdit>(form, "Status2Edit")->text(),
                 QStringLiteral("000000000000000000000000"));
        QCOMPARE(Find<QLineEdit>(form, "MessageEdit")->text(), QStringLiteral("Message"));
        QVERIFY(Find<QLineEdit>(form, "PhoneNumberEdit")->text().isEmpty());
        const struct
        {
            const char* name;
            int value, lo, hi;
        } spins[] = {{"ZoneSpinEdit", 1, 1, 80},        {"ZoneNumberSpinEdit", 1, 1, 80},
                     {"CountSpinEdit", 1, 1, 16},       {"DeviceSpinEdit", 0, 0, 255},
                     {"ChannelSpinEdit", 0, 0, 255},    {"ValueSpinEdit", 0, -32768, 32767},
                     {"ExponentSpinEdit", 0, -128, 127}};
        for (const auto& s : spins) {
            auto* spin = Find<SpinEdit>(form, s.name);
            QVERIFY2(spin, s.name);
            QCOMPARE(spin->value(), s.value);
            QCOMPARE(spin->minimum(), s.lo);
            QCOMPARE(spin->maximum(), s.hi);
        }
        for (const char* debugOnly : {"Label18", "StoreDataEdit", "UnlockButton", "StoreButton"})
            QVERIFY2(Find<QWidget>(form, debugOnly)->isHidden(), debugOnly);
        QCOMPARE(Find<QLineEdit>(form, "StoreDataEdit")->maxLength(), 16);
        QVERIFY(prompts.asked.isEmpty());
    }

    void enablingFollowsTheConnection()
    {
        ScriptedPrompter prompts;
        TMainForm form({}, &prompts);
        form.show();
        // Directly on a page, inside a group box, inside a radio group, and
        // on the random panel (enabled with the panel).
        const char* const controls[] = {
            "SendButton",           "LightingAppComboBox", "LevelComboBox", "LevelRadioGroup",
            "ControlAppRadioGroup", "ControlSendButton",   "Keypad5Button", "ParamComboBox",
            "TimeButton",           "MeasurementButton",   "DivertButton",  "RandomPanel",
            "StoreButton"};
        for (const char* name : controls)
            QVERIFY2(!Find<QWidget>(form, name)->isEnabled(), name);
        EnableAsConnected(form);
        for (const char* name : controls)
            QVERIFY2(Find<QWidget>(form, name)->isEnabled(), name);
        QVERIFY(Find<QWidget>(form, "AppComboBox1")->isEnabled());

        // The level controls belong to "Ramp to" only.
        Find<QRadioButton>(form, "OnRadioButton")->click();
        for (const char* name : {"LevelComboBox", "LevelRadioGroup", "RampRateComboBox"})
            QVERIFY2(!Find<QWidget>(form, name)->isEnabled(), name);
        Find<QRadioButton>(form, "OffRadioButton")->click();
        QVERIFY(!Find<QWidget>(form, "LevelComboBox")->isEnabled());
        Find<QRadioButton>(form, "RampRadioButton")->click();
        for (const char* name : {"LevelComboBox", "LevelRadioGroup", "RampRateComboBox"})
            QVERIFY2(Find<QWidget>(form, name)->isEnabled(), name);
    }

    void levelListAndNumberBase()
    {
        Bench bench(false);
        bench.AllPages();
        const QWidget& form = bench.host;
        auto* level = Find<QComboBox>(form, "LevelComboBox");
        auto* mode = Find<RadioGroup>(form, "LevelRadioGroup");
        auto* app = Find<QComboBox>(form, "LightingAppComboBox");
        level->setCurrentIndex(50);
        // Clicking the mode already chosen keeps the level.
        mode->button(0)->click();
        QCOMPARE(level->currentIndex(), 50);
        mode->button(1)->click();
        QCOMPARE(level->count(), 256);
        QCOMPARE(level->currentIndex(), 0);
        QCOMPARE(level->itemText(128), QStringLiteral("128"));
        level->setCurrentIndex(0x80);
        mode->button(1)->click();
        QCOMPARE(level->currentIndex(), 0x80);
        bench.session.setHexNumbers(true);
        // Numbered lists keep their number; the level list starts again.
        QCOMPARE(app->currentIndex(), 56);
        QCOMPARE(app->currentText(), QStringLiteral("38"));
        QCOMPARE(Find<QComboBox>(form, "GAComboBox2")->currentText(), QStringLiteral("FF"));
        QCOMPARE(Find<QComboBox>(form, "ParamComboBox")->itemText(10), QStringLiteral("0A"));
        QCOMPARE(level->currentIndex(), 0);
        QCOMPARE(level->itemText(128), QStringLiteral("80"));
        mode->button(0)->click();
        QCOMPARE(level->count(), 101);
        // Percentages are always decimal.
        QCOMPARE(level->itemText(100), QStringLiteral("100"));
        QCOMPARE(level->itemText(10), QStringLiteral("10"));
        QVERIFY(bench.prompts.asked.isEmpty());
    }

    // Every list of the numbers 0..255 follows the base on the number
    // chosen, and quietly: nothing changed for whoever listens to it.
    void numberedListsFollowTheBase_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("decimal");
        QTest::addColumn<QString>("hex");
        const struct
        {
            const char* name;
            int index;
            const char* decimal;
            const char* hex;
        } rows[] = {
            {"LightingAppComboBox", 0x39, "57", "39"},
            {"LightingGroupComboBox", 200, "200", "C8"},
            {"AppComboBox1", 10, "10", "0A"},
            {"AppComboBox2", 0x7F, "127", "7F"},
            {"GAComboBox1", 1, "1", "01"},
            {"GAComboBox2", 254, "254", "FE"},
            {"ControlGroupComboBox", 99, "99", "63"},
            {"ControlLevelComboBox", 255, "255", "FF"},
            {"UnitAddressComboBox", 0x21, "33", "21"},
            {"ParamComboBox", 0x2B, "43", "2B"},
        };
        for (const auto& row : rows)
            QTest::newRow(row.name)
                << QString::fromLatin1(row.name) << row.index << QString::fromLatin1(row.decimal)
                << QString::fromLatin1(row.hex);
    }

    void numberedListsFollowTheBase()
    {
        QFETCH(QString, name);
        QFETCH(int, index);
        QFETCH(QString, decimal);
        QFETCH(QString, hex);
        Bench bench(false);
        bench.AllPages();
        auto* list = bench.host.findChild<QComboBox*>(name);
        QVERIFY(list);
        list->setCurrentIndex(index);
        QCOMPARE(list->currentText(), decimal);
        QSignalSpy changes(list, &QComboBox::currentIndexChanged);
        QSignalSpy texts(list, &QComboBox::currentTextChanged);
        bench.session.setHexNumbers(true);
        QCOMPARE(list->count(), 256);
        QCOMPARE(list->currentIndex(), index);
        QCOMPARE(list->currentText(), hex);
        bench.session.setHexNumbers(false);
        QCOMPARE(list->count(), 256);
        QCOMPARE(list->currentIndex(), index);
        QCOMPARE(list->currentText(), decimal);
        QCOMPARE(changes.count(), 0);
        QCOMPARE(texts.count(), 0);
    }

    void applicationWarning_data()
    {
        QTest::addColumn<bool>("hex");
        QTest::addColumn<int>("application");
        QTest::addColumn<QString>("warning");
        const QString hex = QStringLiteral("Use of Application Addresses outside the range 30 to "
                                           "7F may cause undesirable effects.");
        const QString dec = QStringLiteral("Use of Application Addresses outside the range 48 to "
                                           "127 may cause undesirable effects.");
        QTest::newRow("47 decimal") << false << 47 << dec;
        QTest::newRow("48 decimal") << false << 48 << QString();
        QTest::newRow("127 decimal") << false << 127 << QString();
        QTest::newRow("128 decimal") << false << 128 << dec;
        QTest::newRow("0 hex") << true << 0 << hex;
        QTest::newRow("7F hex") << true << 0x7F << QString();
        QTest::newRow("CA hex") << true << 0xCA << hex;
    }

    void applicationWarning()
    {
        QFETCH(bool, hex);
        QFETCH(int, application);
        QFETCH(QString, warning);
        Bench bench(hex);
        auto* app = bench.Lighting()->LightingAppComboBox;
        const ScriptedPrompter& prompts = bench.prompts;
        bench.host.show();
        // The program setting the list is not the user choosing: no warning.
        app->setCurrentIndex(application);
        bench.session.setHexNumbers(!hex);
        bench.session.setHexNumbers(hex);
        QVERIFY(prompts.asked.isEmpty());
        // The user steps onto the number from its neighbour.
        const bool fromBelow = application > 0;
        app->setCurrentIndex(fromBelow ? application - 1 : application + 1);
        QTest::keyClick(app, fromBelow ? Qt::Key_Down : Qt::Key_Up);
        QCOMPARE(app->currentIndex(), application); // the choice stays
        if (warning.isEmpty()) {
            QVERIFY(prompts.asked.isEmpty());
        } else {
            QCOMPARE(prompts.messages(), QStringList{warning});
            QCOMPARE(prompts.asked.first().icon, Prompter::Icon::Warning);
        }
    }

    void lightingCommandAndCaption_data()
    {
        QTest::addColumn<bool>("hex");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("group");
        QTest::addColumn<bool>("percent");
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("rate");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("caption");
        QTest::newRow("on 00") << true << "On" << 0 << true << 0 << 0 << "\\0538007900"
                               << "GA00 100%";
        QTest::newRow("off 5 decimal") << false << "Off" << 5 << true << 0 << 0 << "\\0538000105"
                                       << "GA5 0%";
        QTest::newRow("ramp 50%") << true << "Ramp to" << 5 << true << 50 << 1
                                  << "\\053800"
                                     "0A057F"
                                  << "GA05 50%";
        QTest::newRow("ramp 100% 17 min") << true << "Ramp to" << 0xFF << true << 100 << 15
                                          << "\\053800"
                                             "7AFFFF"
                                          << "GAFF 100%";
        QTest::newRow("ramp 1%") << true << "Ramp to" << 1 << true << 1 << 0
                                 << "\\053800"
                                    "020102"
                                 << "GA01 1%";
        QTest::newRow("ramp 99%") << true << "Ramp to" << 1 << true << 99 << 0
                                  << "\\053800"
                                     "0201FC"
                                  << "GA01 99%";
        QTest::newRow("ramp level 80") << true << "Ramp to" << 2 << false << 0x80 << 0
                                       << "\\053800"
                                          "020280"
                                       << "GA02 Level 80";
    }

    void lightingCommandAndCaption()
    {
        QFETCH(bool, hex);
        QFETCH(QString, kind);
        QFETCH(int, group);
        QFETCH(bool, percent);
        QFETCH(int, level);
        QFETCH(int, rate);
        QFETCH(QString, command);
        QFETCH(QString, caption);
        Bench bench(hex);
        auto* tab = bench.Lighting();
        const QWidget& form = bench.host;
        for (QRadioButton* b : {tab->RampRadioButton, tab->OnRadioButton, tab->OffRadioButton})
            if (b->text() == kind)
                b->click();
        if (!percent)
            Find<RadioGroup>(form, "LevelRadioGroup")->button(1)->click();
        Find<QComboBox>(form, "LevelComboBox")->setCurrentIndex(level);
        Find<QComboBox>(form, "LightingGroupComboBox")->setCurrentIndex(group);
        Find<QComboBox>(form, "RampRateComboBox")->setCurrentIndex(rate);
        QCOMPARE(QString::fromLatin1(tab->GetTarvinCommandString()), command);
        QCOMPARE(tab->GetTarvinCommandDescription(), caption);
        QVERIFY(bench.prompts.asked.isEmpty());
    }

    void refusedRemotePathGivesNoCommand()
    {
        Bench bench(false);
        auto* tab = bench.Lighting();
        ScriptedPrompter& prompts = bench.prompts;
        bench.session.setRemotePath(true, QStringLiteral("0A1B"));
        QCOMPARE(QString::fromLatin1(tab->GetTarvinCommandString()), QStringLiteral("\\030A121B38"
                                                                                    "020000"));
        for (const char* bad : {"0A1", "0G", ""}) {
            prompts.asked.clear();
            bench.session.setRemotePath(true, QLatin1String(bad));
            QVERIFY2(tab->GetTarvinCommandString().isEmpty(), bad);
            QCOMPARE(prompts.messages(),
                     QStringList{QStringLiteral("Invalid Remote Network Path.")});
            QCOMPARE(prompts.asked.first().icon, Prompter::Icon::Error);
        }
    }

    // Each check refuses its text before any header is asked for.
    void validationPrompts_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("message");
        const QString status1 = QStringLiteral("Invalid Status String.\rMust be 22 characters.");
        const QString status2 = QStringLiteral("Invalid Status String.\rMust be 24 characters.");
        const QString phone =
            QStringLiteral("Invalid Phone Number.\rMust be between 1 and 16 characters.");
        const QString message =
            QStringLiteral("Invalid Message String.\rMust be between 1 and 19 characters.");
        QTest::newRow("status 1 of 21")
            << "SecurityMasterTabSheet"
            << "Status1Edit" << QString(21, u'0') << "Status1Button" << status1;
        QTest::newRow("status 1 of 23")
            << "SecurityMasterTabSheet"
            << "Status1Edit" << QString(23, u'0') << "Status1Button" << status1;
        QTest::newRow("status 1 not hex")
            << "SecurityMasterTabSheet"
            << "Status1Edit" << QStringLiteral("010000000000000000000G") << "Status1Button"
            << status1;
        QTest::newRow("status 2 of 22")
            << "SecurityMasterTabSheet"
            << "Status2Edit" << QString(22, u'0') << "Status2Button" << status2;
        QTest::newRow("message empty")
            << "SecuritySlaveTabSheet"
            << "MessageEdit" << QString() << "DisplayMessageButton" << message;
        QTest::newRow("message of 20")
            << "SecuritySlaveTabSheet"
            << "MessageEdit" << QString(20, u'x') << "DisplayMessageButton" << message;
        QTest::newRow("ringing empty")
            << "TelephonyMasterTabSheet"
            << "PhoneNumberEdit" << QString() << "RingingButton" << phone;
        QTest::newRow("off hook 17")
            << "TelephonyMasterTabSheet"
            << "PhoneNumberEdit" << QString(17, u'1') << "OffHookButton" << phone;
        QTest::newRow("recall out empty")
            << "TelephonyMasterTabSheet"
            << "PhoneNumberEdit" << QString() << "RecallOutButton" << phone;
        QTest::newRow("recall in 17")
            << "TelephonyMasterTabSheet"
            << "PhoneNumberEdit" << QString(17, u'1') << "RecallInButton" << phone;
        QTest::newRow("divert 17") << "TelephonySlaveTabSheet"
                                   << "NumberEdit" << QString(17, u'0') << "DivertButton" << phone;
        QTest::newRow("store odd") << "CALTabSheet"
                                   << "StoreDataEdit" << QStringLiteral("123") << "StoreButton"
                                   << QStringLiteral("Invalid Store Data.");
        QTest::newRow("store not hex") << "CALTabSheet"
                                       << "StoreDataEdit" << QStringLiteral("12G4") << "StoreButton"
                                       << QStringLiteral("Invalid Store Data.");
        QTest::newRow("store empty") << "CALTabSheet"
                                     << "StoreDataEdit" << QString() << "StoreButton"
                                     << QStringLiteral("Invalid Store Data.");
    }

    void validationPrompts()
    {
        QFETCH(QString, page);
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, button);
        QFETCH(QString, message);
        Bench bench(false);
        bench.AllPages();
        QWidget* sheet = bench.host.findChild<QWidget*>(page);
        QVERIFY(sheet);
        // A path that would be refused: a validation message must come alone.
        bench.session.setRemotePath(true, QStringLiteral("0"));
        sheet->findChild<QLineEdit*>(field)->setText(text);
        sheet->findChild<QPushButton*>(button)->click();
        QCOMPARE(bench.prompts.messages(), QStringList{message});
        QCOMPARE(bench.prompts.asked.first().icon, Prompter::Icon::Error);
    }

    void controlLabelsFollowTheApplication()
    {
        Bench bench(false);
        bench.Control();
        const QWidget& form = bench.host;
        auto* group = Find<RadioGroup>(form, "ControlAppRadioGroup");
        auto* groupLabel = Find<QLabel>(form, "ControlGroupLabel");
        auto* levelLabel = Find<QLabel>(form, "ControlLevelLabel");
        QCOMPARE(group->button(0)->text(), QStringLiteral("Trigger Control (CA)"));
        QCOMPARE(group->button(1)->text(), QStringLiteral("Enable Control (CB)"));
        QCOMPARE(group->title(), QStringLiteral("Control Application"));
        QCOMPARE(groupLabel->text(), QStringLiteral("Trigger Group"));
        QCOMPARE(levelLabel->text(), QStringLiteral("Action Selector"));
        group->button(1)->click();
        QCOMPARE(groupLabel->text(), QStringLiteral("Enable Group"));
        QCOMPARE(levelLabel->text(), QStringLiteral("Value"));
        group->button(0)->click();
        QCOMPARE(groupLabel->text(), QStringLiteral("Trigger Group"));
        QCOMPARE(levelLabel->text(), QStringLiteral("Action Selector"));
    }

    void debugModeRevealsStoreControls()
    {
        ScriptedPrompter prompts;
        TMainForm form({}, &prompts);
        form.show();
        form.EnableDebugItemClick();
        for (const char* name : {"Label18", "StoreDataEdit", "UnlockButton", "StoreButton"})
            QVERIFY2(!Find<QWidget>(form, name)->isHidden(), name);
        // The CAL page itself stays hidden.
        QVERIFY(!form.PageControl1->isTabVisible(form.PageControl1->indexOf(form.CALTabSheet)));
        ShowPage(form, "CALTabSheet");
        QVERIFY(Find<QWidget>(form, "StoreButton")->isVisible());
    }

    void identifySwitchesShowAsciiOn()
    {
        ScriptedPrompter prompts;
        TMainForm form({}, &prompts);
        form.show();
        QVERIFY(!form.ShowASCIIItem->isChecked());
        ShowPage(form, "CALTabSheet");
        EnableAsConnected(form);
        Find<QPushButton>(form, "IdentifyCommandButton")->click();
        QVERIFY(form.ShowASCIIItem->isChecked());
        QVERIFY(form.link().showAscii());
        Find<QPushButton>(form, "IdentifyCommandButton")->click();
        QVERIFY(form.ShowASCIIItem->isChecked());
    }

    void toggleRandomAndSpeedSwitches()
    {
        Bench bench(false);
        bench.Lighting();
        bench.host.show();
        const QWidget& form = bench.host;
        auto* timer = Find<QTimer>(form, "Timer1");
        auto* toggle = Find<QCheckBox>(form, "ToggleCheckBox");
        auto* random = Find<QCheckBox>(form, "RandomCheckBox");
        auto* run = Find<QCheckBox>(form, "RunCheckBox");
        auto* send = Find<QPushButton>(form, "SendButton");
        auto* toggleSpeed = Find<QComboBox>(form, "ToggleSpeedComboBox");
        auto* speed = Find<QComboBox>(form, "SpeedComboBox");

        toggle->click();
        QVERIFY(timer->isActive());
        QVERIFY(send->isHidden());
        // Both speed lists show one index and set the period.
        for (const auto& [from, index, period] :
             {std::tuple{toggleSpeed, 3, 100}, std::tuple{speed, 0, 3000},
              std::tuple{toggleSpeed, 2, 300}}) {
            from->setCurrentIndex(index);
            QCOMPARE(toggleSpeed->currentIndex(), index);
            QCOMPARE(speed->currentIndex(), index);
            QCOMPARE(timer->interval(), period);
        }
        toggle->click();
        QVERIFY(!timer->isActive());
        QVERIFY(!send->isHidden());

        // "Random" shows its panel and clears a running toggle.
        toggle->click();
        random->setChecked(true);
        QVERIFY(!Find<QWidget>(form, "RandomPanel")->isHidden());
        QVERIFY(!toggle->isChecked());
        QVERIFY(!timer->isActive());
        QVERIFY(!send->isHidden());
        run->click();
        QVERIFY(timer->isActive());
        // Clearing "Random" hides the panel but the generator keeps running.
        random->setChecked(false);
        QVERIFY(Find<QWidget>(form, "RandomPanel")->isHidden());
        QVERIFY(timer->isActive());
        // A lost link stops the generator, and a running toggle.
        emit bench.session.linkLost(QStringLiteral("Link lost"));
        QVERIFY(!timer->isActive());
        QVERIFY(!run->isChecked());
        toggle->click();
        QVERIFY(timer->isActive());
        emit bench.session.linkLost(QStringLiteral("Link lost"));
        QVERIFY(!timer->isActive());
        QVERIFY(!toggle->isChecked());
    }

    void toggleTicksAlternateOnAndOff()
    {
        Bench bench(false);
        auto* tab = bench.Lighting();
        tab->ToggleCheckBox->setChecked(true);
        // From "Ramp to" the first tick sends On, then Off, then On again.
        tab->Timer1Timer();
        QVERIFY(tab->OnRadioButton->isChecked());
        QVERIFY(!tab->LevelComboBox->isEnabled());
        tab->Timer1Timer();
        QVERIFY(tab->OffRadioButton->isChecked());
        tab->Timer1Timer();
        QVERIFY(tab->OnRadioButton->isChecked());
        tab->ToggleCheckBox->setChecked(false);
    }

    void measurementFieldsAreCutAtThePoint()
    {
        Bench bench(false);
        auto* tab = bench.Measurement();
        const ScriptedPrompter& prompts = bench.prompts;
        auto* exponent = tab->ExponentSpinEdit;
        auto* value = tab->ValueSpinEdit;
        auto* button = tab->MeasurementButton;
        exponent->setText(QStringLiteral("2.7"));
        value->setText(QStringLiteral("-12.5"));
        button->click();
        QCOMPARE(exponent->text(), QStringLiteral("2"));
        QCOMPARE(value->text(), QStringLiteral("-12"));
        QVERIFY(prompts.asked.isEmpty());

        exponent->setText(QStringLiteral("x"));
        value->setText(QStringLiteral(".5"));
        button->click();
        QCOMPARE(prompts.messages(), (QStringList{QStringLiteral("Invalid Exponent."),
                                                  QStringLiteral("Invalid Value.")}));
        QCOMPARE(prompts.asked.first().icon, Prompter::Icon::Information);
        QCOMPARE(value->text(), QString());
    }

    void spinFieldsWhenLeft()
    {
        Bench bench(false);
        bench.Measurement();
        QWidget& form = bench.host;
        auto* device = Find<SpinEdit>(form, "DeviceSpinEdit");
        // Out of range is pulled in; not a number reads as the minimum and is
        // kept as typed.
        device->setText(QStringLiteral("300"));
        emit device->editingFinished();
        QCOMPARE(device->text(), QStringLiteral("255"));
        device->setText(QStringLiteral("-4"));
        emit device->editingFinished();
        QCOMPARE(device->value(), 0);
        QCOMPARE(device->text(), QStringLiteral("0"));
        auto* exponent = Find<SpinEdit>(form, "ExponentSpinEdit");
        exponent->setText(QStringLiteral("abc"));
        emit exponent->editingFinished();
        QCOMPARE(exponent->text(), QStringLiteral("abc"));
        QCOMPARE(exponent->value(), -128);
        device->setValue(254);
        device->stepBy(5);
        QCOMPARE(device->value(), 255);

        // Typed and left with the keyboard: the field keeps the text.
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        exponent->setFocus();
        exponent->setText(QString());
        QTest::keyClicks(exponent, QStringLiteral("2.7"));
        Find<SpinEdit>(form, "ValueSpinEdit")->setFocus();
        QTRY_VERIFY(!exponent->hasFocus());
        QCOMPARE(exponent->text(), QStringLiteral("2.7"));
        // A step counts from the number a send would read: 2.
        QTest::keyClick(exponent, Qt::Key_Up);
        QCOMPARE(exponent->text(), QStringLiteral("3"));
        // With no number at all, from the field's first value.
        exponent->setText(QStringLiteral("abc"));
        QTest::keyClick(exponent, Qt::Key_Down);
        QCOMPARE(exponent->text(), QStringLiteral("-1"));
    }

    void sendButtonsCarryTheAssignMenu()
    {
        ScriptedPrompter prompts;
        TMainForm form({}, &prompts);
        form.show();
        for (const char* name : {"SendButton", "ControlSendButton"}) {
            auto* button = Find<QPushButton>(form, name);
            QCOMPARE(button->contextMenuPolicy(), Qt::CustomContextMenu);
            emit button->customContextMenuRequested(QPoint(2, 2));
            QTRY_VERIFY_WITH_TIMEOUT(form.PopupMenu2->isVisible(), 2000);
            form.PopupMenu2->hide();
        }
    }
};

QTEST_MAIN(TestComposeTabs)
#include "tst_compose_tabs.moc"
