// tarvin-sim: a simulated interface unit (Socketbox on TCP, PCI on a pty).
#include "sim_config.h"
#include "simulator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void OnTerminate(int)
{
    const char byte = 1;
    // Only async-signal-safe work here; the event loop does the rest.
    [[maybe_unused]] const ssize_t ignored = ::write(g_signalPipe[1], &byte, 1);
}

bool InstallSignalHandlers()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return false;
    struct sigaction action
    {
    };
    action.sa_handler = OnTerminate;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
    // A client vanishing mid-write must not kill the unit.
    std::signal(SIGPIPE, SIG_IGN);
    return true;
}

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

    if (!InstallSignalHandlers()) {
        PrintError(QStringLiteral("cannot set up signal handling"));
        return 1;
    }
    QSocketNotifier signalNotifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [] {
        char byte = 0;
        [[maybe_unused]] const ssize_t ignored = ::read(g_signalPipe[0], &byte, 1);
        QCoreApplication::quit();
    });

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
