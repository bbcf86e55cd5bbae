#pragma once
// The broker connection, over libmosquitto.
//
// libmosquitto runs its own network thread (mosquitto_loop_start): it does
// the non-blocking connect, the keep-alive, and the reconnection with
// back-off, and mosquitto_publish() is safe to call from any thread. Every
// callback only hands its arguments over to this object's (the Qt) thread
// as a queued call, so all of the bridge's state lives on one thread and
// nothing it does waits on the broker.

#include <QByteArray>
#include <QObject>
#include <QString>

struct mosquitto;
struct mosquitto_message;

namespace tarvin::bridge {

class MqttClient : public QObject
{
    Q_OBJECT
public:
    struct Options
    {
        QString host = QStringLiteral("127.0.0.1");
        int port = 1883;
        QString user;
        QString password;
        QString tlsCa; // TLS when set
        QString clientId;
        bool version5 = false; // MQTT 5 instead of 3.1.1
        int retryMaxSeconds = 30;
        // Publishes libmosquitto holds unacknowledged at most; the caller
        // keeps the rest.
        int inflight = 100;
        QString willTopic; // retained, QoS 1
        QByteArray willPayload;
    };

    explicit MqttClient(Options options, QObject* parent = nullptr);
    ~MqttClient() override;

    // Starts connecting; false with `error` set when the client cannot be
    // set up (a bad TLS file, a host that cannot be resolved...).
    bool start(QString* error);
    // Disconnects cleanly and ends the network thread.
    void stop();
    bool isConnected() const { return m_connected; }

    // Publishes with QoS 1; the message id, or -1 when libmosquitto refused
    // the message (then it is not sent, ever). A message taken while the
    // connection is down is held by libmosquitto and sent on reconnection.
    int publish(const QString& topic, const QByteArray& payload, bool retain);
    bool subscribe(const QString& pattern);

signals:
    void connected();
    void disconnected(const QString& why);
    // The broker acknowledged message `mid`.
    void published(int mid);
    // `retained`: the broker kept it and hands it over at subscription.
    void message(const QString& topic, const QByteArray& payload, bool retained);
    // What the library says went wrong on the way to the broker (a TLS
    // handshake that failed, a name that does not resolve...): errors that
    // end a connection attempt before any connect or disconnect is told.
    void problem(const QString& text);

private:
    static void OnConnect(mosquitto*, void* self, int rc);
    static void OnDisconnect(mosquitto*, void* self, int rc);
    static void OnPublish(mosquitto*, void* self, int mid);
    static void OnMessage(mosquitto*, void* self, const mosquitto_message* message);
    static void OnLog(mosquitto*, void* self, int level, const char* text);

    Options m_options;
    mosquitto* m_mosq = nullptr;
    bool m_connected = false;
    bool m_looping = false;
};

} // namespace tarvin::bridge
