#include "tools/tarvin-bridge/bridge.h"

#include "core/diagnostics/diagnostics_support.h"
#include "core/diagnostics/reply_fields.h"
#include "core/link/framing.h"

#include <QEventLoop>

#include <cstdio>

namespace tarvin::bridge {

namespace {

// Everything the decoder can say: unit, network, application and message.
constexpr int kDescribeAll = ShowUnit | ShowNetwork | ShowApplication | ShowMessage;
// How long stop() lets the broker take what is still queued.
constexpr int kFlushMs = 3000;

QDateTime Now()
{
    return QDateTime::currentDateTime();
}

MqttClient::Options WithWill(const Bridge::Options& options, const char* leaf,
                             const QByteArray& will, const QString& idSuffix = QString())
{
    MqttClient::Options mqtt = options.mqtt;
    mqtt.retryMaxSeconds = options.retryMaxSeconds;
    mqtt.willTopic = options.prefix + QLatin1Char('/') + QLatin1String(leaf);
    mqtt.willPayload = will;
    if (!mqtt.clientId.isEmpty())
        mqtt.clientId += idSuffix;
    return mqtt;
}

Site SiteOf(const Bridge::Options& options)
{
    return {options.prefix, options.siteId.isEmpty() ? SiteIdOf(options.prefix) : options.siteId,
            options.discoveryPrefix, options.networks};
}

void Say(const QString& text)
{
    std::fprintf(stderr, "tarvin-bridge: %s\n", text.toLocal8Bit().constData());
}

} // namespace

Bridge::Bridge(Options options, QObject* parent)
    : QObject(parent), m_options(std::move(options)), m_session(this), m_keeper(m_session, this),
      m_site(SiteOf(m_options)), m_mqtt(WithWill(m_options, "status", "offline"), this),
      m_linkMqtt(WithWill(m_options, "link", "disconnected", QStringLiteral("-link")), this)
{
    m_session.settings() = m_options.link;
    // Nothing looks back at the session's lines: keep the smallest ring.
    m_session.setHistoryLimit(kMinSessionCaptureLines);
    m_session.setHexNumbers(false);
    m_session.setDecodeOptions(kDescribeAll);
    m_session.state().logDisplay = false;
    // Every command asks for a confirmation: that is when its state is sure.
    m_session.link().setUseAcknowledgement(true);
    for (const NamedGroup& g : m_options.groups)
        m_named[{g.network, g.application, g.group}] = g.name;

    m_keeper.setRetryMaxSeconds(m_options.retryMaxSeconds);
    m_keeper.setAnswerTimeoutMs(m_options.answerTimeoutMs);
    // The workbench's default mode: monitored messages come in, smart.
    m_keeper.setPrepare([this] {
        m_session.SetDefaultMode();
        if (m_options.discovery)
            readInterface();
    });
    connect(&m_keeper, &LinkKeeper::marker, this, &Bridge::marker);
    connect(&m_keeper, &LinkKeeper::linkUp, this, [this] { linkChanged(true); });
    connect(&m_keeper, &LinkKeeper::linkDown, this, [this] { linkChanged(false); });
    connect(&m_session.link(), &LinkSession::lineCompleted, this, &Bridge::lineReceived);
    connect(&m_session.link(), &LinkSession::lineSent, this, &Bridge::lineSent);

    connect(&m_mqtt, &MqttClient::connected, this, &Bridge::brokerUp);
    connect(&m_mqtt, &MqttClient::disconnected, this, &Bridge::brokerDown);
    connect(&m_mqtt, &MqttClient::published, this, [this](int mid) {
        if (m_inflight.remove(mid))
            pump();
    });
    connect(&m_mqtt, &MqttClient::message, this, &Bridge::command);
    connect(&m_linkMqtt, &MqttClient::connected, this, &Bridge::publishLink);
    connect(&m_linkMqtt, &MqttClient::published, this, [this](int mid) {
        if (mid == m_linkMid)
            m_linkMid = -1;
    });
    // Said once until the broker is reached, not at every new attempt.
    connect(&m_mqtt, &MqttClient::problem, this, [this](const QString& text) {
        if (text != m_brokerProblem)
            Say(QStringLiteral("broker: %1").arg(text));
        m_brokerProblem = text;
    });
    m_expiry.setInterval(100);
    connect(&m_expiry, &QTimer::timeout, this, &Bridge::expire);
}

Bridge::~Bridge() = default;

bool Bridge::start(QString* error)
{
    if (!m_mqtt.start(error) || !m_linkMqtt.start(error))
        return false;
    Say(QStringLiteral("connecting to the broker at %1:%2 and to the interface at %3")
            .arg(m_options.mqtt.host)
            .arg(m_options.mqtt.port)
            .arg(LinkKeeper::Where(m_options.link)));
    QTimer::singleShot(0, &m_keeper, &LinkKeeper::start);
    return true;
}

void Bridge::stop()
{
    if (m_stopping)
        return;
    m_stopping = true;
    failPending(QStringLiteral("the bridge stopped before the interface confirmed the command"));
    m_keeper.stop();
    if (m_linkState != QLatin1String("disconnected")) {
        m_linkState = QStringLiteral("disconnected");
        publishLink();
    }
    enqueue(topic("status"), "offline", true);
    if (m_mqtt.isConnected()) {
        QEventLoop loop;
        QTimer deadline;
        deadline.setSingleShot(true);
        connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
        const auto check = [&] {
            if (m_queue.empty() && m_dropped == 0 && m_inflight.isEmpty() &&
                (m_linkMid < 0 || !m_linkMqtt.isConnected()))
                loop.quit();
        };
        const auto c1 = connect(&m_mqtt, &MqttClient::published, &loop, check);
        const auto c3 =
            connect(&m_linkMqtt, &MqttClient::published, &loop, check, Qt::QueuedConnection);
        const auto c2 = connect(&m_mqtt, &MqttClient::disconnected, &loop, &QEventLoop::quit);
        deadline.start(kFlushMs);
        QTimer::singleShot(0, &loop, check);
        loop.exec();
        disconnect(c1);
        disconnect(c2);
        disconnect(c3);
    }
    if (!m_queue.empty() || !m_inflight.isEmpty())
        Say(QStringLiteral("stopped with %1 events not taken by the broker")
                .arg(static_cast<qint64>(m_queue.size()) + m_inflight.size()));
    m_mqtt.stop();
    m_linkMqtt.stop();
}

// --- Broker side ---------------------------------------------------------------

QString Bridge::topic(const char* leaf) const
{
    return m_options.prefix + QLatin1Char('/') + QLatin1String(leaf);
}

void Bridge::brokerUp()
{
    // What libmosquitto still held from the last connection it sends again
    // by itself; the window starts afresh.
    m_inflight.clear();
    // The set topics, and those a level short or long, so that a command
    // sent to a malformed topic is answered with an error, not ignored.
    for (const char* levels : {"/+/+/+/set", "/+/set", "/+/+/set", "/+/+/+/+/set"})
        if (!m_mqtt.subscribe(m_options.prefix + QLatin1String(levels)))
            Say(QStringLiteral("cannot subscribe to %1%2")
                    .arg(m_options.prefix, QLatin1String(levels)));
    // The retained picture first: availability, discovery, states. A topic
    // that the queue still holds is left to the queue, which ends with its
    // newest message: a state never goes back to an older one.
    QSet<QString> queued;
    for (const Outgoing& o : m_queue)
        if (o.retain)
            queued.insert(o.topic);
    const auto picture = [&](const QString& topic, const QByteArray& payload) {
        if (!queued.contains(topic))
            m_mqtt.publish(topic, payload, true);
    };
    m_mqtt.publish(topic("status"), "online", true);
    if (m_options.discovery)
        for (const auto& [key, name] : m_named) {
            const auto [network, application, group] = key;
            picture(DiscoveryTopic(m_site, network, application, group),
                    DiscoveryPayload(m_site, m_interface, network, application, group, name));
        }
    for (const auto& [key, level] : m_levels) {
        const auto [network, application, group] = key;
        picture(StateTopic(m_options.prefix, network, application, group),
                StatePayload(application, level));
    }
    if (m_everConnected) {
        const qint64 gap = m_brokerDownSince.isValid() ? m_brokerDownSince.secsTo(Now()) : 0;
        const QString text = QStringLiteral("broker connection back after a gap of %1 s").arg(gap);
        Say(text);
        m_mqtt.publish(topic("event"), MarkerEvent(Now(), QStringLiteral("broker-up"), text),
                       false);
    } else {
        Say(QStringLiteral("connected to the broker"));
    }
    m_everConnected = true;
    m_brokerDownSince = QDateTime();
    m_brokerProblem.clear();
    pump();
}

void Bridge::brokerDown(const QString& why)
{
    if (!m_brokerDownSince.isValid())
        m_brokerDownSince = Now();
    trimQueue();
    if (!m_stopping)
        Say(QStringLiteral("broker connection lost (%1); events wait in the queue").arg(why));
}

void Bridge::enqueue(const QString& topic, const QByteArray& payload, bool retain)
{
    m_queue.push_back({topic, payload, retain});
    trimQueue();
    pump();
}

void Bridge::trimQueue()
{
    // The limit is for a broker that is away. While it is there the queue
    // only holds what waits for the in-flight window, and nothing is dropped.
    if (m_mqtt.isConnected())
        return;
    while (m_queue.size() > static_cast<std::size_t>(m_options.queueLimit)) {
        m_queue.pop_front();
        ++m_dropped;
    }
}

void Bridge::pump()
{
    const int window = m_options.mqtt.inflight;
    while (m_mqtt.isConnected() && m_inflight.size() < window) {
        Outgoing next;
        if (m_dropped > 0) {
            // Told before the rest of the queue, so a reader sees where the gap is.
            next = {topic("event"),
                    MarkerEvent(Now(), QStringLiteral("dropped"),
                                QStringLiteral("%1 events were dropped: the broker could not take "
                                               "them and the queue was full")
                                    .arg(m_dropped),
                                m_dropped),
                    false};
            m_dropped = 0;
        } else if (!m_queue.empty()) {
            next = std::move(m_queue.front());
            m_queue.pop_front();
        } else {
            break;
        }
        const int mid = m_mqtt.publish(next.topic, next.payload, next.retain);
        if (mid < 0)
            Say(QStringLiteral("the MQTT library refused a message on %1").arg(next.topic));
        else
            m_inflight.insert(mid);
    }
}

void Bridge::event(const QString& name, const QString& text, qint64 count)
{
    enqueue(topic("event"), MarkerEvent(Now(), name, text, count));
}

void Bridge::error(const QString& commandTopic, const QByteArray& payload, const QString& text)
{
    Say(commandTopic.isEmpty() ? text : commandTopic + QLatin1String(": ") + text);
    enqueue(topic("error"), ErrorEvent(Now(), commandTopic, payload, text));
}

void Bridge::publishState(int network, int application, const GroupEvent& e)
{
    const GroupKey key{network, application, e.group};
    m_levels[key] = e.level;
    ++m_serials[key];
    if (IsLightingApplication(application) && !m_named.count(key)) {
        m_named[key] = QString();
        if (m_options.discovery)
            enqueue(DiscoveryTopic(m_site, network, application, e.group),
                    DiscoveryPayload(m_site, m_interface, network, application, e.group, QString()),
                    true);
    }
    enqueue(StateTopic(m_options.prefix, network, application, e.group),
            StatePayload(application, e.level), true);
}

void Bridge::publishLink()
{
    // Only the newest matters; one held by the library for a connection
    // that is not there is sent again on it, and this one after it.
    const int mid = m_linkMqtt.publish(topic("link"), m_linkState.toLatin1(), true);
    if (mid >= 0)
        m_linkMid = mid;
}

void Bridge::readInterface()
{
    InterfaceInfo info;
    for (const PCIField field : {kPCIManufacturer, kPCIUnitType, kPCIFirmwareVersion}) {
        const PCIRequest& r = kPCIRequests[field];
        const Reply reply =
            m_session.askPCI(QByteArray(r.command), r.tail, 1, 2,
                             QStringLiteral("Get PCI Data: ") + QLatin1String(PCIFieldName(field)));
        if (!m_session.link().CommsOpen() || m_stopping)
            return;
        const QString text = QString::fromLatin1(
            TrimBlanks(DecodePCIField(field, StripReplyMarkers(reply.line.toStdString()))).c_str());
        // One that does not answer is what it was last time, and is not
        // kept waiting for the rest.
        if (field == kPCIManufacturer && text.isEmpty())
            return;
        (field == kPCIManufacturer ? info.manufacturer
         : field == kPCIUnitType   ? info.model
                                   : info.firmware) = text;
    }
    if (info == m_interface)
        return;
    m_interface = info;
    for (const auto& [key, name] : m_named) {
        const auto [network, application, group] = key;
        enqueue(DiscoveryTopic(m_site, network, application, group),
                DiscoveryPayload(m_site, m_interface, network, application, group, name), true);
    }
}

// --- Bus side -------------------------------------------------------------------

void Bridge::marker(const QString& text)
{
    Say(text);
    QString name = QStringLiteral("link-up");
    if (!m_keeper.isUp()) {
        name = m_downReported ? QStringLiteral("link-retry") : QStringLiteral("link-down");
        m_downReported = true;
    } else {
        m_downReported = false;
    }
    event(name, text);
}

void Bridge::linkChanged(bool up)
{
    m_linkState = up ? QStringLiteral("connected") : QStringLiteral("disconnected");
    publishLink();
    if (!up)
        failPending(QStringLiteral("the bus link was lost before the interface confirmed the "
                                   "command"));
}

void Bridge::lineReceived(const ReceivedLine& line)
{
    // Line feeds after a carriage return complete a line of nothing.
    if (!line.keep())
        return;
    const std::string& text = line.part.empty() ? line.buffer : line.part;
    const QString description =
        QString::fromLatin1(m_session.decoder()
                                .DecodeMessage(line.part, kDescribeAll, m_session.decodeContext())
                                .c_str());
    const std::optional<SalMessage> sal = ReadSalMessage(line.part);
    const LineFields fields = sal ? FieldsOf(*sal, m_options.networks) : LineFields();
    enqueue(topic("rx"), LineEvent(Now(), QString::fromLatin1(text.c_str()), description, fields));
    if (line.part.size() == 2 && IsAckLetter(line.part[0]))
        confirmed(line.part[0], line.part[1], description);
    if (sal && fields.network)
        for (const GroupEvent& e : sal->events)
            publishState(*fields.network, sal->application, e);
}

void Bridge::lineSent(const QByteArray& line, const QString& description)
{
    enqueue(topic("tx"), LineEvent(Now(), QString::fromLatin1(line), description,
                                   m_sending.value_or(LineFields())));
}

void Bridge::command(const QString& commandTopic, const QByteArray& payload, bool retained)
{
    if (m_stopping)
        return;
    // The broker hands a retained set over again at every reconnection: it
    // says what someone wanted once, not what is wanted now.
    if (retained) {
        const QString key = commandTopic + QLatin1Char(' ') + QString::fromUtf8(payload);
        if (!m_retainedSets.contains(key)) {
            m_retainedSets.insert(key);
            error(commandTopic, payload,
                  QStringLiteral("a retained message on a set topic is not a command: ignored "
                                 "(clear it with an empty retained message)"));
        }
        return;
    }
    SetRequest request =
        ParseSetCommand(m_options.prefix, commandTopic, payload, m_options.networks);
    if (!request.command) {
        error(commandTopic, payload, request.error);
        return;
    }
    if (!m_keeper.isUp()) {
        error(commandTopic, payload,
              QStringLiteral("the bus link is down: the command was not sent"));
        return;
    }
    m_commands.push_back({*request.command, commandTopic, payload, {}, {}, 0});
    // Sent from the event loop, never from inside the broker's delivery.
    QTimer::singleShot(0, this, &Bridge::sendNext);
}

void Bridge::sendNext()
{
    // Each send pauses with the event loop running; a command that comes in
    // meanwhile waits its turn here.
    if (m_sendBusy)
        return;
    m_sendBusy = true;
    while (!m_commands.empty() && !m_stopping) {
        Pending p = std::move(m_commands.front());
        m_commands.pop_front();
        const LightCommand c = p.command;
        if (!m_keeper.isUp()) {
            error(p.topic, p.payload,
                  QStringLiteral("the bus link went down: the command was not sent"));
            continue;
        }
        const std::string path = c.network
                                     ? m_options.networks.value(c.network).toLatin1().toStdString()
                                     : std::string();
        const auto header = SALHeader(c.application, c.network != 0, path);
        if (!header) {
            error(p.topic, p.payload,
                  QStringLiteral("the path of network %1 is not valid").arg(c.network));
            continue;
        }
        AckSequence& ack = m_session.link().ack();
        const char letter = ack.next();
        // Twenty commands later the letter comes round again: an answer to
        // the old one can no longer be told from one to the new.
        const auto old = m_awaiting.find(letter);
        if (old != m_awaiting.end()) {
            error(old->second.topic, old->second.payload,
                  QStringLiteral("the interface did not confirm the command"));
            m_awaiting.erase(old);
        }
        m_late.erase(letter);
        p.due = QDeadlineTimer(m_options.confirmTimeoutMs);
        p.sent.start();
        p.serial = m_serials[{c.network, c.application, c.group}];
        if (!m_expiry.isActive())
            m_expiry.start();
        const QString topicText = p.topic;
        const QByteArray payload = p.payload;
        m_awaiting[letter] = std::move(p);
        m_sending = LineFields{c.network, std::nullopt, c.application, QString()};
        m_session.SendTarvinCommand(QByteArray::fromStdString(*header + c.body()));
        m_sending.reset();
        if (ack.next() == letter && m_awaiting.erase(letter))
            error(topicText, payload,
                  QStringLiteral("the bus link went down: the command was not sent"));
    }
    m_sendBusy = false;
}

void Bridge::confirmed(char letter, char answer, const QString& description)
{
    auto it = m_awaiting.find(letter);
    if (it == m_awaiting.end()) {
        // Its error is out already; a late yes still makes the state true.
        it = m_late.find(letter);
        if (it == m_late.end())
            return;
        const Pending p = std::move(it->second);
        m_late.erase(it);
        if (answer != '.')
            return;
        const LightCommand& c = p.command;
        // A state seen since is newer than this one.
        const bool newest = m_serials[{c.network, c.application, c.group}] == p.serial;
        event(QStringLiteral("late"),
              QStringLiteral("the interface confirmed the command on %1 after %2 s: %3")
                  .arg(p.topic)
                  .arg(p.sent.elapsed() / 1000.0, 0, 'f', 1)
                  .arg(newest ? QStringLiteral("its state is published")
                              : QStringLiteral("the group has changed since, its state stays")));
        if (newest)
            publishState(c.network, c.application, c.event());
        return;
    }
    const Pending p = std::move(it->second);
    m_awaiting.erase(it);
    if (answer == '.')
        publishState(p.command.network, p.command.application, p.command.event());
    else
        error(p.topic, p.payload,
              QStringLiteral("the interface refused the command: %1")
                  .arg(description.isEmpty() ? QString(QLatin1Char(answer)) : description));
}

void Bridge::expire()
{
    for (auto it = m_awaiting.begin(); it != m_awaiting.end();) {
        if (it->second.due.hasExpired()) {
            error(it->second.topic, it->second.payload,
                  QStringLiteral("the interface did not confirm the command within %1 s")
                      .arg(m_options.confirmTimeoutMs / 1000.0));
            it->second.due = QDeadlineTimer(m_options.lateConfirmMs);
            m_late[it->first] = std::move(it->second);
            it = m_awaiting.erase(it);
        } else {
            ++it;
        }
    }
    for (auto it = m_late.begin(); it != m_late.end();)
        it = it->second.due.hasExpired() ? m_late.erase(it) : std::next(it);
    if (m_awaiting.empty() && m_late.empty())
        m_expiry.stop();
}

void Bridge::failPending(const QString& why)
{
    for (auto& [letter, p] : m_awaiting)
        error(p.topic, p.payload, why);
    m_awaiting.clear();
    // A new link starts its letters afresh: no old confirmation can come.
    m_late.clear();
    for (const Pending& p : m_commands)
        error(p.topic, p.payload,
              QStringLiteral("the bus link went down: the command was not sent"));
    m_commands.clear();
}

} // namespace tarvin::bridge
