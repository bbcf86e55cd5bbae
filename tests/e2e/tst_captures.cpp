// Recording a capture from the workbench against the simulator: every line
// on the wire in it, in order, through a link drop and a reconnection, with
// markers for both; then the capture opened again, and the live session view.
#include <QtTest>

#include "core/files/capture_format.h"
#include "gui/app/main_form.h"
#include "gui/capture/capture_model.h"
#include "gui/capture/capture_recording.h"
#include "gui/capture/capture_window.h"
#include "session/session.h"
#include "workbench_bench.h"

#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QToolButton>

using namespace tarvin;
using namespace tarvin::test;

class TestCaptures : public QObject
{
    Q_OBJECT

private slots:
    void recordsThroughADropAndOpensAgain()
    {
        WorkbenchBench bench;
        QVERIFY2(bench.start(), qPrintable(bench.sim.errorString()));
        TMainForm& form = *bench.form;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("night"));
        bench.prompts.fileNames.enqueue(path);
        bench.markWire();
        form.RecordCaptureButton->click();
        QVERIFY(form.recording().active());
        QVERIFY(form.RecordCaptureItem->isChecked());
        QCOMPARE(form.RecordingStatusLabel->text(), QStringLiteral("Recording to night.csv"));

        form.GetPCIDataItem->trigger();
        QVERIFY(bench.sim.control(QStringLiteral("monitor 05013800790535")));
        // The loss is stamped when the link went, however long its message
        // is read: a clock that stands still tells the two apart.
        const QDateTime lossTime(QDate(2026, 1, 2), QTime(3, 4, 5));
        form.session().setClock([lossTime] { return lossTime; });
        QVERIFY(bench.sim.control(QStringLiteral("drop")));
        QTRY_VERIFY_WITH_TIMEOUT(!form.state().connected, 5000);
        form.session().setClock([] { return QDateTime::currentDateTime(); });
        form.ConnecttoPCIItem->trigger();
        QVERIFY(form.state().connected);
        form.RecordCaptureItem->trigger();
        QVERIFY(!form.recording().active());
        QVERIFY(!form.RecordCaptureButton->isChecked());
        QVERIFY(!form.RecordingStatusLabel->isVisible());
        const QStringList wire = bench.sentSinceMark();

