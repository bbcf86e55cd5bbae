#pragma once
// The serial line settings of the main window's port object: port, baud
// rate, data bits, stop bits, parity and flow control. OK applies them to
// the object at once; they are not stored.

#include <QDialog>

class QComboBox;
class QPushButton;
namespace tarvin {

class SerialTransport;

class SerialSetupDialog : public QDialog
{
    Q_OBJECT
public:
    // `portName` is shown as the port to set up (the port object's own name
    // when empty).
    SerialSetupDialog(SerialTransport& port, const QString& portName, QWidget* parent = nullptr);

    // The port name chosen (valid after OK).
    QString portName() const;
    void OKButtonClick();

    QComboBox* PortComboBox = nullptr;
    QComboBox* BaudRateComboBox = nullptr;
    QComboBox* DataBitsComboBox = nullptr;
    QComboBox* StopBitsComboBox = nullptr;
    QComboBox* ParityComboBox = nullptr;
    QComboBox* FlowControlComboBox = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;

private:
    SerialTransport& m_port;
};

} // namespace tarvin
