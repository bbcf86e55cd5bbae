// The main window's widgets, menus and status bar.

#include "gui/app/main_form.h"

#include "core/decode/hex.h"
#include "core/decode/interpret.h"
#include "core/link/framing.h"
#include "core/link/log_text.h"
#include "gui/app/help_window.h"
#include "gui/app/options_form.h"
#include "gui/app/shell_files.h"
#include "gui/app/user_buttons.h"
#include "gui/compose/cal_tab.h"
#include "gui/compose/control_tab.h"
#include "gui/compose/lighting_tab.h"
#include "gui/compose/measurement_tab.h"
#include "gui/compose/security_master_tab.h"
#include "gui/compose/security_slave_tab.h"
#include "gui/compose/tab_support.h"
#include "gui/compose/telephony_master_tab.h"
#include "gui/compose/telephony_slave_tab.h"
#include "gui/compose/time_tab.h"
#include "gui/diagnostics/diagnostics.h"
#include "gui/diagnostics/interface_tools.h"
#include "gui/widgets/log_highlighter.h"
#include "gui/widgets/prompter.h"
#include "gui/widgets/tool_icons.h"
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
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
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

namespace {

using tabs::Named;

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

// ---------------------------------------------------------------------------
// Construction

void TMainForm::BuildToolBar()
{
    SpeedBar = Named(new QWidget(centralWidget()), "SpeedBar");
    SpeedBar->setFixedHeight(33);
    const auto button = [this](const char* name, const QString& hint, const QIcon& icon, int left) {
        auto* b = Named(new QToolButton(SpeedBar), name);
        b->setIcon(icon);
        b->setToolTip(hint);
        b->setAutoRaise(true);
        b->setGeometry(left, 4, 25, 25);
        return b;
    };
    SpeedButton1 = button("SpeedButton1", QStringLiteral("New"), toolicons::New(), 8);
    SpeedButton2 = button("SpeedButton2", QStringLiteral("Open"), toolicons::Open(), 32);
    SpeedButton3 = button("SpeedButton3", QStringLiteral("Save"), toolicons::Save(), 56);
    ClearSpeedButton =
        button("ClearSpeedButton", QStringLiteral("Clear Lists"), toolicons::Clear(), 88);
    SpeedButton6 = button("SpeedButton6", QStringLiteral("Help Contents"), toolicons::Help(), 112);
    RemoteNetworkCheckBox =
        Named(new QCheckBox(QStringLiteral("Remote Network"), SpeedBar), "RemoteNetworkCheckBox");
    RemoteNetworkCheckBox->setGeometry(160, 7, 120, 20);
    NetworkPathLabel = Named(new QLabel(QStringLiteral("Path"), SpeedBar), "NetworkPathLabel");
    NetworkPathLabel->setGeometry(288, 8, 30, 18);
    NetworkPathEdit = Named(new QLineEdit(SpeedBar), "NetworkPathEdit");
    NetworkPathEdit->setGeometry(320, 5, 120, 22);
    NetworkPathLabel->setEnabled(false);
    NetworkPathEdit->setEnabled(false);
    // Recording has nothing to do with the path: it stands apart, after a rule.
    auto* rule = new QFrame(SpeedBar);
    rule->setFrameShape(QFrame::VLine);
    rule->setFrameShadow(QFrame::Sunken);
    rule->setGeometry(452, 6, 2, 21);
    RecordCaptureButton = button("RecordCaptureButton",
                                 QStringLiteral("Record Capture: write every line sent and "
                                                "received to a capture file, until clicked again"),
                                 toolicons::Record(), 464);
    RecordCaptureButton->setCheckable(true);

    connect(ClearSpeedButton, &QToolButton::clicked, this, &TMainForm::ClearSpeedButtonClick);
    connect(SpeedButton6, &QToolButton::clicked, this, [this] { ShowHelp(0); });
    connect(RemoteNetworkCheckBox, &QCheckBox::clicked, this,
            &TMainForm::RemoteNetworkCheckBoxClick);
    connect(NetworkPathEdit, &QLineEdit::textChanged, this, [this](const QString& path) {
        m_session->setRemotePath(RemoteNetworkCheckBox->isChecked(), path);
    });
}

void TMainForm::BuildLogArea()
{
    Splitter1 = Named(new QSplitter(Qt::Horizontal, centralWidget()), "Splitter1");
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
        // Reached with Tab or Ctrl+L; arrows and Shift select, Ctrl+C copies.
        memo->setFocusPolicy(Qt::StrongFocus);
        memo->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        memo->setMaximumBlockCount(kPaneLines);
        memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        memo->setLineWrapMode(QPlainTextEdit::NoWrap);
        // Log lines are plain Latin text: laid out without kerning they need
        // no shaping, most of what a new line costs.
        QFont plain = memo->font();
        plain.setStyleStrategy(QFont::PreferNoShaping);
        memo->setFont(plain);
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
    connect(Splitter1, &QSplitter::splitterMoved, this, [this] {
        const QList<int> sizes = Splitter1->sizes();
        if (ReceivePanel->isVisible() && sizes.value(0) + sizes.value(1) > 0)
            m_receiveShare = double(sizes.value(1)) / (sizes.value(0) + sizes.value(1));
    });
}

void TMainForm::BuildButtonBars()
{
    Panel1 = Named(new QWidget(centralWidget()), "Panel1");
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

    Panel2 = Named(new QWidget(centralWidget()), "Panel2");
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
    PageControl1 = Named(new QTabWidget(centralWidget()), "PageControl1");
    PageControl1->setTabPosition(QTabWidget::South);
    // The pages place their controls at fixed positions inside group boxes:
    // the title sits on the frame line, so the first row clears it.
    PageControl1->setStyleSheet(QStringLiteral(
        "QWidget { font: 8pt \"Arial\"; }"
        "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 6px; }"
        "QGroupBox::title { subcontrol-origin: margin; left: 6px; padding: 0 2px; }"));
    PageControl1->setFixedHeight(154);
    // With every page shown, a narrow window scrolls the tabs, never cuts them.
    PageControl1->setUsesScrollButtons(true);
    PageControl1->setElideMode(Qt::ElideNone);
    const auto page = [this](QWidget* w, const char* name, const QString& caption) {
        w->setObjectName(QLatin1String(name));
        PageControl1->addTab(w, caption);
        return w;
    };
    // The pages stand on the session; the window lends them its prompter,
    // its assign menu (built after the pages, so looked up when asked for;
    // its items assign the Lighting page's command) and its Show ASCII switch.
    Session& session = *m_session;
    Prompter& prompter = *m_prompter;
    const tabs::AssignMenu assignMenu = [this](const QPoint& at) {
        if (PopupMenu2)
            PopupMenu2->popup(at);
    };
    const auto showAscii = [this] { ShowASCIIItem->setChecked(true); };
    LightingTabSheet = page(new LightingTab(session, prompter, assignMenu, PageControl1),
                            "LightingTabSheet", QStringLiteral("Lighting"));
    ControlTabSheet = page(new ControlTab(session, assignMenu, PageControl1), "ControlTabSheet",
                           QStringLiteral("Control"));
    TelephonyMasterTabSheet = page(new TelephonyMasterTab(session, prompter, PageControl1),
                                   "TelephonyMasterTabSheet", QStringLiteral("Telephony Master"));
    TelephonySlaveTabSheet = page(new TelephonySlaveTab(session, prompter, PageControl1),
                                  "TelephonySlaveTabSheet", QStringLiteral("Telephony Slave"));
    SecurityMasterTabSheet = page(new SecurityMasterTab(session, prompter, PageControl1),
                                  "SecurityMasterTabSheet", QStringLiteral("Security Master"));
    SecuritySlaveTabSheet = page(new SecuritySlaveTab(session, prompter, PageControl1),
                                 "SecuritySlaveTabSheet", QStringLiteral("Security Slave"));
    MeasurementTabSheet = page(new MeasurementTab(session, prompter, PageControl1),
                               "MeasurementTabSheet", QStringLiteral("Measurement"));
    TimeTabSheet = page(new TimeTab(session, PageControl1), "TimeTabSheet", QStringLiteral("Time"));
    CALTabSheet = page(new CALTab(session, prompter, showAscii, PageControl1), "CALTabSheet",
                       QStringLiteral("CAL"));
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
    // Controls at fixed positions: each page asks for the width they take,
    // so that no style's frames or system's fonts make a narrow window cut
    // them off.
    for (int i = 0; i < PageControl1->count(); ++i) {
        QWidget* w = PageControl1->widget(i);
        w->setMinimumWidth(w->childrenRect().right() + 2);
    }
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
    FileOpenCaptureItem = item(FileMenu, "FileOpenCaptureItem", QStringLiteral("Open &Capture..."));
    RecordCaptureItem = item(FileMenu, "RecordCaptureItem", QStringLiteral("&Record Capture..."));
    RecordCaptureItem->setCheckable(true);
    FileMenu->addSeparator();
    FilePrintItem = item(FileMenu, "FilePrintItem", QStringLiteral("&Print"));
    FilePrintSetupItem = item(FileMenu, "FilePrintSetupItem", QStringLiteral("P&rint Setup..."));
    FileMenu->addSeparator();
    FileExitItem = item(FileMenu, "FileExitItem", QStringLiteral("E&xit"));
    connect(FileExitItem, &QAction::triggered, this, &QWidget::close);

    TarvinMenu = Named(bar->addMenu(QStringLiteral("&Tarvin")), "TarvinMenu");
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

    OptionsMenu = Named(bar->addMenu(QStringLiteral("&Options")), "OptionsMenu");
    ProgramOptions1 = item(OptionsMenu, "ProgramOptions1", QStringLiteral("Program Options..."));
    OptionsMenu->addSeparator();
    ClearLists1 = item(OptionsMenu, "ClearLists1", QStringLiteral("Clear Lists"));
    ShowASCIIItem = check(OptionsMenu, "ShowASCIIItem", QStringLiteral("Show ASCII"), false);
    ShowAllToolsItem =
        check(OptionsMenu, "ShowAllToolsItem", QStringLiteral("Show &All Tools"), false);
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
    ConnecttoPCIItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
    auto* logShortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), this);
    logShortcut->setObjectName(QStringLiteral("GoToLogShortcut"));
    connect(logShortcut, &QShortcut::activated, this, [this] { TransmitMemo->setFocus(); });
    auto* debugShortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D), this);
    debugShortcut->setObjectName(QStringLiteral("EnableDebugShortcut"));
    connect(debugShortcut, &QShortcut::activated, this, &TMainForm::EnableDebugItemClick);
    connect(EnableDebugItem, &QAction::triggered, this, &TMainForm::EnableDebugItemClick);
    connect(ShowAllToolsItem, &QAction::toggled, this, &TMainForm::ShowAllTools);
    // Only the user's own choice is remembered, not --all-tools.
    connect(ShowAllToolsItem, &QAction::triggered, this,
            [this](bool on) { settings().allTools = on; });
    connect(ClearLists1, &QAction::triggered, this, &TMainForm::ClearSpeedButtonClick);
    connect(ShowASCIIItem, &QAction::toggled, this, [this](bool on) {
        settings().showAscii = on;
        link().setShowAscii(on);
    });
    connect(ShowDecodedMessageItem, &QAction::toggled, this,
            [this](bool on) { state().showDecodedMessage = on; });
    connect(LogCommandsItem, &QAction::triggered, this, [this] {
        LogCommandsItem->setChecked(!LogCommandsItem->isChecked());
        LogCommandsItemClick();
    });
    // The numbered lists follow the session's base themselves.
    connect(HexadecimalNumbersItem, &QAction::toggled, this,
            [this](bool on) { m_session->setHexNumbers(on); });
    connect(ShowTimeItem, &QAction::toggled, this, [this](bool on) { settings().showTime = on; });
    connect(UseAcknowledgementCharactersItem, &QAction::toggled, this, [this](bool on) {
        settings().ackChar = on;
        link().setUseAcknowledgement(on);
    });

    ViewMenu = Named(bar->addMenu(QStringLiteral("&View")), "ViewMenu");
    ViewSessionItem = item(ViewMenu, "ViewSessionItem", QStringLiteral("&Session"));
    ViewInstallationItem = item(ViewMenu, "ViewInstallationItem", QStringLiteral("&Installation"));

    HelpMenu = Named(bar->addMenu(QStringLiteral("&Help")), "HelpMenu");
    HelpContentsItem = item(HelpMenu, "HelpContentsItem", QStringLiteral("&Contents"));
    HelpContentsItem->setShortcut(QKeySequence(Qt::Key_F1));
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
                            Title() + QStringLiteral("\rVersion ") +
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

