// The simulated interface unit itself, driven over loopback TCP and a pty.
#include "../support/sim_process.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QSerialPort>
#include <QTcpSocket>
#include <QtTest>

#include <algorithm>
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

// What --traffic / "traffic" may generate, as strictly as it is described:
// SAL, MMI (FF or 38) and CAL lines with reply byte 83 from parameters
// 50-6F, damaged or not. Nothing else may pass, so a line cut into an echo
// or a reply, or one that could be taken for an answer (a status report
// C0-FF, an Identify or other Recall reply), fails the test.
bool IsMonitoringFormLine(const QByteArray& line)
{
    static const QRegularExpression pattern(S("^(?:05(?:0[1-9A-F]|[12][0-9A-F]|30)"
                                              "(?:[0-9A-F]{2}00(?:(?:[0-9A-F]{2}){1,4}3[45])?"
                                              "|(?:FF|38)90(?:[0-9A-F]{2}){0,4})"
                                              "|86(?:0[1-9A-F]|[12][0-9A-F]|30)000083[56][0-9A-F]"
                                              "[0-9A-F]{2}9[AB])$"));
    return pattern.match(QString::fromLatin1(line)).hasMatch();
}

// Outside the monitoring mode the same lines end in a checksum instead of
// their status byte (MMI messages and lines cut short too).
bool IsTrafficLine(const QByteArray& line)
{
    if (IsMonitoringFormLine(line))
        return true;
    const QByteArray body = line.chopped(std::min<qsizetype>(2, line.size()));
    return IsMonitoringFormLine(body) || IsMonitoringFormLine(body + "35") ||
           IsMonitoringFormLine(body + "9A");
}

QByteArray Hex(const QByteArray& bytes)
{
    return bytes.toHex().toUpper();
}

// The hex line with its checksum: all bytes sum to 0 modulo 256.
QByteArray WithChecksum(const QByteArray& hex)
{
    int sum = 0;
    for (char b : QByteArray::fromHex(hex))
        sum += static_cast<unsigned char>(b);
    return hex + Hex(QByteArray(1, static_cast<char>((256 - sum % 256) % 256)));
}

// The workbench's reply patterns: "?" any character, a final "*" any rest.
bool Matches(const QByteArray& pattern, const QByteArray& text)
{
    const bool rest = pattern.endsWith('*');
    const QByteArray fixed = rest ? pattern.chopped(1) : pattern;
    if (rest ? text.size() < fixed.size() : text.size() != fixed.size())
        return false;
    for (qsizetype i = 0; i < fixed.size(); ++i)
        if (fixed.at(i) != '?' && fixed.at(i) != text.at(i))
            return false;
    return true;
}

// A TCP client that cuts what it receives into tokens as the workbench
// does: a line up to its CR (a following LF dropped), or a bare
// confirmation or "!". Generated traffic is counted apart.
class TokenClient
{
public:
    struct Token
    {
        QByteArray text;
        qint64 ms = 0; // arrival, since startClock()
    };

    explicit TokenClient(SimProcess& sim) : m_sim(sim)
    {
        QObject::connect(&m_socket, &QTcpSocket::readyRead, &m_socket, [this] { read(); });
        QObject::connect(&m_socket, &QTcpSocket::disconnected, &m_socket,
                         [this] { m_closed = true; });
    }

    bool connectTo(quint16 port)
    {
        m_socket.connectToHost(QHostAddress::LocalHost, port);
        return m_socket.waitForConnected(kWaitMs);
    }

    // Written, and when it ends in CR, seen by the simulator: what the test
    // does next happens after it.
    bool send(const QByteArray& bytes)
    {
        m_socket.write(bytes);
        m_lines += bytes.count('\r');
        if (bytes.endsWith('\r'))
            return m_sim.waitForReceived(
                [this](const QStringList& rx) { return rx.size() >= m_lines; });
        return QTest::qWaitFor([this] { return m_socket.bytesToWrite() == 0; }, kWaitMs);
    }

    // Sets the options (0 = basic mode) and forgets what came back so far.
    bool setMode(int options)
    {
        QByteArray lines = "~~~\r";
        if (options != 0)
            lines += "A33000" + Hex(QByteArray(1, static_cast<char>(options))) + '\r';
        if (!send(lines + "\\0538007901z\r") || !waitForToken("z."))
            return false;
        m_others.clear();
        m_traffic = 0;
        return m_sim.options() == options;
    }

