#pragma once

// A real MQTT broker and client for the bridge's tests and benchmark.
//
//   tarvin::test::BrokerProcess broker;
//   QVERIFY2(broker.start(), qPrintable(broker.errorString()));
//   tarvin::test::MqttClient client;
//   QVERIFY(client.connect(broker.port()) && client.subscribe(QStringLiteral("tarvin/#")));
//   QVERIFY(client.waitFor([](const QList<MqttMessage>& m) { return !m.isEmpty(); }, 5000));
//
// BrokerProcess runs mosquitto on a free loopback port with a generated
// configuration (the binary from TARVIN_MOSQUITTO, else "mosquitto" on the
// path). MqttClient runs libmosquitto's network thread and keeps every
// message it receives, in order. Header only, so that only the programs that
// speak MQTT link libmosquitto.

#include <QByteArray>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QProcess>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <mosquitto.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

#include <unistd.h>

namespace tarvin::test {

// A loopback port that was free a moment ago.
inline quint16 FreeLoopbackPort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}

class BrokerProcess
{
public:
    ~BrokerProcess() { stop(); }

    // Starts the broker on `port` (0: a free one) and waits until it takes
    // connections. With `persistent`, sessions and queued messages outlive a
    // restart (a file in the broker's private folder).
    // `extra` is added to the generated configuration (TLS, logins...).
    bool start(quint16 port = 0, bool persistent = false, const QByteArray& extra = {},
               int timeoutMs = 10000)
    {
        stop();
        m_error.clear();
        if (!m_dir.isValid()) {
            m_error = QStringLiteral("no temporary folder");
            return false;
        }
        m_port = port != 0 ? port : FreeLoopbackPort();
        QByteArray config = "listener " + QByteArray::number(m_port) +
                            " 127.0.0.1\n"
                            "allow_anonymous true\n"
                            // A subscriber that reads a burst a little late must lose nothing.
                            "max_queued_messages 0\n"
                            "max_inflight_messages 0\n"
                            "queue_qos0_messages true\n"
                            // The broker adds no wait of its own to a latency measured through it.
                            "set_tcp_nodelay true\n";
        if (persistent)
            config += "persistence true\npersistence_location " + m_dir.path().toLocal8Bit() +
                      "/\nautosave_interval 0\n";
        else
            config += "persistence false\n";
        // Started by root, the broker would drop to its own user, which
        // cannot use the files in a private folder.
        if (::geteuid() == 0)
            config += "user root\n";
        config += extra;
        const QString configPath = m_dir.filePath(QStringLiteral("mosquitto.conf"));
        QFile file(configPath);
        if (!file.open(QIODevice::WriteOnly) || file.write(config) != config.size()) {
            m_error = QStringLiteral("cannot write ") + configPath;
            return false;
        }
        file.close();
        QString program = qEnvironmentVariable("TARVIN_MOSQUITTO");
        if (program.isEmpty())
            program = QStringLiteral("mosquitto");
        m_process = std::make_unique<QProcess>();
        m_process->setProcessChannelMode(QProcess::MergedChannels);
        m_process->start(program, {QStringLiteral("-c"), configPath});
        if (!m_process->waitForStarted(timeoutMs)) {
            m_error = QStringLiteral("cannot start ") + program;
            return false;
        }
        const QDeadlineTimer deadline(timeoutMs);
        while (!deadline.hasExpired() && m_process->state() == QProcess::Running) {
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, m_port);
            if (probe.waitForConnected(200))
                return true;
            m_process->waitForFinished(50);
        }
        m_error = QStringLiteral("broker not listening on ") + QString::number(m_port) +
                  QStringLiteral(": ") + output();
        return false;
    }

    // Stops the broker the way a service manager does (SIGTERM, then SIGKILL).
    void stop(int timeoutMs = 5000)
    {
        if (!m_process || m_process->state() == QProcess::NotRunning)
            return;
        m_process->terminate();
        if (!m_process->waitForFinished(timeoutMs)) {
            m_process->kill();
            m_process->waitForFinished(timeoutMs);
        }
        m_output += m_process->readAll();
    }

    quint16 port() const { return m_port; }
    QString errorString() const { return m_error; }
    QString output()
    {
        if (m_process)
            m_output += m_process->readAll();
        return QString::fromLocal8Bit(m_output);
    }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<QProcess> m_process;
    quint16 m_port = 0;
    QString m_error;
    QByteArray m_output;
};

struct MqttMessage
{
    QString topic;
    QByteArray payload;
    bool retained = false;
    qint64 arrivedNs = 0; // on the client's clock, for the benchmark
};

class MqttClient
{
public:
    using Predicate = std::function<bool(const QList<MqttMessage>&)>;

