// The simulated interface unit itself, driven over loopback TCP and a pty.
#include "../support/sim_process.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSerialPort>
#include <QTcpSocket>
#include <QtTest>

#include <csignal>

using tarvin::test::SimProcess;
using tarvin::test::WireEntry;

namespace {

QString S(const char* text)
{
    return QString::fromLatin1(text);
}

constexpr int kWaitMs = 5000;

// A client that collects everything the simulator writes to it.
class Peer
{
public:
    explicit Peer(QIODevice* device) : m_device(device)
    {
        QObject::connect(device, &QIODevice::readyRead, device, [this] {
            m_received += m_device->readAll();
            ++m_reads;
        });
    }

    void send(const QByteArray& bytes) { m_device->write(bytes); }
    bool waitFor(const QByteArray& expected, int timeoutMs = kWaitMs)
    {
        return QTest::qWaitFor([&] { return m_received.contains(expected); }, timeoutMs);
    }
    bool waitForSize(qsizetype size, int timeoutMs = kWaitMs)
    {
        return QTest::qWaitFor([&] { return m_received.size() >= size; }, timeoutMs);
    }
    QByteArray received() const { return m_received; }
    int reads() const { return m_reads; }
    void clear() { m_received.clear(); }

private:
    QIODevice* m_device;
    QByteArray m_received;
    int m_reads = 0;
};

struct TcpPeer
{
    QTcpSocket socket;
    Peer peer{&socket};

    bool connectTo(quint16 port)
    {
        socket.connectToHost(QHostAddress::LocalHost, port);
        return socket.waitForConnected(kWaitMs);
    }
};

QStringList Args(std::initializer_list<const char*> args)
{
    QStringList list;
    for (const char* arg : args)
        list << S(arg);
    return list;
}

} // namespace

class TestSimulator : public QObject
{
    Q_OBJECT

private slots:
    void badCommandLineIsExitTwo_data();
    void badCommandLineIsExitTwo();
    void helpDescribesWireLog();
    void basicModeEchoesAndAnswersReset();
    void smartModeIsSilent();
    void resetLeavesSmartMode();
    void confirmations_data();
    void confirmations();
    void checksum_data();
    void checksum();
    void injectionKeepsRateAndRepeats();
    void splitOutputReassembles();
    void delayHoldsReplies();
    void dropAfterClosesAndStateSurvives();
    void newClientReplacesOld();
    void wireLogEscapesBytes();
    void controlErrors_data();
    void controlErrors();
    void ptyServesSerialClient();
    void exitsCleanly_data();
    void exitsCleanly();
};

void TestSimulator::badCommandLineIsExitTwo_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown option") << Args({"--tcp", "0", "--frobnicate"}) << S("frobnicate");
    QTest::newRow("nothing to serve") << QStringList() << S("nothing to serve");
    QTest::newRow("non-loopback listen")
        << Args({"--tcp", "0", "--listen", "192.168.0.1"}) << S("loopback");
    QTest::newRow("any address") << Args({"--tcp", "0", "--listen", "0.0.0.0"}) << S("loopback");
    QTest::newRow("bad port") << Args({"--tcp", "70000"}) << S("--tcp");
    QTest::newRow("bad fault") << Args({"--tcp", "0", "--fault", "x"}) << S("--fault");
    QTest::newRow("interval and rate") << Args({"--tcp", "0", "--inject-file", "f",
                                                "--inject-interval", "5", "--inject-rate", "9"})
                                       << S("not both");
    QTest::newRow("rate without file")
        << Args({"--tcp", "0", "--inject-rate", "9"}) << S("--inject-file");
}

void TestSimulator::badCommandLineIsExitTwo()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    QProcess process;
    process.start(qEnvironmentVariable("TARVIN_SIM"), args);
    QVERIFY(process.waitForFinished(kWaitMs));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 2);
    const QString error = QString::fromLocal8Bit(process.readAllStandardError());
    QVERIFY2(error.contains(message), qPrintable(error));
    QVERIFY(process.readAllStandardOutput().isEmpty());
}

void TestSimulator::helpDescribesWireLog()
{
    QProcess process;
    process.start(qEnvironmentVariable("TARVIN_SIM"), {S("--help")});
    QVERIFY(process.waitForFinished(kWaitMs));
    QCOMPARE(process.exitCode(), 0);
    const QByteArray help = process.readAllStandardOutput();
    for (const char* needle :
         {"--wire-log", "RX <text>", "\\xHH", "--inject-rate", "monitor <hex>"})
        QVERIFY2(help.contains(needle), needle);
}

