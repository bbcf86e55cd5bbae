#pragma once
// One session with the interface: the program state and settings, the link,
// the decoder and the Tx/Rx log, the connect handshake and the mode
// sequences, and the one command lifecycle that every command which waits
// runs through. The workbench window and tarvin-monitor both stand on it.

#include "core/decode/decode.h"
#include "core/diagnostics/mmi_results.h"
#include "core/diagnostics/traffic_analyser.h"
#include "core/files/capture_store.h"
#include "core/files/settings.h"
#include "core/link/program_state.h"
#include "session/link_session.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class QFile;

namespace tarvin {

// Whether a file can be made in `folder` (tried, not inferred).
bool FolderTakesFiles(const QString& folder);

class Session : public QObject
{
    Q_OBJECT
public:
    explicit Session(QObject* parent = nullptr);
    ~Session() override;

    ProgramState& state() { return m_state; }
    const ProgramState& state() const { return m_state; }
    Settings& settings() { return m_settings; }
    const Settings& settings() const { return m_settings; }
    LinkSession& link() { return m_link; }
    Decoder& decoder() { return m_decoder; }
    // Every line of the session as a capture (a ring of the settings'
    // session capture lines), for the capture view.
    const CaptureStore& history() const { return m_history; }
    void setHistoryLimit(int lines);
    // How the lines are judged now: as the interface passes them on.
    CountingMode countingMode() const;
    // The full time stamp of captures: "yyyy-MM-dd HH:mm:ss.zzz".
    QString CaptureStampText() const;
    // Options chosen by the user; the decode options follow them.
    void setSettings(const Settings& chosen);
    // The settings kept between runs, read at start and written at exit.
    void readSettings();
    void writeSettings() const;
    // What the received lines feed: the analyser's count (while all traffic
    // is monitored) and the MMI collector (while an MMI is awaited).
    TrafficStatistics& statistics() { return m_statistics; }
    MMIResults& mmi() { return m_mmi; }
    const MMIResults& mmi() const { return m_mmi; }

    // --- Numbers and decoding ----------------------------------------------
    bool hexNumbers() const { return m_hexNumbers; }
    void setHexNumbers(bool on);
    int decodeOptions() const { return m_decodeOptions; }
    void setDecodeOptions(int options) { m_decodeOptions = options; }
    DecodeContext decodeContext() const;
    QString NumberString(long long n) const;
    long long StringToNumber(const QString& text) const;

    // --- The remote network path -------------------------------------------
    void setRemotePath(bool on, const QString& path);
    // Empty after telling the user (error()) that the path is refused.
    QByteArray SALHeader(int application);
    QByteArray CALHeaderForUnit(int unit);
    int GetNetworkPathLength() const;
    // The path a unit's reply comes back over: empty on the local network.
    std::string replyPath() const;

    // --- The Tx/Rx log ------------------------------------------------------
    // One line of the log (direction 1 transmitted, 2 received): time
    // stamped as set, written to the command log while it is open, and
    // handed to the window through logged().
    void Log(int direction, const QString& text);
    // A line about the link itself (direction 0), time stamped as set.
    void Note(const QString& text);
    QString TimeStampText() const;
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }
    QDateTime now() const { return m_clock(); }
    // Where the program writes its own files (command log, execute.txt,
    // reports): the folder named by TARVIN_DATA_DIR when set (tests and
    // demos), else the executable's folder when it takes files, else the
    // user's data folder (on Windows "Documents\Tarvin Diagnostic").
    static QString dataFolder();
    QString commandLogPath() const;
    // The command log "log.txt", opened afresh or for appending; false with
    // `error` set when it cannot be opened.
    bool openCommandLog(bool append, QString* error);
    void closeCommandLog();
    bool commandLogOpen() const { return m_commandLog != nullptr; }

    // --- The connection ------------------------------------------------------
    // "Socketbox 127.0.0.1:14000" or "PCI on /dev/ttyS0".
    QString linkName() const;
    // "IP Address A, Port N" of the Socketbox in the settings.
    QString SocketboxName() const;
    // Opens the link and resets the interface to basic mode; connected when
    // the interface answers within `answerMs`. On failure the link is closed
    // and `failure` says why, in words for the user.
    bool Connect(QString* failure, int answerMs = 3000);
    void Disconnect();
    bool connected() const { return m_state.connected && m_link.CommsOpen(); }
    // The permanent status text: "Not connected", "Connected: ...",
    // "Link lost at 18:25:41".
    QString connectionText() const;
    // When the link last went away under us; invalid when it did not.
    QDateTime lostAt() const { return m_lostAt; }

