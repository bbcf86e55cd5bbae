#include "gui/app/main_form.h"

#include <QAction>
#include <QApplication>
#include <QTimer>

#include <cstdio>

int main(int argc, char* argv[])
{
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
