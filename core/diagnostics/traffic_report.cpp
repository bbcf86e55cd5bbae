#include "core/diagnostics/traffic_report.h"

namespace tarvin {

namespace {

constexpr const char* kEol = "\r\n";

} // namespace

std::string HtmlEscape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        const unsigned char byte = static_cast<unsigned char>(ch);
        switch (ch) {
        case '"':
            out += "&quot;";
            break;
        case '&':
            out += "&amp;";
            break;
        case '\'':
            out += "&apos;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        default:
            if (byte >= 0x80) {
                out += "&#";
                out += std::to_string(byte);
                out += ';';
            } else {
                out += ch;
            }
        }
    }
    return out;
}

std::string HtmlHeading(int level, std::string_view text)
{
    const std::string escaped = HtmlEscape(text);
    std::string body;
    std::size_t p = 0;
    while (p < escaped.size() && escaped[p] == ' ' && p + 1 < escaped.size()) {
        body += "&nbsp;";
        ++p;
    }
    body.append(escaped, p, std::string::npos);
    const std::string n = std::to_string(level);
    return "<H" + n + ">" + body + "</H" + n + ">";
}

std::string HtmlTable(const GridTable& grid)
{
    std::string out = "<table border=1 cellspacing=0 cellpadding=0>";
    out += kEol;
    for (std::size_t row = 0; row < grid.size(); ++row) {
        out += "<tr>";
        out += kEol;
        for (const std::string& cell : grid[row]) {
            out += "<td width=150>";
            if (row == 0)
                out += "<p><b>&nbsp;" + HtmlEscape(" " + cell) + "</b></p>";
            else
                out += "<p>&nbsp;" + HtmlEscape(" " + cell) + "</p>";
            out += "</td>";
            out += kEol;
        }
        out += "</tr>";
        out += kEol;
    }
    out += "</table>";
    out += kEol;
    out += "<br>";
    out += kEol;
    return out;
}

std::string TrafficReport(const TrafficReportInput& input)
{
    std::string out;
    auto line = [&out](std::string_view text) {
        out += text;
        out += kEol;
    };
    line("<html>");
    line("<head><title>Tarvin Traffic Report</title></head>");
    line("<body>");
    line(HtmlHeading(1, "Tarvin Traffic Report"));
    line(HtmlHeading(2, "Summary"));
    // The labels are the program's own texts and go in unescaped.
    line("<p>" + input.timeLabel + "</p>");
    line("<p>" + input.elapsedTimeLabel + "</p>");
    out += HtmlTable(input.summary);
    line(HtmlHeading(2, "Message Types"));
    out += HtmlTable(input.types);
    line(HtmlHeading(2, "MMIs"));
    out += HtmlTable(input.mmis);
    line(HtmlHeading(2, "Message Source"));
    out += HtmlTable(input.sources);
    if (input.picture) {
        line(HtmlHeading(2, "Traffic"));
        line(std::string("<p><img src=\"") + kReportImageName + "\"></p>");
    }
    line("</body>");
    line("</html>");
    return out;
}

} // namespace tarvin
