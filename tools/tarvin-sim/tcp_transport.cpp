#include "tcp_transport.h"

namespace tarvin::sim {

TcpTransport::~TcpTransport()
{
    // The sockets are the server's children: silence them before members go.
    for (QTcpSocket* socket : m_server.findChildren<QTcpSocket*>())
        socket->disconnect(this);
    m_server.close();
}

bool TcpTransport::listen(const QHostAddress& address, quint16 port, QString* error)
{
    connect(&m_server, &QTcpServer::newConnection, this, &TcpTransport::acceptConnections);
    if (!m_server.listen(address, port)) {
        if (error)
            *error = m_server.errorString();
        return false;
    }
    return true;
}

QByteArray TcpTransport::banner() const
{
    return "TCP " + m_server.serverAddress().toString().toLatin1() + ' ' +
           QByteArray::number(m_server.serverPort());
}

void TcpTransport::acceptConnections()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        if (m_socket) {
            QTcpSocket* old = m_socket;
            old->disconnect(this);
            old->abort();
            old->deleteLater();
            endPeer();
        }
        m_socket = socket;
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connect(socket, &QTcpSocket::readyRead, this, &TcpTransport::readFromPeer);
        connect(socket, &QTcpSocket::disconnected, this,
                [this, socket] { peerDisconnected(socket); });
        beginPeer();
        if (socket->bytesAvailable() > 0)
            readFromPeer();
    }
}

void TcpTransport::readFromPeer()
{
    if (!m_socket)
        return;
    const QByteArray bytes = m_socket->readAll();
    if (!bytes.isEmpty())
        bytesFromPeer(bytes);
}

void TcpTransport::peerDisconnected(QTcpSocket* socket)
{
    socket->deleteLater();
    if (socket != m_socket)
        return;
    m_socket.clear();
    endPeer();
}

bool TcpTransport::writeToPeer(const QByteArray& bytes)
{
    if (!m_socket || m_socket->state() != QAbstractSocket::ConnectedState)
        return false;
    if (m_socket->write(bytes) != bytes.size())
        return false;
    m_socket->flush();
    return true;
}

void TcpTransport::closePeer()
{
    if (m_socket)
        m_socket->disconnectFromHost();
}

} // namespace tarvin::sim
