#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QString>

namespace tarvin::sim {

// One-line-per-wire-line text form: CR as \r, LF as \n, backslash as \\,
// any other byte outside 0x20-0x7E as \xHH (upper-case hex).
QByteArray EscapeWire(const QByteArray& bytes);

// Inverse of EscapeWire; also accepts lower-case hex after \x. Returns false
// (and leaves out untouched) on a dangling or unknown escape.
bool UnescapeWire(const QByteArray& text, QByteArray& out);

// Log of everything that crosses the wire, "<ms since start> RX|TX <escaped>",
// flushed line by line so a test can read it while the simulator runs.
class WireLog
{
public:
    explicit WireLog(const QElapsedTimer& clock) : m_clock(clock) {}

    bool open(const QString& path, QString* error);
    bool isOpen() const { return m_file.isOpen(); }

    void logReceived(const QByteArray& line) { write("RX", line); }
    void logSent(const QByteArray& bytes) { write("TX", bytes); }

private:
    void write(const char* direction, const QByteArray& bytes);

    const QElapsedTimer& m_clock;
    QFile m_file;
};

} // namespace tarvin::sim