        QFile file(path + QStringLiteral(".csv"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        const CaptureForm form0 = DetectCaptureForm(lines.first().toStdString());
        QCOMPARE(form0, CaptureForm::Csv);
        QStringList sent, markers, received;
        QString lossStamp;
        bool monitorLine = false;
        for (const QByteArray& line : lines) {
            const CaptureRecord r = ParseCaptureLine(form0, line.toStdString());
            QVERIFY2(r.kind != CaptureRecord::Unreadable, line.constData());
            if (r.kind == CaptureRecord::Marker)
                markers << QString::fromStdString(r.text);
            if (r.kind == CaptureRecord::Marker && r.text.rfind("Link lost", 0) == 0)
                lossStamp = QString::fromStdString(r.stamp);
            if (r.kind == CaptureRecord::Line && r.direction == 'R')
                received << QString::fromStdString(r.raw);
            if (r.kind == CaptureRecord::Line && r.direction == 'T')
                sent << QString::fromStdString(r.raw);
            if (r.kind == CaptureRecord::Line && r.raw == "05013800790535<CR>")
                monitorLine = r.description == "GA 5 On";
            if (r.kind == CaptureRecord::Line)
                QCOMPARE(int(r.stamp.size()), 23); // yyyy-MM-dd HH:mm:ss.zzz
        }
        // Every line the simulator received, in order, and nothing else.
        QCOMPARE(sent, wire);
        QVERIFY(monitorLine);
        QVERIFY(markers.first().startsWith(
            QLatin1String("Tarvin capture 1; program=tarvin-diagnostic")));
        QVERIFY(!markers.filter(QLatin1String("recording started; Connected: Socketbox 127.0.0.1"))
                     .isEmpty());
        QVERIFY(!markers.filter(QLatin1String("Link lost: Socketbox 127.0.0.1")).isEmpty());
        QCOMPARE(markers.filter(QLatin1String("Connected: Socketbox")).size(), 2);
        QCOMPARE(markers.last(), QStringLiteral("recording stopped"));
        QCOMPARE(lossStamp, QStringLiteral("2026-01-02 03:04:05.000"));
        // The reconnection's reset, echoed whole, is one line as on the wire.
        QVERIFY(received.contains(QStringLiteral("~~~")));
        for (qsizetype i = 1; i < received.size(); ++i)
            QVERIFY(received.at(i - 1) != QLatin1String("~") ||
                    received.at(i) != QLatin1String("~"));

        // Opened again, every line is there.
        CaptureWindow* opened = form.OpenCapture(path + QStringLiteral(".csv"));
        QVERIFY(opened);
        QTRY_VERIFY_WITH_TIMEOUT(!opened->loading(), 5000);
        QCOMPARE(opened->model().rowCount(), int(lines.size()) - 2); // the column row, the last LF
        QCOMPARE(opened->store().unreadable(), std::size_t(0));
        // Our own line echoed in basic mode is no error.
        int echoes = 0;
        for (int r = 0; r < opened->model().rowCount(); ++r) {
            const CaptureStore::Row row = opened->model().storeRow(r);
            if (row.direction == 'R' && row.raw == "A3300051<CR>") {
                ++echoes;
                QVERIFY(!row.error);
            }
        }
        QVERIFY(echoes > 0);

        // The session view holds the same traffic, and a second click brings it forward.
        CaptureWindow* session = form.ShowSessionCapture();
        QTRY_VERIFY_WITH_TIMEOUT(session->model().rowCount() > 0, 5000);
        QCOMPARE(form.ShowSessionCapture(), session);
    }

    // A file that cannot be written is said at once and nothing records.
    void unwritableFileIsRefused()
    {
        WorkbenchBench bench;
        QVERIFY2(bench.start(), qPrintable(bench.sim.errorString()));
        bench.prompts.fileNames.enqueue(QStringLiteral("/nonexistent/folder/capture.csv"));
        bench.form->RecordCaptureItem->trigger();
        QVERIFY(!bench.form->recording().active());
        QVERIFY(!bench.form->RecordCaptureItem->isChecked());
        QVERIFY(bench.prompts.messages().last().startsWith(QLatin1String("Cannot record to")));
    }

    // --record FILE: the recording runs from the window's first showing, so
    // the connection and every line after it are in the file, in order. A
    // file that cannot be written is said, and the workbench goes on.
    void recordOptionRecordsFromTheStart()
    {
        SimProcess sim;
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        StoreTcp(sim.tcpPort());
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("from-start.csv"));
        ScriptedPrompter prompts;
        TMainForm form({QStringLiteral("--record"), path}, &prompts);
        form.show();
        QVERIFY(form.recording().active());
        QCOMPARE(form.RecordingStatusLabel->text(), QStringLiteral("Recording to from-start.csv"));
        QVERIFY(!form.findChild<CaptureWindow*>()); // the file named is not opened
        form.ConnecttoPCIItem->trigger();
        if (!form.state().connected)
            form.ConnecttoPCIItem->trigger();
        QVERIFY(form.state().connected);
        QStringList monitored;
        for (int group = 1; group <= 40; ++group) {
            monitored
                << QStringLiteral("0501380079%1").arg(group, 2, 16, QLatin1Char('0')).toUpper();
            QVERIFY(sim.control(QStringLiteral("monitor ") + monitored.last()));
        }
        QFile file(path);
        const auto received = [&file] {
            QStringList lines;
            file.seek(0);
            for (const QByteArray& line : file.readAll().split('\n')) {
                const CaptureRecord r = ParseCaptureLine(CaptureForm::Csv, line.toStdString());
                if (r.kind == CaptureRecord::Line && r.direction == 'R' &&
                    r.raw.rfind("05013800", 0) == 0)
                    lines << QString::fromStdString(r.raw).remove(QStringLiteral("<CR>"));
            }
            return lines;
        };
        QVERIFY(file.open(QIODevice::ReadOnly));
        QTRY_COMPARE_WITH_TIMEOUT(received(), monitored, 10000);
        file.seek(0);
        QVERIFY(file.readAll().contains("Connected: Socketbox 127.0.0.1"));

        ScriptedPrompter refused;
        const QString unwritablePath = dir.filePath(QStringLiteral("no-such-folder/capture.csv"));
        TMainForm unwritable({QStringLiteral("--record"), unwritablePath}, &refused);
        unwritable.show();
        QVERIFY(!unwritable.recording().active());
        QVERIFY(!unwritable.RecordCaptureItem->isChecked());
        QCOMPARE(refused.messages().size(), 1);
        QVERIFY(refused.messages().first().startsWith(QStringLiteral("Cannot record to ") +
                                                      QDir::toNativeSeparators(unwritablePath)));
        QCOMPARE(refused.messages().first().count(QLatin1String("capture.csv")), 1);
        QVERIFY(unwritable.isVisible());
    }

