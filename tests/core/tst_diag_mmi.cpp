// Collecting MMI status reports and laying out the results window.
#include <QtTest>

#include "core/diagnostics/mmi_layout.h"
#include "core/diagnostics/mmi_results.h"

using namespace tarvin;

namespace {

std::string Repeat(const std::string& pair, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += pair;
    return out;
}

const MMIText* FindText(const MMIResultsLayout& layout, int x, int y)
{
    for (const MMIText& text : layout.texts)
        if (text.x == x && text.y == y)
            return &text;
    return nullptr;
}

} // namespace

class TestDiagMMI : public QObject
{
    Q_OBJECT

private slots:
    void requestBodies()
    {
        QCOMPARE(InstallationMMIBody(), std::string("7AFF00"));
        QCOMPARE(ApplicationMMIBody(0x38), std::string("7A3800"));
        QCOMPARE(LevelMMIBody(0x38, 1), std::string("73073800"));
        QCOMPARE(LevelMMIBody(0x38, 8), std::string("730738E0"));
        QCOMPARE(LevelMMIBlockEnd(8), 255);
    }

    void levelCode()
    {
        const int bytes[16] = {0x55, 0x56, 0x59, 0x5A, 0x65, 0x66, 0x69, 0x6A,
                               0x95, 0x96, 0x99, 0x9A, 0xA5, 0xA6, 0xA9, 0xAA};
        int valid = 0;
        for (int b = 0; b < 256; ++b)
            if (LevelCodeValue(static_cast<std::uint8_t>(b)) >= 0)
                ++valid;
        QCOMPARE(valid, 16);
        for (int i = 0; i < 16; ++i)
            QCOMPARE(LevelCodeValue(static_cast<std::uint8_t>(bytes[i])), 15 - i);
    }

    void standardReport()
    {
        MMIResults results;
        results.setMode(kMMIInstallation);
        results.CollectMMIReply("D8FF00" + Repeat("55", 22) + "<CR>");
        for (int n = 0; n < 88; ++n)
            QCOMPARE(results.at(n), 1);
        QCOMPARE(results.at(88), 0);
        QCOMPARE(int(results.lastIndex()), 87);
    }

    void standardReportBitOrder()
    {
        MMIResults results;
        results.setMode(kMMIApplication);
        // 0xE4 = 11 10 01 00: lowest bits first.
        results.CollectMMIReply("C3384CE4");
        QCOMPARE(results.at(0x4C), 0);
        QCOMPARE(results.at(0x4D), 1);
        QCOMPARE(results.at(0x4E), 2);
        QCOMPARE(results.at(0x4F), 3);
        QCOMPARE(int(results.lastIndex()), 0x4F);
    }

    void extendedReport()
    {
        MMIResults results;
        results.setMode(kMMIApplication);
        results.CollectMMIReply("E500"
                                "38"
                                "20"
                                "5555"
                                "00");
        for (int n = 0x20; n <= 0x27; ++n)
            QCOMPARE(results.at(n), 1);
        QCOMPARE(results.at(0x28), 0);
        QCOMPARE(results.at(0x1F), 0);
        QCOMPARE(int(results.lastIndex()), 0x27);
    }

    void levelReport_data()
    {
        QTest::addColumn<QByteArray>("pair");
        QTest::addColumn<int>("entry");
        QTest::newRow("AA 55") << QByteArray("AA55") << 240;
        QTest::newRow("55 AA") << QByteArray("55AA") << 15;
        QTest::newRow("00 00 absent") << QByteArray("0000") << kLevelAbsent;
        QTest::newRow("00 55 invalid") << QByteArray("0055") << kLevelInvalid;
        QTest::newRow("55 12 invalid") << QByteArray("5512") << kLevelInvalid;
    }
    void levelReport()
    {
        QFETCH(QByteArray, pair);
        QFETCH(int, entry);
        MMIResults results;
        results.setMode(kMMILevel);
        // E7: extra byte, application, first group, two byte pairs.
        results.CollectMMIReply("E7"
                                "00"
                                "38"
                                "40" +
                                pair.toStdString() +
                                "A9AA"
                                "<CR>");
        QCOMPARE(results.at(0x40), entry);
        QCOMPARE(results.at(0x41), 1);
        QCOMPARE(int(results.lastIndex()), 0x41);
    }

