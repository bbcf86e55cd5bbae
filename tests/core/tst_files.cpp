// The file formats and arithmetic of the shell: data files, command log to
// script, script lines, the page estimate and the print layout.
#include <QtTest>

#include "core/files/data_file.h"
#include "core/files/log_processing.h"
#include "core/files/print_layout.h"
#include "core/files/text_lines.h"

using namespace tarvin;

Q_DECLARE_METATYPE(std::string)
Q_DECLARE_METATYPE(std::optional<std::string>)

namespace {

UserButtonSet Sample()
{
    UserButtonSet set = DefaultUserButtons();
    set[0] = {"GA05 100%", "\\0538007905FF"};
    set[4] = {"", ""};
    set[8] = {"Last \xE9", "\\05CA0002 07 FF"};
    return set;
}

} // namespace

class TestFiles : public QObject
{
    Q_OBJECT

private slots:
    void dataFileLayout()
    {
        const std::string text = DataFileText("Tarvin Diagnostic Utility", Sample());
        const auto lines = SplitTextLines(text);
        QCOMPARE(lines.size(), std::size_t(20));
        QCOMPARE(lines[0], std::string("Tarvin Diagnostic Utility File"));
        QCOMPARE(lines[1], std::string("File Version 1.0"));
        QCOMPARE(lines[2], std::string("GA05 100%"));
        QCOMPARE(lines[3], std::string("\\0538007905FF"));
        QCOMPARE(lines[4], std::string("User 2"));
        QCOMPARE(lines[5], std::string());
        // Every line, the last one included, ends in CR LF.
        QVERIFY(text.size() > 2 && text.compare(text.size() - 2, 2, "\r\n") == 0);
        std::size_t crlf = 0;
        for (std::size_t i = 0; (i = text.find("\r\n", i)) != std::string::npos; i += 2)
            ++crlf;
        QCOMPARE(crlf, std::size_t(20));
    }

    void dataFileRoundTrip()
    {
        const UserButtonSet set = Sample();
        const UserButtonSet back = ParseDataFile(DataFileText("x", set));
        for (std::size_t i = 0; i < set.size(); ++i) {
            QCOMPARE(back[i].caption, set[i].caption);
            QCOMPARE(back[i].command, set[i].command);
        }
    }

    void dataFileReading_data()
    {
        QTest::addColumn<std::string>("text");
        QTest::addColumn<int>("button");
        QTest::addColumn<std::string>("caption");
        QTest::addColumn<std::string>("command");
        // The first two lines are not checked.
        QTest::newRow("any header") << std::string("junk\nmore junk\nA\n\\05AA\n") << 1
                                    << std::string("A") << std::string("\\05AA");
        QTest::newRow("LF only") << std::string("t\nv\nA\nB\nC\nD\n") << 2 << std::string("C")
                                 << std::string("D");
        QTest::newRow("ends after a caption")
            << std::string("t\r\nv\r\nA\r\nB\r\nC") << 2 << std::string("C") << std::string();
        QTest::newRow("short file defaults")
            << std::string("t\r\nv\r\nA\r\nB\r\n") << 2 << std::string("User 2") << std::string();
        QTest::newRow("last of a short file")
            << std::string("t\r\nv\r\n") << 9 << std::string("User 9") << std::string();
        QTest::newRow("empty file") << std::string() << 1 << std::string("User 1") << std::string();
        QTest::newRow("empty command line kept") << std::string("t\r\nv\r\nA\r\n\r\nB\r\nX\r\n")
                                                 << 2 << std::string("B") << std::string("X");
    }
    void dataFileReading()
    {
        QFETCH(std::string, text);
        QFETCH(int, button);
        QFETCH(std::string, caption);
        QFETCH(std::string, command);
        const UserButtonSet set = ParseDataFile(text);
        QCOMPARE(set[std::size_t(button - 1)].caption, caption);
        QCOMPARE(set[std::size_t(button - 1)].command, command);
    }

