#include "core/files/capture_store.h"

#include "core/decode/decode.h"

#include <algorithm>

namespace tarvin {

namespace {

constexpr std::size_t kMaxChunkRows = 65536;
constexpr std::size_t kMaxChunkText = 0xFFFFFFFFu;

std::string_view Clip(std::string_view text, std::size_t most)
{
    return text.substr(0, std::min(text.size(), most));
}

} // namespace

CaptureStore::CaptureStore(std::size_t limit) : m_limit(limit) {}

std::size_t CaptureStore::chunkSize() const
{
    // A ring drops a chunk at a time: small enough that a drop loses little
    // of the limit, large enough that chunks stay few.
    if (m_limit == 0)
        return kMaxChunkRows;
    return std::clamp<std::size_t>(m_limit / 16, 1, kMaxChunkRows);
}

void CaptureStore::add(const CaptureRecord& record, CountingMode mode)
{
    if (record.kind == CaptureRecord::Blank || record.kind == CaptureRecord::ColumnRow)
        return;
    const bool line = record.kind == CaptureRecord::Line;
    const std::string_view stamp = Clip(record.stamp, 0xFFFF);
    const std::string_view raw = Clip(record.raw, kMaxCaptureLine);
    const std::string_view description =
        Clip(line ? record.description : record.text, kMaxCaptureLine);
    const std::size_t length = stamp.size() + raw.size() + description.size();
    if (m_chunks.empty() || m_chunks.back().entries.size() >= chunkSize() ||
        m_chunks.back().text.size() + length > kMaxChunkText) {
        m_chunks.emplace_back();
        m_chunks.back().firstSerial = m_firstSerial + m_size;
    }
    Chunk& chunk = m_chunks.back();

    Entry e{};
    e.offset = static_cast<std::uint32_t>(chunk.text.size());
    e.stampLength = static_cast<std::uint16_t>(stamp.size());
    e.rawLength = static_cast<std::uint32_t>(raw.size());
    e.descriptionLength = static_cast<std::uint32_t>(description.size());
    e.time = CaptureStampSeconds(stamp).value_or(-1);
    e.network = e.source = e.application = -1;
    e.kind = static_cast<std::uint8_t>(record.kind);
    e.direction = line ? record.direction : 0;
    const bool echo = line && record.direction == 'R' && IsEchoOf(m_lastSent, raw);
    if (line && record.direction == 'T')
        m_lastSent = raw;
    if (echo) {
        // Our own line coming back: neither an error nor a message unknown.
    } else if (line) {
        const CapturedLineClass c = ClassifyCapturedLine(raw, mode);
        // Sent lines are commands, not traffic the analyser judges.
        e.error = record.direction == 'R' && (c.error || DescribesFault(description));
        // A message the decoder has no words for; echoes and answer
        // characters are no messages.
        e.unknown = record.direction == 'R' && c.counted && description.empty();
        e.source = static_cast<std::int16_t>(c.source);
        e.application = static_cast<std::int16_t>(c.application);
        if (c.kind != CapturedLineClass::Other)
            e.network = 0;
    } else if (record.kind == CaptureRecord::Unreadable) {
        e.error = e.unknown = true;
        ++m_unreadable;
    }
    chunk.text.append(stamp);
    chunk.text.append(raw);
    chunk.text.append(description);
    chunk.entries.push_back(e);
    ++m_size;
    if (m_limit != 0 && m_size > m_limit)
        dropOldest();
}

void CaptureStore::dropOldest()
{
    while (m_size > m_limit && !m_chunks.empty()) {
        const Chunk& oldest = m_chunks.front();
        for (const Entry& e : oldest.entries)
            if (e.kind == CaptureRecord::Unreadable)
                --m_unreadable;
        m_size -= oldest.entries.size();
        m_firstSerial += oldest.entries.size();
        m_chunks.pop_front();
    }
}

void CaptureStore::clear()
{
    m_firstSerial += m_size;
    m_chunks.clear();
    m_size = 0;
    m_unreadable = 0;
    m_lastSent.clear();
}

void CaptureStore::setLimit(std::size_t limit)
{
    m_limit = limit;
    if (m_limit != 0 && m_size > m_limit)
        dropOldest();
}

CaptureStore::Row CaptureStore::row(std::size_t index) const
{
    const std::uint64_t serial = m_firstSerial + index;
    const auto after =
        std::upper_bound(m_chunks.begin(), m_chunks.end(), serial,
                         [](std::uint64_t s, const Chunk& c) { return s < c.firstSerial; });
    const Chunk& chunk = *(after - 1);
    const Entry& e = chunk.entries[static_cast<std::size_t>(serial - chunk.firstSerial)];
    Row r;
    r.kind = static_cast<CaptureRecord::Kind>(e.kind);
    r.direction = e.direction;
    const std::string_view text = chunk.text;
    r.stamp = text.substr(e.offset, e.stampLength);
    r.raw = text.substr(e.offset + e.stampLength, e.rawLength);
    r.description =
        text.substr(std::size_t(e.offset) + e.stampLength + e.rawLength, e.descriptionLength);
    r.time = e.time;
    r.network = e.network;
    r.source = e.source;
    r.application = e.application;
    r.error = e.error;
    r.unknown = e.unknown;
    return r;
}

std::size_t CaptureStore::memoryBytes() const
{
    std::size_t bytes = 0;
    for (const Chunk& c : m_chunks)
        bytes += c.text.capacity() + c.entries.capacity() * sizeof(Entry);
    return bytes;
}

} // namespace tarvin
