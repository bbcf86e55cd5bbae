#pragma once
// The traffic analyser over a capture instead of the live link: the same
// counting of received lines, ticked once a second along the capture's own
// time stamps, so that totals, peaks, grids and the chart come out as the
// live window would have shown them.

#include "core/diagnostics/traffic_analyser.h"
#include "core/files/capture_format.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

namespace tarvin {

class CaptureAnalysis
{
public:
    // `forced` overrides what the capture's headers say; without either a
    // capture is read as taken in the monitoring mode.
    explicit CaptureAnalysis(std::optional<CountingMode> forced = std::nullopt);
    // Seconds per chart slot (the live analyser's "Update Rate"); to be set
    // before the first record. A view of a whole capture picks it so that
    // the 60 slots span the capture.
    void setSlotSeconds(int seconds) { m_slotSeconds = std::max(1, seconds); }

    // One record of the capture, in file order. Only received lines count;
    // a header sets the mode for the lines after it.
    void add(const CaptureRecord& record);
    // Closes the last second. The grids and totals are final after it.
    void finish(const UnitTypeTable& unitTypes = {}, bool hexNumbers = false);

    const TrafficStatistics& statistics() const { return m_statistics; }
    const TrafficAnalyser& analyser() const { return m_analyser; }
    CountingMode mode() const { return m_mode; }
    // The capture's time line in seconds (0 when it has no time stamps).
    double firstTime() const { return m_first.value_or(0); }
    double lastTime() const { return m_last.value_or(0); }
    long long receivedLines() const { return m_received; }

private:
    void tickTo(double now);

    std::optional<CountingMode> m_forced;
    CountingMode m_mode = CountingMode::AllMonitor;
    TrafficStatistics m_statistics;
    TrafficAnalyser m_analyser{m_statistics};
    bool m_opened = false;
    std::optional<double> m_first;
    std::optional<double> m_last;
    double m_nextTick = 0;
    long long m_received = 0;
    std::string m_lastSent; // what an echo repeats
    int m_slotSeconds = 0;  // 0: the live analyser's default
    UnitTypeTable m_noTypes{};
};

} // namespace tarvin
