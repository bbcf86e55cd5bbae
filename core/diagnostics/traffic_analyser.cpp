#include "core/diagnostics/traffic_analyser.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "core/decode/applications.h"
#include "core/decode/hex.h"

namespace tarvin {

namespace {

constexpr int kMaxBytes = 200;
constexpr std::int32_t kCounterLimit = std::numeric_limits<std::int32_t>::max();

// Digit values, -1 for anything else: the counter sees every bus line, so it
// avoids even the branches of HexDigitValue.
struct HexTable
{
    std::array<std::int8_t, 256> value{};
    constexpr HexTable()
    {
        for (int i = 0; i < 256; ++i)
            value[static_cast<std::size_t>(i)] = -1;
        for (int i = 0; i < 10; ++i)
            value[static_cast<std::size_t>('0' + i)] = static_cast<std::int8_t>(i);
        for (int i = 0; i < 6; ++i) {
            value[static_cast<std::size_t>('A' + i)] = static_cast<std::int8_t>(10 + i);
            value[static_cast<std::size_t>('a' + i)] = static_cast<std::int8_t>(10 + i);
        }
    }
};
constexpr HexTable kHex;

inline int Digit(char ch)
{
    return kHex.value[static_cast<unsigned char>(ch)];
}

// Byte k (from 1) of a line already known to be valid hexadecimal.
inline int ByteAt(std::string_view line, int k)
{
    const std::size_t p = static_cast<std::size_t>(2 * k - 2);
    return Digit(line[p]) * 16 + Digit(line[p + 1]);
}

// False when the counter is at its limit: the rest of the line is dropped.
inline bool Increment(std::int32_t& counter)
{
    if (counter >= kCounterLimit)
        return false;
    ++counter;
    return true;
}

inline std::int32_t SaturatingAdd(std::int32_t a, std::int32_t b)
{
    const std::int64_t sum = static_cast<std::int64_t>(a) + b;
    return static_cast<std::int32_t>(std::min<std::int64_t>(sum, kCounterLimit));
}

} // namespace

namespace {

// Whether the bytes of a line of hexadecimal digits add up to zero.
bool ChecksumHolds(std::string_view line, int bytes)
{
    int sum = 0;
    for (int k = 1; k <= bytes; ++k)
        sum += ByteAt(line, k);
    return (sum & 0xFF) == 0;
}

} // namespace

CapturedLineClass ClassifyCapturedLine(std::string_view line, CountingMode mode)
{
    CapturedLineClass c;
    const std::size_t marker = line.find('<');
    if (marker != std::string_view::npos)
        line = line.substr(0, marker);
    if (line.empty() || line.size() % 2 != 0)
        return c;
    for (char ch : line)
        if (Digit(ch) < 0)
            return c;
    c.counted = true;

    const int n = std::min(static_cast<int>(line.size() / 2), kMaxBytes);
    c.bytes = n;
    if (mode == CountingMode::Default)
        c.error = !ChecksumHolds(line, static_cast<int>(line.size() / 2));
    const int type = ByteAt(line, 1) & 7;
    if (type == 5) {
        c.kind = CapturedLineClass::Sal;
        const int b4 = n >= 4 ? ByteAt(line, 4) : 0;
        const int last = ByteAt(line, n);
        if (mode == CountingMode::AllMonitor)
            c.error = n <= 4 || (b4 != 0x90 && last != 0x35);
        if (n > 4) {
            c.source = ByteAt(line, 2);
            c.application = ByteAt(line, 3);
            c.mmi = b4 == 0x90;
        }
    } else if (type == 6) {
        c.kind = CapturedLineClass::Cal;
        if (mode == CountingMode::AllMonitor)
            c.error = n > 4 && ByteAt(line, n) != 0x9A;
        if (n > 1)
            c.source = ByteAt(line, 2);
    }
    return c;
}

bool IsEchoOf(std::string_view sent, std::string_view received)
{
    received = received.substr(0, received.find('<'));
    if (received.empty())
        return false;
    if (sent == received)
        return true;
    constexpr std::string_view kReset = "~~~";
    return sent.substr(0, kReset.size()) == kReset &&
           (received == kReset || sent.substr(kReset.size()) == received);
}

namespace {

void Count(TrafficStatistics& s, std::string_view line, CountingMode mode)
{
    const CapturedLineClass c = ClassifyCapturedLine(line, mode);
    if (!c.counted || !Increment(s.messagesThisTick))
        return;
    // A checksum error is known before the line's kind; the monitoring
    // mode's end marks are judged with it.
    const bool byChecksum = mode == CountingMode::Default;
    if (byChecksum && c.error && !Increment(s.errorsThisTick))
        return;
    const auto at = [](int index) { return static_cast<std::size_t>(index); };
    if (c.kind == CapturedLineClass::Sal) {
        if (!byChecksum && c.error && !Increment(s.errorsThisTick))
            return;
        if (c.source < 0)
            return;
        if (!c.mmi) {
            if (Increment(s.sourceCounts[at(c.source)]))
                Increment(s.applicationCounts[at(c.application)]);
        } else if (Increment(s.mmiCounts[at(c.application)])) {
            s.mmiSources[at(c.application)] = static_cast<std::int32_t>(c.source);
        }
    } else if (c.kind == CapturedLineClass::Cal) {
        if (!Increment(s.calCount))
            return;
        if (!byChecksum && c.error && !Increment(s.errorsThisTick))
            return;
        if (c.source >= 0)
            Increment(s.sourceCounts[at(c.source)]);
    }
}

} // namespace

void CountAnalyserMessage(TrafficStatistics& s, std::string_view line)
{
    Count(s, line, CountingMode::AllMonitor);
}

void CountCapturedMessage(TrafficStatistics& s, std::string_view line, CountingMode mode)
{
    Count(s, line, mode);
}

std::optional<CountingMode> ParseCountingMode(std::string_view text)
{
    if (text == "all-monitor")
        return CountingMode::AllMonitor;
    if (text == "default" || text == "basic")
        return CountingMode::Default;
    return std::nullopt;
}

const char* CountingModeName(CountingMode mode)
{
    return mode == CountingMode::Default ? "default" : "all-monitor";
}

std::string FormatRate(double value)
{
    char buffer[400];
    const int written = std::snprintf(buffer, sizeof buffer, "%5.1f", value);
    if (written < 0)
        return {};
    return TrimBlanks(std::string_view(
        buffer, std::min<std::size_t>(static_cast<std::size_t>(written), sizeof buffer - 1)));
}

std::string ElapsedTimeText(double seconds)
{
    if (!(seconds > 0))
        seconds = 0;
    const double whole = std::floor(std::min(seconds, 1e15));
    const long long total = static_cast<long long>(whole);
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%lld:%02lld:%02lld", total / 3600, (total / 60) % 60,
                  total % 60);
    return buffer;
}

