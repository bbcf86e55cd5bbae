#include "gui/app/main_form.h"

#include "gui/widgets/window_sizes.h"

#include "core/decode/hex.h"
#include "core/decode/interpret.h"
#include "core/link/framing.h"
#include "core/link/log_text.h"
#include "gui/app/help_window.h"
#include "gui/app/options_form.h"
#include "gui/app/shell_files.h"
#include "gui/app/user_buttons.h"
#include "gui/capture/capture_recording.h"
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
#include "gui/diagnostics/interface_tools.h"
#include "gui/widgets/log_highlighter.h"
#include "gui/widgets/prompter.h"
#include "session/link_session.h"
#include "session/session.h"

#include <QAbstractTextDocumentLayout>
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
#include <QSettings>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

static void InitHelpResources()
{
    Q_INIT_RESOURCE(help);
}

namespace tarvin {

namespace {

// How long the log panes gather lines before they take them in.
constexpr int kPaneFrameMs = 100;

QString Latin1(const std::string& s)
{
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

// A full pane shown at its end takes `lines` in place of as many of its
// oldest: what is shown moves up as a block copy and only the new lines are
// drawn, where QPlainTextEdit would draw the whole pane again for each
// change. False, with nothing done, for a pane not full or not at its end,
// or more new lines than it shows: that is left to the pane.
bool ShiftIntoFullPane(QPlainTextEdit* pane, const QStringList& lines, int limit)
{
    QTextDocument* document = pane->document();
    QAbstractTextDocumentLayout* layout = document->documentLayout();
    const QScrollBar* bar = pane->verticalScrollBar();
    const int count = int(lines.size());
    if (!pane->isVisible() || document->blockCount() != limit || bar->value() != bar->maximum())
        return false;
    // The last line's box has the document's margin below it.
    const auto lineHeight = [&](const QTextBlock& block) {
        return layout->blockBoundingRect(block).height() -
               (block.next().isValid() ? 0 : document->documentMargin());
    };
    const qreal height = lineHeight(document->lastBlock());
    const int shown = height > 0 ? int(pane->viewport()->height() / height) + 1 : limit;
    if (count >= shown || shown + count > limit)
        return false;
    const QSizeF sizeBefore = layout->documentSize();
    int added = 0;
    {
        // The layout's signals are what make the pane draw itself whole.
        // The addition and the removal are two changes, so the highlighter
        // colours the new lines only.
        const QSignalBlocker quiet(layout);
        // Trimmed here, not by the document, to know what was added.
        document->setMaximumBlockCount(0);
        QTextCursor cursor(document);
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(u'\n' + lines.join(u'\n'));
        // A line break inside a line makes a pane line of its own.
        cursor.movePosition(QTextCursor::Start);
        cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor,
                            document->blockCount() - limit);
        added = document->blockCount() - limit;
        cursor.removeSelectedText();
        document->setMaximumBlockCount(limit);
    }
    // The copy is right while the lines that leave the top and those that
    // come in at the foot are as high as before; a line drawn in a taller
    // fallback font makes the pane draw itself whole.
    bool even = added < shown;
    QTextBlock block = document->lastBlock();
    for (int n = 0; even && n < shown + added && block.isValid(); ++n, block = block.previous())
        even = lineHeight(block) == height;
    if (even) {
        QWidget* view = pane->viewport();
        view->scroll(0, -int(added * height));
        // Below the last line the pane is blank to its foot, less than a
        // line: that blank went up with the copy, into the first new line.
        const int foot = int((added + 2) * height + document->documentMargin());
        view->update(0, view->height() - foot, view->width(), foot);
    } else
        pane->viewport()->update();
    // A longer line widens what the horizontal scroll bar spans.
    if (layout->documentSize() != sizeBefore)
        emit layout->documentSizeChanged(layout->documentSize());
    return true;
}

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
    m_session = new Session(this);
    m_session->setObjectName(QStringLiteral("Session"));
    connect(m_session, &Session::logged, this, [this](int direction, const QString& line) {
        AddToPane((direction != 2 || settings().combineLists) ? TransmitMemo : ReceiveMemo, line);
    });
    connect(m_session, &Session::error, this, [this](const QString& text) {
        m_prompter->message(this, Prompter::Icon::Error, text);
    });
    connect(&link(), &LinkSession::socketError, this, &TMainForm::ClientSocket1Error);
    connect(m_session, &Session::connectionChanged, this, &TMainForm::ShowConnection);
    connect(m_session, &Session::linkLost, this, &TMainForm::LinkLost);
    connect(m_session, &Session::commandStarted, this, &TMainForm::CommandStarted);
    connect(m_session, &Session::commandProgress, this,
            [this](const QString& text) { CommandStatusLabel->setText(text); });
    connect(m_session, &Session::commandFinished, this, &TMainForm::CommandFinished);