void TMainForm::BuildStatusBar()
{
    // The connection is always in view, in a field of its own that messages
    // do not cover; the running command and its Cancel sit beside it.
    ConnectionStatusLabel = Named(new QLabel(statusBar()), "ConnectionStatusLabel");
    ConnectionStatusLabel->setFrameShape(QFrame::Panel);
    ConnectionStatusLabel->setFrameShadow(QFrame::Sunken);
    CommandStatusLabel = Named(new QLabel(statusBar()), "CommandStatusLabel");
    CancelCommandButton =
        Named(new QPushButton(QStringLiteral("Cancel"), statusBar()), "CancelCommandButton");
    CancelCommandButton->setToolTip(QStringLiteral("End the running command (Esc)"));
    RecordingStatusLabel = Named(new QLabel(statusBar()), "RecordingStatusLabel");
    CommandStatusLabel->hide();
    CancelCommandButton->hide();
    RecordingStatusLabel->hide();
    statusBar()->addPermanentWidget(RecordingStatusLabel);
    statusBar()->addPermanentWidget(CommandStatusLabel);
    statusBar()->addPermanentWidget(CancelCommandButton);
    statusBar()->addPermanentWidget(ConnectionStatusLabel);
    connect(CancelCommandButton, &QPushButton::clicked, m_session, &Session::cancel);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setObjectName(QStringLiteral("CancelCommandShortcut"));
    connect(escape, &QShortcut::activated, m_session, &Session::cancel);
    ShowConnection();
}

