#pragma once

#include "line_handler.h"
#include "output_queue.h"

#include <QByteArray>
#include <QObject>

namespace tarvin::sim {

class InterfaceUnit;

// One way into the interface (TCP or pty) serving one peer at a time. The
// line handling and output shaping live here; subclasses only move bytes.
class PeerTransport : public QObject
{
    Q_OBJECT

public:
    PeerTransport(InterfaceUnit& unit, WireLog& log, const Shaping& shaping,
                  QRandomGenerator& random, QObject* parent = nullptr);

    // A line that goes in the start-up banner, e.g. "TCP 127.0.0.1 14000".
    virtual QByteArray banner() const = 0;
    virtual bool canDrop() const = 0;

    // True while someone can hear what is sent.
    bool hasPeer() const { return m_active; }

    // Queues bytes for the current peer; nothing happens without one.
    bool send(const QByteArray& data, const QByteArray& logText, int delayMs = 0);

    // Closes the current peer's connection after what is queued for it.
    bool drop();

    // Drops the peer after it has sent this many non-empty lines (0 = never).
    void setDropAfter(int lines);

signals:
    void peerActivated();

protected:
    virtual bool writeToPeer(const QByteArray& bytes) = 0;
    virtual void closePeer() = 0;

    void beginPeer();
    void endPeer();
    void bytesFromPeer(const QByteArray& bytes);

private:
    void closeWhenDrained();

    LineHandler m_handler;
    OutputQueue m_queue;
    bool m_active = false;
    bool m_closing = false;
};

} // namespace tarvin::sim
