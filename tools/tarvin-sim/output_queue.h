#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <deque>
#include <functional>

class QRandomGenerator;

namespace tarvin::sim {

class WireLog;

struct Shaping
{
    int delayMs = 0;    // hold every byte this long before it is written
    bool split = false; // write in random pieces of 1..splitMax bytes
    int splitMax = 8;
};

// Everything written to one peer goes through here, in order, so delay and
// splitting apply alike to echoes, confirmations and monitor lines. An entry
// is logged as sent when its last byte has been written, and not at all if
// the peer could not take it.
class OutputQueue : public QObject
{
    Q_OBJECT

public:
    using Writer = std::function<bool(const QByteArray&)>;

    OutputQueue(const Shaping& shaping, QRandomGenerator& random, WireLog& log, Writer writer,
                QObject* parent = nullptr);

    // logText null: not logged (part of a longer entry logged later).
    // delayMs: held back this much more than the shaping delay; later
    // entries wait behind it, as on a serial line.
    // reply: a network reply line, reported by replyWritten() once written.
    void enqueue(const QByteArray& data, const QByteArray& logText, int delayMs = 0,
                 bool reply = false);
    // Safe from a slot of replyWritten(): nothing more is written.
    void clear();
    bool isEmpty() const { return m_items.empty(); }

signals:
    void replyWritten();
    void drained();

private:
    struct Item
    {
        QByteArray data;
        QByteArray logText;
        qint64 due = 0;
        qsizetype written = 0;
        bool lost = false; // a piece could not be written: not logged as sent
        bool reply = false;
    };

    void pump();
    void schedule(qint64 delayMs);

    // Split pieces leave one event-loop turn apart: separate writes (the
    // socket has no send delay) without capping the rate at one piece per
    // millisecond.
    static constexpr int kPieceGapMs = 0;

    Shaping m_shaping;
    QRandomGenerator& m_random;
    WireLog& m_log;
    Writer m_write;
    std::deque<Item> m_items;
    QTimer m_timer;
    QElapsedTimer m_clock;
};

} // namespace tarvin::sim
