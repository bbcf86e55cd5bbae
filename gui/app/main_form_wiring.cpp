// The window as the composition root: its collaborators on its menus,
// buttons and status bar.

#include "gui/app/main_form.h"

#include "core/decode/hex.h"
#include "core/decode/interpret.h"
#include "core/link/framing.h"
#include "core/link/log_text.h"
#include "gui/app/help_window.h"
#include "gui/app/options_form.h"
#include "gui/app/shell_files.h"
#include "gui/app/user_buttons.h"
#include "gui/capture/capture_recording.h"
#include "gui/capture/capture_window.h"
#include "gui/compose/cal_tab.h"
#include "gui/compose/control_tab.h"
#include "gui/compose/lighting_tab.h"
#include "gui/compose/measurement_tab.h"
#include "gui/compose/security_master_tab.h"
#include "gui/compose/security_slave_tab.h"
#include "gui/compose/telephony_master_tab.h"
#include "gui/compose/telephony_slave_tab.h"
#include "gui/compose/time_tab.h"
#include "gui/diagnostics/diagnostics.h"
#include "gui/diagnostics/installation_window.h"
#include "gui/diagnostics/interface_tools.h"
#include "gui/widgets/log_highlighter.h"
#include "gui/widgets/prompter.h"
#include "session/link_session.h"
#include "session/session.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <array>

