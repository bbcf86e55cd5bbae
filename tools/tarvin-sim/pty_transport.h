#pragma once

#include "peer_transport.h"

#include <QSocketNotifier>

#include <memory>

namespace tarvin::sim {

// The PCI face: the master side of a pseudo-terminal whose slave a client
// opens like a serial port. The simulator keeps the slave open itself, so a
// client closing it never turns the master into EIO. A pty cannot tell when
// a client comes or goes: the peer counts as present from its first byte on.
class PtyTransport : public PeerTransport
{
    Q_OBJECT

public:
    using PeerTransport::PeerTransport;
    ~PtyTransport() override;

    bool open(QString* error);
    QString devicePath() const { return m_path; }

    QByteArray banner() const override;
    bool canDrop() const override { return false; }

protected:
    bool writeToPeer(const QByteArray& bytes) override;
    void closePeer() override {}

private:
    void readMaster();
    void flushPending();

    // Output nobody reads is dropped beyond this, like an overrun unit.
    static constexpr qsizetype kMaxPending = 64 * 1024;

    int m_master = -1;
    int m_slave = -1;
    QString m_path;
    QByteArray m_pending;
    std::unique_ptr<QSocketNotifier> m_readNotifier;
    std::unique_ptr<QSocketNotifier> m_writeNotifier;
};

} // namespace tarvin::sim
