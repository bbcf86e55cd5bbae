#include "tools/tarvin-bridge/options.h"

#include "core/link/framing.h"

#include <QFile>
#include <QRegularExpression>
#include <QTextStream>

#include <limits>

namespace tarvin::bridge {

const char kHelp[] =
    "Usage: tarvin-bridge [options]\n"
    "\n"
    "Holds the link to a PCI or a Socketbox as tarvin-monitor does (the same\n"
    "connect handshake, then the default mode; reconnection after 1, 2, 4 ...\n"
    "seconds up to --retry-max) and mirrors the bus to an MQTT broker: every\n"
    "line received and sent, the state of every lighting group, and lighting\n"
    "commands from the broker to the bus. See tarvin-bridge(1) for the topics.\n"
    "\n"
    "The link (one of them is needed, here or in the configuration file):\n"
    "  --serial PORT              a PCI on this serial port\n"
    "  --tcp ADDRESS              a Socketbox at this address\n"
    "  --port N                   the Socketbox's TCP port (default 14000)\n"
    "\n"
    "The broker:\n"
    "  --mqtt-host H              broker address (default 127.0.0.1)\n"
    "  --mqtt-port N              broker port (default 1883)\n"
    "  --mqtt-user U              user name\n"
    "  --mqtt-password-file F     the password, the first line of F\n"
    "  --mqtt-tls-ca F            connect with TLS, trusting the CA certificates in F\n"
    "  --client-id ID             MQTT client id (default: chosen by the library)\n"
    "  --mqtt-version 3.1.1|5     the protocol version (default 3.1.1)\n"
    "  --prefix P                 first level of every topic (default tarvin)\n"
    "  --site-id ID               this site's name in discovery: letters, digits,\n"
    "                             _ and - (default: the prefix, / made _)\n"
    "  --discovery-prefix P       Home Assistant's discovery prefix (default\n"
    "                             homeassistant)\n"
    "\n"
    "The bus:\n"
    "  --network N=PATH           network N (1-255) is reached over the remote\n"
    "                             network PATH (bridge addresses, two hex digits\n"
    "                             each); may be repeated. Network 0 is local.\n"
    "  --discovery                publish Home Assistant discovery configs\n"
    "  --groups FILE              groups to announce, one \"network application\n"
    "                             group [name]\" a line, decimal; # comments\n"
    "  --queue N                  events kept while the broker is away (default\n"
    "                             10000); the oldest go first when it is full\n"
    "  --retry-max SECONDS        longest wait between reconnection attempts, to\n"
    "                             the interface and to the broker (default 30)\n"
    "\n"
    "  --config F                 read options from F: \"key = value\" lines with\n"
    "                             the option names without dashes, # comments;\n"
    "                             the command line overrides it\n"
    "  -h, --help                 this text\n"
    "\n"
    "Exit status: 0 when stopped by SIGINT or SIGTERM, 1 on a fatal error,\n"
    "2 on a bad option or configuration.\n";

namespace {

// Options that take no value on the command line.
bool IsFlag(const QString& key)
{
    return key == QLatin1String("discovery");
}

std::optional<qint64> Number(const QString& text, qint64 lo, qint64 hi)
{
    bool ok = false;
    const qint64 n = text.trimmed().toLongLong(&ok);
    if (!ok || n < lo || n > hi)
        return std::nullopt;
    return n;
}

struct Reader
{
    explicit Reader(CommandLine& result) : out(result) {}

    CommandLine& out;
    bool linkGiven = false;
    QString passwordFile;
    QString groupsFile;

