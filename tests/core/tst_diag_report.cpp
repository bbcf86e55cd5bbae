// The traffic report page, byte for byte.
#include <QtTest>

#include "core/diagnostics/traffic_report.h"

using namespace tarvin;

namespace {

QByteArray Q(const std::string& s)
{
    return QByteArray(s.data(), static_cast<int>(s.size()));
}

} // namespace

class TestDiagReport : public QObject
{
    Q_OBJECT

private slots:
    void escaping_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("html");
        QTest::newRow("less-than") << QByteArray("A<B") << QByteArray("A&lt;B");
        QTest::newRow("e acute") << QByteArray("Caf\xE9") << QByteArray("Caf&#233;");
        QTest::newRow("top bytes") << QByteArray("\x80\xFF") << QByteArray("&#128;&#255;");
        QTest::newRow("named") << QByteArray("\"&'<>") << QByteArray("&quot;&amp;&apos;&lt;&gt;");
        QTest::newRow("plain") << QByteArray("Lighting (38) \x7F")
                               << QByteArray("Lighting (38) \x7F");
    }
    void escaping()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, html);
        QCOMPARE(Q(HtmlEscape(text.toStdString())), html);
    }

    void headings()
    {
        QCOMPARE(Q(HtmlHeading(2, "Summary")), QByteArray("<H2>Summary</H2>"));
        QCOMPARE(Q(HtmlHeading(1, "  A&B ")), QByteArray("<H1>&nbsp;&nbsp;A&amp;B </H1>"));
        QCOMPARE(Q(HtmlHeading(3, "  ")), QByteArray("<H3>&nbsp; </H3>"));
    }

    void cells()
    {
        const GridTable grid = {{"Head"}, {"A<B"}, {"\xE9"}};
        QCOMPARE(Q(HtmlTable(grid)),
                 QByteArray("<table border=1 cellspacing=0 cellpadding=0>\r\n"
                            "<tr>\r\n<td width=150><p><b>&nbsp; Head</b></p></td>\r\n</tr>\r\n"
                            "<tr>\r\n<td width=150><p>&nbsp; A&lt;B</p></td>\r\n</tr>\r\n"
                            "<tr>\r\n<td width=150><p>&nbsp; &#233;</p></td>\r\n</tr>\r\n"
                            "</table>\r\n<br>\r\n"));
    }

    void scriptedSession()
    {
        TrafficStatistics s;
        TrafficAnalyser analyser(s);
        UnitTypeTable types;
        types[0x12] = "R&D <1>";
        analyser.Open(0, types, false);
        CountAnalyserMessage(s, "0512380035");
        CountAnalyserMessage(s, "0512380034");
        analyser.Refresh(2, types, false);

        TrafficReportInput input;
        input.timeLabel = StartTimeLabel("01/02/2026 10:00:00");
        input.elapsedTimeLabel = analyser.elapsedTimeLabel();
        input.summary = analyser.summaryGrid();
        input.types = analyser.typeGrid();
        input.mmis = analyser.mmiGrid();
        input.sources = analyser.sourceGrid();

        const char* const td = "<td width=150>";
        auto row = [td](std::initializer_list<const char*> cells, bool header) {
            std::string out = "<tr>\r\n";
            for (const char* cell : cells)
                out += std::string(td) + (header ? "<p><b>&nbsp; " : "<p>&nbsp; ") + cell +
                       (header ? "</b></p>" : "</p>") + "</td>\r\n";
            return out + "</tr>\r\n";
        };
        const std::string open = "<table border=1 cellspacing=0 cellpadding=0>\r\n";
        const std::string close = "</table>\r\n<br>\r\n";
        const std::string expected =
            "<html>\r\n"
            "<head><title>Tarvin Traffic Report</title></head>\r\n"
            "<body>\r\n"
            "<H1>Tarvin Traffic Report</H1>\r\n"
            "<H2>Summary</H2>\r\n"
            "<p>Start Time = 01/02/2026 10:00:00</p>\r\n"
            "<p>Elapsed Time = 0:00:02</p>\r\n" +
            open + row({"", "Count", "Average Rate", "Peak Rate"}, true) +
            row({"Errors", "1", "0.5 per second", "1 per second"}, false) +
            row({"Messages", "2", "1.0 per second", "2 per second"}, false) + close +
            "<H2>Message Types</H2>\r\n" + open +
            row({"Message Type", "Message Count", "Average Rate", ""}, true) +
            row({"Lighting (56)", "2", "60.0 per minute", ""}, false) + close +
            "<H2>MMIs</H2>\r\n" + open +
            row({"Application", "MMI Count", "Average Period", "Source Unit"}, true) +
            row({"", "", "", ""}, false) + close + "<H2>Message Source</H2>\r\n" + open +
            row({"Source Unit", "Unit Type", "Message Count", "Average Rate"}, true) +
            row({"18", "R&amp;D &lt;1&gt;", "2", "60.0 per minute"}, false) + close +
            "<H2>Traffic</H2>\r\n"
            "<p><img src=\"report.bmp\"></p>\r\n"
            "</body>\r\n"
            "</html>\r\n";
        QCOMPARE(Q(TrafficReport(input)), Q(expected));
    }
};

QTEST_APPLESS_MAIN(TestDiagReport)
#include "tst_diag_report.moc"
