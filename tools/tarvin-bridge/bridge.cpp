#include "tools/tarvin-bridge/bridge.h"

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

MqttClient::Options WithWill(const Bridge::Options& options)
{
    MqttClient::Options mqtt = options.mqtt;
    mqtt.retryMaxSeconds = options.retryMaxSeconds;
    mqtt.willTopic = options.prefix + QLatin1String("/status");
    mqtt.willPayload = "offline";
    return mqtt;
}

void Say(const QString& text)
{
    std::fprintf(stderr, "tarvin-bridge: %s\n", text.toLocal8Bit().constData());
}

} // namespace

Bridge::Bridge(Options options, QObject* parent)
    : QObject(parent), m_options(std::move(options)), m_session(this), m_keeper(m_session, this),
      m_mqtt(WithWill(m_options), this)
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
    m_keeper.setPrepare([this] { m_session.SetDefaultMode(); });
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
    if (!m_mqtt.start(error))
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
        enqueue(topic("link"), m_linkState.toLatin1(), true);
    }
    enqueue(topic("status"), "offline", true);
    if (m_mqtt.isConnected()) {
        QEventLoop loop;
        QTimer deadline;
        deadline.setSingleShot(true);
        connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
        const auto check = [&] {
            if (m_queue.empty() && m_dropped == 0 && m_inflight.isEmpty())
                loop.quit();
        };
        const auto c1 = connect(&m_mqtt, &MqttClient::published, &loop, check);
        const auto c2 = connect(&m_mqtt, &MqttClient::disconnected, &loop, &QEventLoop::quit);
        deadline.start(kFlushMs);
        QTimer::singleShot(0, &loop, check);
        loop.exec();
        disconnect(c1);
        disconnect(c2);
    }
    if (!m_queue.empty() || !m_inflight.isEmpty())
        Say(QStringLiteral("stopped with %1 events not taken by the broker")
                .arg(static_cast<qint64>(m_queue.size()) + m_inflight.size()));
    m_mqtt.stop();
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
    // The retained picture first: availability, link, discovery, states.
    m_mqtt.publish(topic("status"), "online", true);
    m_mqtt.publish(topic("link"), m_linkState.toLatin1(), true);
    if (m_options.discovery)
        for (const auto& [key, name] : m_named) {
            const auto [network, application, group] = key;
            m_mqtt.publish(DiscoveryTopic(network, application, group),
                           DiscoveryPayload(m_options.prefix, network, application, group, name),
                           true);
        }
    for (const auto& [key, level] : m_levels) {
        const auto [network, application, group] = key;
        m_mqtt.publish(StateTopic(m_options.prefix, network, application, group),
                       StatePayload(application, level), true);
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
    if (IsLightingApplication(application) && !m_named.count(key)) {
        m_named[key] = QString();
        if (m_options.discovery)
            enqueue(DiscoveryTopic(network, application, e.group),
                    DiscoveryPayload(m_options.prefix, network, application, e.group, QString()),
                    true);
    }
    enqueue(StateTopic(m_options.prefix, network, application, e.group),
            StatePayload(application, e.level), true);
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
    enqueue(topic("link"), m_linkState.toLatin1(), true);
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

void Bridge::command(const QString& commandTopic, const QByteArray& payload)
{
    if (m_stopping)
        return;
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
    m_commands.push_back({*request.command, commandTopic, payload, {}});
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
        p.due = QDeadlineTimer(m_options.confirmTimeoutMs);
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
    const auto it = m_awaiting.find(letter);
    if (it == m_awaiting.end())
        return;
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
            it = m_awaiting.erase(it);
        } else {
            ++it;
        }
    }
    if (m_awaiting.empty())
        m_expiry.stop();
}

void Bridge::failPending(const QString& why)
{
    for (auto& [letter, p] : m_awaiting)
        error(p.topic, p.payload, why);
    m_awaiting.clear();
    for (const Pending& p : m_commands)
        error(p.topic, p.payload,
              QStringLiteral("the bus link went down: the command was not sent"));
    m_commands.clear();
}

} // namespace tarvin::bridge
