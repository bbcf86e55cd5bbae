#include "gui/compose/cal_tab.h"

#include "core/compose/cal.h"
#include "core/link/framing.h"
#include "gui/compose/spin_edit.h"
#include "gui/compose/tab_support.h"
#include "session/session.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace tarvin {

using namespace tabs;

CALTab::CALTab(Session& session, Prompter& prompter, std::function<void()> showAscii,
               QWidget* parent)
    : QWidget(parent), m_session(session), m_prompter(prompter), m_showAscii(std::move(showAscii))
{
    auto* destination =
        Named(new QGroupBox(QStringLiteral("Destination Unit"), this), "DestinationUnitGroupBox");
    destination->setGeometry(8, 2, 200, 118);
    LocalPCIRadioButton =
        Named(new QRadioButton(QStringLiteral("Local PCI"), destination), "LocalPCIRadioButton");
    LocalPCIRadioButton->setGeometry(8, 20, 100, 20);
    OtherUnitRadioButton =
        Named(new QRadioButton(QStringLiteral("Other Unit"), destination), "OtherUnitRadioButton");
    OtherUnitRadioButton->setGeometry(8, 42, 100, 20);
    LocalPCIRadioButton->setChecked(true);
    AddLabel(destination, QStringLiteral("Unit Address"), {8, 66, 120, 16});
    UnitAddressComboBox =
        AddNumberCombo(destination, m_session, "UnitAddressComboBox", {8, 84, 120, 24}, 0);

    auto* command = Named(new QGroupBox(QStringLiteral("Command"), this), "CALCommandGroupBox");
    command->setGeometry(214, 2, 360, 118);
    AddLabel(command, QStringLiteral("Parameter No."), {8, 18, 100, 16});
    ParamComboBox = AddNumberCombo(command, m_session, "ParamComboBox", {8, 36, 100, 24}, 0);
    AddLabel(command, QStringLiteral("Count"), {114, 18, 60, 16});
    CountSpinEdit =
        Named(new SpinEdit(compose::kCountMin, compose::kCountMax, 1, command), "CountSpinEdit");
    CountSpinEdit->setGeometry(114, 36, 60, 24);
    RecallButton = AddButton(command, "RecallButton", QStringLiteral("Recall"), {184, 16, 80, 26});
    GetStatusButton =
        AddButton(command, "GetStatusButton", QStringLiteral("Get Status"), {270, 16, 82, 26});
    ResetButton = AddButton(command, "ResetButton", QStringLiteral("Reset"), {184, 46, 80, 26});
    IdentifyCommandButton =
        AddButton(command, "IdentifyCommandButton", QStringLiteral("Identify"), {8, 80, 80, 26});
    IdentifyComboBox = AddCombo(command, "IdentifyComboBox", {94, 81, 190, 24});
    AddItems(IdentifyComboBox, compose::kIdentifyAttributes);
    IdentifyComboBox->setCurrentIndex(compose::kDefaultIdentifyIndex);

    // Debug mode shows these by name.
    Label18 = Named(new QLabel(QStringLiteral("Data"), this), "Label18");
    Label18->setGeometry(584, 6, 100, 16);
    StoreDataEdit = Named(new QLineEdit(this), "StoreDataEdit");
    StoreDataEdit->setGeometry(584, 24, 170, 24);
    StoreDataEdit->setMaxLength(static_cast<int>(compose::kMaxStoreDataLength));
    UnlockButton = AddButton(this, "UnlockButton", QStringLiteral("Unlock"), {584, 56, 80, 26});
    StoreButton = AddButton(this, "StoreButton", QStringLiteral("Store"), {672, 56, 80, 26});
    for (QWidget* w : {static_cast<QWidget*>(Label18), static_cast<QWidget*>(StoreDataEdit),
                       static_cast<QWidget*>(UnlockButton), static_cast<QWidget*>(StoreButton)})
        w->hide();

    const auto on = [this](QPushButton* b, void (CALTab::*handler)()) {
        connect(b, &QPushButton::clicked, this, handler);
    };
    on(RecallButton, &CALTab::RecallButtonClick);
    on(GetStatusButton, &CALTab::GetStatusButtonClick);
    on(ResetButton, &CALTab::ResetButtonClick);
    on(IdentifyCommandButton, &CALTab::IdentifyCommandButtonClick);
    on(UnlockButton, &CALTab::UnlockButtonClick);
    on(StoreButton, &CALTab::StoreButtonClick);
}

QByteArray CALTab::CALHeader()
{
    if (OtherUnitRadioButton->isChecked())
        return m_session.CALHeaderForUnit(UnitAddressComboBox->currentIndex());
    return QByteArray::fromStdString(LocalPCIHeader(m_session.state().firmwareVersion));
}

void CALTab::SendCAL(const std::string& body)
{
    SendBehind(m_session, CALHeader(), body);
}

void CALTab::RecallButtonClick()
{
    SendCAL(compose::RecallBody(ParamComboBox->currentIndex(), CountSpinEdit->value()));
}

void CALTab::GetStatusButtonClick()
{
    SendCAL(compose::GetStatusBody(ParamComboBox->currentIndex(), CountSpinEdit->value()));
}

void CALTab::ResetButtonClick()
{
    SendCAL(compose::kResetBody);
}

void CALTab::IdentifyCommandButtonClick()
{
    if (m_showAscii)
        m_showAscii();
    const std::string body = compose::IdentifyBody(IdentifyComboBox->currentIndex());
    if (!body.empty())
        SendCAL(body);
}

void CALTab::UnlockButtonClick()
{
    SendCAL(compose::UnlockBody(ParamComboBox->currentIndex()));
}

void CALTab::StoreButtonClick()
{
    if (const auto body = CheckedBody(
            m_prompter, this,
            compose::StoreBody(ParamComboBox->currentIndex(), Bytes(StoreDataEdit->text()))))
        SendCAL(*body);
}

void CALTab::ShowDebugControls()
{
    for (QWidget* w :
         std::initializer_list<QWidget*>{Label18, StoreDataEdit, UnlockButton, StoreButton})
        w->setVisible(true);
}

} // namespace tarvin