int AxisMaximum(const std::array<std::int32_t, kHistoryLength>& messagePeaks)
{
    const std::int32_t m = *std::max_element(messagePeaks.begin(), messagePeaks.end());
    return (std::max(m, 0) / 10 + 1) * 10;
}

const std::array<const char*, kUpdateRateCount> kUpdateRateTexts = {
    "2 seconds", "3 seconds", "5 seconds", "10 seconds", "30 seconds", "1 minute"};
const std::array<int, kUpdateRateCount> kUpdateRateTicks = {2, 3, 5, 10, 30, 60};

std::string StartTimeLabel(std::string_view formattedStartTime)
{
    return "Start Time = " + std::string(formattedStartTime);
}

namespace {

GridTable EmptyGrid(std::vector<std::string> header)
{
    GridTable grid;
    const std::size_t columns = header.size();
    grid.push_back(std::move(header));
    grid.emplace_back(columns);
    return grid;
}

// Writes row `row` (from 1), growing the grid by exactly the rows needed;
// cells beyond `cells` keep what they held.
void SetRow(GridTable& grid, std::size_t row, std::vector<std::string> cells)
{
    const std::size_t columns = grid.front().size();
    while (grid.size() <= row)
        grid.emplace_back(columns);
    for (std::size_t c = 0; c < cells.size() && c < columns; ++c)
        grid[row][c] = std::move(cells[c]);
}

std::string PerMinute(std::int32_t count, double elapsed)
{
    return FormatRate(count / elapsed * 60) + " per minute";
}

} // namespace

TrafficAnalyser::TrafficAnalyser(TrafficStatistics& statistics) : m_statistics(statistics)
{
    m_summary = {{"", "Count", "Average Rate", "Peak Rate"},
                 {"Errors", "", "", ""},
                 {"Messages", "", "", ""}};
    m_types = EmptyGrid({"Message Type", "Message Count", "Average Rate", ""});
    m_mmis = EmptyGrid({"Application", "MMI Count", "Average Period", "Source Unit"});
    m_sources = EmptyGrid({"Source Unit", "Unit Type", "Message Count", "Average Rate"});
}

void TrafficAnalyser::Open(double now, const UnitTypeTable& unitTypes, bool hexNumbers)
{
    Reset(now, unitTypes, hexNumbers);
    m_slotLength = kUpdateRateTicks[kDefaultUpdateRateIndex];
    Refresh(now, unitTypes, hexNumbers);
}

void TrafficAnalyser::Reset(double now, const UnitTypeTable& unitTypes, bool hexNumbers)
{
    m_statistics = TrafficStatistics{};
    m_statistics.startTime = now;
    // A slot begun before the reset would otherwise average its new counts
    // over ticks that no longer count.
    m_slotTicks = 0;
    m_types.resize(1);
    m_types.emplace_back(m_types.front().size());
    m_mmis.resize(1);
    m_mmis.emplace_back(m_mmis.front().size());
    m_sources.resize(1);
    m_sources.emplace_back(m_sources.front().size());
    Refresh(now, unitTypes, hexNumbers);
}

