#pragma once

#include <QByteArray>

#include <functional>

namespace tarvin::sim {

class InterfaceUnit;
class WireLog;

// Assembles one peer's input into lines and hands them to the interface.
// Lines end at CR; LF is kept in the logged text (it did cross the wire) but
// ignored for processing. While the interface echoes (basic mode) every byte
// goes straight back as it arrives.
class LineHandler
{
public:
    // data = bytes for the peer; logText = what the wire log records for
    // them once written (a null array: nothing yet, e.g. a single echoed byte).
    // delayMs holds the data back (a slow network reply).
    using Sender =
        std::function<void(const QByteArray& data, const QByteArray& logText, int delayMs)>;

    LineHandler(InterfaceUnit& unit, WireLog& log, Sender sender);

    void receive(const QByteArray& bytes);
    void reset();

    // Non-empty lines processed since the last reset.
    int linesProcessed() const { return m_lines; }

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
    int m_lineLimit = 0;
    bool m_limitHit = false;
    std::function<void()> m_limitReached;
};

} // namespace tarvin::sim
