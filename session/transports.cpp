#include "session/transports.h"

#include <QDir>
#include <QFileInfo>
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

SerialTransport::SerialTransport(QObject* parent) : Transport(parent)
{
    m_port.setBaudRate(QSerialPort::Baud9600);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    connect(&m_port, &QSerialPort::readyRead, this, &SerialTransport::readWaiting);
    connect(&m_port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) {
        // Only a port that went away matters here: errors while opening are
        // reported by open(), and line-control requests that a device does
        // not support (DTR on a pseudo-terminal) change nothing. A device
        // that hung up reads as an I/O error or, once the hang-up has gone
        // through, as an end of file that QSerialPort calls a read error; it
        // keeps signalling until the port is closed.
        if ((e == QSerialPort::ResourceError || e == QSerialPort::ReadError) && m_port.isOpen())
            emit failed(static_cast<int>(e), m_port.errorString());
    });
}

bool SerialTransport::open(const QString& portName)
{
    if (m_port.isOpen())
        return true;
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    m_port.setPortName(portName);
    if (!m_port.open(QIODevice::ReadWrite))
        return false;
    m_port.setDataTerminalReady(true);
    m_port.setRequestToSend(false);
    m_port.clearError();
    return true;
}

bool SerialTransport::isOpen() const
{
    return m_port.isOpen();
}

void SerialTransport::close()
{
    if (m_port.isOpen())
        m_port.close();
}

void SerialTransport::write(const QByteArray& bytes)
{
    if (m_port.isOpen())
        m_port.write(bytes);
}

void SerialTransport::setSoftwareFlowControl(bool on)
{
    m_port.setFlowControl(on ? QSerialPort::SoftwareControl : QSerialPort::NoFlowControl);
}

QString SerialTransport::errorString() const
{
    return m_port.errorString();
}

void SerialTransport::readWaiting()
{
    const QByteArray bytes = m_port.readAll();
    if (!bytes.isEmpty())
        emit received(bytes);
}

TcpTransport::TcpTransport(QObject* parent) : Transport(parent)
{
    connect(&m_socket, &QTcpSocket::readyRead, this, [this] {
        const QByteArray bytes = m_socket.readAll();
        if (!bytes.isEmpty())
            emit received(bytes);
    });
    connect(&m_socket, &QTcpSocket::stateChanged, this, &TcpTransport::stateChanged);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError e) {
        emit failed(static_cast<int>(e), m_socket.errorString());
    });
}

void TcpTransport::connectTo(const QString& address, quint16 port)
{
    m_socket.abort();
    m_socket.connectToHost(address, port);
}

bool TcpTransport::isOpen() const
{
    return m_socket.state() == QAbstractSocket::ConnectedState;
}

bool TcpTransport::isConnected() const
{
    return isOpen();
}

void TcpTransport::close()
{
    if (m_socket.state() != QAbstractSocket::UnconnectedState)
        m_socket.abort();
}

void TcpTransport::write(const QByteArray& bytes)
{
    if (isOpen())
        m_socket.write(bytes);
}

} // namespace tarvin