    // --- Mode sequences ------------------------------------------------------
    void ResetPCI();
    void SetSmartMode();
    void SetDefaultMode();

    // --- Requests --------------------------------------------------------------
    // What the decoder makes of a command about to be sent (may be empty).
    QString DescribeCommand(const QByteArray& text);
    // `description` names the request in the log when the decoder has no
    // words for it (the interface's inquiries, a unit's identity).
    Reply SendCALGetResponse(const QByteArray& command, const QByteArray& pattern, int seconds,
                             int tries, const QString& description = {})
    {
        return m_link.SendCALGetResponse(command, pattern, seconds, tries, description);
    }
    void SendTarvinCommand(const QByteArray& text, const QString& description = {})
    {
        m_link.SendTarvinCommand(text, description);
    }
    void SendTarvinString(const QByteArray& line, const QString& description)
    {
        m_link.SendTarvinString(line, description);
    }
    void Delay(double seconds) { m_link.Delay(seconds); }
    // A request to the connected PCI itself (no header), answered only by
    // the PCI's own reply ending in `tail` (such as "8902*"). The PCI's
    // address is asked first when this link has not given it yet; without
    // it there is no reply.
    Reply askPCI(const QByteArray& command, const char* tail, int seconds, int tries,
                 const QString& description = {});
    // What the PCI said of its firmware; the status bar follows.
    void setFirmwareVersion(int version);
    // Asks the PCI for its address again (state().pciAddress).
    Reply askPCIAddress(int seconds, int tries, const QString& description = {});

    // --- The command lifecycle ---------------------------------------------------
    // A running command; null when another one was running (then nothing
    // may be done). It ends when the object goes.
    class Command
    {
    public:
        Command() = default;
        Command(Command&& other) noexcept;
        Command& operator=(Command&&) = delete;
        Command(const Command&) = delete;
        ~Command();
        explicit operator bool() const { return m_session != nullptr; }
        // "Name: done of total" in the status bar.
        void progress(int done, int total);
        // The wait ended by the user or by the link's loss.
        bool interrupted() const;

    private:
        friend class Session;
        explicit Command(Session* session) : m_session(session) {}
        Session* m_session = nullptr;
    };
    Command begin(const QString& name);
    bool busy() const { return !m_command.isEmpty(); }
    QString runningCommand() const { return m_command; }
    // Ends the running command's waits; it finishes cleanly.
    void cancel();

signals:
    // A line for the log panes, as it is shown (direction 0: a note).
    void logged(int direction, const QString& line);
    // Every completed received line, after the log, the analyser's count and
    // the MMI collector, and before reply waits.
    void received(const tarvin::ReceivedLine& line);
    // The connection came, went, or changed what it knows.
    void connectionChanged();
    // The link went away under us; `message` names it and the reason.
    void linkLost(const QString& message);
    // Something the user must be told.
    void error(const QString& message);
    void hexNumbersChanged(bool on);
    void commandStarted(const QString& name);
    void commandProgress(const QString& text);
    void commandFinished(const QString& name, bool interrupted);

private:
    void ReceiveLine(const ReceivedLine& line);
    void Remember(char direction, const std::string& raw, const std::string& description);
    void WriteCommandLog(const QByteArray& line);
    void LinkWentAway();
    QByteArray HeaderOrRefusal(const std::optional<std::string>& header);

    ProgramState m_state;
    Settings m_settings;
    LinkSession m_link;
    Decoder m_decoder;
    TrafficStatistics m_statistics;
    MMIResults m_mmi;
    CaptureStore m_history;
    std::optional<CountingMode> m_historyMode; // of the last header in the history
    ResetEchoJoiner m_resetEcho;
    int m_decodeOptions = 8;
    bool m_hexNumbers = true;
    bool m_remote = false;
    std::string m_path;
    std::function<QDateTime()> m_clock;
    std::unique_ptr<QFile> m_commandLog;
    QString m_command;
    QDateTime m_lostAt;
};

} // namespace tarvin
