// The log panes' colours: what the keywords get, and lines that report a
// fault, which stand out wherever the keywords leave them plain.
#include <QtTest>

#include "gui/widgets/log_highlighter.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

using namespace tarvin;

namespace {

// The colour of the character at `at`, or black when it has none.
QColor ColourAt(const QTextDocument& document, int at)
{
    const QTextBlock block = document.firstBlock();
    for (const QTextLayout::FormatRange& range : block.layout()->formats())
        if (at >= range.start && at < range.start + range.length &&
            range.format.hasProperty(QTextFormat::ForegroundBrush))
            return range.format.foreground().color();
    return Qt::black;
}

} // namespace

class TestLogColours : public QObject
{
    Q_OBJECT

private slots:
    void colours_data()
    {
        QTest::addColumn<bool>("transmitPane");
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("at");
        QTest::addColumn<QColor>("colour");
        const QColor fault(0xD0, 0, 0), blue(Qt::blue), key(0x80, 0, 0), black(Qt::black);
        QTest::newRow("a sent line stays blue")
            << true << QStringLiteral("Tx : GA 5 On") << 6 << blue;
        QTest::newRow("a received line stays black")
            << true << QStringLiteral("Rx : GA 5 On") << 6 << black;
        QTest::newRow("checksum error")
            << true << QStringLiteral("Rx : Checksum Error") << 6 << fault;
        QTest::newRow("no acknowledgement")
            << true << QStringLiteral("Rx : No Acknowledgement") << 0 << fault;
        QTest::newRow("corrupted")
            << false << QStringLiteral("Corrupted Transmission") << 3 << fault;
        QTest::newRow("no clock") << false << QStringLiteral("No Tarvin Clock") << 3 << fault;
        QTest::newRow("length error")
            << true << QStringLiteral("Rx :  Unknown, LENGTH ERROR") << 8 << fault;
        QTest::newRow("a sent fault keeps its blue")
            << true << QStringLiteral("Tx : LENGTH ERROR") << 6 << blue;
        QTest::newRow("the key colour stays")
            << false << QStringLiteral("\"LENGTH ERROR\"") << 3 << key;
    }
    void colours()
    {
        QFETCH(bool, transmitPane);
        QFETCH(QString, line);
        QFETCH(int, at);
        QFETCH(QColor, colour);
        QTextDocument document;
        LogHighlighter highlighter(transmitPane ? LogHighlighter::Pane::Transmit
                                                : LogHighlighter::Pane::Receive,
                                   &document);
        document.setPlainText(line);
        highlighter.rehighlight();
        QCOMPARE(ColourAt(document, at), colour);
    }
};

QTEST_MAIN(TestLogColours)
#include "tst_log_colours.moc"
