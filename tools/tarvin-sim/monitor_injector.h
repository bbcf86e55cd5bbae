#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QTimer>

#include <functional>

namespace tarvin::sim {

// Plays monitor lines (what other units on the bus send) at a steady pace.
// The pace is kept against the clock, not by counting ticks, so a busy
// machine catches up instead of drifting.
class MonitorInjector : public QObject
{
    Q_OBJECT

public:
    using LineSender = std::function<void(const QByteArray& line)>;

    MonitorInjector(QList<QByteArray> lines, double intervalMs, int repeat, LineSender sender,
                    QObject* parent = nullptr);

    // Reads the lines of an injection file; false with a reason on failure.
    static bool LoadLines(const QString& path, QList<QByteArray>& lines, QString* error);

    void start(); // idempotent
    bool isFinished() const;

private:
    void tick();

    // At most this many lines per tick, so a stalled clock cannot flood.
    static constexpr qint64 kMaxBurst = 1000;

    QList<QByteArray> m_lines;
    double m_intervalMs;
    qint64 m_total; // -1 = forever
    LineSender m_send;
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_sent = 0;
};

} // namespace tarvin::sim
