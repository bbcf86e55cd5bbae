#include "gui/app/main_form.h"

#include <QAction>
#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstring>

namespace {

const char kHelp[] = "Usage: tarvin-diagnostic [OPTION]... [CAPTURE]...\n"
                     "The Tarvin Diagnostic Utility: a workbench for the Tarvin field bus.\n"
                     "\n"
                     "  /enabledebug           as the first argument: start in debug mode\n"
                     "  --all-tools            show every tool of the workbench for this run\n"
                     "  --record FILE          record a capture of the session to FILE from the\n"
                     "                         start (appended; CSV unless FILE ends in .txt)\n"
                     "  CAPTURE                open a saved capture in its window\n"
                     "  -h, --help             this text\n"
                     "  -v, --version          the program's version\n"
                     "\n"
                     "Qt's own options (-platform, -style...) apply as for any Qt program.\n";

} // namespace

int main(int argc, char* argv[])
{
    // Answered before any window system is asked for, so they work on a
    // machine without a display and never leave a window running.
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "-h") || !std::strcmp(argv[i], "--help")) {
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (!std::strcmp(argv[i], "-v") || !std::strcmp(argv[i], "--version")) {
            std::puts("tarvin-diagnostic " PROJECT_VERSION);
            return 0;
        }
        if (!std::strcmp(argv[i], "--record") && i + 1 == argc) {
            std::fputs("tarvin-diagnostic: --record needs a file name\n", stderr);
            return 2;
        }
    }
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Ostrel"));
    QApplication::setApplicationName(QStringLiteral("Tarvin Diagnostic"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tarvin Diagnostic Utility"));
    QApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION));
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    tarvin::TMainForm form(arguments);
    form.show();
    // For the start-up benchmark: say when the window is up.
    if (qEnvironmentVariableIsSet("TARVIN_REPORT_SHOWN"))
        QTimer::singleShot(0, &form, [] { std::fputs("shown\n", stderr); });
    // The demo starts connected to the simulator.
    if (qEnvironmentVariableIntValue("TARVIN_AUTOCONNECT") == 1)
        QTimer::singleShot(0, &form, [&form] { form.ConnecttoPCIItem->trigger(); });
    return QApplication::exec();
}
