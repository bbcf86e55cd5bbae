#include "peer_transport.h"

#include "interface_unit.h"

#include <QTimer>

namespace tarvin::sim {

PeerTransport::PeerTransport(InterfaceUnit& unit, WireLog& log, const Shaping& shaping,
                             QRandomGenerator& random, QObject* parent)
    : QObject(parent),
      m_handler(unit, log,
                [this](const Outgoing& out, const QByteArray& logText) { output(out, logText); }),
      m_queue(
          shaping, random, log, [this](const QByteArray& bytes) { return writeToPeer(bytes); },
          this)
{
    connect(&m_queue, &OutputQueue::drained, this, [this] {
        if (m_closing)
            closePeer();
    });
    connect(&m_queue, &OutputQueue::replyWritten, this, &PeerTransport::replyWritten);
}

bool PeerTransport::send(const QByteArray& data, const QByteArray& logText, int delayMs)
{
    if (!m_active || m_closing)
        return false;
    m_queue.enqueue(data, logText, delayMs);
    return true;
}

bool PeerTransport::sendLine(const QByteArray& line)
{
    if (!m_active || m_closing)
        return false;
    if (!m_handler.echoOpen())
        return send(line, line);
    m_held.push_back(line);
    if (m_held.size() > kMaxHeldLines)
        m_held.pop_front();
    return true;
}

void PeerTransport::releaseHeldLines()
{
    while (!m_held.empty() && !m_handler.echoOpen()) {
        const QByteArray line = m_held.front();
        m_held.pop_front();
        send(line, line);
    }
}

void PeerTransport::output(const Outgoing& out, const QByteArray& logText)
{
    if (out.lateMs <= 0) {
        if (m_active && !m_closing)
            m_queue.enqueue(out.bytes, logText, out.delayMs, out.reply);
        return;
    }
    // A timer per reply: what the unit says meanwhile, and replies due
    // sooner, go out as usual.
    Outgoing now = out;
    now.lateMs = 0;
    const quint64 peer = m_peerNumber;
    QTimer::singleShot(out.lateMs, Qt::PreciseTimer, this, [this, now, logText, peer] {
        if (peer == m_peerNumber)
            output(now, logText);
    });
}

bool PeerTransport::drop()
{
    if (!m_active || !canDrop())
        return false;
    closeWhenDrained();
    return true;
}

void PeerTransport::setDropAfter(int lines)
{
    m_handler.setLineLimit(lines, [this] {
        if (canDrop())
            closeWhenDrained();
    });
}

void PeerTransport::setReplyLimit(int replies)
{
    m_repliesLeft = replies < 0 ? 0 : replies;
}

void PeerTransport::replyWritten()
{
    if (m_repliesLeft <= 0 || --m_repliesLeft > 0 || !canDrop())
        return;
    // Cut off in the middle of a reply sequence: the rest is never sent,
    // and the queue's drained() closes the connection.
    m_closing = true;
    m_held.clear();
    m_queue.clear();
}

void PeerTransport::closeWhenDrained()
{
    if (m_closing)
        return;
    m_closing = true;
    // Deferred: we may be inside the peer's own read handler.
    if (m_queue.isEmpty()) {
        QTimer::singleShot(0, this, [this] {
            if (m_closing && m_queue.isEmpty())
                closePeer();
        });
    }
}

void PeerTransport::beginPeer()
{
    ++m_peerNumber;
    m_handler.reset();
    m_queue.clear();
    m_held.clear();
    m_closing = false;
    m_active = true;
    emit peerActivated();
}

void PeerTransport::endPeer()
{
    ++m_peerNumber;
    m_active = false;
    m_closing = false;
    m_queue.clear();
    m_held.clear();
    m_handler.reset();
}

void PeerTransport::bytesFromPeer(const QByteArray& bytes)
{
    if (!m_active)
        beginPeer();
    if (m_closing)
        return;
    m_handler.receive(bytes);
    releaseHeldLines();
}

} // namespace tarvin::sim