    m_diagnostics = new Diagnostics(*m_session, *m_prompter, this);
    m_paneFrame.setSingleShot(true);
    m_paneFrame.setInterval(kPaneFrameMs);
    connect(&m_paneFrame, &QTimer::timeout, this, &TMainForm::flushLog);

    setWindowTitle(Title());
    resize(800, 600);
    QFont font(QStringLiteral("Arial"), 8);
    setFont(font);

    // The parts are made inside the central widget: moved there afterwards,
    // every control would take its style and font a second time.
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
    BuildStatusBar();
    ConnectShell();
    FormCreate();
    WireDiagnostics();
    m_interfaceTools = new InterfaceTools(*m_session, *m_diagnostics, *m_prompter, this,
                                          [this](QDialog& dialog) { return runDialog(dialog); });
    WireInterfaceTools();
    WireCaptures();

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        resize(size().boundedTo(area.size()));
        move(area.center() - rect().center());
    }
    KeepOnScreen(this);
}

QString TMainForm::Title()
{
    return QStringLiteral("Tarvin Diagnostic Utility");
}

TMainForm::~TMainForm()
{
    FormDestroy();
}

void TMainForm::ProgramOptions1Click()
{
    if (runDialog(*m_optionsForm) != QDialog::Accepted)
        return;
    const Settings& chosen = m_optionsForm->chosen();
    const bool listsChanged = chosen.combineLists != settings().combineLists;
    m_session->setSettings(chosen);
    // The panes are laid out again and emptied: their lines no longer fit.
    if (listsChanged) {
        SetLists();
        ClearSpeedButtonClick();
    }
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
    state().logDisplay = true;
    state().showDecodedMessage = false;
    PageControl1->setCurrentIndex(0);
    state().interfaceOptions = 0;
    state().pciOptionByte = 0;
    link().ack().reset();

    // The restricted surface, until all tools are asked for.
    ShowAllTools(false);
    settings().showMessage = true;
    state().showDecodedMessage = true;
    setWindowTitle(Title());
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
    if (!m_shellFiles->FormCloseQuery()) {
        event->ignore();
        return;
    }
    // The window comes back as the user left it.
    QSettings store;
    store.setValue(QStringLiteral("Windows/MainForm"), saveGeometry());
    store.setValue(QStringLiteral("Windows/ReceiveShare"), m_receiveShare);
    event->accept();
}

void TMainForm::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    SetLists();
}

void TMainForm::FormShow()
{
    m_session->readSettings();
    const QSettings store;
    restoreGeometry(store.value(QStringLiteral("Windows/MainForm")).toByteArray());
    // A size left on a larger screen, or at another scale, must not push the
    // menu and the status bar off this one.
    FitToScreen(this);
    m_receiveShare = std::clamp(
        store.value(QStringLiteral("Windows/ReceiveShare"), m_receiveShare).toDouble(), 0.05, 0.95);
    // The check marks carry these switches; setting them runs their handlers.
    HexadecimalNumbersItem->setChecked(settings().hexNumbers);
    ShowTimeItem->setChecked(settings().showTime);
    UseAcknowledgementCharactersItem->setChecked(settings().ackChar);
    link().setUseAcknowledgement(settings().ackChar);
    SetLists();
    if (!m_arguments.isEmpty() && m_arguments.first() == QLatin1String("/enabledebug"))
        EnableDebugItemClick();
    ShowAllToolsItem->setChecked(settings().allTools ||
                                 m_arguments.contains(QLatin1String("--all-tools")));
    // A capture named on the command line opens in its window; the file
    // after --record is the recording's, whether it exists yet or not.
    QString recordTo;
    for (qsizetype i = 0; i < m_arguments.size(); ++i) {
        if (m_arguments.at(i) == QLatin1String("--record") && i + 1 < m_arguments.size())
            recordTo = m_arguments.at(++i);
        else if (QFileInfo(m_arguments.at(i)).isFile())
            OpenCapture(m_arguments.at(i));
    }
    // From the start, so the connection and everything after it is in it.
    if (!recordTo.isEmpty())
        m_recording->start(recordTo);
}

void TMainForm::FormDestroy()
{
    settings().showAscii = ShowASCIIItem->isChecked();
    settings().showDecodedMessage = ShowDecodedMessageItem->isChecked();
    settings().hexNumbers = HexadecimalNumbersItem->isChecked();
    settings().showTime = ShowTimeItem->isChecked();
    settings().ackChar = UseAcknowledgementCharactersItem->isChecked();
    m_recording->stop();
    m_session->writeSettings();
    m_session->Disconnect();
    m_session->closeCommandLog();
}

