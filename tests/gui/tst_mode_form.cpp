// The mode dialog and the unit type dialog on their own: which boxes each
// firmware offers, how they are filled, what Set Mode leaves in the
// program's state, and the unit type edit's key filter.
#include <QtTest>

#include "gui/diagnostics/diagnostics.h"
#include "gui/diagnostics/interface_tools.h"
#include "gui/diagnostics/mode_form.h"
#include "gui/diagnostics/unit_type_form.h"
#include "scripted_prompter.h"
#include "session/session.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

using namespace tarvin;

namespace {

// The session and the interface tools without a window; `run` shows the
// dialogs.
struct Tools
{
    ScriptedPrompter prompts;
    Session session;
    QWidget window;
    Diagnostics diagnostics{session, prompts, &window};
    std::function<int(QDialog&)> run = [](QDialog&) { return int(QDialog::Rejected); };
    InterfaceTools tools{session, diagnostics, prompts, &window,
                         [this](QDialog& dialog) { return run(dialog); }};
};

} // namespace

class TestModeForm : public QObject
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

    void firmwareGatesTheBoxes_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<bool>("allMonitor");
        QTest::addColumn<bool>("localSal");
        QTest::addColumn<bool>("fourPointZero"); // PCN, PUN, EXSTAT, Restore
        QTest::newRow("unknown") << 0 << false << false << false;
        QTest::newRow("2.255") << 0x2FF << false << false << false;
        QTest::newRow("3.0") << 0x300 << true << false << false;
        QTest::newRow("3.11") << 0x311 << true << false << false;
        QTest::newRow("3.12") << 0x312 << true << true << false;
        QTest::newRow("3.255") << 0x3FF << true << true << false;
        QTest::newRow("4.0") << 0x400 << true << true << true;
        QTest::newRow("4.2") << 0x402 << true << true << true;
    }

    void firmwareGatesTheBoxes()
    {
        QFETCH(int, version);
        QFETCH(bool, allMonitor);
        QFETCH(bool, localSal);
        QFETCH(bool, fourPointZero);
        TModeForm dialog;
        dialog.FormShow(version, 0, 0, true);
        QCOMPARE(dialog.AllMonitorCheckBox->isEnabled(), allMonitor);
        QCOMPARE(dialog.LocalSALCheckBox->isEnabled(), localSal);
        for (QCheckBox* box : {dialog.PCNCheckBox, dialog.PUNCheckBox, dialog.EXSTATCheckBox,
                               dialog.RestoreCheckBox})
            QCOMPARE(box->isEnabled(), fourPointZero);
        // The Interface Options 1 boxes are always offered.
        for (QCheckBox* box : dialog.GroupBox1->findChildren<QCheckBox*>())
            QVERIFY(box->isEnabled());
    }

    // Enter answers a question with its default button.
    void questionDefaultButton_data()
    {
        QTest::addColumn<int>("defaultButton");
        QTest::addColumn<int>("answer");
        QTest::newRow("no") << int(QMessageBox::No) << int(QMessageBox::No);
        QTest::newRow("toolkit's choice") << int(QMessageBox::NoButton) << int(QMessageBox::Yes);
    }
    void questionDefaultButton()
    {
        QFETCH(int, defaultButton);
        QFETCH(int, answer);
        DialogPrompter prompter;
        QTimer press;
        press.setInterval(20);
        connect(&press, &QTimer::timeout, this, [&press] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                press.stop();
                QTest::keyClick(box, Qt::Key_Return);
            }
        });
        press.start();
        QCOMPARE(int(prompter.ask(nullptr, Prompter::Icon::Warning, QStringLiteral("Go on ?"),
                                  QMessageBox::Yes | QMessageBox::No,
                                  QMessageBox::StandardButton(defaultButton))),
                 answer);
    }

    void boxesFollowTheOptionBytes()
    {
        TModeForm dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Set PC Interface Mode"));
        // The designed size, wider where the font needs it.
        QVERIFY(dialog.width() >= 304);
        QCOMPARE(dialog.height(), 213);
        dialog.FormShow(0x402, 0x59, 0x0A, false);
        QStringList checked;
        for (QCheckBox* box : dialog.findChildren<QCheckBox*>())
            if (box->isChecked())
                checked << box->objectName();
        checked.sort();
        QCOMPARE(
            checked,
            (QStringList{QStringLiteral("ChecksumCheckBox"), QStringLiteral("ConnectCheckBox"),
                         QStringLiteral("EXSTATCheckBox"), QStringLiteral("IDMONCheckBox"),
                         QStringLiteral("LocalSALCheckBox"), QStringLiteral("SmartCheckBox")}));
        QCOMPARE(dialog.ConnectCheckBox->text(), QStringLiteral("CONNECT"));
        QCOMPARE(dialog.AllMonitorCheckBox->text(), QStringLiteral("All Monitor (Tavro)"));
        // "All Monitor (Tavro)" only in debug mode.
        QVERIFY(dialog.AllMonitorCheckBox->isHidden());
        TModeForm debug;
        debug.FormShow(0x402, 0, 0, true);
        QVERIFY(!debug.AllMonitorCheckBox->isHidden());
    }

    void setModeStoresTheNewOptions()
    {
        Tools t;
        ProgramState& state = t.session.state();
        state.firmwareVersion = 0x402; // no link: sends go nowhere
        state.interfaceOptions = 0x51;
        state.pciOptionByte = 0x0E;
        state.allMonitor = true;

        // Cancel changes nothing.
        int shown = 0;
        t.run = [&](QDialog& dialog) {
            ++shown;
            auto* mode = qobject_cast<TModeForm*>(&dialog);
            if (!mode)
                return int(QDialog::Rejected);
            mode->ChecksumCheckBox->setChecked(true);
            mode->CancelBitBtn->click();
            return dialog.result();
        };
        t.tools.ModeButtonClick();
        QCOMPARE(shown, 1);
        QCOMPARE(state.interfaceOptions, 0x51);
        QCOMPARE(state.pciOptionByte, 0x0E);
        QVERIFY(state.allMonitor);

        // OK stores both bytes and ends monitoring.
        bool filled = false;
        t.run = [&](QDialog& dialog) {
            auto* mode = qobject_cast<TModeForm*>(&dialog);
            if (!mode)
                return int(QDialog::Rejected);
            filled = mode->IDMONCheckBox->isChecked() && mode->PUNCheckBox->isChecked();
            mode->IDMONCheckBox->setChecked(false);
            mode->PCNCheckBox->setChecked(true);
            mode->OKBitBtn->click();
            return dialog.result();
        };
        t.tools.ModeButtonClick();
        QVERIFY(filled);
        QCOMPARE(state.interfaceOptions, 0x11);
        QCOMPARE(state.pciOptionByte, 0x0F);
        QVERIFY(!state.allMonitor);

        // In debug mode a checked "All Monitor (Tavro)" starts monitoring.
        state.debugMode = true;
        t.run = [&](QDialog& dialog) {
            auto* mode = qobject_cast<TModeForm*>(&dialog);
            if (!mode)
                return int(QDialog::Rejected);
            mode->AllMonitorCheckBox->setChecked(true);
            mode->OKBitBtn->click();
            return dialog.result();
        };
        t.tools.ModeButtonClick();
        QVERIFY(state.allMonitor);
    }

    void otherPCICancelledAtTheAddress()
    {
        Tools t;
        t.tools.SetModeofOtherPCIItemClick();
        QCOMPARE(t.prompts.asked.size(), 1);
        QCOMPARE(t.prompts.asked[0].kind, QStringLiteral("input"));
        QCOMPARE(t.prompts.asked[0].text, QStringLiteral("Enter PCI Unit Address (hex) :"));
    }

    void unitTypeEditTakesLettersAndDigits()
    {
        TUnitTypeForm dialog;
        int beeps = 0;
        dialog.setBeep([&] { ++beeps; });
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Set Unit Type"));
        QCOMPARE(dialog.UnitTypeLabel->text(), QStringLiteral("INT_"));
        QVERIFY(dialog.UnitTypeLabel->font().bold());
        QVERIFY(!dialog.MultipleUnitsCheckBox->isChecked());
        QVERIFY(!dialog.UpdateINICheckBox->isChecked());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));

        QTest::keyClicks(dialog.UnitTypeEdit, QStringLiteral("a-B _9"));
        QCOMPARE(dialog.UnitTypeEdit->text(), QStringLiteral("aB9"));
        QCOMPARE(beeps, 3);
        QCOMPARE(dialog.UnitTypeLabel->text(), QStringLiteral("INT_aB9"));
        QTest::keyClick(dialog.UnitTypeEdit, Qt::Key_Backspace);
        QCOMPARE(dialog.UnitTypeLabel->text(), QStringLiteral("INT_aB"));
        QTest::keyClicks(dialog.UnitTypeEdit, QStringLiteral("CDE"));
        QCOMPARE(dialog.UnitTypeEdit->text(), QStringLiteral("aBCD"));
        // Other characters are refused when pasted too.
        dialog.UnitTypeEdit->clear();
        dialog.UnitTypeEdit->insert(QStringLiteral("A%"));
        QCOMPARE(dialog.UnitTypeEdit->text(), QString());

        // OK pads to four characters.
        QTest::keyClicks(dialog.UnitTypeEdit, QStringLiteral("AB"));
        dialog.OKBitBtn->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.UnitTypeEdit->text(), QStringLiteral("AB  "));
    }
};

QTEST_MAIN(TestModeForm)
#include "tst_mode_form.moc"
