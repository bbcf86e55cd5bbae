#pragma once

#include "interface_unit.h"
#include "output_queue.h"

#include <QHostAddress>
#include <QString>
#include <QStringList>

namespace tarvin::sim {

struct SimConfig
{
    bool tcp = false;
    quint16 tcpPort = 0;
    QHostAddress listenAddress = QHostAddress(QHostAddress::LocalHost);
    bool pty = false;

    QString wireLogPath;
    bool control = true;

    FaultSetting fault;

    QString networkFile; // empty: the built-in installation
    int slowMs = 0;      // hold every network reply this long
    int lateMs = 0;      // send every network reply this much later, on its own
    int pciLateMs = 0;   // the same for the PCI's own replies only
    bool storeFails = false;

    double trafficRate = 0;       // lines per second of generated bus traffic, 0 = none
    int errorPercent = 5;         // share of generated lines that are damaged
    bool identityTraffic = false; // other units' answers to Identify and Recall too

    QString injectFile;
    double injectIntervalMs = 100.0;
    int injectRepeat = 1; // 0 = forever

    Shaping shaping;
    quint32 seed = 1;
    int dropAfter = 0;
};

enum class ParseOutcome
{
    Run,
    Help,
    Version,
    Error
};

// args includes the program name first, as QCoreApplication::arguments().
ParseOutcome ParseArguments(const QStringList& args, SimConfig& config, QString& message);

QString HelpText();

} // namespace tarvin::sim
