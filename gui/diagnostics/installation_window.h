#pragma once
// "Installation": every unit the unit lists have found, one row each, in a
// window that stays open beside the workbench: sortable, copied, exported
// to CSV and written as an HTML report.

#include <QMainWindow>

class QAction;
class QTableWidget;

namespace tarvin {

class Installation;
class Prompter;
class Session;

class InstallationWindow : public QMainWindow
{
    Q_OBJECT
public:
    InstallationWindow(Session& session, Prompter& prompter, const Installation& installation,
                       QWidget* parent = nullptr);

    // Shows the installation as it stands now.
    void refresh();
    void copySelection();
    bool exportCsv(const QString& path);
    // Writes installation.htm beside the program's other files and opens it;
    // false when it could not be written (the user has been told).
    bool writeReport();

    QTableWidget* InstallationTable = nullptr;
    QAction* CopyAction = nullptr;
    QAction* ExportAction = nullptr;
    QAction* ReportAction = nullptr;

private:
    bool write(const QString& path, const std::string& text);

    Session& m_session;
    Prompter& m_prompter;
    const Installation& m_installation;
};

} // namespace tarvin
