#pragma once

// SimProcess: runs tarvin-sim for a test and reads what crossed the wire.
//
//   tarvin::test::SimProcess sim;
//   QVERIFY2(sim.start({}, /*tcp=*/true, /*pty=*/false), qPrintable(sim.errorString()));
//   ... connect the workbench to 127.0.0.1:sim.tcpPort() (or open sim.ptyPath()) ...
//   QVERIFY(sim.waitForReceived([](const QStringList& rx) {
//       return rx.contains(QStringLiteral("A3300051")); }));
//   QCOMPARE(sim.options(), 0x51);
//
// The binary comes from the TARVIN_SIM environment variable (set by ctest).
// The wire log lives in a private temporary folder removed with the object;
// put injection files there too (temporaryPath()). Every wait is bounded
// and keeps the event loop running, so a workbench under test stays live.
//
// Wire texts are returned as QString through Latin-1, one character per
// byte, so any byte 0x00-0xFF survives: "\r" in a TX text is a real CR.

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

namespace tarvin::test {

struct WireEntry
{
    qint64 ms = 0;         // milliseconds since the simulator started
    bool received = false; // true: RX (from the client); false: TX (to it)
    QByteArray bytes;      // unescaped: RX = one line without its CR; TX = bytes as sent
};

class SimProcess
{
public:
    SimProcess();
    ~SimProcess(); // stops the simulator (quit, then terminate, then kill)

    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // Starts tarvin-sim with --tcp 0 (when tcp), --pty (when pty), a wire log
    // and extraArgs (see tarvin-sim --help: --fault, --inject-file, --split,
    // --delay, --drop-after...), and waits for its READY line.
    bool start(const QStringList& extraArgs = {}, bool tcp = true, bool pty = false,
               int timeoutMs = 10000);
    // Asks the simulator to quit and waits (bounded) for it to exit.
    void stop(int timeoutMs = 5000);
    bool isRunning() const;

    QString errorString() const { return m_error; }
    QString standardError() const; // what the simulator wrote on stderr so far

    quint16 tcpPort() const { return m_tcpPort; }
    QString ptyPath() const { return m_ptyPath; }
    QString wireLogPath() const;
    QString temporaryPath() const; // a private folder for the test's own files

    // Sends one control command and returns the simulator's answer line
    // ("OK ...", "ERROR ...", "OPTIONS ..."), or an empty text on time-out.
    QString command(const QString& line, int timeoutMs = 5000);
    // command() that succeeded: the answer begins with "OK" or "OPTIONS".
    bool control(const QString& line, int timeoutMs = 5000);
    // The unit's Interface Options 1 byte, or -1 when it cannot be read.
    int options(int timeoutMs = 5000);

    // The wire log as it stands (complete entries only).
    QList<WireEntry> wireEntries() const;
    QStringList wireLines() const;     // raw log lines "<ms> RX|TX <escaped>"
    QStringList receivedLines() const; // RX texts, unescaped, empty lines included
    QStringList sentTexts() const;     // TX texts, unescaped

    // Waits until the predicate holds for receivedLines() / sentTexts() /
    // wireEntries(), or the time runs out; false on time-out.
    bool waitForReceived(const std::function<bool(const QStringList&)>& predicate,
                         int timeoutMs = 5000) const;
    bool waitForSent(const std::function<bool(const QStringList&)>& predicate,
                     int timeoutMs = 5000) const;
    bool waitForWire(const std::function<bool(const QList<WireEntry>&)>& predicate,
                     int timeoutMs = 5000) const;

    // Exit code after stop() or after the process ended by itself.
    int exitCode() const;
    QProcess::ExitStatus exitStatus() const;
    QProcess& process() { return *m_process; }

    // The escaping used by the wire log and the "send" command.
    static QByteArray Escape(const QByteArray& bytes);
    static bool Unescape(const QByteArray& text, QByteArray& out);

private:
    QByteArray readLine(int timeoutMs);
    QString outputPath() const; // the simulator's standard output and error
    QString errorPath() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QProcess> m_process;
    QString m_error;
    QByteArray m_output;     // read from the output file, not yet taken
    qint64 m_outputRead = 0; // how far the output file has been read
    quint16 m_tcpPort = 0;
    QString m_ptyPath;
};

} // namespace tarvin::test
