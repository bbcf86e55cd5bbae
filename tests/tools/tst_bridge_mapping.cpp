#include "tools/tarvin-bridge/mapping.h"
#include "tools/tarvin-bridge/options.h"

#include <QtTest>

using namespace tarvin;
using namespace tarvin::bridge;

class TestBridgeMapping : public QObject
{
    Q_OBJECT
private slots:
    // A set topic and payload become the body the lighting tab would send,
    // or an error and nothing to send.
    void setCommand_data()
    {
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QByteArray>("payload");
        // "network/application/group body" or "error: <part of the message>"
        QTest::addColumn<QString>("expected");
        const QString g1 = QStringLiteral("tarvin/0/56/1/set");
        QTest::newRow("ON") << g1 << QByteArray("ON") << "0/56/1 7901";
        QTest::newRow("OFF with a line end") << g1 << QByteArray("OFF\n") << "0/56/1 0101";
        QTest::newRow("state ON") << g1 << QByteArray(R"({"state":"ON"})") << "0/56/1 7901";
        QTest::newRow("state OFF") << g1 << QByteArray(R"({"state":"OFF"})") << "0/56/1 0101";
        QTest::newRow("ON with brightness: instant ramp")
            << g1 << QByteArray(R"({"state":"ON","brightness":128})") << "0/56/1 020180";
        QTest::newRow("brightness alone")
            << g1 << QByteArray(R"({"brightness":0})") << "0/56/1 020100";
        QTest::newRow("ON over 5 s: nearest is 4 s")
            << g1 << QByteArray(R"({"state":"ON","transition":5})") << "0/56/1 0A01FF";
        QTest::newRow("OFF over 3 minutes")
            << g1 << QByteArray(R"({"state":"OFF","transition":170})") << "0/56/1 520100";
        QTest::newRow("2 s is as near 0 as 4: the faster")
            << g1 << QByteArray(R"({"brightness":64,"transition":2})") << "0/56/1 020140";
        QTest::newRow("fractional seconds")
            << g1 << QByteArray(R"({"brightness":64,"transition":2.5})") << "0/56/1 0A0140";
        QTest::newRow("beyond the slowest rate")
            << g1 << QByteArray(R"({"brightness":1,"transition":86400})") << "0/56/1 7A0101";
        QTest::newRow("last group, last lighting application")
            << "tarvin/0/127/255/set" << QByteArray("ON") << "0/127/255 79FF";
        QTest::newRow("remote network")
            << "tarvin/3/56/9/set" << QByteArray("OFF") << "3/56/9 0109";
        QTest::newRow("group 0") << "tarvin/0/56/0/set" << QByteArray("ON") << "0/56/0 7900";
        // Flash is left out; the rest is done.
        QTest::newRow("flash in seconds")
            << g1 << QByteArray(R"({"state":"ON","flash":2})") << "0/56/1 7901";
        QTest::newRow("flash long with a brightness")
            << g1 << QByteArray(R"({"brightness":128,"flash":"long"})") << "0/56/1 020180";

        QTest::newRow("lower-case on") << g1 << QByteArray("on") << "error: neither ON, OFF";
        QTest::newRow("empty payload") << g1 << QByteArray() << "error: neither ON, OFF";
        QTest::newRow("JSON array") << g1 << QByteArray("[1]") << "error: neither ON, OFF";
        QTest::newRow("brightness above 255")
            << g1 << QByteArray(R"({"brightness":256})") << "error: \"brightness\" must be";
        QTest::newRow("brightness not whole")
            << g1 << QByteArray(R"({"brightness":1.5})") << "error: \"brightness\" must be";
        QTest::newRow("brightness as text")
            << g1 << QByteArray(R"({"brightness":"9"})") << "error: \"brightness\" must be";
        QTest::newRow("negative transition")
            << g1 << QByteArray(R"({"state":"ON","transition":-1})")
            << "error: \"transition\" must be";
        QTest::newRow("bad state")
            << g1 << QByteArray(R"({"state":"DIM"})") << "error: \"state\" must be";
        QTest::newRow("OFF with a brightness")
            << g1 << QByteArray(R"({"state":"OFF","brightness":9})")
            << "error: cannot go with a brightness";
        QTest::newRow("transition alone")
            << g1 << QByteArray(R"({"transition":4})") << "error: neither \"state\" nor";
        QTest::newRow("unknown key") << g1 << QByteArray(R"({"state":"ON","color":"red"})")
                                     << "error: unknown key \"color\"";
        QTest::newRow("not a lighting application")
            << "tarvin/0/208/1/set" << QByteArray("ON") << "error: application 208 is not";
        QTest::newRow("network without a path")
            << "tarvin/4/56/1/set" << QByteArray("ON") << "error: network 4 has no path";
        QTest::newRow("group above 255")
            << "tarvin/0/56/256/set" << QByteArray("ON") << "error: decimal numbers from 0 to 255";
        QTest::newRow("signed number")
            << "tarvin/0/56/+1/set" << QByteArray("ON") << "error: decimal numbers from 0 to 255";
        QTest::newRow("flash as a flag")
            << g1 << QByteArray(R"({"state":"ON","flash":true})") << "error: \"flash\" must be";
        QTest::newRow("flash alone")
            << g1 << QByteArray(R"({"flash":"short"})") << "error: neither \"state\" nor";
        QTest::newRow("leading zero")
            << "tarvin/0/56/01/set" << QByteArray("ON") << "error: decimal numbers from 0 to 255";
        QTest::newRow("hex number")
            << "tarvin/0/38/0A/set" << QByteArray("ON") << "error: decimal numbers from 0 to 255";
        QTest::newRow("missing level")
            << "tarvin/0/56/set" << QByteArray("ON") << "error: a command topic is tarvin/";
        QTest::newRow("another prefix")
            << "other/0/56/1/set" << QByteArray("ON") << "error: a command topic is tarvin/";
    }
    void setCommand()
    {
        QFETCH(QString, topic);
        QFETCH(QByteArray, payload);
        QFETCH(QString, expected);
        NetworkPaths networks;
        networks[3] = QStringLiteral("0A1B");
        const SetRequest r = ParseSetCommand(QStringLiteral("tarvin"), topic, payload, networks);
        if (expected.startsWith(QLatin1String("error: "))) {
            QVERIFY2(!r.command, qPrintable(topic));
            QVERIFY2(r.error.contains(expected.mid(7)), qPrintable(r.error));
            return;
        }
        QVERIFY2(r.command, qPrintable(r.error));
        const LightCommand& c = *r.command;
        QCOMPARE(QStringLiteral("%1/%2/%3 %4")
                     .arg(c.network)
                     .arg(c.application)
                     .arg(c.group)
                     .arg(QString::fromStdString(c.body())),
                 expected);
    }

