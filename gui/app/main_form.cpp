#include "app/main_form.h"

#include "app/help_window.h"
#include "app/log_highlighter.h"
#include "app/options_form.h"
#include "app/prompter.h"
#include "app/shell_files.h"
#include "app/user_buttons.h"
#include "compose/cal_tab.h"
#include "compose/control_tab.h"
#include "compose/lighting_tab.h"
#include "compose/measurement_tab.h"
#include "compose/security_master_tab.h"
#include "compose/security_slave_tab.h"
#include "compose/telephony_master_tab.h"
#include "compose/telephony_slave_tab.h"
#include "compose/time_tab.h"
#include "decode/hex.h"
#include "decode/interpret.h"
#include "diagnostics/diagnostics.h"
#include "diagnostics/interface_tools.h"
#include "link/framing.h"
#include "link/link_session.h"
#include "link/log_text.h"
#include "link/settings_store.h"

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

static void InitHelpResources()
{
    Q_INIT_RESOURCE(help);
}

namespace tarvin {

namespace {

const QString kTitle = QStringLiteral("Tarvin Diagnostic Utility");
constexpr int kPaneLines = 200;

QString Latin1(const std::string& s)
{
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

template <typename T> T* Named(T* object, const char* name)
{
    object->setObjectName(QLatin1String(name));
    return object;
}

// Enter in the send line sends it, as the button does.
class EnterFilter : public QObject
{
public:
    EnterFilter(QObject* parent, std::function<void()> onEnter)
        : QObject(parent), m_onEnter(std::move(onEnter))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                m_onEnter();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_onEnter;
};

} // namespace

TMainForm::TMainForm(const QStringList& arguments, Prompter* prompter, QWidget* parent)
    : QMainWindow(parent), m_arguments(arguments)
{
    InitHelpResources();
    setObjectName(QStringLiteral("MainForm"));
    if (!prompter) {
        m_ownPrompter = std::make_unique<DialogPrompter>();
        prompter = m_ownPrompter.get();
    }
    m_prompter = prompter;
    m_clock = [] { return QDateTime::currentDateTime(); };
    m_link = new LinkSession(m_state, m_settings, this);
    m_link->setObjectName(QStringLiteral("LinkSession"));
    m_link->setDescriber([this](const QByteArray& text) {
        return Latin1(m_decoder.DecodeMessage(text.toStdString(), m_decodeOptions + SentCommand,
                                              decodeContext()));
    });
    connect(m_link, &LinkSession::transmitted, this,
            [this](const QString& description) { DisplaySerialString(1, description); });
    connect(m_link, &LinkSession::lineCompleted, this, &TMainForm::ReceiveLine);
    connect(m_link, &LinkSession::socketError, this, &TMainForm::ClientSocket1Error);

    m_diagnostics = new Diagnostics(*this);
    m_shellFiles = new ShellFiles(*this);

    setWindowTitle(kTitle);
    resize(800, 600);
    QFont font(QStringLiteral("Arial"), 8);
    setFont(font);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    setCentralWidget(central);
    BuildToolBar();
    BuildLogArea();
    BuildButtonBars();
    BuildPages();
    layout->addWidget(SpeedBar);
    layout->addWidget(Splitter1, 1);
    layout->addWidget(Panel1);
    layout->addWidget(Panel2);
    layout->addWidget(PageControl1);
    BuildMenus();
    ConnectShell();
    FormCreate();
    m_diagnostics->wire();
    m_interfaceTools = new InterfaceTools(*this);
    m_interfaceTools->wire();

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TMainForm::~TMainForm()
{
    FormDestroy();
}

// ---------------------------------------------------------------------------
// Construction

void TMainForm::BuildToolBar()
{
    SpeedBar = Named(new QWidget(this), "SpeedBar");
    SpeedBar->setFixedHeight(33);
    const auto button = [this](const char* name, const QString& hint, QStyle::StandardPixmap icon,
                               int left) {
        auto* b = Named(new QToolButton(SpeedBar), name);
        b->setIcon(style()->standardIcon(icon));
        b->setToolTip(hint);
        b->setAutoRaise(true);
        b->setGeometry(left, 4, 25, 25);
        return b;
    };
    SpeedButton1 = button("SpeedButton1", QStringLiteral("New"), QStyle::SP_FileIcon, 8);
    SpeedButton2 = button("SpeedButton2", QStringLiteral("Open"), QStyle::SP_DialogOpenButton, 32);
    SpeedButton3 = button("SpeedButton3", QStringLiteral("Save"), QStyle::SP_DialogSaveButton, 56);
    ClearSpeedButton =
        button("ClearSpeedButton", QStringLiteral("Clear Lists"), QStyle::SP_TrashIcon, 88);
    SpeedButton6 =
        button("SpeedButton6", QStringLiteral("Help Contents"), QStyle::SP_DialogHelpButton, 112);
    RemoteNetworkCheckBox =
        Named(new QCheckBox(QStringLiteral("Remote Network"), SpeedBar), "RemoteNetworkCheckBox");
    RemoteNetworkCheckBox->setGeometry(160, 7, 120, 20);
    NetworkPathLabel = Named(new QLabel(QStringLiteral("Path"), SpeedBar), "NetworkPathLabel");
    NetworkPathLabel->setGeometry(288, 8, 30, 18);
    NetworkPathEdit = Named(new QLineEdit(SpeedBar), "NetworkPathEdit");
    NetworkPathEdit->setGeometry(320, 5, 120, 22);
    NetworkPathLabel->setEnabled(false);
    NetworkPathEdit->setEnabled(false);

    connect(ClearSpeedButton, &QToolButton::clicked, this, &TMainForm::ClearSpeedButtonClick);
    connect(SpeedButton6, &QToolButton::clicked, this, [this] { ShowHelp(0); });
    connect(RemoteNetworkCheckBox, &QCheckBox::clicked, this,
            &TMainForm::RemoteNetworkCheckBoxClick);
}

void TMainForm::BuildLogArea()
{
    Splitter1 = Named(new QSplitter(Qt::Horizontal, this), "Splitter1");
    Splitter1->setHandleWidth(3);
    Splitter1->setChildrenCollapsible(false);
    const auto pane = [this](const char* panelName, const char* headerName, const char* memoName,
                             const QString& caption, QLabel*& header, QPlainTextEdit*& memo,
                             LogHighlighter::Pane kind) {
        auto* panel = Named(new QWidget(Splitter1), panelName);
        auto* layout = new QVBoxLayout(panel);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        header = Named(new QLabel(caption, panel), headerName);
        header->setAlignment(Qt::AlignCenter);
        header->setFrameShape(QFrame::Panel);
        header->setFrameShadow(QFrame::Raised);
        memo = Named(new QPlainTextEdit(panel), memoName);
        memo->setReadOnly(true);
        memo->setMaximumBlockCount(kPaneLines);
        memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        memo->setLineWrapMode(QPlainTextEdit::NoWrap);
        new LogHighlighter(kind, memo->document());
        layout->addWidget(header);
        layout->addWidget(memo, 1);
        return panel;
    };
    TransmitPanel =
        pane("TransmitPanel", "TransmitHeaderPanel", "TransmitMemo", QStringLiteral("Transmit"),
             TransmitHeaderPanel, TransmitMemo, LogHighlighter::Pane::Transmit);
    ReceivePanel =
        pane("ReceivePanel", "ReceiveHeaderPanel", "ReceiveMemo", QStringLiteral("Receive"),
             ReceiveHeaderPanel, ReceiveMemo, LogHighlighter::Pane::Receive);
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setStretchFactor(1, 0);
}

void TMainForm::BuildButtonBars()
{
    Panel1 = Named(new QWidget(this), "Panel1");
    Panel1->setFixedHeight(40);
    auto* row1 = new QHBoxLayout(Panel1);
    row1->setContentsMargins(8, 4, 8, 4);
    const auto modeButton = [&](const char* name, const QString& caption) {
        auto* b = Named(new QPushButton(caption, Panel1), name);
        row1->addWidget(b);
        return b;
    };
    DefaultModeButton = modeButton("DefaultModeButton", QStringLiteral("Basic Mode"));
    SmartButton = modeButton("SmartButton", QStringLiteral("Smart Mode"));
    StandardButton = modeButton("StandardButton", QStringLiteral("Default Mode"));
    ModeButton = modeButton("ModeButton", QStringLiteral("Set Mode"));
    InstallationMMIButton = modeButton("InstallationMMIButton", QStringLiteral("Inst. MMI"));
    ApplicationMMIButton = modeButton("ApplicationMMIButton", QStringLiteral("App. MMI"));
    LevelMMIButton = modeButton("LevelMMIButton", QStringLiteral("Level MMI"));
    IdentifyButton = modeButton("IdentifyButton", QStringLiteral("Identify"));
    PCIDataButton = modeButton("PCIDataButton", QStringLiteral("PCI Data"));
    row1->addStretch(1);
    connect(DefaultModeButton, &QPushButton::clicked, this, &TMainForm::DefaultModeButtonClick);
    connect(SmartButton, &QPushButton::clicked, this, &TMainForm::SmartButtonClick);
    connect(StandardButton, &QPushButton::clicked, this, &TMainForm::StandardButtonClick);
    connect(PCIDataButton, &QPushButton::clicked, this, &TMainForm::PCIDataButtonClick);

    Panel2 = Named(new QWidget(this), "Panel2");
    Panel2->setFixedHeight(40);
    auto* row2 = new QHBoxLayout(Panel2);
    row2->setContentsMargins(8, 4, 8, 4);
    for (int n = 1; n <= 9; ++n) {
        auto* b = new QPushButton(QStringLiteral("User %1").arg(n), Panel2);
        b->setObjectName(QStringLiteral("UserButton%1").arg(n));
        b->setContextMenuPolicy(Qt::CustomContextMenu);
        row2->addWidget(b);
        UserButtons.push_back(b);
    }
    row2->addStretch(1);
}

void TMainForm::BuildPages()
{
    PageControl1 = Named(new QTabWidget(this), "PageControl1");
    PageControl1->setTabPosition(QTabWidget::South);
    // The pages place their controls at fixed positions inside group boxes:
    // the title sits on the frame line, so the first row clears it.
    PageControl1->setStyleSheet(QStringLiteral(
        "QWidget { font: 8pt \"Arial\"; }"
        "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 6px; }"
        "QGroupBox::title { subcontrol-origin: margin; left: 6px; padding: 0 2px; }"));
    PageControl1->setFixedHeight(154);
    const auto page = [this](QWidget* w, const char* name, const QString& caption) {
        w->setObjectName(QLatin1String(name));
        PageControl1->addTab(w, caption);
        return w;
    };
    LightingTabSheet =
        page(new LightingTab(*this, PageControl1), "LightingTabSheet", QStringLiteral("Lighting"));
    ControlTabSheet =
        page(new ControlTab(*this, PageControl1), "ControlTabSheet", QStringLiteral("Control"));
    TelephonyMasterTabSheet = page(new TelephonyMasterTab(*this, PageControl1),
                                   "TelephonyMasterTabSheet", QStringLiteral("Telephony Master"));
    TelephonySlaveTabSheet = page(new TelephonySlaveTab(*this, PageControl1),
                                  "TelephonySlaveTabSheet", QStringLiteral("Telephony Slave"));
    SecurityMasterTabSheet = page(new SecurityMasterTab(*this, PageControl1),
                                  "SecurityMasterTabSheet", QStringLiteral("Security Master"));
    SecuritySlaveTabSheet = page(new SecuritySlaveTab(*this, PageControl1), "SecuritySlaveTabSheet",
                                 QStringLiteral("Security Slave"));
    MeasurementTabSheet = page(new MeasurementTab(*this, PageControl1), "MeasurementTabSheet",
                               QStringLiteral("Measurement"));
    TimeTabSheet = page(new TimeTab(*this, PageControl1), "TimeTabSheet", QStringLiteral("Time"));
    CALTabSheet = page(new CALTab(*this, PageControl1), "CALTabSheet", QStringLiteral("CAL"));
    CustomTabSheet = page(new QWidget(PageControl1), "CustomTabSheet", QStringLiteral("Custom"));

    SendStringCombo = Named(new QComboBox(CustomTabSheet), "SendStringCombo");
    SendStringCombo->setEditable(true);
    SendStringCombo->setInsertPolicy(QComboBox::NoInsert);
    SendStringCombo->setGeometry(16, 24, 420, 24);
    SendStringButton =
        Named(new QPushButton(QStringLiteral("Send"), CustomTabSheet), "SendStringButton");
    SendStringButton->setGeometry(448, 23, 75, 26);
    connect(SendStringButton, &QPushButton::clicked, this, &TMainForm::SendStringButtonClick);
    SendStringCombo->installEventFilter(
        new EnterFilter(SendStringCombo, [this] { SendStringButtonClick(); }));
}

void TMainForm::BuildMenus()
{
    const auto item = [this](QMenu* menu, const char* name, const QString& caption) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QLatin1String(name));
        return a;
    };
    const auto check = [&](QMenu* menu, const char* name, const QString& caption, bool on) {
        QAction* a = item(menu, name, caption);
        a->setCheckable(true);
        a->setChecked(on);
        return a;
    };
    QMenuBar* bar = menuBar();

