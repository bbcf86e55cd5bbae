#pragma once
// The Measurement page: broadcasts one measured value with its device,
// channel, unit and decimal exponent.

#include <QWidget>

class QComboBox;
class QPushButton;

namespace tarvin {

class SpinEdit;
class TMainForm;

// A page of the command area; its controls are its direct children (or sit
// in group boxes directly on it), so the main window's enabling rule reaches
// them.
class MeasurementTab : public QWidget
{
    Q_OBJECT
public:
    MeasurementTab(TMainForm& form, QWidget* parent);

    void MeasurementButtonClick();

    SpinEdit* DeviceSpinEdit = nullptr;
    SpinEdit* ChannelSpinEdit = nullptr;
    SpinEdit* ValueSpinEdit = nullptr;
    SpinEdit* ExponentSpinEdit = nullptr;
    QComboBox* MeasurementComboBox = nullptr;
    QPushButton* MeasurementButton = nullptr;

private:
    TMainForm& m_form;
};

} // namespace tarvin
