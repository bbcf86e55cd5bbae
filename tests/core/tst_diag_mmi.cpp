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

    void layoutStates()
    {
        std::array<std::int32_t, 256> table{};
        table[0] = 1;
        table[1] = 7; // not a state: keeps the colour before it
        table[17] = 3;
        table[112] = 2;
        const auto layout = LayoutMMIResults(kMMIInstallation, table, {}, false);
        QCOMPARE(layout.caption, std::string("Installation MMI Results"));
        QCOMPARE(layout.legend.size(), std::size_t(4));
        // The legend says what a unit's state is, not just its number.
        QCOMPARE(layout.legend[1],
                 (MMIText{"XX = Unit in State 1: present, reports On", MMIColour::Blue}));
        QCOMPARE(layout.legend[2].colour, MMIColour::Black);
        QCOMPARE(layout.legend[3].colour, MMIColour::Red);
        QCOMPARE(layout.cells[0], (MMIText{"0", MMIColour::Blue}));
        QCOMPARE(layout.cells[1], (MMIText{"1", MMIColour::Blue}));
        QCOMPARE(layout.cells[17], (MMIText{"17", MMIColour::Red}));
        QCOMPARE(layout.cells[112], (MMIText{"112", MMIColour::Black}));
        QCOMPARE(layout.cells[255], (MMIText{"255", MMIColour::Silver}));
        const auto application = LayoutMMIResults(kMMIApplication, table, {}, true);
        QCOMPARE(application.caption, std::string("Application MMI Results"));
        QCOMPARE(application.legend[0],
                 (MMIText{"XX = Group Address Not Present", MMIColour::Silver}));
        QCOMPARE(application.cells[255].text, std::string("FF"));
    }

    void layoutLevel()
    {
        std::array<std::int32_t, 256> table{};
        table.fill(kLevelNotReported);
        table[0] = kLevelAbsent;
        table[1] = kLevelInvalid;
        table[2] = 240;
        table[3] = 0;
        const auto layout = LayoutMMIResults(kMMILevel, table, {}, true);
        QCOMPARE(layout.caption, std::string("Level MMI Results"));
        QCOMPARE(layout.cells[0], (MMIText{"XX", MMIColour::Grey}));
        QCOMPARE(layout.cells[1], (MMIText{"XX", MMIColour::Red}));
        QCOMPARE(layout.cells[2], (MMIText{"F0", MMIColour::Black}));
        // A level of 0 and a group nobody reported are told apart.
        QCOMPARE(layout.cells[3], (MMIText{"00", MMIColour::Black}));
        QCOMPARE(layout.cells[4], (MMIText{"--", MMIColour::Silver}));
        const std::vector<MMIText> legend{{"-- = Group Address Not Reported", MMIColour::Silver},
                                          {"XX = Group Address Not Present", MMIColour::Grey},
                                          {"XX = Group Address Level", MMIColour::Black},
                                          {"XX = Group Address Conflict", MMIColour::Red}};
        QVERIFY(layout.legend == legend);
    }

    void headers_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("hex");
        QTest::addColumn<QString>("row1");
        QTest::addColumn<QString>("row15");
        QTest::addColumn<QString>("column10");
        QTest::newRow("unit data hex") << int(kMMINone) << true << "10"
                                       << "F0"
                                       << "A";
        QTest::newRow("level decimal") << int(kMMILevel) << false << "16"
                                       << "240"
                                       << "+10";
        QTest::newRow("installation decimal") << int(kMMIInstallation) << false << "16"
                                              << "240"
                                              << "+10";
    }
    void headers()
    {
        QFETCH(int, mode);
        QFETCH(bool, hex);
        QFETCH(QString, row1);
        QFETCH(QString, row15);
        QFETCH(QString, column10);
        std::array<std::uint8_t, 256> image{};
        image[255] = 200;
        const auto layout = LayoutMMIResults(mode, {}, image, hex);
        QCOMPARE(QString::fromStdString(layout.rowHeaders[1]), row1);
        QCOMPARE(QString::fromStdString(layout.rowHeaders[15]), row15);
        QCOMPARE(QString::fromStdString(layout.columnHeaders[10]), column10);
        if (mode == kMMINone) {
            QCOMPARE(layout.caption, std::string("Unit Data"));
            QVERIFY(layout.legend.empty());
            QCOMPARE(layout.cells[255].text, std::string("C8"));
        }
    }

    void unreportedGroups_data()
    {
        QTest::addColumn<QList<int>>("reported");
        QTest::addColumn<bool>("hex");
        QTest::addColumn<QString>("text");
        QList<int> all;
        for (int n = 0; n < 256; ++n)
            all << n;
        QTest::newRow("all") << all << false << "";
        QTest::newRow("none") << QList<int>{} << false << "0-255";
        // A link lost after three blocks; group 255 came in anyway.
        QTest::newRow("dropped") << all.mid(0, 96) + QList<int>{255} << false << "96-254";
        QTest::newRow("single gaps")
            << all.mid(0, 7) + all.mid(8, 1) + all.mid(10) << true << "07, 09";
    }
    void unreportedGroups()
    {
        QFETCH(QList<int>, reported);
        QFETCH(bool, hex);
        QFETCH(QString, text);
        std::array<std::int32_t, 256> table{};
        table.fill(kLevelNotReported);
        for (int n : reported)
            table[static_cast<std::size_t>(n)] = n % 3 == 0 ? kLevelAbsent : n;
        QCOMPARE(QString::fromStdString(UnreportedGroups(table, hex)), text);
    }
};

QTEST_APPLESS_MAIN(TestDiagMMI)
#include "tst_diag_mmi.moc"
