// Captures: the line forms they are written in, reading every form back,
// and the analyser's counting over what was read.
#include <QtTest>

#include "core/diagnostics/capture_analysis.h"
#include "core/files/capture_format.h"
#include "core/files/capture_store.h"

using namespace tarvin;

class TestCaptureFormat : public QObject
{
    Q_OBJECT

private slots:
    void csvQuoting_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("plain") << QByteArray("GA 5 On") << QByteArray("GA 5 On");
        QTest::newRow("comma") << QByteArray("GA 5 On, GA 6 Off")
                               << QByteArray("\"GA 5 On, GA 6 Off\"");
        QTest::newRow("quote") << QByteArray("say \"Hi\"") << QByteArray("\"say \"\"Hi\"\"\"");
        QTest::newRow("line break") << QByteArray("a\r\nb") << QByteArray("\"a\r\nb\"");
        QTest::newRow("empty") << QByteArray() << QByteArray();
        QTest::newRow("high byte") << QByteArray("caf\xE9") << QByteArray("caf\xE9");
    }
    void csvQuoting()
    {
        QFETCH(QByteArray, field);
        QFETCH(QByteArray, written);
        QCOMPARE(QByteArray::fromStdString(CsvField(field.toStdString())), written);
    }

    void lines()
    {
        QCOMPARE(
            QByteArray::fromStdString(CaptureLine(CaptureFormat::Csv, "2026-12-08 07:05:09.300",
                                                  'R', "05013800790544<CR>", "GA 5 On, GA 6 Off")),
            QByteArray("2026-12-08 07:05:09.300,Rx,05013800790544<CR>,\"GA 5 On, GA 6 Off\""));
        QCOMPARE(QByteArray::fromStdString(
                     CaptureLine(CaptureFormat::Text, "07:05:09", 'T', "~~~", "Set Basic Mode")),
                 QByteArray("07:05:09  Tx : Set Basic Mode  [~~~]"));
        QCOMPARE(QByteArray::fromStdString(CaptureMarker(CaptureFormat::Csv, "t", "link lost")),
                 QByteArray("t,#,,link lost"));
        QCOMPARE(QByteArray::fromStdString(CaptureMarker(CaptureFormat::Text, "t", "link lost")),
                 QByteArray("t  # link lost"));
    }

    // Each row: the form, the line, and what is read from it as
    // kind|direction|stamp|raw|description-or-text.
    void readingLines_data()
    {
        QTest::addColumn<int>("form");
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("read");
        const int text = int(CaptureForm::Text), csv = int(CaptureForm::Csv),
                  wire = int(CaptureForm::Wire);
        QTest::newRow("text rx")
            << text << QByteArray("2026-12-08 07:05:09.300  Rx : GA 5 On  [05013800790544]")
            << QByteArray("line|R|2026-12-08 07:05:09.300|05013800790544|GA 5 On");
        QTest::newRow("text tx, no description, CR")
            << text << QByteArray("07:05:09  Tx :   [~~~]\r") << QByteArray("line|T|07:05:09|~~~|");
        QTest::newRow("text, brackets in the raw")
            << text << QByteArray("t  Rx : Unknown  [05[ ]x  [y]]")
            << QByteArray("line|R|t|05[ ]x  [y]|Unknown");
        QTest::newRow("text without stamps")
            << text << QByteArray("Rx : GA 5 On  [0501]") << QByteArray("line|R||0501|GA 5 On");
        QTest::newRow("text marker") << text << QByteArray("t  # link lost; retrying in 2 s")
                                     << QByteArray("marker|-|t||link lost; retrying in 2 s");
        QTest::newRow("text torn")
            << text << QByteArray("2026-12-08 07:05:09.300  Rx : GA 5 On  [0501")
            << QByteArray("unreadable|-|||2026-12-08 07:05:09.300  Rx : GA 5 On  [0501");
        QTest::newRow("text garbage") << text << QByteArray("\xff\xfe binary")
                                      << QByteArray("unreadable|-|||\xff\xfe binary");
        QTest::newRow("blank") << text << QByteArray("   \r") << QByteArray("blank|-|||");
        QTest::newRow("csv rx") << csv << QByteArray("t,Rx,0501<CR>,\"GA 5 On, GA 6 Off\"")
                                << QByteArray("line|R|t|0501<CR>|GA 5 On, GA 6 Off");
        QTest::newRow("csv quotes")
            << csv << QByteArray("t,Tx,\"a\"\"b\",") << QByteArray("line|T|t|a\"b|");
        QTest::newRow("csv marker") << csv << QByteArray("t,#,,\"Tarvin capture 1; mode=default\"")
                                    << QByteArray("marker|-|t||Tarvin capture 1; mode=default");
        QTest::newRow("csv column row")
            << csv << QByteArray("time,direction,raw,description") << QByteArray("columns|-|||");
        QTest::newRow("csv three columns")
            << csv << QByteArray("t,Rx,0501") << QByteArray("unreadable|-|||t,Rx,0501");
        QTest::newRow("csv open quote") << csv << QByteArray("t,Rx,0501,\"GA 5")
                                        << QByteArray("unreadable|-|||t,Rx,0501,\"GA 5");
        QTest::newRow("csv other direction")
            << csv << QByteArray("t,Up,0501,x") << QByteArray("unreadable|-|||t,Up,0501,x");
        QTest::newRow("wire") << wire << QByteArray(" 0501380079054\r")
                              << QByteArray("line|R||0501380079054|");
        QTest::newRow("too long") << wire << QByteArray(70000, '0')
                                  << QByteArray("unreadable|-|||") + QByteArray(200, '0');
    }
    void readingLines()
    {
        QFETCH(int, form);
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, read);
        const CaptureRecord r = ParseCaptureLine(CaptureForm(form), line.toStdString());
        static const char* const kinds[] = {"blank", "line", "marker", "columns", "unreadable"};
        const std::string got = std::string(kinds[r.kind]) + '|' +
                                (r.direction ? r.direction : '-') + '|' + r.stamp + '|' + r.raw +
                                '|' + (r.kind == CaptureRecord::Line ? r.description : r.text);
        QCOMPARE(QByteArray::fromStdString(got), read);
    }

    void formsAreTold()
    {
        QCOMPARE(DetectCaptureForm("time,direction,raw,description\r"), CaptureForm::Csv);
        QCOMPARE(DetectCaptureForm("t,#,,capture started"), CaptureForm::Csv);
        QCOMPARE(DetectCaptureForm("2026-12-08 07:05:09.300  # capture started"),
                 CaptureForm::Text);
        QCOMPARE(DetectCaptureForm("07:05:09  Rx : GA 5 On  [0501]"), CaptureForm::Text);
        QCOMPARE(DetectCaptureForm("05013800790544"), CaptureForm::Wire);
        QCOMPARE(DetectCaptureForm("\\053800790544g"), CaptureForm::Wire);
    }

    // A reset's echo is one line as on the wire, however the "~" came; a lone
    // "~" (a unit reset from smart mode) stays one; the form follows the name.
    void resetEchoAndFormByName()
    {
        ResetEchoJoiner joiner;
        std::vector<std::string> recorded;
        for (const char* raw : {"~", "~", "~", "A3300051<CR>", "~", "05<CR>", "~", "~"})
            for (const std::string& line : joiner.Feed(raw))
                recorded.push_back(line);
        QCOMPARE(recorded, (std::vector<std::string>{"~~~", "A3300051<CR>", "~", "05<CR>"}));
        QCOMPARE(CaptureFormatForName("night.TXT"), CaptureFormat::Text);
        QCOMPARE(CaptureFormatForName("night.csv"), CaptureFormat::Csv);
        QCOMPARE(CaptureFormatForName("night.log"), CaptureFormat::Csv);
        QVERIFY(IsEchoOf("A3300051", "A3300051<CR>"));
        QVERIFY(IsEchoOf("~~~A3300002", "A3300002<CR>"));
        QVERIFY(!IsEchoOf("A3300051", "05013800790544<CR>"));
        QVERIFY(!IsEchoOf("", "<CR>"));
    }

    void headerRoundTrip()
    {
        CaptureHeader h;
        h.program = "tarvin-monitor 1.4.0";
        h.link = "Socketbox 127.0.0.1:14000; spare";
        h.mode = "all-monitor";
        h.interfaceOptions = 0x51;
        h.decodeOptions = 9;
        const std::string text = CaptureHeaderText(h);
        QCOMPARE(QByteArray::fromStdString(text),
                 QByteArray("Tarvin capture 1; program=tarvin-monitor 1.4.0; link=Socketbox "
                            "127.0.0.1:14000, spare; mode=all-monitor; interface-options=51; "
                            "decode-options=9"));
        const auto back = ParseCaptureHeader(text);
        QVERIFY(back);
        QCOMPARE(back->link, std::string("Socketbox 127.0.0.1:14000, spare"));
        QCOMPARE(back->mode, h.mode);
        QCOMPARE(back->interfaceOptions, 0x51);
        QCOMPARE(back->decodeOptions, 9);
        QVERIFY(!ParseCaptureHeader("capture started"));
        // Unknown fields stay unknown.
        const auto bare = ParseCaptureHeader("Tarvin capture 1; interface-options=ZZ; x=y");
        QVERIFY(bare && bare->interfaceOptions == -1 && bare->decodeOptions == -1);
    }

    void stampSeconds()
    {
        QCOMPARE(CaptureStampSeconds("1970-01-02 00:00:01.500").value_or(-1), 86401.5);
        QCOMPARE(CaptureStampSeconds("2026-12-09 05:00:00").value_or(-1), 1796792400.0);
        QVERIFY(!CaptureStampSeconds("07:05:09"));
        QVERIFY(!CaptureStampSeconds("2026-13-09 05:00:00"));
    }

    // A capture read as the analyser would count it: transmitted lines and
    // markers never count; the header's mode applies unless one is forced.
    void analysis_data()
    {
        QTest::addColumn<int>("forced"); // -1 none
        QTest::addColumn<int>("messages");
        QTest::addColumn<int>("errors");
        // In the monitoring mode 05123800B1 and 0512380034 lack the end mark;
        // by checksum only 05123800B1 adds up.
        QTest::newRow("as the header says (default)") << -1 << 4 << 3;
        QTest::newRow("forced all-monitor") << int(CountingMode::AllMonitor) << 4 << 2;
        QTest::newRow("forced default") << int(CountingMode::Default) << 4 << 3;
    }
    void analysis()
    {
        QFETCH(int, forced);
        QFETCH(int, messages);
        QFETCH(int, errors);
        const char* const capture[] = {
            "time,direction,raw,description",
            "2026-12-09 05:00:00.000,#,,Tarvin capture 1; mode=default",
            "2026-12-09 05:00:00.100,Tx,\\0538007905,GA 5 On",
            "2026-12-09 05:00:00.200,Rx,05123800B1,",
            "2026-12-09 05:00:01.200,Rx,0512380035<CR>,",
            "2026-12-09 05:00:01.300,Rx,0512380034,",
            "broken,line",
            "2026-12-09 05:00:09.000,#,,link lost",
            "2026-12-09 05:00:09.500,Rx,861200A1009A,",
        };
        CaptureAnalysis analysis(forced < 0 ? std::nullopt
                                            : std::optional<CountingMode>(CountingMode(forced)));
        for (const char* line : capture)
            analysis.add(ParseCaptureLine(CaptureForm::Csv, line));
        analysis.finish();
        const TrafficStatistics& s = analysis.statistics();
        QCOMPARE(s.messageTotal, messages);
        QCOMPARE(s.errorTotal, errors);
        QCOMPARE(s.calCount, 1);
        QCOMPARE(s.applicationCounts[0x38], 3);
        QCOMPARE(s.messagePeak, 2);
        QVERIFY(qAbs(analysis.lastTime() - analysis.firstTime() - 9.3) < 1e-3);
        QCOMPARE(analysis.analyser().elapsedTimeLabel(), std::string("Elapsed Time = 0:00:09"));
    }

    void storeKeepsWhatAViewNeeds()
    {
        CaptureStore store;
        for (const char* line : {"time,direction,raw,description", "", "t0,#,,link lost",
                                 "2026-12-09 05:00:00.200,Rx,0512380079050035<CR>,GA 5 On",
                                 "2026-12-09 05:00:00.300,Rx,0530880012340034,",
                                 "2026-12-09 05:00:00.400,Tx,A3300051,", "t,Rx",
                                 "2026-12-09 05:00:00.500,Rx,0520FF90014B,"})
            store.add(ParseCaptureLine(CaptureForm::Csv, line), CountingMode::AllMonitor);
        QCOMPARE(store.size(), std::size_t(6)); // the column row and the blank line are not kept
        QCOMPARE(store.unreadable(), std::size_t(1));
        const auto row = [&store](std::size_t i) { return store.row(i); };
        QCOMPARE(row(0).kind, CaptureRecord::Marker);
        QCOMPARE(row(0).description, std::string_view("link lost"));
        QCOMPARE(row(1).raw, std::string_view("0512380079050035<CR>"));
        QCOMPARE(row(1).description, std::string_view("GA 5 On"));
        QCOMPARE(row(1).stamp, std::string_view("2026-12-09 05:00:00.200"));
        QCOMPARE(row(1).time, 1796792400.2);
        QVERIFY(row(1).network == 0 && row(1).source == 0x12 && row(1).application == 0x38);
        QVERIFY(!row(1).error && !row(1).unknown);
        QVERIFY(row(2).error && row(2).unknown); // no end mark, no description
        QVERIFY(!row(3).error && !row(3).unknown &&
                row(3).direction == 'T'); // commands are not judged
        QVERIFY(row(4).kind == CaptureRecord::Unreadable && row(4).error);
        QCOMPARE(row(5).application, 0xFF); // an MMI report names its application
    }

    void storeAsARing()
    {
        CaptureStore ring(32); // chunks of two lines
        for (int n = 0; n < 100; ++n) {
            CaptureRecord r;
            r.kind = CaptureRecord::Line;
            r.direction = 'R';
            r.raw = std::to_string(n);
            ring.add(r, CountingMode::AllMonitor);
            QVERIFY(ring.size() <= 32);
        }
        QCOMPARE(ring.size(), std::size_t(32));
        QCOMPARE(ring.firstSerial(), std::uint64_t(68));
        QCOMPARE(ring.row(0).raw, std::string_view("68"));
        QCOMPARE(ring.row(31).raw, std::string_view("99"));
        // A smaller limit drops whole chunks: never more than the limit.
        ring.setLimit(5);
        QCOMPARE(ring.size(), std::size_t(4));
        QCOMPARE(ring.row(0).raw, std::string_view("96"));
        ring.clear();
        QCOMPARE(ring.size(), std::size_t(0));
        QCOMPARE(ring.firstSerial(), std::uint64_t(100));
    }
};

QTEST_APPLESS_MAIN(TestCaptureFormat)
#include "tst_capture_format.moc"