    FileMenu = Named(bar->addMenu(QStringLiteral("&File")), "FileMenu");
    FileNewItem = item(FileMenu, "FileNewItem", QStringLiteral("&New"));
    FileOpenItem = item(FileMenu, "FileOpenItem", QStringLiteral("&Open..."));
    FileSaveItem = item(FileMenu, "FileSaveItem", QStringLiteral("&Save"));
    FileSaveAsItem = item(FileMenu, "FileSaveAsItem", QStringLiteral("Save &As..."));
    FileMenu->addSeparator();
    ProcessLogFileItem = item(FileMenu, "ProcessLogFileItem", QStringLiteral("Process Log File"));
    ExecuteFile1 = item(FileMenu, "ExecuteFile1", QStringLiteral("Execute File..."));
    FileMenu->addSeparator();
    FilePrintItem = item(FileMenu, "FilePrintItem", QStringLiteral("&Print"));
    FilePrintSetupItem = item(FileMenu, "FilePrintSetupItem", QStringLiteral("P&rint Setup..."));
    FileMenu->addSeparator();
    FileExitItem = item(FileMenu, "FileExitItem", QStringLiteral("E&xit"));
    connect(FileExitItem, &QAction::triggered, this, &QWidget::close);

    TarvinMenu = Named(bar->addMenu(QStringLiteral("Tarvin")), "TarvinMenu");
    ConnecttoPCIItem =
        check(TarvinMenu, "ConnecttoPCIItem", QStringLiteral("Connect to Tarvin"), false);
    TarvinMenu->addSeparator();
    SetMode1 = item(TarvinMenu, "SetMode1", QStringLiteral("Set Mode"));
    SetModeofOtherPCIItem =
        item(TarvinMenu, "SetModeofOtherPCIItem", QStringLiteral("Set Mode of Other PCI"));
    InstallationMMIItem =
        item(TarvinMenu, "InstallationMMIItem", QStringLiteral("Installation MMI"));
    ApplicationMMIItem = item(TarvinMenu, "ApplicationMMIItem", QStringLiteral("Application MMI"));
    LevelMMIItem = item(TarvinMenu, "LevelMMIItem", QStringLiteral("Level MMI"));
    IdentifyItem = item(TarvinMenu, "IdentifyItem", QStringLiteral("Identify"));
    IdentifyAllItem = item(TarvinMenu, "IdentifyAllItem", QStringLiteral("Identify All Units"));
    GetUnitVoltagesItem =
        item(TarvinMenu, "GetUnitVoltagesItem", QStringLiteral("Get Unit Voltages"));
    GetPCIDataItem = item(TarvinMenu, "GetPCIDataItem", QStringLiteral("Get PCI Data"));
    AnalyserItem = item(TarvinMenu, "AnalyserItem", QStringLiteral("Traffic Analyser"));
    GetEEPROMDataItem = item(TarvinMenu, "GetEEPROMDataItem", QStringLiteral("Get EEPROM Data"));
    GetEEPROMDataItem->setVisible(false);
    TarvinMenu->addSeparator();
    InterpretCommand1 =
        item(TarvinMenu, "InterpretCommand1", QStringLiteral("Interpret Command..."));
    TarvinMenu->addSeparator();
    UnitType1Menu = Named(TarvinMenu->addMenu(QStringLiteral("Unit Type")), "UnitType1Menu");
    UnitType1 = Named(UnitType1Menu->menuAction(), "UnitType1");
    ReadUnitTypeItem = item(UnitType1Menu, "ReadUnitTypeItem", QStringLiteral("Read"));
    SetUnitTypeItem = item(UnitType1Menu, "SetUnitTypeItem", QStringLiteral("Set..."));
    connect(ConnecttoPCIItem, &QAction::triggered, this, [this] {
        // The check mark follows the connection, not the click.
        ConnecttoPCIItem->setChecked(!ConnecttoPCIItem->isChecked());
        ConnecttoPCIItemClick();
    });
    connect(GetPCIDataItem, &QAction::triggered, this, &TMainForm::PCIDataButtonClick);
    connect(InterpretCommand1, &QAction::triggered, this, &TMainForm::InterpretCommand1Click);

