#include "control_channel.h"

#include <utility>

#ifdef Q_OS_WIN
#include <QMetaObject>
#include <qt_windows.h>
#else
#include <cerrno>
#include <unistd.h>
#endif

namespace tarvin::sim {

#ifdef Q_OS_WIN

// Windows cannot watch standard input from the event loop: a thread of its
// own reads it and hands what it got to the channel's thread.
ControlChannel::ControlChannel(QObject* parent) : QObject(parent)
{
    m_reader = CreateThread(
        nullptr, 0,
        [](void* self) -> DWORD {
            auto* channel = static_cast<ControlChannel*>(self);
            const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
            char buffer[4096];
            DWORD n = 0;
            while (ReadFile(input, buffer, sizeof buffer, &n, nullptr) && n > 0) {
                QMetaObject::invokeMethod(
                    channel,
                    [channel, bytes = QByteArray(buffer, qsizetype(n))] { channel->take(bytes); },
                    Qt::QueuedConnection);
            }
            QMetaObject::invokeMethod(
                channel, [channel] { channel->finish(); }, Qt::QueuedConnection);
            return 0;
        },
        this, 0, nullptr);
}

ControlChannel::~ControlChannel()
{
    if (!m_reader)
        return;
    // The reader may wait in ReadFile: end the wait, then the thread.
    CancelSynchronousIo(m_reader);
    if (WaitForSingleObject(m_reader, 1000) != WAIT_OBJECT_0)
        TerminateThread(m_reader, 0);
    CloseHandle(m_reader);
}

#else

ControlChannel::ControlChannel(QObject* parent) : QObject(parent)
{
    m_notifier = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &ControlChannel::readInput);
}

ControlChannel::~ControlChannel() = default;

void ControlChannel::readInput()
{
    char buffer[4096];
    ssize_t n = 0;
    do {
        n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    } while (n < 0 && errno == EINTR);
    if (n <= 0) {
        m_notifier->setEnabled(false);
        finish();
        return;
    }
    take(QByteArray(buffer, static_cast<qsizetype>(n)));
}

#endif

void ControlChannel::take(const QByteArray& bytes)
{
    m_buffer.append(bytes);
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

void ControlChannel::finish()
{
    if (!m_buffer.isEmpty())
        emit commandReceived(std::exchange(m_buffer, QByteArray()));
    emit endOfInput();
}

} // namespace tarvin::sim
