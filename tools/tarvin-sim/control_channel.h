#pragma once

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>

#include <memory>

namespace tarvin::sim {

// Reads commands, one per line, from standard input.
class ControlChannel : public QObject
{
    Q_OBJECT

public:
    explicit ControlChannel(QObject* parent = nullptr);
    ~ControlChannel() override;
    ControlChannel(const ControlChannel&) = delete;
    ControlChannel& operator=(const ControlChannel&) = delete;

signals:
    void commandReceived(const QByteArray& line);
    void endOfInput();

private:
    void take(const QByteArray& bytes);
    void finish();
#ifdef Q_OS_WIN
    void* m_reader = nullptr; // the reading thread's handle
#else
    void readInput();
    std::unique_ptr<QSocketNotifier> m_notifier;
#endif

    static constexpr qsizetype kMaxCommand = 1024 * 1024;

    QByteArray m_buffer;
};

} // namespace tarvin::sim
