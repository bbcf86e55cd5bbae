// The traffic analyser: counting lines, ticks, time slots and grid texts.
#include <QtTest>

#include "core/diagnostics/traffic_analyser.h"

using namespace tarvin;

class TestDiagAnalyser : public QObject
{
    Q_OBJECT

private slots:
    void countLine_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("messages");
        QTest::addColumn<int>("errors");
        QTest::addColumn<int>("source");      // source count of unit 0x12
        QTest::addColumn<int>("application"); // count of application 0x38
        QTest::addColumn<int>("mmi");         // MMI count of application 0x38
        QTest::addColumn<int>("cal");
        QTest::newRow("SAL ending 35") << QByteArray("0512380035") << 1 << 0 << 1 << 1 << 0 << 0;
        QTest::newRow("SAL ending 34") << QByteArray("0512380034") << 1 << 1 << 1 << 1 << 0 << 0;
        QTest::newRow("SAL lower case") << QByteArray("0512380a34") << 1 << 1 << 1 << 1 << 0 << 0;
        QTest::newRow("SAL 4 bytes") << QByteArray("05123835") << 1 << 1 << 0 << 0 << 0 << 0;
        QTest::newRow("SAL 1 byte") << QByteArray("0D") << 1 << 1 << 0 << 0 << 0 << 0;
        QTest::newRow("MMI") << QByteArray("0512389000FF") << 1 << 0 << 0 << 0 << 1 << 0;
        QTest::newRow("MMI 4 bytes") << QByteArray("05123890") << 1 << 1 << 0 << 0 << 0 << 0;
        QTest::newRow("CAL ending 9A") << QByteArray("861200A1009A") << 1 << 0 << 1 << 0 << 0 << 1;
        QTest::newRow("CAL bad end") << QByteArray("861200A10099") << 1 << 1 << 1 << 0 << 0 << 1;
        QTest::newRow("CAL 2 bytes") << QByteArray("8612") << 1 << 0 << 1 << 0 << 0 << 1;
        QTest::newRow("CAL 1 byte") << QByteArray("86") << 1 << 0 << 0 << 0 << 0 << 1;
        QTest::newRow("other type") << QByteArray("0012380034") << 1 << 0 << 0 << 0 << 0 << 0;
        QTest::newRow("marker cut off")
            << QByteArray("0512380035<CR>") << 1 << 0 << 1 << 1 << 0 << 0;
        QTest::newRow("odd length") << QByteArray("051238003") << 0 << 0 << 0 << 0 << 0 << 0;
        QTest::newRow("not hex") << QByteArray("05123800G5") << 0 << 0 << 0 << 0 << 0 << 0;
        QTest::newRow("blank inside") << QByteArray("0512 80035 ") << 0 << 0 << 0 << 0 << 0 << 0;
        QTest::newRow("empty") << QByteArray("") << 0 << 0 << 0 << 0 << 0 << 0;
    }
    void countLine()
    {
        QFETCH(QByteArray, line);
        QFETCH(int, messages);
        QFETCH(int, errors);
        QFETCH(int, source);
        QFETCH(int, application);
        QFETCH(int, mmi);
        QFETCH(int, cal);
        TrafficStatistics s;
        CountAnalyserMessage(s, line.toStdString());
        QCOMPARE(s.messagesThisTick, messages);
        QCOMPARE(s.errorsThisTick, errors);
        QCOMPARE(s.sourceCounts[0x12], source);
        QCOMPARE(s.applicationCounts[0x38], application);
        QCOMPARE(s.mmiCounts[0x38], mmi);
        QCOMPARE(s.mmiSources[0x38], mmi ? 0x12 : 0);
        QCOMPARE(s.calCount, cal);
    }

    void lastByteIsByte200()
    {
        // Bytes after the 200th do not count: the last byte is byte 200.
        std::string line = "0512380A";
        while (line.size() < 398)
            line += "00";
        TrafficStatistics s;
        CountAnalyserMessage(s, line + "35" + "FF");
        QCOMPARE(s.errorsThisTick, 0);
        CountAnalyserMessage(s, line + "34" + "35");
        QCOMPARE(s.errorsThisTick, 1);
    }

    void counterAtItsLimitDropsTheRest()
    {
        TrafficStatistics s;
        s.sourceCounts[0x12] = std::numeric_limits<std::int32_t>::max();
        CountAnalyserMessage(s, "0512380035");
        QCOMPARE(s.messagesThisTick, 1);
        QCOMPARE(s.applicationCounts[0x38], 0);
        s.messagesThisTick = std::numeric_limits<std::int32_t>::max();
        CountAnalyserMessage(s, "0512390035");
        QCOMPARE(s.applicationCounts[0x39], 0);
    }

    void arbitraryLinesStayInBounds()
    {
        // Any mix of hex digits and lengths: counted or not, never out of bounds.
        std::uint32_t seed = 12345;
        auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
        const char digits[] = "0123456789ABCDEFab";
        TrafficStatistics s;
        int valid = 0;
        for (int i = 0; i < 2000; ++i) {
            std::string line(next() % 460, '0');
            for (char& ch : line)
                ch = digits[(next() >> 8) % 18];
            valid += (!line.empty() && line.size() % 2 == 0) ? 1 : 0;
            CountAnalyserMessage(s, line);
        }
        QCOMPARE(s.messagesThisTick, valid);
    }

    void formatting()
    {
        QCOMPARE(FormatRate(1.0 / 3), std::string("0.3"));
        QCOMPARE(FormatRate(0), std::string("0.0"));
        QCOMPARE(FormatRate(12345.67), std::string("12345.7"));
        QCOMPARE(ElapsedTimeText(0), std::string("0:00:00"));
        QCOMPARE(ElapsedTimeText(3725.9), std::string("1:02:05"));
        QCOMPARE(ElapsedTimeText(90000), std::string("25:00:00"));
        QCOMPARE(ElapsedTimeText(-5), std::string("0:00:00"));
    }

    void axisMaximum_data()
    {
        QTest::addColumn<int>("peak");
        QTest::addColumn<int>("maximum");
        QTest::newRow("idle") << 0 << 10;
        QTest::newRow("9") << 9 << 10;
        QTest::newRow("10") << 10 << 20;
        QTest::newRow("19") << 19 << 20;
        QTest::newRow("20") << 20 << 30;
    }
    void axisMaximum()
    {
        QFETCH(int, peak);
        QFETCH(int, maximum);
        std::array<std::int32_t, kHistoryLength> peaks{};
        peaks[17] = peak;
        peaks[59] = peak / 2;
        QCOMPARE(AxisMaximum(peaks), maximum);
    }

    void ticksAndSlots()
    {
        TrafficStatistics s;
        TrafficAnalyser analyser(s);
        const UnitTypeTable types;
        analyser.Open(1000, types, false);
        // Reset and the second tick of Open: no slot closed yet.
        QCOMPARE(analyser.slotLength(), 3);
        QCOMPARE(analyser.slotTicks(), 2);
        QCOMPARE(analyser.axisMaximum(), 10);

        const int perTick[] = {4, 0, 7, 2, 9, 1};
        const int errorsPerTick[] = {1, 0, 0, 2, 0, 0};
        std::vector<bool> moved;
        for (int t = 0; t < 6; ++t) {
            for (int m = 0; m < perTick[t]; ++m)
                CountAnalyserMessage(s, m < errorsPerTick[t] ? "0512380034" : "0512380035");
            moved.push_back(analyser.Refresh(1001 + t, types, false));
        }
        // The first slot closes on the third tick of it: the opening ticks plus one.
        QCOMPARE(moved, (std::vector<bool>{true, false, false, true, false, false}));
        QCOMPARE(s.messageTotal, 23);
        QCOMPARE(s.errorTotal, 3);
        QCOMPARE(s.messagePeak, 9);
        QCOMPARE(s.errorPeak, 2);
        // Slot 1: 0, 0, 4 over three ticks. Slot 2: 0, 7, 2.
        QCOMPARE(s.messageRateHistory[58], 4.0 / 3);
        QCOMPARE(s.messagePeakHistory[58], 4);
        QCOMPARE(s.messageRateHistory[59], 3.0);
        QCOMPARE(s.messagePeakHistory[59], 7);
        QCOMPARE(s.errorRateHistory[59], 2.0 / 3);
        QCOMPARE(s.errorPeakHistory[59], 2);
        QCOMPARE(s.messagePeakHistory[57], 0);
        // The running slot holds 9 and 1.
        QCOMPARE(s.messagesThisSlot, 10);
        QCOMPARE(s.messageSlotPeak, 9);
        QCOMPARE(analyser.slotTicks(), 2);
        QCOMPARE(analyser.messageSeries(true)[59], 7.0);
        QCOMPARE(analyser.messageSeries(false)[59], 3.0);
        QCOMPARE(analyser.errorSeries(false)[58], 1.0 / 3);
        QCOMPARE(analyser.axisMaximum(), 10);

        // Six seconds elapsed: 23 / 6 per second.
        QCOMPARE(analyser.summaryGrid()[2],
                 (std::vector<std::string>{"Messages", "23", "3.8 per second", "9 per second"}));
        QCOMPARE(analyser.summaryGrid()[1],
                 (std::vector<std::string>{"Errors", "3", "0.5 per second", "2 per second"}));
        QCOMPARE(analyser.elapsedTimeLabel(), std::string("Elapsed Time = 0:00:06"));
    }

    void historyKeepsSixtySlots()
    {
        TrafficStatistics s;
        TrafficAnalyser analyser(s);
        analyser.setSlotLength(1);
        const UnitTypeTable types;
        for (int t = 1; t <= 70; ++t) {
            for (int m = 0; m < t; ++m)
                CountAnalyserMessage(s, "0512380035");
            QVERIFY(analyser.Refresh(t, types, false));
        }
        QCOMPARE(s.messagePeakHistory[0], 11);
        QCOMPARE(s.messagePeakHistory[59], 70);
        QCOMPARE(s.messageRateHistory[59], 70.0);
        QCOMPARE(analyser.axisMaximum(), 80);
    }

    void shorterSlotClosesAtOnce()
    {
        TrafficStatistics s;
        TrafficAnalyser analyser(s);
        analyser.setSlotLength(10);
        const UnitTypeTable types;
        for (int t = 1; t <= 5; ++t)
            QVERIFY(!analyser.Refresh(t, types, false));
        analyser.setSlotLength(2);
        QVERIFY(analyser.Refresh(6, types, false));
        QCOMPARE(analyser.slotTicks(), 0);
    }

    void zeroElapsedTakenAsOneSecond()
    {
        TrafficStatistics s;
        TrafficAnalyser analyser(s);
        const UnitTypeTable types;
        for (int m = 0; m < 3; ++m)
            CountAnalyserMessage(s, "0512380035");
        analyser.Reset(50, types, false); // Reset zeroes before its tick
        for (int m = 0; m < 3; ++m)
            CountAnalyserMessage(s, "0512380035");
        analyser.Refresh(50, types, false);
        QCOMPARE(analyser.summaryGrid()[2][2], std::string("3.0 per second"));
        QCOMPARE(analyser.typeGrid()[1][2], std::string("180.0 per minute"));
    }

    void gridRows()
    {
        TrafficStatistics s;
        TrafficAnalyser analyser(s);
        UnitTypeTable types;
        types[0x12] = "RELAY";
        analyser.Open(0, types, true);
        CountAnalyserMessage(s, "0512380035");
        CountAnalyserMessage(s, "0512380035");
        CountAnalyserMessage(s, "053001420035");
        CountAnalyserMessage(s, "861200A1009A");
        CountAnalyserMessage(s, "0520389000FF");
        analyser.Refresh(60, types, true);

        const GridTable& t = analyser.typeGrid();
        QCOMPARE(t.size(), std::size_t(4));
        QCOMPARE(t[0],
                 (std::vector<std::string>{"Message Type", "Message Count", "Average Rate", ""}));
        QCOMPARE(t[1], (std::vector<std::string>{"CAL", "1", "1.0 per minute", ""}));
        QCOMPARE(t[2], (std::vector<std::string>{"App 01", "1", "1.0 per minute", ""}));
        QCOMPARE(t[3], (std::vector<std::string>{"Lighting (38)", "2", "2.0 per minute", ""}));

        const GridTable& src = analyser.sourceGrid();
        QCOMPARE(src.size(), std::size_t(3));
        QCOMPARE(src[1], (std::vector<std::string>{"12", "RELAY", "3", "3.0 per minute"}));
        QCOMPARE(src[2], (std::vector<std::string>{"30", "", "1", "1.0 per minute"}));

        const GridTable& mmi = analyser.mmiGrid();
        QCOMPARE(mmi.size(), std::size_t(2));
        QCOMPARE(mmi[1], (std::vector<std::string>{"Lighting (38)", "1", "60.0 seconds", "20"}));

        // Decimal numbers follow the switch.
        analyser.Refresh(60, types, false);
        QCOMPARE(analyser.sourceGrid()[2][0], std::string("48"));
        QCOMPARE(analyser.typeGrid()[2][0], std::string("App 1"));
    }

    void resetCutsGridsBack()
    {
        TrafficStatistics s;
        TrafficAnalyser analyser(s);
        const UnitTypeTable types;
        analyser.Open(0, types, false);
        for (const char* line : {"0512380035", "0513390035", "05143A0035", "0515389000FF"})
            CountAnalyserMessage(s, line);
        analyser.Refresh(1, types, false);
        analyser.Refresh(2, types, false);
        analyser.Refresh(3, types, false);
        QCOMPARE(analyser.typeGrid().size(), std::size_t(4));
        QVERIFY(s.messagePeakHistory[59] > 0);

        analyser.Reset(10, types, false);
        QCOMPARE(s.startTime, 10.0);
        QCOMPARE(s.messageTotal, 0);
        QCOMPARE(s.sourceCounts[0x13], 0);
        QCOMPARE(s.messagePeakHistory[59], 0);
        QCOMPARE(analyser.slotTicks(), 1); // Reset's own tick
        for (const GridTable* grid :
             {&analyser.typeGrid(), &analyser.mmiGrid(), &analyser.sourceGrid()}) {
            QCOMPARE(grid->size(), std::size_t(2));
            QCOMPARE((*grid)[1], std::vector<std::string>(4));
        }
        QCOMPARE(analyser.typeGrid()[0][0], std::string("Message Type"));
        QCOMPARE(analyser.summaryGrid()[2][1], std::string("0"));
        QCOMPARE(analyser.elapsedTimeLabel(), std::string("Elapsed Time = 0:00:00"));
    }
};

QTEST_APPLESS_MAIN(TestDiagAnalyser)
#include "tst_diag_analyser.moc"
