#include "diagnostics/diagnostics.h"

#include "app/main_form.h"
#include "app/prompter.h"
#include "decode/hex.h"
#include "diagnostics/diagnostics_support.h"
#include "diagnostics/mmi_layout.h"
#include "diagnostics/mmi_results_form.h"
#include "link/framing.h"
#include "link/link_session.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>

#include <algorithm>
#include <climits>

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

} // namespace

// Marks a command as running; a second one started from inside its waits
// finds the flag set and does nothing.
class Diagnostics::Command
{
public:
    explicit Command(Diagnostics& owner) : m_owner(owner), m_started(!owner.m_busy)
    {
        if (m_started)
            m_owner.m_busy = true;
    }
    ~Command()
    {
        if (m_started)
            m_owner.m_busy = false;
    }
    Command(const Command&) = delete;
    Command& operator=(const Command&) = delete;
    explicit operator bool() const { return m_started; }

private:
    Diagnostics& m_owner;
    bool m_started;
};

Diagnostics::Diagnostics(TMainForm& form) : QObject(&form), m_form(form) {}

void Diagnostics::wire()
{
    if (m_wired)
        return; // twice would run every command twice
    m_wired = true;
    const auto on = [this](QAction* item, void (Diagnostics::*handler)()) {
        if (item)
            connect(item, &QAction::triggered, this, handler);
    };
    const auto onClick = [this](QPushButton* button, void (Diagnostics::*handler)()) {
        if (button)
            connect(button, &QPushButton::clicked, this, handler);
    };
    // "Get PCI Data" and its button already go through the main window.
    on(m_form.IdentifyItem, &Diagnostics::IdentifyButtonClick);
    on(m_form.IdentifyAllItem, &Diagnostics::IdentifyAllItemClick);
    on(m_form.GetUnitVoltagesItem, &Diagnostics::GetUnitVoltagesItemClick);
    on(m_form.GetEEPROMDataItem, &Diagnostics::GetEEPROMDataItemClick);
    on(m_form.InstallationMMIItem, &Diagnostics::InstallationMMIButtonClick);
    on(m_form.ApplicationMMIItem, &Diagnostics::ApplicationMMIButtonClick);
    on(m_form.LevelMMIItem, &Diagnostics::LevelMMIButtonClick);
    onClick(m_form.IdentifyButton, &Diagnostics::IdentifyButtonClick);
    onClick(m_form.InstallationMMIButton, &Diagnostics::InstallationMMIButtonClick);
    onClick(m_form.ApplicationMMIButton, &Diagnostics::ApplicationMMIButtonClick);
    onClick(m_form.LevelMMIButton, &Diagnostics::LevelMMIButtonClick);
}

// ---------------------------------------------------------------------------
// Requests

QByteArray Diagnostics::request(const QByteArray& command, const std::string& pattern, int seconds,
                                int tries)
{
    const QByteArray reply =
        m_form.SendCALGetResponse(command, QByteArray::fromStdString(pattern), seconds, tries);
    return QByteArray::fromStdString(StripReplyMarkers(reply.toStdString()));
}

void Diagnostics::showMessage(const std::string& text)
{
    m_form.prompter().message(&m_form, Prompter::Icon::Information, Latin1(text));
}

// ---------------------------------------------------------------------------
// The connected PCI

void Diagnostics::PCIDataButtonClick()
{
    Command command(*this);
    if (!command)
        return;
    m_form.SetDefaultMode();
    ProgramState& state = m_form.state();
    std::string text;
    {
        WaitCursor wait;
        PCIDetails details;
        for (int f = 0; f < kPCIFieldCount; ++f) {
            const PCIRequest& r = kPCIRequests[static_cast<std::size_t>(f)];
            const QByteArray reply = request(r.command, r.pattern, 1, 2);
            details.fields[static_cast<std::size_t>(f)] =
                DecodePCIField(static_cast<PCIField>(f), reply.toStdString());
            // Without a manufacturer there is no PCI worth asking further.
            if (f == kPCIManufacturer && details.manufacturer().empty())
                break;
        }
        state.firmwareVersion =
            details.manufacturer().empty() ? 0 : ExtractVersion(details.firmwareVersion());
        state.pciOptionByte = 0;
        if (state.firmwareVersion >= 0x400) {
            const QByteArray reply = request(kPCIOptionsCommand, kPCIOptionsPattern, 2, 3);
            state.pciOptionByte = PCIOptionByteFromReply(reply.toStdString());
        }
        if (state.firmwareVersion == 0) {
            for (QPushButton* b :
                 {m_form.ModeButton, m_form.StandardButton, m_form.InstallationMMIButton,
                  m_form.ApplicationMMIButton, m_form.LevelMMIButton, m_form.PCIDataButton})
                if (b)
                    b->setEnabled(false);
        }
        const Settings& settings = m_form.settings();
        const std::string location = settings.usesTcp()
                                         ? TcpLocation(settings.ipAddress, settings.port)
                                         : SerialLocation(settings.comPort);
        text = PCIDetailsText(details, state.firmwareVersion, location);
    }
    showMessage(text);
}

