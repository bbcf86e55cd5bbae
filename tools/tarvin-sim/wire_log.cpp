#include "wire_log.h"

#include "hex_text.h"

namespace tarvin::sim {

QByteArray EscapeWire(const QByteArray& bytes)
{
    static const char kDigits[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(bytes.size() + 8);
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\\') {
            out += "\\\\";
        } else if (c < 0x20 || c > 0x7E) {
            out += "\\x";
            out += kDigits[c >> 4];
            out += kDigits[c & 0x0F];
        } else {
            out += ch;
        }
    }
    return out;
}

bool UnescapeWire(const QByteArray& text, QByteArray& out)
{
    QByteArray result;
    result.reserve(text.size());
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
        } else if (kind == 'x') {
            if (i + 2 >= text.size())
                return false;
            const int high = HexValue(text.at(i + 1));
            const int low = HexValue(text.at(i + 2));
            if (high < 0 || low < 0)
                return false;
            result += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            return false;
        }
    }
    out = result;
    return true;
}

bool WireLog::open(const QString& path, QString* error)
{
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        if (error)
            *error = m_file.errorString();
        return false;
    }
    return true;
}

void WireLog::write(const char* direction, const QByteArray& bytes)
{
    if (!m_file.isOpen())
        return;
    QByteArray line = QByteArray::number(m_clock.elapsed());
    line += ' ';
    line += direction;
    line += ' ';
    line += EscapeWire(bytes);
    line += '\n';
    // One write per entry so a reader never sees half an entry.
    m_file.write(line);
}

} // namespace tarvin::sim
