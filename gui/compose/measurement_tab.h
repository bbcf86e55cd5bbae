#pragma once
// The Measurement page: broadcasts one measured value with its device,
// channel, unit and decimal exponent.

#include <QWidget>

class QComboBox;
class QPushButton;

namespace tarvin {

class Prompter;
class Session;
class SpinEdit;

// A page of the command area; its controls are its direct children (or sit
// in group boxes directly on it), so the main window's enabling rule reaches
// them.
class MeasurementTab : public QWidget
{
    Q_OBJECT
public:
    // `prompter` tells what was made of the fields.
    MeasurementTab(Session& session, Prompter& prompter, QWidget* parent);

    void MeasurementButtonClick();

    SpinEdit* DeviceSpinEdit = nullptr;
    SpinEdit* ChannelSpinEdit = nullptr;
    SpinEdit* ValueSpinEdit = nullptr;
    SpinEdit* ExponentSpinEdit = nullptr;
    QComboBox* MeasurementComboBox = nullptr;
    QPushButton* MeasurementButton = nullptr;

private:
    Session& m_session;
    Prompter& m_prompter;
};

} // namespace tarvin