bool TrafficAnalyser::Refresh(double now, const UnitTypeTable& unitTypes, bool hexNumbers)
{
    TrafficStatistics& s = m_statistics;
    const double span = now - s.startTime;
    const double elapsed = span == 0 ? 1.0 : span;

    s.messageTotal = SaturatingAdd(s.messageTotal, s.messagesThisTick);
    s.messagesThisSlot = SaturatingAdd(s.messagesThisSlot, s.messagesThisTick);
    s.messagePeak = std::max(s.messagePeak, s.messagesThisTick);
    s.messageSlotPeak = std::max(s.messageSlotPeak, s.messagesThisTick);
    s.messagesThisTick = 0;
    s.errorTotal = SaturatingAdd(s.errorTotal, s.errorsThisTick);
    s.errorsThisSlot = SaturatingAdd(s.errorsThisSlot, s.errorsThisTick);
    s.errorPeak = std::max(s.errorPeak, s.errorsThisTick);
    s.errorSlotPeak = std::max(s.errorSlotPeak, s.errorsThisTick);
    s.errorsThisTick = 0;

    ++m_slotTicks;
    bool moved = false;
    if (m_slotTicks >= m_slotLength) {
        MoveTimeSlots();
        moved = true;
    }

    m_elapsedTimeLabel = "Elapsed Time = " + ElapsedTimeText(span);
    FillGrids(elapsed, unitTypes, hexNumbers);
    return moved;
}

void TrafficAnalyser::FillGrids(double elapsed, const UnitTypeTable& unitTypes, bool hexNumbers)
{
    const TrafficStatistics& s = m_statistics;
    m_summary[1] = {"Errors", std::to_string(s.errorTotal),
                    FormatRate(s.errorTotal / elapsed) + " per second",
                    std::to_string(s.errorPeak) + " per second"};
    m_summary[2] = {"Messages", std::to_string(s.messageTotal),
                    FormatRate(s.messageTotal / elapsed) + " per second",
                    std::to_string(s.messagePeak) + " per second"};

    std::size_t row = 1;
    if (s.calCount != 0)
        SetRow(m_types, row++, {"CAL", std::to_string(s.calCount), PerMinute(s.calCount, elapsed)});
    for (int app = 0; app < 256; ++app) {
        const std::int32_t count = s.applicationCounts[static_cast<std::size_t>(app)];
        if (count != 0)
            SetRow(m_types, row++,
                   {ApplicationLabel(app, hexNumbers), std::to_string(count),
                    PerMinute(count, elapsed)});
    }

    row = 1;
    for (int unit = 0; unit < 256; ++unit) {
        const std::size_t u = static_cast<std::size_t>(unit);
        const std::int32_t count = s.sourceCounts[u];
        if (count != 0)
            SetRow(m_sources, row++,
                   {NumberString(unit, hexNumbers), unitTypes[u], std::to_string(count),
                    PerMinute(count, elapsed)});
    }

    row = 1;
    for (int app = 0; app < 256; ++app) {
        const std::size_t a = static_cast<std::size_t>(app);
        const std::int32_t count = s.mmiCounts[a];
        if (count != 0)
            SetRow(m_mmis, row++,
                   {ApplicationLabel(app, hexNumbers), std::to_string(count),
                    FormatRate(elapsed / count) + " seconds",
                    NumberString(s.mmiSources[a], hexNumbers)});
    }
}

void TrafficAnalyser::MoveTimeSlots()
{
    TrafficStatistics& s = m_statistics;
    const double ticks = m_slotTicks > 0 ? m_slotTicks : 1;
    auto shift = [](auto& history, auto newest) {
        std::move(history.begin() + 1, history.end(), history.begin());
        history.back() = newest;
    };
    shift(s.messageRateHistory, s.messagesThisSlot / ticks);
    shift(s.messagePeakHistory, s.messageSlotPeak);
    shift(s.errorRateHistory, s.errorsThisSlot / ticks);
    shift(s.errorPeakHistory, s.errorSlotPeak);
    s.messagesThisSlot = 0;
    s.messageSlotPeak = 0;
    s.errorsThisSlot = 0;
    s.errorSlotPeak = 0;
    m_slotTicks = 0;
}

std::array<double, kHistoryLength> TrafficAnalyser::messageSeries(bool peak) const
{
    if (!peak)
        return m_statistics.messageRateHistory;
    std::array<double, kHistoryLength> series{};
    std::copy(m_statistics.messagePeakHistory.begin(), m_statistics.messagePeakHistory.end(),
              series.begin());
    return series;
}

std::array<double, kHistoryLength> TrafficAnalyser::errorSeries(bool peak) const
{
    if (!peak)
        return m_statistics.errorRateHistory;
    std::array<double, kHistoryLength> series{};
    std::copy(m_statistics.errorPeakHistory.begin(), m_statistics.errorPeakHistory.end(),
              series.begin());
    return series;
}

} // namespace tarvin
