#include "core/diagnostics/capture_analysis.h"

#include <cmath>

namespace tarvin {

namespace {

} // namespace

CaptureAnalysis::CaptureAnalysis(std::optional<CountingMode> forced)
    : m_forced(forced), m_mode(forced.value_or(CountingMode::AllMonitor))
{
}

void CaptureAnalysis::add(const CaptureRecord& record)
{
    if (record.kind == CaptureRecord::Marker) {
        if (const auto header = ParseCaptureHeader(record.text); header && !m_forced)
            if (const auto mode = ParseCountingMode(header->mode))
                m_mode = *mode;
        return;
    }
    if (record.kind != CaptureRecord::Line)
        return;
    if (record.direction == 'T')
        m_lastSent = record.raw;
    if (record.direction != 'R' || IsEchoOf(m_lastSent, record.raw))
        return;
    const auto time = CaptureStampSeconds(record.stamp);
    if (!m_opened) {
        // The analyser's window opens with the first line counted.
        m_opened = true;
        m_analyser.Open(time.value_or(0), m_noTypes, false);
        if (m_slotSeconds > 0)
            m_analyser.setSlotLength(m_slotSeconds);
    }
    if (time) {
        if (!m_first) {
            m_first = *time;
            m_statistics.startTime = *time;
            m_nextTick = *time + 1;
        }
        // Stamps that go back (a clock set back, two captures joined) count
        // in the current second.
        if (*time > m_last.value_or(*time) || !m_last)
            m_last = *time;
        tickTo(*m_last);
    }
    ++m_received;
    CountCapturedMessage(m_statistics, record.raw, m_mode);
}

void CaptureAnalysis::tickTo(double now)
{
    // Past this many empty seconds every history the chart shows is empty,
    // so a long silence is closed in one step rather than a second at a time.
    const int emptyTicksThatMatter = kHistoryLength * m_analyser.slotLength() + 1;
    int empty = 0;
    while (now >= m_nextTick) {
        const bool quiet = m_statistics.messagesThisTick == 0 && m_statistics.errorsThisTick == 0;
        empty = quiet ? empty + 1 : 0;
        if (empty > emptyTicksThatMatter) {
            // Nothing more can change but the clock.
            m_nextTick += std::floor(now - m_nextTick) + 1;
            break;
        }
        m_analyser.Refresh(m_nextTick, m_noTypes, false);
        m_nextTick += 1;
    }
}

void CaptureAnalysis::finish(const UnitTypeTable& unitTypes, bool hexNumbers)
{
    if (!m_opened) {
        m_opened = true;
        m_analyser.Open(0, unitTypes, hexNumbers);
    }
    // Without a time line the whole capture counts as one second.
    m_analyser.Refresh(m_last.value_or(m_statistics.startTime), unitTypes, hexNumbers);
    // The chart ends with the capture: its last slot, however short.
    if (m_analyser.slotTicks() > 0)
        m_analyser.MoveTimeSlots();
}

} // namespace tarvin
