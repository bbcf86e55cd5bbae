// The diagnostics commands against the simulated installation: interface
// details, identification, unit lists, MMIs and their results window, the
// EEPROM reader, and replies that are missing, late or spoiled.
#include <QtTest>

#include "gui/app/main_form.h"
#include "gui/diagnostics/diagnostics.h"
#include "gui/diagnostics/mmi_results_form.h"
#include "scripted_prompter.h"
#include "session/link_session.h"
#include "sim_process.h"
#include "test_support.h"
#include "workbench_bench.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>

using namespace tarvin;
using namespace tarvin::test;

namespace {

QString S(const char* text)
{
    return QString::fromLatin1(text);
}

// The connected workbench, with the diagnostics' results window at hand.
struct Bench : WorkbenchBench
{
    Diagnostics& diag() { return form->diagnostics(); }
    TMMIResultsForm* results() const { return form->findChild<TMMIResultsForm*>(); }
    void closeResults()
    {
        if (TMMIResultsForm* w = results()) {
            w->close();
            delete w;
        }
    }
};

QString WriteNetwork(const SimProcess& sim, const QByteArray& json)
{
    const QString path = sim.temporaryPath() + S("/network.json");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(json);
    return path;
}

struct Cell
{
    int n;
    const char* text;
    QRgb colour;
};

// How the results window differs from `cells` (address, text, colour);
// empty when it shows them all.
QString Unlike(const TMMIResultsForm* window, std::initializer_list<Cell> cells)
{
    QStringList why;
    for (const Cell& cell : cells) {
        const QString shown = window->cellText(cell.n);
        const QRgb got = window->cellColour(cell.n).rgb() & 0xFFFFFF;
        if (shown != QLatin1String(cell.text) || got != cell.colour)
            why << QStringLiteral("%1: \"%2\" in %3, expected \"%4\" in %5")
                       .arg(cell.n)
                       .arg(shown)
                       .arg(got, 6, 16, QLatin1Char('0'))
                       .arg(QLatin1String(cell.text))
                       .arg(cell.colour, 6, 16, QLatin1Char('0'));
    }
    return why.join(QStringLiteral("; "));
}

constexpr QRgb kBlack = 0x000000;
constexpr QRgb kSilver = 0xC0C0C0;
constexpr QRgb kGrey = 0x808080;
constexpr QRgb kRed = 0xFF0000;
constexpr QRgb kBlue = 0x0000FF;

} // namespace

