#include "sim_config.h"

#include <QCommandLineParser>

#include <cmath>

namespace tarvin::sim {

namespace {

QString L(const char* text)
{
    return QString::fromLatin1(text);
}

const char kHelpHead[] =
    R"(Usage: tarvin-sim [options]

Simulated Tarvin interface unit for tests and demonstrations. It serves as a
Socketbox on a loopback TCP port and/or as a PCI on a pseudo-terminal; both
faces share one interface state (mode, option bytes, parameters), and each
serves one client at a time (a new TCP client replaces the current one).

On start it prints, one per line: "TCP <address> <port>" and/or
"PTY <device path>", then "READY".

Options:
  --tcp PORT             serve TCP on PORT (0 picks a free port)
  --listen ADDRESS       address to listen on; loopback only (default 127.0.0.1)
  --pty                  serve on a new pseudo-terminal
  --wire-log FILE        log every line received and sent (format below)
  --fault CHAR           answer acknowledged lines with CHAR (#, $ or %)
                         instead of "."
  --fault-every N        ... only every N-th acknowledged line (default 1)
  --inject-file FILE     monitor lines to send, one per line (blank lines and
                         lines starting with "#" are skipped), written as the
                         default mode passes them on (ending in a checksum);
                         each goes out followed by CR LF, to every client
                         present, in the form of the interface's mode (below)
  --inject-interval MS   time between injected lines (default 100)
  --inject-rate N        injected lines per second (instead of an interval)
  --inject-repeat N      passes through the file, 0 = forever (default 1)
                         Injection starts when the first client appears.
  --split                write output in random pieces of 1..N bytes
  --split-max N          largest piece (default 8)
  --seed N               seed of the piece sizes (default 1)
  --delay MS             hold all output (echo, replies, monitor lines) MS ms
  --drop-after N         close a TCP client after it has sent N non-empty lines
                         (after their replies are written)
  --network FILE         the simulated installation (JSON, format below and in
                         NETWORK.md); without it a built-in one is used
  --slow MS              hold every network reply MS ms (see "slow" below)
  --late MS              send every network reply MS ms after its request,
                         nothing else waiting for it (see "late" below)
  --pci-late MS          the same for the PCI's own replies (to requests
                         without a header) only
  --store-fail           stores of more than one byte (a unit type, a name)
                         are not kept; single-byte settings still are
  --traffic RATE         generate all-monitor bus traffic, RATE lines per
                         second (1-100000): SAL messages of many applications
                         and source units, MMI messages (90 in the fourth
                         byte) and CAL replies (format below); starts when
                         the first client appears, goes to every client
  --error-share PERCENT  damaged lines among the generated ones, 0-100
                         (default 5)
  --identity-traffic     half the generated CAL lines are other units'
                         answers to Identify 00-07 and to Recall 2A, 23
                         and 42, as when another tool on the bus asks them
  --no-control           ignore standard input (for running by hand)
  -h, --help             this text
  --version              version

Interface behaviour:
  Input is cut into lines at CR; LF is ignored. Empty lines are logged only.
  Basic mode (options 00, at start and after "~~~"): every byte is echoed
  as it arrives. Smart mode (SMART bit 10 set): no echo.
  "~~~" at the start of a line resets to basic mode at once; the rest of the
  line is processed as a line. A leading "@" marks a local line.
  "||" sets the SMART and CONNECT bits.
  "A3" PP "00" VV stores VV in parameter PP; parameter 30 is Interface
  Options 1 (01 CONNECT, 04 XON/XOFF, 08 CHECKSUM, 10 SMART, 20 MONITOR,
  40 IDMON).
  A trailing letter g..z asks for a confirmation: the letter and "." (or the
  fault character). A leading "\" (header) is skipped.
  A line that is not hexadecimal pairs, or (with CHECKSUM set) whose bytes do
  not sum to 0 modulo 256, is answered "!" and otherwise ignored.
  Confirmations and "!" are sent bare, without CR or LF.

Simulated network (replies end in CR LF and carry a checksum byte; they are
passed on only in smart mode, never while the unit echoes):
  A line without a header is a CAL request to the PCI itself: "21" AA
  (Identify attribute AA: 00 manufacturer, 01 type, 02 firmware, 04 serial
  number, 07 voltage) and "1A" PP NN (Recall NN parameters from PP) are
  answered "80+N" AA/PP and the data. With IDMON (40) set the reply has the
  header "86", the source unit, 00 and the route length 00 in front; for a
  unit behind bridges: "86", the first bridge, 00, the number of bridges, the
  other bridges and the unit. Without IDMON the reply is the bare CAL data.
  "\06" UU 00 + request asks unit UU of the local network; "\06" B1 RR B2..
  UU + request (RR = 9 x bridges) asks unit UU behind the bridges B1 B2...
  "A3" PP 00 VV after a unit's header stores VV in its parameter PP.
  "\05FF00" (or "\03" B1 RR B2.. "FF") followed by network-control commands:
  "7A" AA SS asks for the states of application AA (FF: the installation)
  from address SS: the network answers with status reports up to address
  FF, standard reports (22 data bytes) for the installation, extended ones
  (16 data bytes) for an application. "73" "07" AA SS asks for the levels of
  groups SS..SS+1F: level reports of eight levels each, every level as two
  level-code bytes (low nibble first; 00 00 = group not present, 00 55 = a
  group in conflict). An application nobody uses is not answered.

Network description (--network FILE), JSON:
  { "pci": UNIT, "units": [UNIT...], "applications": [APP...],
    "networks": [ { "path": "0A1B", "units": [...], "applications": [...] } ] }
  UNIT: { "address": "05", "type": "DIMMER", "manufacturer": "OSTREL",
          "firmware": "2.1", "partName": "LOUNGE", "project": "HOME",
          "serial": "30-576", "voltage": "35.8V", "mmiState": 1,
          "eeprom": "<up to 512 hex digits>", "parameters": { "42": "0E" } }
  APP:  { "application": "38", "groups": { "00": 255, "01": 0, "10": "conflict" } }
  Only "address" is required in a unit. The EEPROM image (default: byte i = i)
  is the unit's parameter space; address (20), project (23-28), part name
  (2A-2F, six-bit packed), type (F7-FE, ASCII) and "parameters" are written
  over it. Identify 01 reads the type from F7-FE, so a stored type is read
  back. "A0+N" PP 00 <N-2 bytes> stores. Some parameters keep a store only
  right after their unlock "11" PP to the same unit: the type F7 always, and
  the option parameters 30, 41 and 42 when the store comes through a unit's
  header (another PCI on the bus); one unlock allows one store. The PCI is a
  unit of the local network too; its parameter 30 starts at 00.

Generated traffic (--traffic), one line each, hexadecimal, CR LF:
  SAL  05 SS AA 00 <1-4 command bytes> 35   35 ends a message received intact
  MMI  05 SS AA 90 <1-4 status bytes>       (AA: FF or 38)
  CAL  86 SS 00 00 83 PP VV 9A              9A ends a reply received intact
  A damaged line ends in 34 (SAL) or 9B (CAL) instead, or is cut to its
  first four bytes. Sources SS are 01-30; the seed is --seed.
  That is the form of the monitoring mode (parameter 40 set, as "@A3400048"
  does, or bit 02 of the options, as "~~~A3300002" does; a reset ends it).
  In any other mode generated and injected lines end in their checksum
  instead of the status byte (a wrong one when damaged), MMI messages too.
  Lines sent by the "monitor" command go out exactly as given.
  No generated line starts with C0-FF, and the CAL lines answer only a
  Recall of two parameters from 50-6F, so none passes for the answer to an
  Identify or another Recall, unless --identity-traffic is given: then half
  of them are the answers of units PIRSENS, DIMMER4 and SWITCH2 (firmware
  3.9) to the requests the PCI is asked, never to a Recall of parameter 20
  (a unit's own address, which tells a PCI's answer from the others).
  Monitor lines (generated, injected or sent by "monitor") go out whole, in
  every mode: while the client types a line that is echoed, they wait for
  its CR.

Wire log format, one entry per line, flushed at once:
  <milliseconds since start> RX <text>   one received line (up to its CR);
                                         two CRs in a row give an empty entry
  <milliseconds since start> TX <text>   one thing sent: the echo of a line,
                                         a confirmation, a monitor line...
  <text> escapes CR as \r, LF as \n, backslash as \\ and every other byte
  outside 0x20-0x7E as \xHH.

Control commands on standard input, one per line, each answered with one
line on standard output ("OK ..." or "ERROR <reason>"):
  send <escaped text>    write the bytes (escapes as in the wire log)
  monitor <hex>          write a monitor line followed by CR LF
  fault <c> [N]          answer with c (#, $, %) on every N-th confirmation
  fault off              normal confirmations again
  drop                   close the current TCP client
  options                answered "OPTIONS <hex>" (Interface Options 1)
  silent <who>           stop answering: "pci" (its own CAL replies), "mmi"
                         (status reports), "confirm" (acknowledgement
                         letters), "05" (a local unit), "0A1B/07" (a unit
                         behind a path); "silent off" ends them all
  answer <who>           answer again after "silent <who>"
  slow <ms>              hold every network reply ms ms; later output queues
                         behind it ("slow 0" ends it)
  late <ms>              send every network reply ms ms after its request,
                         each on a timer of its own: echo, confirmations,
                         monitor lines and replies due sooner do not wait, so
                         a request sent twice is answered twice ("late 0"
                         ends it)
  late confirm <ms>      send every confirmation ms ms late, on a timer of
                         its own ("late confirm 0" ends it)
  drop-after-replies <n> close the current TCP client once the next n network
                         reply lines have been written to it; the rest of a
                         reply sequence is not sent (TCP only: a pty cannot
                         be hung up and keep its name); "drop-after-replies
                         off" cancels
  traffic <rate>         generate traffic as --traffic does, rate lines per
                         second (1-100000) from now on, to every client in
                         every mode ("traffic 0" stops it)
  replies <kind>         normal, duplicate (every reply twice), truncate (half
                         of each reply), garbage (a junk line before each)
  quit                   exit
End of standard input, SIGTERM and SIGINT also exit cleanly.
Exit status: 0 normal, 1 start-up failure, 2 bad command line.
)";

bool ToInt(const QString& text, int minimum, int maximum, int& value)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < minimum || v > maximum)
        return false;
    value = v;
    return true;
}

} // namespace

