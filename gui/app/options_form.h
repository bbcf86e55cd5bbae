#pragma once
// "Program Options": connection, decode options and time stamps. Created
// once and reused; every showing reloads it from the live settings.

#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace tarvin {

class TMainForm;

class TOptionsForm : public QDialog
{
    Q_OBJECT
public:
    explicit TOptionsForm(TMainForm& form);

    void FormShow();
    void OKBitBtnClick();
    void HelpBitBtnClick();
    void SerialSetupButtonClick();

    QGroupBox* ConnectionGroupBox = nullptr;
    QRadioButton* SerialRadioButton = nullptr;
    QComboBox* ComComboBox1 = nullptr;
    QPushButton* SerialSetupButton = nullptr;
    QRadioButton* TCPIPRadioButton = nullptr;
    QLineEdit* IPAddressEdit = nullptr;
    QSpinBox* PortSpinEdit = nullptr;
    // Says so when the stored serial port is not on this computer.
    QLabel* PortNoteLabel = nullptr;
    QGroupBox* DecodeGroupBox = nullptr;
    QCheckBox* ShowNetworkCheckBox = nullptr;
    QCheckBox* ShowUnitCheckBox = nullptr;
    QCheckBox* ShowApplicationCheckBox = nullptr;
    QCheckBox* ShowMessageCheckBox = nullptr;
    QGroupBox* LogGroupBox = nullptr;
    QSpinBox* TimeDecimalPlacesSpinEdit = nullptr;
    QCheckBox* ShowDateCheckBox = nullptr;
    QGroupBox* RadioGroup1 = nullptr;
    QRadioButton* SeparateListsRadioButton = nullptr;
    QRadioButton* CombinedListsRadioButton = nullptr;
    QPushButton* OKBitBtn = nullptr;
    QPushButton* CancelBitBtn = nullptr;
    QPushButton* HelpBitBtn = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
    void ShowSerialPorts(const QString& stored, bool serialChosen);
    // Why the connection settings cannot work, or empty when they can.
    QString ConnectionRefusal() const;

    TMainForm& m_form;
};

} // namespace tarvin
