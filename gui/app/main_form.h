#pragma once
// The main window: menus, tool bar, log panes, button bars and the command
// area. It owns the program-wide state and wires the collaborators together.

#include "core/decode/decode.h"
#include "core/files/settings.h"
#include "core/link/program_state.h"

#include <QDateTime>
#include <QHash>
#include <QMainWindow>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QDialog;
class QFile;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSplitter;
class QTabWidget;
class QToolButton;
class QWidget;

namespace tarvin {

class Diagnostics;
class HelpWindow;
class InterfaceTools;
class ShellFiles;
class TOptionsForm;
class CaptureRecording;
class CaptureWindow;
class InstallationWindow;
class UserButtonSlots;
class LinkSession;
class Session;
class Prompter;
struct ReceivedLine;

class TMainForm : public QMainWindow
{
    Q_OBJECT
public:
    // `arguments` are the command-line arguments after the program name;
    // `prompter` answers every question (the real dialogs when null).
    explicit TMainForm(const QStringList& arguments = {}, Prompter* prompter = nullptr,
                       QWidget* parent = nullptr);
    ~TMainForm() override;
    // The program's title, as the window and the About box show it.
    static QString Title();

    // --- Shell ---------------------------------------------------------
    void FormShow();
    void SetLists();
    void EnableItems();
    void EnableDebugItemClick();
    // Every tool, or the restricted diagnostic surface.
    void ShowAllTools(bool all);
    void ClearSpeedButtonClick();
    // Puts the log lines gathered for the next frame into the panes now:
    // whatever reads the panes' text calls it first.
    void flushLog();
    // The lines a log pane keeps.
    static constexpr int kPaneLines = 200;

    // --- Link ----------------------------------------------------------
    void ConnecttoPCIItemClick();
    void ResetPCI();
    void SetSmartMode();
    void SetDefaultMode();
    void DefaultModeButtonClick();
    void SmartButtonClick();
    void StandardButtonClick();
    void PCIDataButtonClick();

    // --- Log -----------------------------------------------------------
    void SendStringButtonClick();

    // --- Framing -------------------------------------------------------
    void RemoteNetworkCheckBoxClick();

    // --- Decoder dialogs -------------------------------------------------
    void InterpretCommand1Click();
    void ApplicationSupportItemClick();

    // --- Files -----------------------------------------------------------
    void LogCommandsItemClick();

    // --- Options and user buttons -----------------------------------------
    void ProgramOptions1Click();

    // Every modal dialog of the shell runs through here; tests replace the
    // runner so that nothing blocks (the default is QDialog::exec).
    int runDialog(QDialog& dialog);
    void setDialogRunner(std::function<int(QDialog&)> runner)
    {
        m_dialogRunner = std::move(runner);
    }

    // --- The session and the collaborators ------------------------------
    // The collaborators stand on the session; state(), settings() and
    // link() are the session's, kept for the window's own handlers.
    Session& session() { return *m_session; }
    ProgramState& state();
    Settings& settings();
    LinkSession& link();
    Prompter& prompter() { return *m_prompter; }
    Diagnostics& diagnostics() { return *m_diagnostics; }
    InterfaceTools& interfaceTools() { return *m_interfaceTools; }
    ShellFiles& shellFiles() { return *m_shellFiles; }
    TOptionsForm& optionsForm() { return *m_optionsForm; }
    UserButtonSlots& userButtonSlots() { return *m_userButtons; }

