#include "gui/compose/control_tab.h"

#include "core/compose/control.h"
#include "gui/compose/radio_group.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace tarvin {

using namespace tabs;

ControlTab::ControlTab(Session& session, tabs::AssignMenu assignMenu, QWidget* parent)
    : QWidget(parent), m_session(session)
{
    QStringList applications;
    for (const compose::CodedItem& item : compose::kControlApplications)
        applications << Latin1(item.text);
    ControlAppRadioGroup =
        Named(new RadioGroup(QStringLiteral("Control Application"), applications, 1, this),
              "ControlAppRadioGroup");
    ControlAppRadioGroup->setGeometry(8, 2, 200, 80);
    ControlAppRadioGroup->setItemIndex(0);

    ControlGroupLabel = Named(new QLabel(this), "ControlGroupLabel");
    ControlGroupLabel->setGeometry(224, 8, 130, 16);
    ControlGroupComboBox =
        AddNumberCombo(this, m_session, "ControlGroupComboBox", {224, 26, 120, 24}, 0);
    ControlLevelLabel = Named(new QLabel(this), "ControlLevelLabel");
    ControlLevelLabel->setGeometry(360, 8, 130, 16);
    ControlLevelComboBox =
        AddNumberCombo(this, m_session, "ControlLevelComboBox", {360, 26, 120, 24}, 0);
    ControlSendButton =
        AddButton(this, "ControlSendButton", QStringLiteral("Send"), {500, 24, 90, 28});
    AttachAssignMenu(ControlSendButton, std::move(assignMenu));
    ControlAppRadioGroupClick();

    connect(ControlAppRadioGroup, &RadioGroup::itemClicked, this,
            &ControlTab::ControlAppRadioGroupClick);
    connect(ControlSendButton, &QPushButton::clicked, this, &ControlTab::ControlSendButtonClick);
}

void ControlTab::ControlAppRadioGroupClick()
{
    const int index = ControlAppRadioGroup->itemIndex() == 1 ? 1 : 0;
    const compose::ControlLabels& labels = compose::kControlLabels[static_cast<std::size_t>(index)];
    ControlGroupLabel->setText(Latin1(labels.group));
    ControlLevelLabel->setText(Latin1(labels.level));
}

void ControlTab::ControlSendButtonClick()
{
    SendSAL(m_session, compose::ControlApplication(ControlAppRadioGroup->itemIndex()),
            compose::ControlBody(ControlGroupComboBox->currentIndex(),
                                 ControlLevelComboBox->currentIndex()));
}

} // namespace tarvin
