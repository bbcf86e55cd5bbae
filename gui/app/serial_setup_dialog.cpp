#include "gui/app/serial_setup_dialog.h"

#include "gui/widgets/window_sizes.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QPushButton>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QVBoxLayout>

namespace tarvin {

namespace {

void Select(QComboBox* combo, const QVariant& value)
{
    const int index = combo->findData(value);
    if (index >= 0)
        combo->setCurrentIndex(index);
}

} // namespace

SerialSetupDialog::SerialSetupDialog(QSerialPort& port, const QString& portName, QWidget* parent)
    : QDialog(parent), m_port(port)
{
    setObjectName(QStringLiteral("SerialSetupDialog"));
    setWindowTitle(QStringLiteral("Serial Port Setup"));

    PortComboBox = new QComboBox(this);
    PortComboBox->setObjectName(QStringLiteral("PortComboBox"));
    PortComboBox->setEditable(true);
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        PortComboBox->addItem(info.portName());
    const QString name = portName.isEmpty() ? port.portName() : portName;
    PortComboBox->setCurrentIndex(PortComboBox->findText(name));
    PortComboBox->setEditText(name);

    BaudRateComboBox = new QComboBox(this);
    BaudRateComboBox->setObjectName(QStringLiteral("BaudRateComboBox"));
    BaudRateComboBox->setEditable(true);
    BaudRateComboBox->setValidator(new QIntValidator(1, 4000000, BaudRateComboBox));
    for (int rate : {110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 57600, 115200})
        BaudRateComboBox->addItem(QString::number(rate));
    BaudRateComboBox->setEditText(QString::number(port.baudRate()));

    DataBitsComboBox = new QComboBox(this);
    DataBitsComboBox->setObjectName(QStringLiteral("DataBitsComboBox"));
    for (auto bits :
         {QSerialPort::Data5, QSerialPort::Data6, QSerialPort::Data7, QSerialPort::Data8})
        DataBitsComboBox->addItem(QString::number(int(bits)), int(bits));
    Select(DataBitsComboBox, int(port.dataBits()));

    StopBitsComboBox = new QComboBox(this);
    StopBitsComboBox->setObjectName(QStringLiteral("StopBitsComboBox"));
    StopBitsComboBox->addItem(QStringLiteral("1"), int(QSerialPort::OneStop));
    StopBitsComboBox->addItem(QStringLiteral("1.5"), int(QSerialPort::OneAndHalfStop));
    StopBitsComboBox->addItem(QStringLiteral("2"), int(QSerialPort::TwoStop));
    Select(StopBitsComboBox, int(port.stopBits()));

    ParityComboBox = new QComboBox(this);
    ParityComboBox->setObjectName(QStringLiteral("ParityComboBox"));
    ParityComboBox->addItem(QStringLiteral("None"), int(QSerialPort::NoParity));
    ParityComboBox->addItem(QStringLiteral("Even"), int(QSerialPort::EvenParity));
    ParityComboBox->addItem(QStringLiteral("Odd"), int(QSerialPort::OddParity));
    ParityComboBox->addItem(QStringLiteral("Mark"), int(QSerialPort::MarkParity));
    ParityComboBox->addItem(QStringLiteral("Space"), int(QSerialPort::SpaceParity));
    Select(ParityComboBox, int(port.parity()));

    FlowControlComboBox = new QComboBox(this);
    FlowControlComboBox->setObjectName(QStringLiteral("FlowControlComboBox"));
    FlowControlComboBox->addItem(QStringLiteral("None"), int(QSerialPort::NoFlowControl));
    FlowControlComboBox->addItem(QStringLiteral("Hardware (RTS/CTS)"),
                                 int(QSerialPort::HardwareControl));
    FlowControlComboBox->addItem(QStringLiteral("Software (XON/XOFF)"),
                                 int(QSerialPort::SoftwareControl));
    Select(FlowControlComboBox, int(port.flowControl()));

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Port"), PortComboBox);
    form->addRow(QStringLiteral("Baud Rate"), BaudRateComboBox);
    form->addRow(QStringLiteral("Data Bits"), DataBitsComboBox);
    form->addRow(QStringLiteral("Stop Bits"), StopBitsComboBox);
    form->addRow(QStringLiteral("Parity"), ParityComboBox);
    form->addRow(QStringLiteral("Flow Control"), FlowControlComboBox);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    resize(sizeHint());
    MakeResizable(this);

    connect(OKButton, &QPushButton::clicked, this, &SerialSetupDialog::OKButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

QString SerialSetupDialog::portName() const
{
    return PortComboBox->currentText().trimmed();
}

void SerialSetupDialog::OKButtonClick()
{
    // An open port keeps its name; the line settings apply to it at once.
    if (!m_port.isOpen() && !portName().isEmpty())
        m_port.setPortName(portName());
    bool ok = false;
    const int rate = BaudRateComboBox->currentText().toInt(&ok);
    if (ok && rate > 0)
        m_port.setBaudRate(rate);
    m_port.setDataBits(static_cast<QSerialPort::DataBits>(DataBitsComboBox->currentData().toInt()));
    m_port.setStopBits(static_cast<QSerialPort::StopBits>(StopBitsComboBox->currentData().toInt()));
    m_port.setParity(static_cast<QSerialPort::Parity>(ParityComboBox->currentData().toInt()));
    m_port.setFlowControl(
        static_cast<QSerialPort::FlowControl>(FlowControlComboBox->currentData().toInt()));
    accept();
}

} // namespace tarvin
