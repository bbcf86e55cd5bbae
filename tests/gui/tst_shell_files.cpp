// The shell's documents as a user meets them: user buttons and their
// dialog, data files, the close question, the command log and its
// processing, printing and help.
#include <QtTest>

#include "gui/app/help_window.h"
#include "gui/app/main_form.h"
#include "gui/app/print_form.h"
#include "gui/app/shell_files.h"
#include "gui/app/string_form.h"
#include "gui/app/user_buttons.h"
#include "gui/capture/capture_recording.h"
#include "gui/capture/capture_window.h"
#include "gui/compose/lighting_tab.h"
#include "gui/diagnostics/installation_window.h"
#include "scripted_prompter.h"
#include "session/session.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSettings>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QToolButton>

using namespace tarvin;

namespace {

QByteArray ReadFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// The data files on a session without the window: nine user buttons and the
// two log panes of their own, the caption on a plain widget.
struct Files
{
    explicit Files(Prompter& prompter)
        : buttons(MakeButtons()), userButtons(session, buttons, &window, Refuse),
          files(session, userButtons, {&transmit, &receive}, prompter, &window, Refuse)
    {
    }
    static int Refuse(QDialog&) { return QDialog::Rejected; }
    std::vector<QPushButton*> MakeButtons()
    {
        std::vector<QPushButton*> made;
        for (int n = 1; n <= 9; ++n)
            made.push_back(new QPushButton(QStringLiteral("User %1").arg(n), &window));
        return made;
    }
    // Named as the window names them.
    QPushButton* UserButton(int index) const { return buttons[std::size_t(index)]; }
    UserButtonSlots& userButtonSlots() { return userButtons; }
    ShellFiles& shellFiles() { return files; }
    QString windowTitle() const { return window.windowTitle(); }

    Session session;
    QWidget window;
    QPlainTextEdit transmit;
    QPlainTextEdit receive;
    std::vector<QPushButton*> buttons;
    UserButtonSlots userButtons;
    ShellFiles files;
};

} // namespace

