#include "peer_transport.h"

#include <QTimer>

namespace tarvin::sim {

PeerTransport::PeerTransport(InterfaceUnit& unit, WireLog& log, const Shaping& shaping,
                             QRandomGenerator& random, QObject* parent)
    : QObject(parent), m_handler(unit, log,
                                 [this](const QByteArray& data, const QByteArray& logText,
                                        int delayMs) { send(data, logText, delayMs); }),
      m_queue(
          shaping, random, log, [this](const QByteArray& bytes) { return writeToPeer(bytes); },
          this)
{
    connect(&m_queue, &OutputQueue::drained, this, [this] {
        if (m_closing)
            closePeer();
    });
}

bool PeerTransport::send(const QByteArray& data, const QByteArray& logText, int delayMs)
{
    if (!m_active || m_closing)
        return false;
    m_queue.enqueue(data, logText, delayMs);
    return true;
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
    m_handler.reset();
    m_queue.clear();
    m_closing = false;
    m_active = true;
    emit peerActivated();
}

void PeerTransport::endPeer()
{
    m_active = false;
    m_closing = false;
    m_queue.clear();
    m_handler.reset();
}

void PeerTransport::bytesFromPeer(const QByteArray& bytes)
{
    if (!m_active)
        beginPeer();
    if (m_closing)
        return;
    m_handler.receive(bytes);
}

} // namespace tarvin::sim
