#pragma once
// Between the bus and the broker's topics and payloads: set commands read
// from a topic and its payload, group states and events written as JSON.
// Pure functions, testable without a broker or a link.

#include "core/compose/lighting.h"
#include "core/decode/group_events.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QMap>
#include <QString>

#include <optional>

namespace tarvin::bridge {

// Network number -> remote network path (pairs of hex digits), from --network.
using NetworkPaths = QMap<int, QString>;

// One group command asked for on a set topic.
struct LightCommand
{
    int network = 0;
    int application = 0;
    int group = 0;
    compose::LightingKind kind = compose::LightingKind::On;
    int level = 0;     // the level it leaves: 255 for On, 0 for Off
    int rateIndex = 0; // into compose::kRampRates, for a ramp

    // The body as the workbench's lighting tab builds it (no header).
    std::string body() const;
    // What the group's state is once the interface confirms the command.
    GroupEvent event() const;
};

struct SetRequest
{
    std::optional<LightCommand> command;
    QString error; // in words, when there is no command
};

// Reads "P/<network>/<application>/<group>/set" and its payload: "ON",
// "OFF", or a JSON object with "state" ("ON"/"OFF"), "brightness" (0..255)
// and "transition" (seconds); a "flash" is accepted and left out (the bus
// has no flash). Numbers in the topic are canonical decimal. Network 0 is
// local; any other needs a path.
SetRequest ParseSetCommand(const QString& prefix, const QString& topic, const QByteArray& payload,
                           const NetworkPaths& networks);

// "P/<network>/<application>/<group>/state", numbers in decimal.
QString StateTopic(const QString& prefix, int network, int application, int group);
// {"state":"ON"|"OFF","brightness":L} for lighting, with
// "color_mode":"brightness" while ON; trigger and enable groups carry
// {"state":"ON"|"OFF","value":L}. ON while the level is above 0.
QByteArray StatePayload(int application, int level);

// ISO 8601 local time with milliseconds and its offset from UTC.
QString TimeText(const QDateTime& time);
// What a line says of where it comes from or goes to, when it says it.
struct LineFields
{
    std::optional<int> network;
    std::optional<int> source;
    std::optional<int> application;
    QString path; // a remote path that no --network names
};
// The fields of a received SAL message: its network by number when it is
// local or its path is given, else the path itself.
LineFields FieldsOf(const SalMessage& sal, const NetworkPaths& networks);
// P/rx and P/tx: time, raw, description and the fields the line has.
QByteArray LineEvent(const QDateTime& time, const QString& raw, const QString& description,
                     const LineFields& fields);
// P/error: time, the command's topic and payload (when there was one) and
// what went wrong. A payload beyond kEchoedPayloadBytes is cut there, and
// "payload_bytes" gives its whole length.
constexpr int kEchoedPayloadBytes = 256;
QByteArray ErrorEvent(const QDateTime& time, const QString& topic, const QByteArray& payload,
                      const QString& error);
// P/event: time, the event's name and its text, and the count of dropped
// events (count < 0: none).
QByteArray MarkerEvent(const QDateTime& time, const QString& event, const QString& text,
                       qint64 count = -1);

// Where a bridge publishes and what tells its groups from another site's.
struct Site
{
    QString prefix = QStringLiteral("tarvin");
    QString id = QStringLiteral("tarvin"); // letters, digits, "_" and "-"
    QString discoveryPrefix = QStringLiteral("homeassistant");
    NetworkPaths networks;
};
// The site id a prefix gives when none is chosen: "a/b" gives "a_b".
QString SiteIdOf(const QString& prefix);

// What the interface said of itself at connect (empty: not known).
struct InterfaceInfo
{
    QString manufacturer;
    QString model;
    QString firmware;
    bool operator==(const InterfaceInfo& o) const
    {
        return manufacturer == o.manufacturer && model == o.model && firmware == o.firmware;
    }
};

// Home Assistant discovery of one lighting group:
// "<discovery prefix>/light/<site>_<network>_<application>_<group>/config".
QString DiscoveryTopic(const Site& site, int network, int application, int group);
QByteArray DiscoveryPayload(const Site& site, const InterfaceInfo& interface, int network,
                            int application, int group, const QString& name);

} // namespace tarvin::bridge
