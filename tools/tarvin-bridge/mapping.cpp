#include "tools/tarvin-bridge/mapping.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <QStringList>

#include <cmath>

namespace tarvin::bridge {

namespace {

const QLatin1String kOn("ON");
const QLatin1String kOff("OFF");

SetRequest Refuse(const QString& error)
{
    return {std::nullopt, error};
}

// A decimal number of the topic: digits only, no leading zero (one topic
// for each group, as the states are published), within lo..hi.
std::optional<int> TopicNumber(const QString& text, int lo, int hi)
{
    if (text.isEmpty() || text.size() > 3 || (text.size() > 1 && text[0] == QLatin1Char('0')))
        return std::nullopt;
    for (const QChar ch : text)
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
            return std::nullopt;
    const int n = text.toInt();
    if (n < lo || n > hi)
        return std::nullopt;
    return n;
}

// "P/<network>/<application>/<group>/"
QString GroupTopic(const QString& prefix, int network, int application, int group)
{
    return prefix + QStringLiteral("/%1/%2/%3/").arg(network).arg(application).arg(group);
}

QByteArray Compact(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// The command of a JSON payload; `command` already holds the group.
SetRequest FromJson(LightCommand command, const QByteArray& payload)
{
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(payload, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject())
        return Refuse(QStringLiteral("the payload is neither ON, OFF nor a JSON object"));
    const QJsonObject object = document.object();
    for (auto it = object.begin(); it != object.end(); ++it)
        if (it.key() != QLatin1String("state") && it.key() != QLatin1String("brightness") &&
            it.key() != QLatin1String("transition") && it.key() != QLatin1String("flash"))
            return Refuse(QStringLiteral("unknown key \"%1\" (state, brightness, transition and "
                                         "flash are known)")
                              .arg(it.key()));
    // Home Assistant offers flash to lights whose config does not forbid it;
    // the bus has no flash, so the rest of the command is carried out.
    if (object.contains(QLatin1String("flash"))) {
        const QJsonValue flash = object.value(QLatin1String("flash"));
        if (!(flash.isDouble() && flash.toDouble() >= 0) && flash != QLatin1String("short") &&
            flash != QLatin1String("long"))
            return Refuse(QStringLiteral("\"flash\" must be \"short\", \"long\" or a number of "
                                         "seconds"));
    }

    std::optional<bool> on;
    if (object.contains(QLatin1String("state"))) {
        const QString state = object.value(QLatin1String("state")).toString();
        if (state != kOn && state != kOff)
            return Refuse(QStringLiteral("\"state\" must be \"ON\" or \"OFF\""));
        on = state == kOn;
    }
    std::optional<int> brightness;
    if (object.contains(QLatin1String("brightness"))) {
        const QJsonValue value = object.value(QLatin1String("brightness"));
        const double b = value.toDouble(-1);
        if (!value.isDouble() || b != std::floor(b) || b < 0 || b > 255)
            return Refuse(QStringLiteral("\"brightness\" must be a whole number from 0 to 255"));
        brightness = static_cast<int>(b);
    }
    std::optional<double> transition;
    if (object.contains(QLatin1String("transition"))) {
        const QJsonValue value = object.value(QLatin1String("transition"));
        if (!value.isDouble() || !(value.toDouble() >= 0))
            return Refuse(QStringLiteral("\"transition\" must be a number of seconds, 0 or more"));
        transition = value.toDouble();
    }
    if (on == false && brightness.value_or(0) != 0)
        return Refuse(QStringLiteral("\"state\": \"OFF\" cannot go with a brightness above 0"));
    if (!on && !brightness)
        return Refuse(QStringLiteral("the payload has neither \"state\" nor \"brightness\""));

    if (!brightness && !transition) {
        command.kind = *on ? compose::LightingKind::On : compose::LightingKind::Off;
        command.level = *on ? 255 : 0;
        return {command, {}};
    }
    command.kind = compose::LightingKind::Ramp;
    command.level = brightness ? *brightness : (*on ? 255 : 0);
    command.rateIndex = compose::NearestRampRate(transition.value_or(0));
    return {command, {}};
}

} // namespace

std::string LightCommand::body() const
{
    return compose::LightingCommandBody(kind, group, rateIndex, level);
}

GroupEvent LightCommand::event() const
{
    switch (kind) {
    case compose::LightingKind::On:
        return {group, GroupAction::On, 255};
    case compose::LightingKind::Off:
        return {group, GroupAction::Off, 0};
    case compose::LightingKind::Ramp:
        break;
    }
    return {group, GroupAction::Level, level};
}

SetRequest ParseSetCommand(const QString& prefix, const QString& topic, const QByteArray& payload,
                           const NetworkPaths& networks)
{
    const QString lead = prefix + QLatin1Char('/');
    const QStringList parts =
        topic.startsWith(lead) ? topic.mid(lead.size()).split(QLatin1Char('/')) : QStringList();
    if (parts.size() != 4 || parts[3] != QLatin1String("set"))
        return Refuse(
            QStringLiteral("a command topic is %1<network>/<application>/<group>/set").arg(lead));
    const auto network = TopicNumber(parts[0], 0, 255);
    const auto application = TopicNumber(parts[1], 0, 255);
    const auto group = TopicNumber(parts[2], 0, 255);
    if (!network || !application || !group)
        return Refuse(QStringLiteral("network, application and group must be decimal numbers "
                                     "from 0 to 255"));
    if (!IsLightingApplication(*application))
        return Refuse(QStringLiteral("application %1 is not a lighting application (48 to 127)")
                          .arg(*application));
    if (*network != 0 && !networks.contains(*network))
        return Refuse(QStringLiteral("network %1 has no path (give it with --network %1=PATH)")
                          .arg(*network));

    LightCommand command;
    command.network = *network;
    command.application = *application;
    command.group = *group;
    const QByteArray text = payload.trimmed();
    if (text == "ON" || text == "OFF") {
        command.kind = text == "ON" ? compose::LightingKind::On : compose::LightingKind::Off;
        command.level = text == "ON" ? 255 : 0;
        return {command, {}};
    }
    return FromJson(command, text);
}

QString StateTopic(const QString& prefix, int network, int application, int group)
{
    return GroupTopic(prefix, network, application, group) + QLatin1String("state");
}

QByteArray StatePayload(int application, int level)
{
    QJsonObject object;
    object.insert(QLatin1String("state"), level > 0 ? kOn : kOff);
    const bool lighting = IsLightingApplication(application);
    object.insert(lighting ? QLatin1String("brightness") : QLatin1String("value"), level);
    if (lighting && level > 0)
        object.insert(QLatin1String("color_mode"), QLatin1String("brightness"));
    return Compact(object);
}

LineFields FieldsOf(const SalMessage& sal, const NetworkPaths& networks)
{
    LineFields fields;
    fields.source = sal.source;
    fields.application = sal.application;
    const QString path = QString::fromLatin1(sal.path.c_str());
    if (path.isEmpty())
        fields.network = 0;
    for (auto it = networks.begin(); it != networks.end() && !fields.network; ++it)
        if (it.value().compare(path, Qt::CaseInsensitive) == 0)
            fields.network = it.key();
    if (!fields.network)
        fields.path = path;
    return fields;
}

QString TimeText(const QDateTime& time)
{
    // The offset always as +hh:mm, also where Qt would write "Z".
    const int offset = time.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return time.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")) +
           QLatin1Char(offset < 0 ? '-' : '+') +
           QStringLiteral("%1:%2")
               .arg(minutes / 60, 2, 10, QLatin1Char('0'))
               .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QByteArray LineEvent(const QDateTime& time, const QString& raw, const QString& description,
                     const LineFields& fields)
{
    QJsonObject object;
    object.insert(QLatin1String("time"), TimeText(time));
    object.insert(QLatin1String("raw"), raw);
    object.insert(QLatin1String("description"), description);
    if (fields.network)
        object.insert(QLatin1String("network"), *fields.network);
    if (!fields.path.isEmpty())
        object.insert(QLatin1String("path"), fields.path);
    if (fields.source)
        object.insert(QLatin1String("source"), *fields.source);
    if (fields.application)
        object.insert(QLatin1String("application"), *fields.application);
    return Compact(object);
}

QByteArray ErrorEvent(const QDateTime& time, const QString& topic, const QByteArray& payload,
                      const QString& error)
{
    QJsonObject object;
    object.insert(QLatin1String("time"), TimeText(time));
    if (!topic.isEmpty())
        object.insert(QLatin1String("topic"), topic);
    if (payload.size() > kEchoedPayloadBytes) {
        // Cut before a character that the cut would split.
        qsizetype end = kEchoedPayloadBytes;
        while (end > 0 && (static_cast<unsigned char>(payload[end]) & 0xC0) == 0x80)
            --end;
        object.insert(QLatin1String("payload"), QString::fromUtf8(payload.left(end)));
        object.insert(QLatin1String("payload_bytes"), static_cast<qint64>(payload.size()));
    } else if (!payload.isEmpty()) {
        object.insert(QLatin1String("payload"), QString::fromUtf8(payload));
    }
    object.insert(QLatin1String("error"), error);
    return Compact(object);
}

QByteArray MarkerEvent(const QDateTime& time, const QString& event, const QString& text,
                       qint64 count)
{
    QJsonObject object;
    object.insert(QLatin1String("time"), TimeText(time));
    object.insert(QLatin1String("event"), event);
    object.insert(QLatin1String("text"), text);
    if (count >= 0)
        object.insert(QLatin1String("count"), count);
    return Compact(object);
}

QString SiteIdOf(const QString& prefix)
{
    QString id = prefix;
    for (QChar& ch : id)
        if (!(ch.isLetterOrNumber() && ch.unicode() < 128) && ch != QLatin1Char('-'))
            ch = QLatin1Char('_');
    return id;
}

namespace {

QString ObjectId(const Site& site, int network, int application, int group)
{
    return QStringLiteral("%1_%2_%3_%4").arg(site.id).arg(network).arg(application).arg(group);
}

QJsonObject Availability(const QString& topic, const char* available, const char* not_available)
{
    return {{QLatin1String("topic"), topic},
            {QLatin1String("payload_available"), QLatin1String(available)},
            {QLatin1String("payload_not_available"), QLatin1String(not_available)}};
}

QString NetworkDevice(const Site& site, int network)
{
    return QStringLiteral("%1_network_%2").arg(site.id).arg(network);
}

} // namespace

QString DiscoveryTopic(const Site& site, int network, int application, int group)
{
    return site.discoveryPrefix + QLatin1String("/light/") +
           ObjectId(site, network, application, group) + QLatin1String("/config");
}

QByteArray DiscoveryPayload(const Site& site, const InterfaceInfo& interface, int network,
                            int application, int group, const QString& name)
{
    const QString base = GroupTopic(site.prefix, network, application, group);
    const QString id = ObjectId(site, network, application, group);
    QJsonObject device{{QLatin1String("identifiers"), QJsonArray{NetworkDevice(site, network)}}};
    if (network == 0) {
        device.insert(QLatin1String("name"), QStringLiteral("Tarvin %1").arg(site.id));
        // The interface unit is the local network's way in.
        if (!interface.manufacturer.isEmpty())
            device.insert(QLatin1String("manufacturer"), interface.manufacturer);
        if (!interface.model.isEmpty())
            device.insert(QLatin1String("model"), interface.model);
        if (!interface.firmware.isEmpty())
            device.insert(QLatin1String("sw_version"), interface.firmware);
    } else {
        device.insert(QLatin1String("name"), QStringLiteral("Tarvin %1 network %2 (%3)")
                                                 .arg(site.id)
                                                 .arg(network)
                                                 .arg(site.networks.value(network)));
        device.insert(QLatin1String("via_device"), NetworkDevice(site, 0));
    }
    QJsonObject object;
    object.insert(QLatin1String("schema"), QLatin1String("json"));
    object.insert(QLatin1String("name"),
                  name.isEmpty()
                      ? QStringLiteral("Tarvin %1/%2/%3").arg(network).arg(application).arg(group)
                      : name);
    object.insert(QLatin1String("unique_id"), id);
    object.insert(QLatin1String("default_entity_id"),
                  QLatin1String("light.") + id.toLower().replace(QLatin1Char('-'), u'_'));
    object.insert(QLatin1String("state_topic"), base + QLatin1String("state"));
    object.insert(QLatin1String("command_topic"), base + QLatin1String("set"));
    object.insert(QLatin1String("supported_color_modes"), QJsonArray{QLatin1String("brightness")});
    object.insert(QLatin1String("flash"), false);
    object.insert(QLatin1String("transition"), true);
    // Both must hold: the bridge with the broker, and the bridge with the bus.
    object.insert(
        QLatin1String("availability"),
        QJsonArray{
            Availability(site.prefix + QLatin1String("/status"), "online", "offline"),
            Availability(site.prefix + QLatin1String("/link"), "connected", "disconnected")});
    object.insert(QLatin1String("availability_mode"), QLatin1String("all"));
    object.insert(QLatin1String("device"), device);
    object.insert(QLatin1String("origin"),
                  QJsonObject{{QLatin1String("name"), QLatin1String("tarvin-bridge")},
                              {QLatin1String("sw_version"), QLatin1String(PROJECT_VERSION)}});
    return Compact(object);
}

} // namespace tarvin::bridge
