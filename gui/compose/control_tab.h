#pragma once
// The Control page: a trigger-control or enable-control command to a group.

#include "gui/compose/tab_support.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;

namespace tarvin {

class RadioGroup;
class Session;

// A page of the command area; its controls are its direct children (or sit
// in group boxes directly on it), so the main window's enabling rule reaches
// them.
class ControlTab : public QWidget
{
    Q_OBJECT
public:
    // `assignMenu` is the send button's right-click menu.
    ControlTab(Session& session, tabs::AssignMenu assignMenu, QWidget* parent);

    void ControlAppRadioGroupClick();
    void ControlSendButtonClick();

    RadioGroup* ControlAppRadioGroup = nullptr;
    QLabel* ControlGroupLabel = nullptr;
    QComboBox* ControlGroupComboBox = nullptr;
    QLabel* ControlLevelLabel = nullptr;
    QComboBox* ControlLevelComboBox = nullptr;
    QPushButton* ControlSendButton = nullptr;

private:
    Session& m_session;
};

} // namespace tarvin
