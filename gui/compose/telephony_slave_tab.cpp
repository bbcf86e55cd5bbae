#include "gui/compose/telephony_slave_tab.h"

#include "core/compose/telephony.h"
#include "gui/compose/tab_support.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

namespace tarvin {

using namespace tabs;

TelephonySlaveTab::TelephonySlaveTab(Session& session, Prompter& prompter, QWidget* parent)
    : QWidget(parent), m_session(session), m_prompter(prompter)
{
    const auto button = [this](const char* name, const QString& caption, int column, int row) {
        return AddButton(this, name, caption, {8 + column * 128, 8 + row * 34, 124, 28});
    };
    IsolateNormalButton = button("IsolateNormalButton", QStringLiteral("Isolation Normal"), 0, 0);
    IsolateSecondaryButton =
        button("IsolateSecondaryButton", QStringLiteral("Isolate Secondary"), 0, 1);
    RecallOutgoingButton = button("RecallOutgoingButton", QStringLiteral("Recall Outgoing"), 1, 0);
    RecallIncomingButton = button("RecallIncomingButton", QStringLiteral("Recall Incoming"), 1, 1);
    RejectCallButton = button("RejectCallButton", QStringLiteral("Reject Call"), 0, 2);

    auto* diversion = Named(new QGroupBox(QStringLiteral("Diversion"), this), "DiversionGroupBox");
    diversion->setGeometry(268, 2, 290, 90);
    AddLabel(diversion, QStringLiteral("Number"), {8, 20, 60, 16});
    NumberEdit = Named(new QLineEdit(diversion), "NumberEdit");
    NumberEdit->setGeometry(70, 18, 210, 24);
    DivertButton = AddButton(diversion, "DivertButton", QStringLiteral("Divert"), {8, 52, 100, 28});
    ClearDiversionButton = AddButton(diversion, "ClearDiversionButton",
                                     QStringLiteral("Clear Diversion"), {114, 52, 120, 28});

    const auto on = [this](QPushButton* b, void (TelephonySlaveTab::*handler)()) {
        connect(b, &QPushButton::clicked, this, handler);
    };
    on(IsolateNormalButton, &TelephonySlaveTab::IsolateNormalButtonClick);
    on(IsolateSecondaryButton, &TelephonySlaveTab::IsolateSecondaryButtonClick);
    on(RecallOutgoingButton, &TelephonySlaveTab::RecallOutgoingButtonClick);
    on(RecallIncomingButton, &TelephonySlaveTab::RecallIncomingButtonClick);
    on(RejectCallButton, &TelephonySlaveTab::RejectCallButtonClick);
    on(DivertButton, &TelephonySlaveTab::DivertButtonClick);
    on(ClearDiversionButton, &TelephonySlaveTab::ClearDiversionButtonClick);
}

void TelephonySlaveTab::SendTelephonyCommand(const std::string& body)
{
    SendSAL(m_session, compose::kTelephonyApp, body);
}

void TelephonySlaveTab::IsolateNormalButtonClick()
{
    SendTelephonyCommand(compose::kIsolateNormalBody);
}

void TelephonySlaveTab::IsolateSecondaryButtonClick()
{
    SendTelephonyCommand(compose::kIsolateSecondaryBody);
}

void TelephonySlaveTab::RecallOutgoingButtonClick()
{
    SendTelephonyCommand(compose::kSlaveRecallOutgoingBody);
}

void TelephonySlaveTab::RecallIncomingButtonClick()
{
    SendTelephonyCommand(compose::kSlaveRecallIncomingBody);
}

void TelephonySlaveTab::RejectCallButtonClick()
{
    SendTelephonyCommand(compose::kRejectCallBody);
}

void TelephonySlaveTab::DivertButtonClick()
{
    if (const auto body =
            CheckedBody(m_prompter, this, compose::DivertBody(Bytes(NumberEdit->text()))))
        SendTelephonyCommand(*body);
}

void TelephonySlaveTab::ClearDiversionButtonClick()
{
    SendTelephonyCommand(compose::kClearDiversionBody);
}

} // namespace tarvin
