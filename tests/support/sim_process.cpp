#include "sim_process.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QTest>

#include <algorithm>

namespace tarvin::test {

namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

QStringList Texts(const QList<WireEntry>& entries, bool received)
{
    QStringList texts;
    for (const WireEntry& entry : entries) {
        if (entry.received == received)
            texts.append(QString::fromLatin1(entry.bytes));
    }
    return texts;
}

} // namespace

SimProcess::SimProcess() : m_dir(std::make_unique<QTemporaryDir>()) {}

SimProcess::~SimProcess()
{
    stop();
}

QString SimProcess::wireLogPath() const
{
    return m_dir->filePath(QStringLiteral("wire.log"));
}

QString SimProcess::outputPath() const
{
    return m_dir->filePath(QStringLiteral("stdout.txt"));
}

QString SimProcess::errorPath() const
{
    return m_dir->filePath(QStringLiteral("stderr.txt"));
}

QString SimProcess::temporaryPath() const
{
    return m_dir->path();
}

bool SimProcess::start(const QStringList& extraArgs, bool tcp, bool pty, int timeoutMs)
{
    stop();
    m_error.clear();
    m_output.clear();
    m_tcpPort = 0;
    m_ptyPath.clear();
    if (!m_dir->isValid()) {
        m_error = QStringLiteral("no temporary folder: ") + m_dir->errorString();
        return false;
    }
    const QString program = qEnvironmentVariable("TARVIN_SIM");
    if (program.isEmpty()) {
        m_error = QStringLiteral("TARVIN_SIM is not set");
        return false;
    }
    QStringList args;
    if (tcp)
        args << QStringLiteral("--tcp") << QStringLiteral("0");
    if (pty)
        args << QStringLiteral("--pty");
    args << QStringLiteral("--wire-log") << wireLogPath();
    args << extraArgs;

    m_process = std::make_unique<QProcess>();
    m_process->setProgram(program);
    m_process->setArguments(args);
    // The simulator's answers go to files, not pipes: under Wine the test's
    // reader of one child's pipe can stall for good once other children have
    // come and gone, while a file is always there to read.
    QFile::remove(outputPath());
    QFile::remove(errorPath());
    m_outputRead = 0;
    m_process->setStandardOutputFile(outputPath());
    m_process->setStandardErrorFile(errorPath());
    m_process->start();
    if (!m_process->waitForStarted(timeoutMs)) {
        m_error = QStringLiteral("cannot start ") + program + QStringLiteral(": ") +
                  m_process->errorString();
        return false;
    }
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        const QByteArray line = readLine(static_cast<int>(deadline.remainingTime()));
        if (line.isNull()) {
            m_error = QStringLiteral("no READY from the simulator; stderr: ") + standardError();
            return false;
        }
        const QList<QByteArray> words = line.split(' ');
        if (line == "READY")
            return true;
        if (words.size() == 3 && words.at(0) == "TCP")
            m_tcpPort = static_cast<quint16>(words.at(2).toUInt());
        else if (words.size() == 2 && words.at(0) == "PTY")
            m_ptyPath = QString::fromLocal8Bit(words.at(1));
    }
}

void SimProcess::stop(int timeoutMs)
{
    if (!m_process)
        return;
    if (m_process->state() != QProcess::NotRunning) {
#ifdef Q_OS_WIN
        // A console program takes no close message there, and the tests read
        // nothing the simulator writes on quitting: ending it at once saves
        // the wait for "quit" under a slow emulator.
        m_process->kill();
        m_process->waitForFinished(timeoutMs);
        return;
#endif
        m_process->write("quit\n");
        if (!m_process->waitForFinished(timeoutMs)) {
            m_process->terminate();
            if (!m_process->waitForFinished(timeoutMs)) {
                m_process->kill();
                m_process->waitForFinished(timeoutMs);
            }
        }
    }
}

bool SimProcess::isRunning() const
{
    return m_process && m_process->state() != QProcess::NotRunning;
}

QString SimProcess::standardError() const
{
    QFile file(errorPath());
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLocal8Bit(file.readAll());
}

int SimProcess::exitCode() const
{
    return m_process ? m_process->exitCode() : -1;
}

QProcess::ExitStatus SimProcess::exitStatus() const
{
    return m_process ? m_process->exitStatus() : QProcess::CrashExit;
}