void TMainForm::ShowAllTools(bool all)
{
    // The pages, bars, file commands and menu items beyond the restricted
    // diagnostic build; debug mode keeps what it reveals.
    for (QWidget* page :
         {TelephonyMasterTabSheet, TelephonySlaveTabSheet, SecurityMasterTabSheet,
          SecuritySlaveTabSheet, TimeTabSheet, MeasurementTabSheet, CALTabSheet, CustomTabSheet})
        PageControl1->setTabVisible(PageControl1->indexOf(page), all);
    Panel1->setVisible(all);
    Panel2->setVisible(all);
    for (QToolButton* b : {SpeedButton1, SpeedButton2, SpeedButton3})
        b->setVisible(all);
    ClearSpeedButton->move(all ? 88 : 8, ClearSpeedButton->y());
    SpeedButton6->move(all ? 112 : ClearSpeedButton->x() + ClearSpeedButton->width() - 1,
                       SpeedButton6->y());
    TransmitHeaderPanel->setVisible(all);
    for (QAction* a : {UnitType1, FileNewItem, FileOpenItem, FileSaveItem, FileSaveAsItem,
                       ExecuteFile1, ProcessLogFileItem, UserButtonsItem, AssignCommandto1,
                       ShowDecodedMessageItem, InterpretCommand1})
        a->setVisible(all);
    ShowASCIIItem->setVisible(all || state().debugMode);
    if (m_optionsForm)
        m_optionsForm->showListsChoice(all);
    if (!all) {
        // The restricted build has one combined list.
        settings().combineLists = true;
        SetLists();
    }
}

} // namespace tarvin