class TestDiagnostics : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_config;
    // One connected workbench for the tests that need nothing special from
    // the simulator: a connect costs seconds of real-time pacing.
    std::unique_ptr<Bench> m_shared;

    Bench& shared()
    {
        Bench& b = *m_shared;
        for (const char* c : {"silent off", "slow 0", "replies normal"})
            b.sim.control(S(c));
        if (b.form->HexadecimalNumbersItem->isChecked())
            b.form->HexadecimalNumbersItem->trigger();
        if (b.form->RemoteNetworkCheckBox->isChecked())
            b.form->RemoteNetworkCheckBox->click();
        b.closeResults();
        b.prompts.asked.clear();
        b.prompts.inputs.clear();
        b.markWire();
        return b;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_config.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_config.path());
        m_shared = std::make_unique<Bench>();
        QVERIFY2(m_shared->start(), qPrintable(m_shared->sim.errorString()));
    }

    void cleanupTestCase() { m_shared.reset(); }

    void cleanup()
    {
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QVERIFY(!m_shared || !m_shared->form->session().busy());
    }

    void pciDataOfVersion4()
    {
        Bench bench;
        QVERIFY2(bench.start(), qPrintable(bench.sim.errorString()));
        // The handshake ran the real "Get PCI Data".
        const QString expected =
            S("PC Interface Details :\r  Location : 127.0.0.1:%1\r"
              "  Manufacturer : OSTREL  \r  Unit Type : PCI     \r  Part Name : TESTUNIT\r"
              "  Project : HOME    \r  Firmware Version : 4.2\r  Serial Number : 30-576\r"
              "  Unit Address : 01\r  Tarvin Voltage : 36.0V")
                .arg(bench.sim.tcpPort());
        QCOMPARE(bench.handshake, QStringList{expected});
        QCOMPARE(bench.form->state().firmwareVersion, 0x402);
        QCOMPARE(bench.form->state().pciOptionByte, 0x0E);
        QVERIFY(bench.form->LevelMMIItem->isEnabled());
        const QStringList rx = NonEmpty(bench.sim.receivedLines());
        const int reset = static_cast<int>(rx.indexOf(S("A3300051")));
        QVERIFY(reset >= 0);
        QCOMPARE(rx.mid(reset + 1, 9),
                 (QStringList{S("1A2001"), S("2100"), S("2101"), S("2102"), S("1A2A06"),
                              S("1A2306"), S("2104"), S("2107"), S("1A4201")}));

        // Again from the button, in the same words, and the button stays on.
        bench.form->PCIDataButton->click();
        QCOMPARE(bench.prompts.messages(), QStringList{expected});
        QCOMPARE(bench.prompts.asked.first().icon, Prompter::Icon::Information);
        QVERIFY(bench.form->PCIDataButton->isEnabled());
    }

    // Other units answer the same questions on a busy bus while the PCI takes
    // longer than a try: only the PCI's own answers fill the box, and the
    // status bar agrees with the box while it is shown.
    void pciDataAmongOtherUnitsReplies()
    {
        Bench bench;
        QString statusWhileShown;
        bool cancelWhileShown = true;
        bench.prompts.onMessage = [&](const QString&) {
            statusWhileShown = bench.form->ConnectionStatusLabel->text();
            cancelWhileShown = bench.form->CancelCommandButton->isVisible();
        };
        QVERIFY2(bench.start({S("--traffic"), S("100"), S("--identity-traffic"), S("--pci-late"),
                              S("1500")}),
                 qPrintable(bench.sim.standardError()));
        const QString box = bench.handshake.value(0);
        QVERIFY2(box.contains(S("  Unit Type : PCI     \r")), qPrintable(box));
        QVERIFY2(box.contains(S("  Firmware Version : 4.2\r")), qPrintable(box));
        QVERIFY2(box.contains(S("  Unit Address : 01\r")), qPrintable(box));
        QCOMPARE(bench.form->state().firmwareVersion, 0x402);
        QCOMPARE(bench.form->state().pciOptionByte, 0x0E);
        QVERIFY(bench.form->LevelMMIItem->isEnabled());
        QVERIFY2(statusWhileShown.endsWith(S("PCI firmware 4.2")), qPrintable(statusWhileShown));
        QVERIFY(!cancelWhileShown);

        // A PCI that stops answering gives "no reply", never another's answer.
        bench.sim.control(S("silent pci"));
        bench.form->ReadUnitTypeItem->trigger();
        QCOMPARE(bench.prompts.messages(),
                 QStringList{S("No reply from the PCI: its unit type is unknown.")});
    }

    void pciDataOfVersion3()
    {
        Bench bench;
        const QString file = WriteNetwork(bench.sim, R"({ "pci": { "address": "0C",
            "type": "PCI", "firmware": "3.9", "parameters": { "42": "FF" } } })");
        QVERIFY2(bench.start({S("--network"), file}), qPrintable(bench.sim.standardError()));
        QCOMPARE(bench.form->state().firmwareVersion, 0x309);
        QCOMPARE(bench.form->state().pciOptionByte, 0);
        QVERIFY(!NonEmpty(bench.sim.receivedLines()).contains(S("1A4201")));
        QVERIFY(bench.handshake.value(0).contains(S("  Firmware Version : 3.9\r")));
        QVERIFY(bench.handshake.value(0).contains(S("  Unit Address : 0C\r")));
        // Level MMI needs 4.0; the other MMIs do not.
        QVERIFY(!bench.form->LevelMMIItem->isEnabled());
        QVERIFY(!bench.form->LevelMMIButton->isEnabled());
        QVERIFY(bench.form->InstallationMMIItem->isEnabled());
    }

    void silentPci()
    {
        Bench bench;
        QVERIFY2(bench.start({}, {S("silent pci")}), qPrintable(bench.sim.errorString()));
        QCOMPARE(bench.handshake, QStringList{S("PC Interface Details Unknown.\r"
                                                "Some software features may not work correctly.\r"
                                                "If possible, use a version 4.0 or later PCI.")});
        QCOMPARE(bench.form->state().firmwareVersion, 0);

        // The button is off without a firmware version; the menu item asks again.
        QVERIFY(!bench.form->PCIDataButton->isEnabled());
        bench.form->GetPCIDataItem->trigger();
        // Only the address is asked for (twice: two tries), nothing else.
        QCOMPARE(bench.sentSinceMark(),
                 (QStringList{S("~~~"), S("A3300051"), S("1A2001"), S("1A2001")}));
        QCOMPARE(bench.prompts.messages().size(), 1);
        QVERIFY(bench.prompts.messages().first().startsWith(S("PC Interface Details Unknown.")));
        for (QPushButton* b : {bench.form->ModeButton, bench.form->StandardButton,
                               bench.form->InstallationMMIButton, bench.form->ApplicationMMIButton,
                               bench.form->LevelMMIButton, bench.form->PCIDataButton})
            QVERIFY2(!b->isEnabled(), qPrintable(b->objectName()));
        QVERIFY(bench.form->IdentifyButton->isEnabled());
        QVERIFY(bench.form->GetPCIDataItem->isEnabled());
        QVERIFY(bench.form->InstallationMMIItem->isEnabled());
    }

    void pciDataOverPseudoTerminal()
    {
#ifdef Q_OS_WIN
        QSKIP("needs a pseudo-terminal; Windows ports are tried end to end under Wine");
#endif
        SimProcess sim;
        QVERIFY2(sim.start({}, false, true), qPrintable(sim.errorString()));
        ScriptedPrompter prompts;
        TMainForm form({}, &prompts);
        QVERIFY(ConnectOverSerial(form, sim.ptyPath()));
        QVERIFY(prompts.messages().value(0).startsWith(S("PC Interface Details :\r  Location : ") +
                                                       sim.ptyPath() + S("\r")));
    }

    // Every prompt that reads a bus number, in both bases: the label names
    // the base, the number asked is the number typed, what is not a number
    // of that base and range sends nothing, and messages name units as the
    // lists do.
    void busNumberPrompts_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("hex");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("sent");
        const QString unitDec = S("Unit Number (decimal) :");
        const QString unitHex = S("Unit Number (hex) :");
        const QString refusedDec = S(" number: type a decimal number from 0 to 255.");
        const QString refusedHex = S(" number: type a hexadecimal number from 00 to FF.");
        QTest::newRow("identify decimal") << S("IdentifyItem") << false << S("10") << unitDec
                                          << S("Unit 10 Type = RELAY") << S("\\060A002101");
        QTest::newRow("identify hex") << S("IdentifyItem") << true << S("0a") << unitHex
                                      << S("Unit 0A Type = RELAY") << S("\\060A002101");
        QTest::newRow("identify the PCI") << S("IdentifyItem") << false << S("1") << unitDec
                                          << S("Unit 1 Type = PCI") << S("\\0601002101");
        QTest::newRow("identify absent") << S("IdentifyItem") << false << S("99") << unitDec
                                         << S("No reply from unit 99") << S("\\0663002101");
        QTest::newRow("identify letters") << S("IdentifyItem") << false << S("abc") << unitDec
                                          << S("\"abc\" is not a unit") + refusedDec << QString();
        QTest::newRow("identify too large") << S("IdentifyItem") << false << S("300") << unitDec
                                            << S("\"300\" is not a unit") + refusedDec << QString();
        QTest::newRow("identify hex too large")
            << S("IdentifyItem") << true << S("100") << unitHex
            << S("\"100\" is not a unit") + refusedHex << QString();
        QTest::newRow("eeprom refused") << S("GetEEPROMDataItem") << true << S("-1") << unitHex
                                        << S("\"-1\" is not a unit") + refusedHex << QString();
        QTest::newRow("other PCI decimal")
            << S("SetModeofOtherPCIItem") << false << S("77")
            << S("Enter PCI Unit Address (decimal) :")
            << S("No reply from unit 77: nothing was written.") << S("\\064D002101");
        QTest::newRow("other PCI hex")
            << S("SetModeofOtherPCIItem") << true << S("10") << S("Enter PCI Unit Address (hex) :")
            << S("No reply from unit 10: nothing was written.") << S("\\0610002101");
        QTest::newRow("other PCI refused")
            << S("SetModeofOtherPCIItem") << true << S("1G") << S("Enter PCI Unit Address (hex) :")
            << S("\"1G\" is not a unit") + refusedHex << QString();
        QTest::newRow("application MMI decimal")
            << S("ApplicationMMIItem") << false << S("56") << S("Application Number (decimal) :")
            << QString() << S("\\05FF007A3800");
        QTest::newRow("application MMI hex")
            << S("ApplicationMMIItem") << true << S("38") << S("Application Number (hex) :")
            << QString() << S("\\05FF007A3800");
        QTest::newRow("level MMI refused")
            << S("LevelMMIItem") << false << S("0x38") << S("Application Number (decimal) :")
            << S("\"0x38\" is not an application") + refusedDec << QString();
    }

    void busNumberPrompts()
    {
        QFETCH(QString, action);
        QFETCH(bool, hex);
        QFETCH(QString, typed);
        QFETCH(QString, label);
        QFETCH(QString, message);
        QFETCH(QString, sent);
        Bench& bench = shared();
        if (hex)
            bench.form->HexadecimalNumbersItem->trigger();
        bench.prompts.inputs << typed;
        bench.form->findChild<QAction*>(action)->trigger();
        QCOMPARE(bench.prompts.asked.value(0).text, label);
        QCOMPARE(bench.prompts.messages(),
                 message.isEmpty() ? QStringList() : QStringList{message});
        const QStringList wire = bench.sentSinceMark();
        if (sent.isEmpty())
            QVERIFY(wire.isEmpty());
        else
            QCOMPARE(wire.value(0), sent);
    }

    void identifyCancelled()
    {
        Bench& bench = shared();
        bench.form->IdentifyButton->click(); // no answer scripted: Cancel
        QVERIFY(bench.prompts.messages().isEmpty());
        QVERIFY(bench.sentSinceMark().isEmpty());
    }

    void unitListsAndVoltages()
    {
        Bench& bench = shared();
        QVERIFY(bench.sim.control(S("silent 20")));
        bench.form->IdentifyAllItem->trigger();
        QCOMPARE(bench.prompts.messages(),
                 QStringList{S("Unit 1 : PCI\rUnit 5 : DIMMER\rUnit 10 : RELAY\r\r"
                               "Incomplete: no reply from unit 32.")});
        // The table keeps the types for the traffic analyser; the silent
        // unit answered the MMI but not the Identify.
        const UnitTypeTable& table = bench.diag().unitTypeTable();
        QCOMPARE(QString::fromStdString(table[5]), S("DIMMER"));
        QVERIFY(table[0x20].empty());
        QCOMPARE(std::count_if(table.begin(), table.end(),
                               [](const std::string& t) { return !t.empty(); }),
                 3);
        QCOMPARE(bench.sentSinceMark().value(0), S("\\05FF007AFF00"));

        bench.prompts.asked.clear();
        QVERIFY(bench.sim.control(S("answer 20")));
        bench.form->HexadecimalNumbersItem->trigger();
        bench.form->GetUnitVoltagesItem->trigger();
        QCOMPARE(bench.prompts.messages(),
                 QStringList{S("Unit 01 : 36.0V\rUnit 05 : 35.8V\rUnit 0A : 34.9V\r"
                               "Unit 20 : 36.1V\r")});
        // Voltages do not touch the unit type table.
        QVERIFY(table[0x20].empty());
        QVERIFY(bench.results() == nullptr);
    }

    void remoteNetworkFields()
    {
        Bench& bench = shared();
        bench.form->RemoteNetworkCheckBox->click();
        bench.form->NetworkPathEdit->setText(S("0A1B"));
        bench.prompts.inputs << S("7");
        bench.form->IdentifyButton->click();
        QCOMPARE(bench.prompts.messages(), QStringList{S("Unit 7 Type = REMOTE")});
        QCOMPARE(bench.sentSinceMark().value(0), S("\\060A121B072101"));

        bench.prompts.asked.clear();
        bench.form->IdentifyAllItem->trigger();
        QCOMPARE(bench.prompts.messages(), QStringList{S("Unit 7 : REMOTE\r")});
        QVERIFY(bench.sentSinceMark().contains(S("\\030A121BFF7AFF00")));

        // A refused path: one error box, nothing sent.
        bench.prompts.asked.clear();
        bench.markWire();
        bench.form->NetworkPathEdit->setText(S("0A1"));
        bench.form->InstallationMMIButton->click();
        QCOMPARE(bench.prompts.messages(), QStringList{S("Invalid Remote Network Path.")});
        QVERIFY(bench.sentSinceMark().isEmpty());
        QVERIFY(bench.results() == nullptr);
    }

    void installationMMIWindow()
    {
        Bench& bench = shared();
        bench.form->InstallationMMIButton->click();
        QCOMPARE(bench.form->state().mmiMode, 1);
        QCOMPARE(bench.diag().mmiResults().lastIndex(), 255);
        TMMIResultsForm* window = bench.results();
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QCOMPARE(window->windowTitle(), S("Installation MMI Results - Local Network"));
        const QString why = Unlike(window, {{0, "0", kSilver},
                                            {1, "1", kBlue},
                                            {5, "5", kBlue},
                                            {10, "10", kBlack},
                                            {32, "32", kBlue},
                                            {255, "255", kSilver}});
        QVERIFY2(why.isEmpty(), qPrintable(why));
        // OK closes the window.
        QPointer<TMMIResultsForm> guard(window);
        window->OKBitBtn->click();
        QTRY_VERIFY_WITH_TIMEOUT(guard.isNull(), 3000);
    }

    void applicationMMIWindow()
    {
        Bench& bench = shared();
        bench.form->HexadecimalNumbersItem->trigger();
        bench.prompts.inputs << S("38");
        bench.form->ApplicationMMIItem->trigger();
        QCOMPARE(bench.prompts.asked.value(0).text, S("Application Number (hex) :"));
        QCOMPARE(bench.prompts.inputTitles.last(), S("Application MMI"));
        QCOMPARE(bench.sentSinceMark().value(0), S("\\05FF007A3800"));
        TMMIResultsForm* window = bench.results();
        QVERIFY(window);
        QCOMPARE(window->windowTitle(),
                 S("Application MMI Results - Lighting (38), Local Network"));
        const QString why = Unlike(window, {{0x00, "00", kBlue},
                                            {0x01, "01", kBlack},
                                            {0x03, "03", kSilver},
                                            {0x10, "10", kRed},
                                            {0xFF, "FF", kBlue}});
        QVERIFY2(why.isEmpty(), qPrintable(why));

        // An application nobody uses: no reports, every address absent; the
        // next window replaces the first.
        bench.prompts.inputs << S("39");
        bench.form->ApplicationMMIButton->click();
        QTRY_COMPARE_WITH_TIMEOUT(bench.form->findChildren<TMMIResultsForm*>().size(), 1, 3000);
        const QString absent = Unlike(bench.results(), {{0x00, "00", kSilver}});
        QVERIFY2(absent.isEmpty(), qPrintable(absent));
    }

    void applicationMMICancelled()
    {
        Bench& bench = shared();
        bench.form->ApplicationMMIButton->click(); // Cancel
        QCOMPARE(bench.prompts.asked.value(0).kind, S("input"));
        QVERIFY(bench.sentSinceMark().isEmpty());
        QVERIFY(bench.results() == nullptr);
        QVERIFY(bench.prompts.messages().isEmpty());
    }

    void levelMMIWindow()
    {
        Bench& bench = shared();
        bench.prompts.inputs << S("56");
        bench.form->LevelMMIItem->trigger();
        QCOMPARE(bench.prompts.inputTitles.last(), S("Level MMI"));
        const QStringList sent = bench.sentSinceMark();
        QCOMPARE(sent.size(), 8);
        QCOMPARE(sent.first(), S("\\05FF0073073800"));
        QCOMPARE(sent.last(), S("\\05FF00730738E0"));
        const MMIResults& results = bench.diag().mmiResults();
        QCOMPARE(results.at(0x00), 255);
        QCOMPARE(results.at(0x02), 128);
        QCOMPARE(results.at(0x03), kLevelAbsent);
        QCOMPARE(results.at(0x10), kLevelInvalid);
        QCOMPARE(results.at(0x21), 64);
        TMMIResultsForm* window = bench.results();
        QVERIFY(window);
        QCOMPARE(window->windowTitle(), S("Level MMI Results - Lighting (56), Local Network"));
        QCOMPARE(window->NoteLabel->text(), QString()); // every group reported
        const QString why = Unlike(window, {{0x00, "255", kBlack},
                                            {0x01, "0", kBlack},
                                            {0x03, "XX", kGrey},
                                            {0x10, "XX", kRed},
                                            {0x40, "200", kBlack},
                                            {0xFF, "1", kBlack}});
        QVERIFY2(why.isEmpty(), qPrintable(why));
    }

    void eepromData()
    {
        Bench& bench = shared();
        bench.form->EnableDebugItemClick();
        QVERIFY(bench.form->GetEEPROMDataItem->isVisible());
        bench.form->state().mmiMode = 1;
        bench.prompts.inputs << S("5");
        bench.form->GetEEPROMDataItem->trigger();
        QCOMPARE(bench.prompts.asked.value(0).kind, S("input"));
        QCOMPARE(bench.form->state().mmiMode, 0);
        const QStringList sent = bench.sentSinceMark();
        QCOMPARE(sent.size(), 32);
        QCOMPARE(sent.value(0), S("\\0605001A0008"));
        QCOMPARE(sent.value(31), S("\\0605001AF808"));
        const UnitDataImage& data = bench.diag().unitDataImage();
        QCOMPARE(data.at(0x00), 0x00);
        QCOMPARE(data.at(0x1F), 0x1F);
        QCOMPARE(data.at(0x20), 0x05); // the unit address
        QCOMPARE(data.at(0xFF), 0xFF);
        TMMIResultsForm* window = bench.results();
        QVERIFY(window);
        QCOMPARE(window->windowTitle(), S("Unit Data"));
        const QString why = Unlike(window, {{0x10, "16", kBlack}, {0x20, "5", kBlack}});
        QVERIFY2(why.isEmpty(), qPrintable(why));
    }

    void spoiledReplies_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("duplicate") << S("duplicate") << S("Unit 5 Type = DIMMER");
        QTest::newRow("junk first") << S("garbage") << S("Unit 5 Type = DIMMER");
        // Half a reply keeps the one whole pair of type data it still has.
        QTest::newRow("truncated") << S("truncate") << S("Unit 5 Type = D");
    }

    void spoiledReplies()
    {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        Bench& bench = shared();
        QVERIFY(bench.sim.control(S("replies ") + kind));
        bench.prompts.inputs << S("5");
        bench.form->IdentifyButton->click();
        QCOMPARE(bench.prompts.messages(), QStringList{message});
        // Whole status reports, twice or after junk, are still collected.
        // (Cut reports never reach address 255: that is the 5 s wait.)
        if (kind == S("truncate"))
            return;
        bench.form->InstallationMMIButton->click();
        QVERIFY(bench.results());
        QCOMPARE(bench.diag().mmiResults().at(5), 1);
        QCOMPARE(bench.diag().mmiResults().at(0x0A), 2);
    }

    void lateReplyAndSecondCommand()
    {
        Bench& bench = shared();
        // The reply comes after the first try has given up; the second try
        // takes it.
        const QRegularExpression unit5Reply(S("^860500008901"));
        const auto repliesSoFar = bench.sim.sentTexts().filter(unit5Reply).size();
        QVERIFY(bench.sim.control(S("slow 1300")));
        bool waitCursor = false;
        bool busy = false;
        QTimer::singleShot(500, bench.form.get(), [&] {
            waitCursor = QApplication::overrideCursor() &&
                         QApplication::overrideCursor()->shape() == Qt::WaitCursor;
            busy = bench.form->session().busy();
            // Clicked while the first command waits: ignored, and it must
            // not disturb the first.
            bench.prompts.inputs << S("38");
            bench.form->InstallationMMIButton->click();
            bench.form->ApplicationMMIButton->click();
            bench.form->PCIDataButton->click();
            bench.form->IdentifyAllItem->trigger();
            bench.form->IdentifyButton->click();
        });
        bench.prompts.inputs << S("5");
        bench.form->IdentifyButton->click();
        QVERIFY(waitCursor);
        QVERIFY(busy);
        QVERIFY(!bench.form->session().busy());
        QCOMPARE(bench.prompts.messages(), QStringList{S("Unit 5 Type = DIMMER")});
        QCOMPARE(bench.prompts.inputs.size(), 1); // the application was never asked
        const QStringList sent = bench.sentSinceMark();
        QCOMPARE(sent, (QStringList{S("\\0605002101"), S("\\0605002101")}));
        QVERIFY(bench.results() == nullptr);

        // Once the second try's own late reply is in, commands run again.
        QTRY_COMPARE_WITH_TIMEOUT(bench.sim.sentTexts().filter(unit5Reply).size(), repliesSoFar + 2,
                                  5000);
        QVERIFY(bench.sim.control(S("slow 0")));
        QVERIFY(bench.diag().GetAllUnitTypes());
        QCOMPARE(QString::fromStdString(bench.diag().unitTypeTable()[0x0A]), S("RELAY"));
    }

    void silentNetworkWaitsFiveSeconds()
    {
        Bench bench;
        QVERIFY2(bench.start({}, {S("silent mmi")}), qPrintable(bench.sim.errorString()));
        QElapsedTimer clock;
        clock.start();
        bench.form->InstallationMMIItem->trigger();
        const qint64 elapsed = clock.elapsed();
        QVERIFY2(elapsed >= 4900, qPrintable(QString::number(elapsed)));
        TMMIResultsForm* window = bench.results();
        QVERIFY(window);
        const QString why = Unlike(window, {{5, "5", kSilver}});
        QVERIFY2(why.isEmpty(), qPrintable(why));
    }
};

QTEST_MAIN(TestDiagnostics)
#include "tst_diagnostics.moc"