void TestSimulator::basicModeEchoesAndAnswersReset()
{
    SimProcess sim;
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    TcpPeer client;
    QVERIFY(client.connectTo(sim.tcpPort()));

    // The program's handshake: "~~~" and two CRs; "~" answers it.
    client.peer.send("~~~\r\r");
    QVERIFY(client.peer.waitFor("~~~\r\r"));
    QCOMPARE(client.peer.received(), QByteArray("~~~\r\r"));
    QCOMPARE(sim.options(), 0);

    client.peer.clear();
    client.peer.send("\\0538007901g\r\r");
    QVERIFY(client.peer.waitFor("g."));
    QCOMPARE(client.peer.received(), QByteArray("\\0538007901g\rg.\r"));
}

void TestSimulator::smartModeIsSilent()
{
    SimProcess sim;
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    TcpPeer client;
    QVERIFY(client.connectTo(sim.tcpPort()));

    client.peer.send("~~~\r\r||\r\r");
    QVERIFY(client.peer.waitFor("||\r"));
    QVERIFY(QTest::qWaitFor([&] { return sim.options() == 0x11; }, kWaitMs));
    client.peer.clear();

    // Neither the silent line nor the two acknowledged ones are echoed.
    client.peer.send("\\0538007901\r\r\\0538007902h\r\r\\0538007903i\r\r");
    QVERIFY(client.peer.waitFor("i."));
    QCOMPARE(client.peer.received(), QByteArray("h.i."));
}

void TestSimulator::resetLeavesSmartMode()
{
    SimProcess sim;
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    TcpPeer client;
    QVERIFY(client.connectTo(sim.tcpPort()));
    client.peer.send("A3300051\r\r");
    QVERIFY(QTest::qWaitFor([&] { return sim.options() == 0x51; }, kWaitMs));
    client.peer.clear();

    // A unit left in smart mode by an earlier session must still answer the
    // handshake, or the next connect would find nothing.
    client.peer.send("~~~\r\r");
    QVERIFY(client.peer.waitFor("~\r\r"));
    QCOMPARE(sim.options(), 0);

    // What follows the reset on its line is a line of its own.
    client.peer.send("~~~A3300018\r\r");
    QVERIFY(QTest::qWaitFor([&] { return sim.options() == 0x18; }, kWaitMs));
    client.peer.send("@A330001419g\r\r"); // 0x14 with its checksum
    QVERIFY(client.peer.waitFor("g."));
    QCOMPARE(sim.options(), 0x14);
}

void TestSimulator::confirmations_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("ok") << QStringList() << QString() << QByteArray("g.h.i.j.");
    QTest::newRow("no acknowledgement") << QStringList() << S("fault #") << QByteArray("g#h#i#j#");
    QTest::newRow("corrupted") << QStringList() << S("fault $") << QByteArray("g$h$i$j$");
    QTest::newRow("no clock, every second")
        << QStringList() << S("fault % 2") << QByteArray("g.h%i.j%");
    QTest::newRow("from the command line")
        << Args({"--fault", "#", "--fault-every", "3"}) << QString() << QByteArray("g.h.i#j.");
    QTest::newRow("fault off again")
        << Args({"--fault", "$"}) << S("fault off") << QByteArray("g.h.i.j.");
}

void TestSimulator::confirmations()
{
    QFETCH(QStringList, args);
    QFETCH(QString, fault);
    QFETCH(QByteArray, expected);
    SimProcess sim;
    QVERIFY2(sim.start(args), qPrintable(sim.errorString()));
    if (!fault.isEmpty())
        QVERIFY(sim.control(fault));
    TcpPeer client;
    QVERIFY(client.connectTo(sim.tcpPort()));
    client.peer.send("||\r\r");
    QVERIFY(client.peer.waitFor("||\r"));
    client.peer.clear();

    client.peer.send("\\05380079FFg\r\r\\0538000A01h\r\r\\05CA0002250Ai\r\r\\05380079FFj\r\r");
    QVERIFY(client.peer.waitForSize(expected.size()));
    QCOMPARE(client.peer.received(), expected);
}

