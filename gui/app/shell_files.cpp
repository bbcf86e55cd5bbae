#include "gui/app/shell_files.h"

#include "core/files/data_file.h"
#include "core/files/log_processing.h"
#include "core/files/text_lines.h"
#include "gui/app/print_form.h"
#include "gui/app/user_buttons.h"
#include "gui/widgets/prompter.h"
#include "session/link_session.h"
#include "session/session.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSaveFile>

#include <algorithm>

namespace tarvin {

namespace {

const QString kTitle = QStringLiteral("Tarvin Diagnostic Utility");
const QString kExecuteFile = QStringLiteral("Execute File");
// The pause after each command of a script, besides the send's own.
constexpr int kScriptPauseMs = 1000;

QString Latin1(const std::string& s)
{
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

std::string Bytes(const QString& s)
{
    return s.toLatin1().toStdString();
}

// File names are the system's, in any script: they stay QString, and only
// pass through the byte-string helpers as UTF-8, which loses nothing.
QString Utf8(const std::string& s)
{
    return QString::fromStdString(s);
}

QString DataFileTitle(const QString& path, int blanks)
{
    // Upper case for every script, not only for ASCII letters.
    return Utf8(
        DataFileCaption(Bytes(kTitle), QFileInfo(path).fileName().toUpper().toStdString(), blanks));
}

// Reads a whole file; false with the system's reason when it cannot.
bool ReadWholeFile(const QString& path, QByteArray& contents, QString& reason)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        reason = file.errorString();
        return false;
    }
    contents = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        reason = file.errorString();
        return false;
    }
    return true;
}

// Writes a whole file so that a failure leaves any previous file as it was.
bool WriteWholeFile(const QString& path, const QByteArray& contents, QString& reason)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        reason = file.errorString();
        return false;
    }
    if (file.write(contents) != contents.size()) {
        reason = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        reason = file.errorString();
        return false;
    }
    return true;
}

} // namespace

ShellFiles::ShellFiles(Session& session, UserButtonSlots& buttons, LogPanes panes,
                       Prompter& prompter, QWidget* window, std::function<int(QDialog&)> runDialog)
    : QObject(window), m_session(session), m_buttons(buttons), m_panes(panes), m_prompter(prompter),
      m_window(window), m_runDialog(std::move(runDialog))
{
    setObjectName(QStringLiteral("ShellFiles"));
    connect(&m_buttons, &UserButtonSlots::changed, this, [this] { m_modified = true; });
}

ShellFiles::~ShellFiles() = default;

QString ShellFiles::openFilter()
{
    return QStringLiteral("Wirebench Data (*.wbd);;Text Files (*.txt);;All Files (*.*)");
}

QString ShellFiles::saveFilter()
{
    return QStringLiteral("Wirebench  Data (*.wbd);;All Files (*.*)");
}

QString ShellFiles::dialogFolder() const
{
    return m_fileName.isEmpty() ? QString() : QFileInfo(m_fileName).absolutePath();
}

QString ShellFiles::executeFilePath() const
{
    return QDir(Session::dataFolder()).filePath(QStringLiteral("execute.txt"));
}

void ShellFiles::ReportFileError(const QString& what, const QString& path, const QString& reason)
{
    m_prompter.message(m_window, Prompter::Icon::Error,
                       what + QLatin1Char(' ') + QDir::toNativeSeparators(path) +
                           QLatin1Char('\r') + reason);
}

// ---------------------------------------------------------------------------
// The close question

