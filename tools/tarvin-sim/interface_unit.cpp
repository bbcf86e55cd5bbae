#include "interface_unit.h"

namespace tarvin::sim {

namespace {

// The interface answers "!" to a line it cannot use: a bad checksum, or text
// that is not hexadecimal pairs.
const QByteArray kRefused("!");

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

} // namespace

bool IsFaultCharacter(char c)
{
    return c == '#' || c == '$' || c == '%';
}

void InterfaceUnit::setFault(const FaultSetting& fault)
{
    m_fault = fault;
    if (m_fault.every < 1)
        m_fault.every = 1;
    m_acknowledged = 0;
}

QList<QByteArray> InterfaceUnit::handleLine(const QByteArray& line)
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
        return {kRefused};
    if (options() & kOptionChecksum) {
        unsigned sum = 0;
        for (char b : bytes)
            sum += static_cast<unsigned char>(b);
        if (sum % 256 != 0)
            return {kRefused};
        bytes.chop(1);
    }

    QList<QByteArray> replies = local ? localCommand(bytes) : busCommand(bytes);
    if (ack != 0)
        replies.prepend(confirmation(ack));
    return replies;
}

QList<QByteArray> InterfaceUnit::localCommand(const QByteArray& bytes)
{
    // Store Parameter: A3 <parameter> 00 <value>
    if (bytes.size() >= 4 && static_cast<unsigned char>(bytes.at(0)) == kStoreParameter) {
        const auto number = static_cast<unsigned char>(bytes.at(1));
        m_parameters[number] = static_cast<std::uint8_t>(bytes.at(3));
    }
    return {};
}

QList<QByteArray> InterfaceUnit::busCommand(const QByteArray& /*bytes*/)
{
    // No other units on the simulated bus yet: commands go out unanswered.
    return {};
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
