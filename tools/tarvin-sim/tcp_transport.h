#pragma once

#include "peer_transport.h"

#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

namespace tarvin::sim {

// The Socketbox face: a TCP server on a loopback address. A new client
// replaces the current one, so a quick reconnect never finds the unit busy.
class TcpTransport : public PeerTransport
{
    Q_OBJECT

public:
    using PeerTransport::PeerTransport;
    ~TcpTransport() override;

    bool listen(const QHostAddress& address, quint16 port, QString* error);
    quint16 port() const { return m_server.serverPort(); }

    QByteArray banner() const override;
    bool canDrop() const override { return true; }

protected:
    bool writeToPeer(const QByteArray& bytes) override;
    void closePeer() override;

private:
    void acceptConnections();
    void readFromPeer();
    void peerDisconnected(QTcpSocket* socket);

    QTcpServer m_server;
    QPointer<QTcpSocket> m_socket;
};

} // namespace tarvin::sim