    // One option; the error text, or empty.
    QString apply(const QString& key, const QString& value)
    {
        Bridge::Options& o = out.options;
        const auto number = [&](qint64 lo, qint64 hi, int& target) {
            const auto n = Number(value, lo, hi);
            if (!n)
                return QStringLiteral("needs a number from %1 to %2").arg(lo).arg(hi);
            target = static_cast<int>(*n);
            return QString();
        };
        const auto text = [&](QString& target) {
            if (value.isEmpty())
                return QStringLiteral("needs a value");
            target = value;
            return QString();
        };
        if (key == QLatin1String("serial")) {
            if (value.isEmpty())
                return QStringLiteral("needs a port name");
            o.link.connectionType = 0;
            o.link.comPort = value.toLatin1().toStdString();
            linkGiven = true;
        } else if (key == QLatin1String("tcp")) {
            if (value.isEmpty())
                return QStringLiteral("needs an address");
            o.link.connectionType = 1;
            o.link.ipAddress = value.toLatin1().toStdString();
            linkGiven = true;
        } else if (key == QLatin1String("port")) {
            return number(1, 65535, o.link.port);
        } else if (key == QLatin1String("mqtt-host")) {
            return text(o.mqtt.host);
        } else if (key == QLatin1String("mqtt-port")) {
            return number(1, 65535, o.mqtt.port);
        } else if (key == QLatin1String("mqtt-user")) {
            return text(o.mqtt.user);
        } else if (key == QLatin1String("mqtt-password-file")) {
            return text(passwordFile);
        } else if (key == QLatin1String("mqtt-tls-ca")) {
            return text(o.mqtt.tlsCa);
        } else if (key == QLatin1String("client-id")) {
            return text(o.mqtt.clientId);
        } else if (key == QLatin1String("mqtt-version")) {
            if (value == QLatin1String("3.1.1"))
                o.mqtt.version5 = false;
            else if (value == QLatin1String("5"))
                o.mqtt.version5 = true;
            else
                return QStringLiteral("is 3.1.1 or 5");
        } else if (key == QLatin1String("prefix") || key == QLatin1String("discovery-prefix")) {
            if (value.isEmpty() || value.contains(QLatin1Char('+')) ||
                value.contains(QLatin1Char('#')) || value.startsWith(QLatin1Char('/')) ||
                value.endsWith(QLatin1Char('/')))
                return QStringLiteral("must be a topic without wildcards (+, #) and without a "
                                      "leading or trailing /");
            (key == QLatin1String("prefix") ? o.prefix : o.discoveryPrefix) = value;
        } else if (key == QLatin1String("site-id")) {
            static const QRegularExpression kId(QStringLiteral("^[A-Za-z0-9_-]+$"));
            if (!kId.match(value).hasMatch())
                return QStringLiteral("must be letters, digits, _ and - only");
            o.siteId = value;
        } else if (key == QLatin1String("network")) {
            const int eq = static_cast<int>(value.indexOf(QLatin1Char('=')));
            const auto n = Number(value.left(eq), 1, 255);
            const QString path = value.mid(eq + 1).trimmed();
            if (eq < 0 || !n)
                return QStringLiteral("needs N=PATH with N from 1 to 255 (0 is the local network)");
            if (!IsValidNetworkPath(path.toLatin1().toStdString()))
                return QStringLiteral("%1: \"%2\" is not a network path (1 to 6 bridge addresses, "
                                      "two hexadecimal digits each)")
                    .arg(*n)
                    .arg(path);
            o.networks[static_cast<int>(*n)] = path.toUpper();
        } else if (key == QLatin1String("discovery")) {
            const QString v = value.toLower();
            if (v == QLatin1String("true") || v == QLatin1String("yes") || v == QLatin1String("1"))
                o.discovery = true;
            else if (v == QLatin1String("false") || v == QLatin1String("no") ||
                     v == QLatin1String("0"))
                o.discovery = false;
            else
                return QStringLiteral("is true or false");
        } else if (key == QLatin1String("groups")) {
            return text(groupsFile);
        } else if (key == QLatin1String("queue")) {
            return number(1, 10000000, o.queueLimit);
        } else if (key == QLatin1String("retry-max")) {
            return number(1, 3600, o.retryMaxSeconds);
        } else {
            return QStringLiteral("is not an option");
        }
        return QString();
    }

    // The "key = value" lines of a configuration file.
    bool readConfig(const QString& path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
            out.error = QStringLiteral("%1: cannot read: %2").arg(path, file.errorString());
            return false;
        }
        QTextStream in(&file);
        for (int number = 1; !in.atEnd(); ++number) {
            const QString line = in.readLine().trimmed();
            if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
                continue;
            const int eq = static_cast<int>(line.indexOf(QLatin1Char('=')));
            const QString key = line.left(eq).trimmed();
            QString problem;
            if (eq < 0 || key.isEmpty())
                problem = QStringLiteral("expected \"key = value\"");
            else if (key == QLatin1String("config"))
                problem = QStringLiteral("config cannot name another file");
            else if (const QString p = apply(key, line.mid(eq + 1).trimmed()); !p.isEmpty())
                problem = key + QLatin1Char(' ') + p;
            if (!problem.isEmpty()) {
                out.error = QStringLiteral("%1:%2: %3").arg(path).arg(number).arg(problem);
                return false;
            }
        }
        return true;
    }

