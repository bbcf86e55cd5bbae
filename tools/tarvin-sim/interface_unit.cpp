#include "interface_unit.h"

#include "hex_text.h"

#include <algorithm>

namespace tarvin::sim {

namespace {

// The interface answers "!" to a line it cannot use: a bad checksum, or text
// that is not hexadecimal pairs.
const QByteArray kRefused("!");

bool ParseHexPairs(const QByteArray& text, QByteArray& bytes)
{
    if (text.isEmpty() || text.size() % 2 != 0)
        return false;
    bytes.clear();
    bytes.reserve(text.size() / 2);
    for (qsizetype i = 0; i + 1 < text.size(); i += 2) {
        const int high = HexValue(text.at(i));
        const int low = HexValue(text.at(i + 1));
        if (high < 0 || low < 0)
            return false;
        bytes += static_cast<char>(high * 16 + low);
    }
    return true;
}

bool IsAckLetter(char c)
{
    return c >= 'g' && c <= 'z';
}

QByteArray HexText(const QByteArray& bytes)
{
    return bytes.toHex().toUpper();
}

// A text field of an Identify reply: the text padded with blanks.
QByteArray Padded(const QByteArray& text, int size)
{
    return text.left(size).leftJustified(size, ' ');
}

unsigned char At(const QByteArray& bytes, qsizetype i)
{
    return i >= 0 && i < bytes.size() ? static_cast<unsigned char>(bytes.at(i)) : 0;
}

constexpr unsigned char kIdentify = 0x21;
constexpr unsigned char kUnlock = 0x11;
constexpr unsigned char kRecall = 0x1A;
constexpr unsigned char kSALLocal = 0x05;
constexpr unsigned char kSALRemote = 0x03;
constexpr unsigned char kCAL = 0x06;
constexpr unsigned char kReplyHeader = 0x86;
constexpr unsigned char kNetworkControl = 0xFF;
constexpr unsigned char kStatusRequest = 0x7A;
constexpr unsigned char kLevelRequest = 0x73;
constexpr unsigned char kLevelCoding = 0x07;

// Units per status report: standard reports for the Installation MMI,
// extended ones for an Application MMI, eight levels per level report (the
// reply byte cannot count more than 28 bytes after itself).
constexpr int kInstallationBytes = 22;
constexpr int kApplicationBytes = 16;
constexpr int kLevelsPerReport = 8;
constexpr int kLevelBlock = 32;

// One nibble as four bit pairs, most significant first: 01 for 1, 10 for 0.
unsigned char LevelCode(int nibble)
{
    unsigned char code = 0;
    for (int bit = 3; bit >= 0; --bit)
        code = static_cast<unsigned char>((code << 2) | (((nibble >> bit) & 1) ? 1 : 2));
    return code;
}

} // namespace

bool IsFaultCharacter(char c)
{
    return c == '#' || c == '$' || c == '%';
}

InterfaceUnit::InterfaceUnit(const SimInstallation& installation) : m_installation(installation)
{
    m_parameters = m_installation.pci.eeprom;
    // The unit starts in basic mode, not monitoring, whatever its image holds.
    m_parameters[kParamInterfaceOptions1] = 0;
    m_parameters[kParamMonitoring] = 0;
    if (m_installation.networks.isEmpty())
        m_installation.networks.append(SimNetwork{});
}

void InterfaceUnit::setFault(const FaultSetting& fault)
{
    m_fault = fault;
    if (m_fault.every < 1)
        m_fault.every = 1;
    m_acknowledged = 0;
}

void InterfaceUnit::setSilent(const QByteArray& who, bool silent)
{
    const QByteArray lower = who.toLower();
    const QByteArray key =
        (lower == "pci" || lower == "mmi" || lower == "confirm") ? lower : who.toUpper();
    if (silent)
        m_silent.insert(key);
    else
        m_silent.remove(key);
}

QList<Outgoing> InterfaceUnit::handleLine(const QByteArray& line)
{
    QByteArray text = line;
    bool local = true;
    if (text.startsWith("~~~")) {
        resetToBasic();
        // What follows the reset on the same line is a line of its own.
        qsizetype skip = 0;
        while (skip < text.size() && text.at(skip) == '~')
            ++skip;
        text.remove(0, skip);
    } else if (text.startsWith('@')) {
        text.remove(0, 1);
    }
    if (text.isEmpty())
        return {};
    if (text == "||") {
        setOptions(options() | kOptionConnect | kOptionSmart);
        return {};
    }

    char ack = 0;
    if (IsAckLetter(text.back())) {
        ack = text.back();
        text.chop(1);
    }
    if (text.startsWith('\\')) {
        local = false;
        text.remove(0, 1);
    }

    QByteArray bytes;
    if (!ParseHexPairs(text, bytes))
        return {Outgoing{kRefused}};
    if (options() & kOptionChecksum) {
        unsigned sum = 0;
        for (char b : bytes)
            sum += static_cast<unsigned char>(b);
        if (sum % 256 != 0)
            return {Outgoing{kRefused}};
        bytes.chop(1);
    }

    QList<QByteArray> replies = local ? localCommand(bytes) : busCommand(bytes);
    // A unit that echoes is a terminal for a person: it passes no replies
    // from the network, so an echoed line is all that comes back.
    if (echoes())
        replies.clear();
    QList<Outgoing> out = spoil(replies, local && m_pciLateMs > 0 ? m_pciLateMs : m_lateMs);
    if (ack != 0 && !silent("confirm"))
        out.prepend(Outgoing{confirmation(ack), 0, m_lateConfirmMs});
    return out;
}

QList<QByteArray> InterfaceUnit::localCommand(const QByteArray& bytes)
{
    // Stores and unlocks are done whether or not the PCI answers.
    const int command = At(bytes, 0);
    if ((command & 0xE0) == 0xA0 || command == kUnlock) {
        unitReply(m_installation.pci, m_parameters, bytes, "pci", false);
        return {};
    }
    // A CAL request to the PCI itself, with no header.
    if (silent("pci"))
        return {};
    const QByteArray body = unitReply(m_installation.pci, m_parameters, bytes, "pci", false);
    if (body.isEmpty())
        return {};
    return {frame(m_installation.networks.first(), m_installation.pci.address, body)};
}

SimNetwork* InterfaceUnit::findNetwork(const QByteArray& path)
{
    const QByteArray wanted = path.toUpper();
    for (SimNetwork& n : m_installation.networks)
        if (n.path == wanted)
            return &n;
    return nullptr;
}

QList<QByteArray> InterfaceUnit::busCommand(const QByteArray& bytes)
{
    if (bytes.size() < 3)
        return {};
    const unsigned char header = At(bytes, 0);
    // Local: header, unit or application, 00. Remote: header, first bridge,
    // routing byte 9 × bridges, the other bridges, unit or application.
    QByteArray path;
    qsizetype target = 1;
    if (header == kSALRemote || (header == kCAL && At(bytes, 2) != 0)) {
        const int route = At(bytes, 2);
        const int bridges = route / 9;
        if (route % 9 != 0 || bridges < 1 || bridges > 6 || bytes.size() < bridges + 4)
            return {};
        path = bytes.mid(1, 1) + bytes.mid(3, bridges - 1);
        target = bridges + 2;
    } else if (header != kSALLocal && header != kCAL) {
        return {};
    }
    SimNetwork* network = findNetwork(HexText(path));
    if (!network)
        return {}; // no such network: nothing answers
    const int number = At(bytes, target);
    const qsizetype data = target + (path.isEmpty() ? 2 : 1);

    if (header != kCAL) {
        if (number != kNetworkControl)
            return {}; // units do not answer other applications' commands
        return salCommands(*network, bytes, static_cast<int>(data));
    }
    const QByteArray request = bytes.mid(data);
    const QByteArray key =
        path.isEmpty() ? HexText(QByteArray(1, static_cast<char>(number)))
                       : HexText(path) + '/' + HexText(QByteArray(1, static_cast<char>(number)));
    if (silent(key))
        return {};
    QByteArray body;
    if (path.isEmpty() && number == m_installation.pci.address) {
        if (silent("pci"))
            return {};
        body = unitReply(m_installation.pci, m_parameters, request, "pci", true);
    } else {
        SimUnit* unit = nullptr;
        for (SimUnit& u : network->units)
            if (u.address == number)
                unit = &u;
        if (!unit)
            return {}; // nobody at that address
        body = unitReply(*unit, unit->eeprom, request, key, true);
    }
    if (body.isEmpty())
        return {};
    return {frame(*network, static_cast<std::uint8_t>(number), body)};
}

QList<QByteArray> InterfaceUnit::salCommands(const SimNetwork& network, const QByteArray& bytes,
                                             int first)
{
    if (silent("mmi"))
        return {};
    QList<QByteArray> replies;
    qsizetype p = first;
    while (p < bytes.size()) {
        const int c = At(bytes, p);
        const int arguments = (c & 0x80) ? (c & 0x1F) : (c & 0x07);
        if (p + arguments >= bytes.size())
            break; // cut short
        if (c == kStatusRequest)
            replies += statusReports(network, At(bytes, p + 1), At(bytes, p + 2));
        else if (c == kLevelRequest && At(bytes, p + 1) == kLevelCoding)
            replies += levelReports(network, At(bytes, p + 2), At(bytes, p + 3));
        p += 1 + arguments;
    }
    return replies;
}

bool InterfaceUnit::NeedsUnlock(int parameter, bool viaHeader)
{
    // The type always; another PCI's option bytes when they come over the
    // bus (the connected PCI takes its own from the link as they are).
    if (parameter == kParamUnitType)
        return true;
    return viaHeader && (parameter == kParamInterfaceOptions1 ||
                         parameter == kParamPowerUpOptions || parameter == kParamInterfaceOptions3);
}

QByteArray InterfaceUnit::unitReply(const SimUnit& unit, std::array<std::uint8_t, 256>& parameters,
                                    const QByteArray& data, const QByteArray& who, bool viaHeader)
{
    const int command = At(data, 0);
    // Store Parameter: A0+N, then N bytes: the parameter, 00 and the data.
    if ((command & 0xE0) == 0xA0) {
        const int count = (command & 0x1F) - 2;
        const int number = At(data, 1);
        if (count < 1 || data.size() < count + 3)
            return {};
        if (NeedsUnlock(number, viaHeader) &&
            !m_unlocked.remove(who + ':' + HexText(QByteArray(1, static_cast<char>(number)))))
            return {}; // locked: the store does not take
        // A failing unit keeps single-byte settings such as the interface
        // options but not names.
        if (m_storeFails && count > 1)
            return {};
        for (int i = 0; i < count && number + i < 256; ++i)
            parameters[static_cast<std::size_t>(number + i)] = At(data, 3 + i);
        return {};
    }
    if (command == kUnlock) {
        if (data.size() >= 2)
            m_unlocked.insert(who + ':' + HexText(data.mid(1, 1)));
        return {};
    }
    if (command == kIdentify && data.size() >= 2) {
        const int attribute = At(data, 1);
        QByteArray value;
        switch (attribute) {
        case 0x00:
            value = Padded(unit.manufacturer, 8);
            break;
        case 0x01:
            // The type is a parameter: a stored type is what Identify reads.
            for (int i = 0; i < 8; ++i)
                value +=
                    static_cast<char>(parameters[static_cast<std::size_t>(kParamUnitType + i)]);
            break;
        case 0x02:
            value = Padded(unit.firmware, 8);
            break;
        case 0x04: {
            // Twelve bytes; the serial number is bytes 6-9.
            value = QByteArray(12, '\0');
            const quint32 serial = (unit.serialHigh << 12) | (unit.serialLow & 0xFFF);
            for (int i = 0; i < 4; ++i)
                value[5 + i] = static_cast<char>((serial >> (24 - 8 * i)) & 0xFF);
            break;
        }
        case 0x07:
            value = Padded(unit.voltage, 5);
            break;
        default:
            return {}; // an attribute the unit does not have
        }
        QByteArray body;
        body += static_cast<char>(0x80 + 1 + value.size());
        body += static_cast<char>(attribute);
        return body + value;
    }
    if (command == kRecall && data.size() >= 3) {
        const int number = At(data, 1);
        const int count = std::min(At(data, 2) + 0, 256 - number);
        if (count < 1 || count > 30)
            return {};
        QByteArray body;
        body += static_cast<char>(0x80 + 1 + count);
        body += static_cast<char>(number);
        for (int i = 0; i < count; ++i)
            body += static_cast<char>(parameters[static_cast<std::size_t>(number + i)]);
        return body;
    }
    return {};
}

QList<QByteArray> InterfaceUnit::statusReports(const SimNetwork& network, int application,
                                               int start) const
{
    std::array<int, 256> states{};
    const bool installation = application == kNetworkControl;
    if (installation) {
        if (network.path.isEmpty())
            states[m_installation.pci.address] = m_installation.pci.mmiState;
        for (const SimUnit& unit : network.units)
            states[unit.address] = unit.mmiState;
    } else {
        const auto app = network.applications.constFind(application);
        if (app == network.applications.constEnd())
            return {}; // nobody uses the application: no report
        for (auto it = app->groups.constBegin(); it != app->groups.constEnd(); ++it)
            states[static_cast<std::size_t>(it.key())] = it->conflict ? 3 : (it->level > 0 ? 1 : 2);
    }
    const int perReport = 4 * (installation ? kInstallationBytes : kApplicationBytes);
    const std::uint8_t source = network.path.isEmpty() ? m_installation.pci.address : 0;
    QList<QByteArray> reports;
    for (int first = start; first < 256; first += perReport) {
        QByteArray data;
        for (int a = first; a < std::min(256, first + perReport); a += 4) {
            int byte = 0;
            for (int k = 0; k < 4 && a + k < 256; ++k)
                byte |= states[static_cast<std::size_t>(a + k)] << (2 * k);
            data += static_cast<char>(byte);
        }
        QByteArray body;
        if (installation) {
            body += static_cast<char>(0xC0 + 2 + data.size());
        } else {
            body += static_cast<char>(0xE0 + 3 + data.size());
            body += '\0'; // the extended report's coding byte
        }
        body += static_cast<char>(application);
        body += static_cast<char>(first);
        reports.append(frame(network, source, body + data));
    }
    return reports;
}

QList<QByteArray> InterfaceUnit::levelReports(const SimNetwork& network, int application,
                                              int start) const
{
    const auto app = network.applications.constFind(application);
    if (app == network.applications.constEnd())
        return {};
    const std::uint8_t source = network.path.isEmpty() ? m_installation.pci.address : 0;
    const int end = std::min(256, start + kLevelBlock);
    QList<QByteArray> reports;
    for (int first = start; first < end; first += kLevelsPerReport) {
        QByteArray pairs;
        for (int g = first; g < std::min(end, first + kLevelsPerReport); ++g) {
            const auto group = app->groups.constFind(g);
            if (group == app->groups.constEnd()) {
                pairs += QByteArray(2, '\0'); // not present
            } else if (group->conflict) {
                pairs += '\0'; // not a level code
                pairs += static_cast<char>(LevelCode(0xF));
            } else {
                pairs += static_cast<char>(LevelCode(group->level & 0x0F));
                pairs += static_cast<char>(LevelCode(group->level >> 4));
            }
        }
        QByteArray body;
        body += static_cast<char>(0xE0 + 3 + pairs.size());
        body += static_cast<char>(kLevelCoding);
        body += static_cast<char>(application);
        body += static_cast<char>(first);
        reports.append(frame(network, source, body + pairs));
    }
    return reports;
}

QByteArray InterfaceUnit::frame(const SimNetwork& network, std::uint8_t source,
                                const QByteArray& body) const
{
    QByteArray bytes;
    if (options() & kOptionIdmon) {
        bytes += static_cast<char>(kReplyHeader);
        if (network.path.isEmpty()) {
            bytes += static_cast<char>(source);
            bytes += '\0';
            bytes += '\0';
        } else {
            // The first bridge, then the route length, the other bridges and
            // the source unit.
            QByteArray path;
            ParseHexPairs(network.path, path);
            bytes += path.at(0);
            bytes += '\0';
            bytes += static_cast<char>(path.size());
            bytes += path.mid(1);
            bytes += static_cast<char>(source);
        }
    }
    bytes += body;
    unsigned sum = 0;
    for (char b : bytes)
        sum += static_cast<unsigned char>(b);
    bytes += static_cast<char>((256 - sum % 256) % 256);
    return HexText(bytes) + "\r\n";
}

QList<Outgoing> InterfaceUnit::spoil(const QList<QByteArray>& replies, int lateMs) const
{
    QList<Outgoing> out;
    for (const QByteArray& reply : replies) {
        QByteArray line = reply;
        switch (m_replyFault) {
        case ReplyFault::None:
            break;
        case ReplyFault::Duplicate:
            out.append(Outgoing{line, m_replyDelayMs, lateMs, true});
            break;
        case ReplyFault::Truncate: {
            const qsizetype text = line.size() - 2;
            line = line.left(text / 2) + "\r\n";
            break;
        }
        case ReplyFault::Garbage:
            out.append(Outgoing{"Z" + line.left(line.size() - 2).replace('0', '?') + "\r\n",
                                m_replyDelayMs, lateMs, false});
            break;
        }
        out.append(Outgoing{line, m_replyDelayMs, lateMs, true});
    }
    return out;
}

QByteArray InterfaceUnit::confirmation(char ack)
{
    QByteArray reply(1, ack);
    ++m_acknowledged;
    if (m_fault.reply != 0 && m_acknowledged % m_fault.every == 0)
        reply += m_fault.reply;
    else
        reply += '.';
    return reply;
}

} // namespace tarvin::sim
