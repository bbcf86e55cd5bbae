#include "monitor.h"

#include "core/diagnostics/diagnostics_support.h"
#include "core/diagnostics/interface_mode.h"
#include "core/diagnostics/reply_fields.h"
#include "core/files/capture_format.h"
#include "core/link/framing.h"

#include <QDateTime>

namespace tarvin {

namespace {

QString Where(const Settings& s)
{
    if (s.usesTcp())
        return QStringLiteral("%1:%2").arg(QString::fromLatin1(s.ipAddress.c_str())).arg(s.port);
    return QString::fromLatin1(s.comPort.c_str());
}

} // namespace

Monitor::Monitor(Options options, CaptureFile& out, QObject* parent)
    : QObject(parent), m_options(std::move(options)), m_session(this),
      m_recorder(m_session, out, std::string("tarvin-monitor ") + PROJECT_VERSION)
{
    m_session.settings() = m_options.link;
    m_session.setHexNumbers(m_options.hexNumbers);
    m_session.setDecodeOptions(m_options.decodeOptions);
    // The capture file is the log: nothing goes to the session's panes.
    m_session.state().logDisplay = false;
    connect(&m_recorder, &CaptureRecorder::failed, this, &Monitor::fatal);
    connect(&m_session.link(), &LinkSession::linkLost, this,
            [this] { linkDown(QStringLiteral("link lost")); });
    connect(&m_session.link(), &LinkSession::socketError, this, [this](int, const QString& text) {
        if (m_up)
            linkDown(QStringLiteral("link lost: ") + text);
    });
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &Monitor::attempt);
}

void Monitor::start()
{
    marker(QStringLiteral("capture started, connecting to %1").arg(Where(m_options.link)));
    attempt();
}

void Monitor::stop(const QString& why)
{
    m_stopping = true;
    m_retry.stop();
    m_session.link().requestCancel();
    m_session.Disconnect();
    marker(QStringLiteral("capture stopped (%1)").arg(why));
}

void Monitor::attempt()
{
    if (m_stopping || m_attempting)
        return;
    m_attempting = true;
    // A line cut off by the last link's end would swallow the new link's
    // first characters; the capture records it as it was, unfinished.
    const QByteArray partial = m_session.link().partialLine();
    if (!partial.isEmpty()) {
        marker(QStringLiteral("unfinished line when the link ended: ") +
               QString::fromLatin1(partial));
        m_session.link().clearPartialLine();
    }
    // The workbench's own handshake: a reset, answered by the interface.
    QString failure;
    const bool answered = m_session.Connect(&failure, m_options.answerTimeoutMs);
    if (m_stopping) {
        m_attempting = false;
        return;
    }
    if (!answered) {
        m_attempting = false;
        scheduleRetry(failure.replace(QLatin1Char('\r'), QLatin1Char(' ')));
        return;
    }
    if (m_options.defaultMode || m_options.allMonitor)
        m_session.SetDefaultMode();
    if (m_options.allMonitor)
        startMonitoring();
    m_attempting = false;
    if (!m_session.link().CommsOpen()) {
        scheduleRetry(QStringLiteral("link lost while setting the mode"));
        return;
    }
    m_up = true;
    m_delaySeconds = 1;
    if (m_downSince.isValid()) {
        const qint64 gap = m_downSince.secsTo(QDateTime::currentDateTime());
        marker(QStringLiteral("reconnected to %1 after a gap of %2 s")
                   .arg(Where(m_options.link))
                   .arg(gap));
        m_downSince = QDateTime();
    } else {
        marker(QStringLiteral("connected to %1").arg(Where(m_options.link)));
    }
}

bool Monitor::startMonitoring()
{
    // The monitoring command depends on the firmware: ask for its version.
    const PCIRequest& request = kPCIRequests[kPCIFirmwareVersion];
    const Reply reply =
        m_session.SendCALGetResponse(QByteArray(request.command), QByteArray(request.pattern), 1, 2,
                                     QStringLiteral("Get PCI Data: Firmware Version"));
    if (!m_session.link().CommsOpen())
        return false;
    const int version = ExtractVersion(
        DecodePCIField(kPCIFirmwareVersion, StripReplyMarkers(reply.line.toStdString())));
    if (version > 0)
        m_session.state().firmwareVersion = version;
    const std::string command = StartMonitoringCommand(m_session.state().firmwareVersion);
    if (command.empty()) {
        marker(m_session.state().firmwareVersion == 0
                   ? QStringLiteral("the PCI did not give its firmware version, so it cannot be "
                                    "put in its monitoring mode: capturing what it passes on")
                   : QStringLiteral("PCI firmware %1 has no monitoring mode: capturing what it "
                                    "passes on")
                         .arg(QString::fromLatin1(VersionText(version).c_str())));
        return true;
    }
    // Lines come in monitored as soon as the command is out, before the
    // pause after it ends: the capture says so from the command on.
    m_session.state().allMonitor = true;
    m_session.SendTarvinCommand(QByteArray::fromStdString(command));
    return m_session.link().CommsOpen();
}

void Monitor::linkDown(const QString& why)
{
    if (!m_up || m_stopping)
        return;
    m_up = false;
    m_downSince = QDateTime::currentDateTime();
    m_session.Disconnect();
    scheduleRetry(why);
}

void Monitor::scheduleRetry(const QString& why)
{
    if (m_stopping)
        return;
    if (!m_downSince.isValid())
        m_downSince = QDateTime::currentDateTime();
    marker(QStringLiteral("%1; retrying in %2 s").arg(why).arg(m_delaySeconds));
    m_retry.start(m_delaySeconds * 1000);
    m_delaySeconds = std::min(m_delaySeconds * 2, std::max(1, m_options.retryMaxSeconds));
}

} // namespace tarvin
