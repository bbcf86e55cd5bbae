// tarvin-bridge between tarvin-sim and a real mosquitto broker, all on
// loopback: bus events become retained states and ordered P/rx events, set
// commands reach the wire exactly as the workbench frames them, and the
// bridge survives a broker restart and a lost bus link without losing
// events or sending a command late.
#include <QtTest>

#include "mqtt_client.h"
#include "sim_process.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <csignal>

using namespace tarvin::test;

namespace {

const QString kPrefix = QStringLiteral("tbx");

QString Topic(const QString& rest)
{
    return kPrefix + u'/' + rest;
}

QJsonObject Json(const QByteArray& payload)
{
    return QJsonDocument::fromJson(payload).object();
}

// A light's state as Home Assistant reads it: its colour mode while on.
QByteArray StateJson(const char* state, int brightness)
{
    QJsonObject json{{QStringLiteral("state"), QLatin1String(state)},
                     {QStringLiteral("brightness"), brightness}};
    if (brightness > 0)
        json.insert(QStringLiteral("color_mode"), QStringLiteral("brightness"));
    return QJsonDocument(json).toJson(QJsonDocument::Compact);
}

// What Home Assistant's MQTT JSON light takes in a discovery config (full
// key names, from its documentation) and the JSON type of each: s string,
// b true/false, n number, a array, o object.
using KeyTypes = QMap<QString, QJsonValue::Type>;
KeyTypes Keys(const char* list)
{
    static const QMap<QChar, QJsonValue::Type> kTypes{{u's', QJsonValue::String},
                                                      {u'b', QJsonValue::Bool},
                                                      {u'n', QJsonValue::Double},
                                                      {u'a', QJsonValue::Array},
                                                      {u'o', QJsonValue::Object}};
    KeyTypes keys;
    for (const QString& entry : QString::fromLatin1(list).split(u' ', Qt::SkipEmptyParts))
        keys[entry.chopped(2)] = kTypes.value(entry.back());
    return keys;
}
const KeyTypes kLightKeys =
    Keys("availability:a availability_mode:s availability_template:s availability_topic:s "
         "brightness_scale:n color_temp_kelvin:b command_topic:s default_entity_id:s device:o "
         "effect:b effect_list:a enabled_by_default:b encoding:s entity_category:s flash:b "
         "flash_time_long:n flash_time_short:n icon:s json_attributes_template:s "
         "json_attributes_topic:s max_kelvin:n min_kelvin:n name:s optimistic:b origin:o "
         "payload_available:s payload_not_available:s qos:n retain:b schema:s state_topic:s "
         "supported_color_modes:a transition:b unique_id:s white_scale:n");
const KeyTypes kDeviceKeys =
    Keys("configuration_url:s connections:a hw_version:s identifiers:a manufacturer:s model:s "
         "model_id:s name:s serial_number:s suggested_area:s sw_version:s via_device:s");
const KeyTypes kOriginKeys = Keys("name:s sw_version:s support_url:s");
const KeyTypes kAvailabilityKeys =
    Keys("topic:s payload_available:s payload_not_available:s value_template:s");

// The keys of `object` that `keys` does not take, or takes with another type.
QStringList Misfits(const QJsonObject& object, const KeyTypes& keys)
{
    QStringList out;
    for (auto it = object.begin(); it != object.end(); ++it)
        if (keys.value(it.key(), QJsonValue::Undefined) != it.value().type())
            out << it.key();
    return out;
}

// Where a discovery config breaks a rule of Home Assistant's (empty: none).
QString ConfigFault(const QString& topic, const QJsonObject& c)
{
    static const QRegularExpression kTopic(
        QStringLiteral("^homeassistant/light/([a-zA-Z0-9_-]+/)?[a-zA-Z0-9_-]+/config$"));
    static const QStringList kModes{
        QStringLiteral("onoff"), QStringLiteral("brightness"), QStringLiteral("color_temp"),
        QStringLiteral("hs"),    QStringLiteral("xy"),         QStringLiteral("rgb"),
        QStringLiteral("rgbw"),  QStringLiteral("rgbww"),      QStringLiteral("white")};
    QStringList faults = Misfits(c, kLightKeys);
    if (!kTopic.match(topic).hasMatch())
        faults << QStringLiteral("topic");
    if (c[QStringLiteral("schema")] != QLatin1String("json") ||
        c[QStringLiteral("command_topic")].toString().isEmpty() ||
        c[QStringLiteral("unique_id")].toString().isEmpty())
        faults << QStringLiteral("schema, command_topic or unique_id");
    // "brightness": true alone is deprecated; every mode must be known, and
    // onoff or brightness stand alone.
    const QJsonArray modes = c[QStringLiteral("supported_color_modes")].toArray();
    for (const QJsonValue& mode : modes)
        if (!kModes.contains(mode.toString()) ||
            ((mode == QLatin1String("onoff") || mode == QLatin1String("brightness")) &&
             modes.size() > 1))
            faults << QStringLiteral("supported_color_modes");
    if (modes.isEmpty())
        faults << QStringLiteral("no supported_color_modes");
    if (!QRegularExpression(QStringLiteral("^light\\.[a-z0-9_]+$"))
             .match(c[QStringLiteral("default_entity_id")].toString())
             .hasMatch())
        faults << QStringLiteral("default_entity_id");
    if (c.contains(QStringLiteral("availability")) &&
        c.contains(QStringLiteral("availability_topic")))
        faults << QStringLiteral("availability and availability_topic");
    for (const QJsonValue& a : c[QStringLiteral("availability")].toArray())
        if (!Misfits(a.toObject(), kAvailabilityKeys).isEmpty() ||
            !a.toObject().contains(QStringLiteral("topic")))
            faults << QStringLiteral("availability entry");
    if (c.contains(QStringLiteral("availability_mode")) &&
        !QStringList{QStringLiteral("all"), QStringLiteral("any"), QStringLiteral("latest")}
             .contains(c[QStringLiteral("availability_mode")].toString()))
        faults << QStringLiteral("availability_mode");
    const QJsonObject device = c[QStringLiteral("device")].toObject();
    faults << Misfits(device, kDeviceKeys);
    if (device[QStringLiteral("identifiers")].toArray().isEmpty())
        faults << QStringLiteral("device without identifiers");
    faults << Misfits(c[QStringLiteral("origin")].toObject(), kOriginKeys);
    if (c[QStringLiteral("origin")][QStringLiteral("name")].toString().isEmpty())
        faults << QStringLiteral("origin without a name");
    return faults.join(QStringLiteral(", "));
}

// Two hex digits that make the hex pairs of the text sum to 0 modulo 256;
// a leading "\" is not a pair.
QString Checksum(const QString& text)
{
    const QString hex = text.startsWith(u'\\') ? text.mid(1) : text;
    int sum = 0;
    for (int i = 0; i + 1 < hex.size(); i += 2)
        sum += hex.mid(i, 2).toInt(nullptr, 16);
    return QStringLiteral("%1")
        .arg((0x100 - sum % 0x100) % 0x100, 2, 16, QLatin1Char('0'))
        .toUpper();
}

QString Hex(int byte)
{
    return QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
}

// A SAL monitor line as the bus carries it: 05, the source unit, the
// application, 00, the commands, the checksum.
QString MonitorLine(int source, int application, const QString& commands)
{
    const QString body =
        QStringLiteral("05") + Hex(source) + Hex(application) + QStringLiteral("00") + commands;
    return body + Checksum(body);
}

// The lighting commands on the bus: on 79 GG, off 01 GG, an instant ramp
// 02 GG LL.
QString OnCommand(int group)
{
    return QStringLiteral("79") + Hex(group);
}
QString OffCommand(int group)
{
    return QStringLiteral("01") + Hex(group);
}
QString RampCommand(int group, int level)
{
    return QStringLiteral("02") + Hex(group) + Hex(level);
}

// The wire text of a P/rx or P/tx event (without its line end).
QString RawLine(const QByteArray& payload)
{
    return Json(payload).value(QStringLiteral("raw")).toString();
}

QStringList RawLines(const QList<QByteArray>& payloads, qsizetype from = 0)
{
    QStringList lines;
    for (qsizetype i = from; i < payloads.size(); ++i)
        lines << RawLine(payloads[i]);
    return lines;
}

// Lighting lines from several units to twelve groups: on, off and ramps in
// turn; `states` gets each group's last state.
QStringList LightingLines(int count, QMap<int, QByteArray>& states)
{
    QStringList lines;
    for (int i = 0; i < count; ++i) {
        const int group = i % 12;
        QString command;
        if (i % 3 == 0) {
            command = OnCommand(group);
            states[group] = StateJson("ON", 255);
        } else if (i % 3 == 1) {
            command = OffCommand(group);
            states[group] = StateJson("OFF", 0);
        } else {
            const int level = (i * 37) % 256;
            command = RampCommand(group, level);
            states[group] = level > 0 ? StateJson("ON", level) : StateJson("OFF", 0);
        }
        lines << MonitorLine(1 + i % 7, 0x38, command);
    }
    return lines;
}

// Puts the lines on the bus in bursts of a hundred, each written at once.
bool SendBursts(SimProcess& sim, const QStringList& lines)
{
    for (qsizetype from = 0; from < lines.size(); from += 100)
        if (!sim.control(QStringLiteral("send ") +
                         lines.mid(from, 100).join(QStringLiteral("\\r\\n")) +
                         QStringLiteral("\\r\\n")))
            return false;
    return true;
}

// Waits for the P/rx event of a line; all before it have come by then.
bool WaitForRx(MqttClient& client, const QString& raw, int timeoutMs = 20000)
{
    return client.waitFor(
        [&](const QList<MqttMessage>& all) {
            return std::any_of(all.begin(), all.end(), [&](const MqttMessage& m) {
                return m.topic == Topic(QStringLiteral("rx")) && RawLine(m.payload) == raw;
            });
        },
        timeoutMs);
}

// The last payload on a topic, or an empty one.
QByteArray Last(const MqttClient& client, const QString& topic)
{
    const QList<QByteArray> all = client.payloads(topic);
    return all.isEmpty() ? QByteArray() : all.last();
}

// Waits until the last message on the topic is the payload (a JSON object
// compared as one: its keys may come in any order).
bool HasLast(MqttClient& client, const QString& topic, const QByteArray& payload,
             int timeoutMs = 10000)
{
    const QJsonObject json = Json(payload);
    return client.waitFor(
        [&](const QList<MqttMessage>& all) {
            for (auto it = all.rbegin(); it != all.rend(); ++it)
                if (it->topic == topic)
                    return it->payload == payload || (!json.isEmpty() && Json(it->payload) == json);
            return false;
        },
        timeoutMs);
}

// Runs a command-line tool in `dir` to its end (bounded); false when it
// cannot start or fails.
bool RunTool(const QString& program, const QStringList& args, const QString& dir)
{
    QProcess tool;
    tool.setWorkingDirectory(dir);
    tool.setProcessChannelMode(QProcess::MergedChannels);
    tool.start(program, args);
    if (!tool.waitForFinished(30000) || tool.exitStatus() != QProcess::NormalExit ||
        tool.exitCode() != 0) {
        qWarning("%s failed: %s", qPrintable(program), tool.readAll().constData());
        return false;
    }
    return true;
}

// The bridge as a process; stopped (SIGTERM, then SIGKILL) with the object.
class BridgeProcess
{
public:
    ~BridgeProcess() { stop(); }

