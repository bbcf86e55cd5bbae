// tarvin-monitor: unattended capture of everything that crosses the link to
// a PCI or Socketbox, through link drops, for as long as it runs.

#include "monitor.h"
#include "session/capture_file.h"
#include "session/settings_store.h"
#include "session/stop_signals.h"

#include <QCoreApplication>
#include <QDateTime>

#include <cstdio>

namespace {

const char kHelp[] =
    "Usage: tarvin-monitor [options]\n"
    "\n"
    "Connects to a PCI on a serial port or a Socketbox over TCP, runs the same\n"
    "connect handshake as the workbench, and writes every line received and\n"
    "sent, with a time stamp, the text on the wire and its description. When\n"
    "the link drops it reconnects by itself, waiting 1, 2, 4 ... seconds up to\n"
    "--retry-max between attempts, and writes a marker line (starting with\n"
    "\"#\") for every gap. Every line is flushed as it is written. SIGINT and\n"
    "SIGTERM end the capture cleanly.\n"
    "\n"
    "Where to connect (defaults: the workbench's stored settings, the same\n"
    "\"ConnectionType\", \"COMPort\", \"IPAddress\" and \"Port\"):\n"
    "  --serial PORT          a PCI on this serial port (a name or a device path)\n"
    "  --tcp ADDRESS          a Socketbox at this address\n"
    "  --port N               the Socketbox's TCP port (default 14000)\n"
    "  --default-mode         put the interface in the workbench's default mode\n"
    "                         (options 51: CONNECT, SMART, IDMON) once it answers\n"
    "  --all-monitor          the default mode, then all traffic, as the traffic\n"
    "                         analyser asks for it, so that tarvin-decode\n"
    "                         --statistics counts the capture as the analyser\n"
    "                         would have\n"
    "\n"
    "What to write:\n"
    "  --output FILE          append to FILE (default: standard output)\n"
    "  --format text|csv      text: the log's own line form with the wire text in\n"
    "                         brackets; csv: time,direction,raw,description with\n"
    "                         RFC 4180 quoting (default: text on standard\n"
    "                         output; for a FILE, text when it ends in .txt,\n"
    "                         else csv)\n"
    "  --rotate-size N        start a new file when the current one would grow\n"
    "                         past N bytes (suffix K or M allowed); the old one is\n"
    "                         renamed FILE-BASE.yyyyMMdd-HHmmss.EXT\n"
    "  --rotate-daily         start a new file at the first line of each day\n"
    "  --options N            decode option word 0..15 (default: the stored Show\n"
    "                         settings): 1 unit, 2 network, 4 application, 8 message\n"
    "  --hex                  numbers in hexadecimal (default decimal)\n"
    "  --retry-max SECONDS    longest wait between reconnection attempts (default 30)\n"
    "  -h, --help             this text\n"
    "\n"
    "Exit status: 0 when stopped by a signal, 1 when the output cannot be\n"
    "written, 2 on a bad option.\n";

int Usage(const QString& message)
{
    std::fprintf(stderr, "tarvin-monitor: %s\n(see tarvin-monitor --help)\n",
                 message.toLocal8Bit().constData());
    return 2;
}

bool ParseSize(const QString& text, qint64& bytes)
{
    QString digits = text;
    qint64 unit = 1;
    if (digits.endsWith(QLatin1Char('K'), Qt::CaseInsensitive)) {
        unit = 1024;
        digits.chop(1);
    } else if (digits.endsWith(QLatin1Char('M'), Qt::CaseInsensitive)) {
        unit = 1024 * 1024;
        digits.chop(1);
    }
    bool ok = false;
    const qint64 value = digits.toLongLong(&ok);
    if (!ok || value <= 0 || value > (qint64(1) << 40) / unit)
        return false;
    bytes = value * unit;
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Ostrel"));
    QCoreApplication::setApplicationName(QStringLiteral("Tarvin Diagnostic"));

    tarvin::Monitor::Options options;
    tarvin::ReadSettingsStore(options.link);
    options.decodeOptions = options.link.decodeOptions();
    options.hexNumbers = options.link.hexNumbers;
    tarvin::CaptureFile::Options output;
    bool formatGiven = false;

    const QStringList args = QCoreApplication::arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        const auto value = [&](QString& out) {
            if (i + 1 >= args.size())
                return false;
            out = args[++i];
            return true;
        };
        QString v;
        if (arg == QLatin1String("-h") || arg == QLatin1String("--help")) {
            std::fputs(kHelp, stdout);
            return 0;
        } else if (arg == QLatin1String("--serial")) {
            if (!value(v) || v.isEmpty())
                return Usage(QStringLiteral("--serial needs a port name"));
            options.link.connectionType = 0;
            options.link.comPort = v.toLatin1().toStdString();
        } else if (arg == QLatin1String("--tcp")) {
            if (!value(v) || v.isEmpty())
                return Usage(QStringLiteral("--tcp needs an address"));
            options.link.connectionType = 1;
            options.link.ipAddress = v.toLatin1().toStdString();
        } else if (arg == QLatin1String("--port")) {
            bool ok = false;
            const int port = value(v) ? v.toInt(&ok) : 0;
            if (!ok || port < 1 || port > 65535)
                return Usage(QStringLiteral("--port needs a number from 1 to 65535"));
            options.link.port = port;
        } else if (arg == QLatin1String("--default-mode")) {
            options.defaultMode = true;
        } else if (arg == QLatin1String("--all-monitor")) {
            options.allMonitor = true;
        } else if (arg == QLatin1String("--output")) {
            if (!value(v) || v.isEmpty())
                return Usage(QStringLiteral("--output needs a file name"));
            output.path = v == QLatin1String("-") ? QString() : v;
            if (!formatGiven && !output.path.isEmpty())
                output.format = tarvin::CaptureFormatForName(output.path.toStdString());
        } else if (arg == QLatin1String("--format")) {
            if (!value(v) || (v != QLatin1String("text") && v != QLatin1String("csv")))
                return Usage(QStringLiteral("--format is text or csv"));
            output.format = v == QLatin1String("csv") ? tarvin::CaptureFormat::Csv
                                                      : tarvin::CaptureFormat::Text;
            formatGiven = true;
        } else if (arg == QLatin1String("--rotate-size")) {
            if (!value(v) || !ParseSize(v, output.rotateBytes))
                return Usage(
                    QStringLiteral("--rotate-size needs a size such as 1000000, 500K or 10M"));
        } else if (arg == QLatin1String("--rotate-daily")) {
            output.rotateDaily = true;
        } else if (arg == QLatin1String("--options")) {
            bool ok = false;
            const int word = value(v) ? v.toInt(&ok) : -1;
            if (!ok || word < 0 || word > 15)
                return Usage(QStringLiteral("--options needs a number from 0 to 15"));
            options.decodeOptions = word;
        } else if (arg == QLatin1String("--hex")) {
            options.hexNumbers = true;
        } else if (arg == QLatin1String("--retry-max")) {
            bool ok = false;
            const int seconds = value(v) ? v.toInt(&ok) : 0;
            if (!ok || seconds < 1 || seconds > 3600)
                return Usage(
                    QStringLiteral("--retry-max needs a number of seconds from 1 to 3600"));
            options.retryMaxSeconds = seconds;
        } else {
            return Usage(QStringLiteral("unknown option %1").arg(arg));
        }
    }
    if ((output.rotateBytes > 0 || output.rotateDaily) && output.path.isEmpty())
        return Usage(QStringLiteral("rotation needs --output FILE"));

    tarvin::CaptureFile out(output, [] { return QDateTime::currentDateTime(); });
    if (!out.open()) {
        std::fprintf(stderr, "tarvin-monitor: cannot open the output: %s\n",
                     out.errorString().toLocal8Bit().constData());
        return 1;
    }

    tarvin::Monitor monitor(options, out);
    int status = 0;
    const bool caught = tarvin::OnStopSignal(&app, [&] {
        monitor.stop(QStringLiteral("signal"));
        QCoreApplication::quit();
    });
    if (!caught) {
        std::fprintf(stderr, "tarvin-monitor: cannot set up signal handling\n");
        return 1;
    }
    QObject::connect(&monitor, &tarvin::Monitor::fatal, &app, [&](const QString& message) {
        std::fprintf(stderr, "tarvin-monitor: cannot write the capture: %s\n",
                     message.toLocal8Bit().constData());
        status = 1;
        QCoreApplication::exit(1);
    });
    QTimer::singleShot(0, &monitor, &tarvin::Monitor::start);
    const int code = QCoreApplication::exec();
    return status ? status : code;
}
