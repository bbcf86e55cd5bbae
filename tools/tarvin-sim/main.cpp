// tarvin-sim: a simulated interface unit (Socketbox on TCP, PCI on a pty).
#include "sim_config.h"
#include "simulator.h"

#include "session/stop_signals.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

namespace {

void PrintError(const QString& text)
{
    const QByteArray bytes = "tarvin-sim: " + text.toLocal8Bit() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
}

} // namespace

int main(int argc, char* argv[])
{
    QElapsedTimer clock;
    clock.start();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarvin-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0"));

    tarvin::sim::SimConfig config;
    QString message;
    switch (tarvin::sim::ParseArguments(QCoreApplication::arguments(), config, message)) {
    case tarvin::sim::ParseOutcome::Help:
        std::fputs(tarvin::sim::HelpText().toLocal8Bit().constData(), stdout);
        return 0;
    case tarvin::sim::ParseOutcome::Version:
        std::puts("tarvin-sim 1.0");
        return 0;
    case tarvin::sim::ParseOutcome::Error:
        PrintError(message + QStringLiteral("\n(see tarvin-sim --help)"));
        return 2;
    case tarvin::sim::ParseOutcome::Run:
        break;
    }

    // A client vanishing mid-write must not kill the unit: SIGPIPE is
    // ignored from here on.
    if (!tarvin::OnStopSignal(&app, [] { QCoreApplication::quit(); })) {
        PrintError(QStringLiteral("cannot set up signal handling"));
        return 1;
    }

    tarvin::sim::Simulator simulator(config, clock);
    QObject::connect(&simulator, &tarvin::sim::Simulator::quitRequested, &app,
                     &QCoreApplication::quit, Qt::QueuedConnection);
    QString error;
    if (!simulator.start(&error)) {
        PrintError(error);
        return 1;
    }
    return app.exec();
}
