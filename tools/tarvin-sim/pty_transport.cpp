#include "pty_transport.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace tarvin::sim {

namespace {

QString ErrnoText(const char* what)
{
    return QLatin1String(what) + QLatin1String(": ") + QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

PtyTransport::~PtyTransport()
{
    m_readNotifier.reset();
    m_writeNotifier.reset();
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
}

bool PtyTransport::open(QString* error)
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
        if (error)
            *error = ErrnoText("pseudo-terminal");
        return false;
    }
    const char* name = ::ptsname(m_master);
    if (!name) {
        if (error)
            *error = ErrnoText("ptsname");
        return false;
    }
    m_path = QString::fromLocal8Bit(name);
    m_slave = ::open(name, O_RDWR | O_NOCTTY);
    if (m_slave < 0) {
        if (error)
            *error = ErrnoText("open slave");
        return false;
    }
    // Raw: no echo or line editing by the terminal layer; the unit echoes.
    termios mode{};
    if (::tcgetattr(m_slave, &mode) == 0) {
        ::cfmakeraw(&mode);
        ::cfsetispeed(&mode, B9600);
        ::cfsetospeed(&mode, B9600);
        ::tcsetattr(m_slave, TCSANOW, &mode);
    }
    const int flags = ::fcntl(m_master, F_GETFL);
    ::fcntl(m_master, F_SETFL, flags | O_NONBLOCK);

    m_readNotifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    connect(m_readNotifier.get(), &QSocketNotifier::activated, this, &PtyTransport::readMaster);
    m_writeNotifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Write);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier.get(), &QSocketNotifier::activated, this, &PtyTransport::flushPending);
    return true;
}

QByteArray PtyTransport::banner() const
{
    return "PTY " + m_path.toLocal8Bit();
}

void PtyTransport::readMaster()
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            bytesFromPeer(QByteArray(buffer, static_cast<qsizetype>(n)));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN)
            return;
        // EOF or a hard error: stop listening rather than spin on it.
        m_readNotifier->setEnabled(false);
        return;
    }
}

bool PtyTransport::writeToPeer(const QByteArray& bytes)
{
    if (m_master < 0)
        return false;
    if (m_pending.size() + bytes.size() > kMaxPending)
        return false;
    m_pending += bytes;
    flushPending();
    return true;
}

void PtyTransport::flushPending()
{
    while (!m_pending.isEmpty()) {
        const ssize_t n =
            ::write(m_master, m_pending.constData(), static_cast<size_t>(m_pending.size()));
        if (n > 0) {
            m_pending.remove(0, static_cast<qsizetype>(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN) {
            m_writeNotifier->setEnabled(true);
            return;
        }
        m_pending.clear(); // hard error: nothing sensible left to do with it
        break;
    }
    m_writeNotifier->setEnabled(false);
}

} // namespace tarvin::sim