void TestSimulator::checksum_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("optionsAfter");
    // Options 18: smart (no echo) and checksum.
    QTest::newRow("good sum") << QByteArray("\\053800790A40g") << QByteArray("g.") << 0x18;
    QTest::newRow("bad sum") << QByteArray("\\053800790A41g") << QByteArray("!") << 0x18;
    QTest::newRow("bad sum, no letter") << QByteArray("\\053800790A41") << QByteArray("!") << 0x18;
    QTest::newRow("missing checksum") << QByteArray("\\053800790Ag") << QByteArray("!") << 0x18;
    QTest::newRow("not hex") << QByteArray("\\05380079ZZ40g") << QByteArray("!") << 0x18;
    QTest::newRow("odd length") << QByteArray("\\053800790A4g") << QByteArray("!") << 0x18;
    // The checksum byte is not part of the value stored.
    QTest::newRow("parameter with sum") << QByteArray("A33000101Dg") << QByteArray("g.") << 0x10;
    QTest::newRow("refused parameter") << QByteArray("A33000101Eg") << QByteArray("!") << 0x18;
}

void TestSimulator::checksum()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, reply);
    QFETCH(int, optionsAfter);
    SimProcess sim;
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    TcpPeer client;
    QVERIFY(client.connectTo(sim.tcpPort()));
    // Smart from the first CR on, so the second is not echoed.
    client.peer.send("A3300018\r\r");
    QVERIFY(client.peer.waitFor("A3300018\r"));
    QVERIFY(QTest::qWaitFor([&] { return sim.options() == 0x18; }, kWaitMs));
    client.peer.clear();

    // A probe after the line shows the line's whole answer, and no more.
    const QByteArray probe = optionsAfter & 0x08 ? "\\053800790A40z" : "\\053800790Az";
    client.peer.send(line + "\r\r" + probe + "\r\r");
    QVERIFY(client.peer.waitFor("z."));
    QCOMPARE(client.peer.received(), reply + "z.");
    QCOMPARE(sim.options(), optionsAfter);
}

void TestSimulator::injectionKeepsRateAndRepeats()
{
    SimProcess sim;
    const QString file = sim.temporaryPath() + S("/inject.txt");
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write("# comment\n0538007901AB\n\n05380079020A\r\n0538007903C0\n");
    out.close();
    const int rate = 40;
    QVERIFY2(sim.start({S("--inject-file"), file, S("--inject-rate"), QString::number(rate),
                        S("--inject-repeat"), S("3")}),
             qPrintable(sim.errorString()));
    TcpPeer client;
    QVERIFY(client.connectTo(sim.tcpPort()));

    const QByteArray pass = "0538007901AB\r\n05380079020A\r\n0538007903C0\r\n";
    QVERIFY(client.peer.waitForSize(3 * pass.size()));
    QCOMPARE(client.peer.received(), pass + pass + pass);

    QList<qint64> times;
    for (const WireEntry& entry : sim.wireEntries()) {
        if (!entry.received)
            times.append(entry.ms);
    }
    QCOMPARE(times.size(), 9);
    // Nine lines at 40 a second span at least 8/40 s; only the lower bound is
    // safe to test on a shared machine.
    QVERIFY2(times.last() - times.first() >= 8 * 1000 / rate - 20,
             qPrintable(QString::number(times.last() - times.first())));
}

void TestSimulator::splitOutputReassembles()
{
    SimProcess sim;
    QVERIFY2(sim.start(Args({"--split", "--split-max", "3", "--seed", "7"})),
             qPrintable(sim.errorString()));
    TcpPeer client;
    QVERIFY(client.connectTo(sim.tcpPort()));
    client.peer.send("~~~\r\r");
    QVERIFY(client.peer.waitFor("~~~\r\r"));
    client.peer.clear();

    QByteArray hex;
    for (int i = 0; i < 60; ++i)
        hex += QByteArray::number(0x10 + i, 16).toUpper();
    QVERIFY(sim.control(S("monitor ") + QString::fromLatin1(hex)));
    QVERIFY(client.peer.waitForSize(hex.size() + 2));
    QCOMPARE(client.peer.received(), hex + "\r\n");
    QVERIFY2(client.peer.reads() > 1, "the line should arrive in pieces");
    // Logged once, whole, however it was cut.
    QVERIFY(sim.waitForSent(
        [&](const QStringList& tx) { return tx.contains(QString::fromLatin1(hex + "\r\n")); }));
}

