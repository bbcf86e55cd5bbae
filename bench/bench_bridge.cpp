// tarvin-bridge on loopback between tarvin-sim and a mosquitto broker it
// starts itself:
//  - throughput: the simulator writes N lighting lines as fast as its
//    socket takes them; the time until the N-th P/rx event reaches a
//    subscriber gives lines per second (target 20,000);
//  - latency: a set command published, until its confirmed state arrives
//    at the same client, repeated with a pause of --gap ms between; p50
//    and p99 in milliseconds. The bridge sends as the workbench does, with
//    its 0.2 s pause after each line: back to back (--gap 0) a set waits
//    out the pause of the one before.
//
//   bench_bridge [--lines N] [--sets N] [--gap MS] [--queue N]
//
// --queue is handed to the bridge (its default otherwise); events it drops
// are counted from its "dropped" markers.
//
// The programs come from TARVIN_SIM and TARVIN_BRIDGE (bench/bridge.sh sets
// them), the broker from TARVIN_MOSQUITTO or the path.
#include "mqtt_client.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace tarvin::test;

namespace {

constexpr double kTargetLinesPerSecond = 20000.0;
const QString kPrefix = QStringLiteral("bench");

double Percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(p * static_cast<double>(values.size() - 1))];
}

// A thousand different lighting lines (a ramp of group g to level l from
// unit s), each with its checksum, as the sim's "send" command writes them.
QByteArray Chunk()
{
    QByteArray chunk;
    for (int i = 0; i < 1000; ++i) {
        const int bytes[] = {0x05, 1 + i % 48, 0x38, 0x00, 0x02 + 8 * (i % 16), i % 200, i % 256};
        int sum = 0;
        QByteArray line;
        for (int b : bytes) {
            line += QByteArray::number(b, 16).rightJustified(2, '0').toUpper();
            sum += b;
        }
        line +=
            QByteArray::number((0x100 - sum % 0x100) % 0x100, 16).rightJustified(2, '0').toUpper();
        chunk += line + "\\r\\n";
    }
    return chunk;
}

