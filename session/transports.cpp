#include "session/transports.h"

#include <QRegularExpression>

#include <algorithm>

namespace tarvin {

QString WindowsSerialDevicePath(const QString& name)
{
    if (name.startsWith(QLatin1String("\\\\.\\")))
        return name;
    return QStringLiteral("\\\\.\\") + name;
}

QStringList SortedSerialPortNames(QStringList names)
{
    static const QRegularExpression numbered(QStringLiteral("^(\\D*)(\\d+)$"));
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const QRegularExpressionMatch ma = numbered.match(a);
        const QRegularExpressionMatch mb = numbered.match(b);
        if (ma.hasMatch() && mb.hasMatch() &&
            ma.captured(1).compare(mb.captured(1), Qt::CaseInsensitive) == 0)
            return ma.captured(2).toULongLong() < mb.captured(2).toULongLong();
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    names.removeDuplicates();
    return names;
}

void SerialTransport::setPortName(const QString& name)
{
    if (!isOpen())
        m_portName = name;
}

void SerialTransport::setSoftwareFlowControl(bool on)
{
    SerialLine line = m_line;
    line.flowControl = on ? SerialLine::FlowControl::Software : SerialLine::FlowControl::None;
    setLine(line);
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
