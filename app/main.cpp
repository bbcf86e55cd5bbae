#include "app/main_form.h"

#include <QApplication>

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
    return QApplication::exec();
}
