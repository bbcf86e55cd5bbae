#include "gui/compose/security_slave_tab.h"

#include "core/compose/security.h"
#include "gui/compose/spin_edit.h"
#include "gui/compose/tab_support.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

namespace tarvin {

using namespace tabs;

SecuritySlaveTab::SecuritySlaveTab(Session& session, Prompter& prompter, QWidget* parent)
    : QWidget(parent), m_session(session), m_prompter(prompter)
{
    const auto button = [this](const char* name, const QString& caption, int row) {
        return AddButton(this, name, caption, {8, 2 + row * 24, 100, 23});
    };
    GetStatus1Button = button("GetStatus1Button", QStringLiteral("Get Status 1"), 0);
    GetStatus2Button = button("GetStatus2Button", QStringLiteral("Get Status 2"), 1);
    RaiseTamperButton = button("RaiseTamperButton", QStringLiteral("Raise Tamper"), 2);
    DropTamperButton = button("DropTamperButton", QStringLiteral("Drop Tamper"), 3);
    AlarmButton = button("AlarmButton", QStringLiteral("Alarm"), 4);

    auto* arm = Named(new QGroupBox(QStringLiteral("Arm"), this), "ArmGroupBox");
    arm->setGeometry(116, 2, 170, 56);
    ArmComboBox = AddCombo(arm, "ArmComboBox", {8, 22, 110, 24});
    AddItems(ArmComboBox, compose::kArmModes);
    ArmComboBox->setCurrentIndex(0);
    ArmButton = AddButton(arm, "ArmButton", QStringLiteral("Arm"), {122, 20, 42, 26});

    auto* message =
        Named(new QGroupBox(QStringLiteral("Display Message"), this), "DisplayMessageGroupBox");
    message->setGeometry(116, 62, 170, 56);
    MessageEdit =
        Named(new QLineEdit(Latin1(compose::kDefaultDisplayMessage), message), "MessageEdit");
    MessageEdit->setGeometry(8, 22, 110, 24);
    DisplayMessageButton =
        AddButton(message, "DisplayMessageButton", QStringLiteral("Send"), {122, 20, 42, 26});

    auto* zoneName =
        Named(new QGroupBox(QStringLiteral("Get Zone Name"), this), "GetZoneNameGroupBox");
    zoneName->setGeometry(292, 2, 130, 56);
    ZoneNumberSpinEdit = Named(new SpinEdit(compose::kZoneMin, compose::kZoneMax, 1, zoneName),
                               "ZoneNumberSpinEdit");
    ZoneNumberSpinEdit->setGeometry(8, 22, 64, 24);
    GetZoneNameButton =
        AddButton(zoneName, "GetZoneNameButton", QStringLiteral("Send"), {78, 20, 46, 26});

    auto* keypad = Named(new QGroupBox(QStringLiteral("Keypad"), this), "KeypadGroupBox");
    keypad->setGeometry(430, 2, 200, 118);
    const auto key = [keypad](const char* name, const QString& caption, int column, int row,
                              int span = 1) {
        return AddButton(keypad, name, caption,
                         {8 + column * 46, 18 + row * 24, 44 * span + 2 * (span - 1), 23});
    };
    Keypad1Button = key("Keypad1Button", QStringLiteral("1"), 0, 0);
    Keypad2Button = key("Keypad2Button", QStringLiteral("2"), 1, 0);
    Keypad3Button = key("Keypad3Button", QStringLiteral("3"), 2, 0);
    Keypad4Button = key("Keypad4Button", QStringLiteral("4"), 0, 1);
    Keypad5Button = key("Keypad5Button", QStringLiteral("5"), 1, 1);
    Keypad6Button = key("Keypad6Button", QStringLiteral("6"), 2, 1);
    Keypad7Button = key("Keypad7Button", QStringLiteral("7"), 0, 2);
    Keypad8Button = key("Keypad8Button", QStringLiteral("8"), 1, 2);
    Keypad9Button = key("Keypad9Button", QStringLiteral("9"), 2, 2);
    Keypad0Button = key("Keypad0Button", QStringLiteral("0"), 0, 3);
    KeypadEnterButton = key("KeypadEnterButton", QStringLiteral("Enter"), 1, 3, 2);

    const auto on = [this](QPushButton* b, void (SecuritySlaveTab::*handler)()) {
        connect(b, &QPushButton::clicked, this, handler);
    };
    on(GetStatus1Button, &SecuritySlaveTab::GetStatus1ButtonClick);
    on(GetStatus2Button, &SecuritySlaveTab::GetStatus2ButtonClick);
    on(ArmButton, &SecuritySlaveTab::ArmButtonClick);
    on(AlarmButton, &SecuritySlaveTab::AlarmButtonClick);
    on(RaiseTamperButton, &SecuritySlaveTab::RaiseTamperButtonClick);
    on(DropTamperButton, &SecuritySlaveTab::DropTamperButtonClick);
    on(DisplayMessageButton, &SecuritySlaveTab::DisplayMessageButtonClick);
    on(GetZoneNameButton, &SecuritySlaveTab::GetZoneNameButtonClick);
    for (QPushButton* k :
         {Keypad1Button, Keypad2Button, Keypad3Button, Keypad4Button, Keypad5Button, Keypad6Button,
          Keypad7Button, Keypad8Button, Keypad9Button, Keypad0Button, KeypadEnterButton})
        connect(k, &QPushButton::clicked, this, [this, k] { Keypad1ButtonClick(k); });
}

void SecuritySlaveTab::SendSecurityCommand(const std::string& body)
{
    SendSAL(m_session, compose::kSecurityApp, body);
}

void SecuritySlaveTab::GetStatus1ButtonClick()
{
    SendSecurityCommand(compose::kGetStatus1Body);
}

void SecuritySlaveTab::GetStatus2ButtonClick()
{
    SendSecurityCommand(compose::kGetStatus2Body);
}

void SecuritySlaveTab::ArmButtonClick()
{
    SendSecurityCommand(compose::ArmBody(ArmComboBox->currentIndex()));
}

void SecuritySlaveTab::AlarmButtonClick()
{
    SendSecurityCommand(compose::kAlarmBody);
}

void SecuritySlaveTab::RaiseTamperButtonClick()
{
    SendSecurityCommand(compose::kRaiseTamperBody);
}

void SecuritySlaveTab::DropTamperButtonClick()
{
    SendSecurityCommand(compose::kDropTamperBody);
}

void SecuritySlaveTab::DisplayMessageButtonClick()
{
    if (const auto body =
            CheckedBody(m_prompter, this, compose::DisplayMessageBody(Bytes(MessageEdit->text()))))
        SendSecurityCommand(*body);
}

void SecuritySlaveTab::GetZoneNameButtonClick()
{
    SendSecurityCommand(compose::GetZoneNameBody(ZoneNumberSpinEdit->value()));
}

void SecuritySlaveTab::Keypad1ButtonClick(QPushButton* key)
{
    const std::string body = compose::KeypadBody(Bytes(key->text()));
    if (!body.empty())
        SendSecurityCommand(body);
}

} // namespace tarvin
