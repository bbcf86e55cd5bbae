#pragma once
// The traffic analyser without its window: the counter run for every
// received line while all traffic is monitored, the once-a-second tick that
// turns counts into totals, peaks, time slots and grid texts, and the chart's
// data. Times are seconds on any clock the caller chooses (never read here).

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/diagnostics/reply_fields.h"

namespace tarvin {

constexpr int kHistoryLength = 60;

// One record for the whole program; zeroed by Reset.
struct TrafficStatistics
{
    std::int32_t errorsThisTick = 0;
    std::int32_t errorPeak = 0;
    std::int32_t errorTotal = 0;
    std::int32_t errorsThisSlot = 0;
    std::int32_t errorSlotPeak = 0;
    std::array<double, kHistoryLength> errorRateHistory{};
    std::array<std::int32_t, kHistoryLength> errorPeakHistory{};

    std::int32_t messagesThisTick = 0;
    std::int32_t messagePeak = 0;
    std::int32_t messageTotal = 0;
    std::int32_t messagesThisSlot = 0;
    std::int32_t messageSlotPeak = 0;
    std::array<double, kHistoryLength> messageRateHistory{};
    std::array<std::int32_t, kHistoryLength> messagePeakHistory{};

    std::int32_t calCount = 0;
    std::array<std::int32_t, 256> applicationCounts{};
    std::array<std::int32_t, 256> sourceCounts{};
    std::array<std::int32_t, 256> mmiCounts{};
    std::array<std::int32_t, 256> mmiSources{};

    double startTime = 0; // seconds
};

// Counts one received line (the text before its first "<"). Lines that are
// empty, of odd length or not all hexadecimal are not counted at all.
void CountAnalyserMessage(TrafficStatistics& statistics, std::string_view line);

// How the interface passed the lines on: in the analyser's monitoring mode
// a line ends in its own mark (35 / 9A); in the default mode in a checksum.
enum class CountingMode
{
    AllMonitor,
    Default
};

// "all-monitor" or "default"; "basic" reads as "default" (lines taken before
// the monitoring mode was set end in checksums, never in a status byte);
// nothing for any other text.
std::optional<CountingMode> ParseCountingMode(std::string_view text);
const char* CountingModeName(CountingMode mode);

// What the counting makes of one received line (the text before its first
// "<"): whether it counts at all, whether as an error, and what it names.
struct CapturedLineClass
{
    enum Kind
    {
        Other,
        Sal,
        Cal
    };
    bool counted = false; // hexadecimal, of even length
    bool error = false;
    Kind kind = Other;
    int bytes = 0;
    int source = -1;      // the source unit, when the line names one
    int application = -1; // SAL only
    bool mmi = false;     // a SAL status report (MMI)
};
CapturedLineClass ClassifyCapturedLine(std::string_view line, CountingMode mode);

// Whether a received line (markers included) is the interface echoing the
// line sent just before it, as it does in basic mode: no bus traffic, so
// never counted or judged. A reset's "~~~" echoes on its own.
bool IsEchoOf(std::string_view sent, std::string_view received);

// Counts one received line (the text before its first "<"). In the default
// mode a line whose bytes do not add up to zero is an error; otherwise the
// lines are sorted as the live analyser sorts them.
void CountCapturedMessage(TrafficStatistics& statistics, std::string_view line, CountingMode mode);

// Rates with one decimal: 1 ÷ 3 gives "0.3".
std::string FormatRate(double value);
// Elapsed seconds as "h:nn:ss"; hours keep counting past a day.
std::string ElapsedTimeText(double seconds);
// The chart's left axis maximum: the next multiple of 10 above the largest
// message peak (10 for an idle bus, 20 for a peak of exactly 10).
int AxisMaximum(const std::array<std::int32_t, kHistoryLength>& messagePeaks);

// Chart series titles, messages first.
constexpr const char* kMessagesSeriesTitle = "Messages / sec";
constexpr const char* kErrorsSeriesTitle = "Errors / sec";

// The "Update Rate" list: texts and slot lengths in ticks.
constexpr int kUpdateRateCount = 6;
extern const std::array<const char*, kUpdateRateCount> kUpdateRateTexts;
extern const std::array<int, kUpdateRateCount> kUpdateRateTicks;
constexpr int kDefaultUpdateRateIndex = 1; // "3 seconds"

// A grid as text: rows of cells, row 0 the header.
using GridTable = std::vector<std::vector<std::string>>;

class TrafficAnalyser
{
public:
    explicit TrafficAnalyser(TrafficStatistics& statistics);

    // What the window does when it is created: Reset (one tick), the
    // default slot length, a second tick.
    void Open(double now, const UnitTypeTable& unitTypes, bool hexNumbers);

    // Zeroes the statistics, starts the clock at `now`, cuts the per-item
    // grids back to their header and one empty row, then ticks.
    void Reset(double now, const UnitTypeTable& unitTypes, bool hexNumbers);

    // One tick. Returns true when it closed a time slot, so the chart needs
    // drawing again.
    bool Refresh(double now, const UnitTypeTable& unitTypes, bool hexNumbers);

    // Closes the current slot into the 60-entry histories.
    void MoveTimeSlots();

    void setSlotLength(int ticks) { m_slotLength = ticks < 1 ? 1 : ticks; }
    int slotLength() const { return m_slotLength; }
    int slotTicks() const { return m_slotTicks; }

    const TrafficStatistics& statistics() const { return m_statistics; }

    // Texts of the last tick. The start time label is the caller's: its
    // date format belongs to the desktop.
    const std::string& elapsedTimeLabel() const { return m_elapsedTimeLabel; }
    const GridTable& summaryGrid() const { return m_summary; }
    const GridTable& typeGrid() const { return m_types; }
    const GridTable& mmiGrid() const { return m_mmis; }
    const GridTable& sourceGrid() const { return m_sources; }

    // Chart data, oldest first: peaks while "Peak" is checked, else rates.
    std::array<double, kHistoryLength> messageSeries(bool peak) const;
    std::array<double, kHistoryLength> errorSeries(bool peak) const;
    int axisMaximum() const { return AxisMaximum(m_statistics.messagePeakHistory); }

private:
    void FillGrids(double elapsed, const UnitTypeTable& unitTypes, bool hexNumbers);

    TrafficStatistics& m_statistics;
    int m_slotTicks = 0;
    int m_slotLength = 3;
    std::string m_elapsedTimeLabel;
    GridTable m_summary;
    GridTable m_types;
    GridTable m_mmis;
    GridTable m_sources;
};

std::string StartTimeLabel(std::string_view formattedStartTime);

} // namespace tarvin