    OptionsMenu = Named(bar->addMenu(QStringLiteral("Options")), "OptionsMenu");
    ProgramOptions1 = item(OptionsMenu, "ProgramOptions1", QStringLiteral("Program Options..."));
    OptionsMenu->addSeparator();
    ClearLists1 = item(OptionsMenu, "ClearLists1", QStringLiteral("Clear Lists"));
    ShowASCIIItem = check(OptionsMenu, "ShowASCIIItem", QStringLiteral("Show ASCII"), false);
    ShowDecodedMessageItem =
        check(OptionsMenu, "ShowDecodedMessageItem", QStringLiteral("Show Decoded Message"), true);
    LogCommandsItem = check(OptionsMenu, "LogCommandsItem", QStringLiteral("Log Commands"), false);
    HexadecimalNumbersItem =
        check(OptionsMenu, "HexadecimalNumbersItem", QStringLiteral("Hexadecimal Numbers"), true);
    ShowTimeItem = check(OptionsMenu, "ShowTimeItem", QStringLiteral("Show Time"), false);
    UseAcknowledgementCharactersItem =
        check(OptionsMenu, "UseAcknowledgementCharactersItem",
              QStringLiteral("Use Acknowledgement Characters"), false);
    OptionsMenu->addSeparator();
    UserButtonsItem =
        item(OptionsMenu, "UserButtonsItem", QStringLiteral("User Button Properties..."));
    AssignCommandto1Menu =
        Named(OptionsMenu->addMenu(QStringLiteral("Assign Lighting Command to User Button")),
              "AssignCommandto1Menu");
    AssignCommandto1 = Named(AssignCommandto1Menu->menuAction(), "AssignCommandto1");
    for (int n = 1; n <= 9; ++n) {
        QAction* a = AssignCommandto1Menu->addAction(QStringLiteral("User %1").arg(n));
        a->setObjectName(QStringLiteral("AssignCommandto%1Item").arg(n));
        AssignItems.push_back(a);
    }
    EnableDebugItem = item(OptionsMenu, "EnableDebugItem", QStringLiteral("Enable Debug"));
    EnableDebugItem->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D));
    EnableDebugItem->setVisible(false);
    // A hidden menu item's shortcut does not fire; the window carries it.
    auto* debugShortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D), this);
    debugShortcut->setObjectName(QStringLiteral("EnableDebugShortcut"));
    connect(debugShortcut, &QShortcut::activated, this, &TMainForm::EnableDebugItemClick);
    connect(EnableDebugItem, &QAction::triggered, this, &TMainForm::EnableDebugItemClick);
    connect(ClearLists1, &QAction::triggered, this, &TMainForm::ClearSpeedButtonClick);
    connect(ShowASCIIItem, &QAction::toggled, this, [this](bool on) {
        m_settings.showAscii = on;
        m_link->setShowAscii(on);
    });
    connect(ShowDecodedMessageItem, &QAction::toggled, this,
            [this](bool on) { m_state.showDecodedMessage = on; });
    connect(LogCommandsItem, &QAction::triggered, this, [this] {
        LogCommandsItem->setChecked(!LogCommandsItem->isChecked());
        LogCommandsItemClick();
    });
    connect(HexadecimalNumbersItem, &QAction::toggled, this, [this](bool on) {
        m_settings.hexNumbers = on;
        UpdateAllCombos();
    });
    connect(ShowTimeItem, &QAction::toggled, this, [this](bool on) { m_settings.showTime = on; });
    connect(UseAcknowledgementCharactersItem, &QAction::toggled, this, [this](bool on) {
        m_settings.ackChar = on;
        m_link->setUseAcknowledgement(on);
    });

    HelpMenu = Named(bar->addMenu(QStringLiteral("&Help")), "HelpMenu");
    HelpContentsItem = item(HelpMenu, "HelpContentsItem", QStringLiteral("&Contents"));
    HelpSearchItem = item(HelpMenu, "HelpSearchItem", QStringLiteral("&Search for Help On..."));
    HelpHowToUseItem = item(HelpMenu, "HelpHowToUseItem", QStringLiteral("&How to Use Help"));
    HelpMenu->addSeparator();
    WhatsNew1 = item(HelpMenu, "WhatsNew1", QStringLiteral("Whats New"));
    ApplicationSupportItem =
        item(HelpMenu, "ApplicationSupportItem", QStringLiteral("Application Support..."));
    HelpAboutItem = item(HelpMenu, "HelpAboutItem", QStringLiteral("&About..."));
    connect(ApplicationSupportItem, &QAction::triggered, this,
            &TMainForm::ApplicationSupportItemClick);
    connect(HelpContentsItem, &QAction::triggered, this, [this] { ShowHelp(0); });
    connect(HelpSearchItem, &QAction::triggered, this, [this] {
        ShowHelp(0);
        m_help->showSearch(QString());
    });
    connect(HelpHowToUseItem, &QAction::triggered, this, [this] {
        ShowHelp(0);
        m_help->showHelpOnHelp();
    });
    connect(HelpAboutItem, &QAction::triggered, this, [this] {
        m_prompter->message(this, Prompter::Icon::Information,
                            kTitle + QStringLiteral("\rVersion ") +
                                QCoreApplication::applicationVersion() +
                                QStringLiteral("\rA workbench for installers and developers of "
                                               "products on the Tarvin field bus."));
    });
    connect(WhatsNew1, &QAction::triggered, this, [this] {
        m_prompter->message(this, Prompter::Icon::Information,
                            QStringLiteral("Version 1.0\rConnection to a PCI on a serial port or a "
                                           "Socketbox over TCP; the Tx/Rx log with time stamps; "
                                           "command framing with checksums and acknowledgement "
                                           "characters.\rUser buttons with data files, the "
                                           "command log, scripts made from it, printing of the "
                                           "log, and help pages with a keyword search."));
    });

    PopupMenu1 = Named(new QMenu(this), "PopupMenu1");
    EditProperties1 = item(PopupMenu1, "EditProperties1", QStringLiteral("Edit Properties..."));
    for (QPushButton* b : UserButtons)
        connect(b, &QWidget::customContextMenuRequested, this,
                [this, b](const QPoint& at) { PopupMenu1->popup(b->mapToGlobal(at)); });

    PopupMenu2 = Named(new QMenu(this), "PopupMenu2");
    QMenu* assign = PopupMenu2->addMenu(QStringLiteral("Assign to User Button"));
    AssigntoUserButton1 = Named(assign->menuAction(), "AssigntoUserButton1");
    for (int n = 1; n <= 9; ++n) {
        QAction* a = assign->addAction(QStringLiteral("User %1").arg(n));
        a->setObjectName(QStringLiteral("PopupAssign%1Item").arg(n));
        PopupAssignItems.push_back(a);
    }
}