class TestShellFiles : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_config;
    QTemporaryDir m_data;

    QString data(const QString& name) const { return m_data.filePath(name); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_config.isValid() && m_data.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_config.path());
        // As the program has it: without a maker's name Windows' registry
        // keeps no settings at all, and there it outlives the test.
        QCoreApplication::setOrganizationName(QStringLiteral("Ostrel"));
        QSettings().clear();
        qputenv("TARVIN_DATA_DIR", m_data.path().toLocal8Bit());
    }

    void freshButtonsAndAssignment()
    {
        ScriptedPrompter prompts;
        TMainForm form({}, &prompts);
        form.show();
        for (int n = 1; n <= 9; ++n) {
            auto* b = form.findChild<QPushButton*>(QStringLiteral("UserButton%1").arg(n));
            QVERIFY(b);
            QCOMPARE(b->text(), QStringLiteral("User %1").arg(n));
            QCOMPARE(b->toolTip(), QStringLiteral("User Button %1").arg(n));
            QVERIFY(form.userButtonSlots().command(n).isEmpty());
        }
        QVERIFY(!form.shellFiles().modified());

        // The Control page's pop-up assigns the Lighting page's command.
        auto* lighting = qobject_cast<LightingTab*>(form.LightingTabSheet);
        QVERIFY(lighting);
        const QByteArray command = lighting->GetTarvinCommandString();
        QVERIFY(!command.isEmpty());
        form.findChild<QAction*>(QStringLiteral("PopupAssign3Item"))->trigger();
        QCOMPARE(form.userButtonSlots().command(3), command);
        QCOMPARE(form.UserButtons[2]->text(), lighting->GetTarvinCommandDescription());
        QVERIFY(form.shellFiles().modified());
        // The Options submenu runs the same handler.
        form.findChild<QAction*>(QStringLiteral("AssignCommandto9Item"))->trigger();
        QCOMPARE(form.userButtonSlots().command(9), command);

        form.userButtonSlots().AssignToButton(10, "\\05", QStringLiteral("ten"));
        form.userButtonSlots().AssignToButton(0, "\\05", QStringLiteral("zero"));
        QCOMPARE(form.UserButtons[0]->text(), QStringLiteral("User 1"));
        form.shellFiles().setModified(false);
    }

    void stringFormOkAndCancel()
    {
        ScriptedPrompter prompts;
        TMainForm form({}, &prompts);
        form.show();
        form.userButtonSlots().AssignToButton(2, "\\0538007902", QStringLiteral("Two"));
        form.shellFiles().setModified(false);
        std::function<void(TStringForm&)> act;
        form.setDialogRunner([&](QDialog& d) {
            d.show();
            act(static_cast<TStringForm&>(d));
            return d.result();
        });
        auto* edit = form.findChild<QAction*>(QStringLiteral("EditProperties1"));
        QVERIFY(edit);

        // Cancel after typing changes nothing, not even the flag.
        act = [](TStringForm& f) {
            QTableWidget* grid = f.findChild<QTableWidget*>(QStringLiteral("StringGrid1"));
            QCOMPARE(grid->rowCount(), 10);
            QCOMPARE(grid->columnCount(), 3);
            QVERIFY(grid->columnWidth(2) >= 180); // and grows with the window
            QCOMPARE(grid->item(0, 0)->text(), QStringLiteral("Button"));
            QCOMPARE(grid->item(0, 1)->text(), QStringLiteral("Name"));
            QCOMPARE(grid->item(0, 2)->text(), QStringLiteral("String"));
            QCOMPARE(grid->item(7, 0)->text(), QStringLiteral("User Key 7"));
            QVERIFY(!(grid->item(7, 0)->flags() & Qt::ItemIsEditable));
            QVERIFY(grid->item(2, 1)->flags() & Qt::ItemIsEditable);
            QCOMPARE(grid->item(2, 1)->text(), QStringLiteral("Two"));
            QCOMPARE(grid->item(2, 2)->text(), QStringLiteral("\\0538007902"));
            grid->item(2, 1)->setText(QStringLiteral("Changed"));
            f.findChild<QPushButton*>(QStringLiteral("CancelBitBtn"))->click();
        };
        edit->trigger();
        QCOMPARE(form.UserButtons[1]->text(), QStringLiteral("Two"));
        QVERIFY(!form.shellFiles().modified());

        // The next showing forgets what was cancelled; OK copies both
        // columns exactly as typed and marks the data as modified.
        act = [&form](TStringForm& f) {
            // The dialog goes by the name of the command that opens it.
            QCOMPARE(f.windowTitle() + QStringLiteral("..."), form.UserButtonsItem->text());
            QTableWidget* grid = f.findChild<QTableWidget*>(QStringLiteral("StringGrid1"));
            QCOMPARE(grid->item(2, 1)->text(), QStringLiteral("Two"));
            grid->item(4, 1)->setText(QString());
            grid->item(4, 2)->setText(QStringLiteral("\\05 typed"));
            f.findChild<QPushButton*>(QStringLiteral("OKBitBtn"))->click();
        };
        form.UserButtonsItem->trigger();
        QCOMPARE(form.UserButtons[3]->text(), QString());
        QCOMPARE(form.userButtonSlots().command(4), QByteArray("\\05 typed"));
        QCOMPARE(form.UserButtons[1]->text(), QStringLiteral("Two"));
        QVERIFY(form.shellFiles().modified());

        // OK without changes still counts as a change.
        form.shellFiles().setModified(false);
        act = [](TStringForm& f) {
            f.findChild<QPushButton*>(QStringLiteral("OKBitBtn"))->click();
        };
        edit->trigger();
        QVERIFY(form.shellFiles().modified());
        form.shellFiles().setModified(false);
    }

    void saveAsThenOpenRestoresEverything()
    {
        const QString base = data(QStringLiteral("setup"));
        QFile::remove(base + QStringLiteral(".wbd"));
        {
            ScriptedPrompter prompts;
            Files form(prompts);
            for (int n = 1; n <= 9; ++n)
                form.userButtonSlots().AssignToButton(
                    n, QStringLiteral("\\05380079%1").arg(n, 2, 10, QLatin1Char('0')).toLatin1(),
                    QStringLiteral("Button %1").arg(n));
            form.userButtonSlots().AssignToButton(6, QByteArray(), QStringLiteral("No command"));
            prompts.fileNames.enqueue(base);
            QVERIFY(form.shellFiles().FileSaveAs());
            QCOMPARE(prompts.asked.first().text,
                     QStringLiteral("Wirebench  Data (*.wbd);;All Files (*.*)"));
            QCOMPARE(form.shellFiles().fileName(), base + QStringLiteral(".wbd"));
            QCOMPARE(form.windowTitle(), QStringLiteral("Tarvin Diagnostic Utility  [SETUP.WBD]"));
            QVERIFY(!form.shellFiles().modified());
            const QByteArray text = ReadFile(base + QStringLiteral(".wbd"));
            QVERIFY(text.startsWith("Tarvin Diagnostic Utility File\r\nFile Version 1.0\r\n"
                                    "Button 1\r\n\\0538007901\r\n"));
            QCOMPARE(text.count("\r\n"), 20);
        }
        ScriptedPrompter prompts;
        Files form(prompts);
        form.userButtonSlots().AssignToButton(1, "\\05", QStringLiteral("unsaved"));
        // Opening over unsaved data asks first; "No" drops them.
        prompts.answers.enqueue(QMessageBox::No);
        prompts.fileNames.enqueue(base + QStringLiteral(".wbd"));
        form.shellFiles().FileOpen();
        QCOMPARE(prompts.asked.first().kind, QStringLiteral("ask"));
        QCOMPARE(prompts.asked.at(1).text,
                 QStringLiteral("Wirebench Data (*.wbd);;Text Files (*.txt);;All Files (*.*)"));
        QCOMPARE(form.windowTitle(), QStringLiteral("Tarvin Diagnostic Utility    [SETUP.WBD]"));
        for (int n = 1; n <= 9; ++n) {
            const QString caption =
                n == 6 ? QStringLiteral("No command") : QStringLiteral("Button %1").arg(n);
            QCOMPARE(form.UserButton(std::size_t(n - 1))->text(), caption);
            const QByteArray command =
                n == 6 ? QByteArray()
                       : QStringLiteral("\\05380079%1").arg(n, 2, 10, QLatin1Char('0')).toLatin1();
            QCOMPARE(form.userButtonSlots().command(n), command);
        }
        QVERIFY(!form.shellFiles().modified());

        // New empties the document and the caption.
        form.shellFiles().FileNew();
        QCOMPARE(form.windowTitle(), QStringLiteral("Tarvin Diagnostic Utility"));
        QCOMPARE(form.UserButton(0)->text(), QStringLiteral("User 1"));
        QVERIFY(form.shellFiles().fileName().isEmpty());
        QVERIFY(!form.shellFiles().modified());
    }

    void saveAsReplaceQuestion()
    {
        const QString name = data(QStringLiteral("exists.wbd"));
        WriteFile(name, "old");
        ScriptedPrompter prompts;
        Files form(prompts);
        form.userButtonSlots().AssignToButton(1, "\\05", QStringLiteral("new"));
        // No: the dialog comes again; cancelling it saves nothing.
        prompts.fileNames.enqueue(name);
        prompts.answers.enqueue(QMessageBox::No);
        QVERIFY(!form.shellFiles().FileSaveAs());
        QCOMPARE(ReadFile(name), QByteArray("old"));
        QCOMPARE(prompts.asked.at(1).text,
                 QStringLiteral("File Exists.\rDo you want to replace it ?"));
        QCOMPARE(prompts.asked.at(1).icon, Prompter::Icon::Warning);
        QCOMPARE(prompts.asked.at(2).kind, QStringLiteral("save"));
        QVERIFY(form.shellFiles().modified());
        // Yes replaces it.
        prompts.fileNames.enqueue(name);
        prompts.answers.enqueue(QMessageBox::Yes);
        QVERIFY(form.shellFiles().FileSaveAs());
        QVERIFY(ReadFile(name).contains("\r\nnew\r\n"));
    }

    void shortAndUnreadableDataFiles()
    {
        const QString name = data(QStringLiteral("short.wbd"));
        WriteFile(name, "anything\nat all\nFirst\n\\0538\nSecond");
        ScriptedPrompter prompts;
        Files form(prompts);
        prompts.fileNames.enqueue(name);
        form.shellFiles().FileOpen();
        QCOMPARE(form.UserButton(0)->text(), QStringLiteral("First"));
        QCOMPARE(form.userButtonSlots().command(1), QByteArray("\\0538"));
        QCOMPARE(form.UserButton(1)->text(), QStringLiteral("Second"));
        QVERIFY(form.userButtonSlots().command(2).isEmpty());
        for (int n = 3; n <= 9; ++n)
            QCOMPARE(form.UserButton(std::size_t(n - 1))->text(), QStringLiteral("User %1").arg(n));

        // A file that is not there: named in the message, nothing changes.
        prompts.fileNames.enqueue(data(QStringLiteral("gone.wbd")));
        form.shellFiles().FileOpen();
        QCOMPARE(prompts.messages().size(), 1);
        QVERIFY(prompts.messages().first().contains(QLatin1String("gone.wbd")));
        QCOMPARE(prompts.asked.last().icon, Prompter::Icon::Error);
        QCOMPARE(form.UserButton(0)->text(), QStringLiteral("First"));
        QCOMPARE(form.shellFiles().fileName(), name);
    }

    void failedSaveKeepsOldFileAndFlag()
    {
        // A name so long that the temporary file beside it cannot be made,
        // while the name itself is valid: a failure even for root.
        const QString name = data(QString(248, QLatin1Char('k')) + QStringLiteral(".wbd"));
        WriteFile(name, "t\r\nv\r\nOld\r\n\\05OLD\r\n");
        ScriptedPrompter prompts;
        Files form(prompts);
        prompts.fileNames.enqueue(name);
        form.shellFiles().FileOpen();
        QCOMPARE(form.UserButton(0)->text(), QStringLiteral("Old"));
        form.userButtonSlots().AssignToButton(1, "\\05NEW", QStringLiteral("New"));
        QVERIFY(!form.shellFiles().FileSave());
        QCOMPARE(ReadFile(name), QByteArray("t\r\nv\r\nOld\r\n\\05OLD\r\n"));
        QVERIFY(form.shellFiles().modified());
        QCOMPARE(prompts.messages().size(), 1);
        QVERIFY(prompts.messages().first().startsWith(QLatin1String("Cannot save the data file")));
        QVERIFY(prompts.messages().first().contains(QLatin1String("kkkk.wbd")));
        // Nothing assigned is lost.
        QCOMPARE(form.UserButton(0)->text(), QStringLiteral("New"));
        form.shellFiles().setModified(false);
    }

    void closeQuestion()
    {
        ScriptedPrompter prompts;
        TMainForm form({}, &prompts);
        form.show();
        QVERIFY(form.shellFiles().FormCloseQuery()); // unmodified: no question
        QVERIFY(prompts.asked.isEmpty());

        form.userButtonSlots().AssignToButton(1, "\\05", QStringLiteral("x"));
        prompts.answers.enqueue(QMessageBox::Cancel);
        QVERIFY(!form.close());
        QVERIFY(form.isVisible());
        QCOMPARE(
            prompts.asked.last().text,
            QStringLiteral(
                "Tarvin Diagnostic Utility data has changed.\rDo you want to save the data ?"));
        QCOMPARE(prompts.asked.last().icon, Prompter::Icon::Question);
        // Cancel also stops New.
        prompts.answers.enqueue(QMessageBox::Cancel);
        form.FileNewItem->trigger();
        QCOMPARE(form.UserButtons[0]->text(), QStringLiteral("x"));

        // Yes with a cancelled save dialog asks again; then Yes and a name
        // saves, and the close goes on.
        const QString name = data(QStringLiteral("closing.wbd"));
        QFile::remove(name);
        prompts.asked.clear();
        prompts.answers.enqueue(QMessageBox::Yes);
        prompts.answers.enqueue(QMessageBox::Yes);
        prompts.fileNames.enqueue(QString());
        prompts.fileNames.enqueue(name);
        QVERIFY(form.shellFiles().FormCloseQuery());
        QStringList kinds;
        for (const auto& a : prompts.asked)
            kinds << a.kind;
        QCOMPARE(kinds, (QStringList{QStringLiteral("ask"), QStringLiteral("save"),
                                     QStringLiteral("ask"), QStringLiteral("save")}));
        QVERIFY(QFile::exists(name));
        QVERIFY(!form.shellFiles().modified());

        // No closes without saving.
        form.userButtonSlots().AssignToButton(1, "\\05", QStringLiteral("y"));
        prompts.answers.enqueue(QMessageBox::No);
        QVERIFY(form.close());
        QVERIFY(!ReadFile(name).contains("\r\ny\r\n"));
    }

    void commandLogAndProcessing()
    {
        ScriptedPrompter prompts;
        TMainForm form({}, &prompts);
        form.show();
        QCOMPARE(QFileInfo(form.session().commandLogPath()).absolutePath(),
                 QFileInfo(m_data.path()).absoluteFilePath());
        form.LogCommandsItem->trigger();
        QVERIFY(form.session().commandLogOpen());
        form.session().Log(1, QStringLiteral("\\0538000A01<CR>"));
        form.session().Log(2, QStringLiteral("OK"));
        form.session().Log(1, QStringLiteral("# a note"));
        form.session().Log(1, QStringLiteral("\\05FF00"));

        form.ProcessLogFileItem->trigger();
        QVERIFY2(prompts.messages().isEmpty(), qPrintable(prompts.messages().join(u'|')));
        QCOMPARE(ReadFile(form.shellFiles().executeFilePath()), QByteArray("\\0538000A01\r\n\r\n"));
        // Logging goes on, appending.
        QVERIFY(form.LogCommandsItem->isChecked());
        QVERIFY(form.session().commandLogOpen());
        form.session().Log(1, QStringLiteral("\\0538 after<CR>"));
        const QByteArray log = ReadFile(form.session().commandLogPath());
        QVERIFY(log.startsWith("Tx : \\0538000A01<CR>\r\nRx : OK\r\n# a note\r\n"));
        QVERIFY(log.endsWith("Tx : \\0538 after<CR>\r\n"));

        // Switching logging on again starts the log afresh.
        form.LogCommandsItem->trigger();
        QVERIFY(!form.session().commandLogOpen());
        form.LogCommandsItem->trigger();
        QCOMPARE(ReadFile(form.session().commandLogPath()), QByteArray());
        form.LogCommandsItem->trigger();

        // No log at all: the fixed message, with the file named.
        QVERIFY(QFile::remove(form.session().commandLogPath()));
        form.ProcessLogFileItem->trigger();
        QCOMPARE(prompts.messages().size(), 1);
        QVERIFY(prompts.messages().first().startsWith(QLatin1String("Error processing Log file.")));
        QVERIFY(prompts.messages().first().contains(QLatin1String("log.txt")));
        QCOMPARE(prompts.asked.last().icon, Prompter::Icon::Information);
    }

    void printEstimateAndPdf()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext is not installed");
        ScriptedPrompter prompts;
        TMainForm form({}, &prompts);
        form.show();
        const QString pdf = data(QStringLiteral("log.pdf"));
        QPrinter& printer = form.shellFiles().printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        // A folder name outside Latin-1 reaches the printed heading whole.
        QVERIFY(QDir(m_data.path()).mkpath(QStringLiteral("Документы")));
        const QString name = data(QStringLiteral("Документы/bench.wbd"));
        prompts.fileNames.enqueue(name);
        QVERIFY(form.shellFiles().FileSaveAs());
        for (int i = 0; i < 120; ++i)
            form.session().Log(i % 2 ? 2 : 1, QStringLiteral("Line number %1").arg(i));

        QString title;
        QString pages;
        bool boxesLocked = false;
        form.setDialogRunner([&](QDialog& d) {
            auto* dialog = qobject_cast<TPrintForm*>(&d);
            if (!dialog)
                return int(QDialog::Rejected);
            d.show();
            title = d.windowTitle();
            pages = dialog->PagesLabel->text();
            // Greyed, ticked, and saying why.
            boxesLocked = !dialog->TxCheckBox->isEnabled() && !dialog->RxCheckBox->isEnabled() &&
                          dialog->TxCheckBox->isChecked() && dialog->RxCheckBox->isChecked() &&
                          !dialog->TxCheckBox->toolTip().isEmpty() &&
                          !dialog->RxCheckBox->toolTip().isEmpty();
            dialog->BitBtn1->click();
            return d.result();
        });
        form.FilePrintItem->trigger();
        QCOMPARE(title, QStringLiteral("Print"));
        QCOMPARE(pages, QStringLiteral("3 Pages"));
        QVERIFY(boxesLocked);
        QVERIFY(prompts.messages().isEmpty());
        QProcess text;
        text.start(QStringLiteral("pdftotext"),
                   {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        QVERIFY(text.waitForFinished(20000));
        // Fonts print "fi" as one ligature glyph: compare letters, not glyphs.
        const QString printed = QString::fromUtf8(text.readAllStandardOutput())
                                    .normalized(QString::NormalizationForm_KC);
        QVERIFY2(printed.contains(name), qPrintable(printed.left(300)));
        QVERIFY(printed.contains(QLatin1String("Transmitted and Received Strings")));
        QVERIFY(printed.contains(QLatin1String("Tx : Line number 0")));
        QVERIFY(printed.contains(QLatin1String("Rx : Line number 119")));
        // 120 lines do not fit one page: the heading repeats.
        QVERIFY(printed.count(name) >= 2);
        // The print job bears the program's name.
        QProcess info;
        info.start(QStringLiteral("pdfinfo"), {pdf});
        QVERIFY(info.waitForFinished(20000));
        QVERIFY(QString::fromUtf8(info.readAllStandardOutput())
                    .contains(QRegularExpression(QStringLiteral("^Title: +Tarvin Diagnostic$"),
                                                 QRegularExpression::MultilineOption)));

        // The estimate follows the boxes when the panes are separate.
        form.settings().combineLists = false;
        form.ClearSpeedButtonClick();
        for (int i = 0; i < 60; ++i)
            form.session().Log(2, QStringLiteral("r"));
        form.flushLog();
        TPrintForm dialog(form.session(), {form.TransmitMemo, form.ReceiveMemo}, printer, QString(),
                          prompts, &form);
        dialog.show();
        QCOMPARE(dialog.PagesLabel->text(), QStringLiteral("2 Pages"));
        QVERIFY(dialog.RxCheckBox->isEnabled());
        dialog.RxCheckBox->click();
        QCOMPARE(dialog.PagesLabel->text(), QStringLiteral("1 Page"));
        form.settings().combineLists = true;

        // Print Setup offers the printer dialog for the same printer.
        bool offered = false;
        form.setDialogRunner([&](QDialog& d) {
            offered = qobject_cast<QPrintDialog*>(&d) != nullptr;
            return int(QDialog::Rejected);
        });
        form.FilePrintSetupItem->trigger();
        QVERIFY(offered);
    }

    void failedPrintLeavesPrintingUsable()
    {
        ScriptedPrompter prompts;
        TMainForm form({}, &prompts);
        form.show();
        form.session().Log(1, QStringLiteral("Line"));
        // What a machine without a printer gives: a PDF printer with no file.
        QPrinter& printer = form.shellFiles().printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString());
        const auto print = [&] {
            form.setDialogRunner([](QDialog& d) {
                if (auto* dialog = qobject_cast<TPrintForm*>(&d))
                    dialog->BitBtn1->click();
                return d.result();
            });
            form.FilePrintItem->trigger();
        };
        print();
        QCOMPARE(prompts.messages().size(), 1);
        QVERIFY(prompts.messages().first().contains(QLatin1String("Print Setup")));

        // Print Setup can choose again, and its button does not say Print.
        const QString pdf = data(QStringLiteral("after-failure.pdf"));
        QString okText;
        form.setDialogRunner([&](QDialog& d) {
            auto* dialog = qobject_cast<QPrintDialog*>(&d);
            if (!dialog)
                return int(QDialog::Rejected);
            const auto* buttons = d.findChild<QDialogButtonBox*>();
            okText = buttons ? buttons->button(QDialogButtonBox::Ok)->text() : QString();
            dialog->printer()->setOutputFileName(pdf);
            return int(QDialog::Accepted);
        });
        form.FilePrintSetupItem->trigger();
#ifndef Q_OS_WIN
        // Windows' print dialog is the system's own, with the system's buttons.
        QCOMPARE(okText, QStringLiteral("OK"));
#endif
        QCOMPARE(form.shellFiles().printer().outputFileName(), pdf);
        print();
        QCOMPARE(prompts.messages().size(), 1);
        QVERIFY(QFileInfo(pdf).size() > 0);
    }

    void helpContexts_data()
    {
        QTest::addColumn<int>("context");
        QTest::addColumn<QString>("title");
        QTest::newRow("contents") << 0 << QStringLiteral("Tarvin Diagnostic Utility");
        QTest::newRow("user buttons") << 2 << QStringLiteral("User Buttons");
        QTest::newRow("printing") << 3 << QStringLiteral("Printing the Log");
        QTest::newRow("mode") << 4 << QStringLiteral("Setting the Interface Mode");
        QTest::newRow("unit type") << 5 << QStringLiteral("Unit Type");
        QTest::newRow("options") << 10 << QStringLiteral("Program Options");
        QTest::newRow("mmi results") << 40 << QStringLiteral("MMI Results");
        QTest::newRow("analyser") << 80 << QStringLiteral("Traffic Analyser");
    }
    void helpContexts()
    {
        QFETCH(int, context);
        QFETCH(QString, title);
        ScriptedPrompter prompts;
        TMainForm form({}, &prompts);
        form.ShowHelp(context);
        auto* help = form.findChild<HelpWindow*>(QStringLiteral("HelpWindow"));
        QVERIFY(help && help->isVisible());
        auto* browser = help->findChild<QTextBrowser*>(QStringLiteral("HelpBrowser"));
        QCOMPARE(browser->documentTitle(), title);
        if (context != 0)
            QVERIFY(help->currentPage().endsWith(QStringLiteral("context-%1.html").arg(context)));
    }

    void helpFromAModalDialogIsUsable()
    {
        ScriptedPrompter prompts;
        TMainForm form({}, &prompts);
        form.show();
        HelpWindow* help = nullptr;
        bool onTop = false;
        bool backToDialog = false;
        form.setDialogRunner([&](QDialog& d) {
            d.setModal(true);
            d.show();
            d.findChild<QPushButton*>(QStringLiteral("HelpBitBtn"))->click();
            help = form.findChild<HelpWindow*>(QStringLiteral("HelpWindow"));
            // Above the dialog and not blocked by it.
            onTop = help && help->isVisible() && QApplication::activeModalWidget() == help;
            if (help)
                help->findChild<QPushButton*>(QStringLiteral("HelpCloseButton"))->click();
            backToDialog = QApplication::activeModalWidget() == &d;
            d.reject();
            return int(QDialog::Rejected);
        });
        form.ProgramOptions1->trigger();
        QVERIFY(onTop);
        QVERIFY(backToDialog);
        // Opened from the main window it is an ordinary window again.
        form.ShowHelp(0);
        QVERIFY(help->isVisible());
        QCOMPARE(help->windowModality(), Qt::NonModal);
    }

    void fileDialogsStartInDocumentsThenTheLastFolder()
    {
        // The documents folder lies in a home of the test's own.
        QTemporaryDir home;
        QVERIFY(home.isValid());
        const QByteArray realHome = qgetenv("HOME");
        const auto restore = qScopeGuard([&realHome] { qputenv("HOME", realHome); });
        qputenv("HOME", home.path().toLocal8Bit());
        const QString documents =
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
#ifndef Q_OS_WIN
        // Windows' documents folder is the user's known folder, whatever HOME says.
        QVERIFY2(documents.startsWith(home.path()), qPrintable(documents));
#endif
        QSettings().remove(QStringLiteral("Files"));
        const QString first = data(QStringLiteral("first"));
        const QString second = data(QStringLiteral("second"));
        QVERIFY(QDir().mkpath(first) && QDir().mkpath(second));

        ScriptedPrompter prompts;
        TMainForm form({}, &prompts);
        const auto lastFolder = [&prompts] { return prompts.asked.last().folder; };
        form.FileOpenCaptureItem->trigger(); // cancelled
        QCOMPARE(lastFolder(), documents);
        // A bare name records to a CSV file.
        prompts.fileNames.enqueue(first + QStringLiteral("/night"));
        form.RecordCaptureItem->trigger();
        QCOMPARE(lastFolder(), documents);
        QCOMPARE(form.recording().path(), first + QStringLiteral("/night.csv"));
        form.RecordCaptureItem->trigger();
        QVERIFY(!form.recording().active());

        prompts.fileNames.enqueue(first + QStringLiteral("/night.csv"));
        form.FileOpenCaptureItem->trigger();
        QCOMPARE(lastFolder(), first);
        auto* capture = form.findChild<CaptureWindow*>();
        QVERIFY(capture);
        // Read whole, and so let go: Windows removes no folder with a file open.
        QTRY_VERIFY_WITH_TIMEOUT(!capture->loading(), 5000);
        prompts.fileNames.enqueue(second + QStringLiteral("/shown"));
        capture->ExportAction->trigger();
        QCOMPARE(lastFolder(), first);
        QVERIFY(QFileInfo::exists(second + QStringLiteral("/shown.csv")));

        InstallationWindow* installation = form.ShowInstallation();
        prompts.fileNames.enqueue(first + QStringLiteral("/units"));
        installation->ExportAction->trigger();
        QCOMPARE(lastFolder(), second);
        QVERIFY(QFileInfo::exists(first + QStringLiteral("/units.csv")));

        // The folder last used was removed: back to the documents.
        QVERIFY(QDir(first).removeRecursively());
        form.FileOpenCaptureItem->trigger();
        QCOMPARE(lastFolder(), documents);
    }

    void helpSearch_data()
    {
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<QString>("topic"); // empty: no topic holds it
        const QString captures = QStringLiteral("Captures");
        const QString mode = QStringLiteral("Setting the Interface Mode");
        QTest::newRow("script") << QStringLiteral("execute.txt")
                                << QStringLiteral("Data Files, the Command Log and Scripts");
        QTest::newRow("record") << QStringLiteral("Record Capture") << captures;
        QTest::newRow("open") << QStringLiteral("Open Capture") << captures;
        QTest::newRow("session") << QStringLiteral("View > Session") << captures;
        QTest::newRow("follow") << QStringLiteral("Follow the File") << captures;
        QTest::newRow("export") << QStringLiteral("Export Shown Rows") << captures;
        QTest::newRow("analyse") << QStringLiteral("Analyse Shown Rows") << captures;
        QTest::newRow("pcn") << QStringLiteral("PCN") << mode;
        QTest::newRow("local sal") << QStringLiteral("local sal") << mode;
        QTest::newRow("pun") << QStringLiteral("PUN") << mode;
        QTest::newRow("exstat") << QStringLiteral("EXSTAT") << mode;
        QTest::newRow("restore") << QStringLiteral("Restore after power fail") << mode;
        QTest::newRow("nothing") << QStringLiteral("nosuchwordanywhere") << QString();
    }
    void helpSearch()
    {
        QFETCH(QString, keyword);
        QFETCH(QString, topic);
        ScriptedPrompter prompts;
        TMainForm form({}, &prompts);
        form.HelpSearchItem->trigger();
        auto* help = form.findChild<HelpWindow*>(QStringLiteral("HelpWindow"));
        auto* browser = help->findChild<QTextBrowser*>(QStringLiteral("HelpBrowser"));
        auto* results = help->findChild<QListWidget*>(QStringLiteral("HelpSearchResults"));
        const int allTopics = results->count();
        QVERIFY(allTopics > 10);
        form.ShowHelp(4); // a page that a failed search must not leave shown
        help->showSearch(keyword);
        QStringList found;
        for (int i = 0; i < results->count(); ++i)
            found << results->item(i)->text();
        if (topic.isEmpty()) {
            QVERIFY(found.isEmpty());
            QCOMPARE(browser->documentTitle(), QStringLiteral("No topic matches"));
            // Its link to the contents brings the topics back.
            emit browser->anchorClicked(QUrl(QStringLiteral("qrc:/help/index.html")));
            QCOMPARE(results->count(), allTopics);
            help->showSearch(keyword);
        } else {
            QVERIFY2(found.contains(topic), qPrintable(found.join(u'|')));
            QCOMPARE(browser->documentTitle(), found.first());
        }
        // Contents and F1 bring back every topic and the contents page.
        form.HelpContentsItem->trigger();
        QCOMPARE(results->count(), allTopics);
        QCOMPARE(browser->documentTitle(), QStringLiteral("Tarvin Diagnostic Utility"));
        help->showSearch(keyword);
        form.ShowHelp(4);
        QCOMPARE(results->count(), allTopics);
        QCOMPARE(browser->documentTitle(), QStringLiteral("Setting the Interface Mode"));
    }

    void helpMenusAndSearch()
    {
        ScriptedPrompter prompts;
        TMainForm form({}, &prompts);
        form.HelpHowToUseItem->trigger();
        auto* help = form.findChild<HelpWindow*>(QStringLiteral("HelpWindow"));
        auto* browser = help->findChild<QTextBrowser*>(QStringLiteral("HelpBrowser"));
        QCOMPARE(browser->documentTitle(), QStringLiteral("How to Use Help"));
        form.SpeedButton6->click();
        QCOMPARE(browser->documentTitle(), QStringLiteral("Tarvin Diagnostic Utility"));

        // Every dialog's Help button opens its page.
        form.setDialogRunner([](QDialog& d) {
            d.show();
            if (auto* b = d.findChild<QPushButton*>(QStringLiteral("HelpBitBtn")))
                b->click();
            d.reject();
            return int(QDialog::Rejected);
        });
        form.ProgramOptions1->trigger();
        QCOMPARE(browser->documentTitle(), QStringLiteral("Program Options"));
        form.UserButtonsItem->trigger();
        QCOMPARE(browser->documentTitle(), QStringLiteral("User Buttons"));
        form.setDialogRunner([](QDialog& d) {
            d.show();
            if (auto* print = qobject_cast<TPrintForm*>(&d))
                print->BitBtn3->click();
            d.reject();
            return int(QDialog::Rejected);
        });
        form.FilePrintItem->trigger();
        QCOMPARE(browser->documentTitle(), QStringLiteral("Printing the Log"));
    }
};

QTEST_MAIN(TestShellFiles)
#include "tst_shell_files.moc"
