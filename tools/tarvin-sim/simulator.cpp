#include "simulator.h"

#include "control_channel.h"
#include "monitor_injector.h"
#include "tcp_transport.h"
#include "traffic_generator.h"

#include <cstdio>

#ifndef Q_OS_WIN
#include "pty_transport.h"
#endif

namespace tarvin::sim {

namespace {

bool IsHexText(const QByteArray& text)
{
    if (text.isEmpty())
        return false;
    for (char c : text) {
        const bool digit =
            (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
        if (!digit)
            return false;
    }
    return true;
}

// "05" (a unit of the local network) or "0A1B/07" (a unit behind a path).
bool IsSilentTarget(const QByteArray& who)
{
    const QList<QByteArray> parts = who.split('/');
    const QByteArray unit = parts.last();
    if (parts.size() > 2 || unit.size() != 2 || !IsHexText(unit))
        return false;
    if (parts.size() == 2) {
        const QByteArray& path = parts.first();
        return !path.isEmpty() && path.size() % 2 == 0 && path.size() <= 12 && IsHexText(path);
    }
    return true;
}

QByteArray HexByte(unsigned value)
{
    return QByteArray::number(value & 0xFF, 16).toUpper().rightJustified(2, '0');
}

// A monitor line as the interface passes it on in its current mode. `line`
// is written as the default mode gives it (ending in its checksum) when
// `fromFile`, else as the monitoring mode does (generated traffic). In the
// monitoring mode a message ends in its status byte (35 SAL, 9A CAL; 34 and
// 9B when it was damaged), an MMI report or a message cut to its header in
// none; otherwise every line ends in its checksum (a wrong one when damaged).
QByteArray InInterfaceMode(const QByteArray& line, bool fromFile, bool allMonitor)
{
    QByteArray bytes = QByteArray::fromHex(line);
    if (fromFile != allMonitor || !IsHexText(line) || line.size() % 2 != 0 || bytes.size() < 2)
        return line; // already in the mode's form, or no message at all
    const bool sal = (bytes.at(0) & 7) == 5;
    const bool endless = bytes.size() <= 4 || (sal && static_cast<quint8>(bytes.at(3)) == 0x90);
    unsigned sum = 0;
    for (char b : bytes)
        sum += static_cast<quint8>(b);
    bool intact = true;
    if (fromFile) {
        intact = sum % 256 == 0;
        bytes.chop(1);
    } else if (!endless || !sal) {
        const auto mark = static_cast<quint8>(bytes.back());
        intact = mark == 0x35 || mark == 0x9A;
        bytes.chop(1);
    } else {
        intact = bytes.size() > 4;
    }
    if (allMonitor) {
        if (!endless)
            bytes += static_cast<char>(sal ? (intact ? 0x35 : 0x34) : (intact ? 0x9A : 0x9B));
    } else {
        sum = 0;
        for (char b : bytes)
            sum += static_cast<quint8>(b);
        bytes += static_cast<char>((256 - sum % 256 + (intact ? 0 : 1)) % 256);
    }
    return bytes.toHex().toUpper();
}

} // namespace

void PrintLine(const QByteArray& line)
{
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

Simulator::Simulator(const SimConfig& config, const QElapsedTimer& clock, QObject* parent)
    : QObject(parent), m_config(config), m_log(clock), m_random(config.seed)
{
    m_unit.setFault(config.fault);
}

Simulator::~Simulator() = default;

QList<PeerTransport*> Simulator::transports() const
{
    QList<PeerTransport*> list;
    if (m_tcp)
        list.append(m_tcp.get());
    if (m_pty)
        list.append(m_pty.get());
    return list;
}

bool Simulator::start(QString* error)
{
    if (!m_config.networkFile.isEmpty()) {
        const auto installation = SimInstallation::Load(m_config.networkFile, error);
        if (!installation)
            return false;
        m_unit = InterfaceUnit(*installation);
        m_unit.setFault(m_config.fault);
    }
    m_unit.setReplyDelay(m_config.slowMs);
    m_unit.setLateReplies(m_config.lateMs);
    m_unit.setPCILate(m_config.pciLateMs);
    m_unit.setStoreFails(m_config.storeFails);
    if (!m_config.wireLogPath.isEmpty() && !m_log.open(m_config.wireLogPath, error))
        return false;

    QList<QByteArray> injectLines;
    if (!m_config.injectFile.isEmpty()) {
        if (!MonitorInjector::LoadLines(m_config.injectFile, injectLines, error))
            return false;
        m_injector = std::make_unique<MonitorInjector>(
            injectLines, m_config.injectIntervalMs, m_config.injectRepeat,
            [this](const QByteArray& line) {
                broadcastLine(InInterfaceMode(line, true, m_unit.allMonitor()) + "\r\n");
            });
    }

    if (m_config.trafficRate > 0) {
        makeTraffic(m_config.trafficRate);
        m_trafficWaitsForClient = true;
    }

    if (m_config.pty) {
#ifdef Q_OS_WIN
        *error = QStringLiteral("--pty needs a pseudo-terminal, which Windows does not have");
        return false;
#else
        auto pty = std::make_unique<PtyTransport>(m_unit, m_log, m_config.shaping, m_random);
        if (!pty->open(error))
            return false;
        m_pty = std::move(pty);
#endif
    }
    if (m_config.tcp) {
        m_tcp = std::make_unique<TcpTransport>(m_unit, m_log, m_config.shaping, m_random);
        if (!m_tcp->listen(m_config.listenAddress, m_config.tcpPort, error))
            return false;
        m_tcp->setDropAfter(m_config.dropAfter);
    }
    for (PeerTransport* transport : transports())
        connect(transport, &PeerTransport::peerActivated, this, &Simulator::startInjection);

    if (m_config.control) {
        auto control = std::make_unique<ControlChannel>();
        connect(control.get(), &ControlChannel::commandReceived, this,
                [this](const QByteArray& line) { PrintLine(execute(line)); });
        connect(control.get(), &ControlChannel::endOfInput, this, &Simulator::quitRequested);
        m_control = std::move(control);
    }

    if (m_tcp)
        PrintLine(m_tcp->banner());
    if (m_pty)
        PrintLine(m_pty->banner());
    PrintLine("READY");
    return true;
}

void Simulator::startInjection()
{
    if (m_injector)
        m_injector->start();
    if (m_traffic && m_trafficWaitsForClient) {
        m_trafficWaitsForClient = false;
        m_traffic->start();
    }
}

int Simulator::broadcast(const QByteArray& data)
{
    int reached = 0;
    for (PeerTransport* transport : transports()) {
        if (transport->send(data, data))
            ++reached;
    }
    return reached;
}

int Simulator::broadcastLine(const QByteArray& line)
{
    int reached = 0;
    for (PeerTransport* transport : transports()) {
        if (transport->sendLine(line))
            ++reached;
    }
    return reached;
}

void Simulator::makeTraffic(double rate)
{
    m_traffic = std::make_unique<TrafficGenerator>(
        rate, m_config.errorPercent, m_config.seed, [this](const QByteArray& line) {
            broadcastLine(InInterfaceMode(line, false, m_unit.allMonitor()) + "\r\n");
        });
    m_traffic->setIdentityReplies(m_config.identityTraffic);
}

QByteArray Simulator::trafficCommand(const QByteArray& argument)
{
    bool ok = false;
    const int rate = argument.trimmed().toInt(&ok);
    if (!ok || rate < 0 || rate > 100000)
        return "ERROR usage: traffic <lines per second, 0-100000>";
    m_trafficWaitsForClient = false;
    if (rate == 0) {
        if (m_traffic)
            m_traffic->stop();
        return "OK traffic 0";
    }
    if (!m_traffic)
        makeTraffic(rate);
    m_traffic->setRate(rate);
    m_traffic->start();
    return "OK traffic " + QByteArray::number(rate);
}

QByteArray Simulator::replyLimitCommand(const QByteArray& argument)
{
    const QByteArray text = argument.trimmed();
    // A pty has no connection to close: its client would only see the
    // device vanish and come back under another name.
    if (!m_tcp)
        return "ERROR drop-after-replies needs the TCP face (--tcp)";
    if (text == "off") {
        m_tcp->setReplyLimit(0);
        return "OK drop-after-replies off";
    }
    bool ok = false;
    const int replies = text.toInt(&ok);
    if (!ok || replies < 1 || replies > 1000000)
        return "ERROR usage: drop-after-replies <n, at least 1> | drop-after-replies off";
    m_tcp->setReplyLimit(replies);
    return "OK drop-after-replies " + QByteArray::number(replies);
}

QByteArray Simulator::execute(const QByteArray& command)
{
    const qsizetype space = command.indexOf(' ');
    const QByteArray verb = space < 0 ? command : command.left(space);
    const QByteArray argument = space < 0 ? QByteArray() : command.mid(space + 1);

    if (verb == "send") {
        QByteArray bytes;
        if (!UnescapeWire(argument, bytes))
            return "ERROR bad escape in: " + argument;
        if (bytes.isEmpty())
            return "ERROR nothing to send";
        if (broadcast(bytes) == 0)
            return "ERROR no client";
        return "OK sent " + QByteArray::number(bytes.size());
    }
    if (verb == "monitor") {
        const QByteArray hex = argument.trimmed();
        if (!IsHexText(hex))
            return "ERROR not hexadecimal: " + argument;
        if (broadcastLine(hex + "\r\n") == 0)
            return "ERROR no client";
        return "OK monitor " + hex;
    }
    if (verb == "fault") {
        const QList<QByteArray> words = argument.simplified().split(' ');
        if (words.size() == 1 && words.at(0) == "off") {
            m_unit.setFault(FaultSetting{});
            return "OK fault off";
        }
        FaultSetting fault;
        if (words.isEmpty() || words.size() > 2 || words.at(0).size() != 1 ||
            !IsFaultCharacter(words.at(0).at(0)))
            return "ERROR usage: fault <#|$|%> [N] | fault off";
        fault.reply = words.at(0).at(0);
        if (words.size() == 2) {
            bool ok = false;
            fault.every = words.at(1).toInt(&ok);
            if (!ok || fault.every < 1)
                return "ERROR fault: N must be at least 1";
        }
        m_unit.setFault(fault);
        return "OK fault " + QByteArray(1, fault.reply) + ' ' + QByteArray::number(fault.every);
    }
    if (verb == "drop") {
        if (!m_tcp || !m_tcp->drop())
            return "ERROR no TCP client";
        return "OK dropped";
    }
    if (verb == "options")
        return "OPTIONS " + HexByte(m_unit.options());
    if (verb == "silent" || verb == "answer") {
        const QByteArray who = argument.trimmed();
        if (verb == "silent" && who == "off") {
            m_unit.clearSilent();
            return "OK silent off";
        }
        const bool known = who == "pci" || who == "mmi" || who == "confirm" || IsSilentTarget(who);
        if (!known)
            return "ERROR usage: silent <pci|mmi|confirm|UU|PATH/UU|off>, answer <...>";
        m_unit.setSilent(who, verb == "silent");
        return "OK " + verb + ' ' + who;
    }
    if (verb == "slow") {
        bool ok = false;
        const int ms = argument.trimmed().toInt(&ok);
        if (!ok || ms < 0 || ms > 600000)
            return "ERROR usage: slow <milliseconds>";
        m_unit.setReplyDelay(ms);
        return "OK slow " + QByteArray::number(ms);
    }
    if (verb == "late") {
        // "late confirm <ms>" holds back the confirmations instead.
        QByteArray value = argument.trimmed();
        const bool confirm = value.startsWith("confirm ");
        if (confirm)
            value = value.mid(8).trimmed();
        bool ok = false;
        const int ms = value.toInt(&ok);
        if (!ok || ms < 0 || ms > 600000)
            return "ERROR usage: late [confirm] <milliseconds, 0-600000>";
        if (confirm)
            m_unit.setLateConfirmations(ms);
        else
            m_unit.setLateReplies(ms);
        return "OK late " + (confirm ? QByteArray("confirm ") : QByteArray()) +
               QByteArray::number(ms);
    }
    if (verb == "drop-after-replies")
        return replyLimitCommand(argument);
    if (verb == "traffic")
        return trafficCommand(argument);
    if (verb == "replies") {
        const QByteArray kind = argument.trimmed();
        if (kind == "normal")
            m_unit.setReplyFault(ReplyFault::None);
        else if (kind == "duplicate")
            m_unit.setReplyFault(ReplyFault::Duplicate);
        else if (kind == "truncate")
            m_unit.setReplyFault(ReplyFault::Truncate);
        else if (kind == "garbage")
            m_unit.setReplyFault(ReplyFault::Garbage);
        else
            return "ERROR usage: replies <normal|duplicate|truncate|garbage>";
        return "OK replies " + kind;
    }
    if (verb == "quit") {
        emit quitRequested();
        return "OK quit";
    }
    if (verb.isEmpty())
        return "ERROR empty command";
    return "ERROR unknown command: " + verb;
}

} // namespace tarvin::sim