void TMainForm::ConnectShell()
{
    m_userButtons = new UserButtonSlots(*this);
    m_optionsForm = new TOptionsForm(*this);
    if (auto* lighting = qobject_cast<LightingTab*>(LightingTabSheet))
        m_userButtons->setLightingCommandSource(
            [lighting] { return lighting->GetTarvinCommandString(); },
            [lighting] { return lighting->GetTarvinCommandDescription(); });

    ShellFiles* files = m_shellFiles;
    connect(FileNewItem, &QAction::triggered, files, &ShellFiles::FileNew);
    connect(FileOpenItem, &QAction::triggered, files, &ShellFiles::FileOpen);
    connect(FileSaveItem, &QAction::triggered, files, &ShellFiles::FileSave);
    connect(FileSaveAsItem, &QAction::triggered, files, &ShellFiles::FileSaveAs);
    connect(SpeedButton1, &QToolButton::clicked, files, &ShellFiles::FileNew);
    connect(SpeedButton2, &QToolButton::clicked, files, &ShellFiles::FileOpen);
    connect(SpeedButton3, &QToolButton::clicked, files, &ShellFiles::FileSave);
    connect(ProcessLogFileItem, &QAction::triggered, files, &ShellFiles::ProcessLogFileItemClick);
    connect(ExecuteFile1, &QAction::triggered, files, &ShellFiles::ExecuteFile1Click);
    connect(FilePrintItem, &QAction::triggered, files, &ShellFiles::FilePrint);
    connect(FilePrintSetupItem, &QAction::triggered, files, &ShellFiles::FilePrintSetup);
    connect(ProgramOptions1, &QAction::triggered, this, &TMainForm::ProgramOptions1Click);
}

