#include "line_handler.h"

#include "interface_unit.h"
#include "wire_log.h"

namespace tarvin::sim {

LineHandler::LineHandler(InterfaceUnit& unit, WireLog& log, Sender sender)
    : m_unit(unit), m_log(log), m_send(std::move(sender))
{
}

void LineHandler::reset()
{
    m_raw.clear();
    m_text.clear();
    m_echoed.clear();
    m_lines = 0;
    m_echoOpen = false;
    m_limitHit = false;
}

void LineHandler::setLineLimit(int limit, std::function<void()> reached)
{
    m_lineLimit = limit;
    m_limitReached = std::move(reached);
}

void LineHandler::receive(const QByteArray& bytes)
{
    for (char c : bytes) {
        if (m_limitHit)
            return;
        receiveByte(c);
    }
}

void LineHandler::receiveByte(char c)
{
    if (c == '\r') {
        m_log.logReceived(m_raw);
        if (m_unit.echoes()) {
            m_echoed += c;
            m_send(Outgoing{QByteArray(1, c)}, m_echoed);
        } else if (!m_echoed.isEmpty()) {
            // Echo of a line that switched to smart mode part way: still log it.
            m_send(Outgoing{}, m_echoed);
        }
        m_echoed.clear();
        m_echoOpen = false;
        completeLine();
        return;
    }
    if (m_raw.size() < kMaxLine) {
        m_raw += c;
        if (c != '\n')
            m_text += c;
    }
    // The reset acts as soon as it is complete, so a unit left in smart mode
    // answers the program's "~~~" handshake with an echo.
    if (m_text == "~~~" && c == '~')
        m_unit.resetToBasic();
    if (m_unit.echoes()) {
        m_echoed += c;
        // An endless line still gets logged, in pieces.
        const bool flushLog = m_echoed.size() >= kMaxLine;
        m_send(Outgoing{QByteArray(1, c)}, flushLog ? m_echoed : QByteArray());
        m_echoOpen = true;
        if (flushLog)
            m_echoed.clear();
    }
}

void LineHandler::completeLine()
{
    const QByteArray text = m_text;
    m_raw.clear();
    m_text.clear();
    if (text.isEmpty())
        return;
    ++m_lines;
    const QList<Outgoing> replies = m_unit.handleLine(text);
    for (const Outgoing& reply : replies)
        m_send(reply, reply.bytes);
    if (m_lineLimit > 0 && m_lines >= m_lineLimit) {
        m_limitHit = true;
        if (m_limitReached)
            m_limitReached();
    }
}

} // namespace tarvin::sim
