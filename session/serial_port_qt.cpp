// SerialTransport on Qt's serial port module, where the system has it.
#include "session/transports.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPort>
#include <QSerialPortInfo>

namespace tarvin {

QStringList ListedSerialPorts()
{
    QStringList names;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        names << info.portName();
    return names;
}

bool SerialPortPresent(const QString& name, const QStringList& listed)
{
    if (name.isEmpty())
        return false;
    if (listed.contains(name))
        return true;
    // A bare name is looked for where the system keeps its devices.
    return QFileInfo::exists(QDir::isAbsolutePath(name) ? name : QStringLiteral("/dev/") + name);
}

class SerialTransport::Port
{
public:
    QSerialPort serial;

    void apply(const SerialLine& line)
    {
        serial.setBaudRate(line.baudRate);
        serial.setDataBits(static_cast<QSerialPort::DataBits>(line.dataBits));
        // Indexed by SerialLine's enumerations, in their order.
        static constexpr QSerialPort::Parity kParity[] = {
            QSerialPort::NoParity, QSerialPort::EvenParity, QSerialPort::OddParity,
            QSerialPort::MarkParity, QSerialPort::SpaceParity};
        static constexpr QSerialPort::StopBits kStopBits[] = {
            QSerialPort::OneStop, QSerialPort::OneAndHalfStop, QSerialPort::TwoStop};
        static constexpr QSerialPort::FlowControl kFlowControl[] = {
            QSerialPort::NoFlowControl, QSerialPort::HardwareControl, QSerialPort::SoftwareControl};
        serial.setParity(kParity[static_cast<int>(line.parity)]);
        serial.setStopBits(kStopBits[static_cast<int>(line.stopBits)]);
        serial.setFlowControl(kFlowControl[static_cast<int>(line.flowControl)]);
    }
};

SerialTransport::SerialTransport(QObject* parent)
    : Transport(parent), m_port(std::make_unique<Port>())
{
    QSerialPort& serial = m_port->serial;
    m_port->apply(m_line);
    connect(&serial, &QSerialPort::readyRead, this, [this] {
        const QByteArray bytes = m_port->serial.readAll();
        if (!bytes.isEmpty())
            emit received(bytes);
    });
    connect(&serial, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) {
        // Only a port that went away matters here: errors while opening are
        // reported by open(), and line-control requests that a device does
        // not support (DTR on a pseudo-terminal) change nothing. A device
        // that hung up reads as an I/O error or, once the hang-up has gone
        // through, as an end of file that QSerialPort calls a read error; it
        // keeps signalling until the port is closed.
        QSerialPort& serial = m_port->serial;
        if ((e == QSerialPort::ResourceError || e == QSerialPort::ReadError) && serial.isOpen())
            emit failed(static_cast<int>(e), serial.errorString());
    });
}

SerialTransport::~SerialTransport() = default;

bool SerialTransport::open(const QString& portName)
{
    QSerialPort& serial = m_port->serial;
    if (serial.isOpen())
        return true;
    m_line.flowControl = SerialLine::FlowControl::None;
    m_port->apply(m_line);
    m_portName = portName;
    serial.setPortName(portName);
    if (!serial.open(QIODevice::ReadWrite))
        return false;
    serial.setDataTerminalReady(true);
    serial.setRequestToSend(false);
    serial.clearError();
    return true;
}

bool SerialTransport::isOpen() const
{
    return m_port->serial.isOpen();
}

void SerialTransport::close()
{
    if (m_port->serial.isOpen())
        m_port->serial.close();
}

void SerialTransport::write(const QByteArray& bytes)
{
    if (m_port->serial.isOpen())
        m_port->serial.write(bytes);
}

void SerialTransport::setLine(const SerialLine& line)
{
    m_line = line;
    m_port->apply(line);
}

QString SerialTransport::errorString() const
{
    return m_port->serial.errorString();
}

} // namespace tarvin