namespace tarvin {

void TMainForm::ConnectShell()
{
    // The shell's collaborators stand on the session; the window lends them
    // its prompter, its widgets and its dialog runner, and hears back
    // through their signals.
    const auto runner = [this](QDialog& dialog) { return runDialog(dialog); };
    m_userButtons = new UserButtonSlots(*m_session, UserButtons, this, runner);
    m_optionsForm = new TOptionsForm(*m_session, *m_prompter, this, runner);
    m_shellFiles = new ShellFiles(*m_session, *m_userButtons, {TransmitMemo, ReceiveMemo},
                                  *m_prompter, this, runner);
    if (auto* lighting = qobject_cast<LightingTab*>(LightingTabSheet))
        m_userButtons->setLightingCommandSource(
            [lighting] { return lighting->GetTarvinCommandString(); },
            [lighting] { return lighting->GetTarvinCommandDescription(); });

    UserButtonSlots* buttons = m_userButtons;
    using Assign = void (UserButtonSlots::*)();
    const std::array<Assign, 9> assign{
        &UserButtonSlots::User1ItemClick, &UserButtonSlots::User2ItemClick,
        &UserButtonSlots::User3ItemClick, &UserButtonSlots::User4ItemClick,
        &UserButtonSlots::User5ItemClick, &UserButtonSlots::User6ItemClick,
        &UserButtonSlots::User7ItemClick, &UserButtonSlots::User81Click,
        &UserButtonSlots::User91Click};
    for (std::size_t i = 0; i < assign.size(); ++i) {
        if (i < AssignItems.size())
            connect(AssignItems[i], &QAction::triggered, buttons, assign[i]);
        if (i < PopupAssignItems.size())
            connect(PopupAssignItems[i], &QAction::triggered, buttons, assign[i]);
    }
    connect(EditProperties1, &QAction::triggered, buttons,
            &UserButtonSlots::EditUserButtonItemClick);
    connect(UserButtonsItem, &QAction::triggered, buttons, &UserButtonSlots::UserButtonsItemClick);
    connect(buttons, &UserButtonSlots::helpRequested, this, &TMainForm::ShowHelp);

    connect(m_optionsForm, &TOptionsForm::helpRequested, this, &TMainForm::ShowHelp);

    ShellFiles* files = m_shellFiles;
    connect(files, &ShellFiles::helpRequested, this, &TMainForm::ShowHelp);
    connect(files, &ShellFiles::statusMessage, this,
            [this](const QString& text) { statusBar()->showMessage(text, 10000); });
    connect(files, &ShellFiles::commandLogStopped, this,
            [this] { LogCommandsItem->setChecked(false); });
    connect(FileNewItem, &QAction::triggered, files, &ShellFiles::FileNew);
    connect(FileOpenItem, &QAction::triggered, files, &ShellFiles::FileOpen);
    connect(FileSaveItem, &QAction::triggered, files, &ShellFiles::FileSave);
    connect(FileSaveAsItem, &QAction::triggered, files, &ShellFiles::FileSaveAs);
    connect(SpeedButton1, &QToolButton::clicked, files, &ShellFiles::FileNew);
    connect(SpeedButton2, &QToolButton::clicked, files, &ShellFiles::FileOpen);
    connect(SpeedButton3, &QToolButton::clicked, files, &ShellFiles::FileSave);
    connect(ProcessLogFileItem, &QAction::triggered, files, &ShellFiles::ProcessLogFileItemClick);
    connect(ExecuteFile1, &QAction::triggered, files, &ShellFiles::ExecuteFile1Click);
    // The printout has every line logged so far.
    connect(FilePrintItem, &QAction::triggered, this, &TMainForm::flushLog);
    connect(FilePrintItem, &QAction::triggered, files, &ShellFiles::FilePrint);
    connect(FilePrintSetupItem, &QAction::triggered, files, &ShellFiles::FilePrintSetup);
    connect(ProgramOptions1, &QAction::triggered, this, &TMainForm::ProgramOptions1Click);
}

void TMainForm::WireDiagnostics()
{
    Diagnostics* d = m_diagnostics;
    connect(d, &Diagnostics::installationListed, this, &TMainForm::ShowInstallation);
    connect(ViewInstallationItem, &QAction::triggered, this, &TMainForm::ShowInstallation);
    for (auto [item, handler] : {std::pair{IdentifyItem, &Diagnostics::IdentifyButtonClick},
                                 {IdentifyAllItem, &Diagnostics::IdentifyAllItemClick},
                                 {GetUnitVoltagesItem, &Diagnostics::GetUnitVoltagesItemClick},
                                 {GetEEPROMDataItem, &Diagnostics::GetEEPROMDataItemClick},
                                 {InstallationMMIItem, &Diagnostics::InstallationMMIButtonClick},
                                 {ApplicationMMIItem, &Diagnostics::ApplicationMMIButtonClick},
                                 {LevelMMIItem, &Diagnostics::LevelMMIButtonClick}})
        connect(item, &QAction::triggered, d, handler);
    for (auto [button, handler] :
         {std::pair{IdentifyButton, &Diagnostics::IdentifyButtonClick},
          {InstallationMMIButton, &Diagnostics::InstallationMMIButtonClick},
          {ApplicationMMIButton, &Diagnostics::ApplicationMMIButtonClick},
          {LevelMMIButton, &Diagnostics::LevelMMIButtonClick}})
        connect(button, &QPushButton::clicked, d, handler);
    connect(d, &Diagnostics::statusMessage, this,
            [this](const QString& text) { statusBar()->showMessage(text, 10000); });
    connect(d, &Diagnostics::helpRequested, this, &TMainForm::ShowHelp);
    // The MMIs offer the application chosen on the Lighting page.
    if (auto* lighting = qobject_cast<LightingTab*>(LightingTabSheet))
        d->setApplicationSource([lighting] {
            const int index = lighting->LightingAppComboBox->currentIndex();
            return index >= 0 ? index : 0x38;
        });
}

void TMainForm::WireInterfaceTools()
{
    InterfaceTools* t = m_interfaceTools;
    connect(AnalyserItem, &QAction::triggered, t, &InterfaceTools::AnalyserItemClick);
    connect(SetMode1, &QAction::triggered, t, &InterfaceTools::ModeButtonClick);
    connect(ModeButton, &QPushButton::clicked, t, &InterfaceTools::ModeButtonClick);
    connect(SetModeofOtherPCIItem, &QAction::triggered, t,
            &InterfaceTools::SetModeofOtherPCIItemClick);
    connect(ReadUnitTypeItem, &QAction::triggered, t, &InterfaceTools::ReadUnitTypeItemClick);
    connect(SetUnitTypeItem, &QAction::triggered, t, &InterfaceTools::SetUnitTypeItemClick);
    connect(t, &InterfaceTools::helpRequested, this, &TMainForm::ShowHelp);
    connect(t, &InterfaceTools::clearLogRequested, this, &TMainForm::ClearSpeedButtonClick);
}

void TMainForm::WireCaptures()
{
    m_recording = new CaptureRecording(*m_session, *m_prompter, this);
    // The menu item and the tool bar button are one switch, and they show
    // what is so: a recording that did not start leaves both off.
    const auto show = [this] {
        const bool on = m_recording->active();
        RecordCaptureItem->setChecked(on);
        RecordCaptureButton->setChecked(on);
        RecordingStatusLabel->setVisible(on);
        RecordingStatusLabel->setText(
            QStringLiteral("Recording to %1").arg(QFileInfo(m_recording->path()).fileName()));
        RecordingStatusLabel->setToolTip(QDir::toNativeSeparators(m_recording->path()));
    };
    connect(RecordCaptureItem, &QAction::triggered, this, [this, show](bool on) {
        if (on)
            m_recording->start();
        else
            m_recording->stop();
        show();
    });
    connect(RecordCaptureButton, &QToolButton::clicked, RecordCaptureItem, &QAction::trigger);
    connect(m_recording, &CaptureRecording::changed, this, show);
    connect(FileOpenCaptureItem, &QAction::triggered, this, [this] {
        const QString path = OpenUserFile(
            *m_prompter, this, QStringLiteral("Captures (*.csv *.txt *.log);;All Files (*)"));
        if (!path.isEmpty())
            OpenCapture(path);
    });
    connect(ViewSessionItem, &QAction::triggered, this, &TMainForm::ShowSessionCapture);
}

CaptureWindow* TMainForm::OpenCapture(const QString& path)
{
    auto* window = new CaptureWindow(
        *m_session, *m_prompter, [this](QDialog& dialog) { return runDialog(dialog); }, this);
    if (!window->openFile(path)) {
        delete window;
        return nullptr;
    }
    window->show();
    return window;
}

InstallationWindow* TMainForm::ShowInstallation()
{
    auto* window = findChild<InstallationWindow*>();
    if (!window)
        window =
            new InstallationWindow(*m_session, *m_prompter, m_diagnostics->installation(), this);
    window->refresh();
    window->show();
    window->raise();
    return window;
}

CaptureWindow* TMainForm::ShowSessionCapture()
{
    // One view of the session is enough: a second click brings it forward.
    if (auto* shown = findChild<CaptureWindow*>(QStringLiteral("SessionCaptureWindow"))) {
        shown->raise();
        shown->activateWindow();
        return shown;
    }
    auto* window = new CaptureWindow(
        *m_session, *m_prompter, [this](QDialog& dialog) { return runDialog(dialog); }, this);
    window->setObjectName(QStringLiteral("SessionCaptureWindow"));
    window->showSession();
    window->show();
    return window;
}

} // namespace tarvin