bool ShellFiles::FormCloseQuery()
{
    while (m_modified) {
        const auto answer = m_prompter.ask(
            m_window, Prompter::Icon::Question,
            kTitle + QStringLiteral(" data has changed.\rDo you want to save the data ?"),
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        if (answer == QMessageBox::Yes)
            FileSave(); // still modified when cancelled or failed: ask again
        else if (answer == QMessageBox::No)
            return true;
        else
            return false;
    }
    return true;
}

// ---------------------------------------------------------------------------
// Data files

void ShellFiles::Initialise()
{
    m_fileName.clear();
    for (int n = 1; n <= kUserButtonCount; ++n)
        m_buttons.AssignToButton(n, QByteArray(), Latin1(DefaultUserCaption(n)));
    m_modified = false;
}

void ShellFiles::FileNew()
{
    if (!FormCloseQuery())
        return;
    Initialise();
    m_window->setWindowTitle(kTitle);
}

void ShellFiles::FileOpen()
{
    if (!FormCloseQuery())
        return;
    const QString name = m_prompter.openFileName(m_window, dialogFolder(), openFilter(),
                                                 QStringLiteral("Wirebench Data (*.wbd)"));
    if (name.isEmpty())
        return;
    QByteArray contents;
    QString reason;
    if (!ReadWholeFile(name, contents, reason)) {
        // The document in hand stays as it was.
        ReportFileError(QStringLiteral("Cannot open the data file"), name, reason);
        return;
    }
    m_fileName = name;
    m_window->setWindowTitle(DataFileTitle(name, 4));
    const UserButtonSet buttons = ParseDataFile(contents.toStdString());
    for (int n = 1; n <= kUserButtonCount; ++n) {
        const UserButtonData& b = buttons[static_cast<std::size_t>(n - 1)];
        m_buttons.AssignToButton(n, QByteArray::fromStdString(b.command), Latin1(b.caption));
    }
    m_modified = false;
}

bool ShellFiles::FileSave()
{
    if (!m_fileName.isEmpty())
        return Save();
    return FileSaveAs();
}

bool ShellFiles::FileSaveAs()
{
    QString name;
    for (;;) {
        name = m_prompter.saveFileName(m_window, dialogFolder(), saveFilter());
        if (name.isEmpty())
            return false;
        name = Utf8(WithDataFileExtension(name.toStdString()));
        if (!QFileInfo::exists(name))
            break;
        const auto answer =
            m_prompter.ask(m_window, Prompter::Icon::Warning,
                           QStringLiteral("File Exists.\rDo you want to replace it ?"),
                           QMessageBox::Yes | QMessageBox::No);
        if (answer == QMessageBox::Yes)
            break;
    }
    // The document takes the new name only once it is really there.
    const QString previous = m_fileName;
    m_fileName = name;
    if (!Save()) {
        m_fileName = previous;
        return false;
    }
    m_window->setWindowTitle(DataFileTitle(name, 2));
    return true;
}

bool ShellFiles::Save()
{
    const std::string text = DataFileText(Bytes(kTitle), m_buttons.data());
    QString reason;
    if (!WriteWholeFile(m_fileName, QByteArray::fromStdString(text), reason)) {
        // Still modified: the data exist only in the buttons.
        ReportFileError(QStringLiteral("Cannot save the data file"), m_fileName, reason);
        return false;
    }
    m_modified = false;
    return true;
}

// ---------------------------------------------------------------------------
// Command log to script, and scripts

void ShellFiles::ProcessLogFileItemClick()
{
    const bool logging = m_session.commandLogOpen();
    if (logging)
        m_session.closeCommandLog();

    const QString logPath = m_session.commandLogPath();
    const QString scriptPath = executeFilePath();
    QByteArray log;
    QString reason;
    QString failed;
    if (!ReadWholeFile(logPath, log, reason))
        failed = logPath;
    else if (!WriteWholeFile(scriptPath,
                             QByteArray::fromStdString(ScriptFromCommandLog(log.toStdString())),
                             reason))
        failed = scriptPath;

    // Logging goes on where it stopped, so no later line is lost.
    QString logError;
    if (logging && !m_session.openCommandLog(true, &logError)) {
        m_prompter.message(m_window, Prompter::Icon::Error, logError);
        emit commandLogStopped();
    }

    if (!failed.isEmpty()) {
        m_prompter.message(m_window, Prompter::Icon::Information,
                           QStringLiteral("Error processing Log file.\r") +
                               QDir::toNativeSeparators(failed) + QStringLiteral(": ") + reason);
        return;
    }
    emit statusMessage(QStringLiteral("Commands written to ") +
                       QDir::toNativeSeparators(scriptPath));
}

bool ShellFiles::executing() const
{
    return m_session.runningCommand() == kExecuteFile;
}

void ShellFiles::ExecuteFile1Click()
{
    // A script started while another command waits would interleave with
    // it on the wire.
    if (m_session.busy())
        return;
    const QString name = m_prompter.openFileName(m_window, dialogFolder(), openFilter(),
                                                 QStringLiteral("Text Files (*.txt)"));
    if (name.isEmpty())
        return;
    QByteArray contents;
    QString reason;
    if (!ReadWholeFile(name, contents, reason)) {
        ReportFileError(QStringLiteral("Cannot read the script"), name, reason);
        return;
    }
    const std::vector<std::string> lines = SplitTextLines(contents.toStdString());
    const auto total =
        static_cast<int>(std::count_if(lines.begin(), lines.end(), [](const auto& l) {
            return ClassifyScriptLine(l) == ScriptLineKind::Command;
        }));
    Session::Command command = m_session.begin(kExecuteFile);
    if (!command)
        return;
    int done = 0;
    for (const std::string& line : lines) {
        // Cancel or a lost link ends the script instead of pausing through
        // every remaining line.
        if (command.interrupted())
            return;
        switch (ClassifyScriptLine(line)) {
        case ScriptLineKind::Comment:
            m_session.Log(1, Latin1(line));
            break;
        case ScriptLineKind::Empty:
            break;
        case ScriptLineKind::Command:
            if (!m_session.connected())
                return;
            command.progress(++done, total);
            m_session.SendTarvinCommand(QByteArray::fromStdString(line));
            // A pause that a cancel ends at once, not a second later.
            m_session.link().waitFor([] { return false; }, kScriptPauseMs);
            break;
        }
    }
}

// ---------------------------------------------------------------------------
// Printing

QPrinter& ShellFiles::printer()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

void ShellFiles::FilePrint()
{
    {
        TPrintForm dialog(m_session, m_panes, printer(), m_fileName, m_prompter, m_window);
        connect(&dialog, &TPrintForm::helpRequested, this, &ShellFiles::helpRequested);
        m_runDialog(dialog);
    }
    // A print that could not start leaves Qt's printer active for good, and
    // an active printer can be neither changed nor used again: take a fresh
    // one with the same choices, so Print Setup and Print work next time.
    if (m_printer->printerState() != QPrinter::Idle) {
        auto fresh = std::make_unique<QPrinter>(QPrinter::HighResolution);
        fresh->setOutputFormat(m_printer->outputFormat());
        if (m_printer->outputFormat() == QPrinter::NativeFormat)
            fresh->setPrinterName(m_printer->printerName());
        fresh->setOutputFileName(m_printer->outputFileName());
        fresh->setPageLayout(m_printer->pageLayout());
        m_printer = std::move(fresh);
    }
}

void ShellFiles::FilePrintSetup()
{
    // Chooses the printer and its settings; it prints nothing, so its
    // button says so.
    QPrintDialog dialog(&printer(), m_window);
    dialog.setObjectName(QStringLiteral("PrintSetupDialog"));
    dialog.setWindowTitle(QStringLiteral("Print Setup"));
    if (auto* buttons = dialog.findChild<QDialogButtonBox*>())
        if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok))
            ok->setText(QStringLiteral("OK"));
    m_runDialog(dialog);
}

} // namespace tarvin