// ---------------------------------------------------------------------------
// Shell

void TMainForm::SetLists()
{
    if (!TransmitHeaderPanel)
        return;
    if (settings().combineLists) {
        TransmitHeaderPanel->setText(QStringLiteral("Transmit and Receive Data"));
        ReceivePanel->hide();
        Splitter1->setSizes({Splitter1->width(), 1});
    } else {
        TransmitHeaderPanel->setText(QStringLiteral("Transmit Data"));
        ReceivePanel->show();
        const int receiveWidth = int(width() * m_receiveShare);
        Splitter1->setSizes({std::max(1, Splitter1->width() - receiveWidth - 3), receiveWidth});
    }
}

ProgramState& TMainForm::state()
{
    return m_session->state();
}

Settings& TMainForm::settings()
{
    return m_session->settings();
}

LinkSession& TMainForm::link()
{
    return m_session->link();
}

void TMainForm::EnableItems()
{
    const bool c = state().connected;
    // While a command waits, the other commands that wait are off, not
    // silently ignored; the running one ends with Cancel or Esc.
    const bool free = c && !m_session->busy();
    for (QAction* a : {ExecuteFile1, InstallationMMIItem, ApplicationMMIItem, IdentifyItem,
                       IdentifyAllItem, SetMode1, SetModeofOtherPCIItem, GetPCIDataItem, UnitType1,
                       GetUnitVoltagesItem, AnalyserItem, GetEEPROMDataItem})
        a->setEnabled(free);
    const bool level = free && state().firmwareVersion >= 0x400;
    LevelMMIItem->setEnabled(level);
    for (QWidget* panel : {Panel1, Panel2})
        for (QWidget* w : panel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            w->setEnabled(free);
    LevelMMIButton->setEnabled(level);
    // Without a firmware version (the PCI did not answer Get PCI Data) the
    // buttons that depend on the PCI are off; the menu items stay.
    if (state().firmwareVersion == 0)
        for (QPushButton* b : {ModeButton, StandardButton, InstallationMMIButton,
                               ApplicationMMIButton, LevelMMIButton, PCIDataButton})
            b->setEnabled(false);
    for (int i = 0; i < PageControl1->count(); ++i) {
        for (QWidget* w :
             PageControl1->widget(i)->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            w->setEnabled(c);
            if (qobject_cast<QGroupBox*>(w))
                for (QWidget* inner : w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                    inner->setEnabled(c);
        }
    }
    // All Off runs as a command of its own: off while any command runs.
    if (auto* lighting = qobject_cast<LightingTab*>(LightingTabSheet))
        lighting->AllOffButton->setEnabled(free);
}

void TMainForm::EnableDebugItemClick()
{
    if (auto* cal = qobject_cast<CALTab*>(CALTabSheet))
        cal->ShowDebugControls();
    ShowASCIIItem->setVisible(true);
    AnalyserItem->setVisible(true);
    GetEEPROMDataItem->setVisible(true);
    state().debugMode = true;
}

void TMainForm::ClearSpeedButtonClick()
{
    m_pendingLines.clear();
    m_paneFrame.stop();
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

// ---------------------------------------------------------------------------
// Link

void TMainForm::ShowConnection()
{
    ConnectionStatusLabel->setText(m_session->connectionText());
    ConnecttoPCIItem->setChecked(m_session->connected());
    EnableItems();
}

void TMainForm::LinkLost(const QString& message)
{
    // Commands waiting on the link have ended with it; scripts, toggle and
    // random traffic stop on the same signal. A command that holds on until
    // its window closes (the analyser) offers no Cancel of a link now gone.
    ShowConnection();
    CommandStatusLabel->hide();
    CancelCommandButton->hide();
    m_prompter->message(this, Prompter::Icon::Error, message);
}

void TMainForm::CommandStarted(const QString&)
{
    CommandStatusLabel->show();
    CancelCommandButton->show();
    EnableItems();
}

void TMainForm::CommandFinished(const QString& name, bool interrupted)
{
    CommandStatusLabel->hide();
    CancelCommandButton->hide();
    CommandStatusLabel->clear();
    if (interrupted)
        statusBar()->showMessage(
            name + (link().lost() ? QStringLiteral(": link lost") : QStringLiteral(" cancelled")),
            10000);
    ShowConnection();
}

void TMainForm::ConnecttoPCIItemClick()
{
    if (m_session->connected() || link().CommsOpen()) {
        m_session->Disconnect();
        return;
    }
    QString failure;
    bool connected = false;
    {
        Session::Command command = m_session->begin(QStringLiteral("Connect"));
        // A click while another command waits, or the handshake itself, does nothing.
        if (!command)
            return;
        connected = m_session->Connect(&failure);
    }
    if (!connected) {
        if (!failure.isEmpty())
            m_prompter->message(this, Prompter::Icon::Error, failure);
        return;
    }
    PCIDataButtonClick();
    ClearSpeedButtonClick();
    ShowConnection();
}

void TMainForm::ResetPCI()
{
    m_session->ResetPCI();
}

void TMainForm::SetSmartMode()
{
    m_session->SetSmartMode();
}

void TMainForm::SetDefaultMode()
{
    m_session->SetDefaultMode();
}

void TMainForm::DefaultModeButtonClick()
{
    ResetPCI();
    link().SetFlowControl(false);
}

void TMainForm::SmartButtonClick()
{
    SetSmartMode();
    link().SetFlowControl(false);
}

void TMainForm::StandardButtonClick()
{
    SetDefaultMode();
    link().SetFlowControl(false);
}

void TMainForm::PCIDataButtonClick()
{
    m_diagnostics->PCIDataButtonClick();
}

void TMainForm::ClientSocket1Error(int, const QString& text)
{
    // Straight into the pane: no time stamp, not in the command log. What
    // the user hears comes from the handshake or from the link's loss, which
    // logs its own line.
    if (!state().connected)
        AddToPane(TransmitMemo, QStringLiteral("Socketbox Socket Error : ") + text);
}

// ---------------------------------------------------------------------------
// Log

void TMainForm::AddToPane(QPlainTextEdit* pane, const QString& line)
{
    // Lines come one event at a time: put into the pane, drawn and sent to
    // the display each time, they would cost far more than the lines. They
    // are gathered and go in together, in order, once a frame.
    m_pendingLines[pane] << line;
    if (!m_paneFrame.isActive())
        m_paneFrame.start();
}

void TMainForm::flushLog()
{
    m_paneFrame.stop();
    for (auto it = m_pendingLines.begin(); it != m_pendingLines.end(); ++it) {
        QPlainTextEdit* pane = it.key();
        QStringList& lines = it.value();
        if (lines.isEmpty())
            continue;
        // Lines the pane would drop at once need not go in at all.
        if (lines.size() > kPaneLines)
            lines.erase(lines.begin(), lines.end() - kPaneLines);
        if (!ShiftIntoFullPane(pane, lines, kPaneLines)) {
            // appendPlainText drops the oldest lines beyond the pane's block limit.
            pane->appendPlainText(lines.join(u'\n'));
            pane->verticalScrollBar()->setValue(pane->verticalScrollBar()->maximum());
        }
        lines.clear();
    }
}

void TMainForm::SendStringButtonClick()
{
    const QString text = SendStringCombo->currentText();
    m_session->SendTarvinCommand(text.toLatin1());
    if (!text.isEmpty() && SendStringCombo->findText(text, Qt::MatchFixedString) < 0)
        SendStringCombo->insertItem(0, text);
    SendStringCombo->setEditText(text);
}

// ---------------------------------------------------------------------------
// Framing

void TMainForm::RemoteNetworkCheckBoxClick()
{
    const bool on = RemoteNetworkCheckBox->isChecked();
    NetworkPathEdit->setEnabled(on);
    NetworkPathLabel->setEnabled(on);
    m_session->setRemotePath(on, NetworkPathEdit->text());
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
    const std::string text = InterpretCommandText(typed.toLatin1().toStdString(),
                                                  m_session->decodeContext(), m_session->decoder());
    if (!text.empty())
        m_prompter->message(this, Prompter::Icon::Information, Latin1(text));
}

void TMainForm::ApplicationSupportItemClick()
{
    m_prompter->message(this, Prompter::Icon::Information,
                        Latin1(ApplicationSupportText(m_session->hexNumbers())));
}

// ---------------------------------------------------------------------------
// Command log

void TMainForm::LogCommandsItemClick()
{
    LogCommandsItem->setChecked(!LogCommandsItem->isChecked());
    if (!LogCommandsItem->isChecked()) {
        m_session->closeCommandLog();
        return;
    }
    QString error;
    if (!m_session->openCommandLog(false, &error)) {
        m_prompter->message(this, Prompter::Icon::Error, error);
        LogCommandsItem->setChecked(false);
        return;
    }
    statusBar()->showMessage(QStringLiteral("Logging commands to ") +
                                 QDir::toNativeSeparators(m_session->commandLogPath()),
                             10000);
}

} // namespace tarvin
