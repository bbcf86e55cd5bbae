#include "session/link_session.h"

#include <QElapsedTimer>

#include <utility>

namespace tarvin {

namespace {
constexpr int kTcpConnectMs = 5000;
constexpr double kLinePause = 0.2;
} // namespace

LinkSession::LinkSession(ProgramState& state, const Settings& settings, QObject* parent)
    : QObject(parent), m_state(state), m_settings(settings), m_serial(this), m_tcp(this),
      m_waiter(this)
{
    connect(&m_serial, &Transport::received, this, &LinkSession::ProcessReceivedText);
    connect(&m_tcp, &Transport::received, this, &LinkSession::ProcessReceivedText);
    connect(&m_tcp, &TcpTransport::stateChanged, this, [this] {
        m_waiter.poke();
        const auto state = m_tcp.socket().state();
        if (state == QAbstractSocket::ConnectedState) {
            m_tcpUp = true;
        } else if (state == QAbstractSocket::UnconnectedState && m_tcpUp) {
            m_tcpUp = false;
            if (!m_closing) {
                if (m_lastError.isEmpty())
                    m_lastError = m_tcp.socket().errorString();
                m_lost = true;
                m_waiter.poke();
                emit linkLost();
            }
        }
    });
    connect(&m_tcp, &Transport::failed, this, [this](int code, const QString& text) {
        m_lastError = text;
        m_waiter.poke();
        emit socketError(code, text);
    });
    connect(&m_serial, &Transport::failed, this, [this](int, const QString& text) {
        // A port that vanished (an unplugged adapter) is closed so that sends
        // stop instead of failing one by one.
        m_lastError = text;
        m_serial.close();
        m_lost = true;
        m_waiter.poke();
        emit linkLost();
    });
}

Transport& LinkSession::transport()
{
    if (m_settings.usesTcp())
        return m_tcp;
    return m_serial;
}

const Transport& LinkSession::transport() const
{
    if (m_settings.usesTcp())
        return m_tcp;
    return m_serial;
}

bool LinkSession::CommsOpen() const
{
    return transport().isOpen();
}

bool LinkSession::OpenComms(QString* error)
{
    m_lastError.clear();
    m_lost = false;
    if (m_settings.usesTcp()) {
        if (m_tcp.isOpen())
            return true;
        const int port = m_settings.port;
        m_tcp.connectTo(QString::fromLatin1(m_settings.ipAddress.c_str()),
                        static_cast<quint16>(port >= 0 && port <= 65535 ? port : 0));
        const auto settled = [this] {
            const auto s = m_tcp.socket().state();
            return s == QAbstractSocket::ConnectedState || s == QAbstractSocket::UnconnectedState;
        };
        m_waiter.waitUntil(settled, kTcpConnectMs);
        return true;
    }
    if (m_serial.isOpen())
        return true;
    if (!m_serial.open(QString::fromLatin1(m_settings.comPort.c_str()))) {
        if (error)
            *error = m_serial.errorString();
        return false;
    }
    return true;
}

void LinkSession::CloseComms()
{
    m_closing = true;
    m_serial.close();
    m_tcp.close();
    m_closing = false;
}

void LinkSession::SendString(const QByteArray& text)
{
    if (!CommsOpen())
        return;
    transport().write(text + '\r');
}

void LinkSession::SetFlowControl(bool on)
{
    if (!m_settings.usesTcp())
        m_serial.setSoftwareFlowControl(on);
}

void LinkSession::SendTarvinString(const QByteArray& line, const QString& description)
{
    if (!CommsOpen() || line.isEmpty())
        return;
    if (m_state.showDecodedMessage && !description.isEmpty())
        emit transmitted(description);
    emit lineSent(line, description);
    SendString(line + '\r');
    Delay(kLinePause);
}

void LinkSession::SendModeSequence(const ModeSequence& mode)
{
    for (int i = 0; i < mode.count; ++i)
        SendTarvinString(mode.lines[i].line, QString::fromLatin1(mode.lines[i].caption));
    m_state.interfaceOptions = static_cast<std::uint8_t>(mode.optionsAfter);
}

void LinkSession::SendTarvinCommand(const QByteArray& text, const QString& description)
{
    if (!CommsOpen() || text.isEmpty())
        return;
    const std::string data =
        FrameCommand(text.toStdString(), m_state.interfaceOptions, m_useAck, m_ack);
    SendTarvinString(QByteArray::fromStdString(data),
                     description.isEmpty() && m_describe ? m_describe(text) : description);
}

void LinkSession::requestCancel()
{
    m_cancel = true;
    m_waiter.poke();
}

ReplyOutcome LinkSession::interruption() const
{
    if (m_lost)
        return ReplyOutcome::LinkLost;
    return m_cancel ? ReplyOutcome::Cancelled : ReplyOutcome::NoReply;
}

bool LinkSession::waitFor(const std::function<bool()>& done, int milliseconds)
{
    m_waiter.waitUntil([&] { return done() || m_cancel || m_lost; }, milliseconds);
    return done();
}

Reply LinkSession::SendCALGetResponse(const QByteArray& command, const QByteArray& pattern,
                                      int seconds, int tries, const QString& description)
{
    // A request asked from inside another's wait keeps the outer one's
    // pattern and answer for when it returns.
    const std::string outerAwaited = std::exchange(m_awaited, pattern.toStdString());
    const QByteArray outerReply = std::exchange(m_reply, QByteArray());
    const bool outerReplied = std::exchange(m_replied, false);
    m_lastReceived.clear();
    if (!m_awaited.empty())
        m_awaited[0] = '?';
    Reply result;
    for (int attempt = 0; attempt < tries; ++attempt) {
        if (interruption() != ReplyOutcome::NoReply)
            break;
        SendTarvinCommand(command, description);
        // "More than the given seconds" since the send: the wait ends just past it.
        if (waitFor([this] { return m_replied; }, seconds * 1000 + 1))
            break;
    }
    if (m_replied)
        result = {m_reply, ReplyOutcome::Answered};
    else
        result.outcome = interruption();
    m_awaited = outerAwaited;
    m_reply = outerReply;
    m_replied = outerReplied;
    return result;
}

void LinkSession::ProcessReceivedText(const QByteArray& piece)
{
    m_lines.clear();
    m_assembler.Feed(std::string_view(piece.constData(), static_cast<std::size_t>(piece.size())),
                     m_showAscii, m_lines);
    // Handlers may run nested waits that receive more text: work on a copy.
    const std::vector<ReceivedLine> lines = std::move(m_lines);
    m_lines.clear();
    for (const ReceivedLine& line : lines) {
        if (line.terminator)
            m_state.connected = true;
        emit lineCompleted(line);
        if (line.keep()) {
            m_lastReceived = QByteArray::fromStdString(line.buffer);
            if (!m_replied && !m_awaited.empty() && StringsMatch(m_awaited, line.buffer)) {
                m_reply = m_lastReceived;
                m_replied = true;
            }
        }
        m_waiter.poke();
    }
}

} // namespace tarvin