    bool readPassword()
    {
        if (passwordFile.isEmpty())
            return true;
        QFile file(passwordFile);
        if (!file.open(QIODevice::ReadOnly)) {
            out.error = QStringLiteral("%1: cannot read the password: %2")
                            .arg(passwordFile, file.errorString());
            return false;
        }
        QByteArray line = file.readLine();
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        out.options.mqtt.password = QString::fromUtf8(line);
        return true;
    }

    bool readGroups()
    {
        if (groupsFile.isEmpty())
            return true;
        QFile file(groupsFile);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
            out.error = QStringLiteral("%1: cannot read: %2").arg(groupsFile, file.errorString());
            return false;
        }
        static const QRegularExpression kLine(
            QStringLiteral("^(\\d{1,3})\\s+(\\d{1,3})\\s+(\\d{1,3})(?:\\s+(.*))?$"));
        QTextStream in(&file);
        for (int number = 1; !in.atEnd(); ++number) {
            const QString line = in.readLine().trimmed();
            if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
                continue;
            const QRegularExpressionMatch m = kLine.match(line);
            NamedGroup g;
            if (m.hasMatch()) {
                g = {m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(),
                     m.captured(4).trimmed()};
            }
            QString problem;
            if (!m.hasMatch() || g.network > 255 || g.group > 255)
                problem = QStringLiteral("expected \"network application group [name]\", decimal "
                                         "numbers from 0 to 255");
            else if (!IsLightingApplication(g.application))
                problem = QStringLiteral("application %1 is not a lighting application (48 to "
                                         "127)")
                              .arg(g.application);
            else if (g.network != 0 && !out.options.networks.contains(g.network))
                problem = QStringLiteral("network %1 has no path (give it with network = "
                                         "%1=PATH)")
                              .arg(g.network);
            if (!problem.isEmpty()) {
                out.error = QStringLiteral("%1:%2: %3").arg(groupsFile).arg(number).arg(problem);
                return false;
            }
            out.options.groups.push_back(g);
        }
        return true;
    }
};

} // namespace

CommandLine ParseCommandLine(const QStringList& args)
{
    CommandLine out;
    Reader reader(out);
    // The file first, whatever its place, so the command line overrides it.
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("-h") || args[i] == QLatin1String("--help")) {
            out.help = true;
            return out;
        }
        if (args[i] == QLatin1String("--config") ||
            args[i].startsWith(QLatin1String("--config="))) {
            const QString path = args[i].contains(QLatin1Char('='))
                                     ? args[i].section(QLatin1Char('='), 1)
                                 : i + 1 < args.size() ? args[++i]
                                                       : QString();
            if (path.isEmpty()) {
                out.error = QStringLiteral("--config needs a file name");
                return out;
            }
            if (!reader.readConfig(path))
                return out;
        }
    }
    for (int i = 0; i < args.size(); ++i) {
        QString arg = args[i];
        if (!arg.startsWith(QLatin1String("--"))) {
            out.error = QStringLiteral("unexpected argument %1").arg(arg);
            return out;
        }
        QString value;
        const int eq = static_cast<int>(arg.indexOf(QLatin1Char('=')));
        const bool inlineValue = eq > 0;
        if (inlineValue) {
            value = arg.mid(eq + 1);
            arg = arg.left(eq);
        }
        const QString key = arg.mid(2);
        if (key == QLatin1String("config")) {
            if (!inlineValue)
                ++i;
            continue;
        }
        if (IsFlag(key)) {
            if (inlineValue) {
                out.error = QStringLiteral("--%1 takes no value").arg(key);
                return out;
            }
            value = QStringLiteral("true");
        } else if (!inlineValue) {
            if (i + 1 >= args.size()) {
                out.error = QStringLiteral("--%1 needs a value").arg(key);
                return out;
            }
            value = args[++i];
        }
        const QString problem = reader.apply(key, value);
        if (!problem.isEmpty()) {
            out.error = QStringLiteral("--%1 %2").arg(key, problem);
            return out;
        }
    }
    if (!reader.linkGiven) {
        out.error = QStringLiteral("no link: give --serial PORT or --tcp ADDRESS (or serial or tcp "
                                   "in the configuration file)");
        return out;
    }
    if (!reader.readPassword() || !reader.readGroups())
        return out;
    return out;
}

} // namespace tarvin::bridge
