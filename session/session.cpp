#include "session/session.h"

#include "core/decode/hex.h"
#include "core/diagnostics/diagnostics_support.h"
#include "core/diagnostics/reply_fields.h"
#include "core/link/framing.h"
#include "core/link/log_text.h"
#include "session/settings_store.h"
#include "session/transports.h"

#include <algorithm>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace tarvin {

namespace {

QString Latin1(const std::string& s)
{
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

Session::Session(QObject* parent) : QObject(parent), m_link(m_state, m_settings, this)
{
    m_link.setObjectName(QStringLiteral("LinkSession"));
    m_clock = [] { return QDateTime::currentDateTime(); };
    m_link.setDescriber([this](const QByteArray& text) { return DescribeCommand(text); });
    connect(&m_link, &LinkSession::transmitted, this,
            [this](const QString& description) { Log(1, description); });
    connect(&m_link, &LinkSession::lineCompleted, this, &Session::ReceiveLine);
    connect(&m_link, &LinkSession::lineSent, this,
            [this](const QByteArray& line, const QString& description) {
                Remember('T', line.toStdString(), description.toLatin1().toStdString());
            });
    m_history.setLimit(static_cast<std::size_t>(m_settings.sessionCaptureLines));
    connect(&m_link, &LinkSession::linkLost, this, &Session::LinkWentAway);
}

Session::~Session()
{
    m_link.CloseComms();
}

// ---------------------------------------------------------------------------
// Numbers and decoding

QString Session::DescribeCommand(const QByteArray& text)
{
    return Latin1(m_decoder.DecodeMessage(text.toStdString(), m_decodeOptions + SentCommand,
                                          decodeContext()));
}

void Session::setHexNumbers(bool on)
{
    if (on == m_hexNumbers)
        return;
    m_hexNumbers = on;
    m_settings.hexNumbers = on;
    emit hexNumbersChanged(on);
}

DecodeContext Session::decodeContext() const
{
    DecodeContext context;
    context.hexNumbers = m_hexNumbers;
    context.interfaceOptions = m_state.interfaceOptions;
    return context;
}

QString Session::NumberString(long long n) const
{
    return Latin1(tarvin::NumberString(n, m_hexNumbers));
}

long long Session::StringToNumber(const QString& text) const
{
    return tarvin::StringToNumber(text.toLatin1().toStdString(), m_hexNumbers);
}

// ---------------------------------------------------------------------------
// The remote network path

void Session::setRemotePath(bool on, const QString& path)
{
    m_remote = on;
    m_path = path.toLatin1().toStdString();
}

QByteArray Session::HeaderOrRefusal(const std::optional<std::string>& header)
{
    if (!header) {
        emit error(QStringLiteral("Invalid Remote Network Path."));
        return {};
    }
    return QByteArray::fromStdString(*header);
}

QByteArray Session::SALHeader(int application)
{
    return HeaderOrRefusal(tarvin::SALHeader(application, m_remote, m_path));
}

QByteArray Session::CALHeaderForUnit(int unit)
{
    return HeaderOrRefusal(tarvin::CALHeaderForUnit(unit, m_remote, m_path));
}

int Session::GetNetworkPathLength() const
{
    return tarvin::GetNetworkPathLength(m_remote, m_path);
}

std::string Session::replyPath() const
{
    return GetNetworkPathLength() > 0 ? m_path : std::string();
}

// ---------------------------------------------------------------------------
// The Tx/Rx log

QString Session::TimeStampText() const
{
    const QDateTime now = m_clock();
    const QTime t = now.time();
    const std::string date =
        m_settings.showDate
            ? QLocale::system().toString(now.date(), QLocale::ShortFormat).toLatin1().toStdString()
            : std::string();
    return Latin1(tarvin::TimeStampText({t.hour(), t.minute(), t.second(), t.msec()},
                                        m_settings.timeDP, date));
}

void Session::Log(int direction, const QString& text)
{
    if (!m_state.logDisplay)
        return;
    const Direction dir = direction == 1 ? Direction::Transmitted : Direction::Received;
    const std::string stamp =
        m_settings.showTime ? TimeStampText().toLatin1().toStdString() : std::string();
    const std::string body = text.toLatin1().toStdString();
    emit logged(direction, Latin1(PaneLine(dir, body, m_settings.combineLists, stamp)));
    WriteCommandLog(QByteArray::fromStdString(CommandLogLine(dir, body, stamp)));
}

void Session::WriteCommandLog(const QByteArray& line)
{
    if (!m_commandLog)
        return;
    m_commandLog->write(line + "\r\n");
    m_commandLog->flush();
}

QString Session::CaptureStampText() const
{
    return m_clock().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

CountingMode Session::countingMode() const
{
    // Outside the monitoring mode a line is only as good as its checksum.
    return m_state.allMonitor ? CountingMode::AllMonitor : CountingMode::Default;
}

void Session::Remember(char direction, const std::string& raw, const std::string& description)
{
    // As in a capture file, a header says how the lines after it were
    // taken, so that they are counted as they came.
    const CountingMode mode = countingMode();
    if (!m_historyMode || *m_historyMode != mode) {
        m_historyMode = mode;
        CaptureRecord header;
        header.kind = CaptureRecord::Marker;
        header.stamp = CaptureStampText().toStdString();
        CaptureHeader fields;
        fields.program = "tarvin-diagnostic";
        fields.mode = CountingModeName(mode);
        header.text = CaptureHeaderText(fields);
        m_history.add(header, mode);
    }
    CaptureRecord record;
    record.kind = direction ? CaptureRecord::Line : CaptureRecord::Marker;
    record.stamp = CaptureStampText().toStdString();
    record.direction = direction;
    record.raw = raw;
    record.description = description;
    record.text = description;
    m_history.add(record, mode);
}

void Session::setHistoryLimit(int lines)
{
    m_settings.sessionCaptureLines =
        std::clamp(lines, kMinSessionCaptureLines, kMaxSessionCaptureLines);
    m_history.setLimit(static_cast<std::size_t>(m_settings.sessionCaptureLines));
}

void Session::setSettings(const Settings& chosen)
{
    m_settings = chosen;
    m_history.setLimit(static_cast<std::size_t>(m_settings.sessionCaptureLines));
    setDecodeOptions(m_settings.decodeOptions());
}

void Session::readSettings()
{
    ReadSettingsStore(m_settings);
    m_history.setLimit(static_cast<std::size_t>(m_settings.sessionCaptureLines));
    setDecodeOptions(m_settings.decodeOptions());
}

void Session::writeSettings() const
{
    WriteSettingsStore(m_settings);
}

void Session::Note(const QString& text)
{
    Remember(0, {}, text.toLatin1().toStdString());
    // An event of the link, neither sent nor received: no direction.
    const QString line = m_settings.showTime ? TimeStampText() + QStringLiteral("  ") + text : text;
    emit logged(0, line);
    WriteCommandLog(line.toLatin1());
}

void Session::ReceiveLine(const ReceivedLine& line)
{
    if (line.keep())
        for (const std::string& raw : m_resetEcho.Feed(line.buffer))
            Remember('R', raw,
                     raw == line.buffer
                         ? m_decoder.DecodeMessage(line.part, m_decodeOptions, decodeContext())
                         : std::string());
    if (!m_state.allMonitor && m_state.showDecodedMessage) {
        const std::string description =
            m_decoder.DecodeMessage(line.part, m_decodeOptions, decodeContext());
        if (!description.empty())
            Log(2, Latin1(description));
    }
    if (m_state.allMonitor)
        CountAnalyserMessage(m_statistics, line.part);
    if (m_state.mmiMode != 0) {
        // The program state owns the mode; follow it whoever set it.
        m_mmi.setMode(m_state.mmiMode);
        m_mmi.CollectMMIReply(line.part);
    }
    emit received(line);
}

bool FolderTakesFiles(const QString& folder)
{
    // Asked by trying: Windows' access lists (under Program Files, say) do
    // not show in the permissions Qt reads by default.
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral("tarvin-XXXXXX.tmp")));
    return probe.open();
}

QString Session::dataFolder()
{
    const QString chosen = qEnvironmentVariable("TARVIN_DATA_DIR");
    if (!chosen.isEmpty()) {
        QDir().mkpath(chosen);
        return chosen;
    }
    const QString beside = QCoreApplication::applicationDirPath();
    if (FolderTakesFiles(beside))
        return beside;
#ifdef Q_OS_WIN
    // Where Windows users look for what a program wrote for them.
    const QString data = QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                             .filePath(QStringLiteral("Tarvin Diagnostic"));
#else
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
#endif
    QDir().mkpath(data);
    return data;
}

QString Session::commandLogPath() const
{
    return QDir(dataFolder()).filePath(QStringLiteral("log.txt"));
}

bool Session::openCommandLog(bool append, QString* error)
{
    const QString path = commandLogPath();
    auto file = std::make_unique<QFile>(path);
    const auto mode = QIODevice::WriteOnly | (append ? QIODevice::Append : QIODevice::Truncate);
    if (!file->open(mode)) {
        if (error)
            *error = QStringLiteral("Cannot open the command log %1: %2")
                         .arg(QDir::toNativeSeparators(path), file->errorString());
        return false;
    }
    m_commandLog = std::move(file);
    return true;
}

void Session::closeCommandLog()
{
    m_commandLog.reset();
}

// ---------------------------------------------------------------------------
// The connection

QString Session::SocketboxName() const
{
    return QStringLiteral("IP Address %1, Port %2")
        .arg(Latin1(m_settings.ipAddress))
        .arg(m_settings.port);
}

QString Session::linkName() const
{
    if (m_settings.usesTcp())
        return QStringLiteral("Socketbox %1:%2")
            .arg(Latin1(m_settings.ipAddress))
            .arg(m_settings.port);
    return QStringLiteral("PCI on ") + Latin1(m_settings.comPort);
}

bool Session::Connect(QString* failure, int answerMs)
{
    const auto fail = [&](const QString& text) {
        m_link.CloseComms();
        m_state.connected = false;
        if (failure)
            *failure = text;
        emit connectionChanged();
        return false;
    };
    m_state.connected = false;
    // Stored settings that cannot work (edited by hand, or from an older
    // version) are named, not tried: a port outside 16 bits would wrap.
    if (m_settings.usesTcp() &&
        (m_settings.ipAddress.empty() || m_settings.port < 1 || m_settings.port > 65535))
        return fail(QStringLiteral("Cannot connect to the Socketbox at %1: set its IP address and "
                                   "a port from 1 to 65535 in Program Options.")
                        .arg(SocketboxName()));
    QString error;
    if (!m_link.OpenComms(&error)) {
        const QStringList ports = ListedSerialPorts();
        return fail(QStringLiteral("Cannot open serial port %1: %2\r")
                        .arg(Latin1(m_settings.comPort), error) +
                    (ports.isEmpty() ? QStringLiteral("This computer lists no serial ports.")
                                     : QStringLiteral("Serial ports on this computer: ") +
                                           ports.join(QStringLiteral(", "))));
    }
    m_lostAt = QDateTime();
    m_state.pciAddress = -1; // perhaps another PCI now
    m_link.clearCancel();
    m_link.ack().reset();
    m_link.clearPartialLine();
    ResetPCI();
    // A connection refused or closed ends the wait at once, not after answerMs.
    m_link.waitFor([this] { return m_state.connected || !m_link.CommsOpen(); }, answerMs);
    if (m_state.connected && m_link.CommsOpen()) {
        emit connectionChanged();
        return true;
    }
    if (m_settings.usesTcp() && m_link.CommsOpen())
        return fail(
            QStringLiteral("The Socketbox at %1 accepted the connection but did not answer.")
                .arg(SocketboxName()));
    if (m_settings.usesTcp()) {
        const QString reason = m_link.lastError();
        return fail(QStringLiteral("Socketbox not found at ") + SocketboxName() +
                    (reason.isEmpty() ? QString() : QStringLiteral(": ") + reason));
    }
    return fail(QStringLiteral("PCI Not Found on Serial Port ") + Latin1(m_settings.comPort));
}

void Session::Disconnect()
{
    // A command waiting on the link ends with it.
    if (busy())
        m_link.requestCancel();
    m_state.connected = false;
    m_link.CloseComms();
    m_lostAt = QDateTime();
    emit connectionChanged();
}

void Session::LinkWentAway()
{
    const bool wasConnected = m_state.connected;
    m_state.connected = false;
    m_link.CloseComms();
    m_link.clearPartialLine();
    if (!wasConnected)
        return; // a handshake that fails says so itself
    m_lostAt = m_clock();
    const QString reason = m_link.lastError();
    const QString message =
        QStringLiteral("Link lost: %1 (%2)")
            .arg(linkName(), reason.isEmpty() ? QStringLiteral("the link closed") : reason);
    Note(message);
    emit connectionChanged();
    emit linkLost(message);
}

void Session::setFirmwareVersion(int version)
{
    m_state.firmwareVersion = version;
    emit connectionChanged();
}

Reply Session::askPCIAddress(int seconds, int tries, const QString& description)
{
    const PCIRequest& request = kPCIRequests[kPCIUnitAddress];
    Reply reply = SendCALGetResponse(request.command,
                                     QByteArray::fromStdString(PCIReplyPattern(-1, request.tail)),
                                     seconds, tries, description);
    m_state.pciAddress = PCIAddressFromReply(StripReplyMarkers(reply.line.toStdString()));
    if (reply.answered() && m_state.pciAddress < 0)
        reply = Reply{}; // another unit's answer: the PCI said nothing
    return reply;
}

Reply Session::askPCI(const QByteArray& command, const char* tail, int seconds, int tries,
                      const QString& description)
{
    if (m_state.pciAddress < 0) {
        const Reply address = askPCIAddress(seconds, tries, description);
        if (!address.answered())
            return address;
    }
    return SendCALGetResponse(command,
                              QByteArray::fromStdString(PCIReplyPattern(m_state.pciAddress, tail)),
                              seconds, tries, description);
}

QString Session::connectionText() const
{
    if (connected()) {
        const int v = m_state.firmwareVersion;
        const QString firmware = v > 0 ? QStringLiteral("PCI firmware ") + Latin1(VersionText(v))
                                       : QStringLiteral("PCI firmware unknown");
        return QStringLiteral("Connected: %1, %2").arg(linkName(), firmware);
    }
    if (m_lostAt.isValid())
        return QStringLiteral("Link lost at ") + m_lostAt.toString(QStringLiteral("HH:mm:ss"));
    return QStringLiteral("Not connected");
}

// ---------------------------------------------------------------------------
// Mode sequences

void Session::ResetPCI()
{
    m_link.SendModeSequence(kBasicMode);
}

void Session::SetSmartMode()
{
    m_link.SendModeSequence(kSmartMode);
}

void Session::SetDefaultMode()
{
    m_link.SendModeSequence(kDefaultMode);
    m_state.allMonitor = false;
}

// ---------------------------------------------------------------------------
// The command lifecycle

Session::Command Session::begin(const QString& name)
{
    if (busy())
        return Command();
    m_command = name;
    m_link.clearCancel();
    emit commandStarted(name);
    emit commandProgress(name);
    return Command(this);
}

void Session::cancel()
{
    if (busy())
        m_link.requestCancel();
}

Session::Command::Command(Command&& other) noexcept
    : m_session(std::exchange(other.m_session, nullptr))
{
}

Session::Command::~Command()
{
    if (!m_session)
        return;
    const QString name = std::exchange(m_session->m_command, QString());
    const bool interrupted = m_session->m_link.interruption() != ReplyOutcome::NoReply;
    m_session->m_link.clearCancel();
    emit m_session->commandFinished(name, interrupted);
}

void Session::Command::progress(int done, int total)
{
    if (m_session)
        emit m_session->commandProgress(
            QStringLiteral("%1: %2 of %3").arg(m_session->m_command).arg(done).arg(total));
}

bool Session::Command::interrupted() const
{
    return m_session && m_session->m_link.interruption() != ReplyOutcome::NoReply;
}

} // namespace tarvin
