#include "core/files/capture_format.h"

#include <cctype>
#include <cstdio>
#include <utility>
#include <vector>

namespace tarvin {

CaptureFormat CaptureFormatForName(std::string_view fileName)
{
    std::string end(fileName.substr(fileName.size() < 4 ? 0 : fileName.size() - 4));
    for (char& c : end)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return end == ".txt" ? CaptureFormat::Text : CaptureFormat::Csv;
}

std::vector<std::string> ResetEchoJoiner::Feed(std::string_view raw)
{
    std::vector<std::string> lines;
    if (raw == "~") {
        m_run += '~';
        if (m_run.size() == 3)
            lines.push_back(std::exchange(m_run, {}));
        return lines;
    }
    if (!m_run.empty())
        lines.push_back(std::exchange(m_run, {}));
    lines.emplace_back(raw);
    return lines;
}

std::string CsvField(std::string_view field)
{
    if (field.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(field);
    std::string quoted = "\"";
    for (char ch : field) {
        if (ch == '"')
            quoted += '"';
        quoted += ch;
    }
    quoted += '"';
    return quoted;
}

std::string CsvHeader()
{
    return "time,direction,raw,description";
}

std::string CaptureLine(CaptureFormat format, std::string_view stamp, char direction,
                        std::string_view raw, std::string_view description)
{
    const char* dir = direction == 'T' ? "Tx" : "Rx";
    if (format == CaptureFormat::Csv) {
        return CsvField(stamp) + ',' + dir + ',' + CsvField(raw) + ',' + CsvField(description);
    }
    // The log's own form, with the wire text in brackets after it so that a
    // capture can be replayed or decoded again.
    std::string line(stamp);
    line += "  ";
    line += dir;
    line += " : ";
    line += description;
    line += "  [";
    line += raw;
    line += ']';
    return line;
}

std::string CaptureMarker(CaptureFormat format, std::string_view stamp, std::string_view text)
{
    if (format == CaptureFormat::Csv)
        return CsvField(stamp) + ",#,," + CsvField(text);
    std::string line(stamp);
    line += "  # ";
    line += text;
    return line;
}

} // namespace tarvin

namespace tarvin {

namespace {

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

int HexByte(std::string_view text)
{
    if (text.empty() || text.size() > 2)
        return -1;
    int value = 0;
    for (char ch : text) {
        const int digit = ch >= '0' && ch <= '9'   ? ch - '0'
                          : ch >= 'A' && ch <= 'F' ? ch - 'A' + 10
                          : ch >= 'a' && ch <= 'f' ? ch - 'a' + 10
                                                   : -1;
        if (digit < 0)
            return -1;
        value = value * 16 + digit;
    }
    return value;
}

// The fields of one CSV row; nothing when a quote is left open.
std::optional<std::vector<std::string>> CsvFields(std::string_view row)
{
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < row.size(); ++i) {
        const char ch = row[i];
        if (quoted) {
            if (ch != '"')
                fields.back() += ch;
            else if (i + 1 < row.size() && row[i + 1] == '"')
                fields.back() += row[++i];
            else
                quoted = false;
        } else if (ch == '"') {
            quoted = true;
        } else if (ch == ',') {
            fields.emplace_back();
        } else {
            fields.back() += ch;
        }
    }
    if (quoted)
        return std::nullopt;
    return fields;
}

CaptureRecord Unreadable(std::string_view line)
{
    CaptureRecord record;
    record.kind = CaptureRecord::Unreadable;
    record.text = std::string(line.substr(0, 200));
    return record;
}

CaptureRecord MarkerRecord(std::string_view stamp, std::string_view text)
{
    CaptureRecord record;
    record.kind = CaptureRecord::Marker;
    record.stamp = std::string(stamp);
    record.text = std::string(text);
    return record;
}

CaptureRecord ParseTextLine(std::string_view line)
{
    // "stamp  Tx : description  [raw]" and "stamp  # text"; a log without
    // time stamps starts at the direction.
    std::size_t at = std::string_view::npos;
    char direction = 0;
    for (const char* tag : {"Tx : ", "Rx : "}) {
        const std::size_t found = line.find(tag);
        if (found != std::string_view::npos && found < at &&
            (found == 0 || (found >= 2 && line.substr(found - 2, 2) == "  "))) {
            at = found;
            direction = tag[0];
        }
    }
    const std::size_t marker = line.find("  # ");
    if (marker != std::string_view::npos && (at == std::string_view::npos || marker < at))
        return MarkerRecord(Trimmed(line.substr(0, marker)), line.substr(marker + 4));
    if (line.substr(0, 2) == "# ")
        return MarkerRecord({}, line.substr(2));
    if (at == std::string_view::npos)
        return Unreadable(line);
    // The wire text follows the description in brackets and ends the line;
    // the wire text may hold anything, the description never "  [".
    const std::string_view rest = line.substr(at + 5);
    const std::size_t open = rest.find("  [");
    if (rest.empty() || rest.back() != ']' || open == std::string_view::npos)
        return Unreadable(line);
    CaptureRecord record;
    record.kind = CaptureRecord::Line;
    record.stamp = std::string(Trimmed(line.substr(0, at)));
    record.direction = direction == 'T' ? 'T' : 'R';
    record.raw = std::string(rest.substr(open + 3, rest.size() - open - 4));
    record.description = std::string(Trimmed(rest.substr(0, open)));
    return record;
}

CaptureRecord ParseCsvLine(std::string_view line)
{
    if (line == CsvHeader()) {
        CaptureRecord record;
        record.kind = CaptureRecord::ColumnRow;
        return record;
    }
    const auto fields = CsvFields(line);
    if (!fields || fields->size() != 4)
        return Unreadable(line);
    const std::string& direction = (*fields)[1];
    if (direction == "#")
        return MarkerRecord((*fields)[0], (*fields)[3]);
    if (direction != "Tx" && direction != "Rx")
        return Unreadable(line);
    CaptureRecord record;
    record.kind = CaptureRecord::Line;
    record.stamp = (*fields)[0];
    record.direction = direction[0];
    record.raw = (*fields)[2];
    record.description = (*fields)[3];
    return record;
}

} // namespace

std::string CaptureHeaderText(const CaptureHeader& header)
{
    std::string text = kCaptureHeaderTag;
    const auto add = [&text](const char* name, const std::string& value) {
        if (value.empty())
            return;
        // The separator cannot appear inside a value.
        std::string clean = value;
        for (char& ch : clean)
            if (ch == ';')
                ch = ',';
        text += "; ";
        text += name;
        text += '=';
        text += clean;
    };
    const auto hex = [](int value) {
        if (value < 0)
            return std::string();
        char buffer[8];
        std::snprintf(buffer, sizeof buffer, "%02X", value & 0xFF);
        return std::string(buffer);
    };
    add("program", header.program);
    add("link", header.link);
    add("mode", header.mode);
    add("interface-options", hex(header.interfaceOptions));
    add("decode-options",
        header.decodeOptions < 0 ? std::string() : std::to_string(header.decodeOptions));
    return text;
}

std::optional<CaptureHeader> ParseCaptureHeader(std::string_view text)
{
    const std::string_view tag = kCaptureHeaderTag;
    if (text.substr(0, tag.size()) != tag)
        return std::nullopt;
    CaptureHeader header;
    std::string_view rest = text.substr(tag.size());
    while (!rest.empty()) {
        const std::size_t end = rest.find(';');
        const std::string_view item = Trimmed(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        const std::size_t equals = item.find('=');
        if (equals == std::string_view::npos)
            continue;
        const std::string_view name = item.substr(0, equals);
        const std::string_view value = item.substr(equals + 1);
        if (name == "program")
            header.program = std::string(value);
        else if (name == "link")
            header.link = std::string(value);
        else if (name == "mode")
            header.mode = std::string(value);
        else if (name == "interface-options")
            header.interfaceOptions = HexByte(value);
        else if (name == "decode-options" && !value.empty() && value.size() <= 3 &&
                 value.find_first_not_of("0123456789") == std::string_view::npos)
            header.decodeOptions = std::stoi(std::string(value));
    }
    return header;
}

CaptureForm DetectCaptureForm(std::string_view firstLine)
{
    if (!firstLine.empty() && firstLine.back() == '\r')
        firstLine.remove_suffix(1);
    if (firstLine == CsvHeader())
        return CaptureForm::Csv;
    const auto fields = CsvFields(firstLine);
    if (fields && fields->size() == 4 &&
        ((*fields)[1] == "Tx" || (*fields)[1] == "Rx" || (*fields)[1] == "#"))
        return CaptureForm::Csv;
    if (ParseTextLine(firstLine).kind != CaptureRecord::Unreadable)
        return CaptureForm::Text;
    return CaptureForm::Wire;
}

CaptureRecord ParseCaptureLine(CaptureForm form, std::string_view line)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    if (line.size() > kMaxCaptureLine)
        return Unreadable(line);
    if (Trimmed(line).empty())
        return {};
    switch (form) {
    case CaptureForm::Text:
        return ParseTextLine(line);
    case CaptureForm::Csv:
        return ParseCsvLine(line);
    case CaptureForm::Wire:
        break;
    }
    CaptureRecord record;
    record.kind = CaptureRecord::Line;
    record.direction = 'R';
    record.raw = std::string(Trimmed(line));
    return record;
}

std::optional<double> CaptureStampSeconds(std::string_view stamp)
{
    // yyyy-MM-dd HH:mm:ss[.zzz]
    if (stamp.size() < 19 || stamp[4] != '-' || stamp[7] != '-' || stamp[10] != ' ' ||
        stamp[13] != ':' || stamp[16] != ':')
        return std::nullopt;
    const auto number = [&stamp](std::size_t at, std::size_t length) {
        int value = 0;
        for (std::size_t i = at; i < at + length; ++i) {
            if (stamp[i] < '0' || stamp[i] > '9')
                return -1;
            value = value * 10 + (stamp[i] - '0');
        }
        return value;
    };
    const int year = number(0, 4), month = number(5, 2), day = number(8, 2);
    const int hour = number(11, 2), minute = number(14, 2), second = number(17, 2);
    if (year < 0 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 ||
        minute < 0 || minute > 59 || second < 0 || second > 60)
        return std::nullopt;
    double fraction = 0;
    if (stamp.size() > 20 && stamp[19] == '.') {
        double scale = 0.1;
        for (std::size_t i = 20; i < stamp.size() && stamp[i] >= '0' && stamp[i] <= '9'; ++i) {
            fraction += (stamp[i] - '0') * scale;
            scale /= 10;
        }
    }
    // Days since 1970-01-01 of the civil (proleptic Gregorian) date.
    const int y = year - (month <= 2 ? 1 : 0);
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const long long days = static_cast<long long>(era) * 146097 + doe - 719468;
    return static_cast<double>(days * 86400 + hour * 3600 + minute * 60 + second) + fraction;
}

} // namespace tarvin
