#include "output_queue.h"

#include "wire_log.h"

#include <QRandomGenerator>

#include <algorithm>

namespace tarvin::sim {

OutputQueue::OutputQueue(const Shaping& shaping, QRandomGenerator& random, WireLog& log,
                         Writer writer, QObject* parent)
    : QObject(parent), m_shaping(shaping), m_random(random), m_log(log), m_write(std::move(writer))
{
    if (m_shaping.splitMax < 1)
        m_shaping.splitMax = 1;
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &OutputQueue::pump);
    m_clock.start();
}

void OutputQueue::enqueue(const QByteArray& data, const QByteArray& logText, int delayMs,
                          bool reply)
{
    Item item;
    item.data = data;
    item.logText = logText;
    item.reply = reply;
    item.due = m_clock.elapsed() + m_shaping.delayMs + std::max(0, delayMs);
    m_items.push_back(item);
    if (m_timer.isActive())
        return;
    // Unshaped output goes out at once, so the log shows a line's answer
    // right after the line; shaped output always waits for the event loop.
    if (m_shaping.delayMs == 0 && delayMs <= 0 && !m_shaping.split && m_items.size() == 1)
        pump();
    else
        schedule(0);
}

void OutputQueue::clear()
{
    m_items.clear();
    m_timer.stop();
}

void OutputQueue::schedule(qint64 delayMs)
{
    m_timer.start(static_cast<int>(std::max<qint64>(0, delayMs)));
}

void OutputQueue::pump()
{
    const qint64 now = m_clock.elapsed();
    while (!m_items.empty()) {
        Item& item = m_items.front();
        if (item.due > now) {
            schedule(item.due - now);
            return;
        }
        const qsizetype remaining = item.data.size() - item.written;
        if (remaining > 0) {
            qsizetype piece = remaining;
            if (m_shaping.split)
                piece = std::min<qsizetype>(remaining, m_random.bounded(1, m_shaping.splitMax + 1));
            if (!m_write(item.data.mid(item.written, piece)))
                item.lost = true;
            item.written += piece;
            if (item.written < item.data.size()) {
                schedule(kPieceGapMs);
                return;
            }
        }
        if (!item.logText.isNull() && !item.lost)
            m_log.logSent(item.logText);
        const bool replyDone = item.reply && !item.lost;
        m_items.pop_front();
        // After the pop: a listener may clear the queue.
        if (replyDone)
            emit replyWritten();
        if (m_shaping.split && !m_items.empty() && !m_items.front().data.isEmpty()) {
            schedule(kPieceGapMs);
            return;
        }
    }
    emit drained();
}

} // namespace tarvin::sim
