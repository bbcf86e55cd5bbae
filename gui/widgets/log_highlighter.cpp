#include "gui/widgets/log_highlighter.h"

#include "core/decode/decode.h"

#include <QTextBlock>
#include <QTextLayout>

namespace tarvin {

namespace {

const QColor kKeywordColour(Qt::blue);
const QColor kKeyColour(0x80, 0x00, 0x00);
const QColor kFaultColour(0xD0, 0x00, 0x00);

} // namespace

LogHighlighter::LogHighlighter(Pane pane, QTextDocument* document)
    : QSyntaxHighlighter(document), m_pane(pane)
{
}

void LogHighlighter::highlightBlock(const QString& text)
{
    // A log line never changes once written, but every new line moves the
    // others up and they are drawn again: kept, their shaped glyphs are not
    // worked out anew each time (Qt drops them after laying a line out).
    if (QTextLayout* layout = currentBlock().layout())
        layout->setCacheEnabled(true);
    static const QRegularExpression keywords(QStringLiteral("\\b(cr|lf)\\b"),
                                             QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression quoted(QStringLiteral("\"[^\"]*\"?"));
    const auto toEnd = [&](const char* marker, const QColor& colour) {
        const int at = text.indexOf(QLatin1String(marker));
        if (at >= 0)
            setFormat(at, int(text.size()) - at, colour);
    };
    if (m_pane == Pane::Transmit) {
        toEnd("Tx", kKeywordColour);
        toEnd("Rx", Qt::black);
        toEnd("#", kKeyColour);
        toEnd("\"", kKeyColour);
        toEnd("=", kKeyColour);
    } else {
        for (auto it = quoted.globalMatch(text); it.hasNext();) {
            const auto m = it.next();
            setFormat(int(m.capturedStart()), int(m.capturedLength()), kKeyColour);
        }
        toEnd("=", kKeyColour);
    }
    for (auto it = keywords.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        setFormat(int(m.capturedStart()), int(m.capturedLength()), kKeywordColour);
    }
    // A line that reports a fault stands out wherever the colours above
    // leave it plain.
    if (!DescribesFault(text.toLatin1().toStdString()))
        return;
    const auto plain = [this](int i) {
        const QTextCharFormat current = format(i);
        return !current.hasProperty(QTextFormat::ForegroundBrush) ||
               current.foreground().color() == Qt::black;
    };
    // A run of plain characters at a time: one format change each.
    const int length = int(text.size());
    for (int start = 0; start < length;) {
        if (!plain(start)) {
            ++start;
            continue;
        }
        int end = start + 1;
        while (end < length && plain(end))
            ++end;
        setFormat(start, end - start, kFaultColour);
        start = end;
    }
}

} // namespace tarvin
