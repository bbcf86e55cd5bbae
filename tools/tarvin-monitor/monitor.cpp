#include "monitor.h"

#include <QDateTime>

namespace tarvin {

namespace {

std::string Latin1(const QString& s)
{
    return s.toLatin1().toStdString();
}

QString Where(const Settings& s)
{
    if (s.usesTcp())
        return QStringLiteral("%1:%2").arg(QString::fromLatin1(s.ipAddress.c_str())).arg(s.port);
    return QString::fromLatin1(s.comPort.c_str());
}

} // namespace

Monitor::Monitor(Options options, CaptureFile& out, QObject* parent)
    : QObject(parent), m_options(std::move(options)), m_out(out),
      m_link(m_state, m_options.link, this)
{
    m_link.setDescriber([this](const QByteArray& text) {
        DecodeContext context{m_options.hexNumbers, m_state.interfaceOptions};
        return QString::fromLatin1(QByteArray::fromStdString(m_decoder.DecodeMessage(
            text.toStdString(), m_options.decodeOptions + SentCommand, context)));
    });
    connect(&m_link, &LinkSession::lineCompleted, this, &Monitor::received);
    connect(&m_link, &LinkSession::lineSent, this, &Monitor::sent);
    connect(&m_link, &LinkSession::linkLost, this,
            [this] { linkDown(QStringLiteral("link lost")); });
    connect(&m_link, &LinkSession::socketError, this, [this](int, const QString& text) {
        if (m_up)
            linkDown(QStringLiteral("link lost: ") + text);
    });
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &Monitor::attempt);
}

std::string Monitor::stamp() const
{
    return Latin1(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")));
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
    m_link.waiter().poke();
    m_link.CloseComms();
    marker(QStringLiteral("capture stopped (%1)").arg(why));
}

void Monitor::attempt()
{
    if (m_stopping || m_attempting)
        return;
    m_attempting = true;
    m_state.connected = false;
    // A line cut off by the last link's end would swallow the new link's
    // first characters; the capture records it as it was, unfinished.
    const QByteArray partial = m_link.partialLine();
    if (!partial.isEmpty()) {
        marker(QStringLiteral("unfinished line when the link ended: ") +
               QString::fromLatin1(partial));
        m_link.clearPartialLine();
    }
    QString error;
    if (!m_link.OpenComms(&error) || !m_link.CommsOpen()) {
        m_attempting = false;
        scheduleRetry(error.isEmpty() ? QStringLiteral("cannot connect") : error);
        return;
    }
    // The handshake of the workbench: a reset, answered by the interface.
    m_link.SendModeSequence(kBasicMode);
    const bool answered = m_link.waiter().waitUntil(
        [this] { return m_state.connected || m_stopping; }, m_options.answerTimeoutMs);
    if (m_stopping) {
        m_attempting = false;
        return;
    }
    if (!answered || !m_link.CommsOpen()) {
        m_link.CloseComms();
        m_attempting = false;
        scheduleRetry(QStringLiteral("no answer from the interface"));
        return;
    }
    if (m_options.defaultMode)
        m_link.SendModeSequence(kDefaultMode);
    m_attempting = false;
    if (!m_link.CommsOpen()) {
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

void Monitor::linkDown(const QString& why)
{
    if (!m_up || m_stopping)
        return;
    m_up = false;
    m_downSince = QDateTime::currentDateTime();
    m_link.CloseComms();
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

void Monitor::received(const ReceivedLine& line)
{
    // Line feeds after a carriage return complete a line of nothing.
    if (!line.keep())
        return;
    DecodeContext context{m_options.hexNumbers, m_state.interfaceOptions};
    write('R', line.buffer, m_decoder.DecodeMessage(line.part, m_options.decodeOptions, context));
}

void Monitor::sent(const QByteArray& line, const QString& description)
{
    write('T', line.toStdString(), Latin1(description));
}

void Monitor::write(char direction, const std::string& raw, const std::string& description)
{
    if (!m_out.write(CaptureLine(m_out.format(), stamp(), direction, raw, description)))
        emit fatal(m_out.errorString());
}

void Monitor::marker(const QString& text)
{
    if (!m_out.write(CaptureMarker(m_out.format(), stamp(), Latin1(text))))
        emit fatal(m_out.errorString());
}

} // namespace tarvin