    // What a bus message and a confirmed command publish as group state.
    void state_data()
    {
        QTest::addColumn<int>("application");
        QTest::addColumn<int>("level");
        QTest::addColumn<QByteArray>("payload");
        QTest::newRow("lighting on")
            << 0x38 << 255
            << QByteArray(R"({"brightness":255,"color_mode":"brightness","state":"ON"})");
        QTest::newRow("lighting ramped to 1")
            << 0x38 << 1
            << QByteArray(R"({"brightness":1,"color_mode":"brightness","state":"ON"})");
        QTest::newRow("lighting off")
            << 0x30 << 0 << QByteArray(R"({"brightness":0,"state":"OFF"})");
        QTest::newRow("trigger control")
            << 0xCA << 42 << QByteArray(R"({"state":"ON","value":42})");
        QTest::newRow("enable control off")
            << 0xCB << 0 << QByteArray(R"({"state":"OFF","value":0})");
    }
    void state()
    {
        QFETCH(int, application);
        QFETCH(int, level);
        QFETCH(QByteArray, payload);
        QCOMPARE(StatePayload(application, level), payload);
    }

    // Commands leave the state the bus would report for the same message.
    void commandState()
    {
        const auto parse = [](const char* payload) {
            return ParseSetCommand(QStringLiteral("p"), QStringLiteral("p/0/56/7/set"), payload, {})
                .command->event();
        };
        QCOMPARE(parse("ON"), (GroupEvent{7, GroupAction::On, 255}));
        QCOMPARE(parse("OFF"), (GroupEvent{7, GroupAction::Off, 0}));
        QCOMPARE(parse(R"({"brightness":9,"transition":60})"),
                 (GroupEvent{7, GroupAction::Level, 9}));
    }