void TestSimulator::delayHoldsReplies()
{
    SimProcess sim;
    QVERIFY2(sim.start(Args({"--delay", "300"})), qPrintable(sim.errorString()));
    TcpPeer client;
    QVERIFY(client.connectTo(sim.tcpPort()));
    QElapsedTimer clock;
    clock.start();
    client.peer.send("\\0538007901g\r\r");
    QVERIFY(client.peer.waitFor("g."));
    QVERIFY2(clock.elapsed() >= 280, qPrintable(QString::number(clock.elapsed())));
    // Order survives the delay: echo first, then the confirmation.
    QCOMPARE(client.peer.received(), QByteArray("\\0538007901g\rg.\r"));
}

void TestSimulator::dropAfterClosesAndStateSurvives()
{
    SimProcess sim;
    QVERIFY2(sim.start(Args({"--drop-after", "2"})), qPrintable(sim.errorString()));
    TcpPeer first;
    QVERIFY(first.connectTo(sim.tcpPort()));
    QSignalSpy closed(&first.socket, &QTcpSocket::disconnected);
    first.peer.send("||\r\r\\0538007901g\r\r\\0538007902h\r\r");
    QVERIFY(closed.count() > 0 || closed.wait(kWaitMs));
    // The second line's answer is written before the close; the third line
    // is never processed.
    QCOMPARE(first.peer.received(), QByteArray("||\rg."));
    QVERIFY(
        sim.waitForReceived([](const QStringList& rx) { return rx.contains(S("\\0538007901g")); }));
    QVERIFY(!sim.receivedLines().contains(S("\\0538007902h")));

    // The unit keeps its mode for the next client.
    TcpPeer second;
    QVERIFY(second.connectTo(sim.tcpPort()));
    second.peer.send("\\0538007903i\r\r");
    QVERIFY(second.peer.waitFor("i."));
    QCOMPARE(second.peer.received(), QByteArray("i."));
    QCOMPARE(sim.options(), 0x11);
}

void TestSimulator::newClientReplacesOld()
{
    SimProcess sim;
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    QCOMPARE(sim.command(S("drop")), S("ERROR no TCP client"));

    TcpPeer first;
    QVERIFY(first.connectTo(sim.tcpPort()));
    first.peer.send("~~~\r");
    QVERIFY(first.peer.waitFor("~~~\r"));
    QSignalSpy firstClosed(&first.socket, &QTcpSocket::disconnected);

    TcpPeer second;
    QVERIFY(second.connectTo(sim.tcpPort()));
    QVERIFY(firstClosed.count() > 0 || firstClosed.wait(kWaitMs));
    QVERIFY(sim.control(S("monitor 0538007901AB")));
    QVERIFY(second.peer.waitFor("0538007901AB\r\n"));

    QSignalSpy secondClosed(&second.socket, &QTcpSocket::disconnected);
    QCOMPARE(sim.command(S("drop")), S("OK dropped"));
    QVERIFY(secondClosed.count() > 0 || secondClosed.wait(kWaitMs));
}

void TestSimulator::wireLogEscapesBytes()
{
    SimProcess sim;
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    TcpPeer client;
    QVERIFY(client.connectTo(sim.tcpPort()));
    client.peer.send("||\r\rA\xFF\x01\\\n\r\r");
    QVERIFY(client.peer.waitFor("!"));

    const QByteArray odd("A\x01\\\r\n\x7F", 6);
    QCOMPARE(sim.command(S("send A\\x01\\\\\\r\\n\\x7f")), S("OK sent 6"));
    QVERIFY(client.peer.waitFor(odd));

    QVERIFY(sim.waitForSent(
        [&](const QStringList& tx) { return tx.contains(QString::fromLatin1(odd)); }));
    const QStringList lines = sim.wireLines();
    QStringList texts;
    for (const QString& line : lines)
        texts << line.section(QLatin1Char(' '), 1);
    // Each CR ends a received line, so the double CR shows as an empty one.
    const QStringList expected = {S("RX ||"),
                                  S("TX ||\\r"),
                                  S("RX "),
                                  S("RX A\\xFF\\x01\\\\\\n"),
                                  S("TX !"),
                                  S("RX "),
                                  S("TX A\\x01\\\\\\r\\n\\x7F")};
    QCOMPARE(texts, expected);
    for (const QString& line : lines) {
        bool ok = false;
        line.section(QLatin1Char(' '), 0, 0).toLongLong(&ok);
        QVERIFY2(ok, qPrintable(line));
    }
}

