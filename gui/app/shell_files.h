#pragma once
// The File menu's documents: data files of the user buttons, the close
// question, log processing, scripts and printing.

#include <QObject>
#include <QString>

#include <memory>

class QPrinter;

namespace tarvin {

class TMainForm;

class ShellFiles : public QObject
{
    Q_OBJECT
public:
    explicit ShellFiles(TMainForm& form);
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
    void ExecuteFile1Click();

    void FilePrint();
    void FilePrintSetup();

    QString fileName() const { return m_fileName; }
    bool modified() const { return m_modified; }
    void setModified(bool on) { m_modified = on; }
    bool executing() const { return m_executing; }
    // "execute.txt" beside the command log.
    QString executeFilePath() const;
    // The printer that "Print" uses; created on first use.
    QPrinter& printer();

    static QString openFilter();
    static QString saveFilter();

private:
    // A folder for the file dialogs: the current data file's, if any.
    QString dialogFolder() const;
    void ReportFileError(const QString& what, const QString& path, const QString& reason);

    TMainForm& m_form;
    QString m_fileName;
    bool m_modified = false;
    bool m_executing = false;
    std::unique_ptr<QPrinter> m_printer;
};

} // namespace tarvin
