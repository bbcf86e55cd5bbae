#include "link/link_session.h"

#include <QElapsedTimer>

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
            if (!m_closing)
                emit linkLost();
        }
    });
    connect(&m_tcp, &Transport::failed, this, [this](int code, const QString& text) {
        m_waiter.poke();
        emit socketError(code, text);
    });
    connect(&m_serial, &Transport::failed, this, [this](int, const QString&) {
        // A port that vanished (an unplugged adapter) is closed so that sends
        // stop instead of failing one by one.
        m_serial.close();
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

void LinkSession::SendTarvinCommand(const QByteArray& text)
{
    if (!CommsOpen() || text.isEmpty())
        return;
    const std::string data =
        FrameCommand(text.toStdString(), m_state.interfaceOptions, m_useAck, m_ack);
    const QString description = m_describe ? m_describe(text) : QString();
    SendTarvinString(QByteArray::fromStdString(data), description);
}

QByteArray LinkSession::SendCALGetResponse(const QByteArray& command, const QByteArray& pattern,
                                           int seconds, int tries)
{
    m_lastReceived.clear();
    std::string wanted = pattern.toStdString();
    if (!wanted.empty())
        wanted[0] = '?';
    const auto matched = [&] {
        return !m_lastReceived.isEmpty() && StringsMatch(wanted, m_lastReceived.toStdString());
    };
    for (int attempt = 0; attempt < tries; ++attempt) {
        SendTarvinCommand(command);
        // "More than the given seconds" since the send: the wait ends just past it.
        if (m_waiter.waitUntil(matched, seconds * 1000 + 1))
            return m_lastReceived;
    }
    return {};
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
        if (line.keep())
            m_lastReceived = QByteArray::fromStdString(line.buffer);
        m_waiter.poke();
    }
}

} // namespace tarvin