void TestSimulator::controlErrors_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("answer");
    QTest::newRow("unknown") << S("frob") << S("ERROR unknown command: frob");
    QTest::newRow("empty") << QString() << S("ERROR empty command");
    QTest::newRow("bad escape") << S("send A\\q") << S("ERROR bad escape in: A\\q");
    QTest::newRow("cut escape") << S("send A\\x4") << S("ERROR bad escape in: A\\x4");
    QTest::newRow("nothing to send") << S("send") << S("ERROR nothing to send");
    QTest::newRow("monitor not hex") << S("monitor 05G8") << S("ERROR not hexadecimal: 05G8");
    QTest::newRow("fault letter") << S("fault x")
                                  << S("ERROR usage: fault <#|$|%> [N] | fault off");
    QTest::newRow("fault every 0") << S("fault # 0") << S("ERROR fault: N must be at least 1");
    QTest::newRow("send, no client") << S("send abc") << S("ERROR no client");
    QTest::newRow("monitor, no client") << S("monitor 0538") << S("ERROR no client");
    QTest::newRow("fault") << S("fault $ 4") << S("OK fault $ 4");
    QTest::newRow("options") << S("options") << S("OPTIONS 00");
}

void TestSimulator::controlErrors()
{
    QFETCH(QString, command);
    QFETCH(QString, answer);
    SimProcess sim;
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    QCOMPARE(sim.command(command), answer);
    // Still serving afterwards.
    QCOMPARE(sim.command(S("options")), S("OPTIONS 00"));
}

void TestSimulator::ptyServesSerialClient()
{
    SimProcess sim;
    QVERIFY2(sim.start({}, /*tcp=*/true, /*pty=*/true), qPrintable(sim.errorString()));
    QVERIFY(sim.ptyPath().startsWith(S("/dev/")));
    QVERIFY(sim.tcpPort() != 0);

    QSerialPort port(sim.ptyPath());
    port.setBaudRate(QSerialPort::Baud9600);
    QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));
    Peer peer(&port);
    peer.send("~~~\r\r");
    QVERIFY(peer.waitFor("~~~\r\r"));
    peer.send("A3300051g\r\r");
    QVERIFY(peer.waitFor("g."));
    QCOMPARE(peer.received(), QByteArray("~~~\r\rA3300051g\rg."));
    // One unit behind both faces.
    QCOMPARE(sim.options(), 0x51);

    peer.clear();
    QVERIFY(sim.control(S("monitor 0538007901AB")));
    QVERIFY(peer.waitFor("0538007901AB\r\n"));
    QCOMPARE(sim.command(S("drop")), S("ERROR no TCP client"));
    port.close();

    // A second open of the same device works: the master never saw a hang-up.
    QVERIFY(port.open(QIODevice::ReadWrite));
    peer.clear();
    peer.send("\\0538007902h\r\r");
    QVERIFY(peer.waitFor("h."));
    QCOMPARE(peer.received(), QByteArray("h."));
}

void TestSimulator::exitsCleanly_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("quit") << S("quit");
    QTest::newRow("end of input") << S("eof");
    QTest::newRow("SIGTERM") << S("term");
    QTest::newRow("SIGINT") << S("int");
}

void TestSimulator::exitsCleanly()
{
    QFETCH(QString, how);
    SimProcess sim;
    QVERIFY2(sim.start({}, true, true), qPrintable(sim.errorString()));
    TcpPeer client; // a live client must not stand in the way
    QVERIFY(client.connectTo(sim.tcpPort()));
    client.peer.send("~~~\r");
    QVERIFY(client.peer.waitFor("~~~\r"));

    QProcess& process = sim.process();
    if (how == S("quit"))
        QCOMPARE(sim.command(S("quit")), S("OK quit"));
    else if (how == S("eof"))
        process.closeWriteChannel();
    else
        ::kill(static_cast<pid_t>(process.processId()), how == S("term") ? SIGTERM : SIGINT);
    // The wait for the answer may already have seen the exit.
    QVERIFY(process.state() == QProcess::NotRunning || process.waitForFinished(kWaitMs));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    QVERIFY2(sim.standardError().isEmpty(), qPrintable(sim.standardError()));
}

QTEST_GUILESS_MAIN(TestSimulator)
#include "tst_simulator.moc"