    void modeFiltersReports()
    {
        MMIResults results;
        results.setMode(kMMILevel);
        results.CollectMMIReply("D8FF00" + Repeat("55", 22)); // not a level report
        QCOMPARE(results.at(0), 0);
        QCOMPARE(int(results.lastIndex()), 0);
        results.setMode(kMMINone);
        results.CollectMMIReply("E5003820"
                                "5555");
        QCOMPARE(results.at(0x20), 0);
        results.setMode(kMMIInstallation);
        results.CollectMMIReply("BF003820"
                                "5555"); // below C0
        QCOMPARE(results.at(0x20), 0);
    }

    void routedReply()
    {
        MMIResults results;
        results.setMode(kMMIInstallation);
        // B1 = 86, B4 = 2: the reply byte is B7.
        results.CollectMMIReply("86"
                                "0A"
                                "0B"
                                "02"
                                "11"
                                "22"
                                "C3"
                                "FF"
                                "10"
                                "55");
        QCOMPARE(results.at(0x10), 1);
        QCOMPARE(results.at(0x13), 1);
        QCOMPARE(int(results.lastIndex()), 0x13);
        // A route that points past the line is no report.
        results.CollectMMIReply("86"
                                "0A"
                                "0B"
                                "FF"
                                "C3FF1055");
        QCOMPARE(int(results.lastIndex()), 0x13);
    }

    void storageLimits()
    {
        MMIResults results;
        results.setMode(kMMIInstallation);
        // Starts at FC and would run 4 bytes = 16 addresses: only FC..FF fit.
        results.CollectMMIReply("C6FFFC"
                                "FF"
                                "FF"
                                "FF"
                                "FF");
        QCOMPARE(results.at(0xFC), 3);
        QCOMPARE(results.at(0xFF), 3);
        QCOMPARE(results.at(0), 0);
        QCOMPARE(int(results.lastIndex()), 0);

        // Exactly up to 255 is a complete report.
        results.CollectMMIReply("C3FFFC55");
        QCOMPARE(int(results.lastIndex()), 255);

        // Announced 22 data bytes, only 2 present.
        results.ClearMMIResults();
        results.CollectMMIReply("D8FF00"
                                "5555");
        QCOMPARE(results.at(7), 1);
        QCOMPARE(results.at(8), 0);
        QCOMPARE(int(results.lastIndex()), 0);

        // Level report cut inside a pair.
        results.setMode(kMMILevel);
        results.CollectMMIReply("E9"
                                "00"
                                "38"
                                "10"
                                "AA55"
                                "AA");
        QCOMPARE(results.at(0x10), 240);
        QCOMPARE(results.at(0x11), 0);
        QCOMPARE(int(results.lastIndex()), 0);

        // Level report running past group 255.
        results.CollectMMIReply("E7"
                                "00"
                                "38"
                                "FF"
                                "A9AA"
                                "A9AA");
        QCOMPARE(results.at(0xFF), 1);
        QCOMPARE(int(results.lastIndex()), 0);
    }

    void reportsWithoutEntriesLeaveLastIndex()
    {
        MMIResults results;
        results.setMode(kMMIInstallation);
        results.CollectMMIReply("C2FF00"
                                "0000");
        results.setMode(kMMILevel);
        results.CollectMMIReply("E2"
                                "00"
                                "38"
                                "00"
                                "AA55");
        QCOMPARE(int(results.lastIndex()), 0);
    }

    void lineLengthLimits()
    {
        MMIResults results;
        results.setMode(kMMIInstallation);
        results.CollectMMIReply("C3FF00");                           // 6 characters
        results.CollectMMIReply("C3FF0055" + std::string(193, '0')); // 201 characters
        QCOMPARE(results.at(0), 0);
        results.CollectMMIReply("C3FF0055");
        QCOMPARE(results.at(0), 1);
        results.ClearMMIResults();
        QCOMPARE(results.at(0), 0);
        QCOMPARE(int(results.lastIndex()), 0);
    }