    void saveNames_data()
    {
        QTest::addColumn<std::string>("chosen");
        QTest::addColumn<std::string>("saved");
        QTest::addColumn<std::string>("caption2");
        QTest::newRow("no extension")
            << std::string("/home/u/setup") << std::string("/home/u/setup.wbd")
            << std::string("T  [SETUP.WBD]");
        QTest::newRow("own extension")
            << std::string("/home/u/Plan.txt") << std::string("/home/u/Plan.txt")
            << std::string("T  [PLAN.TXT]");
        QTest::newRow("dot in folder only")
            << std::string("/home/u.v/setup") << std::string("/home/u.v/setup.wbd")
            << std::string("T  [SETUP.WBD]");
        QTest::newRow("windows folder")
            << std::string("C:\\Data\\lab") << std::string("C:\\Data\\lab.wbd")
            << std::string("T  [LAB.WBD]");
    }
    void saveNames()
    {
        QFETCH(std::string, chosen);
        QFETCH(std::string, saved);
        QFETCH(std::string, caption2);
        QCOMPARE(WithDataFileExtension(chosen), saved);
        QCOMPARE(DataFileCaption("T", saved, 2), caption2);
    }

    void logToScript_data()
    {
        QTest::addColumn<std::string>("line");
        QTest::addColumn<std::optional<std::string>>("script");
        QTest::newRow("transmitted with marker")
            << std::string("Tx : \\0538000A01<CR>") << std::optional<std::string>("\\0538000A01");
        QTest::newRow("stamped, blanks trimmed")
            << std::string("07:05:09.3  Tx :   \\05CA0002 07  <CR><LF>")
            << std::optional<std::string>("\\05CA0002 07");
        QTest::newRow("backslash but no marker")
            << std::string("Tx : \\0538000A01") << std::optional<std::string>(std::string());
        QTest::newRow("no backslash") << std::string("Rx : OK") << std::optional<std::string>();
        QTest::newRow("marker first: to the end")
            << std::string("<LF> \\053800 ") << std::optional<std::string>("\\053800");
        QTest::newRow("marker before the backslash")
            << std::string("a<b \\0538") << std::optional<std::string>(std::string());
        QTest::newRow("empty") << std::string() << std::optional<std::string>();
    }
    void logToScript()
    {
        QFETCH(std::string, line);
        QFETCH(std::optional<std::string>, script);
        QCOMPARE(ScriptLineFromLogLine(line), script);
    }

    void wholeLogToScript()
    {
        const std::string log = "Tx : \\0538000A01<CR>\r\n"
                                "Rx : OK\r\n"
                                "Tx : \\05FF00\r\n"
                                "# a note\r\n";
        QCOMPARE(ScriptFromCommandLog(log), std::string("\\0538000A01\r\n\r\n"));
        QCOMPARE(ScriptFromCommandLog(""), std::string());
    }

    void scriptLines_data()
    {
        QTest::addColumn<std::string>("line");
        QTest::addColumn<int>("kind");
        QTest::newRow("comment") << std::string("# lights") << int(ScriptLineKind::Comment);
        QTest::newRow("hash inside") << std::string("\\0538 # x") << int(ScriptLineKind::Comment);
        QTest::newRow("empty") << std::string() << int(ScriptLineKind::Empty);
        QTest::newRow("command") << std::string("\\0538000A01") << int(ScriptLineKind::Command);
    }
    void scriptLines()
    {
        QFETCH(std::string, line);
        QFETCH(int, kind);
        QCOMPARE(int(ClassifyScriptLine(line)), kind);
    }

    void lineSplitting()
    {
        QCOMPARE(SplitTextLines("a\r\nb\nc\rd"), (std::vector<std::string>{"a", "b", "c", "d"}));
        QCOMPARE(SplitTextLines("a\r\n\r\n"), (std::vector<std::string>{"a", ""}));
        QVERIFY(SplitTextLines("").empty());
    }