    // An empty id with `cleanSession` gives a fresh client each time; a
    // named client without it keeps its subscriptions on the broker.
    explicit MqttClient(const QString& id = QString(), bool cleanSession = true)
    {
        static const int init = mosquitto_lib_init();
        Q_UNUSED(init);
        const QByteArray name = id.toUtf8();
        m_mosq = mosquitto_new(name.isEmpty() ? nullptr : name.constData(), cleanSession, this);
        m_cleanSession = cleanSession;
        m_clock.start();
        if (!m_mosq)
            return;
        mosquitto_int_option(m_mosq, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
        // Small packets go out at once, not after the peer's delayed ACK.
        mosquitto_int_option(m_mosq, MOSQ_OPT_TCP_NODELAY, 1);
        mosquitto_reconnect_delay_set(m_mosq, 1, 1, false);
        mosquitto_connect_callback_set(m_mosq, [](mosquitto*, void* self, int rc) {
            static_cast<MqttClient*>(self)->connected(rc);
        });
        mosquitto_disconnect_callback_set(m_mosq, [](mosquitto*, void* self, int) {
            static_cast<MqttClient*>(self)->m_connected = false;
        });
        mosquitto_subscribe_callback_set(m_mosq, [](mosquitto*, void* self, int, int, const int*) {
            static_cast<MqttClient*>(self)->acknowledged();
        });
        mosquitto_message_callback_set(
            m_mosq, [](mosquitto*, void* self, const mosquitto_message* message) {
                static_cast<MqttClient*>(self)->received(message);
            });
    }

    ~MqttClient()
    {
        if (!m_mosq)
            return;
        mosquitto_disconnect(m_mosq);
        mosquitto_loop_stop(m_mosq, true);
        mosquitto_destroy(m_mosq);
    }

    MqttClient(const MqttClient&) = delete;
    MqttClient& operator=(const MqttClient&) = delete;

    // Connects to the broker on the loopback port and waits for its answer.
    bool connect(quint16 port, int timeoutMs = 5000)
    {
        if (!m_mosq || mosquitto_connect_async(m_mosq, "127.0.0.1", port, 30) != MOSQ_ERR_SUCCESS ||
            mosquitto_loop_start(m_mosq) != MOSQ_ERR_SUCCESS)
            return false;
        return wait([this] { return m_connected.load(); }, timeoutMs);
    }

    bool isConnected() const { return m_connected; }
    // The clock of MqttMessage::arrivedNs.
    qint64 nowNs() const { return m_clock.nsecsElapsed(); }

    // Subscribes and waits for the broker's acknowledgement. A client with a
    // clean session subscribes again whenever it reconnects. QoS 0: a
    // message the broker had sent just before it stopped must not come
    // again after its restart (the broker queues QoS 0 for an absent
    // client too, see BrokerProcess).
    bool subscribe(const QString& pattern, int timeoutMs = 5000)
    {
        int before = 0;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_patterns << pattern.toUtf8();
            before = m_acknowledged;
        }
        const QByteArray topic = pattern.toUtf8();
        if (mosquitto_subscribe(m_mosq, nullptr, topic.constData(), 0) != MOSQ_ERR_SUCCESS)
            return false;
        return wait([&] { return m_acknowledged > before; }, timeoutMs);
    }

    bool publish(const QString& topic, const QByteArray& payload, bool retain = false)
    {
        const QByteArray name = topic.toUtf8();
        return mosquitto_publish(m_mosq, nullptr, name.constData(),
                                 static_cast<int>(payload.size()), payload.constData(), 1,
                                 retain) == MOSQ_ERR_SUCCESS;
    }

    QList<MqttMessage> messages() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_messages;
    }

    // The messages on one topic, in order.
    QList<MqttMessage> messages(const QString& topic) const
    {
        QList<MqttMessage> out;
        std::lock_guard<std::mutex> lock(m_mutex);
        for (const MqttMessage& message : m_messages)
            if (message.topic == topic)
                out << message;
        return out;
    }

    QList<QByteArray> payloads(const QString& topic) const
    {
        QList<QByteArray> out;
        for (const MqttMessage& message : messages(topic))
            out << message.payload;
        return out;
    }

    qsizetype count() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_messages.size();
    }

    void clear()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_messages.clear();
    }

    // Waits until the predicate holds for the messages so far, or the time
    // runs out. The predicate runs with the list locked: keep it short. The
    // caller's event loop keeps running (child processes' output is read).
    bool waitFor(const Predicate& predicate, int timeoutMs)
    {
        return wait([&] { return predicate(m_messages); }, timeoutMs);
    }

    // Waits for a message on `topic` beyond the first `skip` ones there.
    bool waitForTopic(const QString& topic, int timeoutMs, qsizetype skip = 0)
    {
        return waitFor(
            [&](const QList<MqttMessage>& all) {
                return std::count_if(all.begin(), all.end(),
                                     [&](const MqttMessage& m) { return m.topic == topic; }) > skip;
            },
            timeoutMs);
    }

private:
    // The condition is tested with the mutex held; a message wakes the wait
    // at once, and the caller's events are processed at least every 10 ms.
    bool wait(const std::function<bool()>& condition, int timeoutMs)
    {
        const QDeadlineTimer deadline(timeoutMs);
        for (;;) {
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                if (condition())
                    return true;
                if (deadline.hasExpired())
                    return false;
                const auto slice = std::min<qint64>(deadline.remainingTime(), 10);
                m_changed.wait_for(lock, std::chrono::milliseconds(slice));
                if (condition())
                    return true;
            }
            QCoreApplication::processEvents();
        }
    }

    void connected(int rc)
    {
        QList<QByteArray> patterns;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_connected = rc == 0;
            patterns = m_patterns;
        }
        if (rc == 0 && m_cleanSession)
            for (const QByteArray& pattern : patterns)
                mosquitto_subscribe(m_mosq, nullptr, pattern.constData(), 0);
        m_changed.notify_all();
    }

    void acknowledged()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            ++m_acknowledged;
        }
        m_changed.notify_all();
    }

    void received(const mosquitto_message* message)
    {
        MqttMessage copy;
        copy.topic = QString::fromUtf8(message->topic);
        copy.payload = QByteArray(static_cast<const char*>(message->payload), message->payloadlen);
        copy.retained = message->retain;
        copy.arrivedNs = m_clock.nsecsElapsed();
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_messages << copy;
        }
        m_changed.notify_all();
    }

    mosquitto* m_mosq = nullptr;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    QList<MqttMessage> m_messages;
    QList<QByteArray> m_patterns;
    int m_acknowledged = 0;
    std::atomic<bool> m_connected{false};
    bool m_cleanSession = true;
    QElapsedTimer m_clock;
};

} // namespace tarvin::test
