// The main window as a user meets it: the restricted surface, settings,
// number lists, enabling rules and debug mode.
#include <QtTest>

#include "gui/app/main_form.h"
#include "gui/app/options_form.h"
#include "gui/compose/number_combo.h"
#include "scripted_prompter.h"
#include "session/link_session.h"
#include "session/session.h"
#include "test_support.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QShortcut>
#include <QSplitter>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QToolButton>

using namespace tarvin;
using tarvin::test::StoreSettings;

class TestMainForm : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_config;

    QString stored(const QString& key)
    {
        QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Ostrel"),
                    QStringLiteral("Tarvin Diagnostic"));
        return s.value(QStringLiteral("Options/") + key).toString();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_config.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_config.path());
    }

    void restrictedSurfaceAfterCreate()
    {
        StoreSettings({});
        ScriptedPrompter prompts;
        TMainForm form({}, &prompts);
        form.show();
        QCOMPARE(form.windowTitle(), QStringLiteral("Tarvin Diagnostic Utility"));
        auto* pages = form.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
        QVERIFY(pages);
        QCOMPARE(pages->count(), 10);
        QStringList visible;
        for (int i = 0; i < pages->count(); ++i)
            if (pages->isTabVisible(i))
                visible << pages->tabText(i);
        QCOMPARE(visible, (QStringList{QStringLiteral("Lighting"), QStringLiteral("Control")}));
        QCOMPARE(pages->tabPosition(), QTabWidget::South);
        for (const char* hidden : {"Panel1", "Panel2", "SpeedButton1", "SpeedButton2",
                                   "SpeedButton3", "TransmitHeaderPanel"})
            QVERIFY2(!form.findChild<QWidget*>(QLatin1String(hidden))->isVisible(), hidden);
        QCOMPARE(form.findChild<QToolButton*>(QStringLiteral("ClearSpeedButton"))->x(), 8);
        auto* clear = form.findChild<QToolButton*>(QStringLiteral("ClearSpeedButton"));
        QCOMPARE(form.findChild<QToolButton*>(QStringLiteral("SpeedButton6"))->x(),
                 clear->x() + clear->width() - 1);
        for (const char* hidden :
             {"UnitType1", "FileNewItem", "FileOpenItem", "FileSaveItem", "FileSaveAsItem",
              "ExecuteFile1", "ProcessLogFileItem", "UserButtonsItem", "AssignCommandto1",
              "ShowDecodedMessageItem", "InterpretCommand1", "ShowASCIIItem", "GetEEPROMDataItem",
              "EnableDebugItem"})
            QVERIFY2(!form.findChild<QAction*>(QLatin1String(hidden))->isVisible(), hidden);
        for (const char* shown : {"LogCommandsItem", "AnalyserItem", "ConnecttoPCIItem",
                                  "FilePrintItem", "HelpContentsItem"})
            QVERIFY2(form.findChild<QAction*>(QLatin1String(shown))->isVisible(), shown);
        // Nothing is connected: the connection-dependent commands are disabled,
        // the connect command and the switches are not.
        for (const char* off : {"InstallationMMIItem", "IdentifyItem", "SetMode1", "GetPCIDataItem",
                                "AnalyserItem", "LevelMMIItem", "ExecuteFile1"})
            QVERIFY2(!form.findChild<QAction*>(QLatin1String(off))->isEnabled(), off);
        for (const char* on : {"ConnecttoPCIItem", "ProgramOptions1", "HexadecimalNumbersItem"})
            QVERIFY2(form.findChild<QAction*>(QLatin1String(on))->isEnabled(), on);
        QVERIFY(!form.findChild<QPushButton*>(QStringLiteral("SendStringButton"))->isEnabled());
        QVERIFY(!form.findChild<QPushButton*>(QStringLiteral("UserButton9"))->isEnabled());
        // One pane holds both directions.
        QVERIFY(!form.findChild<QWidget*>(QStringLiteral("ReceivePanel"))->isVisible());
        QCOMPARE(form.TransmitHeaderPanel->text(), QStringLiteral("Transmit and Receive Data"));
    }

    // Show All Tools reveals what the restricted surface hides, switching it
    // off gives exactly the restricted surface again, and the choice (not
    // --all-tools) is remembered.
    void allToolsBothWaysAndRemembered()
    {
        StoreSettings({});
        const auto surface = [](TMainForm& form) {
            QStringList seen;
            for (int i = 0; i < form.PageControl1->count(); ++i)
                seen << form.PageControl1->tabText(i) +
                            (form.PageControl1->isTabVisible(i) ? u'+' : u'-');
            for (QWidget* w : form.findChildren<QWidget*>())
                // Where a shown widget stands; a hidden one is only hidden.
                if (!w->objectName().isEmpty() && !w->inherits("QMenu"))
                    seen << w->objectName() + (w->isVisible() ? QStringLiteral("+%1").arg(w->x())
                                                              : QStringLiteral("-"));
            for (QAction* a : form.findChildren<QAction*>())
                if (!a->objectName().isEmpty())
                    seen << a->objectName() + (a->isVisible() ? u'+' : u'-');
            seen << QStringLiteral("lists ") +
                        QString::number(form.optionsForm()
                                            .findChild<QGroupBox*>(QStringLiteral("RadioGroup1"))
                                            ->isHidden());
            return seen;
        };
        ScriptedPrompter prompts;
        {
            TMainForm form({}, &prompts);
            form.show();
            const QStringList restricted = surface(form);
            form.ShowAllToolsItem->trigger();
            int pages = 0;
            for (int i = 0; i < form.PageControl1->count(); ++i)
                pages += form.PageControl1->isTabVisible(i) ? 1 : 0;
            QCOMPARE(pages, 10);
            for (QWidget* w : {form.Panel1, form.Panel2, static_cast<QWidget*>(form.SpeedButton1),
                               static_cast<QWidget*>(form.TransmitHeaderPanel)})
                QVERIFY2(w->isVisible(), qPrintable(w->objectName()));
            for (QAction* a : {form.FileNewItem, form.ExecuteFile1, form.ProcessLogFileItem,
                               form.InterpretCommand1, form.ShowASCIIItem, form.UnitType1})
                QVERIFY2(a->isVisible(), qPrintable(a->objectName()));
            QCOMPARE(form.ClearSpeedButton->x(), 88);
            QVERIFY(!form.optionsForm()
                         .findChild<QGroupBox*>(QStringLiteral("RadioGroup1"))
                         ->isHidden());
            QVERIFY(!form.GetEEPROMDataItem->isVisible()); // debug mode's own
            form.ShowAllToolsItem->trigger();
            QCOMPARE(surface(form), restricted);
            form.ShowAllToolsItem->trigger();
        }
        {
            TMainForm again({}, &prompts);
            again.show();
            QVERIFY(again.ShowAllToolsItem->isChecked());
            QVERIFY(again.Panel1->isVisible());
            again.ShowAllToolsItem->trigger();
        }
        {
            TMainForm asked({QStringLiteral("--all-tools")}, &prompts);
            asked.show();
            QVERIFY(asked.ShowAllToolsItem->isChecked());
        }
        TMainForm plain({}, &prompts);
        plain.show();
        QVERIFY(!plain.ShowAllToolsItem->isChecked());
    }

    void emptyStoreGivesDefaultsAndIsWrittenBack()
    {
        StoreSettings({});
        {
            ScriptedPrompter prompts;
            TMainForm form({}, &prompts);
            form.show();
            QCOMPARE(form.session().decodeOptions(), 8);
            QVERIFY(!form.HexadecimalNumbersItem->isChecked());
            QVERIFY(!form.ShowTimeItem->isChecked());
            QVERIFY(!form.UseAcknowledgementCharactersItem->isChecked());
            QCOMPARE(QString::fromStdString(form.settings().comPort), QStringLiteral("COM1"));
            QCOMPARE(QString::fromStdString(form.settings().ipAddress),
                     QStringLiteral("192.168.0.1"));
            QCOMPARE(form.settings().port, 14000);
            QVERIFY(!form.settings().usesTcp());
            form.ShowTimeItem->trigger();
        }
        QCOMPARE(stored(QStringLiteral("ShowTime")), QStringLiteral("1"));
        QCOMPARE(stored(QStringLiteral("Port")), QStringLiteral("14000"));
        QCOMPARE(stored(QStringLiteral("CombineLists")), QStringLiteral("1"));
        QCOMPARE(stored(QStringLiteral("HexNumbers")), QStringLiteral("0"));
        QCOMPARE(stored(QStringLiteral("ShowDecodedMessage")), QStringLiteral("1"));
    }

    void storedValuesAndGarbage()
    {
        StoreSettings({{QStringLiteral("ConnectionType"), QStringLiteral("5")},
                       {QStringLiteral("Port"), QStringLiteral("not a port")},
                       {QStringLiteral("IPAddress"), QStringLiteral("127.0.0.1")},
                       {QStringLiteral("ShowUnit"), QStringLiteral("1")},
                       {QStringLiteral("ShowApplication"), QStringLiteral("1")},
                       {QStringLiteral("HexNumbers"), QStringLiteral("1")},
                       {QStringLiteral("AckChar"), QStringLiteral("1")},
                       {QStringLiteral("TimeDP"), QStringLiteral("x")}});
        ScriptedPrompter prompts;
        TMainForm form({}, &prompts);
        form.show();
        QVERIFY(form.settings().usesTcp());
        QCOMPARE(form.settings().port, 14000);
        QCOMPARE(form.settings().timeDP, 0);
        QCOMPARE(form.session().decodeOptions(), 1 + 4 + 8);
        QVERIFY(form.HexadecimalNumbersItem->isChecked());
        QVERIFY(form.UseAcknowledgementCharactersItem->isChecked());
        QCOMPARE(form.session().NumberString(0x38), QStringLiteral("38"));
    }

    void hexSwitchKeepsSelections()
    {
        StoreSettings({{QStringLiteral("HexNumbers"), QStringLiteral("0")}});
        ScriptedPrompter prompts;
        TMainForm form({}, &prompts);
        NumberCombo list(form.session(), 56, nullptr);
        form.show();
        QCOMPARE(list.count(), 256);
        QCOMPARE(list.currentText(), QStringLiteral("56"));
        form.HexadecimalNumbersItem->trigger();
        QCOMPARE(list.currentIndex(), 56);
        QCOMPARE(list.currentText(), QStringLiteral("38"));
        QCOMPARE(list.itemText(5), QStringLiteral("05"));
        QCOMPARE(form.session().StringToNumber(QStringLiteral("FF")), 255LL);
        form.HexadecimalNumbersItem->trigger();
        QCOMPARE(list.currentText(), QStringLiteral("56"));
        QCOMPARE(form.session().StringToNumber(QStringLiteral("FF")), 0LL);
        QCOMPARE(form.session().StringToNumber(QStringLiteral("-3")), -3LL);
    }

    void debugModeFromArgumentOrShortcut()
    {
        StoreSettings({});
        {
            ScriptedPrompter prompts;
            TMainForm form({QStringLiteral("/enabledebug")}, &prompts);
            form.show();
            QVERIFY(form.state().debugMode);
            QVERIFY(form.ShowASCIIItem->isVisible());
            QVERIFY(form.GetEEPROMDataItem->isVisible());
            // The hidden tabs and file items stay hidden.
            QVERIFY(!form.PageControl1->isTabVisible(8));
            QVERIFY(!form.FileNewItem->isVisible());
        }
        for (const QStringList& args :
             {QStringList{QStringLiteral("/EnableDebug")},
              QStringList{QStringLiteral("x"), QStringLiteral("/enabledebug")}}) {
            ScriptedPrompter prompts;
            TMainForm form(args, &prompts);
            form.show();
            QVERIFY(!form.state().debugMode);
        }
        ScriptedPrompter prompts;
        TMainForm form({}, &prompts);
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QTest::keyClick(&form, Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(form.state().debugMode);
        QVERIFY(form.ShowASCIIItem->isVisible());
    }

    void enableItemsFollowsConnectionAndFirmware()
    {
        StoreSettings({});
        ScriptedPrompter prompts;
        TMainForm form({}, &prompts);
        form.show();
        form.state().connected = true;
        form.state().firmwareVersion = 0x312;
        form.EnableItems();
        QVERIFY(form.InstallationMMIItem->isEnabled());
        QVERIFY(form.ApplicationMMIItem->isEnabled());
        QVERIFY(!form.LevelMMIItem->isEnabled());
        QVERIFY(!form.LevelMMIButton->isEnabled());
        QVERIFY(form.IdentifyButton->isEnabled());
        // Controls of hidden pages follow too.
        QVERIFY(form.SendStringButton->isEnabled());
        form.state().firmwareVersion = 0x400;
        form.EnableItems();
        QVERIFY(form.LevelMMIItem->isEnabled());
        QVERIFY(form.LevelMMIButton->isEnabled());
        form.state().connected = false;
        form.EnableItems();
        QVERIFY(!form.IdentifyItem->isEnabled());
        QVERIFY(!form.SendStringCombo->isEnabled());
    }

    void logPaneLinesAndLimit()
    {
        StoreSettings({});
        ScriptedPrompter prompts;
        TMainForm form({}, &prompts);
        form.session().setClock([] { return QDateTime(QDate(2026, 12, 8), QTime(7, 5, 9, 378)); });
        form.show();
        form.session().Log(1, QStringLiteral("GA 05 On"));
        form.session().Log(2, QStringLiteral("OK"));
        form.session().Log(2, QStringLiteral("# comment"));
        form.flushLog();
        QCOMPARE(form.TransmitMemo->toPlainText(),
                 QStringLiteral("Tx : GA 05 On\nRx : OK\n# comment"));
        form.settings().timeDP = 1;
        form.ShowTimeItem->trigger();
        form.session().Log(1, QStringLiteral("x"));
        form.flushLog();
        QCOMPARE(form.TransmitMemo->document()->lastBlock().text(),
                 QStringLiteral("07:05:09.3  Tx : x"));
        form.ClearSpeedButtonClick();
        for (int i = 1; i <= 201; ++i)
            form.session().Log(2, QString::number(i));
        form.flushLog();
        QCOMPARE(form.TransmitMemo->blockCount(), 200);
        QVERIFY(form.TransmitMemo->document()->firstBlock().text().endsWith(QLatin1String(": 2")));
        QVERIFY(form.TransmitMemo->document()->lastBlock().text().endsWith(QLatin1String(": 201")));
        // The newest line is in view.
        auto* bar = form.TransmitMemo->verticalScrollBar();
        QCOMPARE(bar->value(), bar->maximum());
        // While the display switch is off nothing is shown.
        form.state().logDisplay = false;
        form.session().Log(2, QStringLiteral("hidden"));
        form.flushLog();
        QVERIFY(!form.TransmitMemo->toPlainText().contains(QLatin1String("hidden")));
    }

    void separateListsLayout()
    {
        StoreSettings({});
        ScriptedPrompter prompts;
        TMainForm form({}, &prompts);
        form.show();
        form.settings().combineLists = false;
        form.resize(900, 600);
        form.SetLists();
        QCOMPARE(form.TransmitHeaderPanel->text(), QStringLiteral("Transmit Data"));
        QVERIFY(form.ReceivePanel->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(form.ReceivePanel->width(), 600, 2000);
        form.session().Log(2, QStringLiteral("OK"));
        form.session().Log(1, QStringLiteral("GA 05 On"));
        form.flushLog();
        QCOMPARE(form.ReceiveMemo->toPlainText(), QStringLiteral("OK"));
        QCOMPARE(form.TransmitMemo->toPlainText(), QStringLiteral("GA 05 On"));
    }

    void remotePathControls()
    {
        StoreSettings({});
        ScriptedPrompter prompts;
        TMainForm form({}, &prompts);
        form.show();
        QVERIFY(!form.NetworkPathEdit->isEnabled());
        form.RemoteNetworkCheckBox->click();
        QVERIFY(form.NetworkPathEdit->isEnabled());
        QVERIFY(form.NetworkPathLabel->isEnabled());
        form.NetworkPathEdit->setText(QStringLiteral("0A1B"));
        QCOMPARE(form.session().SALHeader(0x38), QByteArray("\\030A121B38"));
        QCOMPARE(form.session().GetNetworkPathLength(), 4);
        form.NetworkPathEdit->setText(QStringLiteral("0A1"));
        QVERIFY(form.session().SALHeader(0x38).isEmpty());
        QCOMPARE(form.session().GetNetworkPathLength(), 0);
        QCOMPARE(prompts.messages(), QStringList{QStringLiteral("Invalid Remote Network Path.")});
        QCOMPARE(prompts.asked.first().icon, Prompter::Icon::Error);
        form.RemoteNetworkCheckBox->click();
        QCOMPARE(form.session().CALHeaderForUnit(0x0A), QByteArray("\\060A00"));
    }

    // Every menu opens with Alt and a letter of its own, the log and the
    // connection have keys, and the help lists every key the window has.
    void keyboardReachesEverything()
    {
        ScriptedPrompter prompts;
        TMainForm form({}, &prompts);
        form.show();
        QApplication::setActiveWindow(&form);
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QSet<QChar> letters;
        for (QAction* menu : form.menuBar()->actions()) {
            const QString title = menu->text();
            const int amp = int(title.indexOf(u'&'));
            QVERIFY2(amp >= 0 && amp + 1 < title.size(), qPrintable(title));
            QVERIFY2(!letters.contains(title[amp + 1].toLower()), qPrintable(title));
            letters.insert(title[amp + 1].toLower());
        }
        QCOMPARE(form.ConnecttoPCIItem->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_K));
        QTest::keyClick(&form, Qt::Key_L, Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget(), form.TransmitMemo);

        QFile help(QStringLiteral(":/help/index.html"));
        QVERIFY(help.open(QIODevice::ReadOnly));
        const QString page = QString::fromUtf8(help.readAll());
        QStringList keys;
        for (const QAction* a : form.findChildren<QAction*>())
            if (!a->shortcut().isEmpty())
                keys << a->shortcut().toString(QKeySequence::PortableText);
        for (const QShortcut* s : form.findChildren<QShortcut*>())
            keys << s->key().toString(QKeySequence::PortableText);
        QVERIFY(keys.size() >= 5);
        for (const QString& key : std::as_const(keys))
            QVERIFY2(page.contains(QStringLiteral("<td>") + key) ||
                         page.contains(QStringLiteral(", ") + key + QStringLiteral("</td>")),
                     qPrintable(key));
    }
};

QTEST_MAIN(TestMainForm)
#include "tst_main_form.moc"
