// tarvin-bridge: the bus on an MQTT broker, both ways, for as long as it runs.

#include "tools/tarvin-bridge/bridge.h"
#include "tools/tarvin-bridge/options.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <mosquitto.h>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void OnSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const tarvin::bridge::CommandLine line =
        tarvin::bridge::ParseCommandLine(QCoreApplication::arguments().mid(1));
    if (line.help) {
        std::fputs(tarvin::bridge::kHelp, stdout);
        return 0;
    }
    if (!line.error.isEmpty()) {
        std::fprintf(stderr, "tarvin-bridge: %s\n(see tarvin-bridge --help)\n",
                     line.error.toLocal8Bit().constData());
        return 2;
    }

    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0) {
        std::fprintf(stderr, "tarvin-bridge: cannot set up signal handling\n");
        return 1;
    }
    struct sigaction action
    {
    };
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    mosquitto_lib_init();
    int status = 0;
    {
        tarvin::bridge::Bridge bridge(line.options);
        QSocketNotifier signalNotifier(g_signalPipe[0], QSocketNotifier::Read);
        QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [&] {
            char byte = 0;
            [[maybe_unused]] const ssize_t n = ::read(g_signalPipe[0], &byte, 1);
            signalNotifier.setEnabled(false);
            bridge.stop();
            QCoreApplication::quit();
        });
        QString error;
        if (!bridge.start(&error)) {
            std::fprintf(stderr, "tarvin-bridge: %s\n", error.toLocal8Bit().constData());
            status = 1;
        } else {
            status = QCoreApplication::exec();
        }
    }
    mosquitto_lib_cleanup();
    return status;
}
