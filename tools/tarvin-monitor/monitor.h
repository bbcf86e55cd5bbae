#pragma once
// Unattended capture: keeps a link to the interface up, reconnecting with
// back-off when it drops, and writes every line that crosses it.

#include "capture_file.h"
#include "core/decode/decode.h"
#include "core/files/settings.h"
#include "session/session.h"

#include <QObject>
#include <QTimer>

namespace tarvin {

class Monitor : public QObject
{
    Q_OBJECT
public:
    struct Options
    {
        Settings link;            // connection type, port name, address, port
        bool defaultMode = false; // put the interface in the default mode
        // then ask it for all traffic, as the traffic analyser does
        bool allMonitor = false;
        int decodeOptions = ShowMessage;
        bool hexNumbers = false;
        int retryMaxSeconds = 30;
        int answerTimeoutMs = 3000;
    };

    Monitor(Options options, CaptureFile& out, QObject* parent = nullptr);

    // Connects (and keeps reconnecting) until stop().
    void start();
    void stop(const QString& why);

signals:
    // The capture cannot go on (the output cannot be written).
    void fatal(const QString& message);

private:
    void attempt();
    // The analyser's monitoring mode, when the firmware can; false when the
    // link went away meanwhile.
    bool startMonitoring();
    void linkDown(const QString& why);
    void scheduleRetry(const QString& why);
    void received(const ReceivedLine& line);
    void sent(const QByteArray& line, const QString& description);
    void write(char direction, const std::string& raw, const std::string& description);
    void marker(const QString& text);
    std::string stamp() const;

    Options m_options;
    CaptureFile& m_out;
    Session m_session;
    QTimer m_retry;
    int m_delaySeconds = 1;
    bool m_up = false;
    bool m_stopping = false;
    bool m_attempting = false;
    QDateTime m_downSince;
};

} // namespace tarvin
