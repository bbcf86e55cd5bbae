#pragma once
// The traffic report page: the analyser's labels and grids as HTML text.
// The caller writes it (and the chart picture) to disk.

#include <string>
#include <string_view>

#include "core/diagnostics/traffic_analyser.h"

namespace tarvin {

constexpr const char* kReportFileName = "report.htm";
constexpr const char* kReportImageName = "report.bmp";

// Quotes, ampersand, apostrophe, angle brackets as named entities; bytes
// 0x80..0xFF as numeric entities; everything else as it is.
std::string HtmlEscape(std::string_view text);

// One heading line (without its line end): escaped, leading blanks as
// "&nbsp;" except a blank that ends the text.
std::string HtmlHeading(int level, std::string_view text);

// A grid as table lines, each ending in CR LF.
std::string HtmlTable(const GridTable& grid);

struct TrafficReportInput
{
    std::string timeLabel;        // the start time label as shown
    std::string elapsedTimeLabel; // the elapsed time label as shown
    GridTable summary;
    GridTable types;
    GridTable mmis;
    GridTable sources;
    // The chart picture beside the page; without it the page has no
    // "Traffic" section.
    bool picture = true;
};

// The whole page, lines ending in CR LF.
std::string TrafficReport(const TrafficReportInput& input);

} // namespace tarvin
