#include "session/link_keeper.h"

#include <algorithm>

namespace tarvin {

LinkKeeper::LinkKeeper(Session& session, QObject* parent) : QObject(parent), m_session(session)
{
    connect(&m_session.link(), &LinkSession::linkLost, this,
            [this] { lost(QStringLiteral("link lost")); });
    connect(&m_session.link(), &LinkSession::socketError, this, [this](int, const QString& text) {
        if (m_up)
            lost(QStringLiteral("link lost: ") + text);
    });
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &LinkKeeper::attempt);
}

QString LinkKeeper::Where(const Settings& s)
{
    if (s.usesTcp())
        return QStringLiteral("%1:%2").arg(QString::fromLatin1(s.ipAddress.c_str())).arg(s.port);
    return QString::fromLatin1(s.comPort.c_str());
}

void LinkKeeper::start()
{
    m_stopping = false;
    attempt();
}

void LinkKeeper::stop()
{
    m_stopping = true;
    m_retry.stop();
    m_session.link().requestCancel();
    m_session.Disconnect();
    m_up = false;
}

void LinkKeeper::attempt()
{
    if (m_stopping || m_attempting)
        return;
    m_attempting = true;
    // A line cut off by the last link's end would swallow the new link's
    // first characters; it is told as it was, unfinished.
    const QByteArray partial = m_session.link().partialLine();
    if (!partial.isEmpty()) {
        emit marker(QStringLiteral("unfinished line when the link ended: ") +
                    QString::fromLatin1(partial));
        m_session.link().clearPartialLine();
    }
    // The workbench's own handshake: a reset, answered by the interface.
    QString failure;
    const bool answered = m_session.Connect(&failure, m_answerTimeoutMs);
    if (m_stopping) {
        m_attempting = false;
        return;
    }
    if (!answered) {
        m_attempting = false;
        scheduleRetry(failure.replace(QLatin1Char('\r'), QLatin1Char(' ')));
        return;
    }
    if (m_prepare)
        m_prepare();
    m_attempting = false;
    if (m_stopping)
        return;
    if (!m_session.link().CommsOpen()) {
        scheduleRetry(QStringLiteral("link lost while setting the mode"));
        return;
    }
    m_up = true;
    m_delaySeconds = 1;
    const QString where = Where(m_session.settings());
    if (m_downSince.isValid()) {
        const qint64 gap = m_downSince.secsTo(QDateTime::currentDateTime());
        emit marker(QStringLiteral("reconnected to %1 after a gap of %2 s").arg(where).arg(gap));
        m_downSince = QDateTime();
    } else {
        emit marker(QStringLiteral("connected to %1").arg(where));
    }
    emit linkUp();
}

void LinkKeeper::lost(const QString& why)
{
    if (!m_up || m_stopping)
        return;
    m_up = false;
    m_downSince = QDateTime::currentDateTime();
    m_session.Disconnect();
    emit linkDown();
    scheduleRetry(why);
}

void LinkKeeper::scheduleRetry(const QString& why)
{
    if (m_stopping)
        return;
    if (!m_downSince.isValid())
        m_downSince = QDateTime::currentDateTime();
    emit marker(QStringLiteral("%1; retrying in %2 s").arg(why).arg(m_delaySeconds));
    m_retry.start(m_delaySeconds * 1000);
    m_delaySeconds = std::min(m_delaySeconds * 2, std::max(1, m_retryMaxSeconds));
}

} // namespace tarvin
