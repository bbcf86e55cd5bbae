#pragma once
// Writes a session's traffic to a capture: every sent and received line with
// its full time stamp, wire text and description, the lines of a frame
// flushed together (markers at once), under a header that comes before the first of them and again
// whenever the interface's mode changes. The workbench's recording and tarvin-monitor both use it.

#include "core/files/capture_format.h"
#include "session/capture_file.h"

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <string>

namespace tarvin {

class Session;
struct ReceivedLine;

class CaptureRecorder : public QObject
{
    Q_OBJECT
public:
    // `out` is open and outlives the recorder; `program` names the writer
    // ("tarvin-monitor 1.0.0") in the header.
    CaptureRecorder(Session& session, CaptureFile& out, std::string program,
                    QObject* parent = nullptr);
    ~CaptureRecorder() override;

    // A note about the capture itself (connected, link lost, stopped...).
    // Stamped `when`, or now.
    void marker(const QString& text, const QDateTime& when = {});
    // The full time stamp every line is written with.
    QString stamp() const;
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

signals:
    // A line could not be written; `message` says why.
    void failed(const QString& message);

private:
    void received(const ReceivedLine& line);
    void sent(const QByteArray& line, const QString& description);
    void write(const std::string& line);
    // A line for the next flush: a busy bus is written once a frame, not
    // once a line.
    void append(const std::string& line);
    void flush();
    // The header as the session stands now; written when it differs from
    // the last one written.
    void header();

    Session& m_session;
    CaptureFile& m_out;
    std::string m_program;
    std::string m_header;
    ResetEchoJoiner m_resetEcho;
    std::function<QDateTime()> m_clock;
    QTimer m_frame;
};

} // namespace tarvin