    bool waitForToken(const QByteArray& text)
    {
        return QTest::qWaitFor(
            [&] {
                return std::any_of(m_others.cbegin(), m_others.cend(),
                                   [&](const Token& t) { return t.text == text; });
            },
            kWaitMs);
    }

    void startClock() { m_clock.start(); }
    QList<Token> others() const { return m_others; }
    int traffic() const { return m_traffic; }
    bool closed() const { return m_closed; }

private:
    void read()
    {
        m_pending += m_socket.readAll();
        const qint64 now = m_clock.isValid() ? m_clock.elapsed() : 0;
        for (;;) {
            while (m_pending.startsWith('\n'))
                m_pending.remove(0, 1);
            QByteArray token;
            if (m_pending.size() >= 2 && m_pending.at(0) >= 'g' && m_pending.at(0) <= 'z' &&
                QByteArray(".#$%").contains(m_pending.at(1))) {
                token = m_pending.left(2);
                m_pending.remove(0, 2);
            } else if (m_pending.startsWith('!')) {
                token = "!";
                m_pending.remove(0, 1);
            } else {
                const qsizetype end = m_pending.indexOf('\r');
                if (end < 0)
                    return;
                token = m_pending.left(end);
                m_pending.remove(0, end + 1);
            }
            if (IsTrafficLine(token))
                ++m_traffic;
            else
                m_others.append(Token{token, now});
        }
    }

    SimProcess& m_sim;
    QTcpSocket m_socket;
    QByteArray m_pending;
    QList<Token> m_others;
    int m_traffic = 0;
    qsizetype m_lines = 0; // CRs sent
    bool m_closed = false;
    QElapsedTimer m_clock;
};

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
    void faultsOnDemand_data();
    void faultsOnDemand();
    void trafficTakesTheModesForm();
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
    QTest::newRow("late, not a time") << Args({"--tcp", "0", "--late", "soon"}) << S("--late");
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
         {"--wire-log", "RX <text>", "\\xHH", "--inject-rate", "monitor <hex>", "--late MS",
          "late <ms>", "drop-after-replies <n>", "traffic <rate>"})
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
    QTest::newRow("late, negative")
        << S("late -5") << S("ERROR usage: late [confirm] <milliseconds, 0-600000>");
    QTest::newRow("late confirm") << S("late confirm 250") << S("OK late confirm 250");
    QTest::newRow("drop after no replies")
        << S("drop-after-replies 0")
        << S("ERROR usage: drop-after-replies <n, at least 1> | drop-after-replies off");
    QTest::newRow("traffic too fast")
        << S("traffic 100001") << S("ERROR usage: traffic <lines per second, 0-100000>");
    QTest::newRow("traffic, no client yet") << S("traffic 50") << S("OK traffic 50");
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

// Generated and injected lines end in their checksum in the default mode and
// in their status byte in the monitoring mode, as the interface passes them.
void TestSimulator::trafficTakesTheModesForm()
{
    SimProcess sim;
    const QString file = sim.temporaryPath() + S("/inject.txt");
    {
        QFile inject(file);
        QVERIFY(inject.open(QIODevice::WriteOnly));
        inject.write("05013800790544\n0520FF90014B\n");
    }
    QVERIFY2(sim.start({S("--traffic"), S("100"), S("--error-share"), S("0"), S("--inject-file"),
                        file, S("--inject-interval"), S("20"), S("--inject-repeat"), S("0")}),
             qPrintable(sim.errorString()));
    TokenClient client(sim);
    QVERIFY(client.connectTo(sim.tcpPort()));
    const auto linesAfter = [&](qsizetype from) {
        QByteArrayList lines;
        for (const QString& text : sim.sentTexts().mid(from))
            if (text.endsWith(S("\r\n")) && (text.startsWith(S("05")) || text.startsWith(S("86"))))
                lines << text.chopped(2).toLatin1();
        return lines;
    };
    for (const bool monitoring : {false, true}) {
        QVERIFY(client.setMode(0x51));
        if (monitoring)
            QVERIFY(client.send("@A3400048\r"));
        const qsizetype from = sim.sentTexts().size();
        QVERIFY(QTest::qWaitFor([&] { return linesAfter(from).size() >= 60; }, kWaitMs));
        for (const QByteArray& line : linesAfter(from)) {
            if (!monitoring)
                QCOMPARE(line, WithChecksum(line.chopped(2)));
            else
                QVERIFY2(line.mid(6, 2) == "90" || line.endsWith("35") || line.endsWith("9A"),
                         line.constData());
        }
        QVERIFY(linesAfter(from).contains(monitoring ? "05013800790535" : "05013800790544"));
    }
}