    // A long payload is echoed in part, never cutting a character in two.
    void errorEchoIsBounded()
    {
        const QDateTime t(QDate(2026, 3, 1), QTime(12, 0), Qt::OffsetFromUTC, 0);
        const auto echo = [&](const QByteArray& payload) {
            return ErrorEvent(t, QStringLiteral("p/0/56/1/set"), payload, QStringLiteral("e"));
        };
        const QByteArray accent = QByteArray(255, 'y') + "\xc3\xa9" + "z";
        QCOMPARE(
            QJsonDocument::fromJson(echo(accent))[QStringLiteral("payload")].toString().toUtf8(),
            QByteArray(255, 'y'));
        QVERIFY(!echo(accent.left(256)).contains("payload_bytes"));
    }

    // A site's discovery topic: its id, made from a prefix when not given.
    void discoveryTopic()
    {
        Site site{
            QStringLiteral("a/b.c"), SiteIdOf(QStringLiteral("a/b.c")), QStringLiteral("ha/x"), {}};
        QCOMPARE(DiscoveryTopic(site, 3, 56, 5), QStringLiteral("ha/x/light/a_b_c_3_56_5/config"));
        site.id = QStringLiteral("site-B");
        QCOMPARE(QJsonDocument::fromJson(DiscoveryPayload(site, {}, 0, 56, 1, QString()))
                     .object()
                     .value(QStringLiteral("default_entity_id"))
                     .toString(),
                 QStringLiteral("light.site_b_0_56_1"));
    }

    // A received message's fields name its network by number where a path
    // is known, and by its path where none is.
    void lineFields()
    {
        NetworkPaths networks;
        networks[3] = QStringLiteral("0A1B");
        const QDateTime t(QDate(2026, 3, 1), QTime(12, 0, 1, 5), Qt::OffsetFromUTC, 3600);
        const auto event = [&](const char* line) {
            const auto sal = ReadSalMessage(line);
            return LineEvent(t, QString::fromLatin1(line), QStringLiteral("d"),
                             sal ? FieldsOf(*sal, networks) : LineFields());
        };
        QCOMPARE(
            event("05023800790147"),
            QByteArray(
                R"({"application":56,"description":"d","network":0,"raw":"05023800790147","source":2,"time":"2026-03-01T12:00:01.005+01:00"})"));
        QCOMPARE(
            event("050a38021b0779030000"),
            QByteArray(
                R"({"application":56,"description":"d","network":3,"raw":"050a38021b0779030000","source":7,"time":"2026-03-01T12:00:01.005+01:00"})"));
        QCOMPARE(
            event("0520380299077903000000"),
            QByteArray(
                R"({"application":56,"description":"d","path":"2099","raw":"0520380299077903000000","source":7,"time":"2026-03-01T12:00:01.005+01:00"})"));
        QCOMPARE(
            event("g."),
            QByteArray(R"({"description":"d","raw":"g.","time":"2026-03-01T12:00:01.005+01:00"})"));
    }

