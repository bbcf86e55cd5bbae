#include "monitor_injector.h"

#include <QFile>

#include <algorithm>
#include <cmath>

namespace tarvin::sim {

MonitorInjector::MonitorInjector(QList<QByteArray> lines, double intervalMs, int repeat,
                                 LineSender sender, QObject* parent)
    : QObject(parent), m_lines(std::move(lines)), m_intervalMs(std::max(intervalMs, 0.01)),
      m_total(repeat <= 0 ? -1 : static_cast<qint64>(repeat) * m_lines.size()),
      m_send(std::move(sender))
{
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(std::max(1, static_cast<int>(m_intervalMs)));
    connect(&m_timer, &QTimer::timeout, this, &MonitorInjector::tick);
}

bool MonitorInjector::LoadLines(const QString& path, QList<QByteArray>& lines, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = path + QLatin1String(": ") + file.errorString();
        return false;
    }
    lines.clear();
    const QList<QByteArray> all = file.readAll().split('\n');
    for (const QByteArray& raw : all) {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        lines.append(line);
    }
    if (lines.isEmpty()) {
        if (error)
            *error = path + QLatin1String(": no lines to inject");
        return false;
    }
    return true;
}

void MonitorInjector::start()
{
    if (m_timer.isActive() || isFinished() || m_lines.isEmpty())
        return;
    m_clock.start();
    m_timer.start();
    tick(); // the first line goes at once
}

bool MonitorInjector::isFinished() const
{
    return m_total >= 0 && m_sent >= m_total;
}

void MonitorInjector::tick()
{
    const auto due = static_cast<qint64>(std::floor(m_clock.elapsed() / m_intervalMs)) + 1;
    qint64 burst = 0;
    while (m_sent < due && !isFinished() && burst < kMaxBurst) {
        m_send(m_lines.at(static_cast<qsizetype>(m_sent % m_lines.size())));
        ++m_sent;
        ++burst;
    }
    if (isFinished())
        m_timer.stop();
}

} // namespace tarvin::sim
