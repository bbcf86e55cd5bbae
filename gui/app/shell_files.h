#pragma once
// The File menu's documents: data files of the user buttons, the close
// question, log processing, scripts and printing.

#include "gui/app/print_form.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QDialog;
class QPrinter;
class QWidget;

namespace tarvin {

class Prompter;
class Session;
class UserButtonSlots;

class ShellFiles : public QObject
{
    Q_OBJECT
public:
    // A data file holds `buttons`; printing prints `panes`. Questions and
    // file choices go through `prompter` over `window`, which parents the
    // dialogs and whose title names the data file; every dialog runs
    // through `runDialog` (tests replace it).
    ShellFiles(Session& session, UserButtonSlots& buttons, LogPanes panes, Prompter& prompter,
               QWidget* window, std::function<int(QDialog&)> runDialog);
    ~ShellFiles() override;

    // Whether the main window may close (asks to save changed data).
    bool FormCloseQuery();

    void FileNew();
    void FileOpen();
    // True when the data were written.
    bool FileSave();
    bool FileSaveAs();
    bool Save();
    void Initialise();

    void ProcessLogFileItemClick();
    // Runs a script as the session's command "Execute File": one at a time
    // with the other commands that wait, ended by Cancel or a lost link.
    void ExecuteFile1Click();

    void FilePrint();
    void FilePrintSetup();

    QString fileName() const { return m_fileName; }
    bool modified() const { return m_modified; }
    void setModified(bool on) { m_modified = on; }
    bool executing() const;
    // "execute.txt" beside the command log.
    QString executeFilePath() const;
    // The printer that "Print" uses; created on first use.
    QPrinter& printer();

    static QString openFilter();
    static QString saveFilter();

signals:
    void helpRequested(int context);
    void statusMessage(const QString& text);
    // The command log, closed to be processed, could not be opened again
    // (the user has been told): logging has stopped.
    void commandLogStopped();

private:
    // A folder for the file dialogs: the current data file's, if any.
    QString dialogFolder() const;
    void ReportFileError(const QString& what, const QString& path, const QString& reason);

    Session& m_session;
    UserButtonSlots& m_buttons;
    LogPanes m_panes;
    Prompter& m_prompter;
    QWidget* m_window;
    std::function<int(QDialog&)> m_runDialog;
    QString m_fileName;
    bool m_modified = false;
    std::unique_ptr<QPrinter> m_printer;
};

} // namespace tarvin
