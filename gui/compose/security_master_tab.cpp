#include "gui/compose/security_master_tab.h"

#include "core/compose/security.h"
#include "gui/compose/spin_edit.h"
#include "gui/compose/tab_support.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

namespace tarvin {

using namespace tabs;
using compose::ZoneState;

SecurityMasterTab::SecurityMasterTab(Session& session, Prompter& prompter, QWidget* parent)
    : QWidget(parent), m_session(session), m_prompter(prompter)
{
    auto* messages =
        Named(new QGroupBox(QStringLiteral("Status Messages"), this), "StatusMessagesGroupBox");
    messages->setGeometry(8, 2, 230, 84);
    SecurityMessageComboBox = AddCombo(messages, "SecurityMessageComboBox", {8, 20, 214, 24});
    AddItems(SecurityMessageComboBox, compose::kSecurityStatusMessages);
    SecurityMessageComboBox->setCurrentIndex(0);
    SecuritySendButton =
        AddButton(messages, "SecuritySendButton", QStringLiteral("Send"), {8, 50, 80, 26});

    auto* zones = Named(new QGroupBox(QStringLiteral("Zone Status"), this), "ZoneStatusGroupBox");
    zones->setGeometry(244, 2, 300, 118);
    AddLabel(zones, QStringLiteral("Zone"), {8, 20, 40, 16});
    ZoneSpinEdit =
        Named(new SpinEdit(compose::kZoneMin, compose::kZoneMax, 1, zones), "ZoneSpinEdit");
    ZoneSpinEdit->setGeometry(8, 38, 60, 24);
    const auto zoneButton = [zones](const char* name, const QString& caption, int column, int row) {
        return AddButton(zones, name, caption, {76 + column * 74, 16 + row * 32, 70, 28});
    };
    ZoneUnsealedButton = zoneButton("ZoneUnsealedButton", QStringLiteral("Unsealed"), 0, 0);
    ZoneSealedButton = zoneButton("ZoneSealedButton", QStringLiteral("Sealed"), 1, 0);
    ZoneOpenButton = zoneButton("ZoneOpenButton", QStringLiteral("Open"), 2, 0);
    ZoneShortButton = zoneButton("ZoneShortButton", QStringLiteral("Short"), 0, 1);
    ZoneIsolatedButton = zoneButton("ZoneIsolatedButton", QStringLiteral("Isolated"), 1, 1);
    ZoneNameButton = zoneButton("ZoneNameButton", QStringLiteral("Name"), 2, 1);
    ArmReadyButton = zoneButton("ArmReadyButton", QStringLiteral("Arm Ready"), 0, 2);
    ArmNotReadyButton = zoneButton("ArmNotReadyButton", QStringLiteral("Arm Fail"), 1, 2);

    Status1Edit = Named(new QLineEdit(Latin1(compose::kDefaultStatus1), this), "Status1Edit");
    Status1Edit->setGeometry(552, 8, 190, 24);
    Status1Button = AddButton(this, "Status1Button", QStringLiteral("Status 1"), {552, 34, 90, 26});
    Status2Edit = Named(new QLineEdit(Latin1(compose::kDefaultStatus2), this), "Status2Edit");
    Status2Edit->setGeometry(552, 64, 190, 24);
    Status2Button = AddButton(this, "Status2Button", QStringLiteral("Status 2"), {552, 90, 90, 26});

    const auto on = [this](QPushButton* button, void (SecurityMasterTab::*handler)()) {
        connect(button, &QPushButton::clicked, this, handler);
    };
    on(SecuritySendButton, &SecurityMasterTab::SecuritySendButtonClick);
    on(ZoneUnsealedButton, &SecurityMasterTab::ZoneUnsealedButtonClick);
    on(ZoneSealedButton, &SecurityMasterTab::ZoneSealedButtonClick);
    on(ZoneOpenButton, &SecurityMasterTab::ZoneOpenButtonClick);
    on(ZoneShortButton, &SecurityMasterTab::ZoneShortButtonClick);
    on(ZoneIsolatedButton, &SecurityMasterTab::ZoneIsolatedButtonClick);
    on(ZoneNameButton, &SecurityMasterTab::ZoneNameButtonClick);
    on(ArmReadyButton, &SecurityMasterTab::ArmReadyButtonClick);
    on(ArmNotReadyButton, &SecurityMasterTab::ArmNotReadyButtonClick);
    on(Status1Button, &SecurityMasterTab::Status1ButtonClick);
    on(Status2Button, &SecurityMasterTab::Status2ButtonClick);
}

void SecurityMasterTab::SendSecurityCommand(const std::string& body)
{
    SendSAL(m_session, compose::kSecurityApp, body);
}

void SecurityMasterTab::SecuritySendButtonClick()
{
    SendSecurityCommand(compose::SecurityStatusBody(SecurityMessageComboBox->currentIndex()));
}

void SecurityMasterTab::ZoneUnsealedButtonClick()
{
    SendSecurityCommand(compose::ZoneStateBody(ZoneState::Unsealed, ZoneSpinEdit->value()));
}

void SecurityMasterTab::ZoneSealedButtonClick()
{
    SendSecurityCommand(compose::ZoneStateBody(ZoneState::Sealed, ZoneSpinEdit->value()));
}

void SecurityMasterTab::ZoneOpenButtonClick()
{
    SendSecurityCommand(compose::ZoneStateBody(ZoneState::Open, ZoneSpinEdit->value()));
}

void SecurityMasterTab::ZoneShortButtonClick()
{
    SendSecurityCommand(compose::ZoneStateBody(ZoneState::Short, ZoneSpinEdit->value()));
}

void SecurityMasterTab::ZoneIsolatedButtonClick()
{
    SendSecurityCommand(compose::ZoneStateBody(ZoneState::Isolated, ZoneSpinEdit->value()));
}

void SecurityMasterTab::ZoneNameButtonClick()
{
    // The name carries the field's text as shown.
    SendSecurityCommand(compose::ZoneNameBody(ZoneSpinEdit->value(), Bytes(ZoneSpinEdit->text())));
}

void SecurityMasterTab::ArmReadyButtonClick()
{
    SendSecurityCommand(compose::kArmReadyBody);
}

void SecurityMasterTab::ArmNotReadyButtonClick()
{
    SendSecurityCommand(compose::ZoneStateBody(ZoneState::ArmFail, ZoneSpinEdit->value()));
}

void SecurityMasterTab::Status1ButtonClick()
{
    if (const auto body =
            CheckedBody(m_prompter, this, compose::Status1Body(Bytes(Status1Edit->text()))))
        SendSecurityCommand(*body);
}

void SecurityMasterTab::Status2ButtonClick()
{
    if (const auto body =
            CheckedBody(m_prompter, this, compose::Status2Body(Bytes(Status2Edit->text()))))
        SendSecurityCommand(*body);
}

} // namespace tarvin