void TMainForm::ProgramOptions1Click()
{
    runDialog(*m_optionsForm);
}

void TMainForm::AssignToButton(int slot, const QByteArray& command, const QString& caption)
{
    m_userButtons->AssignToButton(slot, command, caption);
}

int TMainForm::runDialog(QDialog& dialog)
{
    if (m_dialogRunner)
        return m_dialogRunner(dialog);
    return dialog.exec();
}

void TMainForm::FormCreate()
{
    // The log display switch is set and the decoded-message flag cleared,
    // until the restricted surface below turns it on again.
    m_state.logDisplay = true;
    m_state.showDecodedMessage = false;
    PageControl1->setCurrentIndex(0);
    m_state.interfaceOptions = 0;
    m_state.pciOptionByte = 0;
    m_link->ack().reset();

    // The restricted surface.
    for (QWidget* page :
         {TelephonyMasterTabSheet, TelephonySlaveTabSheet, SecurityMasterTabSheet,
          SecuritySlaveTabSheet, TimeTabSheet, MeasurementTabSheet, CALTabSheet, CustomTabSheet})
        PageControl1->setTabVisible(PageControl1->indexOf(page), false);
    Panel1->hide();
    Panel2->hide();
    SpeedButton1->hide();
    SpeedButton2->hide();
    SpeedButton3->hide();
    ClearSpeedButton->move(8, ClearSpeedButton->y());
    SpeedButton6->move(ClearSpeedButton->x() + ClearSpeedButton->width() - 1, SpeedButton6->y());
    TransmitHeaderPanel->hide();
    for (QAction* a : {UnitType1, FileNewItem, FileOpenItem, FileSaveItem, FileSaveAsItem,
                       ExecuteFile1, ProcessLogFileItem, UserButtonsItem, AssignCommandto1,
                       ShowDecodedMessageItem, InterpretCommand1, ShowASCIIItem})
        a->setVisible(false);

    m_settings.combineLists = true;
    m_settings.showMessage = true;
    m_state.showDecodedMessage = true;
    setWindowTitle(kTitle);
    EnableItems();
}

void TMainForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    if (m_shellFiles->FormCloseQuery())
        event->accept();
    else
        event->ignore();
}

