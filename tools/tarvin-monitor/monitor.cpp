#include "monitor.h"

#include "core/diagnostics/diagnostics_support.h"
#include "core/diagnostics/interface_mode.h"
#include "core/diagnostics/reply_fields.h"
#include "core/files/capture_format.h"
#include "core/link/framing.h"

#include <QDateTime>

namespace tarvin {

Monitor::Monitor(Options options, CaptureFile& out, QObject* parent)
    : QObject(parent), m_options(std::move(options)), m_session(this),
      m_recorder(m_session, out, std::string("tarvin-monitor ") + PROJECT_VERSION),
      m_keeper(m_session, this)
{
    m_session.settings() = m_options.link;
    m_session.setHexNumbers(m_options.hexNumbers);
    m_session.setDecodeOptions(m_options.decodeOptions);
    // The capture file is the log: nothing goes to the session's panes.
    m_session.state().logDisplay = false;
    connect(&m_recorder, &CaptureRecorder::failed, this, &Monitor::fatal);
    connect(&m_keeper, &LinkKeeper::marker, this, &Monitor::marker);
    m_keeper.setRetryMaxSeconds(m_options.retryMaxSeconds);
    m_keeper.setAnswerTimeoutMs(m_options.answerTimeoutMs);
    m_keeper.setPrepare([this] {
        if (m_options.defaultMode || m_options.allMonitor)
            m_session.SetDefaultMode();
        if (m_options.allMonitor)
            startMonitoring();
    });
}

void Monitor::start()
{
    marker(
        QStringLiteral("capture started, connecting to %1").arg(LinkKeeper::Where(m_options.link)));
    m_keeper.start();
}

void Monitor::stop(const QString& why)
{
    m_keeper.stop();
    marker(QStringLiteral("capture stopped (%1)").arg(why));
}

bool Monitor::startMonitoring()
{
    // The monitoring command depends on the firmware: ask for its version.
    const PCIRequest& request = kPCIRequests[kPCIFirmwareVersion];
    const Reply reply = m_session.askPCI(request.command, request.tail, 1, 2,
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

} // namespace tarvin
