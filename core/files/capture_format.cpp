#include "core/files/capture_format.h"

namespace tarvin {

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