    bool start(const QStringList& args)
    {
        m_process.setProgram(qEnvironmentVariable("TARVIN_BRIDGE"));
        m_process.setArguments(args);
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start();
        return m_process.waitForStarted(5000);
    }

    // SIGTERM, and the exit code (-1 when it had to be killed).
    int stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
        ::kill(static_cast<pid_t>(m_process.processId()), SIGTERM);
        if (m_process.waitForFinished(10000))
            return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
        m_process.kill();
        m_process.waitForFinished(5000);
        return -1;
    }

    QProcess& process() { return m_process; }
    QString output()
    {
        m_output += m_process.readAll();
        return QString::fromLocal8Bit(m_output);
    }

private:
    QProcess m_process;
    QByteArray m_output;
};

// A broker, a simulated interface and the bridge between them, with a
// client that has watched every topic under the prefix from the start.
struct Rig
{
    BrokerProcess broker;
    SimProcess sim;
    BridgeProcess bridge;
    std::unique_ptr<MqttClient> watch;
    QTemporaryDir dir;
    QString error; // why start() failed

    // extra: further bridge options; a persistent broker keeps the watching
    // client's session (and what is queued for it) through a restart.
    bool start(const QStringList& extra = {}, bool persistentBroker = false)
    {
        if (!broker.start(0, persistentBroker))
            return fail(broker.errorString());
        if (!sim.start())
            return fail(sim.errorString());
        watch = persistentBroker ? std::make_unique<MqttClient>(QStringLiteral("tst-bridge"), false)
                                 : std::make_unique<MqttClient>();
        if (!watch->connect(broker.port()) || !watch->subscribe(kPrefix + QStringLiteral("/#")))
            return fail(QStringLiteral("the watching client cannot subscribe"));
        const QStringList args =
            QStringList{QStringLiteral("--tcp"),       QStringLiteral("127.0.0.1"),
                        QStringLiteral("--port"),      QString::number(sim.tcpPort()),
                        QStringLiteral("--mqtt-host"), QStringLiteral("127.0.0.1"),
                        QStringLiteral("--mqtt-port"), QString::number(broker.port()),
                        QStringLiteral("--prefix"),    kPrefix} +
            extra;
        if (!bridge.start(args))
            return fail(QStringLiteral("cannot start tarvin-bridge"));
        if (!HasLast(*watch, Topic(QStringLiteral("status")), "online", 20000) ||
            !HasLast(*watch, Topic(QStringLiteral("link")), "connected", 20000))
            return fail(QStringLiteral("the bridge did not come online"));
        return true;
    }

