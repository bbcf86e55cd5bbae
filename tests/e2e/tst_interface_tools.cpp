// The interface tools against the simulated interface over loopback TCP:
// the analyser counting bus traffic, Set Mode and Set Mode of Other PCI as
// they appear on the wire, and reading and programming a unit type.
#include <QtTest>

#include "gui/app/main_form.h"
#include "gui/diagnostics/analyser_form.h"
#include "gui/diagnostics/interface_tools.h"
#include "gui/diagnostics/mode_form.h"
#include "gui/diagnostics/unit_type_form.h"
#include "scripted_prompter.h"
#include "session/link_session.h"
#include "session/session.h"
#include "sim_process.h"
#include "test_support.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

using namespace tarvin;
using namespace tarvin::test;

namespace {

// The installation the tests talk to: the PCI is an interface unit whose
// type can be programmed, unit 10 is another PCI on the bus.
const char kNetwork[] = R"({
  "pci": { "address": "01", "type": "INT_OST", "firmware": "4.2",
           "parameters": { "42": "0E" } },
  "units": [
    { "address": "05", "type": "DIMMER", "firmware": "2.1" },
    { "address": "0A", "type": "RELAY", "firmware": "1.3", "mmiState": 2 },
    { "address": "10", "type": "PCINT1", "firmware": "3.12" }
  ]
})";

// A connected workbench with the tools wired as the program wires them.
struct Workbench
{
    SimProcess sim;
    ScriptedPrompter prompts;
    std::unique_ptr<TMainForm> form;
    InterfaceTools* tools = nullptr;
    QDateTime clock = QDateTime(QDate(2024, 3, 1), QTime(10, 0, 0));

    bool start(const QStringList& extraArgs = {}, bool network = true)
    {
        QStringList args = extraArgs;
        if (network) {
            const QString path = sim.temporaryPath() + QStringLiteral("/network.json");
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly) || file.write(kNetwork) < 0)
                return false;
            file.close();
            args << QStringLiteral("--network") << path;
        }
        if (!sim.start(args))
            return false;
        StoreTcp(sim.tcpPort());
        form = std::make_unique<TMainForm>(QStringList{}, &prompts);
        tools = &form->interfaceTools();
        tools->setClock([this] { return clock; });
        form->show();
        form->ConnecttoPCIItem->trigger();
        prompts.asked.clear(); // the PCI details
        return form->state().connected;
    }
    int mark() const { return sim.receivedLines().size(); }
    // The non-empty lines the interface received since `start`, once
    // `count` of them are there.
    QStringList linesSince(int start, int count) const
    {
        sim.waitForReceived(
            [&](const QStringList& rx) { return NonEmpty(rx.mid(start)).size() >= count; });
        return NonEmpty(sim.receivedLines().mid(start));
    }
    void tick(TAnalyserForm& analyser)
    {
        clock = clock.addSecs(1);
        emit analyser.Timer1->timeout({});
    }
};

// Whether the simulator documents an option (the unit type parameter and
// its store switch came later than the rest).
bool SimulatorHas(const QString& option)
{
    QProcess help;
    help.start(qEnvironmentVariable("TARVIN_SIM"), {QStringLiteral("--help")});
    if (!help.waitForFinished(5000))
        return false;
    return QString::fromLatin1(help.readAllStandardOutput()).contains(option);
}

QString Cell(const QTableWidget* grid, int row, int column)
{
    const QTableWidgetItem* item = grid->item(row, column);
    return item ? item->text() : QString();
}

} // namespace