void TMainForm::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    SetLists();
}

void TMainForm::FormShow()
{
    ReadSettingsStore(m_settings);
    // The check marks carry these switches; setting them runs their handlers.
    HexadecimalNumbersItem->setChecked(m_settings.hexNumbers);
    UpdateAllCombos();
    ShowTimeItem->setChecked(m_settings.showTime);
    UseAcknowledgementCharactersItem->setChecked(m_settings.ackChar);
    m_link->setUseAcknowledgement(m_settings.ackChar);
    SetLists();
    SetDecodeOptions();
    if (!m_arguments.isEmpty() && m_arguments.first() == QLatin1String("/enabledebug"))
        EnableDebugItemClick();
}

void TMainForm::FormDestroy()
{
    m_settings.showAscii = ShowASCIIItem->isChecked();
    m_settings.showDecodedMessage = ShowDecodedMessageItem->isChecked();
    m_settings.hexNumbers = HexadecimalNumbersItem->isChecked();
    m_settings.showTime = ShowTimeItem->isChecked();
    m_settings.ackChar = UseAcknowledgementCharactersItem->isChecked();
    WriteSettingsStore(m_settings);
    CloseComms();
    if (m_commandLog)
        m_commandLog->close();
}

// ---------------------------------------------------------------------------
// Shell

void TMainForm::SetLists()
{
    if (!TransmitHeaderPanel)
        return;
    if (m_settings.combineLists) {
        TransmitHeaderPanel->setText(QStringLiteral("Transmit and Receive Data"));
        ReceivePanel->hide();
        Splitter1->setSizes({Splitter1->width(), 1});
    } else {
        TransmitHeaderPanel->setText(QStringLiteral("Transmit Data"));
        ReceivePanel->show();
        const int receiveWidth = width() * 2 / 3;
        Splitter1->setSizes({std::max(1, Splitter1->width() - receiveWidth - 3), receiveWidth});
    }
}

void TMainForm::SetDecodeOptions()
{
    m_decodeOptions = m_settings.decodeOptions();
}

bool TMainForm::hexNumbers() const
{
    // The pages fill their lists before the menus exist; until then the
    // switch has its design state (checked). FormShow redraws every list.
    return HexadecimalNumbersItem ? HexadecimalNumbersItem->isChecked() : true;
}

DecodeContext TMainForm::decodeContext() const
{
    DecodeContext context;
    context.hexNumbers = hexNumbers();
    context.interfaceOptions = m_state.interfaceOptions;
    return context;
}

QString TMainForm::NumberString(long long n) const
{
    return Latin1(tarvin::NumberString(n, hexNumbers()));
}

long long TMainForm::StringToNumber(const QString& text) const
{
    return tarvin::StringToNumber(text.toLatin1().toStdString(), hexNumbers());
}

void TMainForm::FillCombo(QComboBox* combo, int index)
{
    QStringList items;
    items.reserve(256);
    for (int n = 0; n <= 255; ++n)
        items << NumberString(n);
    combo->addItems(items);
    combo->setCurrentIndex(index);
}

void TMainForm::ReFillCombo(QComboBox* combo)
{
    const int index = combo->currentIndex();
    const QSignalBlocker quiet(combo);
    combo->clear();
    FillCombo(combo, index);
}

void TMainForm::addNumberedList(QComboBox* combo, int index)
{
    m_numberedLists.push_back(combo);
    FillCombo(combo, index);
}

void TMainForm::UpdateAllCombos()
{
    for (QComboBox* combo : m_numberedLists)
        ReFillCombo(combo);
    if (m_fillLevelCombo)
        m_fillLevelCombo();
}