// Each row drives the simulator through steps and checks what a TCP client
// in the given mode receives. Steps: "sim <command>" (must answer OK),
// "pause <ms>", "traffic <n>" (until n generated lines have come),
// "await <token>", "quiet <ms>" (no generated line for that long), or bytes
// to send. `expected`: every token that is not generated traffic, in order
// (workbench patterns); `earliest`: for each, the least time in ms after the
// first step; `closes`: the simulator closes the connection after them;
// `traffic`: generated lines that must have come.
void TestSimulator::faultsOnDemand_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QByteArrayList>("steps");
    QTest::addColumn<QByteArrayList>("expected");
    QTest::addColumn<QList<int>>("earliest");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<int>("traffic");

    const int smart = 0x51; // smart with IDMON, as the workbench sets it
    const QByteArray type5 = WithChecksum("860500008901" + Hex("DIMMER  "));
    const QByteArray voltage1 = WithChecksum("860100008607" + Hex("36.0V"));
    // The Installation MMI: reports from 00, 58 and B0.
    const QByteArrayList installation = {"86010000D8FF00*", "86010000D8FF58*", "86010000D6FFB0*"};

    QTest::newRow("late: a request sent again is answered twice")
        << QStringList() << smart
        << QByteArrayList{"sim late 1500", "\\0605002101\r", "pause 1000", "\\0605002101\r"}
        << QByteArrayList{type5, type5} << QList<int>{1400, 2400} << false << 0;
    // The confirmation, a monitor line and a reply due sooner all overtake
    // the late reply; "slow" would hold them all behind it.
    QTest::newRow("late: nothing else waits")
        << QStringList() << smart
        << QByteArrayList{"sim late 3000", "\\0605002101\r\\0538007901g\r",
                          "sim monitor 0538007902AB", "sim late 100", "2107\r"}
        << QByteArrayList{"g.", "0538007902AB", voltage1, type5} << QList<int>{0, 0, 100, 2900}
        << false << 0;
    QTest::newRow("late from the command line, status reports too")
        << Args({"--late", "400"}) << smart << QByteArrayList{"\\05FF007AFF00\r"} << installation
        << QList<int>{380, 380, 380} << false << 0;
    QTest::newRow("late 0 ends it")
        << Args({"--late", "60000"}) << smart << QByteArrayList{"sim late 0", "2107\r"}
        << QByteArrayList{voltage1} << QList<int>() << false << 0;

    // Confirmations and monitor lines do not count; the third report of the
    // sequence never comes.
    QTest::newRow("drop after two replies of three")
        << QStringList() << smart
        << QByteArrayList{"sim drop-after-replies 2", "\\0538007901g\r", "sim monitor 0538007902AB",
                          "\\05FF007AFF00\r"}
        << QByteArrayList{"g.", "0538007902AB", installation.at(0), installation.at(1)}
        << QList<int>() << true << 0;
    // Held behind a slow reply, the third report is already queued.
    QTest::newRow("drop after two replies, the rest queued")
        << QStringList() << smart
        << QByteArrayList{"sim slow 200", "sim drop-after-replies 2", "\\05FF007AFF00\r"}
        << installation.mid(0, 2) << QList<int>() << true << 0;
    QTest::newRow("drop-after-replies off")
        << QStringList() << smart
        << QByteArrayList{"sim drop-after-replies 1", "sim drop-after-replies off",
                          "\\05FF007AFF00\r", "\\0538007901z\r"}
        << (installation + QByteArrayList{"z."}) << QList<int>() << false << 0;

    QTest::newRow("silent pci, answer pci")
        << QStringList() << smart
        << QByteArrayList{"sim silent pci", "2101\r", "sim answer pci", "2107\r"}
        << QByteArrayList{voltage1} << QList<int>() << false << 0;
    QTest::newRow("silent confirm, answer confirm")
        << QStringList() << smart
        << QByteArrayList{"sim silent confirm", "\\0538007901g\r", "sim answer confirm",
                          "\\0538007902h\r"}
        << QByteArrayList{"h."} << QList<int>() << false << 0;
    QTest::newRow("silent mmi, answer mmi")
        << QStringList() << smart
        << QByteArrayList{"sim silent mmi", "\\05FF007AFF00\r", "sim answer mmi",
                          "\\05FF007AFFB0\r"}
        << QByteArrayList{installation.at(2)} << QList<int>() << false << 0;
    QTest::newRow("silent off ends them all")
        << QStringList() << smart
        << QByteArrayList{"sim silent 05",  "sim silent pci",
                          "sim silent mmi", "\\0605002101\r2107\r\\05FF007AFFB0\r",
                          "sim silent off", "\\0605002101\r2107\r\\05FF007AFFB0\r"}
        << QByteArrayList{type5, voltage1, installation.at(2)} << QList<int>() << false << 0;

    // A line typed in two pieces: generated lines wait for its CR rather
    // than split the echo.
    QTest::newRow("traffic in basic mode, echo whole")
        << QStringList() << 0 << QByteArrayList{"sim traffic 200", "traffic 5", "\\05380",
                                                "pause 200",       "07901g\r",  "traffic 60"}
        << QByteArrayList{"\\0538007901g", "g."} << QList<int>() << false << 60;
    QTest::newRow("traffic in smart mode, replies whole")
        << QStringList() << smart
        << QByteArrayList{"sim traffic 2000", "traffic 5", "\\05FF007AFF00\r", "\\0605002101\r",
                          "traffic 1000"}
        << (installation + QByteArrayList{type5}) << QList<int>() << false << 1000;
    QTest::newRow("traffic in monitor mode")
        << QStringList() << 0x71
        << QByteArrayList{"sim traffic 500", "traffic 5", "\\05FF007AFF00\r", "\\0605002101\r",
                          "traffic 100"}
        << (installation + QByteArrayList{type5}) << QList<int>() << false << 100;
    QTest::newRow("traffic 0 stops it")
        << QStringList() << smart << QByteArrayList{"sim traffic 200", "traffic 5", "sim traffic 0",
                                                    "\\0538007901z\r", "await z.",  "quiet 300"}
        << QByteArrayList{"z."} << QList<int>() << false << 5;
}

