#include "tools/tarvin-bridge/mqtt_client.h"

#include <QMetaObject>

#include <mosquitto.h>

namespace tarvin::bridge {

namespace {

constexpr int kKeepAliveSeconds = 30;

QString ErrorText(int rc)
{
    return QString::fromLocal8Bit(mosquitto_strerror(rc));
}

} // namespace

MqttClient::MqttClient(Options options, QObject* parent)
    : QObject(parent), m_options(std::move(options))
{
}

MqttClient::~MqttClient()
{
    stop();
    if (m_mosq)
        mosquitto_destroy(m_mosq);
}

bool MqttClient::start(QString* error)
{
    const auto fail = [&](const QString& what, int rc) {
        *error = rc ? what + QStringLiteral(": ") + ErrorText(rc) : what;
        return false;
    };
    const QByteArray id = m_options.clientId.toUtf8();
    m_mosq = mosquitto_new(id.isEmpty() ? nullptr : id.constData(), true, this);
    if (!m_mosq)
        return fail(QStringLiteral("cannot create the MQTT client"), 0);
    mosquitto_int_option(m_mosq, MOSQ_OPT_PROTOCOL_VERSION,
                         m_options.version5 ? MQTT_PROTOCOL_V5 : MQTT_PROTOCOL_V311);
    mosquitto_int_option(m_mosq, MOSQ_OPT_SEND_MAXIMUM, m_options.inflight);
    // A state right after the acknowledgement of its set command is a second
    // small packet: without this it waits for the broker's delayed ACK (40 ms).
    mosquitto_int_option(m_mosq, MOSQ_OPT_TCP_NODELAY, 1);
    mosquitto_connect_callback_set(m_mosq, &MqttClient::OnConnect);
    mosquitto_disconnect_callback_set(m_mosq, &MqttClient::OnDisconnect);
    mosquitto_publish_callback_set(m_mosq, &MqttClient::OnPublish);
    mosquitto_message_callback_set(m_mosq, &MqttClient::OnMessage);
    mosquitto_log_callback_set(m_mosq, &MqttClient::OnLog);
    mosquitto_reconnect_delay_set(m_mosq, 1, static_cast<unsigned>(m_options.retryMaxSeconds),
                                  true);
    int rc = MOSQ_ERR_SUCCESS;
    if (!m_options.user.isEmpty()) {
        rc = mosquitto_username_pw_set(
            m_mosq, m_options.user.toUtf8().constData(),
            m_options.password.isEmpty() ? nullptr : m_options.password.toUtf8().constData());
        if (rc)
            return fail(QStringLiteral("cannot set the MQTT user"), rc);
    }
    if (!m_options.tlsCa.isEmpty()) {
        rc = mosquitto_tls_set(m_mosq, m_options.tlsCa.toLocal8Bit().constData(), nullptr, nullptr,
                               nullptr, nullptr);
        if (rc)
            return fail(QStringLiteral("cannot use the TLS CA file %1").arg(m_options.tlsCa), rc);
    }
    if (!m_options.willTopic.isEmpty()) {
        rc = mosquitto_will_set(m_mosq, m_options.willTopic.toUtf8().constData(),
                                static_cast<int>(m_options.willPayload.size()),
                                m_options.willPayload.constData(), 1, true);
        if (rc)
            return fail(QStringLiteral("cannot set the last will"), rc);
    }
    rc = mosquitto_connect_async(m_mosq, m_options.host.toUtf8().constData(), m_options.port,
                                 kKeepAliveSeconds);
    // A broker that is not there yet is tried again by the network thread;
    // a name that does not resolve or a bad argument is not.
    if (rc == MOSQ_ERR_INVAL || rc == MOSQ_ERR_EAI)
        return fail(
            QStringLiteral("cannot connect to %1:%2").arg(m_options.host).arg(m_options.port), rc);
    rc = mosquitto_loop_start(m_mosq);
    if (rc)
        return fail(QStringLiteral("cannot start the MQTT network thread"), rc);
    m_looping = true;
    return true;
}

void MqttClient::stop()
{
    if (!m_looping)
        return;
    m_looping = false;
    mosquitto_disconnect(m_mosq);
    mosquitto_loop_stop(m_mosq, false);
    m_connected = false;
}

int MqttClient::publish(const QString& topic, const QByteArray& payload, bool retain)
{
    if (!m_mosq)
        return -1;
    int mid = 0;
    const int rc =
        mosquitto_publish(m_mosq, &mid, topic.toUtf8().constData(),
                          static_cast<int>(payload.size()), payload.constData(), 1, retain);
    // With QoS 1 the message is queued before the send is tried: "no
    // connection" means it waits in libmosquitto for the next one.
    if (rc == MOSQ_ERR_SUCCESS || rc == MOSQ_ERR_NO_CONN)
        return mid;
    return -1;
}

bool MqttClient::subscribe(const QString& pattern)
{
    return m_mosq && mosquitto_subscribe(m_mosq, nullptr, pattern.toUtf8().constData(), 1) ==
                         MOSQ_ERR_SUCCESS;
}

// The callbacks run on libmosquitto's thread.

void MqttClient::OnConnect(mosquitto*, void* self, int rc)
{
    auto* client = static_cast<MqttClient*>(self);
    QMetaObject::invokeMethod(
        client,
        [client, rc] {
            if (rc == 0) {
                client->m_connected = true;
                emit client->connected();
            } else {
                client->m_connected = false;
                emit client->disconnected(QStringLiteral("the broker refused the connection: ") +
                                          QString::fromLocal8Bit(mosquitto_connack_string(rc)));
            }
        },
        Qt::QueuedConnection);
}

void MqttClient::OnDisconnect(mosquitto*, void* self, int rc)
{
    auto* client = static_cast<MqttClient*>(self);
    QMetaObject::invokeMethod(
        client,
        [client, rc] {
            const bool was = client->m_connected;
            client->m_connected = false;
            if (was)
                emit client->disconnected(rc == 0 ? QStringLiteral("disconnected") : ErrorText(rc));
        },
        Qt::QueuedConnection);
}

void MqttClient::OnPublish(mosquitto*, void* self, int mid)
{
    auto* client = static_cast<MqttClient*>(self);
    QMetaObject::invokeMethod(
        client, [client, mid] { emit client->published(mid); }, Qt::QueuedConnection);
}

void MqttClient::OnMessage(mosquitto*, void* self, const mosquitto_message* message)
{
    auto* client = static_cast<MqttClient*>(self);
    const QString topic = QString::fromUtf8(message->topic);
    const QByteArray payload(static_cast<const char*>(message->payload), message->payloadlen);
    const bool retained = message->retain;
    QMetaObject::invokeMethod(
        client,
        [client, topic, payload, retained] { emit client->message(topic, payload, retained); },
        Qt::QueuedConnection);
}

void MqttClient::OnLog(mosquitto*, void* self, int level, const char* text)
{
    if (!(level & MOSQ_LOG_ERR))
        return;
    auto* client = static_cast<MqttClient*>(self);
    const QString line = QString::fromLocal8Bit(text);
    QMetaObject::invokeMethod(
        client, [client, line] { emit client->problem(line); }, Qt::QueuedConnection);
}

} // namespace tarvin::bridge
