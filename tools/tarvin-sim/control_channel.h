#pragma once

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>

#include <memory>

namespace tarvin::sim {

// Reads commands, one per line, from a file descriptor (standard input).
class ControlChannel : public QObject
{
    Q_OBJECT

public:
    explicit ControlChannel(int fd, QObject* parent = nullptr);

signals:
    void commandReceived(const QByteArray& line);
    void endOfInput();

private:
    void readInput();

    static constexpr qsizetype kMaxCommand = 1024 * 1024;

    int m_fd;
    QByteArray m_buffer;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace tarvin::sim
