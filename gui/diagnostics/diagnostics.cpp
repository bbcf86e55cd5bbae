#include "gui/diagnostics/diagnostics.h"

#include "core/decode/applications.h"
#include "core/decode/hex.h"
#include "core/diagnostics/diagnostics_support.h"
#include "core/diagnostics/mmi_layout.h"
#include "core/link/framing.h"
#include "gui/diagnostics/mmi_results_form.h"
#include "gui/widgets/prompter.h"
#include "session/link_session.h"
#include "session/session.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>

#include <algorithm>

namespace tarvin {

namespace {

QString Latin1(const std::string& text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// The wait cursor for as long as the object lives, however the scope ends.
class WaitCursor
{
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// A unit list, then a paragraph on what it lacks.
std::string UnitListText(const UnitTypeTable& values, const std::string& missing, bool hexNumbers)
{
    std::string text = UnitTypeListText(values, hexNumbers);
    if (!missing.empty())
        text += (text.empty() ? "" : "\r") + missing;
    return text;
}

} // namespace

Diagnostics::Diagnostics(Session& session, Prompter& prompter, QWidget* window)
    : QObject(window), m_session(session), m_prompter(prompter), m_window(window)
{
}

// ---------------------------------------------------------------------------
// Requests

Reply Diagnostics::request(const QByteArray& command, const std::string& pattern, int seconds,
                           int tries, const QString& description)
{
    Reply reply = m_session.SendCALGetResponse(command, QByteArray::fromStdString(pattern), seconds,
                                               tries, description);
    reply.line = QByteArray::fromStdString(StripReplyMarkers(reply.line.toStdString()));
    return reply;
}

void Diagnostics::showMessage(const std::string& text)
{
    m_prompter.message(m_window, Prompter::Icon::Information, Latin1(text));
}

// ---------------------------------------------------------------------------
// The connected PCI

void Diagnostics::PCIDataButtonClick()
{
    std::string text;
    {
        Session::Command command = m_session.begin(QStringLiteral("Get PCI Data"));
        if (!command)
            return;
        m_session.SetDefaultMode();
        ProgramState& state = m_session.state();
        WaitCursor wait;
        PCIDetails details;
        for (int f = 0; f < kPCIFieldCount; ++f) {
            command.progress(f + 1, kPCIFieldCount);
            const PCIRequest& r = kPCIRequests[static_cast<std::size_t>(f)];
            const QString words = QStringLiteral("Get PCI Data: ") +
                                  QLatin1String(PCIFieldName(static_cast<PCIField>(f)));
            // The address first, every time: only replies from it are the PCI's.
            Reply reply = f == kPCIUnitAddress ? m_session.askPCIAddress(1, 2, words)
                                               : m_session.askPCI(r.command, r.tail, 1, 2, words);
            if (command.interrupted())
                return; // the user cancelled, or has been told the link is gone
            reply.line = QByteArray::fromStdString(StripReplyMarkers(reply.line.toStdString()));
            details.fields[static_cast<std::size_t>(f)] =
                reply.answered()
                    ? DecodePCIField(static_cast<PCIField>(f), reply.line.toStdString())
                    : std::string(kNoReplyField);
            // Without its address or manufacturer there is no PCI worth asking further.
            if ((f == kPCIUnitAddress || f == kPCIManufacturer) && !reply.answered())
                break;
        }
        const bool answered =
            details.fields[kPCIManufacturer] != kNoReplyField && !details.manufacturer().empty();
        // A PCI that did not answer this time keeps what it was last known to
        // be: one slow answer must not switch off what it can do.
        const bool versionGiven = answered && details.firmwareVersion() != kNoReplyField;
        if (versionGiven) {
            m_session.setFirmwareVersion(ExtractVersion(details.firmwareVersion()));
            state.pciOptionByte = 0;
            if (state.firmwareVersion >= 0x400) {
                const Reply reply = m_session.askPCI(kPCIOptionsCommand, kPCIOptionsTail, 2, 3,
                                                     QStringLiteral("Get PCI Data: Options"));
                if (command.interrupted())
                    return;
                state.pciOptionByte =
                    PCIOptionByteFromReply(StripReplyMarkers(reply.line.toStdString()));
            }
        } else if (!answered) {
            emit statusMessage(QStringLiteral("The PCI did not answer Get PCI Data"));
        }
        const Settings& settings = m_session.settings();
        const std::string location = settings.usesTcp()
                                         ? TcpLocation(settings.ipAddress, settings.port)
                                         : SerialLocation(settings.comPort);
        text = PCIDetailsText(details, answered ? state.firmwareVersion : 0, location);
        if (!versionGiven && state.firmwareVersion != 0)
            text += "\rThe PCI did not answer: the firmware version it last gave (" +
                    VersionText(state.firmwareVersion) + ") still applies.";
    }
    // The command has ended: the status bar no longer offers to cancel it
    // while the user reads the box.
    showMessage(text);
}

// ---------------------------------------------------------------------------
// Other units

Reply Diagnostics::unitReply(int unit, const char* body, const char* tail)
{
    if (!IsBusNumber(unit))
        return {};
    const QByteArray header = m_session.CALHeaderForUnit(unit);
    if (header.isEmpty())
        return {};
    return request(header + body, UnitReplyPattern(unit, m_session.replyPath(), tail), 1, 2,
                   QStringLiteral("Unit %1: %2")
                       .arg(m_session.NumberString(unit), Latin1(IdentifyRequestName(body))));
}

QString Diagnostics::unitReplyText(int unit, const char* body, const char* tail, bool voltage)
{
    const std::string reply = unitReply(unit, body, tail).line.toStdString();
    const int path = m_session.GetNetworkPathLength();
    return Latin1(voltage ? UnitVoltageFromReply(reply, path) : UnitTypeFromReply(reply, path));
}

QString Diagnostics::GetUnitType(int unit)
{
    return unitReplyText(unit, kIdentifyTypeBody, "8901*", false);
}

QString Diagnostics::GetUnitVoltage(int unit)
{
    return unitReplyText(unit, kIdentifyVoltageBody, "8607*", true);
}

std::optional<int> Diagnostics::askUnit(const QString& title)
{
    return AskBusNumber(m_prompter, m_window, title, QStringLiteral("Unit Number"), "unit",
                        m_session.hexNumbers());
}

void Diagnostics::IdentifyButtonClick()
{
    if (m_session.busy())
        return;
    const std::optional<int> unit = askUnit(QStringLiteral("Identify Unit"));
    if (!unit)
        return;
    const int shown = *unit;
    if (m_session.CALHeaderForUnit(shown).isEmpty())
        return; // the path was refused and the user told
    Session::Command command = m_session.begin(QStringLiteral("Identify"));
    if (!command)
        return;
    Reply reply;
    {
        WaitCursor wait;
        reply = unitReply(shown, kIdentifyTypeBody, "8901*");
    }
    if (!reply.answered() && command.interrupted())
        return;
    if (!reply.answered()) {
        showMessage(NoReplyText(shown, m_session.hexNumbers()));
        return;
    }
    const std::string type =
        UnitTypeFromReply(reply.line.toStdString(), m_session.GetNetworkPathLength());
    showMessage(IdentifyUnitText(shown, type, m_session.hexNumbers()));
}

bool Diagnostics::GetAllUnitTypes(std::string* missing)
{
    Session::Command command = m_session.begin(QStringLiteral("Identify All Units"));
    if (!command)
        return false;
    WaitCursor wait;
    std::string lacking;
    const bool ran = listUnits(command, false, m_unitTypes, lacking);
    if (missing)
        *missing = lacking;
    return ran;
}

bool Diagnostics::installationMMI()
{
    const QByteArray header = m_session.SALHeader(255);
    if (header.isEmpty())
        return false;
    initiateMMI(header + InstallationMMIBody().c_str(), kMMIInstallation);
    return true;
}

bool Diagnostics::listUnits(Session::Command& command, bool voltage, UnitTypeTable& values,
                            std::string& missing)
{
    if (!installationMMI())
        return false;
    // Reports that straggle in during the questions below must not change
    // which addresses are asked.
    const auto states = m_session.mmi().table();
    std::vector<int> present;
    for (int unit = 0; unit < MMIResults::kSize; ++unit)
        if (states[static_cast<std::size_t>(unit)] != 0)
            present.push_back(unit);
    for (auto& value : values)
        value.clear();
    std::vector<int> silent;
    int asked = 0;
    const int pathLength = m_session.GetNetworkPathLength();
    const std::string network = pathLength > 0 ? m_session.replyPath() : std::string("0");
    for (const int unit : present) {
        if (command.interrupted())
            break;
        command.progress(asked + 1, static_cast<int>(present.size()));
        const Reply reply = voltage ? unitReply(unit, kIdentifyVoltageBody, "8607*")
                                    : unitReply(unit, kIdentifyTypeBody, "8901*");
        // An answer that came just before the link went is kept.
        if (!reply.answered() && command.interrupted())
            break;
        ++asked;
        const std::string line = reply.line.toStdString();
        if (!reply.answered())
            silent.push_back(unit);
        else
            values[static_cast<std::size_t>(unit)] = voltage
                                                         ? UnitVoltageFromReply(line, pathLength)
                                                         : UnitTypeFromReply(line, pathLength);
        // When it answered (or was found silent), whenever the list is read.
        const std::string when =
            m_session.now().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toStdString();
        const std::string& value = values[static_cast<std::size_t>(unit)];
        if (voltage)
            m_installation.recordVoltage(network, unit, reply.answered(), value, when);
        else
            m_installation.recordType(network, unit, reply.answered(), value, when);
    }
    const std::string stoppedBy = !command.interrupted()    ? std::string()
                                  : m_session.link().lost() ? std::string("the link was lost")
                                                            : std::string("cancelled");
    missing = UnitListMissingText(silent, asked, static_cast<int>(present.size()), stoppedBy,
                                  m_session.hexNumbers());
    return true;
}

void Diagnostics::IdentifyAllItemClick()
{
    std::string missing;
    if (!GetAllUnitTypes(&missing))
        return;
    showMessage(UnitListText(m_unitTypes, missing, m_session.hexNumbers()));
    emit installationListed();
}

void Diagnostics::GetUnitVoltagesItemClick()
{
    Session::Command command = m_session.begin(QStringLiteral("Get Unit Voltages"));
    if (!command)
        return;
    std::string text;
    {
        WaitCursor wait;
        UnitTypeTable voltages;
        std::string missing;
        if (!listUnits(command, true, voltages, missing))
            return;
        text = UnitListText(voltages, missing, m_session.hexNumbers());
    }
    showMessage(text);
    emit installationListed();
}

void Diagnostics::GetEEPROMDataItemClick()
{
    if (m_session.busy())
        return;
    const std::optional<int> unit = askUnit(QStringLiteral("Get Unit EEPROM Data"));
    if (!unit)
        return;
    const QByteArray header = m_session.CALHeaderForUnit(*unit);
    if (header.isEmpty())
        return;
    Session::Command command = m_session.begin(QStringLiteral("Get EEPROM Data"));
    if (!command)
        return;
    setMMIMode(kMMINone);
    int answered = 0;
    {
        WaitCursor wait;
        const int path = m_session.GetNetworkPathLength();
        const std::string route = m_session.replyPath();
        for (int block = 0; block < UnitDataImage::kBlocks && !command.interrupted(); ++block) {
            command.progress(block + 1, UnitDataImage::kBlocks);
            const Reply reply = request(
                header + UnitDataImage::BlockCommandBody(block).c_str(),
                UnitDataImage::BlockReplyPattern(block, static_cast<int>(*unit), route), 1, 2,
                QStringLiteral("Unit %1: EEPROM Block %2 of %3")
                    .arg(m_session.NumberString(*unit))
                    .arg(block + 1)
                    .arg(UnitDataImage::kBlocks));
            answered += reply.answered() ? 1 : 0;
            m_unitData.StoreBlock(block, reply.line.toStdString(), path);
        }
    }
    QString note = mmiNote(command);
    if (note.isEmpty() && answered < UnitDataImage::kBlocks)
        note = answered == 0 ? Latin1(NoReplyText(static_cast<int>(*unit), m_session.hexNumbers()))
                             : QStringLiteral("Incomplete: %1 of %2 blocks answered.")
                                   .arg(answered)
                                   .arg(UnitDataImage::kBlocks);
    showResults(note);
}

// ---------------------------------------------------------------------------
// MMIs

void Diagnostics::setMMIMode(int mode)
{
    m_session.state().mmiMode = mode;
    m_session.mmi().setMode(mode);
}

void Diagnostics::waitForLastIndex(int index, const QElapsedTimer& since)
{
    // The receive path pokes the waiter after every line it has collected,
    // so the wait ends on the report that fills `index`.
    const int left = kMMIWaitMs - static_cast<int>(since.elapsed());
    m_session.link().waitFor([this, index] { return m_session.mmi().lastIndex() == index; },
                             std::max(0, left));
}

void Diagnostics::initiateMMI(const QByteArray& command, int mode)
{
    WaitCursor wait;
    m_session.mmi().ClearMMIResults();
    setMMIMode(mode);
    QElapsedTimer since;
    since.start();
    m_session.SendTarvinCommand(command);
    waitForLastIndex(MMIResults::kSize - 1, since);
}

bool Diagnostics::InitiateMMI(const QByteArray& command, int mode)
{
    Session::Command running = m_session.begin(QStringLiteral("MMI"));
    if (!running)
        return false;
    initiateMMI(command, mode);
    return true;
}

std::optional<int> Diagnostics::askApplication(const QString& title)
{
    const int selected = m_selectedApplication ? m_selectedApplication() : 0x38;
    return AskBusNumber(m_prompter, m_window, title, QStringLiteral("Application Number"),
                        "application", m_session.hexNumbers(), m_session.NumberString(selected));
}

std::optional<std::pair<int, QByteArray>> Diagnostics::applicationInquiry(const QString& title)
{
    const std::optional<int> application = askApplication(title);
    if (!application)
        return std::nullopt;
    const QByteArray header = m_session.SALHeader(255);
    if (header.isEmpty())
        return std::nullopt;
    return std::make_pair(*application, header);
}

QString Diagnostics::mmiNote(const Session::Command& command) const
{
    if (command.interrupted())
        return m_session.link().lost() ? QStringLiteral("Incomplete: the link was lost.")
                                       : QStringLiteral("Incomplete: the command was cancelled.");
    if (m_session.mmi().mode() != kMMINone && m_session.mmi().reports() == 0)
        return QStringLiteral("No unit answered: no status report came.");
    return {};
}

QString Diagnostics::levelNote(const Session::Command& command) const
{
    QString note = mmiNote(command);
    const std::string missing = UnreportedGroups(m_session.mmi().table(), m_session.hexNumbers());
    if (missing.empty() || m_session.mmi().reports() == 0)
        return note;
    if (!note.isEmpty())
        note += QLatin1Char(' ');
    return note + QStringLiteral("No report for groups %1.").arg(Latin1(missing));
}

QString Diagnostics::inquirySubject(int application) const
{
    const std::string path = m_session.replyPath();
    const QString network = path.empty() ? QStringLiteral("Local Network")
                                         : QStringLiteral("Network Path %1").arg(Latin1(path));
    if (application < 0)
        return network;
    return Latin1(ApplicationLabel(application, m_session.hexNumbers())) + QStringLiteral(", ") +
           network;
}

void Diagnostics::InstallationMMIButtonClick()
{
    Session::Command command = m_session.begin(QStringLiteral("Installation MMI"));
    if (!command || !installationMMI())
        return;
    showResults(mmiNote(command), inquirySubject(-1));
}

void Diagnostics::ApplicationMMIButtonClick()
{
    if (m_session.busy())
        return;
    const auto inquiry = applicationInquiry(QStringLiteral("Application MMI"));
    if (!inquiry)
        return;
    Session::Command command = m_session.begin(QStringLiteral("Application MMI"));
    if (!command)
        return;
    const auto& [application, header] = *inquiry;
    initiateMMI(header + ApplicationMMIBody(application).c_str(), kMMIApplication);
    showResults(mmiNote(command), inquirySubject(application));
}

void Diagnostics::LevelMMIButtonClick()
{
    if (m_session.busy())
        return;
    const auto inquiry = applicationInquiry(QStringLiteral("Level MMI"));
    if (!inquiry)
        return;
    Session::Command command = m_session.begin(QStringLiteral("Level MMI"));
    if (!command)
        return;
    const auto& [application, header] = *inquiry;
    {
        WaitCursor wait;
        m_session.mmi().ClearMMIResults(kLevelNotReported);
        setMMIMode(kMMILevel);
        for (int block = 1; block <= 8 && !command.interrupted(); ++block) {
            command.progress(block, 8);
            QElapsedTimer since;
            since.start();
            m_session.SendTarvinCommand(header + LevelMMIBody(application, block).c_str());
            waitForLastIndex(LevelMMIBlockEnd(block), since);
        }
    }
    showResults(levelNote(command), inquirySubject(application));
}

void Diagnostics::showResults(const QString& note, const QString& subject)
{
    // One results window at a time; it is modal to the user but the command
    // does not block on it, so the waits above have all ended by now.
    if (m_results)
        m_results->close();
    const MMIResultsLayout layout =
        LayoutMMIResults(m_session.state().mmiMode, m_session.mmi().table(), m_unitData.bytes(),
                         m_session.hexNumbers());
    auto* window = new TMMIResultsForm(layout, subject, m_window);
    window->setNote(note);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowModality(Qt::ApplicationModal);
    connect(window, &TMMIResultsForm::helpRequested, this, &Diagnostics::helpRequested);
    m_results = window;
    window->show();
}

} // namespace tarvin
