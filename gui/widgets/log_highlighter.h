#pragma once
// Colours the log panes' keywords, and lines that report a fault.

#include <QRegularExpression>
#include <QSyntaxHighlighter>

namespace tarvin {

class LogHighlighter : public QSyntaxHighlighter
{
    Q_OBJECT
public:
    enum class Pane
    {
        Transmit,
        Receive
    };
    LogHighlighter(Pane pane, QTextDocument* document);

protected:
    void highlightBlock(const QString& text) override;

private:
    Pane m_pane;
};

} // namespace tarvin
