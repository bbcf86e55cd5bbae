// The traffic analyser window on the session (offscreen): lines from
// the receive path counted into the grids, the chart's histories and axis,
// the report page and picture, and a report that cannot be written.
#include <QtTest>

#include "core/decode/applications.h"
#include "gui/app/main_form.h"
#include "gui/diagnostics/analyser_form.h"
#include "gui/diagnostics/diagnostics.h"
#include "gui/diagnostics/interface_tools.h"
#include "gui/widgets/area_chart.h"
#include "scripted_prompter.h"
#include "session/link_session.h"
#include "session/session.h"

#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

using namespace tarvin;

namespace {

// The session and the interface tools without a window, a clock the test
// moves, and received lines fed through the real receive path.
struct Bench
{
    ScriptedPrompter prompts;
    Session session;
    QWidget window;
    Diagnostics diagnostics{session, prompts, &window};
    InterfaceTools tools{session, diagnostics, prompts, &window,
                         [](QDialog& dialog) { return dialog.exec(); }};
    QDateTime clock = QDateTime(QDate(2024, 3, 1), QTime(10, 0, 0));
    UnitTypeTable unitTypes{};

    Bench()
    {
        session.setHexNumbers(false);
        tools.setClock([this] { return clock; });
    }
    void receive(const QByteArray& lines) { session.link().ProcessReceivedText(lines); }
    void tick(TAnalyserForm& analyser, int seconds = 1)
    {
        for (int i = 0; i < seconds; ++i) {
            clock = clock.addSecs(1);
            emit analyser.Timer1->timeout({});
        }
    }
};

QString Cell(const QTableWidget* grid, int row, int column)
{
    const QTableWidgetItem* item = grid->item(row, column);
    return item ? item->text() : QString();
}

QStringList Row(const QTableWidget* grid, int row)
{
    QStringList cells;
    for (int c = 0; c < grid->columnCount(); ++c)
        cells << Cell(grid, row, c);
    return cells;
}

QList<double> Heights(const AreaSeries* series)
{
    return series->values();
}

// A burst with every kind of line the counter tells apart.
const QByteArray kBurst = "050A380079030235\r\n"  // lighting from unit 0A, good
                          "050A380079030234\r\n"  // the same without its end mark: an error
                          "0505CA000102035\r\n"   // odd length: not counted at all
                          "0505CA0001020335\r\n"  // trigger control from unit 05
                          "0520FF900102\r\n"      // an MMI of the installation from unit 20
                          "05053800\r\n"          // four bytes: a message and an error only
                          "8605008901ABCD9A\r\n"  // CAL reply from unit 05
                          "860500890111229B\r\n"  // CAL reply with a bad end mark: an error
                          "0G0A380079030235\r\n"; // not hexadecimal: not counted

} // namespace

