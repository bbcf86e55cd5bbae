#pragma once

#include <QByteArray>

#include <functional>

namespace tarvin::sim {

class InterfaceUnit;
class WireLog;
struct Outgoing;

// Assembles one peer's input into lines and hands them to the interface.
// Lines end at CR; LF is kept in the logged text (it did cross the wire) but
// ignored for processing. While the interface echoes (basic mode) every byte
// goes straight back as it arrives.
class LineHandler
{
public:
    // out = bytes for the peer and their timing; logText = what the wire log
    // records for them once written (a null array: nothing yet, e.g. a
    // single echoed byte).
    using Sender = std::function<void(const Outgoing& out, const QByteArray& logText)>;

    LineHandler(InterfaceUnit& unit, WireLog& log, Sender sender);

    void receive(const QByteArray& bytes);
    void reset();

    // Non-empty lines processed since the last reset.
    int linesProcessed() const { return m_lines; }

    // True while part of a line has been echoed and its CR has not: other
    // output must wait, or it would land in the middle of the echo.
    bool echoOpen() const { return m_echoOpen; }

    // After this many non-empty lines (0 = no limit) the handler calls
    // reached() once and ignores further input until reset().
    void setLineLimit(int limit, std::function<void()> reached);

    // Longest line kept; the rest of an overlong line is discarded.
    static constexpr qsizetype kMaxLine = 4096;

private:
    void receiveByte(char c);
    void completeLine();

    InterfaceUnit& m_unit;
    WireLog& m_log;
    Sender m_send;
    QByteArray m_raw;    // as received, LFs included, for the log
    QByteArray m_text;   // LFs removed, for processing
    QByteArray m_echoed; // echo of the current line, logged at its CR
    int m_lines = 0;
    bool m_echoOpen = false;
    int m_lineLimit = 0;
    bool m_limitHit = false;
    std::function<void()> m_limitReached;
};

} // namespace tarvin::sim
