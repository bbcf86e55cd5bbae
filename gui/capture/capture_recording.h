#pragma once
// The workbench's "Record Capture": every line of the session, sent and
// received, to a capture file the user chooses, until it is switched off.
// The file survives link drops: they are written in it as markers.

#include <QDateTime>
#include <QObject>
#include <QString>

#include <memory>

class QWidget;

namespace tarvin {

class CaptureFile;
class CaptureRecorder;
class Prompter;
class Session;

class CaptureRecording : public QObject
{
    Q_OBJECT
public:
    CaptureRecording(Session& session, Prompter& prompter, QWidget* window);
    // Call stop() first: the last marker needs the session.
    ~CaptureRecording() override;

    // Asks for the file; false when the user chose none or it cannot be
    // written (the user has been told).
    bool start();
    // Appends to `path`: CSV unless it ends in ".txt".
    bool start(const QString& path);
    void stop();
    bool active() const { return m_recorder != nullptr; }
    QString path() const { return m_path; }

signals:
    // Started, or stopped (by the user or because the file failed).
    void changed();

private:
    void marker(const QString& text, const QDateTime& when = {});

    Session& m_session;
    Prompter& m_prompter;
    QWidget* m_window;
    QString m_path;
    std::unique_ptr<CaptureFile> m_file;
    std::unique_ptr<CaptureRecorder> m_recorder;
    bool m_wasConnected = false;
};

} // namespace tarvin
