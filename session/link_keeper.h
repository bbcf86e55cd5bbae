#pragma once
// Keeps a session's link up: the workbench's connect handshake, then, when
// the link drops or the interface does not answer, new attempts after 1, 2,
// 4 ... seconds up to a longest wait. Every step is told as a marker text,
// so the tools that stand on it can record the gaps.

#include "session/session.h"

#include <QDateTime>
#include <QObject>
#include <QTimer>

#include <functional>

namespace tarvin {

class LinkKeeper : public QObject
{
    Q_OBJECT
public:
    explicit LinkKeeper(Session& session, QObject* parent = nullptr);

    void setRetryMaxSeconds(int seconds) { m_retryMaxSeconds = seconds; }
    void setAnswerTimeoutMs(int milliseconds) { m_answerTimeoutMs = milliseconds; }
    // Run once the interface has answered, before the link counts as up (the
    // mode to put the interface in); the link may go away while it runs.
    void setPrepare(std::function<void()> prepare) { m_prepare = std::move(prepare); }

    // Connects, and keeps reconnecting until stop().
    void start();
    // No further attempt; the link is closed.
    void stop();
    bool isUp() const { return m_up; }

    // "127.0.0.1:14000" or the serial port's name.
    static QString Where(const Settings& settings);

signals:
    // A note about the link (connected, lost, retrying, back after a gap).
    void marker(const QString& text);
    void linkUp();
    void linkDown();

private:
    void attempt();
    void lost(const QString& why);
    void scheduleRetry(const QString& why);

    Session& m_session;
    std::function<void()> m_prepare;
    QTimer m_retry;
    int m_retryMaxSeconds = 30;
    int m_answerTimeoutMs = 3000;
    int m_delaySeconds = 1;
    bool m_up = false;
    bool m_stopping = false;
    bool m_attempting = false;
    QDateTime m_downSince;
};

} // namespace tarvin
