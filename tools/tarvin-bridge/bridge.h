#pragma once
// The bridge: keeps the link to the interface and the broker connection up,
// mirrors every line and group state to the broker, and sends the lighting
// commands that come in on the set topics.

#include "session/link_keeper.h"
#include "session/session.h"
#include "tools/tarvin-bridge/mapping.h"
#include "tools/tarvin-bridge/mqtt_client.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QMap>
#include <QObject>
#include <QSet>
#include <QTimer>

#include <deque>
#include <map>
#include <optional>
#include <tuple>

namespace tarvin::bridge {

// A group known before it is seen on the bus (--groups FILE).
struct NamedGroup
{
    int network = 0;
    int application = 0;
    int group = 0;
    QString name;
};

class Bridge : public QObject
{
    Q_OBJECT
public:
    struct Options
    {
        Settings link;
        MqttClient::Options mqtt;
        QString prefix = QStringLiteral("tarvin");
        QString siteId; // empty: made from the prefix
        QString discoveryPrefix = QStringLiteral("homeassistant");
        NetworkPaths networks;
        bool discovery = false;
        QList<NamedGroup> groups;
        int queueLimit = 10000;
        int retryMaxSeconds = 30;
        int answerTimeoutMs = 3000;
        int confirmTimeoutMs = 3000; // for a command's acknowledgement
        // How long after that a confirmation still gives the state.
        int lateConfirmMs = 30000;
    };

    explicit Bridge(Options options, QObject* parent = nullptr);
    ~Bridge() override;

    // False with `error` set when the broker client cannot be set up.
    bool start(QString* error);
    // Says offline and disconnected, gives the broker a moment to take what
    // is queued, and closes both connections.
    void stop();

private:
    using GroupKey = std::tuple<int, int, int>; // network, application, group
    struct Outgoing
    {
        QString topic;
        QByteArray payload;
        bool retain = false;
    };
    struct Pending
    {
        LightCommand command;
        QString topic;
        QByteArray payload;
        QDeadlineTimer due; // for the confirmation, then for a late one
        QElapsedTimer sent;
        quint64 serial = 0; // of its group's state when it was sent
    };

    // Broker side.
    void brokerUp();
    void brokerDown(const QString& why);
    void enqueue(const QString& topic, const QByteArray& payload, bool retain = false);
    void trimQueue();
    void pump();
    QString topic(const char* leaf) const;
    void event(const QString& name, const QString& text, qint64 count = -1);
    void error(const QString& topic, const QByteArray& payload, const QString& text);
    void publishState(int network, int application, const GroupEvent& e);
    void publishLink();
    void readInterface();

    // Bus side.
    void marker(const QString& text);
    void linkChanged(bool up);
    void lineReceived(const ReceivedLine& line);
    void lineSent(const QByteArray& line, const QString& description);
    void command(const QString& topic, const QByteArray& payload, bool retained);
    void sendNext();
    void confirmed(char letter, char answer, const QString& description);
    void failPending(const QString& why);
    void expire();

    Options m_options;
    Session m_session;
    LinkKeeper m_keeper;
    Site m_site;
    MqttClient m_mqtt;
    // P/link on a connection of its own, whose last will says
    // "disconnected": a bridge that dies leaves no "connected" behind.
    MqttClient m_linkMqtt;
    int m_linkMid = -1; // the last P/link not yet taken by the broker

    std::deque<Outgoing> m_queue;
    qint64 m_dropped = 0;
    QSet<int> m_inflight;
    bool m_everConnected = false;
    QDateTime m_brokerDownSince;
    QString m_brokerProblem; // the library's last error, said once
    bool m_stopping = false;

    std::map<GroupKey, int> m_levels;      // the last level of every group
    std::map<GroupKey, quint64> m_serials; // counts each group's states
    std::map<GroupKey, QString> m_named;   // groups for discovery, with names
    QString m_linkState = QStringLiteral("disconnected");
    InterfaceInfo m_interface;
    QSet<QString> m_retainedSets; // told once each: "topic payload"
    bool m_downReported = false;

    std::deque<Pending> m_commands;      // waiting to be sent, in order
    std::map<char, Pending> m_awaiting;  // sent, by acknowledgement letter
    std::map<char, Pending> m_late;      // not confirmed in time, still counted
    std::optional<LineFields> m_sending; // of the command going out now
    bool m_sendBusy = false;
    QTimer m_expiry; // ends the waits of unconfirmed commands
};

} // namespace tarvin::bridge
