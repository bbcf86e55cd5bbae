#include "gui/diagnostics/interface_tools.h"

#include "core/diagnostics/analyser_support.h"
#include "core/diagnostics/interface_mode.h"
#include "core/diagnostics/unit_type.h"
#include "core/link/framing.h"
#include "gui/diagnostics/analyser_form.h"
#include "gui/diagnostics/diagnostics.h"
#include "gui/diagnostics/mode_form.h"
#include "gui/diagnostics/unit_type_form.h"
#include "gui/widgets/prompter.h"
#include "session/session.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>

namespace tarvin {

namespace {

QString Latin1(const std::string& text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QByteArray Bytes(const std::string& text)
{
    return QByteArray::fromStdString(text);
}

// Puts a value back however the scope is left.
template <typename T> class Restore
{
public:
    Restore(T& place, T value) : m_place(place), m_value(value) {}
    ~Restore() { m_place = m_value; }
    Restore(const Restore&) = delete;
    Restore& operator=(const Restore&) = delete;

private:
    T& m_place;
    T m_value;
};

} // namespace

InterfaceTools::InterfaceTools(Session& session, Diagnostics& diagnostics, Prompter& prompter,
                               QWidget* window, std::function<int(QDialog&)> runDialog)
    : QObject(window), m_session(session), m_diagnostics(diagnostics), m_prompter(prompter),
      m_window(window), m_runDialog(std::move(runDialog))
{
    setObjectName(QStringLiteral("InterfaceTools"));
    m_clock = [] { return QDateTime::currentDateTime(); };
    m_unitTypeSource = [this] {
        m_diagnostics.GetAllUnitTypes();
        return m_diagnostics.unitTypeTable();
    };
}

// ---------------------------------------------------------------------------
// Traffic analyser

void InterfaceTools::AnalyserItemClick()
{
    if (m_session.busy())
        return;
    m_session.SetDefaultMode();
    // Identify All Units runs as a command of its own; the analyser is the
    // running command for as long as its window is open.
    m_unitTypes = m_unitTypeSource ? m_unitTypeSource() : UnitTypeTable{};
    Session::Command command = m_session.begin(QStringLiteral("Traffic Analyser"));
    if (!command)
        return;
    if (m_session.state().firmwareVersion == 0)
        m_prompter.message(
            m_window, Prompter::Icon::Warning,
            QStringLiteral("The PCI's firmware version is unknown (it did not answer Get PCI "
                           "Data), so it cannot be put in its monitoring mode. The analyser "
                           "counts only the messages the PCI passes on in its current mode."));
    StartMonitoring();
    emit clearLogRequested();
    {
        TAnalyserForm analyser(m_session, m_prompter, statistics(), m_unitTypes, m_clock, m_window);
        connect(&analyser, &TAnalyserForm::helpRequested, this, &InterfaceTools::helpRequested);
        m_runDialog(analyser);
    }
    m_session.SetDefaultMode(); // also ends the all-monitor flag
    emit clearLogRequested();
}

TrafficStatistics& InterfaceTools::statistics()
{
    return m_session.statistics();
}

void InterfaceTools::StartMonitoring()
{
    const std::string command = StartMonitoringCommand(m_session.state().firmwareVersion);
    if (!command.empty())
        m_session.SendTarvinCommand(Bytes(command));
    m_session.state().allMonitor = true;
    statistics().startTime = static_cast<double>(m_clock().toMSecsSinceEpoch()) / 1000.0;
}

// ---------------------------------------------------------------------------
// Interface mode

void InterfaceTools::ModeButtonClick()
{
    Session::Command command = m_session.begin(QStringLiteral("Set Mode"));
    if (!command)
        return;

    ProgramState& state = m_session.state();
    ModeBoxes boxes;
    {
        TModeForm dialog(m_window);
        dialog.setHelp([this] { emit helpRequested(4); });
        dialog.FormShow(state.firmwareVersion, state.interfaceOptions, state.pciOptionByte,
                        state.debugMode);
        if (m_runDialog(dialog) != QDialog::Accepted)
            return;
        boxes = dialog.boxes();
    }
    for (const ModeAction& action : SetModeActions(boxes, state.debugMode)) {
        switch (action.kind) {
        case ModeAction::StoreInterfaceOptions:
            state.interfaceOptions = static_cast<std::uint8_t>(action.value);
            break;
        case ModeAction::SendRaw:
            m_session.SendTarvinString(Bytes(action.text), setModeWords(action.text));
            break;
        case ModeAction::SetFlowControl:
            m_session.link().SetFlowControl(action.value != 0);
            break;
        case ModeAction::StorePCIOptionByte:
            state.pciOptionByte = static_cast<std::uint8_t>(action.value);
            break;
        case ModeAction::SendCommand:
            m_session.SendTarvinCommand(Bytes(action.text), setModeWords(action.text));
            break;
        case ModeAction::ClearAllMonitor:
            state.allMonitor = false;
            break;
        case ModeAction::StartMonitoring:
            StartMonitoring();
            break;
        }
    }
}

QString InterfaceTools::setModeWords(const std::string& line)
{
    // What the decoder makes of it, or the line itself: never a silent send.
    const QString words = m_session.DescribeCommand(Bytes(line));
    return QStringLiteral("Set Mode: ") + (words.isEmpty() ? Latin1(line) : words);
}

void InterfaceTools::SetModeofOtherPCIItemClick()
{
    if (m_session.busy())
        return;

    const std::optional<int> typed =
        AskBusNumber(m_prompter, m_window, QStringLiteral("Unit Address"),
                     QStringLiteral("Enter PCI Unit Address"), "unit", m_session.hexNumbers());
    if (!typed)
        return;
    const int address = *typed;
    const QByteArray header = m_session.CALHeaderForUnit(address);
    if (header.isEmpty())
        return; // the path was refused and the user told
    Session::Command command = m_session.begin(QStringLiteral("Set Mode of Other PCI"));
    if (!command)
        return;
    const int path = m_session.GetNetworkPathLength();
    const std::string route = m_session.replyPath();

    const auto named = [&](const char* body) {
        return QStringLiteral("Unit %1: %2")
            .arg(m_session.NumberString(address), Latin1(IdentifyRequestName(body)));
    };
    const Reply typeReply = m_session.SendCALGetResponse(
        header + kIdentifyTypeBody, Bytes(UnitReplyPattern(address, route, "8901*")), 1, 2,
        named(kIdentifyTypeBody));
    if (command.interrupted())
        return;
    if (!typeReply.answered()) {
        // Options written to a unit that is not there, or not listening,
        // would be lost or land somewhere unknown.
        m_prompter.message(m_window, Prompter::Icon::Warning,
                           Latin1(NoReplyText(address, m_session.hexNumbers())) +
                               QStringLiteral(": nothing was written."));
        return;
    }
    const std::string type = UnitTypeFromReply(typeReply.line.toStdString(), path);
    if (!IsPCIUnitType(type)) {
        const auto answer =
            m_prompter.ask(m_window, Prompter::Icon::Warning, Latin1(NotPCIWarningText(type)),
                           QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes)
            return;
    }

    const Reply versionReply = m_session.SendCALGetResponse(
        header + kIdentifyFirmwareBody, Bytes(UnitReplyPattern(address, route, "8902*")), 1, 2,
        named(kIdentifyFirmwareBody));
    if (command.interrupted())
        return;
    const std::string version = UnitFirmwareFromReply(versionReply.line.toStdString(), path);

    ProgramState& state = m_session.state();
    ModeBoxes boxes;
    {
        // The dialog offers what the other PCI's firmware supports; our own
        // PCI's version comes back as soon as the dialog closes, before
        // anything is sent, so no command framed meanwhile sees the other one.
        Restore<int> ownVersion(state.firmwareVersion, state.firmwareVersion);
        state.firmwareVersion = ExtractVersion(version);
        TModeForm dialog(m_window);
        dialog.setHelp([this] { emit helpRequested(4); });
        dialog.RestoreCheckBox->setChecked(true);
        dialog.RestoreCheckBox->setEnabled(false);
        dialog.FormShow(state.firmwareVersion, state.interfaceOptions, state.pciOptionByte,
                        state.debugMode);
        if (m_runDialog(dialog) != QDialog::Accepted)
            return;
        boxes = dialog.boxes();
    }
    for (const std::string& command : OtherPCIModeCommands(header.toStdString(), boxes))
        m_session.SendTarvinCommand(Bytes(command), setModeWords(command));
}

// ---------------------------------------------------------------------------
// Unit type

std::string InterfaceTools::ReadUnitType(bool* answered)
{
    m_session.SetDefaultMode();
    const Reply reply = m_session.askPCI(kReadUnitTypeCommand, kReadUnitTypeTail, 2, 3,
                                         QStringLiteral("Read Unit Type"));
    if (answered)
        *answered = reply.answered();
    return UnitTypeNameFromReply(reply.line.toStdString());
}

void InterfaceTools::ReadUnitTypeItemClick()
{
    Session::Command command = m_session.begin(QStringLiteral("Read Unit Type"));
    if (!command)
        return;
    bool answered = false;
    const std::string name = ReadUnitType(&answered);
    if (command.interrupted())
        return;
    if (!answered) {
        m_prompter.message(m_window, Prompter::Icon::Warning,
                           QStringLiteral("No reply from the PCI: its unit type is unknown."));
        return;
    }
    m_prompter.message(m_window, Prompter::Icon::Information, Latin1(ReadUnitTypeText(name)));
}

void InterfaceTools::SetUnitTypeItemClick()
{
    Session::Command command = m_session.begin(QStringLiteral("Set Unit Type"));
    if (!command)
        return;

    if (!CanSetUnitType(ReadUnitType())) {
        m_prompter.message(m_window, Prompter::Icon::Warning,
                           QStringLiteral("Can not set Unit Type on this unit"));
        return;
    }
    UnitTypeChoice choice;
    {
        TUnitTypeForm dialog(m_window);
        dialog.setHelp([this] { emit helpRequested(5); });
        if (m_runDialog(dialog) != QDialog::Accepted)
            return;
        choice = dialog.choice();
    }
    const std::string newName = NewUnitTypeName(choice.text);

    ProgramState& state = m_session.state();
    for (;;) {
        {
            // Programming stays out of the log; the switch comes back even
            // if the link fails part way.
            Restore<bool> display(state.logDisplay, true);
            state.logDisplay = false;
            m_session.ResetPCI();
            m_session.SendTarvinCommand(kUnlockUnitTypeCommand,
                                        QStringLiteral("Unlock the Unit Type"));
            m_session.SendTarvinCommand(Bytes(StoreUnitTypeCommand(newName)),
                                        QStringLiteral("Store Unit Type ") +
                                            QLatin1String(kUnitTypePrefix) + Latin1(newName));
            m_session.Delay(0.3);
        }
        if (!UnitTypeWritten(ReadUnitType(), newName))
            m_prompter.message(m_window, Prompter::Icon::Warning,
                               QStringLiteral("Set Unit Type failed"));
        if (!choice.multipleUnits)
            break;
        const auto answer = m_prompter.ask(m_window, Prompter::Icon::Question,
                                           QStringLiteral("Program another unit ?"),
                                           QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes)
            break;
    }

    if (choice.updateIni)
        UpdateIniFile(newName);
}

QString InterfaceTools::iniPath()
{
    IniLocationInput input;
    // Paths keep the file system's own encoding.
    input.overridePath = qgetenv("TARVIN_INI").toStdString();
#ifdef Q_OS_WIN
    input.windows = true;
    input.windowsFolder =
        QFile::encodeName(QDir::fromNativeSeparators(qEnvironmentVariable("WINDIR"))).toStdString();
#endif
    input.xdgConfigDirs = qgetenv("XDG_CONFIG_DIRS").toStdString();
    return QFile::decodeName(QByteArray::fromStdString(IniFilePath(input)));
}

void InterfaceTools::UpdateIniFile(const std::string& newName)
{
    const QString path = iniPath();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return; // no settings file: nothing to copy
    const QByteArray text = file.readAll();
    file.close();
    const auto updated = CopyUnitTemplate(text.toStdString(), newName);
    if (!updated)
        return; // no template to copy
    // Written whole under a temporary name and renamed, so the installation
    // software never finds half a file.
    QSaveFile out(path);
    const QByteArray bytes = Bytes(*updated);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        m_prompter.message(m_window, Prompter::Icon::Warning,
                           QStringLiteral("Cannot update %1:\r%2")
                               .arg(QDir::toNativeSeparators(path), out.errorString()));
}

} // namespace tarvin