class TestInterfaceTools : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_config;

    void countBurst(Workbench& w, TAnalyserForm& analyser)
    {
        // Monitoring was asked of a 4.x PCI in its own way.
        QVERIFY(NonEmpty(w.sim.receivedLines()).contains(QStringLiteral("@A3400048")));
        QVERIFY(w.form->state().allMonitor);
        const QStringList burst = {
            QStringLiteral("05053800790135"), // lighting from 05
            QStringLiteral("05053800790235"),
            QStringLiteral("05053800790334"), // no end mark: an error
            QStringLiteral("050ACA000135"),   // trigger control from 0A
            QStringLiteral("0510FF900102"),   // an MMI from 10
            QStringLiteral("8605008901AB9A"), // a CAL reply from 05
        };
        for (const QString& line : burst)
            QVERIFY(w.sim.control(QStringLiteral("monitor ") + line));
        const TrafficStatistics& s = w.tools->statistics();
        QTRY_COMPARE_WITH_TIMEOUT(s.messageTotal + s.messagesThisTick, 6, 3000);
        w.tick(analyser);
        QCOMPARE(Cell(analyser.SummaryStringGrid, 0, 1), QStringLiteral("1"));
        QCOMPARE(Cell(analyser.SummaryStringGrid, 1, 1), QStringLiteral("6"));
        QCOMPARE(Cell(analyser.TypeStringGrid, 0, 0), QStringLiteral("CAL"));
        QCOMPARE(Cell(analyser.TypeStringGrid, 1, 1), QStringLiteral("3"));
        QCOMPARE(Cell(analyser.TypeStringGrid, 2, 1), QStringLiteral("1"));
        // Sources with the unit types found by the installation MMI.
        QCOMPARE(analyser.MessageSourceStringGrid->rowCount(), 2);
        QCOMPARE(Cell(analyser.MessageSourceStringGrid, 0, 0), QStringLiteral("5"));
        QCOMPARE(Cell(analyser.MessageSourceStringGrid, 0, 1), QStringLiteral("DIMMER"));
        QCOMPARE(Cell(analyser.MessageSourceStringGrid, 0, 2), QStringLiteral("4"));
        QCOMPARE(Cell(analyser.MessageSourceStringGrid, 1, 1), QStringLiteral("RELAY"));
        QCOMPARE(Cell(analyser.MMIStringGrid, 0, 3), QStringLiteral("16"));
    }

    void countTraffic(Workbench& w, TAnalyserForm& analyser)
    {
        const TrafficStatistics& s = w.tools->statistics();
        // The window's own timer folds the ticks into the totals meanwhile.
        QTRY_VERIFY_WITH_TIMEOUT(s.messageTotal + s.messagesThisTick >= 400, 5000);
        w.tick(analyser);
        // A fifth damaged, give or take.
        const double share = double(s.errorTotal) / s.messageTotal;
        QVERIFY2(share > 0.12 && share < 0.28, qPrintable(QString::number(share)));
        QVERIFY(s.calCount > 0);
        QVERIFY(analyser.TypeStringGrid->rowCount() >= 10);
        QVERIFY(analyser.MessageSourceStringGrid->rowCount() >= 40);
        QCOMPARE(analyser.MMIStringGrid->rowCount(), 2);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_config.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_config.path());
    }

    void analyserCountsBusTraffic()
    {
        Workbench w;
        QVERIFY2(w.start(), qPrintable(w.sim.errorString()));
        w.form->HexadecimalNumbersItem->setChecked(false);
        bool ran = false;
        w.form->setDialogRunner([&](QDialog& dialog) {
            auto* analyser = qobject_cast<TAnalyserForm*>(&dialog);
            if (!analyser)
                return int(QDialog::Rejected);
            ran = true;
            dialog.show();
            countBurst(w, *analyser);
            analyser->Button2->click();
            return dialog.result();
        });
        const int start = w.mark();
        w.form->AnalyserItem->trigger();
        QVERIFY(ran);
        if (QTest::currentTestFailed())
            return;
        // Default mode before and after; the installation MMI in between.
        const QStringList lines = w.linesSince(start, 7);
        QCOMPARE(lines.mid(0, 2), (QStringList{QStringLiteral("~~~"), QStringLiteral("A3300051")}));
        QVERIFY(lines.contains(QStringLiteral("\\05FF007AFF00")));
        QVERIFY(lines.indexOf(QStringLiteral("@A3400048")) >
                lines.indexOf(QStringLiteral("\\05FF007AFF00")));
        QCOMPARE(lines.mid(lines.size() - 2),
                 (QStringList{QStringLiteral("~~~"), QStringLiteral("A3300051")}));
        QVERIFY(!w.form->state().allMonitor);
        QCOMPARE(w.sim.options(), 0x51);
    }

    void analyserCountsGeneratedTraffic()
    {
        Workbench w;
        QVERIFY2(w.start({QStringLiteral("--traffic"), QStringLiteral("400"),
                          QStringLiteral("--error-share"), QStringLiteral("20")}),
                 qPrintable(w.sim.errorString()));
        w.tools->setUnitTypeSource([] { return UnitTypeTable{}; });
        w.form->setDialogRunner([&](QDialog& dialog) {
            auto* analyser = qobject_cast<TAnalyserForm*>(&dialog);
            if (!analyser)
                return int(QDialog::Rejected);
            dialog.show();
            countTraffic(w, *analyser);
            analyser->Button2->click();
            return dialog.result();
        });
        w.form->AnalyserItem->trigger();
        QVERIFY(!w.form->state().allMonitor);
    }

    void setModeSendsTheOptionLines_data()
    {
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<bool>("debug");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<int>("options");

        QTest::newRow("connect smart idmon")
            << QStringList{QStringLiteral("ConnectCheckBox"), QStringLiteral("SmartCheckBox"),
                           QStringLiteral("IDMONCheckBox")}
            << false << QStringList{QStringLiteral("~~~A3300051"), QStringLiteral("A3420000")}
            << 0x51;
        // With CHECKSUM the interface refuses any line without a good one.
        QTest::newRow("checksum, all of options 3, restore, debug")
            << QStringList{QStringLiteral("ConnectCheckBox"), QStringLiteral("ChecksumCheckBox"),
                           QStringLiteral("SmartCheckBox"),   QStringLiteral("IDMONCheckBox"),
                           QStringLiteral("PCNCheckBox"),     QStringLiteral("LocalSALCheckBox"),
                           QStringLiteral("PUNCheckBox"),     QStringLiteral("EXSTATCheckBox"),
                           QStringLiteral("RestoreCheckBox")}
            << true
            << QStringList{QStringLiteral("~~~A3300059"), QStringLiteral("A3410059C3"),
                           QStringLiteral("A342000F0C"), QStringLiteral("A34000001D")}
            << 0x59;
    }

    void setModeSendsTheOptionLines()
    {
        QFETCH(QStringList, boxes);
        QFETCH(bool, debug);
        QFETCH(QStringList, expected);
        QFETCH(int, options);
        Workbench w;
        QVERIFY2(w.start(), qPrintable(w.sim.errorString()));
        if (debug)
            w.form->EnableDebugItemClick();
        w.form->setDialogRunner([&](QDialog& dialog) {
            auto* mode = qobject_cast<TModeForm*>(&dialog);
            if (!mode)
                return int(QDialog::Rejected);
            for (QCheckBox* box : mode->findChildren<QCheckBox*>())
                box->setChecked(boxes.contains(box->objectName()));
            mode->OKBitBtn->click();
            return dialog.result();
        });
        const int start = w.mark();
        const int sentBefore = w.sim.sentTexts().size();
        w.form->ModeButton->click();
        QCOMPARE(w.linesSince(start, expected.size()), expected);
        QCOMPARE(w.sim.options(), options);
        QCOMPARE(w.form->state().interfaceOptions, options);
        // Nothing was refused.
        QVERIFY(!w.sim.sentTexts().mid(sentBefore).contains(QStringLiteral("!")));
        if (options & 0x08) {
            // The stores took: read them back, with checksums of course.
            const QByteArray powerUp =
                w.form->session().SendCALGetResponse("1A4101", "86????008241*", 1, 2).line;
            QVERIFY2(powerUp.startsWith("86010000824159"), powerUp.constData());
            const QByteArray options3 =
                w.form->session().SendCALGetResponse("1A4201", "86????008242*", 1, 2).line;
            QVERIFY2(options3.startsWith("8601000082420F"), options3.constData());
        }
    }

    void setModeOfAnotherPCI()
    {
        Workbench w;
        QVERIFY2(w.start(), qPrintable(w.sim.errorString()));
        QCOMPARE(w.form->state().firmwareVersion, 0x402);
        w.prompts.inputs.enqueue(QStringLiteral("16")); // unit 10 hex
        int versionShown = -1;
        bool localSal = false, pcn = true, restoreLocked = false;
        w.form->setDialogRunner([&](QDialog& dialog) {
            auto* mode = qobject_cast<TModeForm*>(&dialog);
            if (!mode)
                return int(QDialog::Rejected);
            versionShown = w.form->state().firmwareVersion;
            localSal = mode->LocalSALCheckBox->isEnabled();
            pcn = mode->PCNCheckBox->isEnabled();
            restoreLocked =
                mode->RestoreCheckBox->isChecked() && !mode->RestoreCheckBox->isEnabled();
            mode->XonCheckBox->setChecked(true);
            mode->OKBitBtn->click();
            return dialog.result();
        });
        const int start = w.mark();
        w.form->SetModeofOtherPCIItem->trigger();
        // The other PCI is a PCINT1 with firmware 3.12: no warning, and the
        // dialog offers what that firmware has.
        QCOMPARE(w.prompts.asked.size(), 1);
        QCOMPARE(w.prompts.asked[0].kind, QStringLiteral("input"));
        QCOMPARE(versionShown, 0x312);
        QVERIFY(localSal);
        QVERIFY(!pcn);
        QVERIFY(restoreLocked);
        QCOMPARE(w.form->state().firmwareVersion, 0x402);
        // The unit's options, not ours: unlock and store, power-up byte and
        // Interface Options 3, from our PCI's values plus XON/XOFF.
        QCOMPARE(w.linesSince(start, 6),
                 (QStringList{QStringLiteral("\\0610002101"), QStringLiteral("\\0610002102"),
                              QStringLiteral("\\0610001141"), QStringLiteral("\\061000A3410055"),
                              QStringLiteral("\\0610001142"), QStringLiteral("\\061000A342000E")}));
        QCOMPARE(w.form->state().interfaceOptions, 0x51);
        QCOMPARE(w.sim.options(), 0x51);
        // The stores reached the other unit.
        const QByteArray reply =
            w.form->session().SendCALGetResponse("\\0610001A4101", "86??????8241*", 1, 2).line;
        QVERIFY2(reply.startsWith("86100000824155"), reply.constData());
        // Without its unlock another PCI keeps its options.
        w.form->session().SendTarvinCommand("\\061000A3410077");
        QVERIFY(w.form->session()
                    .SendCALGetResponse("\\0610001A4101", "86??????8241*", 1, 2)
                    .line.startsWith("86100000824155"));

        // Cancel: nothing stored, and our version comes back all the same.
        w.prompts.inputs.enqueue(QStringLiteral("16")); // unit 10 hex
        w.form->setDialogRunner([](QDialog& dialog) {
            dialog.reject();
            return dialog.result();
        });
        const int again = w.mark();
        w.form->SetModeofOtherPCIItem->trigger();
        QCOMPARE(w.form->state().firmwareVersion, 0x402);
        QCOMPARE(w.linesSince(again, 2),
                 (QStringList{QStringLiteral("\\0610002101"), QStringLiteral("\\0610002102")}));
    }

    void setModeOfAUnitThatIsNoPCI()
    {
        Workbench w;
        QVERIFY2(w.start(), qPrintable(w.sim.errorString()));
        w.prompts.inputs.enqueue(QStringLiteral("05"));
        w.prompts.answers.enqueue(QMessageBox::No);
        bool shown = false;
        w.form->setDialogRunner([&](QDialog& dialog) {
            shown = true;
            dialog.reject();
            return dialog.result();
        });
        const int start = w.mark();
        w.form->SetModeofOtherPCIItem->trigger();
        QVERIFY(!shown);
        QCOMPARE(w.prompts.asked.size(), 2);
        QCOMPARE(w.prompts.asked[1].icon, Prompter::Icon::Warning);
        QCOMPARE(w.prompts.asked[1].text,
                 QStringLiteral("This unit is not a PC Interface.\rIt is of type DIMMER.\r"
                                "Changing its Mode may cause operational problems.\r"
                                "Do you want to continue ?"));
        QCOMPARE(w.prompts.asked[1].defaultButton, QMessageBox::No);
        QTest::qWait(300); // anything sent after the answer would be on the wire by now
        QCOMPARE(w.linesSince(start, 1), QStringList{QStringLiteral("\\0605002101")});
    }

    void unitTypeIsSetAndReadBack()
    {
        if (!SimulatorHas(QStringLiteral("--store-fail")))
            QSKIP("this tarvin-sim does not store unit types");
        Workbench w;
        QVERIFY2(w.start(), qPrintable(w.sim.errorString()));
        w.form->ReadUnitTypeItem->trigger();
        QCOMPARE(w.prompts.messages(), QStringList{QStringLiteral("Unit Type is \"INT_OST \"")});
        w.prompts.asked.clear();

        w.form->setDialogRunner([&](QDialog& dialog) {
            auto* form = qobject_cast<TUnitTypeForm*>(&dialog);
            if (!form)
                return int(QDialog::Rejected);
            QTest::keyClicks(form->UnitTypeEdit, QStringLiteral("AB"));
            form->MultipleUnitsCheckBox->setChecked(true);
            form->OKBitBtn->click();
            return dialog.result();
        });
        // One more unit, then no more.
        w.prompts.answers.enqueue(QMessageBox::Yes);
        w.prompts.answers.enqueue(QMessageBox::No);
        w.form->ClearSpeedButtonClick();
        const int start = w.mark();
        w.form->SetUnitTypeItem->trigger();

        const QStringList read = {QStringLiteral("~~~"), QStringLiteral("A3300051"),
                                  QStringLiteral("2101")};
        const QStringList program = {QStringLiteral("~~~"), QStringLiteral("11F7"),
                                     QStringLiteral("AAF700494E545F41422020")};
        QCOMPARE(w.linesSince(start, 15), read + program + read + program + read);
        // No failure: only the two questions.
        QCOMPARE(w.prompts.asked.size(), 2);
        QCOMPARE(w.prompts.asked[0].text, QStringLiteral("Program another unit ?"));
        QCOMPARE(w.prompts.asked[0].kind, QStringLiteral("ask"));
        QVERIFY(w.form->state().logDisplay);
        // The programming steps stay out of the log: only the reads' own
        // resets are there, not those before each store.
        w.form->flushLog();
        QCOMPARE(w.form->TransmitMemo->toPlainText().count(QLatin1String("Set Basic Mode")), 3);

        w.form->ReadUnitTypeItem->trigger();
        QCOMPARE(w.prompts.messages().last(), QStringLiteral("Unit Type is \"INT_AB  \""));
    }

    void templateIsCopiedIntoTheIniFile()
    {
        QTemporaryDir folder;
        const QString ini = folder.filePath(QStringLiteral("tarvin.ini"));
        const QByteArray sample = "; installation software settings\r\n"
                                  "[General]\r\n"
                                  "Version=3.2\r\n"
                                  "\r\n"
                                  "[Unit Templates]\r\n"
                                  "INT_OST = PCI,8,  blank  ; keep\r\n"
                                  "DIMMER=D1\r\n"
                                  "\r\n"
                                  "[Other]\r\n"
                                  "INT_OST=not this one\r\n";
        {
            QFile file(ini);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(sample);
        }
        qputenv("TARVIN_INI", QFile::encodeName(ini));
        QCOMPARE(InterfaceTools::iniPath(), ini);
        Workbench w;
        QVERIFY2(w.start(), qPrintable(w.sim.errorString()));
        auto setType = [&](const QString& text) {
            w.form->setDialogRunner([text](QDialog& dialog) {
                auto* form = qobject_cast<TUnitTypeForm*>(&dialog);
                if (!form)
                    return int(QDialog::Rejected);
                QTest::keyClicks(form->UnitTypeEdit, text);
                form->UpdateINICheckBox->setChecked(true);
                form->OKBitBtn->click();
                return dialog.result();
            });
            w.form->SetUnitTypeItem->trigger();
        };
        setType(QStringLiteral("AB"));

        // One key added to the templates; every other byte as it was.
        QByteArray expected = sample;
        expected.insert(expected.indexOf("DIMMER=D1\r\n") + 11, "INT_AB=PCI,8,  blank  ; keep\r\n");
        {
            QFile file(ini);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), expected);
        }
        // Without a template the file is left alone.
        const QByteArray bare = "[Unit Templates]\nDIMMER=D1\n";
        {
            QFile file(ini);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(bare);
        }
        setType(QStringLiteral("CD"));
        qunsetenv("TARVIN_INI");
        QFile file(ini);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), bare);
    }

    void unitTypeStoreThatFails()
    {
        if (!SimulatorHas(QStringLiteral("--store-fail")))
            QSKIP("this tarvin-sim does not store unit types");
        Workbench w;
        QVERIFY2(w.start({QStringLiteral("--store-fail")}), qPrintable(w.sim.errorString()));
        w.form->setDialogRunner([&](QDialog& dialog) {
            auto* form = qobject_cast<TUnitTypeForm*>(&dialog);
            if (!form)
                return int(QDialog::Rejected);
            QTest::keyClicks(form->UnitTypeEdit, QStringLiteral("AB"));
            form->OKBitBtn->click();
            return dialog.result();
        });
        w.form->SetUnitTypeItem->trigger();
        QCOMPARE(w.prompts.messages(), QStringList{QStringLiteral("Set Unit Type failed")});
        QCOMPARE(w.prompts.asked[0].icon, Prompter::Icon::Warning);
        QVERIFY(w.form->state().logDisplay);
    }

    void unitTypeOfAnotherKindIsRefused()
    {
        Workbench w;
        QVERIFY2(w.start({}, false), qPrintable(w.sim.errorString()));
        bool shown = false;
        w.form->setDialogRunner([&](QDialog& dialog) {
            shown = true;
            dialog.reject();
            return dialog.result();
        });
        w.form->SetUnitTypeItem->trigger();
        QVERIFY(!shown);
        QCOMPARE(w.prompts.messages(),
                 QStringList{QStringLiteral("Can not set Unit Type on this unit")});
    }
};

QTEST_MAIN(TestInterfaceTools)
#include "tst_interface_tools.moc"