    // Every request goes into the log as a Tx line with words, not only its
    // reply: the log shows the whole conversation.
    void everyLineOnTheWireIsInTheLog_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("typed");
        QTest::newRow("Get PCI Data") << QStringLiteral("GetPCIDataItem") << QString();
        QTest::newRow("Identify") << QStringLiteral("IdentifyItem") << QStringLiteral("5");
        QTest::newRow("Identify All Units") << QStringLiteral("IdentifyAllItem") << QString();
        QTest::newRow("Get Unit Voltages") << QStringLiteral("GetUnitVoltagesItem") << QString();
        QTest::newRow("Set Mode") << QStringLiteral("SetMode1") << QString();
        QTest::newRow("Set Mode of Other PCI")
            << QStringLiteral("SetModeofOtherPCIItem") << QStringLiteral("1");
        QTest::newRow("Read Unit Type") << QStringLiteral("ReadUnitTypeItem") << QString();
    }
    void everyLineOnTheWireIsInTheLog()
    {
        QFETCH(QString, item);
        QFETCH(QString, typed);
        WorkbenchBench bench;
        QVERIFY2(bench.start(), qPrintable(bench.sim.errorString()));
        TMainForm& form = *bench.form;
        form.EnableDebugItemClick(); // the debug-only commands too
        form.ClearSpeedButtonClick();
        if (!typed.isEmpty())
            bench.prompts.inputs.enqueue(typed);
        bench.prompts.answers.enqueue(QMessageBox::No); // "not a PCI: go on?"
        form.setDialogRunner([](QDialog& dialog) {
            // The mode dialogs are taken as they are; result windows closed.
            if (auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("OKBitBtn")))
                ok->click();
            return dialog.result();
        });
        bench.markWire();
        QAction* action = form.findChild<QAction*>(item);
        QVERIFY(action && action->isEnabled());
        action->trigger();
        const QStringList wire = bench.sentSinceMark();
        QVERIFY(!wire.isEmpty());
        form.flushLog();
        const QStringList tx = form.TransmitMemo->toPlainText().split(u'\n').filter(
            QRegularExpression(QStringLiteral("^Tx : ")));
        QCOMPARE(tx.size(), wire.size());
        for (const QString& line : tx)
            QVERIFY2(line.size() > 5 && !line.mid(5).trimmed().isEmpty(), qPrintable(line));
    }

    void captureNamedOnTheCommandLineOpens()
    {
        ScriptedPrompter prompts;
        const QString path =
            qEnvironmentVariable("TARVIN_TEST_DATA") + QStringLiteral("/decode/capture.csv");
        TMainForm form({path}, &prompts);
        form.show();
        auto* window = form.findChild<CaptureWindow*>();
        QVERIFY(window);
        QTRY_VERIFY_WITH_TIMEOUT(!window->loading(), 5000);
        QCOMPARE(window->model().rowCount(), 8); // the column row is no line
        QCOMPARE(window->windowTitle(), QStringLiteral("Capture - capture.csv"));
    }
};

QTEST_MAIN(TestCaptures)
#include "tst_captures.moc"
