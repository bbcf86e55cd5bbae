#include "control_channel.h"

#include <cerrno>
#include <unistd.h>
#include <utility>

namespace tarvin::sim {

ControlChannel::ControlChannel(int fd, QObject* parent) : QObject(parent), m_fd(fd)
{
    m_notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &ControlChannel::readInput);
}

void ControlChannel::readInput()
{
    char buffer[4096];
    ssize_t n = 0;
    do {
        n = ::read(m_fd, buffer, sizeof buffer);
    } while (n < 0 && errno == EINTR);
    if (n <= 0) {
        m_notifier->setEnabled(false);
        if (!m_buffer.isEmpty())
            emit commandReceived(std::exchange(m_buffer, QByteArray()));
        emit endOfInput();
        return;
    }
    m_buffer.append(buffer, static_cast<qsizetype>(n));
    qsizetype end = 0;
    while ((end = m_buffer.indexOf('\n')) >= 0) {
        QByteArray line = m_buffer.left(end);
        m_buffer.remove(0, end + 1);
        if (line.endsWith('\r'))
            line.chop(1);
        emit commandReceived(line);
    }
    if (m_buffer.size() > kMaxCommand)
        m_buffer.clear();
}

} // namespace tarvin::sim