QByteArray SimProcess::readLine(int timeoutMs)
{
    if (!m_process)
        return QByteArray();
    QFile file(outputPath());
    // Reads what the simulator wrote since the last line taken; true once a
    // whole line is there.
    const auto lineReady = [&] {
        if (file.isOpen() || file.open(QIODevice::ReadOnly)) {
            file.seek(m_outputRead);
            m_output += file.readAll();
            m_outputRead = file.pos();
        }
        return m_output.contains('\n');
    };
    // qWaitFor keeps the event loop (and so a workbench under test) running.
    // Once the process has ended, one last look takes what it wrote before.
    const bool ready =
        QTest::qWaitFor([&] { return lineReady() || m_process->state() == QProcess::NotRunning; },
                        std::max(timeoutMs, 0));
    if (!ready || !lineReady())
        return QByteArray();
    const qsizetype end = m_output.indexOf('\n');
    QByteArray line = m_output.left(end);
    m_output.remove(0, end + 1);
    while (line.endsWith('\r'))
        line.chop(1);
    return line;
}

QString SimProcess::command(const QString& line, int timeoutMs)
{
    if (!isRunning())
        return QString();
    m_process->write(line.toLatin1() + '\n');
    return QString::fromLatin1(readLine(timeoutMs));
}

bool SimProcess::control(const QString& line, int timeoutMs)
{
    const QString answer = command(line, timeoutMs);
    return answer.startsWith(QLatin1String("OK")) || answer.startsWith(QLatin1String("OPTIONS"));
}

int SimProcess::options(int timeoutMs)
{
    const QString answer = command(QStringLiteral("options"), timeoutMs);
    if (!answer.startsWith(QLatin1String("OPTIONS ")))
        return -1;
    bool ok = false;
    const int value = answer.mid(8).toInt(&ok, 16);
    return ok ? value : -1;
}

QStringList SimProcess::wireLines() const
{
    QFile file(wireLogPath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray all = file.readAll();
    // An entry still being written has no newline yet.
    const qsizetype end = all.lastIndexOf('\n');
    all.truncate(end + 1);
    QStringList lines;
    for (const QByteArray& line : all.split('\n')) {
        if (!line.isEmpty())
            lines.append(QString::fromLatin1(line));
    }
    return lines;
}

QList<WireEntry> SimProcess::wireEntries() const
{
    QList<WireEntry> entries;
    for (const QString& text : wireLines()) {
        const QByteArray line = text.toLatin1();
        const qsizetype first = line.indexOf(' ');
        if (first < 0 || line.size() < first + 4)
            continue;
        const QByteArray direction = line.mid(first + 1, 2);
        if (direction != "RX" && direction != "TX")
            continue;
        WireEntry entry;
        entry.ms = line.left(first).toLongLong();
        entry.received = direction == "RX";
        // "<ms> RX " is followed by the text, which may be empty.
        if (!Unescape(line.mid(first + 4), entry.bytes))
            continue;
        entries.append(entry);
    }
    return entries;
}

QStringList SimProcess::receivedLines() const
{
    return Texts(wireEntries(), true);
}

QStringList SimProcess::sentTexts() const
{
    return Texts(wireEntries(), false);
}

bool SimProcess::waitForReceived(const std::function<bool(const QStringList&)>& predicate,
                                 int timeoutMs) const
{
    return QTest::qWaitFor([&] { return predicate(receivedLines()); }, timeoutMs);
}

bool SimProcess::waitForSent(const std::function<bool(const QStringList&)>& predicate,
                             int timeoutMs) const
{
    return QTest::qWaitFor([&] { return predicate(sentTexts()); }, timeoutMs);
}

bool SimProcess::waitForWire(const std::function<bool(const QList<WireEntry>&)>& predicate,
                             int timeoutMs) const
{
    return QTest::qWaitFor([&] { return predicate(wireEntries()); }, timeoutMs);
}

QByteArray SimProcess::Escape(const QByteArray& bytes)
{
    static const char kDigits[] = "0123456789ABCDEF";
    QByteArray out;
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\\')
            out += "\\\\";
        else if (c < 0x20 || c > 0x7E)
            out += QByteArray("\\x") + kDigits[c >> 4] + kDigits[c & 0x0F];
        else
            out += ch;
    }
    return out;
}

bool SimProcess::Unescape(const QByteArray& text, QByteArray& out)
{
    QByteArray result;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text.at(i);
        if (c != '\\') {
            result += c;
            continue;
        }
        if (i + 1 >= text.size())
            return false;
        const char kind = text.at(++i);
        if (kind == 'r') {
            result += '\r';
        } else if (kind == 'n') {
            result += '\n';
        } else if (kind == '\\') {
            result += '\\';
        } else if (kind == 'x' && i + 2 < text.size() && HexValue(text.at(i + 1)) >= 0 &&
                   HexValue(text.at(i + 2)) >= 0) {
            result += static_cast<char>(HexValue(text.at(i + 1)) * 16 + HexValue(text.at(i + 2)));
            i += 2;
        } else {
            return false;
        }
    }
    out = result;
    return true;
}

} // namespace tarvin::test