    bool fail(const QString& why)
    {
        error = why + QStringLiteral("\nbridge: ") + bridge.output();
        return false;
    }

    // The lines the bridge has sent to the interface since `from`, without
    // the empty ones of a second CR.
    QStringList sentSince(qsizetype from) const
    {
        const QStringList all = sim.receivedLines();
        QStringList out;
        for (qsizetype i = from; i < all.size(); ++i)
            if (!all[i].isEmpty())
                out << all[i];
        return out;
    }

    bool checksums() { return (sim.options() & 0x08) != 0; }
};

} // namespace

class TestBridge : public QObject
{
    Q_OBJECT

private:
    // The set and bad-command tables share one bridge.
    std::unique_ptr<Rig> m_shared;

    Rig* shared()
    {
        if (!m_shared) {
            m_shared = std::make_unique<Rig>();
            if (!m_shared->start({QStringLiteral("--network"), QStringLiteral("3=0A1B")})) {
                qWarning("%s", qPrintable(m_shared->error));
                m_shared.reset();
            }
        }
        return m_shared.get();
    }

private slots:
    void initTestCase() { QVERIFY(!qEnvironmentVariableIsEmpty("TARVIN_BRIDGE")); }
    void cleanupTestCase() { m_shared.reset(); }

    void badOptionsExitWithTwo_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("unknown option") << QStringList{QStringLiteral("--bogus")};
        QTest::newRow("port out of range")
            << QStringList{QStringLiteral("--mqtt-port"), QStringLiteral("70000")};
        QTest::newRow("MQTT version 4")
            << QStringList{QStringLiteral("--mqtt-version"), QStringLiteral("4")};
        QTest::newRow("queue not a number")
            << QStringList{QStringLiteral("--queue"), QStringLiteral("many")};
        QTest::newRow("network path odd")
            << QStringList{QStringLiteral("--network"), QStringLiteral("3=0A1")};
        QTest::newRow("groups file missing")
            << QStringList{QStringLiteral("--discovery"), QStringLiteral("--groups"),
                           QStringLiteral("/nonexistent/groups.txt")};
        QTest::newRow("config file missing")
            << QStringList{QStringLiteral("--config"), QStringLiteral("/nonexistent/bridge.conf")};
    }

    void badOptionsExitWithTwo()
    {
        QFETCH(QStringList, args);
        // Loopback ports nobody serves, should the option be taken.
        const QString closed = QString::number(FreeLoopbackPort());
        BridgeProcess bridge;
        QVERIFY(bridge.start(QStringList{QStringLiteral("--tcp"), QStringLiteral("127.0.0.1"),
                                         QStringLiteral("--port"), closed,
                                         QStringLiteral("--mqtt-host"), QStringLiteral("127.0.0.1"),
                                         QStringLiteral("--mqtt-port"), closed} +
                             args));
        QVERIFY2(bridge.process().waitForFinished(10000), "a bad option must end the bridge");
        QCOMPARE(bridge.process().exitCode(), 2);
        QVERIFY2(bridge.output().startsWith(QLatin1String("tarvin-bridge: ")),
                 qPrintable(bridge.output()));
    }

    // A burst on the bus: every line once, in order, as the simulator sent
    // it; the groups' last states retained for a newcomer; the last will
    // when the bridge dies.
    void busEventsBecomeOrderedRxAndRetainedStates()
    {
        Rig rig;
        QVERIFY2(rig.start(), qPrintable(rig.error));
        const qsizetype rxBefore = rig.watch->payloads(Topic(QStringLiteral("rx"))).size();
        QMap<int, QByteArray> states;
        const QStringList lines = LightingLines(300, states);
        const qsizetype txBefore = rig.sim.sentTexts().size();
        QVERIFY(SendBursts(rig.sim, lines));
        QVERIFY(WaitForRx(*rig.watch, lines.last()));
        const QList<QByteArray> rx = rig.watch->payloads(Topic(QStringLiteral("rx")));
        // What the simulator wrote, per its wire log, is what came out.
        const QStringList sent = rig.sim.sentTexts().mid(txBefore).join(QString()).split(
            QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QCOMPARE(sent, lines);
        QCOMPARE(RawLines(rx, rxBefore), lines);

        // One event in full.
        const QJsonObject first = Json(rx[rxBefore]);
        QVERIFY(QRegularExpression(QStringLiteral(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3})"))
                    .match(first[QStringLiteral("time")].toString())
                    .hasMatch());
        QCOMPARE(first[QStringLiteral("network")].toInt(-1), 0);
        QCOMPARE(first[QStringLiteral("source")].toInt(), 1);
        QCOMPARE(first[QStringLiteral("application")].toInt(), 56);
        QVERIFY(!first[QStringLiteral("description")].toString().isEmpty());

        // A newcomer gets the states as retained messages.
        MqttClient fresh;
        QVERIFY(fresh.connect(rig.broker.port()));
        QVERIFY(fresh.subscribe(Topic(QStringLiteral("0/56/+/state"))));
        QVERIFY(
            fresh.waitFor([&](const QList<MqttMessage>& all) { return all.size() >= 12; }, 5000));
        for (const MqttMessage& message : fresh.messages()) {
            QVERIFY(message.retained);
            const int group = message.topic.section(u'/', 3, 3).toInt();
            QVERIFY2(Json(message.payload) == Json(states.value(group)),
                     qPrintable(message.topic + u' ' + QString::fromUtf8(message.payload)));
        }
        QCOMPARE(fresh.messages().size(), 12);

        // Killed (SIGKILL), the bridge leaves its last wills: a newcomer
        // reads no "online" and no "connected", whichever topic it trusts.
        rig.bridge.process().kill();
        QVERIFY(HasLast(*rig.watch, Topic(QStringLiteral("status")), "offline", 60000));
        QVERIFY(HasLast(*rig.watch, Topic(QStringLiteral("link")), "disconnected", 60000));
        MqttClient late;
        QVERIFY(late.connect(rig.broker.port()));
        QVERIFY(late.subscribe(Topic(QStringLiteral("+"))));
        QVERIFY(late.waitFor([&](const QList<MqttMessage>& all) { return all.size() >= 2; }, 5000));
        QCOMPARE(Last(late, Topic(QStringLiteral("status"))), QByteArray("offline"));
        QCOMPARE(Last(late, Topic(QStringLiteral("link"))), QByteArray("disconnected"));
    }

    // The queue is for broker outages: a burst larger than it, with the
    // broker there all along, loses nothing.
    void burstBeyondTheQueueLosesNothingWhileTheBrokerIsUp()
    {
        Rig rig;
        QVERIFY2(rig.start({QStringLiteral("--queue"), QStringLiteral("20")}),
                 qPrintable(rig.error));
        const qsizetype rxBefore = rig.watch->payloads(Topic(QStringLiteral("rx"))).size();
        QMap<int, QByteArray> states;
        const QStringList lines = LightingLines(300, states);
        QVERIFY(SendBursts(rig.sim, lines));
        QVERIFY(WaitForRx(*rig.watch, lines.last()));
        QVERIFY(HasLast(*rig.watch, Topic(QStringLiteral("0/56/11/state")), states.value(11)));
        for (const QByteArray& event : rig.watch->payloads(Topic(QStringLiteral("event"))))
            QVERIFY2(!event.contains("dropped"), event.constData());
        QCOMPARE(RawLines(rig.watch->payloads(Topic(QStringLiteral("rx"))), rxBefore), lines);
    }

    // topic below the prefix, payload, the command the workbench would
    // put on the wire (before its checksum and letter), the state after.
    void setPutsTheWorkbenchLineOnTheWire_data()
    {
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QByteArray>("state");
        QTest::newRow("on") << "0/56/1" << QByteArray("ON") << "\\0538007901"
                            << StateJson("ON", 255);
        QTest::newRow("off") << "0/56/2" << QByteArray("OFF") << "\\0538000102"
                             << StateJson("OFF", 0);
        QTest::newRow("json on") << "0/56/3" << QByteArray(R"({"state":"ON"})") << "\\0538007903"
                                 << StateJson("ON", 255);
        QTest::newRow("json off") << "0/56/4" << QByteArray(R"({"state":"OFF"})") << "\\0538000104"
                                  << StateJson("OFF", 0);
        // An instant ramp (02) to the level.
        QTest::newRow("brightness") << "0/56/5" << QByteArray(R"({"brightness":128})")
                                    << "\\053800020580" << StateJson("ON", 128);
        // 7 s is nearest to the 8 s rate (12), 100 s to 90 s (42), 2000 s
        // to the longest, 17 minutes (7A).
        QTest::newRow("transition 7 s")
            << "0/56/6" << QByteArray(R"({"state":"ON","brightness":100,"transition":7})")
            << "\\053800120664" << StateJson("ON", 100);
        // 10 s lies between 8 s and 12 s: the faster.
        QTest::newRow("transition 10 s, a tie")
            << "0/56/11" << QByteArray(R"({"brightness":100,"transition":10})") << "\\053800120B64"
            << StateJson("ON", 100);
        QTest::newRow("transition 100 s")
            << "0/56/7" << QByteArray(R"({"brightness":10,"transition":100})") << "\\05380042070A"
            << StateJson("ON", 10);
        QTest::newRow("transition 2000 s")
            << "0/56/8" << QByteArray(R"({"brightness":255,"transition":2000})") << "\\0538007A08FF"
            << StateJson("ON", 255);
        QTest::newRow("other lighting application")
            << "0/48/9" << QByteArray("ON") << "\\0530007909" << StateJson("ON", 255);
        // Network 3 is 0A1B: routed header 03, the bridges and 9 x 2 between.
        QTest::newRow("remote network")
            << "3/56/10" << QByteArray("ON") << "\\030A121B38790A" << StateJson("ON", 255);
        // The bus has no flash: the rest of the command is carried out.
        QTest::newRow("Home Assistant's flash")
            << "0/56/12" << QByteArray(R"({"state":"ON","flash":2})") << "\\053800790C"
            << StateJson("ON", 255);
    }

    void setPutsTheWorkbenchLineOnTheWire()
    {
        QFETCH(QString, topic);
        QFETCH(QByteArray, payload);
        QFETCH(QString, line);
        QFETCH(QByteArray, state);
        Rig* rig = shared();
        QVERIFY(rig);
        const qsizetype wireBefore = rig->sim.receivedLines().size();
        const qsizetype txBefore = rig->watch->payloads(Topic(QStringLiteral("tx"))).size();
        QVERIFY(rig->watch->publish(Topic(topic + QStringLiteral("/set")), payload));
        QVERIFY(rig->sim.waitForReceived(
            [&](const QStringList&) { return !rig->sentSince(wireBefore).isEmpty(); }, 10000));
        const QString expected = rig->checksums() ? line + Checksum(line) : line;
        const QString sent = rig->sentSince(wireBefore).first();
        // The acknowledgement letter the confirmation answers.
        QVERIFY2(
            QRegularExpression(QRegularExpression::anchoredPattern(
                                   QRegularExpression::escape(expected) + QStringLiteral("[g-z]")))
                .match(sent)
                .hasMatch(),
            qPrintable(sent + QStringLiteral(" is not ") + expected + QStringLiteral("[g-z]")));
        QVERIFY2(HasLast(*rig->watch, Topic(topic + QStringLiteral("/state")), state),
                 qPrintable(QString::fromUtf8(
                     Last(*rig->watch, Topic(topic + QStringLiteral("/state"))))));
        // The sent line is on P/tx as well, with its network and application.
        QVERIFY(rig->watch->waitForTopic(Topic(QStringLiteral("tx")), 5000, txBefore));
        const QJsonObject tx = Json(rig->watch->payloads(Topic(QStringLiteral("tx")))[txBefore]);
        QCOMPARE(tx[QStringLiteral("raw")].toString(), sent);
        QCOMPARE(tx[QStringLiteral("network")].toInt(-1), topic.section(u'/', 0, 0).toInt());
        QCOMPARE(tx[QStringLiteral("application")].toInt(-1), topic.section(u'/', 1, 1).toInt());
        QCOMPARE(rig->sentSince(wireBefore).size(), 1);
    }

    void refusedSetGivesAnErrorAndNoState_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("mended");
        QTest::addColumn<int>("group");
        QTest::addColumn<bool>("late"); // confirmed after the error all the same
        QTest::newRow("refused") << QStringLiteral("fault #") << QStringLiteral("fault off") << 20
                                 << false;
        QTest::newRow("not confirmed")
            << QStringLiteral("silent confirm") << QStringLiteral("answer confirm") << 21 << false;
        QTest::newRow("confirmed late") << QStringLiteral("late confirm 3500")
                                        << QStringLiteral("late confirm 0") << 22 << true;
    }

    // The interface refuses the command, or does not confirm it in time: an
    // error event, and the state stays as it was until a late confirmation.
    void refusedSetGivesAnErrorAndNoState()
    {
        QFETCH(QString, fault);
        QFETCH(QString, mended);
        QFETCH(int, group);
        QFETCH(bool, late);
        Rig* rig = shared();
        QVERIFY(rig);
        const QString set = Topic(QStringLiteral("0/56/%1/set").arg(group));
        const QString state = Topic(QStringLiteral("0/56/%1/state").arg(group));
        const qsizetype errors = rig->watch->payloads(Topic(QStringLiteral("error"))).size();
        QVERIFY(rig->sim.control(fault));
        QVERIFY(rig->watch->publish(set, "ON"));
        const qsizetype events = rig->watch->payloads(Topic(QStringLiteral("event"))).size();
        const bool refused =
            rig->watch->waitForTopic(Topic(QStringLiteral("error")), 15000, errors);
        QVERIFY(rig->sim.control(mended));
        QVERIFY(refused);
        if (late) {
            QVERIFY(HasLast(*rig->watch, state, StateJson("ON", 255)));
            QVERIFY(rig->watch->waitForTopic(Topic(QStringLiteral("event")), 5000, events));
            QCOMPARE(Json(rig->watch->payloads(Topic(QStringLiteral("event")))
                              .last())[QStringLiteral("event")]
                         .toString(),
                     QStringLiteral("late"));
        }
        const QJsonObject error =
            Json(rig->watch->payloads(Topic(QStringLiteral("error")))[errors]);
        QCOMPARE(error[QStringLiteral("topic")].toString(), set);
        QCOMPARE(error[QStringLiteral("payload")].toString(), QStringLiteral("ON"));
        QVERIFY(!error[QStringLiteral("error")].toString().isEmpty());
        // A later command to the group goes through; its state is the first.
        QVERIFY(rig->watch->publish(set, "OFF"));
        QVERIFY(HasLast(*rig->watch, state, StateJson("OFF", 0)));
        QCOMPARE(rig->watch->payloads(state).size(), late ? 2 : 1);
    }

    void badCommandGivesAnErrorAndSendsNothing_data()
    {
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QByteArray>("payload");
        QTest::newRow("garbage") << "0/56/1/set" << QByteArray("dim a bit");
        QTest::newRow("empty") << "0/56/1/set" << QByteArray();
        QTest::newRow("broken json") << "0/56/1/set" << QByteArray(R"({"state":"ON")");
        QTest::newRow("brightness 300") << "0/56/1/set" << QByteArray(R"({"brightness":300})");
        QTest::newRow("brightness negative") << "0/56/1/set" << QByteArray(R"({"brightness":-1})");
        QTest::newRow("brightness not whole")
            << "0/56/1/set" << QByteArray(R"({"brightness":12.5})");
        QTest::newRow("off with brightness")
            << "0/56/1/set" << QByteArray(R"({"state":"OFF","brightness":9})");
        QTest::newRow("unknown key")
            << "0/56/1/set" << QByteArray(R"({"state":"ON","effect":"colorloop"})");
        QTest::newRow("flash of no length")
            << "0/56/1/set" << QByteArray(R"({"state":"ON","flash":"blink"})");
        QTest::newRow("2 MB payload") << "0/56/1/set" << QByteArray(2 << 20, 'x');
        QTest::newRow("leading zeros") << "00/056/007/set" << QByteArray("ON");
        QTest::newRow("unknown state") << "0/56/1/set" << QByteArray(R"({"state":"DIM"})");
        QTest::newRow("negative transition")
            << "0/56/1/set" << QByteArray(R"({"brightness":9,"transition":-4})");
        QTest::newRow("group not a number") << "0/56/x/set" << QByteArray("ON");
        QTest::newRow("group 256") << "0/56/256/set" << QByteArray("ON");
        QTest::newRow("not a lighting application") << "0/20/1/set" << QByteArray("ON");
        QTest::newRow("too short") << "0/56/set" << QByteArray("ON");
        QTest::newRow("too deep") << "0/56/1/2/set" << QByteArray("ON");
        QTest::newRow("unknown network") << "7/56/1/set" << QByteArray("ON");
    }

    void badCommandGivesAnErrorAndSendsNothing()
    {
        QFETCH(QString, topic);
        QFETCH(QByteArray, payload);
        Rig* rig = shared();
        QVERIFY(rig);
        const QString errorTopic = Topic(QStringLiteral("error"));
        const qsizetype errors = rig->watch->payloads(errorTopic).size();
        const qsizetype wireBefore = rig->sim.receivedLines().size();
        QVERIFY(rig->watch->publish(Topic(topic), payload));
        QVERIFY(rig->watch->waitForTopic(errorTopic, 10000, errors));
        const QList<QByteArray> all = rig->watch->payloads(errorTopic);
        QCOMPARE(all.size(), errors + 1);
        const QJsonObject error = Json(all.last());
        QCOMPARE(error[QStringLiteral("topic")].toString(), Topic(topic));
        // A payload is echoed up to 256 bytes, and its length beyond that.
        QCOMPARE(error[QStringLiteral("payload")].toString().toUtf8(), payload.left(256));
        QCOMPARE(error[QStringLiteral("payload_bytes")].toInteger(-1),
                 payload.size() > 256 ? payload.size() : -1);
        QVERIFY(!error[QStringLiteral("error")].toString().isEmpty());
        QVERIFY(!error[QStringLiteral("time")].toString().isEmpty());
        // Commands are handled in order: once a good one is on the wire, the
        // bad one would have been before it.
        QVERIFY(rig->watch->publish(Topic(QStringLiteral("0/56/99/set")), "OFF"));
        QVERIFY(rig->sim.waitForReceived(
            [&](const QStringList&) { return !rig->sentSince(wireBefore).isEmpty(); }, 10000));
        const QStringList sent = rig->sentSince(wireBefore);
        QCOMPARE(sent.size(), 1);
        QVERIFY2(sent.first().startsWith(QLatin1String("\\0538000163")), qPrintable(sent.first()));
    }

    // The broker goes away and comes back on its port: what the bus said
    // meanwhile arrives in order, the states are published again and the
    // bridge is online again.
    void brokerRestartLosesNothing()
    {
        Rig rig;
        QVERIFY2(rig.start({QStringLiteral("--retry-max"), QStringLiteral("2")}, true),
                 qPrintable(rig.error));
        // A set published retained is a command when it comes live...
        const QString retainedSet = Topic(QStringLiteral("0/56/35/set"));
        const QString errorTopic = Topic(QStringLiteral("error"));
        QVERIFY(rig.watch->publish(retainedSet, "ON", true));
        QVERIFY(HasLast(*rig.watch, Topic(QStringLiteral("0/56/35/state")), StateJson("ON", 255)));
        const QString rxTopic = Topic(QStringLiteral("rx"));
        const qsizetype rxBefore = rig.watch->payloads(rxTopic).size();
        QStringList lines;
        for (int group = 30; group < 34; ++group)
            lines << MonitorLine(5, 0x38, OnCommand(group));
        lines << MonitorLine(5, 0x38, RampCommand(34, 200));
        QVERIFY(SendBursts(rig.sim, lines));
        QVERIFY(WaitForRx(*rig.watch, lines.last()));
        // The ramp's state follows its P/rx event: wait for it too, or it may
        // land after the count below and look like a level published late.
        QVERIFY(HasLast(*rig.watch, Topic(QStringLiteral("0/56/34/state")), StateJson("ON", 200)));

        const qsizetype beforeOutage = rig.watch->count();
        const qsizetype errors = rig.watch->payloads(errorTopic).size();
        rig.broker.stop();
        QTRY_VERIFY_WITH_TIMEOUT(
            rig.bridge.output().contains(QLatin1String("broker connection lost")), 10000);
        QStringList during;
        for (int level = 1; level <= 40; ++level)
            during << MonitorLine(6, 0x38, RampCommand(34, level));
        during << MonitorLine(6, 0x38, OffCommand(30)) << MonitorLine(6, 0x38, OffCommand(35));
        for (const QString& line : during)
            QVERIFY(rig.sim.control(QStringLiteral("monitor ") + line));
        QVERIFY2(rig.broker.start(rig.broker.port(), true), qPrintable(rig.broker.errorString()));

        lines += during;
        QVERIFY(WaitForRx(*rig.watch, lines.last(), 30000));
        QCOMPARE(RawLines(rig.watch->payloads(rxTopic), rxBefore), lines);
        QVERIFY(HasLast(*rig.watch, Topic(QStringLiteral("0/56/34/state")), StateJson("ON", 40)));
        QVERIFY(HasLast(*rig.watch, Topic(QStringLiteral("0/56/30/state")), StateJson("OFF", 0)));
        // Published in the order the bus gave them: group 34 only rises.
        QList<int> levels;
        for (const MqttMessage& m : rig.watch->messages().mid(beforeOutage))
            if (m.topic == Topic(QStringLiteral("0/56/34/state")))
                levels << Json(m.payload)[QStringLiteral("brightness")].toInt();
        QVERIFY2(std::is_sorted(levels.begin(), levels.end()) && levels.last() == 40,
                 qPrintable(QString::number(levels.first())));
        // ...but the broker hands it over again when the bridge reconnects:
        // an error once, the light left as the bus left it, nothing sent.
        QVERIFY(rig.watch->waitForTopic(errorTopic, 10000, errors));
        const QList<QByteArray> told = rig.watch->payloads(errorTopic).mid(errors);
        QCOMPARE(told.size(), 1);
        QCOMPARE(Json(told.first())[QStringLiteral("topic")].toString(), retainedSet);
        QVERIFY(Json(told.first())[QStringLiteral("error")].toString().contains(
            QLatin1String("retained")));
        QVERIFY(HasLast(*rig.watch, Topic(QStringLiteral("0/56/35/state")), StateJson("OFF", 0)));
        QCOMPARE(rig.sentSince(0).filter(QStringLiteral("\\0538007923")).size(), 1);
        // The broker kept the retained messages on disk; the bridge must send
        // them again all the same, and those unchanged by the outage prove it.
        const auto sentAgain = [&](const QString& topic, const QByteArray& payload) {
            return rig.watch->waitFor(
                [&](const QList<MqttMessage>& all) {
                    for (qsizetype i = beforeOutage; i < all.size(); ++i)
                        if (all[i].topic == topic &&
                            (all[i].payload == payload || Json(all[i].payload) == Json(payload)))
                            return true;
                    return false;
                },
                10000);
        };
        for (int group = 31; group < 34; ++group)
            QVERIFY2(
                sentAgain(Topic(QStringLiteral("0/56/%1/state").arg(group)), StateJson("ON", 255)),
                qPrintable(QStringLiteral("group %1 not published again").arg(group)));
        QVERIFY(sentAgain(Topic(QStringLiteral("status")), "online"));
        QCOMPARE(Last(*rig.watch, Topic(QStringLiteral("status"))), QByteArray("online"));
        // Stopped, it says so on both.
        QCOMPARE(rig.bridge.stop(), 0);
        QVERIFY(HasLast(*rig.watch, Topic(QStringLiteral("status")), "offline"));
        QVERIFY(HasLast(*rig.watch, Topic(QStringLiteral("link")), "disconnected"));
    }

    // A queue of ten through an outage of 25 lighting lines, each of which
    // queues its P/rx event and its group's state: the oldest go, a marker
    // counts them, the newest arrive in order.
    void brokerOutageOverflowKeepsTheNewest()
    {
        Rig rig;
        QVERIFY2(rig.start({QStringLiteral("--queue"), QStringLiteral("10"),
                            QStringLiteral("--retry-max"), QStringLiteral("2")},
                           true),
                 qPrintable(rig.error));
        const QString rxTopic = Topic(QStringLiteral("rx"));
        const qsizetype rxBefore = rig.watch->payloads(rxTopic).size();
        rig.broker.stop();
        // Only once the bridge knows do the events wait in its queue.
        QTRY_VERIFY_WITH_TIMEOUT(
            rig.bridge.output().contains(QLatin1String("broker connection lost")), 10000);
        QStringList lines;
        for (int level = 1; level <= 25; ++level)
            lines << MonitorLine(7, 0x38, RampCommand(40, level));
        for (const QString& line : lines)
            QVERIFY(rig.sim.control(QStringLiteral("monitor ") + line));
        QVERIFY2(rig.broker.start(rig.broker.port(), true), qPrintable(rig.broker.errorString()));

        // The newest is kept, and all kept before it have come once it has.
        QVERIFY(WaitForRx(*rig.watch, lines.last(), 30000));
        QVERIFY(HasLast(*rig.watch, Topic(QStringLiteral("0/56/40/state")), StateJson("ON", 25)));
        const QStringList kept = RawLines(rig.watch->payloads(rxTopic), rxBefore);
        QCOMPARE(kept, lines.mid(lines.size() - kept.size()));
        QCOMPARE(kept.size(), 5);
        QList<qint64> dropped;
        for (const QByteArray& payload : rig.watch->payloads(Topic(QStringLiteral("event"))))
            if (Json(payload)[QStringLiteral("event")] == QLatin1String("dropped"))
                dropped << Json(payload)[QStringLiteral("count")].toInteger();
        QCOMPARE(dropped, QList<qint64>{2 * lines.size() - 10});
    }

    // The bus link goes away: P/link says so, a command meanwhile is refused
    // with an error and never sent once the link is back.
    void busLinkDropRefusesCommandsAndSendsNothingLate()
    {
        Rig rig;
        QVERIFY2(rig.start({QStringLiteral("--retry-max"), QStringLiteral("1")}),
                 qPrintable(rig.error));
        const QString link = Topic(QStringLiteral("link"));
        const QString errorTopic = Topic(QStringLiteral("error"));
        const quint16 port = rig.sim.tcpPort();
        rig.sim.stop();
        QVERIFY(HasLast(*rig.watch, link, "disconnected"));
        const qsizetype errors = rig.watch->payloads(errorTopic).size();
        QVERIFY(rig.watch->publish(Topic(QStringLiteral("0/56/50/set")), "ON"));
        QVERIFY(rig.watch->waitForTopic(errorTopic, 10000, errors));
        QCOMPARE(Json(rig.watch->payloads(errorTopic).last())[QStringLiteral("topic")].toString(),
                 Topic(QStringLiteral("0/56/50/set")));

        QVERIFY2(rig.sim.start({QStringLiteral("--tcp"), QString::number(port)}, false),
                 qPrintable(rig.sim.errorString()));
        QVERIFY(HasLast(*rig.watch, link, "connected", 20000));
        // A command after the gap goes out; the one refused before it never.
        QVERIFY(rig.watch->publish(Topic(QStringLiteral("0/56/51/set")), "OFF"));
        QVERIFY(HasLast(*rig.watch, Topic(QStringLiteral("0/56/51/state")), StateJson("OFF", 0)));
        const QStringList sent = rig.sentSince(0);
        QVERIFY2(sent.filter(QStringLiteral("\\0538000133")).size() == 1,
                 qPrintable(sent.join(u' ')));
        QVERIFY2(sent.filter(QStringLiteral("\\0538007932")).isEmpty(),
                 qPrintable(sent.join(u' ')));
        QVERIFY(rig.watch->payloads(Topic(QStringLiteral("0/56/50/state"))).isEmpty());
    }

    void brokerWithTlsAndLogin_data()
    {
        QTest::addColumn<QByteArray>("password");
        QTest::addColumn<QString>("ca");
        QTest::addColumn<QString>("said"); // empty: the bridge must come online
        QTest::addColumn<QStringList>("extra");
        QTest::newRow("right password")
            << QByteArray("s3cret\n") << "ca.crt" << QString() << QStringList();
        QTest::newRow("MQTT 5") << QByteArray("s3cret\n") << "ca.crt" << QString()
                                << QStringList{QStringLiteral("--mqtt-version"),
                                               QStringLiteral("5")};
        QTest::newRow("wrong password") << QByteArray("guess\n") << "ca.crt"
                                        << QStringLiteral("not authorised") << QStringList();
        QTest::newRow("untrusted certificate")
            << QByteArray("s3cret\n") << "other.crt" << QStringLiteral("broker: ") << QStringList();
    }

    // A broker that only takes TLS and a login: the bridge comes online with
    // the right CA and password, and says why when it cannot.
    void brokerWithTlsAndLogin()
    {
        QFETCH(QByteArray, password);
        QFETCH(QString, ca);
        QFETCH(QString, said);
        QFETCH(QStringList, extra);
        const QString openssl = QStandardPaths::findExecutable(QStringLiteral("openssl"));
        if (openssl.isEmpty())
            QSKIP("openssl is not installed (scripts/install-deps.sh installs it)");
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const auto file = [&](const char* name) { return dir.filePath(QLatin1String(name)); };
        const auto selfSigned = [&](const char* key, const char* crt, const char* name) {
            return RunTool(openssl,
                           {QStringLiteral("req"), QStringLiteral("-x509"),
                            QStringLiteral("-newkey"), QStringLiteral("rsa:2048"),
                            QStringLiteral("-nodes"), QStringLiteral("-days"), QStringLiteral("2"),
                            QStringLiteral("-keyout"), QLatin1String(key), QStringLiteral("-out"),
                            QLatin1String(crt), QStringLiteral("-subj"), QLatin1String(name)},
                           dir.path());
        };
        QVERIFY(selfSigned("ca.key", "ca.crt", "/CN=Test CA"));
        QVERIFY(selfSigned("other.key", "other.crt", "/CN=Other CA"));
        QVERIFY(RunTool(openssl,
                        {QStringLiteral("req"), QStringLiteral("-newkey"),
                         QStringLiteral("rsa:2048"), QStringLiteral("-nodes"),
                         QStringLiteral("-keyout"), QStringLiteral("server.key"),
                         QStringLiteral("-out"), QStringLiteral("server.csr"),
                         QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1")},
                        dir.path()));
        QFile ext(file("ext.cnf"));
        QVERIFY(ext.open(QIODevice::WriteOnly));
        ext.write("subjectAltName=IP:127.0.0.1\n");
        ext.close();
        QVERIFY(RunTool(
            openssl,
            {QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"),
             QStringLiteral("server.csr"), QStringLiteral("-CA"), QStringLiteral("ca.crt"),
             QStringLiteral("-CAkey"), QStringLiteral("ca.key"), QStringLiteral("-CAcreateserial"),
             QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-extfile"),
             QStringLiteral("ext.cnf"), QStringLiteral("-out"), QStringLiteral("server.crt")},
            dir.path()));
        QVERIFY(RunTool(QStringLiteral("mosquitto_passwd"),
                        {QStringLiteral("-b"), QStringLiteral("-c"), QStringLiteral("passwd"),
                         QStringLiteral("tarvin"), QStringLiteral("s3cret")},
                        dir.path()));
        QFile secret(file("password"));
        QVERIFY(secret.open(QIODevice::WriteOnly));
        secret.write(password);
        secret.close();

        BrokerProcess broker;
        const QByteArray tls =
            "cafile " + file("ca.crt").toLocal8Bit() + "\ncertfile " +
            file("server.crt").toLocal8Bit() + "\nkeyfile " + file("server.key").toLocal8Bit() +
            "\nallow_anonymous false\npassword_file " + file("passwd").toLocal8Bit() + "\n";
        QVERIFY2(broker.start(0, false, tls), qPrintable(broker.errorString()));
        SimProcess sim;
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        BridgeProcess bridge;
        QVERIFY(
            bridge.start(QStringList{QStringLiteral("--tcp"), QStringLiteral("127.0.0.1"),
                                     QStringLiteral("--port"), QString::number(sim.tcpPort()),
                                     QStringLiteral("--mqtt-port"), QString::number(broker.port()),
                                     QStringLiteral("--mqtt-tls-ca"), file(qPrintable(ca)),
                                     QStringLiteral("--mqtt-user"), QStringLiteral("tarvin"),
                                     QStringLiteral("--mqtt-password-file"), file("password"),
                                     QStringLiteral("--prefix"), kPrefix} +
                         extra));
        if (!said.isEmpty()) {
            QTRY_VERIFY_WITH_TIMEOUT(bridge.output().contains(said), 20000);
            return;
        }
        // A client of the broker's own, over TLS with the login, sees the
        // bridge's status: the first that comes, retained or not.
        QProcess sub;
        sub.start(QStringLiteral("mosquitto_sub"),
                  {QStringLiteral("-h"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"),
                   QString::number(broker.port()), QStringLiteral("--cafile"), file("ca.crt"),
                   QStringLiteral("-u"), QStringLiteral("tarvin"), QStringLiteral("-P"),
                   QStringLiteral("s3cret"), QStringLiteral("-t"), Topic(QStringLiteral("status")),
                   QStringLiteral("-C"), QStringLiteral("1"), QStringLiteral("-W"),
                   QStringLiteral("20")});
        QVERIFY(sub.waitForFinished(30000));
        QCOMPARE(sub.readAllStandardOutput().trimmed(), QByteArray("online"));
    }

    // --discovery: a config for each listed group and for a group first
    // seen on the bus, retained, pointing at the bridge's topics, and taken
    // by Home Assistant as it is; a second site on the same broker keeps
    // its own configs and devices.
    void discoveryAnnouncesListedAndNewGroups()
    {
        Rig rig;
        QFile groups(rig.dir.filePath(QStringLiteral("groups.txt")));
        QVERIFY(groups.open(QIODevice::WriteOnly));
        groups.write("0 56 1 Hall light\n0 56 2\n3 56 5 Garden\n");
        groups.close();
        const QStringList common{QStringLiteral("--discovery"), QStringLiteral("--groups"),
                                 groups.fileName(), QStringLiteral("--network"),
                                 QStringLiteral("3=0A1B")};
        QVERIFY2(rig.start(common), qPrintable(rig.error));
        QVERIFY(rig.sim.control(QStringLiteral("monitor ") + MonitorLine(9, 0x38, OnCommand(77))));
        QVERIFY(HasLast(*rig.watch, Topic(QStringLiteral("0/56/77/state")), StateJson("ON", 255)));
        // Site B: its own interface, prefix and site id, the same groups.
        SimProcess simB;
        QVERIFY2(simB.start(), qPrintable(simB.errorString()));
        BridgeProcess bridgeB;
        QVERIFY(bridgeB.start(QStringList{QStringLiteral("--tcp"), QStringLiteral("127.0.0.1"),
                                          QStringLiteral("--port"), QString::number(simB.tcpPort()),
                                          QStringLiteral("--mqtt-port"),
                                          QString::number(rig.broker.port()),
                                          QStringLiteral("--prefix"), QStringLiteral("tby/b"),
                                          QStringLiteral("--site-id"), QStringLiteral("siteB")} +
                              common));

        MqttClient fresh;
        QVERIFY(fresh.connect(rig.broker.port()));
        QVERIFY(fresh.subscribe(QStringLiteral("homeassistant/light/+/config")));
        const QStringList ids{QStringLiteral("tbx_0_56_1"),   QStringLiteral("tbx_0_56_2"),
                              QStringLiteral("tbx_3_56_5"),   QStringLiteral("tbx_0_56_77"),
                              QStringLiteral("siteB_0_56_1"), QStringLiteral("siteB_0_56_2"),
                              QStringLiteral("siteB_3_56_5")};
        // Once both sites have read their interfaces (the configs are
        // published again with their identity), a newcomer reads them.
        QVERIFY(fresh.waitFor(
            [&](const QList<MqttMessage>& all) {
                QSet<QString> known;
                for (const MqttMessage& m : all)
                    if (!Json(m.payload)[QStringLiteral("device")][QStringLiteral("manufacturer")]
                             .toString()
                             .isEmpty() ||
                        m.topic.contains(QLatin1String("_3_56_")))
                        known << m.topic;
                return known.size() == ids.size();
            },
            20000));
        MqttClient newcomer;
        QVERIFY(newcomer.connect(rig.broker.port()));
        QVERIFY(newcomer.subscribe(QStringLiteral("homeassistant/light/+/config")));
        // The broker hands a newcomer each config once, retained. A bridge
        // may still publish the same config again after that (it does so
        // when it has read its interface), which reaches the newcomer live:
        // so the first of each topic is what is judged.
        const auto topics = [](const QList<MqttMessage>& all) {
            QSet<QString> seen;
            for (const MqttMessage& m : all)
                seen << m.topic;
            return seen;
        };
        QVERIFY(newcomer.waitFor(
            [&](const QList<MqttMessage>& all) { return topics(all).size() >= ids.size(); },
            10000));
        QCOMPARE(topics(newcomer.messages()).size(), ids.size());
        const auto config = [&](const QString& id) {
            const QList<MqttMessage> all =
                newcomer.messages(QStringLiteral("homeassistant/light/%1/config").arg(id));
            return all.isEmpty() ? QJsonObject() : Json(all.last().payload);
        };
        QSet<QString> uniqueIds;
        for (const QString& id : ids) {
            const QString topic = QStringLiteral("homeassistant/light/%1/config").arg(id);
            const QJsonObject c = config(id);
            QVERIFY2(!newcomer.messages(topic).isEmpty() &&
                         newcomer.messages(topic).first().retained,
                     qPrintable(topic));
            const QString fault = ConfigFault(topic, c);
            QVERIFY2(fault.isEmpty(), qPrintable(topic + u' ' + fault));
            uniqueIds << c[QStringLiteral("unique_id")].toString();
            const QString site = id.section(u'_', 0, 0);
            const QString prefix = site == QLatin1String("tbx") ? kPrefix : QStringLiteral("tby/b");
            const QString base = prefix + u'/' + id.section(u'_', 1).replace(u'_', u'/');
            QCOMPARE(c[QStringLiteral("state_topic")].toString(), base + QStringLiteral("/state"));
            QCOMPARE(c[QStringLiteral("command_topic")].toString(), base + QStringLiteral("/set"));
            // The bridge does not flash, and is there only while both the
            // broker connection and the bus link are.
            QCOMPARE(c[QStringLiteral("flash")], QJsonValue(false));
            QCOMPARE(c[QStringLiteral("supported_color_modes")],
                     QJsonValue(QJsonArray{QStringLiteral("brightness")}));
            QCOMPARE(c[QStringLiteral("availability_mode")].toString(), QStringLiteral("all"));
            QStringList availability;
            for (const QJsonValue& a : c[QStringLiteral("availability")].toArray())
                availability << a[QStringLiteral("topic")].toString() + u'=' +
                                    a[QStringLiteral("payload_available")].toString() + u'/' +
                                    a[QStringLiteral("payload_not_available")].toString();
            QCOMPARE(availability,
                     (QStringList{prefix + QStringLiteral("/status=online/offline"),
                                  prefix + QStringLiteral("/link=connected/disconnected")}));
            // One device per network of the site; a remote one behind the
            // local one, whose maker and model are the interface's.
            const QJsonObject device = c[QStringLiteral("device")].toObject();
            const QString local = site + QStringLiteral("_network_0");
            if (id.contains(QLatin1String("_3_56_"))) {
                QCOMPARE(device[QStringLiteral("identifiers")],
                         QJsonValue(QJsonArray{site + QStringLiteral("_network_3")}));
                QCOMPARE(device[QStringLiteral("via_device")].toString(), local);
            } else {
                QCOMPARE(device[QStringLiteral("identifiers")], QJsonValue(QJsonArray{local}));
                QVERIFY(!device[QStringLiteral("model")].toString().isEmpty());
            }
        }
        QCOMPARE(uniqueIds.size(), ids.size());
        QCOMPARE(config(QStringLiteral("tbx_0_56_1"))[QStringLiteral("name")].toString(),
                 QStringLiteral("Hall light"));
        // While on, a state names a colour mode the config declares.
        const QJsonObject on = Json(Last(*rig.watch, Topic(QStringLiteral("0/56/77/state"))));
        QVERIFY(config(QStringLiteral("tbx_0_56_77"))[QStringLiteral("supported_color_modes")]
                    .toArray()
                    .contains(on[QStringLiteral("color_mode")]));
    }
};

QTEST_GUILESS_MAIN(TestBridge)
#include "tst_bridge.moc"