void TMainForm::EnableItems()
{
    const bool c = m_state.connected;
    for (QAction* a : {ExecuteFile1, InstallationMMIItem, ApplicationMMIItem, IdentifyItem,
                       IdentifyAllItem, SetMode1, SetModeofOtherPCIItem, GetPCIDataItem, UnitType1,
                       GetUnitVoltagesItem, AnalyserItem, GetEEPROMDataItem})
        a->setEnabled(c);
    const bool level = c && m_state.firmwareVersion >= 0x400;
    LevelMMIItem->setEnabled(level);
    for (QWidget* panel : {Panel1, Panel2})
        for (QWidget* w : panel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            w->setEnabled(c);
    LevelMMIButton->setEnabled(level);
    for (int i = 0; i < PageControl1->count(); ++i) {
        for (QWidget* w :
             PageControl1->widget(i)->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            w->setEnabled(c);
            if (qobject_cast<QGroupBox*>(w))
                for (QWidget* inner : w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                    inner->setEnabled(c);
        }
    }
}

void TMainForm::EnableDebugItemClick()
{
    for (const char* name : {"Label18", "StoreDataEdit", "UnlockButton", "StoreButton"})
        if (auto* w = findChild<QWidget*>(QLatin1String(name)))
            w->setVisible(true);
    ShowASCIIItem->setVisible(true);
    AnalyserItem->setVisible(true);
    GetEEPROMDataItem->setVisible(true);
    m_state.debugMode = true;
}

void TMainForm::ClearSpeedButtonClick()
{
    TransmitMemo->clear();
    ReceiveMemo->clear();
}

void TMainForm::ShowHelp(int context)
{
    if (!m_help)
        m_help = new HelpWindow(this);
    // A modal dialog blocks every window but its own: help asked for from
    // one is shown modal above it, so it can be read, scrolled and closed,
    // and the dialog is usable again once it is.
    QWidget* modal = QApplication::activeModalWidget();
    const Qt::WindowModality wanted =
        modal && modal != m_help ? Qt::ApplicationModal : Qt::NonModal;
    if (m_help->windowModality() != wanted) {
        m_help->hide();
        m_help->setWindowModality(wanted);
    }
    m_help->showContext(context);
}

QString TMainForm::dataFolder() const
{
    const QString chosen = qEnvironmentVariable("TARVIN_DATA_DIR");
    if (!chosen.isEmpty()) {
        QDir().mkpath(chosen);
        return chosen;
    }
    const QString beside = QCoreApplication::applicationDirPath();
    if (QFileInfo(beside).isWritable())
        return beside;
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(data);
    return data;
}

// ---------------------------------------------------------------------------
// Link

bool TMainForm::CommsOpen() const
{
    return m_link->CommsOpen();
}

QString TMainForm::SocketboxName() const
{
    return QStringLiteral("IP Address %1, Port %2")
        .arg(Latin1(m_settings.ipAddress))
        .arg(m_settings.port);
}

bool TMainForm::OpenComms()
{
    // Stored settings that cannot work (edited by hand, or from an older
    // version) are named, not tried: a port outside 16 bits would wrap.
    if (m_settings.usesTcp() &&
        (m_settings.ipAddress.empty() || m_settings.port < 1 || m_settings.port > 65535)) {
        m_prompter->message(this, Prompter::Icon::Error,
                            QStringLiteral("Cannot connect to the Socketbox at %1: set its IP "
                                           "address and a port from 1 to 65535 in Program Options.")
                                .arg(SocketboxName()));
        return false;
    }
    QString error;
    if (m_link->OpenComms(&error))
        return true;
    const QStringList ports = ListedSerialPorts();
    m_prompter->message(
        this, Prompter::Icon::Error,
        QStringLiteral("Cannot open serial port %1: %2\r").arg(Latin1(m_settings.comPort), error) +
            (ports.isEmpty() ? QStringLiteral("This computer lists no serial ports.")
                             : QStringLiteral("Serial ports on this computer: ") +
                                   ports.join(QStringLiteral(", "))));
    return false;
}

void TMainForm::CloseComms()
{
    m_link->CloseComms();
}

void TMainForm::SendString(const QByteArray& text)
{
    m_link->SendString(text);
}

void TMainForm::SetFlowControl(bool on)
{
    m_link->SetFlowControl(on);
}

void TMainForm::Delay(double seconds)
{
    m_link->Delay(seconds);
}

void TMainForm::ConnecttoPCIItemClick()
{
    // A second click while the handshake waits is ignored; the first one
    // finishes within its 3 s.
    if (m_connecting)
        return;
    m_state.connected = false;
    if (ConnecttoPCIItem->isChecked()) {
        ConnecttoPCIItem->setChecked(false);
        CloseComms();
        EnableItems();
        return;
    }
    m_connecting = true;
    if (!OpenComms()) {
        m_connecting = false;
        EnableItems();
        return;
    }
    ConnecttoPCIItem->setChecked(true);
    SendTarvinString("~~~", QStringLiteral("Set Basic Mode"));
    const bool answered = m_link->waiter().waitUntil([this] { return m_state.connected; }, 3000);
    m_connecting = false;
    if (answered && CommsOpen()) {
        PCIDataButtonClick();
        ClearSpeedButtonClick();
        EnableItems();
        return;
    }
    m_state.connected = false;
    const QString text =
        m_settings.usesTcp()
            ? QStringLiteral("Socketbox not found at ") + SocketboxName()
            : QStringLiteral("PCI Not Found on Serial Port ") + Latin1(m_settings.comPort);
    ConnecttoPCIItem->setChecked(false);
    CloseComms();
    EnableItems();
    m_prompter->message(this, Prompter::Icon::Error, text);
}

void TMainForm::ResetPCI()
{
    m_link->SendModeSequence(kBasicMode);
}

void TMainForm::SetSmartMode()
{
    m_link->SendModeSequence(kSmartMode);
}

void TMainForm::SetDefaultMode()
{
    m_link->SendModeSequence(kDefaultMode);
    m_state.allMonitor = false;
}

void TMainForm::DefaultModeButtonClick()
{
    ResetPCI();
    SetFlowControl(false);
}

void TMainForm::SmartButtonClick()
{
    SetSmartMode();
    SetFlowControl(false);
}

void TMainForm::StandardButtonClick()
{
    SetDefaultMode();
    SetFlowControl(false);
}

void TMainForm::PCIDataButtonClick()
{
    m_diagnostics->PCIDataButtonClick();
}

void TMainForm::ClientSocket1Error(int code, const QString& text)
{
    // Straight into the pane: no time stamp, not in the command log.
    AddToPane(TransmitMemo, QStringLiteral("Socketbox Socket Error : %1").arg(code));
    if (m_connecting)
        return; // the handshake reports a link that does not come up
    m_prompter->message(this, Prompter::Icon::Error, text);
}

// ---------------------------------------------------------------------------
// Log

QString TMainForm::TimeStampText() const
{
    const QDateTime now = m_clock();
    const QTime t = now.time();
    const std::string date =
        m_settings.showDate
            ? QLocale::system().toString(now.date(), QLocale::ShortFormat).toLatin1().toStdString()
            : std::string();
    return Latin1(tarvin::TimeStampText({t.hour(), t.minute(), t.second(), t.msec()},
                                        m_settings.timeDP, date));
}

void TMainForm::AddToPane(QPlainTextEdit* pane, const QString& line)
{
    // appendPlainText drops the oldest lines beyond the pane's block limit.
    pane->appendPlainText(line);
    pane->verticalScrollBar()->setValue(pane->verticalScrollBar()->maximum());
}

void TMainForm::DisplaySerialString(int direction, const QString& text)
{
    if (!m_state.logDisplay)
        return;
    const Direction dir = direction == 1 ? Direction::Transmitted : Direction::Received;
    const std::string stamp =
        m_settings.showTime ? TimeStampText().toLatin1().toStdString() : std::string();
    const std::string body = text.toLatin1().toStdString();
    const QString line = Latin1(PaneLine(dir, body, m_settings.combineLists, stamp));
    AddToPane((direction == 1 || m_settings.combineLists) ? TransmitMemo : ReceiveMemo, line);
    if (LogCommandsItem->isChecked())
        WriteCommandLog(Latin1(CommandLogLine(dir, body, stamp)));
}

void TMainForm::ReceiveLine(const ReceivedLine& line)
{
    if (!m_state.allMonitor && m_state.showDecodedMessage) {
        const std::string description =
            m_decoder.DecodeMessage(line.part, m_decodeOptions, decodeContext());
        if (!description.empty())
            DisplaySerialString(2, Latin1(description));
    }
    if (m_state.allMonitor)
        m_interfaceTools->CountAnalyserMessage(line.part);
    if (m_state.mmiMode != 0)
        m_diagnostics->CollectMMIReply(line.part);
}

void TMainForm::SendStringButtonClick()
{
    const QString text = SendStringCombo->currentText();
    SendTarvinCommand(text.toLatin1());
    if (!text.isEmpty() && SendStringCombo->findText(text, Qt::MatchFixedString) < 0)
        SendStringCombo->insertItem(0, text);
    SendStringCombo->setEditText(text);
}

// ---------------------------------------------------------------------------
// Framing

void TMainForm::SendTarvinCommand(const QByteArray& text)
{
    m_link->SendTarvinCommand(text);
}

void TMainForm::SendTarvinString(const QByteArray& line, const QString& description)
{
    m_link->SendTarvinString(line, description);
}

QByteArray TMainForm::HeaderOrRefusal(const std::optional<std::string>& header)
{
    if (!header) {
        m_prompter->message(this, Prompter::Icon::Error,
                            QStringLiteral("Invalid Remote Network Path."));
        return {};
    }
    return QByteArray::fromStdString(*header);
}

QByteArray TMainForm::SALHeader(int application)
{
    return HeaderOrRefusal(tarvin::SALHeader(application, RemoteNetworkCheckBox->isChecked(),
                                             NetworkPathEdit->text().toLatin1().toStdString()));
}

QByteArray TMainForm::CALHeaderForUnit(int unit)
{
    return HeaderOrRefusal(
        tarvin::CALHeaderForUnit(unit, RemoteNetworkCheckBox->isChecked(),
                                 NetworkPathEdit->text().toLatin1().toStdString()));
}

int TMainForm::GetNetworkPathLength() const
{
    return tarvin::GetNetworkPathLength(RemoteNetworkCheckBox->isChecked(),
                                        NetworkPathEdit->text().toLatin1().toStdString());
}

void TMainForm::RemoteNetworkCheckBoxClick()
{
    const bool on = RemoteNetworkCheckBox->isChecked();
    NetworkPathEdit->setEnabled(on);
    NetworkPathLabel->setEnabled(on);
}

QByteArray TMainForm::SendCALGetResponse(const QByteArray& command, const QByteArray& pattern,
                                         int seconds, int tries)
{
    return m_link->SendCALGetResponse(command, pattern, seconds, tries);
}

// ---------------------------------------------------------------------------
// The decoder in front of the user

void TMainForm::InterpretCommand1Click()
{
    bool ok = false;
    const QString typed = m_prompter->inputText(this, QStringLiteral("Interpret Command"),
                                                QStringLiteral("Command :"), QString(), &ok);
    if (!ok)
        return;
    const std::string text =
        InterpretCommandText(typed.toLatin1().toStdString(), decodeContext(), m_decoder);
    if (!text.empty())
        m_prompter->message(this, Prompter::Icon::Information, Latin1(text));
}

void TMainForm::ApplicationSupportItemClick()
{
    m_prompter->message(this, Prompter::Icon::Information,
                        Latin1(ApplicationSupportText(hexNumbers())));
}

// ---------------------------------------------------------------------------
// Command log

void TMainForm::LogCommandsItemClick()
{
    LogCommandsItem->setChecked(!LogCommandsItem->isChecked());
    if (!LogCommandsItem->isChecked()) {
        closeCommandLog();
        return;
    }
    if (!openCommandLog(false)) {
        LogCommandsItem->setChecked(false);
        return;
    }
    statusBar()->showMessage(
        QStringLiteral("Logging commands to ") + QDir::toNativeSeparators(commandLogPath()), 10000);
}

QString TMainForm::commandLogPath() const
{
    return QDir(dataFolder()).filePath(QStringLiteral("log.txt"));
}

bool TMainForm::openCommandLog(bool append)
{
    const QString path = commandLogPath();
    auto file = std::make_unique<QFile>(path);
    const auto mode = QIODevice::WriteOnly | (append ? QIODevice::Append : QIODevice::Truncate);
    if (!file->open(mode)) {
        m_prompter->message(this, Prompter::Icon::Error,
                            QStringLiteral("Cannot open the command log %1: %2")
                                .arg(QDir::toNativeSeparators(path), file->errorString()));
        return false;
    }
    m_commandLog = std::move(file);
    return true;
}

void TMainForm::closeCommandLog()
{
    m_commandLog.reset();
}

void TMainForm::WriteCommandLog(const QString& line)
{
    if (!m_commandLog)
        return;
    m_commandLog->write(line.toLatin1() + "\r\n");
    m_commandLog->flush();
}

} // namespace tarvin
