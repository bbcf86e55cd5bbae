#pragma once
// Unattended capture: keeps a link to the interface up, reconnecting with
// back-off when it drops, and writes every line that crosses it.

#include "core/decode/decode.h"
#include "core/files/settings.h"
#include "session/capture_file.h"
#include "session/capture_recorder.h"
#include "session/link_keeper.h"
#include "session/session.h"

#include <QObject>

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
    // The analyser's monitoring mode, when the firmware can; false when the
    // link went away meanwhile.
    bool startMonitoring();
    void marker(const QString& text) { m_recorder.marker(text); }

    Options m_options;
    Session m_session;
    CaptureRecorder m_recorder;
    LinkKeeper m_keeper;
};

} // namespace tarvin