void TestSimulator::faultsOnDemand()
{
    QFETCH(QStringList, args);
    QFETCH(int, mode);
    QFETCH(QByteArrayList, steps);
    QFETCH(QByteArrayList, expected);
    QFETCH(QList<int>, earliest);
    QFETCH(bool, closes);
    QFETCH(int, traffic);
    SimProcess sim;
    QVERIFY2(sim.start(args), qPrintable(sim.errorString()));
    TokenClient client(sim);
    QVERIFY(client.connectTo(sim.tcpPort()));
    QVERIFY(client.setMode(mode));

    client.startClock();
    for (const QByteArray& step : steps) {
        const int number = step.mid(step.indexOf(' ') + 1).toInt();
        if (step.startsWith("sim ")) {
            QVERIFY2(sim.control(QString::fromLatin1(step.mid(4))), step.constData());
        } else if (step.startsWith("pause ")) {
            QTest::qWait(number); // the gap itself is what is tested
        } else if (step.startsWith("traffic ")) {
            QVERIFY2(QTest::qWaitFor([&] { return client.traffic() >= number; }, kWaitMs),
                     step.constData());
        } else if (step.startsWith("await ")) {
            QVERIFY2(client.waitForToken(step.mid(6)), step.constData());
        } else if (step.startsWith("quiet ")) {
            const int before = client.traffic();
            QTest::qWait(number); // nothing to wait for: the test is that nothing comes
            QCOMPARE(client.traffic(), before);
        } else {
            QVERIFY2(client.send(step), step.constData());
        }
    }

    const int timeout = kWaitMs + (earliest.isEmpty() ? 0 : earliest.last());
    if (closes)
        QVERIFY(QTest::qWaitFor([&] { return client.closed(); }, timeout));
    else
        (void)QTest::qWaitFor([&] { return client.others().size() >= expected.size(); }, timeout);
    const QList<TokenClient::Token> tokens = client.others();
    QByteArrayList texts;
    for (const TokenClient::Token& token : tokens)
        texts << token.text;
    QVERIFY2(texts.size() == expected.size(), texts.join(' ').constData());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        QVERIFY2(Matches(expected.at(i), texts.at(i)), texts.at(i).constData());
        // A reply arrives whole: its bytes still add up.
        if (texts.at(i).startsWith("86"))
            QCOMPARE(texts.at(i), WithChecksum(texts.at(i).chopped(2)));
        if (!earliest.isEmpty())
            QVERIFY2(tokens.at(i).ms >= earliest.at(i),
                     (texts.at(i) + ' ' + QByteArray::number(tokens.at(i).ms)).constData());
    }
    QVERIFY2(client.traffic() >= traffic, qPrintable(QString::number(client.traffic())));
    QCOMPARE(client.closed(), closes);
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
