#pragma once

#include "interface_unit.h"
#include "sim_config.h"
#include "wire_log.h"

#include <QElapsedTimer>
#include <QObject>
#include <QRandomGenerator>

#include <memory>

namespace tarvin::sim {

class MonitorInjector;
class PeerTransport;
class TcpTransport;
class TrafficGenerator;

// Puts the pieces together: one interface unit, its transports, the wire
// log, monitor injection and the control commands.
class Simulator : public QObject
{
    Q_OBJECT

public:
    Simulator(const SimConfig& config, const QElapsedTimer& clock, QObject* parent = nullptr);
    ~Simulator() override;

    // Opens everything and prints the banner; false with a reason on failure.
    bool start(QString* error);

    // Runs one control command and returns its one-line answer.
    QByteArray execute(const QByteArray& command);

signals:
    void quitRequested();

private:
    QList<PeerTransport*> transports() const;
    int broadcast(const QByteArray& data);
    int broadcastLine(const QByteArray& line);
    void startInjection();
    void makeTraffic(double rate);
    QByteArray trafficCommand(const QByteArray& argument);
    QByteArray replyLimitCommand(const QByteArray& argument);

    SimConfig m_config;
    InterfaceUnit m_unit;
    WireLog m_log;
    QRandomGenerator m_random;
    std::unique_ptr<TcpTransport> m_tcp;
    // The pseudo-terminal face, where the system has them.
    std::unique_ptr<PeerTransport> m_pty;
    std::unique_ptr<MonitorInjector> m_injector;
    std::unique_ptr<TrafficGenerator> m_traffic;
    // --traffic waits for the first client; a "traffic" command overrides it.
    bool m_trafficWaitsForClient = false;
    std::unique_ptr<QObject> m_control;
};

// Writes one line to standard output and flushes it.
void PrintLine(const QByteArray& line);

} // namespace tarvin::sim
