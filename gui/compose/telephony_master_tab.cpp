#include "gui/compose/telephony_master_tab.h"

#include "core/compose/telephony.h"
#include "gui/compose/tab_support.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

namespace tarvin {

using namespace tabs;

TelephonyMasterTab::TelephonyMasterTab(Session& session, Prompter& prompter, QWidget* parent)
    : QWidget(parent), m_session(session), m_prompter(prompter)
{
    AddLabel(this, QStringLiteral("Telephone Number"), {8, 4, 150, 16});
    PhoneNumberEdit = Named(new QLineEdit(this), "PhoneNumberEdit");
    PhoneNumberEdit->setGeometry(8, 22, 150, 24);
    RingingButton = AddButton(this, "RingingButton", QStringLiteral("Ringing"), {8, 52, 74, 28});
    InternetRequestButton = AddButton(this, "InternetRequestButton",
                                      QStringLiteral("Internet Request"), {84, 52, 120, 28});
    RecallOutButton =
        AddButton(this, "RecallOutButton", QStringLiteral("Recall Outgoing"), {8, 84, 120, 28});
    RecallInButton =
        AddButton(this, "RecallInButton", QStringLiteral("Recall Incoming"), {130, 84, 120, 28});

    auto* hook = Named(new QGroupBox(QStringLiteral("On / Off Hook"), this), "HookGroupBox");
    hook->setGeometry(258, 2, 250, 90);
    OnHookButton = AddButton(hook, "OnHookButton", QStringLiteral("On Hook"), {8, 20, 80, 28});
    OffHookComboBox = AddCombo(hook, "OffHookComboBox", {94, 56, 148, 24});
    AddItems(OffHookComboBox, compose::kOffHookKinds);
    OffHookComboBox->setCurrentIndex(0);
    OffHookButton = AddButton(hook, "OffHookButton", QStringLiteral("Off Hook"), {8, 54, 80, 28});

    auto* failure = Named(new QGroupBox(QStringLiteral("Failure"), this), "FailureGroupBox");
    failure->setGeometry(514, 2, 250, 90);
    DialInButton = AddButton(failure, "DialInButton", QStringLiteral("Dial In"), {8, 20, 80, 28});
    AddLabel(failure, QStringLiteral("Reason"), {94, 18, 100, 16});
    DialOutFailureComboBox = AddCombo(failure, "DialOutFailureComboBox", {94, 56, 148, 24});
    AddItems(DialOutFailureComboBox, compose::kDialOutFailureReasons);
    DialOutFailureComboBox->setCurrentIndex(0);
    DialOutButton =
        AddButton(failure, "DialOutButton", QStringLiteral("Dial Out"), {8, 54, 80, 28});

    const auto on = [this](QPushButton* b, void (TelephonyMasterTab::*handler)()) {
        connect(b, &QPushButton::clicked, this, handler);
    };
    on(OnHookButton, &TelephonyMasterTab::OnHookButtonClick);
    on(OffHookButton, &TelephonyMasterTab::OffHookButtonClick);
    on(DialInButton, &TelephonyMasterTab::DialInButtonClick);
    on(DialOutButton, &TelephonyMasterTab::DialOutButtonClick);
    on(RingingButton, &TelephonyMasterTab::RingingButtonClick);
    on(RecallOutButton, &TelephonyMasterTab::RecallOutButtonClick);
    on(RecallInButton, &TelephonyMasterTab::RecallInButtonClick);
    on(InternetRequestButton, &TelephonyMasterTab::InternetRequestButtonClick);
}

void TelephonyMasterTab::SendTelephonyCommand(const std::string& body)
{
    SendSAL(m_session, compose::kTelephonyApp, body);
}

void TelephonyMasterTab::SendChecked(const compose::ComposeResult& result)
{
    if (const auto body = CheckedBody(m_prompter, this, result))
        SendTelephonyCommand(*body);
}

void TelephonyMasterTab::OnHookButtonClick()
{
    SendTelephonyCommand(compose::kOnHookBody);
}

void TelephonyMasterTab::OffHookButtonClick()
{
    SendChecked(
        compose::OffHookBody(OffHookComboBox->currentIndex(), Bytes(PhoneNumberEdit->text())));
}

void TelephonyMasterTab::DialInButtonClick()
{
    SendTelephonyCommand(compose::kDialInBody);
}

void TelephonyMasterTab::DialOutButtonClick()
{
    const std::string body = compose::DialOutBody(DialOutFailureComboBox->currentIndex());
    if (!body.empty())
        SendTelephonyCommand(body);
}

void TelephonyMasterTab::RingingButtonClick()
{
    SendChecked(compose::RingingBody(Bytes(PhoneNumberEdit->text())));
}

void TelephonyMasterTab::RecallOutButtonClick()
{
    SendChecked(compose::RecallOutgoingBody(Bytes(PhoneNumberEdit->text())));
}

void TelephonyMasterTab::RecallInButtonClick()
{
    SendChecked(compose::RecallIncomingBody(Bytes(PhoneNumberEdit->text())));
}

void TelephonyMasterTab::InternetRequestButtonClick()
{
    SendTelephonyCommand(compose::kInternetRequestBody);
}

} // namespace tarvin