int Fail(const char* what)
{
    std::fprintf(stderr, "bench_bridge: %s\n", what);
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int lines = 200000;
    int sets = 500;
    int gapMs = 250;
    QString queue;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--lines"))
            lines = std::max(1000, args[i + 1].toInt() / 1000 * 1000);
        else if (args[i] == QLatin1String("--sets"))
            sets = std::max(10, args[i + 1].toInt());
        else if (args[i] == QLatin1String("--gap"))
            gapMs = std::max(0, args[i + 1].toInt());
        else if (args[i] == QLatin1String("--queue"))
            queue = args[i + 1];
    }

    BrokerProcess broker;
    if (!broker.start())
        return Fail(qPrintable(broker.errorString()));
    QProcess sim;
    sim.start(qEnvironmentVariable("TARVIN_SIM"), {QStringLiteral("--tcp"), QStringLiteral("0")});
    quint16 simPort = 0;
    QElapsedTimer waited;
    waited.start();
    while (sim.waitForReadyRead(10000) || sim.canReadLine()) {
        const QByteArray line = sim.readLine().trimmed();
        if (line.startsWith("TCP "))
            simPort = static_cast<quint16>(line.split(' ').value(2).toUInt());
        if (line == "READY" || waited.hasExpired(10000))
            break;
    }
    if (simPort == 0)
        return Fail("tarvin-sim did not start (TARVIN_SIM)");

    MqttClient client;
    if (!client.connect(broker.port()) || !client.subscribe(kPrefix + QStringLiteral("/link")))
        return Fail("cannot subscribe");
    QStringList bridgeArgs{QStringLiteral("--tcp"),       QStringLiteral("127.0.0.1"),
                           QStringLiteral("--port"),      QString::number(simPort),
                           QStringLiteral("--mqtt-host"), QStringLiteral("127.0.0.1"),
                           QStringLiteral("--mqtt-port"), QString::number(broker.port()),
                           QStringLiteral("--prefix"),    kPrefix};
    if (!queue.isEmpty())
        bridgeArgs << QStringLiteral("--queue") << queue;
    QProcess bridge;
    bridge.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    bridge.start(qEnvironmentVariable("TARVIN_BRIDGE"), bridgeArgs);
    const QString linkTopic = kPrefix + QStringLiteral("/link");
    if (!client.waitFor(
            [&](const QList<MqttMessage>& all) {
                return std::any_of(all.begin(), all.end(), [&](const MqttMessage& m) {
                    return m.topic == linkTopic && m.payload == "connected";
                });
            },
            20000))
        return Fail("the bridge did not connect (TARVIN_BRIDGE)");

    // Throughput: a client of its own hears P/rx; the first one the markers.
    MqttClient rx;
    const QString eventTopic = kPrefix + QStringLiteral("/event");
    if (!rx.connect(broker.port()) || !rx.subscribe(kPrefix + QStringLiteral("/rx")) ||
        !client.subscribe(eventTopic))
        return Fail("cannot subscribe");
    rx.clear();
    const QByteArray command = "send " + Chunk() + '\n';
    const qint64 start = rx.nowNs();
    for (int sent = 0; sent < lines; sent += 1000)
        sim.write(command);
    qsizetype counted = 0;
    // Until all have come, or nothing has for five seconds.
    for (;;) {
        const qsizetype before = counted;
        rx.waitFor([&](const QList<MqttMessage>& all) { return all.size() >= lines; }, 5000);
        counted = rx.count();
        if (counted >= lines || counted == before)
            break;
    }
    const QList<MqttMessage> arrived = rx.messages();
    const double seconds =
        arrived.isEmpty() ? 0.0 : static_cast<double>(arrived.last().arrivedNs - start) / 1e9;
    qint64 dropped = 0;
    for (const QByteArray& payload : client.payloads(eventTopic)) {
        const QJsonObject event = QJsonDocument::fromJson(payload).object();
        if (event[QStringLiteral("event")] == QLatin1String("dropped"))
            dropped += event[QStringLiteral("count")].toInteger();
    }
    const double rate = seconds > 0 ? static_cast<double>(counted) / seconds : 0.0;
    std::printf("bus to broker: %lld of %d lines in %.2f s  %.0f lines/s  target %.0f lines/s  "
                "ratio %.2fx  (queue %s, %lld events dropped)\n",
                static_cast<long long>(counted), lines, seconds, rate, kTargetLinesPerSecond,
                rate / kTargetLinesPerSecond, queue.isEmpty() ? "default" : qPrintable(queue),
                static_cast<long long>(dropped));
    std::fflush(stdout);

    // Latency of a set until its confirmed state, on a group the lines
    // above left alone.
    const QString stateTopic = kPrefix + QStringLiteral("/0/56/250/state");
    client.clear();
    if (!client.subscribe(stateTopic))
        return Fail("cannot subscribe");
    std::vector<double> ms;
    for (int i = 0; i < sets; ++i) {
        if (gapMs > 0) {
            QEventLoop idle;
            QTimer::singleShot(gapMs, &idle, &QEventLoop::quit);
            idle.exec();
        }
        const qsizetype states = client.messages(stateTopic).size();
        QElapsedTimer one;
        one.start();
        client.publish(kPrefix + QStringLiteral("/0/56/250/set"), i % 2 ? "OFF" : "ON");
        if (!client.waitForTopic(stateTopic, 10000, states))
            return Fail("no confirmed state within 10 s");
        ms.push_back(static_cast<double>(one.nsecsElapsed()) / 1e6);
    }
    std::printf("set to confirmed state: p50 %.2f ms  p99 %.2f ms  max %.2f ms over %d sets, "
                "%d ms apart\n",
                Percentile(ms, 0.5), Percentile(ms, 0.99), Percentile(ms, 1.0), sets, gapMs);

    bridge.terminate();
    bridge.waitForFinished(10000);
    sim.write("quit\n");
    sim.waitForFinished(5000);
    return counted >= lines ? 0 : 1;
}
