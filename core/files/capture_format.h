#pragma once
// Line forms of an unattended capture: the log's own line form and CSV.

#include <string>
#include <string_view>

namespace tarvin {

enum class CaptureFormat
{
    Text,
    Csv
};

// One field quoted as CSV requires (RFC 4180): in double quotes, with inner
// quotes doubled, when it holds a comma, a quote, CR or LF.
std::string CsvField(std::string_view field);

// The header row of a CSV capture.
std::string CsvHeader();

// One captured line. `stamp` is the full date and time, `direction` 'T' for
// sent and 'R' for received, `raw` the text on the wire, `description` what
// the decoder made of it (may be empty).
std::string CaptureLine(CaptureFormat format, std::string_view stamp, char direction,
                        std::string_view raw, std::string_view description);

// A marker for a gap in the capture (link lost, reconnected...).
std::string CaptureMarker(CaptureFormat format, std::string_view stamp, std::string_view text);

} // namespace tarvin