    // The configuration file and the command line over it: what they give,
    // or the message (with the file and line) that stops the bridge.
    void commandLine_data()
    {
        QTest::addColumn<QString>("config");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("expected");
        const QString all = QStringLiteral("# a comment\n\n"
                                           "tcp = 127.0.0.1\nport = 14001\nmqtt-host = ::1\n"
                                           "mqtt-port = 8883\nmqtt-user = u\n"
                                           "mqtt-tls-ca = ca.pem\nclient-id = c1\nprefix = a/b\n"
                                           "network = 3=0a1b\nnetwork = 4=20\n"
                                           "discovery = true\nqueue = 5\nretry-max = 7\n"
                                           "site-id = s_1-x\ndiscovery-prefix = h/a\n");
        QTest::newRow("every key") << all << QStringList()
                                   << "tcp 127.0.0.1:14001 mqtt ::1:8883 u ca.pem c1 a/b "
                                      "3=0A1B,4=20 discovery 1 queue 5 retry 7 site s_1-x h/a";
        QTest::newRow("the command line wins")
            << all
            << QStringList{QStringLiteral("--serial"), QStringLiteral("/dev/ttyS1"),
                           QStringLiteral("--prefix=p"), QStringLiteral("--network"),
                           QStringLiteral("3=05")}
            << "serial /dev/ttyS1 mqtt ::1:8883 u ca.pem c1 p 3=05,4=20 discovery 1 queue 5 "
               "retry 7 site s_1-x h/a";
        QTest::newRow("defaults") << QString()
                                  << QStringList{QStringLiteral("--tcp"),
                                                 QStringLiteral("127.0.0.1")}
                                  << "tcp 127.0.0.1:14000 mqtt 127.0.0.1:1883    tarvin  "
                                     "discovery 0 queue 10000 retry 30 site  homeassistant";
        QTest::newRow("no link anywhere")
            << QStringLiteral("prefix = x\n") << QStringList() << "error: no link";
        QTest::newRow("unknown key") << QStringLiteral("tcp = 127.0.0.1\nbogus = 1\n")
                                     << QStringList() << "error: b.conf:2: bogus is not an option";
        QTest::newRow("no equals sign") << QStringLiteral("\ntcp 127.0.0.1\n") << QStringList()
                                        << "error: b.conf:2: expected \"key = value\"";
        QTest::newRow("bad port in the file")
            << QStringLiteral("tcp = 127.0.0.1\nport = 0\n") << QStringList()
            << "error: b.conf:2: port needs a number";
        QTest::newRow("discovery is a word")
            << QStringLiteral("discovery = maybe\n") << QStringList()
            << "error: b.conf:1: discovery is true or false";
        QTest::newRow("wildcard prefix")
            << QString()
            << QStringList{QStringLiteral("--tcp"), QStringLiteral("h"), QStringLiteral("--prefix"),
                           QStringLiteral("a/#")}
            << "error: --prefix must be a topic";
        QTest::newRow("site id with a slash")
            << QString()
            << QStringList{QStringLiteral("--tcp"), QStringLiteral("h"),
                           QStringLiteral("--site-id"), QStringLiteral("a/b")}
            << "error: --site-id must be letters, digits";
        QTest::newRow("network 0")
            << QString()
            << QStringList{QStringLiteral("--tcp"), QStringLiteral("h"),
                           QStringLiteral("--network"), QStringLiteral("0=0A")}
            << "error: --network needs N=PATH";
        QTest::newRow("path of odd length")
            << QString()
            << QStringList{QStringLiteral("--tcp"), QStringLiteral("h"),
                           QStringLiteral("--network"), QStringLiteral("2=0A1")}
            << "error: is not a network path";
        QTest::newRow("missing value")
            << QString() << QStringList{QStringLiteral("--tcp")} << "error: --tcp needs a value";
        QTest::newRow("flag with a value")
            << QString()
            << QStringList{QStringLiteral("--tcp"), QStringLiteral("h"),
                           QStringLiteral("--discovery=no")}
            << "error: --discovery takes no value";
        QTest::newRow("missing password file")
            << QString()
            << QStringList{QStringLiteral("--tcp"), QStringLiteral("h"),
                           QStringLiteral("--mqtt-password-file"),
                           QStringLiteral("/nonexistent/pw")}
            << "error: /nonexistent/pw: cannot read the password";
    }
    void commandLine()
    {
        QFETCH(QString, config);
        QFETCH(QStringList, args);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(QDir::setCurrent(dir.path()));
        if (!config.isEmpty()) {
            QFile file(QStringLiteral("b.conf"));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(config.toUtf8());
            file.close();
            args.prepend(QStringLiteral("--config=b.conf"));
        }
        const CommandLine line = ParseCommandLine(args);
        if (expected.startsWith(QLatin1String("error: "))) {
            QVERIFY2(line.error.contains(expected.mid(7)), qPrintable(line.error));
            return;
        }
        QVERIFY2(line.error.isEmpty(), qPrintable(line.error));
        const Bridge::Options& o = line.options;
        QStringList networks;
        for (auto it = o.networks.begin(); it != o.networks.end(); ++it)
            networks << QStringLiteral("%1=%2").arg(it.key()).arg(it.value());
        const QString link =
            o.link.usesTcp() ? QStringLiteral("tcp %1:%2")
                                   .arg(QString::fromStdString(o.link.ipAddress))
                                   .arg(o.link.port)
                             : QStringLiteral("serial ") + QString::fromStdString(o.link.comPort);
        QCOMPARE(QStringLiteral("%1 mqtt %2:%3 %4 %5 %6 %7 %8 discovery %9")
                         .arg(link, o.mqtt.host)
                         .arg(o.mqtt.port)
                         .arg(o.mqtt.user, o.mqtt.tlsCa, o.mqtt.clientId, o.prefix,
                              networks.join(QLatin1Char(',')))
                         .arg(o.discovery) +
                     QStringLiteral(" queue %1 retry %2 site %3 %4")
                         .arg(o.queueLimit)
                         .arg(o.retryMaxSeconds)
                         .arg(o.siteId, o.discoveryPrefix),
                 expected);
    }
};

QTEST_APPLESS_MAIN(TestBridgeMapping)
#include "tst_bridge_mapping.moc"