// ---------------------------------------------------------------------------
// Other units

QString Diagnostics::unitReplyText(int unit, const char* body, const char* tail, bool voltage)
{
    if (!IsBusNumber(unit))
        return {};
    const QByteArray header = m_form.CALHeaderForUnit(unit);
    if (header.isEmpty())
        return {};
    const int path = m_form.GetNetworkPathLength();
    const std::string reply =
        request(header + body, UnitReplyPattern(path, tail), 1, 2).toStdString();
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

std::optional<long long> Diagnostics::askUnit(const QString& title)
{
    bool ok = false;
    const QString answer = m_form.prompter().inputText(
        &m_form, title, QStringLiteral("Unit Number :"), QString(), &ok);
    if (!ok)
        return std::nullopt;
    return m_form.StringToNumber(answer);
}

void Diagnostics::IdentifyButtonClick()
{
    Command command(*this);
    if (!command)
        return;
    const std::optional<long long> unit = askUnit(QStringLiteral("Identify Unit"));
    if (!unit)
        return;
    QString type;
    // A number that is no unit address asks nobody and finds nothing.
    if (IsBusNumber(*unit)) {
        WaitCursor wait;
        type = GetUnitType(static_cast<int>(*unit));
    }
    const auto shown = static_cast<int>(std::clamp<long long>(*unit, INT_MIN, INT_MAX));
    showMessage(IdentifyUnitText(shown, type.toLatin1().toStdString(), m_form.hexNumbers()));
}

bool Diagnostics::GetAllUnitTypes()
{
    Command command(*this);
    return command && allUnitTypes();
}

bool Diagnostics::installationMMI()
{
    const QByteArray header = m_form.SALHeader(255);
    if (header.isEmpty())
        return false;
    initiateMMI(header + InstallationMMIBody().c_str(), kMMIInstallation);
    return true;
}

bool Diagnostics::allUnitTypes()
{
    WaitCursor wait;
    if (!installationMMI())
        return false;
    // Reports that straggle in during the identifications below must not
    // change which addresses are asked.
    const auto states = m_mmi.table();
    for (int unit = 0; unit < MMIResults::kSize; ++unit) {
        auto& entry = m_unitTypes[static_cast<std::size_t>(unit)];
        entry = states[static_cast<std::size_t>(unit)] != 0
                    ? GetUnitType(unit).toLatin1().toStdString()
                    : std::string();
    }
    return true;
}

void Diagnostics::IdentifyAllItemClick()
{
    Command command(*this);
    if (!command || !allUnitTypes())
        return;
    showMessage(UnitTypeListText(m_unitTypes, m_form.hexNumbers()));
}

void Diagnostics::GetUnitVoltagesItemClick()
{
    Command command(*this);
    if (!command)
        return;
    std::string text;
    {
        WaitCursor wait;
        if (!installationMMI())
            return;
        const auto states = m_mmi.table();
        for (int unit = 0; unit < MMIResults::kSize; ++unit)
            if (states[static_cast<std::size_t>(unit)] != 0)
                text += UnitListLine(unit, GetUnitVoltage(unit).toLatin1().toStdString(),
                                     m_form.hexNumbers());
    }
    showMessage(text);
}

void Diagnostics::GetEEPROMDataItemClick()
{
    Command command(*this);
    if (!command)
        return;
    const std::optional<long long> unit = askUnit(QStringLiteral("Get Unit EEPROM Data"));
    if (!unit || !IsBusNumber(*unit))
        return;
    const QByteArray header = m_form.CALHeaderForUnit(static_cast<int>(*unit));
    if (header.isEmpty())
        return;
    setMMIMode(kMMINone);
    {
        WaitCursor wait;
        const int path = m_form.GetNetworkPathLength();
        for (int block = 0; block < UnitDataImage::kBlocks; ++block) {
            const QByteArray reply =
                request(header + UnitDataImage::BlockCommandBody(block).c_str(),
                        UnitDataImage::BlockReplyPattern(block, path), 1, 2);
            m_unitData.StoreBlock(block, reply.toStdString(), path);
        }
    }
    showResults();
}

// ---------------------------------------------------------------------------
// MMIs

void Diagnostics::setMMIMode(int mode)
{
    m_form.state().mmiMode = mode;
    m_mmi.setMode(mode);
}

void Diagnostics::CollectMMIReply(const std::string& part)
{
    // The program state owns the mode; follow it whoever set it.
    m_mmi.setMode(m_form.state().mmiMode);
    m_mmi.CollectMMIReply(part);
}

void Diagnostics::waitForLastIndex(int index, const QElapsedTimer& since)
{
    // The receive path pokes the waiter after every line it has collected,
    // so the wait ends on the report that fills `index`.
    const int left = kMMIWaitMs - static_cast<int>(since.elapsed());
    m_form.link().waiter().waitUntil([this, index] { return m_mmi.lastIndex() == index; },
                                     std::max(0, left));
}

void Diagnostics::initiateMMI(const QByteArray& command, int mode)
{
    WaitCursor wait;
    m_mmi.ClearMMIResults();
    setMMIMode(mode);
    QElapsedTimer since;
    since.start();
    m_form.SendTarvinCommand(command);
    waitForLastIndex(MMIResults::kSize - 1, since);
}

bool Diagnostics::InitiateMMI(const QByteArray& command, int mode)
{
    Command running(*this);
    if (!running)
        return false;
    initiateMMI(command, mode);
    return true;
}

std::optional<int> Diagnostics::askApplication()
{
    // The Lighting tab's list holds 0..255 in order: its index is the number.
    const auto* list = m_form.findChild<QComboBox*>(QStringLiteral("LightingAppComboBox"));
    const int selected = list && list->currentIndex() >= 0 ? list->currentIndex() : 0x38;
    bool ok = false;
    const QString answer = m_form.prompter().inputText(&m_form, QStringLiteral("Application MMI"),
                                                       QStringLiteral("Application Number :"),
                                                       m_form.NumberString(selected), &ok);
    if (!ok)
        return std::nullopt;
    const long long application = m_form.StringToNumber(answer);
    // Only a byte fits the request; anything else is treated as Cancel.
    if (!IsBusNumber(application))
        return std::nullopt;
    return static_cast<int>(application);
}

std::optional<std::pair<int, QByteArray>> Diagnostics::applicationInquiry()
{
    const std::optional<int> application = askApplication();
    if (!application)
        return std::nullopt;
    const QByteArray header = m_form.SALHeader(255);
    if (header.isEmpty())
        return std::nullopt;
    return std::make_pair(*application, header);
}

void Diagnostics::InstallationMMIButtonClick()
{
    Command command(*this);
    if (!command || !installationMMI())
        return;
    showResults();
}

void Diagnostics::ApplicationMMIButtonClick()
{
    Command command(*this);
    if (!command)
        return;
    const auto inquiry = applicationInquiry();
    if (!inquiry)
        return;
    const auto& [application, header] = *inquiry;
    initiateMMI(header + ApplicationMMIBody(application).c_str(), kMMIApplication);
    showResults();
}

void Diagnostics::LevelMMIButtonClick()
{
    Command command(*this);
    if (!command)
        return;
    const auto inquiry = applicationInquiry();
    if (!inquiry)
        return;
    const auto& [application, header] = *inquiry;
    {
        WaitCursor wait;
        m_mmi.ClearMMIResults();
        setMMIMode(kMMILevel);
        for (int block = 1; block <= 8; ++block) {
            QElapsedTimer since;
            since.start();
            m_form.SendTarvinCommand(header + LevelMMIBody(application, block).c_str());
            waitForLastIndex(LevelMMIBlockEnd(block), since);
        }
    }
    showResults();
}

void Diagnostics::showResults()
{
    // One results window at a time; it is modal to the user but the command
    // does not block on it, so the waits above have all ended by now.
    if (m_results)
        m_results->close();
    const MMIResultsLayout layout = LayoutMMIResults(m_form.state().mmiMode, m_mmi.table(),
                                                     m_unitData.bytes(), m_form.hexNumbers());
    auto* window = new TMMIResultsForm(layout, &m_form);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowModality(Qt::ApplicationModal);
    connect(window, &TMMIResultsForm::helpRequested, &m_form, &TMainForm::ShowHelp);
    m_results = window;
    window->show();
}

} // namespace tarvin
