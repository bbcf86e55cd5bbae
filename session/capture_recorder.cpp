#include "session/capture_recorder.h"

#include "session/session.h"

namespace tarvin {

namespace {

std::string Latin1(const QString& text)
{
    return text.toLatin1().toStdString();
}

} // namespace

CaptureRecorder::CaptureRecorder(Session& session, CaptureFile& out, std::string program,
                                 QObject* parent)
    : QObject(parent), m_session(session), m_out(out), m_program(std::move(program)),
      m_clock([] { return QDateTime::currentDateTime(); })
{
    connect(&session.link(), &LinkSession::lineCompleted, this, &CaptureRecorder::received);
    connect(&session.link(), &LinkSession::lineSent, this, &CaptureRecorder::sent);
    m_frame.setSingleShot(true);
    m_frame.setInterval(16);
    connect(&m_frame, &QTimer::timeout, this, &CaptureRecorder::flush);
}

CaptureRecorder::~CaptureRecorder()
{
    if (m_frame.isActive())
        m_out.flush();
}

QString CaptureRecorder::stamp() const
{
    return m_clock().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

void CaptureRecorder::header()
{
    const ProgramState& state = m_session.state();
    CaptureHeader h;
    h.program = m_program;
    h.link = Latin1(m_session.linkName());
    h.mode = state.allMonitor ? "all-monitor" : state.interfaceOptions != 0 ? "default" : "basic";
    h.interfaceOptions = state.interfaceOptions;
    h.decodeOptions = m_session.decodeOptions();
    const std::string text = CaptureHeaderText(h);
    if (text == m_header)
        return;
    m_header = text;
    write(CaptureMarker(m_out.format(), Latin1(stamp()), text));
}

void CaptureRecorder::marker(const QString& text, const QDateTime& when)
{
    header();
    const QString at =
        when.isValid() ? when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")) : stamp();
    write(CaptureMarker(m_out.format(), Latin1(at), Latin1(text)));
}

void CaptureRecorder::received(const ReceivedLine& line)
{
    // Line feeds after a carriage return complete a line of nothing.
    if (!line.keep())
        return;
    header();
    for (const std::string& raw : m_resetEcho.Feed(line.buffer)) {
        // A joined reset echo has no decoded part, as no terminator line has.
        const std::string description =
            raw == line.buffer
                ? m_session.decoder().DecodeMessage(line.part, m_session.decodeOptions(),
                                                    m_session.decodeContext())
                : std::string();
        append(CaptureLine(m_out.format(), Latin1(stamp()), 'R', raw, description));
    }
}

void CaptureRecorder::sent(const QByteArray& line, const QString& description)
{
    header();
    append(
        CaptureLine(m_out.format(), Latin1(stamp()), 'T', line.toStdString(), Latin1(description)));
}

void CaptureRecorder::write(const std::string& line)
{
    // Lines appended before go out with it, in their order.
    m_frame.stop();
    if (!m_out.write(line))
        emit failed(m_out.errorString());
}

void CaptureRecorder::append(const std::string& line)
{
    if (!m_out.append(line)) {
        emit failed(m_out.errorString());
        return;
    }
    if (!m_frame.isActive())
        m_frame.start();
}

void CaptureRecorder::flush()
{
    m_frame.stop();
    if (!m_out.flush())
        emit failed(m_out.errorString());
}

} // namespace tarvin