class TestAnalyserForm : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           m_dir.filePath(QStringLiteral("config")));
    }

    void countsLinesIntoTheGrids()
    {
        Bench b;
        b.unitTypes[5] = "DIMMER";
        b.unitTypes[0x0A] = "RELAY";
        b.tools.StartMonitoring();
        TAnalyserForm analyser(b.session, b.prompts, b.tools.statistics(), b.unitTypes,
                               [&b] { return b.clock; });
        QCOMPARE(analyser.windowTitle(), QStringLiteral("Traffic Analyser"));
        QVERIFY(analyser.Timer1->isActive());
        QCOMPARE(analyser.Timer1->interval(), 1000);
        QCOMPARE(analyser.UpdateComboBox->currentText(), QStringLiteral("3 seconds"));
        QVERIFY(analyser.PeakCheckBox->isChecked());
        // Nothing from before the window opened is left.
        QCOMPARE(analyser.TypeStringGrid->rowCount(), 1);
        QCOMPARE(Row(analyser.TypeStringGrid, 0), QStringList(4, QString()));

        QSignalSpy logged(&b.session, &Session::logged);
        b.receive(kBurst);
        QCOMPARE(b.tools.statistics().messagesThisTick, 7);
        QCOMPARE(b.tools.statistics().errorsThisTick, 3);
        // Counted, not described in the log.
        QCOMPARE(logged.count(), 0);
        b.tick(analyser);

        QCOMPARE(Row(analyser.SummaryStringGrid, 0),
                 (QStringList{QStringLiteral("Errors"), QStringLiteral("3"),
                              QStringLiteral("3.0 per second"), QStringLiteral("3 per second")}));
        QCOMPARE(Row(analyser.SummaryStringGrid, 1),
                 (QStringList{QStringLiteral("Messages"), QStringLiteral("7"),
                              QStringLiteral("7.0 per second"), QStringLiteral("7 per second")}));
        QCOMPARE(analyser.SummaryStringGrid->horizontalHeaderItem(3)->text(),
                 QStringLiteral("Peak Rate"));

        // CAL first, then the applications in ascending order.
        QCOMPARE(analyser.TypeStringGrid->rowCount(), 3);
        QCOMPARE(Row(analyser.TypeStringGrid, 0),
                 (QStringList{QStringLiteral("CAL"), QStringLiteral("2"),
                              QStringLiteral("120.0 per minute"), QString()}));
        QCOMPARE(Cell(analyser.TypeStringGrid, 1, 0),
                 QString::fromLatin1(ApplicationLabel(0x38, false).c_str()));
        QCOMPARE(Cell(analyser.TypeStringGrid, 1, 1), QStringLiteral("2"));
        QCOMPARE(Cell(analyser.TypeStringGrid, 2, 0),
                 QString::fromLatin1(ApplicationLabel(0xCA, false).c_str()));

        QCOMPARE(analyser.MessageSourceStringGrid->rowCount(), 2);
        QCOMPARE(Row(analyser.MessageSourceStringGrid, 0),
                 (QStringList{QStringLiteral("5"), QStringLiteral("DIMMER"), QStringLiteral("3"),
                              QStringLiteral("180.0 per minute")}));
        QCOMPARE(Row(analyser.MessageSourceStringGrid, 1),
                 (QStringList{QStringLiteral("10"), QStringLiteral("RELAY"), QStringLiteral("2"),
                              QStringLiteral("120.0 per minute")}));

        QCOMPARE(analyser.MMIStringGrid->rowCount(), 1);
        QCOMPARE(Cell(analyser.MMIStringGrid, 0, 1), QStringLiteral("1"));
        QCOMPARE(Cell(analyser.MMIStringGrid, 0, 2), QStringLiteral("1.0 seconds"));
        QCOMPARE(Cell(analyser.MMIStringGrid, 0, 3), QStringLiteral("32"));

        QVERIFY(analyser.TimeLabel->text().startsWith(QLatin1String("Start Time = ")));
        QCOMPARE(analyser.ElapsedTimeLabel->text(), QStringLiteral("Elapsed Time = 0:00:01"));

        // Hexadecimal numbers follow the option.
        b.session.setHexNumbers(true);
        b.tick(analyser);
        QCOMPARE(Cell(analyser.MessageSourceStringGrid, 1, 0), QStringLiteral("0A"));
        QCOMPARE(Cell(analyser.MMIStringGrid, 0, 3), QStringLiteral("20"));

        // Reset empties the per-item grids and restarts the clock.
        analyser.ResetButton->click();
        QCOMPARE(analyser.TypeStringGrid->rowCount(), 1);
        QCOMPARE(Row(analyser.TypeStringGrid, 0), QStringList(4, QString()));
        QCOMPARE(analyser.MessageSourceStringGrid->rowCount(), 1);
        QCOMPARE(Cell(analyser.SummaryStringGrid, 1, 1), QStringLiteral("0"));
        QCOMPARE(analyser.ElapsedTimeLabel->text(), QStringLiteral("Elapsed Time = 0:00:00"));
    }

    void chartHoldsTheHistories()
    {
        Bench b;
        b.tools.StartMonitoring();
        TAnalyserForm analyser(b.session, b.prompts, b.tools.statistics(), b.unitTypes,
                               [&b] { return b.clock; });
        AreaChart* chart = analyser.Chart1;
        QCOMPARE(chart->parentWidget(), analyser.Panel2);
        QCOMPARE(chart->seriesCount(), 2);
        QCOMPARE(chart->series(0), analyser.Series1);
        QCOMPARE(chart->series(1), analyser.Series2);
        QCOMPARE(analyser.Series1->name(), QStringLiteral("Messages / sec"));
        QCOMPARE(analyser.Series2->name(), QStringLiteral("Errors / sec"));
        QCOMPARE(analyser.Series1->color(), QColor(Qt::blue));
        QCOMPARE(analyser.Series2->color(), QColor(Qt::red));
        QCOMPARE(chart->pointCount(), 60);
        QCOMPARE(chart->axisTickCount(), 3);
        // An idle bus: 60 zeros and an axis to 10.
        QCOMPARE(Heights(analyser.Series1), QList<double>(60, 0.0));
        QCOMPARE(Heights(analyser.Series2), QList<double>(60, 0.0));
        QCOMPARE(chart->axisMaximum(), 10.0);
        QCOMPARE(chart->axisMinimum(), 0.0);

        // Slots of 3 ticks; the window's two ticks on opening count towards
        // the first. 10 messages with 2 errors close it.
        QCOMPARE(analyser.analyser().slotTicks(), 2);
        QByteArray ten;
        for (int i = 0; i < 8; ++i)
            ten += "050A380079030235\r\n";
        ten += "050A380079030234\r\n050A380079030234\r\n";
        b.receive(ten);
        b.tick(analyser);
        QList<double> peaks(60, 0.0);
        peaks.last() = 10;
        QCOMPARE(Heights(analyser.Series1), peaks);
        QCOMPARE(Heights(analyser.Series2).last(), 2.0);
        // A peak of exactly 10 needs the axis to 20.
        QCOMPARE(analyser.Chart1->axisMaximum(), 20.0);
        {
            // The panel's picture (the report's) shows it at the last point:
            // red errors at the bottom, blue messages above, white above 10.
            const QImage picture = analyser.Panel2->grab().toImage();
            const qreal ratio = picture.devicePixelRatio();
            const QRectF plot = analyser.Chart1->plotArea().translated(analyser.Chart1->pos());
            auto colourAt = [&](double value) {
                const double y = plot.bottom() - value / 20 * plot.height();
                return picture.pixelColor(QPoint(int((plot.right() - 1) * ratio), int(y * ratio)));
            };
            QCOMPARE(colourAt(0.5), QColor(Qt::red));
            QCOMPARE(colourAt(5), QColor(Qt::blue));
            QCOMPARE(colourAt(15), QColor(Qt::white));
        }

        // The next slot: 4 messages in its first tick, none in the others.
        b.receive(
            "050A380079030235\r\n050A380079030235\r\n050A380079030235\r\n050A380079030235\r\n");
        b.tick(analyser, 2);
        QCOMPARE(Heights(analyser.Series1).at(59), 10.0); // still open
        b.tick(analyser);
        QCOMPARE(Heights(analyser.Series1).at(58), 10.0);
        QCOMPARE(Heights(analyser.Series1).at(59), 4.0);

        // Without "Peak": the slots' average rates.
        analyser.PeakCheckBox->click();
        QCOMPARE(Heights(analyser.Series1).at(58), 10.0 / 3);
        QCOMPARE(Heights(analyser.Series1).at(59), 4.0 / 3);
        QCOMPARE(Heights(analyser.Series2).at(58), 2.0 / 3);
        QCOMPARE(analyser.Chart1->axisMaximum(), 20.0);

        // A shorter slot closes after 2 ticks.
        analyser.UpdateComboBox->setCurrentIndex(0);
        b.tick(analyser, 2);
        QCOMPARE(Heights(analyser.Series1).at(57), 10.0 / 3);
        QCOMPARE(Heights(analyser.Series1).at(59), 0.0);
    }

    void reportIsWrittenAndOpened()
    {
        QTemporaryDir data;
        QVERIFY(data.isValid());
        qputenv("TARVIN_DATA_DIR", data.path().toLocal8Bit());
        Bench b;
        b.tools.StartMonitoring();
        TAnalyserForm analyser(b.session, b.prompts, b.tools.statistics(), b.unitTypes,
                               [&b] { return b.clock; });
        analyser.show();
        b.receive(kBurst);
        b.tick(analyser);
        // A cell holding markup characters.
        b.unitTypes[0x0A] = "A<B";
        b.tick(analyser);

        analyser.ReportButton->click();
        qunsetenv("TARVIN_DATA_DIR");

        QFile page(data.filePath(QStringLiteral("report.htm")));
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QByteArray html = page.readAll();
        QVERIFY(html.startsWith(
            "<html>\r\n<head><title>Tarvin Traffic Report</title></head>\r\n<body>\r\n"));
        QVERIFY(html.endsWith("</body>\r\n</html>\r\n"));
        // Every line ends in CR LF.
        QCOMPARE(html.count('\n'), html.count("\r\n"));
        QCOMPARE(html.count("<table border=1 cellspacing=0 cellpadding=0>"), 4);
        QCOMPARE(html.count("</table>"), 4);
        QCOMPARE(html.count("<tr>"), html.count("</tr>"));
        // 3 + 4 + 2 + 3 rows of 4 cells.
        QCOMPARE(html.count("<td width=150>"), 48);
        QVERIFY(html.contains("<p>" + analyser.TimeLabel->text().toLatin1() + "</p>\r\n"));
        QVERIFY(html.contains("<p>Elapsed Time = 0:00:02</p>\r\n"));
        QVERIFY(html.contains("<td width=150><p>&nbsp; A&lt;B</p></td>\r\n"));
        QVERIFY(html.contains("<H2>Message Source</H2>\r\n"));
        QVERIFY(html.contains("<p><img src=\"report.bmp\"></p>\r\n"));

        // The picture of the chart panel, as a bitmap file.
        QFile picture(data.filePath(QStringLiteral("report.bmp")));
        QVERIFY(picture.open(QIODevice::ReadOnly));
        QCOMPARE(picture.read(2), QByteArray("BM"));
        const QImage image(data.filePath(QStringLiteral("report.bmp")), "BMP");
        QCOMPARE(image.size(), analyser.Panel2->size() * analyser.Panel2->devicePixelRatioF());

        // The user is told where it went and the desktop is asked to open it.
        QCOMPARE(b.prompts.asked.size(), 2);
        QCOMPARE(b.prompts.asked[0].icon, Prompter::Icon::Information);
        QVERIFY(b.prompts.asked[0].text.endsWith(
            QDir::toNativeSeparators(data.filePath(QStringLiteral("report.htm")))));
        QCOMPARE(b.prompts.asked[1].kind, QStringLiteral("url"));
        QCOMPARE(QUrl(b.prompts.asked[1].text).toLocalFile(),
                 data.filePath(QStringLiteral("report.htm")));
    }

    void unwritableReportKeepsTheAnalyserRunning()
    {
        // A folder below a plain file can never be created, whoever we are.
        QTemporaryDir data;
        QFile blocker(data.filePath(QStringLiteral("file")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        qputenv("TARVIN_DATA_DIR", data.filePath(QStringLiteral("file/reports")).toLocal8Bit());
        Bench b;
        b.tools.StartMonitoring();
        TAnalyserForm analyser(b.session, b.prompts, b.tools.statistics(), b.unitTypes,
                               [&b] { return b.clock; });
        analyser.show();
        QVERIFY(!analyser.ReportButtonClick());
        qunsetenv("TARVIN_DATA_DIR");

        QCOMPARE(b.prompts.asked.size(), 1);
        QCOMPARE(b.prompts.asked[0].icon, Prompter::Icon::Error);
        QVERIFY(b.prompts.asked[0].text.startsWith(QLatin1String("Cannot write ")));
        QVERIFY(b.prompts.asked[0].text.contains(QLatin1String("report.htm")));
        QVERIFY(analyser.isVisible());
        QVERIFY(analyser.Timer1->isActive());
        b.receive(kBurst);
        b.tick(analyser);
        QCOMPARE(Cell(analyser.SummaryStringGrid, 1, 1), QStringLiteral("7"));
    }

    // The menu item in the window: the unit types first, the log cleared
    // around the analyser, monitoring for as long as it is open.
    void analyserItemRunsItsSequence()
    {
        struct
        {
            ScriptedPrompter prompts;
            TMainForm form{{}, &prompts};
            InterfaceTools& tools = form.interfaceTools();
            QDateTime clock = QDateTime(QDate(2024, 3, 1), QTime(10, 0, 0));
            void receive(const QByteArray& lines) { form.link().ProcessReceivedText(lines); }
            void tick(TAnalyserForm& analyser)
            {
                clock = clock.addSecs(1);
                emit analyser.Timer1->timeout({});
            }
        } b;
        b.form.HexadecimalNumbersItem->setChecked(false);
        b.tools.setClock([&b] { return b.clock; });
        int unitTypeRuns = 0;
        b.tools.setUnitTypeSource([&] {
            ++unitTypeRuns;
            UnitTypeTable table{};
            table[5] = "DIMMER";
            return table;
        });
        b.form.session().Log(2, QStringLiteral("old line"));
        b.tools.statistics().calCount = 99;
        TAnalyserForm* shown = nullptr;
        bool monitoring = false;
        bool logEmpty = false;
        QString sourceCell;
        b.form.setDialogRunner([&](QDialog& dialog) {
            shown = qobject_cast<TAnalyserForm*>(&dialog);
            if (!shown)
                return int(QDialog::Rejected);
            monitoring = b.form.state().allMonitor;
            b.form.flushLog();
            logEmpty = b.form.TransmitMemo->toPlainText().isEmpty();
            dialog.show();
            b.receive("0505CA0001020335\r\n");
            b.tick(*shown);
            sourceCell = Cell(shown->MessageSourceStringGrid, 0, 1);
            // A second click while the window is open does not nest.
            b.form.AnalyserItem->trigger();
            shown->Button2->click();
            return dialog.result();
        });
        b.form.state().connected = true;
        b.form.EnableItems();
        b.form.AnalyserItem->trigger();
        QVERIFY(shown);
        QCOMPARE(unitTypeRuns, 1);
        QVERIFY(monitoring);
        QVERIFY(logEmpty);
        QCOMPARE(sourceCell, QStringLiteral("DIMMER"));
        // Closing sets the default mode again, which ends monitoring.
        QVERIFY(!b.form.state().allMonitor);
        QCOMPARE(b.form.state().interfaceOptions, 0x51);
        // The statistics keep their values until the next window.
        QCOMPARE(b.tools.statistics().messageTotal, 1);
        QCOMPARE(b.tools.statistics().calCount, 0);
    }
};

QTEST_MAIN(TestAnalyserForm)
#include "tst_analyser_form.moc"