    // --- Components (names as the rest of the program knows them) -------
    // Tool bar
    QWidget* SpeedBar = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QToolButton* SpeedButton3 = nullptr;
    QToolButton* ClearSpeedButton = nullptr;
    QToolButton* SpeedButton6 = nullptr;
    QCheckBox* RemoteNetworkCheckBox = nullptr;
    QLabel* NetworkPathLabel = nullptr;
    QLineEdit* NetworkPathEdit = nullptr;
    // Log area
    QSplitter* Splitter1 = nullptr;
    QWidget* TransmitPanel = nullptr;
    QLabel* TransmitHeaderPanel = nullptr;
    QPlainTextEdit* TransmitMemo = nullptr;
    QWidget* ReceivePanel = nullptr;
    QLabel* ReceiveHeaderPanel = nullptr;
    QPlainTextEdit* ReceiveMemo = nullptr;
    // Button bars
    QWidget* Panel1 = nullptr;
    QPushButton* DefaultModeButton = nullptr;
    QPushButton* SmartButton = nullptr;
    QPushButton* StandardButton = nullptr;
    QPushButton* ModeButton = nullptr;
    QPushButton* InstallationMMIButton = nullptr;
    QPushButton* ApplicationMMIButton = nullptr;
    QPushButton* LevelMMIButton = nullptr;
    QPushButton* IdentifyButton = nullptr;
    QPushButton* PCIDataButton = nullptr;
    QWidget* Panel2 = nullptr;
    std::vector<QPushButton*> UserButtons; // UserButton1 .. UserButton9
    // Command area
    QTabWidget* PageControl1 = nullptr;
    QWidget* LightingTabSheet = nullptr;
    QWidget* ControlTabSheet = nullptr;
    QWidget* TelephonyMasterTabSheet = nullptr;
    QWidget* TelephonySlaveTabSheet = nullptr;
    QWidget* SecurityMasterTabSheet = nullptr;
    QWidget* SecuritySlaveTabSheet = nullptr;
    QWidget* MeasurementTabSheet = nullptr;
    QWidget* TimeTabSheet = nullptr;
    QWidget* CALTabSheet = nullptr;
    QWidget* CustomTabSheet = nullptr;
    QComboBox* SendStringCombo = nullptr;
    QPushButton* SendStringButton = nullptr;
    // Menus
    QMenu* FileMenu = nullptr;
    QAction* FileNewItem = nullptr;
    QAction* FileOpenItem = nullptr;
    QAction* FileSaveItem = nullptr;
    QAction* FileSaveAsItem = nullptr;
    QAction* ProcessLogFileItem = nullptr;
    QAction* ExecuteFile1 = nullptr;
    QAction* FilePrintItem = nullptr;
    QAction* FilePrintSetupItem = nullptr;
    QAction* FileExitItem = nullptr;
    QMenu* TarvinMenu = nullptr;
    QAction* ConnecttoPCIItem = nullptr;
    QAction* SetMode1 = nullptr;
    QAction* SetModeofOtherPCIItem = nullptr;
    QAction* InstallationMMIItem = nullptr;
    QAction* ApplicationMMIItem = nullptr;
    QAction* LevelMMIItem = nullptr;
    QAction* IdentifyItem = nullptr;
    QAction* IdentifyAllItem = nullptr;
    QAction* GetUnitVoltagesItem = nullptr;
    QAction* GetPCIDataItem = nullptr;
    QAction* AnalyserItem = nullptr;
    QAction* GetEEPROMDataItem = nullptr;
    QAction* InterpretCommand1 = nullptr;
    QMenu* UnitType1Menu = nullptr;
    QAction* UnitType1 = nullptr;
    QAction* ReadUnitTypeItem = nullptr;
    QAction* SetUnitTypeItem = nullptr;
    QMenu* OptionsMenu = nullptr;
    QAction* ProgramOptions1 = nullptr;
    QAction* ClearLists1 = nullptr;
    QAction* ShowASCIIItem = nullptr;
    QAction* ShowDecodedMessageItem = nullptr;
    QAction* LogCommandsItem = nullptr;
    QAction* HexadecimalNumbersItem = nullptr;
    QAction* ShowTimeItem = nullptr;
    QAction* UseAcknowledgementCharactersItem = nullptr;
    QAction* UserButtonsItem = nullptr;
    QMenu* AssignCommandto1Menu = nullptr;
    QAction* AssignCommandto1 = nullptr;
    std::vector<QAction*> AssignItems; // "User 1" .. "User 9"
    QAction* EnableDebugItem = nullptr;
    QMenu* HelpMenu = nullptr;
    QAction* HelpContentsItem = nullptr;
    QAction* HelpSearchItem = nullptr;
    QAction* HelpHowToUseItem = nullptr;
    QAction* WhatsNew1 = nullptr;
    QAction* ApplicationSupportItem = nullptr;
    QAction* HelpAboutItem = nullptr;
    // Pop-up menus
    QMenu* PopupMenu1 = nullptr;
    QAction* EditProperties1 = nullptr;
    QMenu* PopupMenu2 = nullptr;
    QAction* AssigntoUserButton1 = nullptr;
    std::vector<QAction*> PopupAssignItems; // "User 1" .. "User 9"

    // Opens the help at a context number (0 = contents).
    void ShowHelp(int context);
    // The permanent connection field and the running command in the status bar.
    QLabel* ConnectionStatusLabel = nullptr;
    QLabel* CommandStatusLabel = nullptr;
    QPushButton* CancelCommandButton = nullptr;

    // --- Captures ----------------------------------------------------------
    QAction* ShowAllToolsItem = nullptr;
    QAction* FileOpenCaptureItem = nullptr;
    QAction* RecordCaptureItem = nullptr;
    QMenu* ViewMenu = nullptr;
    QAction* ViewSessionItem = nullptr;
    QAction* ViewInstallationItem = nullptr;
    // The installation the unit lists have found, in its window.
    InstallationWindow* ShowInstallation();
    QToolButton* RecordCaptureButton = nullptr;
    QLabel* RecordingStatusLabel = nullptr;
    // Opens a capture file in a window of its own; null when it cannot be read.
    CaptureWindow* OpenCapture(const QString& path);
    CaptureWindow* ShowSessionCapture();
    CaptureRecording& recording() { return *m_recording; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildToolBar();
    void BuildLogArea();
    void BuildButtonBars();
    void BuildPages();
    void BuildMenus();
    void ConnectShell();
    void FormCreate();
    void FormDestroy();
    void BuildStatusBar();
    // The diagnostics commands on their menu items and buttons.
    void WireDiagnostics();
    // The analyser, mode and unit type commands likewise.
    void WireInterfaceTools();
    // Recording, capture windows and the session view.
    void WireCaptures();
    void ClientSocket1Error(int code, const QString& text);
    void AddToPane(QPlainTextEdit* pane, const QString& line);
    void ShowConnection();
    void LinkLost(const QString& message);
    void CommandStarted(const QString& name);
    void CommandFinished(const QString& name, bool interrupted);

    QStringList m_arguments;
    std::unique_ptr<Prompter> m_ownPrompter;
    Prompter* m_prompter = nullptr;
    Session* m_session = nullptr;
    Diagnostics* m_diagnostics = nullptr;
    InterfaceTools* m_interfaceTools = nullptr;
    ShellFiles* m_shellFiles = nullptr;
    TOptionsForm* m_optionsForm = nullptr;
    UserButtonSlots* m_userButtons = nullptr;
    std::function<int(QDialog&)> m_dialogRunner;
    HelpWindow* m_help = nullptr;
    CaptureRecording* m_recording = nullptr;
    bool m_shown = false;
    // Log lines waiting for the next frame, per pane.
    QHash<QPlainTextEdit*, QStringList> m_pendingLines;
    QTimer m_paneFrame;
    // The Receive pane's share of the log area's width, set by its splitter.
    double m_receiveShare = 2.0 / 3.0;
};

} // namespace tarvin
