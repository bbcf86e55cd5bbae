#pragma once
// The link to the interface: opening and closing it, the receive path up to
// completed lines, the send path with its pacing, and request/response.

#include "core/files/settings.h"
#include "core/link/framing.h"
#include "core/link/line_assembler.h"
#include "core/link/program_state.h"
#include "session/transports.h"
#include "session/waiter.h"

#include <QObject>
#include <QString>

#include <functional>

namespace tarvin {

// How a request ended.
enum class ReplyOutcome
{
    Answered,  // a line matching the reply pattern came
    NoReply,   // every try waited out its time
    LinkLost,  // the link closed or failed
    Cancelled, // the user ended the command
};

struct Reply
{
    QByteArray line; // the matching line, as received; empty unless answered
    ReplyOutcome outcome = ReplyOutcome::NoReply;
    bool answered() const { return outcome == ReplyOutcome::Answered; }
};

class LinkSession : public QObject
{
    Q_OBJECT
public:
    LinkSession(ProgramState& state, const Settings& settings, QObject* parent = nullptr);

    // Whether the link of the current connection type is open.
    bool CommsOpen() const;
    // Opens the link of the current connection type. The TCP connect waits up
    // to 5 s with the event loop running. False with `error` set when a serial
    // port cannot be opened; a TCP link that does not come up is not an error
    // here (the handshake reports it).
    bool OpenComms(QString* error = nullptr);
    void CloseComms();
    // The text and one carriage return, as one write, when open.
    void SendString(const QByteArray& text);
    void SetFlowControl(bool on);
    void Delay(double seconds) { m_waiter.delay(seconds); }

    // One line as it is, logged under `description`, then the 0.2 s pause.
    void SendTarvinString(const QByteArray& line, const QString& description);
    // The lines of a one-click mode, then the options copy it leaves.
    void SendModeSequence(const ModeSequence& mode);
    // A framed command: checksum and acknowledgement letter as configured.
    // The log line says `description`, or what the decoder makes of it.
    void SendTarvinCommand(const QByteArray& text, const QString& description = {});
    // Sends `command` and waits for a received line that matches `pattern`,
    // up to `tries` tries of `seconds` each. Every line that arrives from the
    // send on is tested, the pause after the send included, so the reply is
    // found among other traffic; the wait ends early when the link is lost or
    // the command is cancelled.
    Reply SendCALGetResponse(const QByteArray& command, const QByteArray& pattern, int seconds,
                             int tries, const QString& description = {});
    // Waits until `done`, the deadline, the link's loss or a cancel; `done()`.
    // On a link that was never open a wait runs to its deadline.
    bool waitFor(const std::function<bool()>& done, int milliseconds);
    // Ends every wait of the running command; cleared when the next starts.
    void requestCancel();
    void clearCancel() { m_cancel = false; }
    bool cancelRequested() const { return m_cancel; }
    // Why a wait that did not get what it waited for ended: the link went
    // away under us (until it is opened again), or the user cancelled.
    ReplyOutcome interruption() const;
    bool lost() const { return m_lost; }
    // The system's text for the last failure of the link, if any.
    QString lastError() const { return m_lastError; }

    // Received bytes, in pieces of any size.
    void ProcessReceivedText(const QByteArray& piece);

    // Describes outbound commands for the log (the decoder, with the sent flag).
    void setDescriber(std::function<QString(const QByteArray&)> describe)
    {
        m_describe = std::move(describe);
    }
    void setUseAcknowledgement(bool on) { m_useAck = on; }
    void setShowAscii(bool on) { m_showAscii = on; }
    bool showAscii() const { return m_showAscii; }

    AckSequence& ack() { return m_ack; }
    const QByteArray& lastReceivedLine() const { return m_lastReceived; }
    // The line being assembled, and a way to forget one left unfinished by
    // a link that went away.
    QByteArray partialLine() const { return QByteArray::fromStdString(m_assembler.pending()); }
    void clearPartialLine() { m_assembler.clear(); }
    void clearLastReceivedLine() { m_lastReceived.clear(); }
    Waiter& waiter() { return m_waiter; }
    SerialTransport& serial() { return m_serial; }
    TcpTransport& tcp() { return m_tcp; }
    // The active transport for the current connection type.
    Transport& transport();
    const Transport& transport() const;

signals:
    // A line to log as transmitted.
    void transmitted(const QString& description);
    // Every line put on the link, as sent, with its description.
    void lineSent(const QByteArray& line, const QString& description);
    // Every completed line, in order, before it becomes the last received line.
    void lineCompleted(const tarvin::ReceivedLine& line);
    // A socket error, with the socket layer's code and text.
    void socketError(int code, const QString& text);
    // An open link closed or failed under us (not when we close it).
    void linkLost();

private:
    ProgramState& m_state;
    const Settings& m_settings;
    SerialTransport m_serial;
    TcpTransport m_tcp;
    Waiter m_waiter;
    LineAssembler m_assembler;
    AckSequence m_ack;
    QByteArray m_lastReceived;
    std::function<QString(const QByteArray&)> m_describe;
    bool m_useAck = false;
    bool m_showAscii = false;
    bool m_closing = false;
    bool m_cancel = false;
    bool m_lost = false; // the open link closed or failed under us
    QString m_lastError;
    // The reply pattern being waited for, and what matched it.
    std::string m_awaited;
    QByteArray m_reply;
    bool m_replied = false;
    bool m_tcpUp = false;
    std::vector<ReceivedLine> m_lines;
};

} // namespace tarvin