    void pageEstimate_data()
    {
        QTest::addColumn<int>("tx");
        QTest::addColumn<int>("rx");
        QTest::addColumn<bool>("printTx");
        QTest::addColumn<bool>("printRx");
        QTest::addColumn<std::string>("text");
        QTest::newRow("empty") << 0 << 0 << true << true << std::string("1 Page");
        QTest::newRow("49") << 49 << 0 << true << true << std::string("1 Page");
        QTest::newRow("50") << 50 << 0 << true << true << std::string("2 Pages");
        QTest::newRow("combined 120") << 120 << 0 << true << true << std::string("3 Pages");
        QTest::newRow("both panes") << 30 << 30 << true << true << std::string("2 Pages");
        QTest::newRow("receive unticked") << 30 << 300 << true << false << std::string("1 Page");
        QTest::newRow("transmit unticked") << 300 << 60 << false << true << std::string("2 Pages");
    }
    void pageEstimate()
    {
        QFETCH(int, tx);
        QFETCH(int, rx);
        QFETCH(bool, printTx);
        QFETCH(bool, printRx);
        QFETCH(std::string, text);
        QCOMPARE(PageEstimateText(tx, rx, printTx, printRx), text);
    }

    void printLayoutOfEmptyLog()
    {
        PrintJob job;
        job.textHeight = 10;
        job.pageHeight = 1000;
        const auto lines = LayOutPrintJob(job);
        // Heading (empty without a data file), blank, title, blank, blank.
        QCOMPARE(lines.size(), std::size_t(5));
        QCOMPARE(lines[0].text, std::string());
        QCOMPARE(int(lines[0].style), int(PrintStyle::Bold));
        QCOMPARE(lines[0].y, 10 * 3 * 3 / 2);
        QCOMPARE(lines[0].x, 50);
        QCOMPARE(lines[2].text, std::string("Transmitted and Received Strings"));
        QCOMPARE(int(lines[2].style), int(PrintStyle::BoldUnderlined));
        QCOMPARE(lines[2].y, PrintLineY(10, 3));
        QCOMPARE(PageCount(lines), 1);
    }

    void printLayoutSeparateLists()
    {
        PrintJob job;
        job.heading = "C:\\lab.wbd";
        job.combineLists = false;
        job.transmitLines = {"t1"};
        job.receiveLines = {"r1", "r2"};
        job.textHeight = 10;
        job.pageHeight = 1000;
        std::vector<std::string> texts;
        for (const auto& l : LayOutPrintJob(job))
            texts.push_back(l.text);
        QCOMPARE(texts, (std::vector<std::string>{"C:\\lab.wbd", "", "Transmitted Strings", "",
                                                  "t1", "", "Received Strings", "", "r1", "r2"}));
        job.printReceive = false;
        QCOMPARE(LayOutPrintJob(job).size(), std::size_t(6));
        job.printTransmit = false;
        job.printReceive = true;
        QCOMPARE(LayOutPrintJob(job)[2].text, std::string("Received Strings"));
    }

    void printLayoutBreaksPages()
    {
        // h = 10: line n at 15 (n + 2); a page of 500 takes lines while
        // 15 (n + 2) <= 300, so up to line 18 on each page.
        PrintJob job;
        job.heading = "file";
        job.textHeight = 10;
        job.pageHeight = 500;
        for (int i = 0; i < 40; ++i)
            job.transmitLines.push_back("line " + std::to_string(i));
        const auto lines = LayOutPrintJob(job);
        int maxY = 0;
        for (const auto& l : lines)
            maxY = std::max(maxY, l.y);
        QVERIFY(maxY <= 500 - 200);
        QCOMPARE(PageCount(lines), 3);
        // Each page begins with the bold heading at line 1.
        for (std::size_t i = 1; i < lines.size(); ++i) {
            if (lines[i].page != lines[i - 1].page) {
                QCOMPARE(lines[i].text, std::string("file"));
                QCOMPARE(lines[i].y, PrintLineY(10, 1));
                QCOMPARE(lines[i - 1].y, PrintLineY(10, 18));
            }
        }
    }

    void printLayoutOnTinyPageEnds()
    {
        PrintJob job;
        job.textHeight = 100;
        job.pageHeight = 10;
        job.transmitLines = {"a", "b"};
        const auto lines = LayOutPrintJob(job);
        QVERIFY(lines.size() < 50);
        QVERIFY(PageCount(lines) >= 2);
    }
};

QTEST_APPLESS_MAIN(TestFiles)
#include "tst_files.moc"
