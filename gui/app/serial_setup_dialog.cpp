#include "gui/app/serial_setup_dialog.h"

#include "gui/widgets/window_sizes.h"
#include "session/transports.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QPushButton>
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

SerialSetupDialog::SerialSetupDialog(SerialTransport& port, const QString& portName,
                                     QWidget* parent)
    : QDialog(parent), m_port(port)
{
    setObjectName(QStringLiteral("SerialSetupDialog"));
    setWindowTitle(QStringLiteral("Serial Port Setup"));

    PortComboBox = new QComboBox(this);
    PortComboBox->setObjectName(QStringLiteral("PortComboBox"));
    PortComboBox->setEditable(true);
    PortComboBox->addItems(ListedSerialPorts());
    const QString name = portName.isEmpty() ? port.portName() : portName;
    PortComboBox->setCurrentIndex(PortComboBox->findText(name));
    PortComboBox->setEditText(name);

    BaudRateComboBox = new QComboBox(this);
    BaudRateComboBox->setObjectName(QStringLiteral("BaudRateComboBox"));
    BaudRateComboBox->setEditable(true);
    BaudRateComboBox->setValidator(new QIntValidator(1, 4000000, BaudRateComboBox));
    for (int rate : {110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 57600, 115200})
        BaudRateComboBox->addItem(QString::number(rate));
    BaudRateComboBox->setEditText(QString::number(port.line().baudRate));

    DataBitsComboBox = new QComboBox(this);
    DataBitsComboBox->setObjectName(QStringLiteral("DataBitsComboBox"));
    for (int bits : {5, 6, 7, 8})
        DataBitsComboBox->addItem(QString::number(bits), bits);
    Select(DataBitsComboBox, port.line().dataBits);

    StopBitsComboBox = new QComboBox(this);
    StopBitsComboBox->setObjectName(QStringLiteral("StopBitsComboBox"));
    StopBitsComboBox->addItem(QStringLiteral("1"), int(SerialLine::StopBits::One));
    StopBitsComboBox->addItem(QStringLiteral("1.5"), int(SerialLine::StopBits::OneAndHalf));
    StopBitsComboBox->addItem(QStringLiteral("2"), int(SerialLine::StopBits::Two));
    Select(StopBitsComboBox, int(port.line().stopBits));

    ParityComboBox = new QComboBox(this);
    ParityComboBox->setObjectName(QStringLiteral("ParityComboBox"));
    ParityComboBox->addItem(QStringLiteral("None"), int(SerialLine::Parity::None));
    ParityComboBox->addItem(QStringLiteral("Even"), int(SerialLine::Parity::Even));
    ParityComboBox->addItem(QStringLiteral("Odd"), int(SerialLine::Parity::Odd));
    ParityComboBox->addItem(QStringLiteral("Mark"), int(SerialLine::Parity::Mark));
    ParityComboBox->addItem(QStringLiteral("Space"), int(SerialLine::Parity::Space));
    Select(ParityComboBox, int(port.line().parity));

    FlowControlComboBox = new QComboBox(this);
    FlowControlComboBox->setObjectName(QStringLiteral("FlowControlComboBox"));
    FlowControlComboBox->addItem(QStringLiteral("None"), int(SerialLine::FlowControl::None));
    FlowControlComboBox->addItem(QStringLiteral("Hardware (RTS/CTS)"),
                                 int(SerialLine::FlowControl::Hardware));
    FlowControlComboBox->addItem(QStringLiteral("Software (XON/XOFF)"),
                                 int(SerialLine::FlowControl::Software));
    Select(FlowControlComboBox, int(port.line().flowControl));

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
    SerialLine line = m_port.line();
    bool ok = false;
    const int rate = BaudRateComboBox->currentText().toInt(&ok);
    if (ok && rate > 0)
        line.baudRate = rate;
    line.dataBits = DataBitsComboBox->currentData().toInt();
    line.stopBits = static_cast<SerialLine::StopBits>(StopBitsComboBox->currentData().toInt());
    line.parity = static_cast<SerialLine::Parity>(ParityComboBox->currentData().toInt());
    line.flowControl =
        static_cast<SerialLine::FlowControl>(FlowControlComboBox->currentData().toInt());
    m_port.setLine(line);
    accept();
}

} // namespace tarvin
