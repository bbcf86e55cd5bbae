#pragma once
// tarvin-decode --statistics: the traffic analyser's counting over a capture.

#include "core/diagnostics/traffic_analyser.h"

#include <optional>
#include <string>

namespace tarvin {

struct StatisticsOptions
{
    std::string input;                // a capture file; empty: standard input
    std::optional<CountingMode> mode; // overrides the capture's header
    bool json = false;
    std::string report; // an HTML report to write, when not empty
};

// Reads the capture, prints the totals and writes the report; the exit
// status (0, or 1 when the capture or the report cannot be read or written).
int RunStatistics(const StatisticsOptions& options);

} // namespace tarvin
