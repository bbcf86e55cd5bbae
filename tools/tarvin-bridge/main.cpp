// tarvin-bridge: the bus on an MQTT broker, both ways, for as long as it runs.

#include "session/stop_signals.h"
#include "tools/tarvin-bridge/bridge.h"
#include "tools/tarvin-bridge/options.h"

#include <QCoreApplication>

#include <mosquitto.h>

#include <cstdio>

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

    mosquitto_lib_init();
    int status = 0;
    {
        tarvin::bridge::Bridge bridge(line.options);
        const bool caught = tarvin::OnStopSignal(&app, [&] {
            bridge.stop();
            QCoreApplication::quit();
        });
        QString error;
        if (!caught) {
            std::fprintf(stderr, "tarvin-bridge: cannot set up signal handling\n");
            status = 1;
        } else if (!bridge.start(&error)) {
            std::fprintf(stderr, "tarvin-bridge: %s\n", error.toLocal8Bit().constData());
            status = 1;
        } else {
            status = QCoreApplication::exec();
        }
    }
    mosquitto_lib_cleanup();
    return status;
}
