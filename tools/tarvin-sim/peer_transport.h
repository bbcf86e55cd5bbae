#pragma once

#include "line_handler.h"
#include "output_queue.h"

#include <QByteArray>
#include <QObject>

#include <deque>

namespace tarvin::sim {

class InterfaceUnit;
struct Outgoing;

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

    // A whole monitor line (with its CR LF) for the current peer. While the
    // peer is typing a line that is echoed it waits for the line's end.
    bool sendLine(const QByteArray& line);

    // Closes the current peer's connection after what is queued for it.
    bool drop();

    // Drops the peer after it has sent this many non-empty lines (0 = never).
    void setDropAfter(int lines);

    // Closes the peer's connection as soon as this many more network reply
    // lines have been written to it, whoever the peer is by then; what
    // else is queued is not sent. 0 = never.
    void setReplyLimit(int replies);

signals:
    void peerActivated();

protected:
    virtual bool writeToPeer(const QByteArray& bytes) = 0;
    virtual void closePeer() = 0;

    void beginPeer();
    void endPeer();
    void bytesFromPeer(const QByteArray& bytes);

private:
    void output(const Outgoing& out, const QByteArray& logText);
    void closeWhenDrained();
    void replyWritten();
    void releaseHeldLines();

    // Monitor lines held behind an open echo; beyond this the oldest go, as
    // an overrun unit would lose them.
    static constexpr std::size_t kMaxHeldLines = 1000;

    LineHandler m_handler;
    OutputQueue m_queue;
    std::deque<QByteArray> m_held;
    bool m_active = false;
    bool m_closing = false;
    // Counts peers, so a late reply never reaches a peer that did not ask.
    quint64 m_peerNumber = 0;
    int m_repliesLeft = 0;
};

} // namespace tarvin::sim
