#pragma once
// Captures: the line forms they are written in (the log's own line form and
// CSV), and reading them back in any form.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvin {

enum class CaptureFormat
{
    Text,
    Csv
};

// The form a capture file takes from its name: text for ".txt" (any case),
// CSV for any other name.
CaptureFormat CaptureFormatForName(std::string_view fileName);

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

// The interface answers a reset "~~~" with three "~", each of which ends a
// line; a capture keeps them as the one line they were on the wire. Feed
// every received line's raw text in order; it gives the lines to record now.
class ResetEchoJoiner
{
public:
    std::vector<std::string> Feed(std::string_view raw);

private:
    std::string m_run;
};

// --- Reading captures ---------------------------------------------------------
//
// A capture is read line by line in any of its forms: the text form, CSV
// (with or without its header row), or a plain file of wire lines. The
// first marker of a capture written by this program is its header, which
// says how the lines were taken.

constexpr const char* kCaptureHeaderTag = "Tarvin capture 1";

// What a capture's header records; empty texts and -1 when not known.
struct CaptureHeader
{
    std::string program; // "tarvin-monitor 1.4.0"
    std::string link;    // "Socketbox 127.0.0.1:14000"
    std::string mode;    // "all-monitor" or "default": how the interface passed lines on
    int interfaceOptions = -1;
    int decodeOptions = -1;
};

// The header's marker text: "Tarvin capture 1; program=...; link=...;
// mode=...; interface-options=51; decode-options=8" (unknown fields left out).
std::string CaptureHeaderText(const CaptureHeader& header);
// The header in a marker's text, or nothing when the marker is another one.
std::optional<CaptureHeader> ParseCaptureHeader(std::string_view text);

enum class CaptureForm
{
    Text,
    Csv,
    Wire // one wire line per line, nothing else
};

// The form of a capture, told from its first line that is not blank.
CaptureForm DetectCaptureForm(std::string_view firstLine);

struct CaptureRecord
{
    enum Kind
    {
        Blank,     // nothing on the line
        Line,      // a sent or received line
        Marker,    // a note of the capture (link lost, reconnected...)
        ColumnRow, // the CSV header row
        Unreadable // none of the above: kept as it was, in `text`
    };
    Kind kind = Blank;
    std::string stamp;       // as written; empty in a file of wire lines
    char direction = 0;      // 'T' sent, 'R' received (a wire line counts as received)
    std::string raw;         // the wire text
    std::string description; // the decoder's text, as written
    std::string text;        // a marker's text, or the unreadable line
};

// Longer lines are not read (a capture line is far shorter).
constexpr std::size_t kMaxCaptureLine = 64 * 1024;

// One line of a capture, without its line end (a CR before it is ignored).
CaptureRecord ParseCaptureLine(CaptureForm form, std::string_view line);

// Seconds since the epoch of a stamp "yyyy-MM-dd HH:mm:ss[.zzz]" (local time
// as written, read as UTC: only differences matter), or nothing.
std::optional<double> CaptureStampSeconds(std::string_view stamp);

} // namespace tarvin
