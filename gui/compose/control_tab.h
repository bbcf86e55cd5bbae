#pragma once
// The Control page: a trigger-control or enable-control command to a group.

#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;

namespace tarvin {

class RadioGroup;
class TMainForm;

// A page of the command area; its controls are its direct children (or sit
// in group boxes directly on it), so the main window's enabling rule reaches
// them.
class ControlTab : public QWidget
{
    Q_OBJECT
public:
    ControlTab(TMainForm& form, QWidget* parent);

    void ControlAppRadioGroupClick();
    void ControlSendButtonClick();

    RadioGroup* ControlAppRadioGroup = nullptr;
    QLabel* ControlGroupLabel = nullptr;
    QComboBox* ControlGroupComboBox = nullptr;
    QLabel* ControlLevelLabel = nullptr;
    QComboBox* ControlLevelComboBox = nullptr;
    QPushButton* ControlSendButton = nullptr;

private:
    TMainForm& m_form;
};

} // namespace tarvin
