#include "gui/capture/capture_recording.h"

#include "gui/widgets/prompter.h"
#include "session/capture_recorder.h"
#include "session/session.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace tarvin {

CaptureRecording::CaptureRecording(Session& session, Prompter& prompter, QWidget* window)
    : QObject(window), m_session(session), m_prompter(prompter), m_window(window)
{
    connect(&session, &Session::linkLost, this, [this](const QString& message) {
        // Stamped when the link went, not when its message box was closed.
        marker(message, m_session.lostAt());
        m_wasConnected = false;
    });
    connect(&session, &Session::connectionChanged, this, [this] {
        const bool connected = m_session.connected();
        if (connected && !m_wasConnected)
            marker(m_session.connectionText());
        else if (!connected && m_wasConnected)
            marker(QStringLiteral("disconnected"));
        m_wasConnected = connected;
    });
}

// The owner stops the recording while the session is still there.
CaptureRecording::~CaptureRecording() = default;

bool CaptureRecording::start()
{
    const QString path = SaveUserFile(m_prompter, m_window,
                                      QStringLiteral("Captures (*.csv);;Text Captures (*.txt)"),
                                      QStringLiteral("csv"));
    return !path.isEmpty() && start(path);
}

bool CaptureRecording::start(const QString& chosen)
{
    stop();
    QString path = chosen;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".csv");
    CaptureFile::Options options;
    options.path = path;
    options.format = CaptureFormatForName(path.toStdString());
    auto file = std::make_unique<CaptureFile>(options, [] { return QDateTime::currentDateTime(); });
    if (!file->open()) {
        m_prompter.message(m_window, Prompter::Icon::Error,
                           // The file's error names the file already.
                           QStringLiteral("Cannot record to %1").arg(file->errorString()));
        return false;
    }
    m_path = path;
    m_file = std::move(file);
    m_recorder = std::make_unique<CaptureRecorder>(m_session, *m_file,
                                                   QStringLiteral("tarvin-diagnostic %1")
                                                       .arg(QCoreApplication::applicationVersion())
                                                       .toStdString());
    connect(
        m_recorder.get(), &CaptureRecorder::failed, this,
        [this](const QString& why) {
            // Nothing more can be written: no more lines go to the recorder,
            // and it goes once its signal is over. The user is told once.
            QObject::disconnect(&m_session.link(), nullptr, m_recorder.get(), nullptr);
            QMetaObject::invokeMethod(
                this,
                [this, why] {
                    m_recorder.reset();
                    m_file.reset();
                    emit changed();
                    m_prompter.message(m_window, Prompter::Icon::Error,
                                       QStringLiteral("Recording stopped: cannot write %1:\r%2")
                                           .arg(QDir::toNativeSeparators(m_path), why));
                },
                Qt::QueuedConnection);
        },
        Qt::SingleShotConnection);
    m_wasConnected = m_session.connected();
    marker(QStringLiteral("recording started; ") + m_session.connectionText());
    emit changed();
    return true;
}

void CaptureRecording::stop()
{
    if (!m_recorder)
        return;
    marker(QStringLiteral("recording stopped"));
    m_recorder.reset();
    m_file.reset();
    emit changed();
}

void CaptureRecording::marker(const QString& text, const QDateTime& when)
{
    if (m_recorder)
        m_recorder->marker(text, when);
}

} // namespace tarvin