    void malformedLinesNeverFault()
    {
        MMIResults results;
        const char* lines[] = {
            "",           "<CR>",         "86",       "86FFFFFF",
            "GGGGGGGGGG", "E1E1E1E1E1E1", "C0C0C0C0", "\x01\x02\x03\x04\x05\x06\x07\x08\x09"};
        for (int mode = kMMIInstallation; mode <= kMMILevel; ++mode) {
            results.setMode(mode);
            for (const char* line : lines)
                results.CollectMMIReply(line);
        }
        QCOMPARE(int(results.lastIndex()), 0);
    }

    void layoutInstallation()
    {
        std::array<std::int32_t, 256> table{};
        table[0] = 1;
        table[1] = 7; // not a state: keeps the colour before it
        table[17] = 3;
        const auto layout = LayoutMMIResults(kMMIInstallation, table, {}, true);
        QCOMPARE(layout.caption, std::string("Installation MMI Results"));
        const MMIText* legend = FindText(layout, 20, 70);
        QVERIFY(legend);
        QCOMPARE(legend->text, std::string("XX = Unit Address Conflict"));
        QCOMPARE(legend->colour, MMIColour::Red);
        const MMIText* first = FindText(layout, 15, 100);
        QVERIFY(first && first->centred);
        QCOMPARE(first->text, std::string("00"));
        QCOMPARE(first->colour, MMIColour::Blue);
        QCOMPARE(FindText(layout, 38, 100)->colour, MMIColour::Blue);
        const MMIText* seventeen = FindText(layout, 38, 117);
        QCOMPARE(seventeen->text, std::string("11"));
        QCOMPARE(seventeen->colour, MMIColour::Red);
        QCOMPARE(FindText(layout, 23 * 15 + 15, 17 * 15 + 100)->colour, MMIColour::Silver);
        QCOMPARE(LayoutMMIResults(kMMIApplication, table, {}, false).caption,
                 std::string("Application MMI Results"));
    }

    void layoutLevel()
    {
        std::array<std::int32_t, 256> table{};
        table[0] = kLevelAbsent;
        table[1] = kLevelInvalid;
        table[2] = 240;
        const auto layout = LayoutMMIResults(kMMILevel, table, {}, true);
        QCOMPARE(layout.caption, std::string("Level MMI Results"));
        QCOMPARE(FindText(layout, 33, 97)->text, std::string("XX"));
        QCOMPARE(FindText(layout, 33, 97)->colour, MMIColour::Grey);
        QCOMPARE(FindText(layout, 55, 97)->colour, MMIColour::Red);
        QCOMPARE(FindText(layout, 77, 97)->text, std::string("F0"));
        QCOMPARE(FindText(layout, 77, 97)->colour, MMIColour::Black);
        // Column labels and hex row labels.
        QCOMPARE(FindText(layout, 30, 77)->text, std::string("0"));
        QCOMPARE(FindText(layout, 22 * 16 + 8, 77)->text, std::string("F"));
        QCOMPARE(FindText(layout, 2, 18 * 16 + 79)->text, std::string("F0"));
    }

    void layoutUnitDataDecimal()
    {
        std::array<std::uint8_t, 256> image{};
        image[255] = 200;
        const auto layout = LayoutMMIResults(kMMINone, {}, image, false);
        QCOMPARE(layout.caption, std::string("Unit Data"));
        QVERIFY(!FindText(layout, 10, 10)); // no legend
        QVERIFY(!FindText(layout, 30, 77)); // no column labels in decimal
        QCOMPARE(FindText(layout, 2, 18 * 2 + 79)->text, std::string("16"));
        QCOMPARE(FindText(layout, 2, 18 * 16 + 79)->text, std::string("240"));
        QCOMPARE(FindText(layout, 22 * 15 + 33, 18 * 15 + 97)->text, std::string("200"));
        // The grid: 17 horizontal and 16 vertical silver lines besides the frame.
        int silver = 0;
        for (const MMILine& line : layout.lines)
            silver += line.colour == MMIColour::Silver;
        QCOMPARE(silver, 33);
    }
};

QTEST_APPLESS_MAIN(TestDiagMMI)
#include "tst_diag_mmi.moc"
