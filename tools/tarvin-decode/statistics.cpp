#include "statistics.h"

#include "core/decode/applications.h"
#include "core/diagnostics/capture_analysis.h"
#include "core/diagnostics/traffic_report.h"
#include "core/files/capture_format.h"
#include "line_reader.h"
#include "system_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace tarvin {

namespace {

struct Tally
{
    long long lines = 0;
    long long unreadable = 0;
    long long firstUnreadable = 0; // line number
    std::string firstStamp;
};

// `"56": 12, "202": 3` for the non-zero counts.
std::string JsonCounts(const std::array<std::int32_t, 256>& counts)
{
    std::string out = "{";
    for (std::size_t i = 0; i < counts.size(); ++i) {
        if (counts[i] == 0)
            continue;
        if (out.size() > 1)
            out += ", ";
        out += '"' + std::to_string(i) + "\": " + std::to_string(counts[i]);
    }
    return out + '}';
}

std::string TextCounts(const char* title, const std::array<std::int32_t, 256>& counts,
                       bool applications)
{
    std::string out;
    for (std::size_t i = 0; i < counts.size(); ++i) {
        if (counts[i] == 0)
            continue;
        std::string name = std::to_string(i);
        if (applications) {
            const std::string known = ApplicationName(static_cast<int>(i), false);
            if (!known.empty())
                name += " (" + known + ')';
        }
        out += "  " + name + ": " + std::to_string(counts[i]) + '\n';
    }
    return out.empty() ? std::string() : std::string(title) + ":\n" + out;
}

bool WriteReport(const std::string& path, const CaptureAnalysis& analysis, const Tally& tally)
{
    const TrafficAnalyser& a = analysis.analyser();
    TrafficReportInput input;
    // The stamp comes from the file: escaped like every other text of it.
    input.timeLabel = HtmlEscape(StartTimeLabel(tally.firstStamp));
    input.elapsedTimeLabel = a.elapsedTimeLabel();
    input.summary = a.summaryGrid();
    input.types = a.typeGrid();
    input.mmis = a.mmiGrid();
    input.sources = a.sourceGrid();
    input.picture = false;
    const std::string page = TrafficReport(input);
    // Written beside the target and renamed, so no half page is ever left.
    const std::string temporary = path + ".part";
    std::FILE* out = OpenFile(temporary, "wb");
    if (!out) {
        std::fprintf(stderr, "tarvin-decode: cannot write %s: %s\n", path.c_str(),
                     std::strerror(errno));
        return false;
    }
    const bool written = std::fwrite(page.data(), 1, page.size(), out) == page.size();
    const bool closed = std::fclose(out) == 0;
    if (!written || !closed || !MoveOver(temporary, path)) {
        std::fprintf(stderr, "tarvin-decode: cannot write %s: %s\n", path.c_str(),
                     std::strerror(errno));
        RemoveFile(temporary);
        return false;
    }
    return true;
}

} // namespace

int RunStatistics(const StatisticsOptions& options)
{
    std::FILE* in = stdin;
    if (!options.input.empty()) {
        in = OpenFile(options.input, "rb");
        if (!in) {
            std::fprintf(stderr, "tarvin-decode: cannot open %s: %s\n", options.input.c_str(),
                         std::strerror(errno));
            return 1;
        }
    }
    CaptureAnalysis analysis(options.mode);
    Tally tally;
    std::optional<CaptureForm> form;
    const bool read = ForEachLine(in, [&](std::string_view line) {
        ++tally.lines;
        if (!form) {
            // The first line that is not blank tells the form.
            if (ParseCaptureLine(CaptureForm::Wire, line).kind == CaptureRecord::Blank)
                return;
            form = DetectCaptureForm(line);
        }
        const CaptureRecord record = ParseCaptureLine(*form, line);
        if (record.kind == CaptureRecord::Unreadable) {
            if (tally.unreadable++ == 0)
                tally.firstUnreadable = tally.lines;
            return;
        }
        if (record.kind == CaptureRecord::Line && record.direction == 'R' &&
            tally.firstStamp.empty())
            tally.firstStamp = record.stamp;
        analysis.add(record);
    });
    if (in != stdin)
        std::fclose(in);
    if (!read) {
        std::fprintf(stderr, "tarvin-decode: error reading %s\n",
                     options.input.empty() ? "standard input" : options.input.c_str());
        return 1;
    }
    analysis.finish();

    const TrafficStatistics& s = analysis.statistics();
    std::string out;
    if (options.json) {
        out = "{\"messages\": " + std::to_string(s.messageTotal) +
              ", \"errors\": " + std::to_string(s.errorTotal) +
              ", \"cal\": " + std::to_string(s.calCount) +
              ", \"applications\": " + JsonCounts(s.applicationCounts) +
              ", \"sources\": " + JsonCounts(s.sourceCounts) +
              ", \"mmi\": " + JsonCounts(s.mmiCounts) + "}\n";
    } else {
        out = "Counted as: " + std::string(CountingModeName(analysis.mode())) + '\n' +
              "Received lines: " + std::to_string(analysis.receivedLines()) + '\n' +
              "Messages: " + std::to_string(s.messageTotal) + '\n' +
              "Errors: " + std::to_string(s.errorTotal) + '\n' +
              "CAL: " + std::to_string(s.calCount) + '\n' +
              TextCounts("Applications", s.applicationCounts, true) +
              TextCounts("Sources", s.sourceCounts, false) + TextCounts("MMIs", s.mmiCounts, true);
    }
    if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0) {
        std::fprintf(stderr, "tarvin-decode: error writing standard output\n");
        return 1;
    }
    if (tally.unreadable > 0)
        std::fprintf(stderr,
                     "tarvin-decode: %lld of %lld lines could not be read and were not "
                     "counted (the first is line %lld)\n",
                     tally.unreadable, tally.lines, tally.firstUnreadable);
    if (!options.report.empty() && !WriteReport(options.report, analysis, tally))
        return 1;
    return 0;
}

} // namespace tarvin