QString HelpText()
{
    return QString::fromLatin1(kHelpHead);
}

ParseOutcome ParseArguments(const QStringList& args, SimConfig& config, QString& message)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{L("h"), L("help")});
    const QCommandLineOption version(L("version"));
    const QCommandLineOption tcp(L("tcp"), QString(), L("PORT"));
    const QCommandLineOption listen(L("listen"), QString(), L("ADDRESS"));
    const QCommandLineOption pty(L("pty"));
    const QCommandLineOption wireLog(L("wire-log"), QString(), L("FILE"));
    const QCommandLineOption fault(L("fault"), QString(), L("CHAR"));
    const QCommandLineOption faultEvery(L("fault-every"), QString(), L("N"));
    const QCommandLineOption injectFile(L("inject-file"), QString(), L("FILE"));
    const QCommandLineOption injectInterval(L("inject-interval"), QString(), L("MS"));
    const QCommandLineOption injectRate(L("inject-rate"), QString(), L("N"));
    const QCommandLineOption injectRepeat(L("inject-repeat"), QString(), L("N"));
    const QCommandLineOption split(L("split"));
    const QCommandLineOption splitMax(L("split-max"), QString(), L("N"));
    const QCommandLineOption seed(L("seed"), QString(), L("N"));
    const QCommandLineOption delay(L("delay"), QString(), L("MS"));
    const QCommandLineOption dropAfter(L("drop-after"), QString(), L("N"));
    const QCommandLineOption noControl(L("no-control"));
    const QCommandLineOption network(L("network"), QString(), L("FILE"));
    const QCommandLineOption slow(L("slow"), QString(), L("MS"));
    const QCommandLineOption late(L("late"), QString(), L("MS"));
    const QCommandLineOption pciLate(L("pci-late"), QString(), L("MS"));
    const QCommandLineOption identityTraffic(L("identity-traffic"));
    const QCommandLineOption storeFail(L("store-fail"));
    const QCommandLineOption traffic(L("traffic"), QString(), L("RATE"));
    const QCommandLineOption errorShare(L("error-share"), QString(), L("PERCENT"));
    parser.addOptions({help,           version,      tcp,        listen,     pty,
                       wireLog,        fault,        faultEvery, injectFile, injectInterval,
                       injectRate,     injectRepeat, split,      splitMax,   seed,
                       delay,          dropAfter,    noControl,  network,    slow,
                       late,           storeFail,    traffic,    errorShare, pciLate,
                       identityTraffic});

    if (!parser.parse(args)) {
        message = parser.errorText();
        return ParseOutcome::Error;
    }
    if (parser.isSet(help))
        return ParseOutcome::Help;
    if (parser.isSet(version))
        return ParseOutcome::Version;
    if (!parser.positionalArguments().isEmpty()) {
        message = L("unexpected argument: ") + parser.positionalArguments().constFirst();
        return ParseOutcome::Error;
    }

    auto fail = [&message](const QString& text) {
        message = text;
        return ParseOutcome::Error;
    };
    int number = 0;

    config.tcp = parser.isSet(tcp);
    if (config.tcp) {
        if (!ToInt(parser.value(tcp), 0, 65535, number))
            return fail(L("--tcp needs a port number 0-65535"));
        config.tcpPort = static_cast<quint16>(number);
    }
    if (parser.isSet(listen)) {
        const QString text = parser.value(listen);
        QHostAddress address;
        if (text == L("localhost"))
            address = QHostAddress(QHostAddress::LocalHost);
        else if (!address.setAddress(text))
            return fail(L("--listen: not an address: ") + text);
        // Tests must never open a port that other machines can reach.
        if (!address.isLoopback())
            return fail(L("--listen: only loopback addresses are allowed: ") + text);
        config.listenAddress = address;
    }
    config.pty = parser.isSet(pty);
    if (!config.tcp && !config.pty)
        return fail(L("nothing to serve: give --tcp PORT and/or --pty"));

    config.wireLogPath = parser.value(wireLog);
    config.control = !parser.isSet(noControl);

    if (parser.isSet(fault)) {
        const QString text = parser.value(fault);
        if (text.size() != 1 || !IsFaultCharacter(text.at(0).toLatin1()))
            return fail(L("--fault must be one of # $ %"));
        config.fault.reply = text.at(0).toLatin1();
    }
    if (parser.isSet(faultEvery)) {
        if (!ToInt(parser.value(faultEvery), 1, 1000000, number))
            return fail(L("--fault-every needs a number of at least 1"));
        config.fault.every = number;
    }

    config.injectFile = parser.value(injectFile);
    if (parser.isSet(injectInterval) && parser.isSet(injectRate))
        return fail(L("give either --inject-interval or --inject-rate, not both"));
    if (parser.isSet(injectInterval)) {
        if (!ToInt(parser.value(injectInterval), 1, 3600000, number))
            return fail(L("--inject-interval needs milliseconds, at least 1"));
        config.injectIntervalMs = number;
    }
    if (parser.isSet(injectRate)) {
        if (!ToInt(parser.value(injectRate), 1, 100000, number))
            return fail(L("--inject-rate needs lines per second, 1-100000"));
        config.injectIntervalMs = 1000.0 / number;
    }
    if (parser.isSet(injectRepeat)) {
        if (!ToInt(parser.value(injectRepeat), 0, 1000000000, number))
            return fail(L("--inject-repeat needs a count (0 = forever)"));
        config.injectRepeat = number;
    }
    if (config.injectFile.isEmpty() &&
        (parser.isSet(injectInterval) || parser.isSet(injectRate) || parser.isSet(injectRepeat)))
        return fail(L("injection options need --inject-file"));

    config.shaping.split = parser.isSet(split);
    if (parser.isSet(splitMax)) {
        if (!ToInt(parser.value(splitMax), 1, 65536, number))
            return fail(L("--split-max needs a size of at least 1"));
        config.shaping.splitMax = number;
    }
    if (parser.isSet(seed)) {
        bool ok = false;
        const uint value = parser.value(seed).toUInt(&ok);
        if (!ok)
            return fail(L("--seed needs an unsigned number"));
        config.seed = value;
    }
    if (parser.isSet(delay)) {
        if (!ToInt(parser.value(delay), 0, 3600000, number))
            return fail(L("--delay needs milliseconds"));
        config.shaping.delayMs = number;
    }
    if (parser.isSet(dropAfter)) {
        if (!ToInt(parser.value(dropAfter), 1, 1000000000, number))
            return fail(L("--drop-after needs a number of lines, at least 1"));
        config.dropAfter = number;
    }
    config.networkFile = parser.value(network);
    config.storeFails = parser.isSet(storeFail);
    if (parser.isSet(traffic)) {
        if (!ToInt(parser.value(traffic), 1, 100000, number))
            return fail(L("--traffic needs lines per second, 1-100000"));
        config.trafficRate = number;
    }
    if (parser.isSet(errorShare)) {
        if (!ToInt(parser.value(errorShare), 0, 100, number))
            return fail(L("--error-share needs a percentage, 0-100"));
        if (!parser.isSet(traffic))
            return fail(L("--error-share goes with --traffic"));
        config.errorPercent = number;
    }
    if (parser.isSet(slow)) {
        if (!ToInt(parser.value(slow), 0, 600000, number))
            return fail(L("--slow needs milliseconds"));
        config.slowMs = number;
    }
    if (parser.isSet(pciLate)) {
        if (!ToInt(parser.value(pciLate), 0, 600000, number))
            return fail(L("--pci-late needs milliseconds, 0-600000"));
        config.pciLateMs = number;
    }
    config.identityTraffic = parser.isSet(identityTraffic);
    if (config.identityTraffic && !parser.isSet(traffic))
        return fail(L("--identity-traffic goes with --traffic"));
    if (parser.isSet(late)) {
        if (!ToInt(parser.value(late), 0, 600000, number))
            return fail(L("--late needs milliseconds, 0-600000"));
        config.lateMs = number;
    }
    return ParseOutcome::Run;
}

} // namespace tarvin::sim
