// The simulated installation behind tarvin-sim: identification replies,
// status reports and the faults it can be told to make.
#include "../support/sim_process.h"

#include <QFile>
#include <QTcpSocket>
#include <QtTest>

using tarvin::test::SimProcess;

namespace {

QString S(const char* text)
{
    return QString::fromLatin1(text);
}

constexpr int kWaitMs = 5000;

// A client on the simulator's TCP port that collects what it is sent.
class Client
{
public:
    bool connectTo(quint16 port)
    {
        QObject::connect(&m_socket, &QTcpSocket::readyRead, &m_socket,
                         [this] { m_received += m_socket.readAll(); });
        m_socket.connectToHost(QHostAddress::LocalHost, port);
        return m_socket.waitForConnected(kWaitMs);
    }
    // Default mode: smart (no echo) with IDMON, as the workbench sets it.
    bool defaultMode(SimProcess& sim)
    {
        send("~~~");
        send("A3300051");
        return QTest::qWaitFor([&] { return sim.options() == 0x51; }, kWaitMs);
    }
    void send(const QByteArray& line) { m_socket.write(line + "\r\r"); }
    // Sends the line, then a probe whose answer shows that everything the
    // line caused has arrived; returns the complete lines before the probe's.
    QList<QByteArray> exchange(const QByteArray& line)
    {
        m_received.clear();
        send(line);
        send("1A3001"); // the PCI's Interface Options 1
        // On time-out the lines are all there is; the caller checks them.
        (void)QTest::qWaitFor([&] { return m_received.contains("8230"); }, kWaitMs);
        QList<QByteArray> lines = m_received.split('\n');
        QList<QByteArray> out;
        for (QByteArray l : lines) {
            l = l.trimmed();
            if (l.contains("8230"))
                break;
            if (!l.isEmpty())
                out << l;
        }
        return out;
    }
    QByteArray received() const { return m_received; }
    void clear() { m_received.clear(); }

private:
    QTcpSocket m_socket;
    QByteArray m_received;
};

QByteArray Hex(const QByteArray& bytes)
{
    return bytes.toHex().toUpper();
}

// The hex line with its checksum: all bytes sum to 0 modulo 256.
QByteArray WithChecksum(const QByteArray& hex)
{
    const QByteArray bytes = QByteArray::fromHex(hex);
    int sum = 0;
    for (char b : bytes)
        sum += static_cast<unsigned char>(b);
    return hex + Hex(QByteArray(1, static_cast<char>((256 - sum % 256) % 256)));
}

// States of all 256 addresses from binary status reports (after "86" and
// the local route); the highest address reported in `last`.
QMap<int, int> States(const QList<QByteArray>& lines, int* last)
{
    QMap<int, int> states;
    *last = -1;
    for (const QByteArray& line : lines) {
        const QByteArray b = QByteArray::fromHex(line.mid(8)); // after 86 SS 00 00
        if (b.isEmpty())
            continue;
        const int c = static_cast<unsigned char>(b.at(0));
        const bool extended = c > 0xE0;
        const int count = extended ? c - 0xE3 : c - 0xC2;
        const int at = extended ? 3 : 2;
        int address = static_cast<unsigned char>(b.at(at));
        for (int k = 0; k < count; ++k) {
            const int data = static_cast<unsigned char>(b.at(at + 1 + k));
            for (int shift = 0; shift < 8; shift += 2, ++address)
                if ((data >> shift) & 3)
                    states[address] = (data >> shift) & 3;
        }
        *last = address - 1;
    }
    return states;
}

} // namespace

class TestSimulatorNetwork : public QObject
{
    Q_OBJECT

private slots:
    void pciReplies_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("reply"); // after the "86 01 00 00" header
        QTest::newRow("manufacturer") << QByteArray("2100") << "8900" + Hex("OSTREL  ");
        QTest::newRow("type") << QByteArray("2101") << "8901" + Hex("PCI     ");
        QTest::newRow("firmware") << QByteArray("2102") << "8902" + Hex("4.2     ");
        QTest::newRow("part name") << QByteArray("1A2A06") << QByteArray("872ACE4CB3D2DA33");
        QTest::newRow("serial") << QByteArray("2104")
                                << QByteArray("8D04"
                                              "0000000000"
                                              "0001E240"
                                              "000000");
        QTest::newRow("voltage") << QByteArray("2107") << "8607" + Hex("36.0V");
        QTest::newRow("address") << QByteArray("1A2001") << QByteArray("822001");
        QTest::newRow("options 3") << QByteArray("1A4201") << QByteArray("82420E");
        QTest::newRow("with @") << QByteArray("@1A4201") << QByteArray("82420E");
        QTest::newRow("unknown attribute") << QByteArray("2109") << QByteArray();
    }

    void pciReplies()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, reply);
        SimProcess sim;
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        Client client;
        QVERIFY(client.connectTo(sim.tcpPort()));
        QVERIFY(client.defaultMode(sim));
        const QList<QByteArray> lines = client.exchange(request);
        if (reply.isEmpty())
            QVERIFY(lines.isEmpty());
        else
            QCOMPARE(lines, QList<QByteArray>{WithChecksum("86010000" + reply)});
    }

    void unitReplies_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("reply"); // whole line without checksum
        QTest::newRow("local unit")
            << QByteArray("\\0605002101") << "860500008901" + Hex("DIMMER  ");
        QTest::newRow("PCI as a unit")
            << QByteArray("\\0601002107") << "860100008607" + Hex("36.0V");
        QTest::newRow("behind two bridges")
            << QByteArray("\\060A121B072101") << "860A00021B078901" + Hex("REMOTE  ");
        QTest::newRow("lower-case path")
            << QByteArray("\\060a121b072107") << "860A00021B078607" + Hex("33.3V");
        QTest::newRow("recall from a unit")
            << QByteArray("\\0605001A1E04") << QByteArray("86050000851E1E1F0521");
        QTest::newRow("absent unit") << QByteArray("\\0663002101") << QByteArray();
        QTest::newRow("unknown path") << QByteArray("\\060C09072101") << QByteArray();
        QTest::newRow("bad route byte") << QByteArray("\\060A11072101") << QByteArray();
        QTest::newRow("lighting command") << QByteArray("\\0538007901") << QByteArray();
    }

    void unitReplies()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, reply);
        SimProcess sim;
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        Client client;
        QVERIFY(client.connectTo(sim.tcpPort()));
        QVERIFY(client.defaultMode(sim));
        const QList<QByteArray> lines = client.exchange(request);
        if (reply.isEmpty())
            QVERIFY2(lines.isEmpty(), lines.value(0).constData());
        else
            QCOMPARE(lines, QList<QByteArray>{WithChecksum(reply)});
    }

    void bareRepliesWithoutIdmon()
    {
        SimProcess sim;
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        Client client;
        QVERIFY(client.connectTo(sim.tcpPort()));
        client.send("||"); // smart, no IDMON
        QVERIFY(QTest::qWaitFor([&] { return sim.options() == 0x11; }, kWaitMs));
        QCOMPARE(client.exchange("\\0605002101"),
                 QList<QByteArray>{WithChecksum("8901" + Hex("DIMMER  "))});
    }

    void mmiReports()
    {
        SimProcess sim;
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        Client client;
        QVERIFY(client.connectTo(sim.tcpPort()));
        QVERIFY(client.defaultMode(sim));

        int last = 0;
        const QList<QByteArray> installation = client.exchange("\\05FF007AFF00");
        QCOMPARE(installation.size(), 3);
        for (const QByteArray& line : installation)
            QCOMPARE(line, WithChecksum(line.left(line.size() - 2)));
        QCOMPARE(States(installation, &last),
                 (QMap<int, int>{{0x01, 1}, {0x05, 1}, {0x0A, 2}, {0x20, 1}}));
        QCOMPARE(last, 255);
        QVERIFY(installation.first().startsWith("86010000D8FF00"));

        const QList<QByteArray> application = client.exchange("\\05FF007A3800");
        QVERIFY(application.first().startsWith("86010000F3003800"));
        QCOMPARE(States(application, &last),
                 (QMap<int, int>{
                     {0x00, 1}, {0x01, 2}, {0x02, 1}, {0x10, 3}, {0x21, 1}, {0x40, 1}, {0xFF, 1}}));
        QCOMPARE(last, 255);
        QVERIFY(client.exchange("\\05FF007A3900").isEmpty()); // nobody uses 39

        // Levels of groups 00..1F: four reports of eight, low nibble first.
        const QList<QByteArray> levels = client.exchange("\\05FF0073073800");
        QCOMPARE(levels.size(), 4);
        QCOMPARE(levels.first(), WithChecksum("86010000F3073800"
                                              "5555"
                                              "AAAA"
                                              "AA6A"
                                              "0000"
                                              "0000"
                                              "0000"
                                              "0000"
                                              "0000"));
        QVERIFY(levels.at(2).startsWith("86010000F3073810"
                                        "0055"));
        QVERIFY(levels.last().startsWith("86010000F3073818"));

        // A remote network answers with its route in front.
        const QList<QByteArray> remote = client.exchange("\\030A121BFF7AFF00");
        QCOMPARE(remote.size(), 3);
        QVERIFY(remote.first().startsWith("860A00021B00D8FF00"));
    }

    void faultsOnRequest()
    {
        SimProcess sim;
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        Client client;
        QVERIFY(client.connectTo(sim.tcpPort()));
        QVERIFY(client.defaultMode(sim));
        const QByteArray type5 = WithChecksum("860500008901" + Hex("DIMMER  "));

        QCOMPARE(sim.command(S("silent 05")), S("OK silent 05"));
        QVERIFY(client.exchange("\\0605002101").isEmpty());
        QVERIFY(sim.control(S("answer 05")));
        QCOMPARE(client.exchange("\\0605002101"), QList<QByteArray>{type5});

        QVERIFY(sim.control(S("silent 0a1b/07")));
        QVERIFY(client.exchange("\\060A121B072101").isEmpty());
        QVERIFY(sim.control(S("silent pci")));
        QVERIFY(client.exchange("2101").isEmpty());
        QVERIFY(sim.control(S("silent mmi")));
        QVERIFY(client.exchange("\\05FF007AFF00").isEmpty());
        QVERIFY(sim.control(S("silent off")));
        QCOMPARE(client.exchange("\\060A121B072101").size(), 1);

        QVERIFY(sim.control(S("replies duplicate")));
        QCOMPARE(client.exchange("\\0605002101"), (QList<QByteArray>{type5, type5}));
        QVERIFY(sim.control(S("replies truncate")));
        // (The probe's answer is cut as well, so wait for the line itself.)
        client.clear();
        client.send("\\0605002101");
        QVERIFY(QTest::qWaitFor([&] { return client.received().endsWith('\n'); }, kWaitMs));
        QCOMPARE(client.received(), type5.left(type5.size() / 2) + "\r\n");
        QVERIFY(sim.control(S("replies garbage")));
        const QList<QByteArray> spoiled = client.exchange("\\0605002101");
        // Junk, the reply, then the probe's own junk line.
        QCOMPARE(spoiled.size(), 3);
        QVERIFY(spoiled.first().startsWith("Z"));
        QCOMPARE(spoiled.at(1), type5);
        QVERIFY(spoiled.last().startsWith("Z"));
        QVERIFY(sim.control(S("replies normal")));

        // A slow reply: the probe's own answer queues behind it.
        QVERIFY(sim.control(S("slow 400")));
        QElapsedTimer clock;
        clock.start();
        client.clear();
        client.send("\\0605002101");
        QVERIFY(QTest::qWaitFor([&] { return client.received().contains(type5); }, kWaitMs));
        QVERIFY2(clock.elapsed() >= 380, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(sim.control(S("slow 0")));

        for (const char* bad : {"silent zz", "silent 0A1/05", "slow -1", "slow x", "replies maybe"})
            QVERIFY2(sim.command(S(bad)).startsWith(S("ERROR")), bad);
    }

    void networkFromFile()
    {
        SimProcess sim;
        const QString file =
            qEnvironmentVariable("TARVIN_TEST_DATA") + S("/sim/network-sample.json");
        QVERIFY2(sim.start({S("--network"), file, S("--slow"), S("0")}),
                 qPrintable(sim.errorString() + sim.standardError()));
        Client client;
        QVERIFY(client.connectTo(sim.tcpPort()));
        QVERIFY(client.defaultMode(sim));
        QCOMPARE(client.exchange("1A2001"), QList<QByteArray>{WithChecksum("86FE000082"
                                                                           "20FE")});
        // An EEPROM image given in part; the address is written over it.
        QCOMPARE(client.exchange("\\0611001A0004"), QList<QByteArray>{WithChecksum("861100008500"
                                                                                   "00112233")});
        QCOMPARE(client.exchange("\\0611001A2001"),
                 QList<QByteArray>{WithChecksum("86110000822011")});
        QCOMPARE(client.exchange("\\0611002100"),
                 QList<QByteArray>{WithChecksum("861100008900" + Hex("OTHERCO "))});
        QCOMPARE(client.exchange("\\062012300921 01"), QList<QByteArray>{}); // not hex: refused
        QCOMPARE(client.exchange("\\0620123009"
                                 "2101"),
                 QList<QByteArray>{WithChecksum("862000023009"
                                                "8901" +
                                                Hex("OUTDOOR "))});
        int last = 0;
        QCOMPARE(States(client.exchange("\\05FF007AFF00"), &last),
                 (QMap<int, int>{{0x02, 1}, {0x03, 2}, {0x11, 1}, {0x12, 3}, {0xFE, 1}}));
    }

    void badNetworkFiles_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("message");
        QTest::newRow("not json") << QByteArray("{ nope") << S("not a JSON object");
        QTest::newRow("no pci") << QByteArray("{}") << S("\"pci\"");
        QTest::newRow("typo") << QByteArray(R"({"pci": {"address": "01", "tpye": "X"}})")
                              << S("unknown key \"tpye\"");
        QTest::newRow("address") << QByteArray(R"({"pci": {"address": "100"}})") << S("address");
        QTest::newRow("long type")
            << QByteArray(R"({"pci": {"address": "01", "type": "NINELONGS"}})") << S("type");
        QTest::newRow("twice") << QByteArray(R"({"pci": {"address": "01"},
                                   "units": [{"address": "01"}]})")
                               << S("PCI's address");
        QTest::newRow("path") << QByteArray(R"({"pci": {"address": "01"},
                                  "networks": [{"path": "0A1"}]})")
                              << S("path");
        QTest::newRow("level") << QByteArray(R"({"pci": {"address": "01"},
                                   "applications": [{"application": "38", "groups": {"01": 300}}]})")
                               << S("level");
    }

    void badNetworkFiles()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString file = dir.filePath(S("network.json"));
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(json);
        out.close();
        QProcess process;
        process.start(qEnvironmentVariable("TARVIN_SIM"),
                      {S("--tcp"), S("0"), S("--network"), file});
        QVERIFY(process.waitForFinished(kWaitMs));
        QCOMPARE(process.exitCode(), 1);
        const QString error = QString::fromLocal8Bit(process.readAllStandardError());
        QVERIFY2(error.contains(message), qPrintable(error));
    }

    void helpDescribesTheNetwork()
    {
        QProcess process;
        process.start(qEnvironmentVariable("TARVIN_SIM"), {S("--help")});
        QVERIFY(process.waitForFinished(kWaitMs));
        const QByteArray help = process.readAllStandardOutput();
        for (const char* needle : {"--network FILE", "--slow MS", "silent <who>", "slow <ms>",
                                   "replies <kind>", "\"mmiState\"", "\"networks\""})
            QVERIFY2(help.contains(needle), needle);
    }
};

QTEST_MAIN(TestSimulatorNetwork)
#include "tst_simulator_network.moc"
