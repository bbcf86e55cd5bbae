#pragma once
// A capture in memory: every record's texts kept once, in chunks, and a
// small entry per record with what a capture view shows, filters and sorts
// on. With a limit it is a ring that drops its oldest lines a chunk at a
// time, so it never holds more than the limit.

#include "core/diagnostics/traffic_analyser.h"
#include "core/files/capture_format.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace tarvin {

class CaptureStore
{
public:
    // One stored record, as views into the store (valid until it drops the
    // record or is cleared).
    struct Row
    {
        CaptureRecord::Kind kind = CaptureRecord::Blank;
        char direction = 0; // 'T', 'R', or 0 for markers and unreadable lines
        std::string_view stamp;
        std::string_view raw;
        std::string_view description; // a marker's or an unreadable line's text
        double time = -1;             // seconds, or -1 without a readable stamp
        int network = -1;             // 0: the local network; -1: not known
        int source = -1;
        int application = -1;
        bool error = false;   // counted as an error, or unreadable
        bool unknown = false; // received with no description, or unreadable
    };

    // `limit` 0 keeps everything.
    explicit CaptureStore(std::size_t limit = 0);

    // Keeps a record (blank lines and CSV column rows are skipped). A
    // received line is an error when the analyser would count it as one in
    // `mode`, or when its description reports a fault.
    void add(const CaptureRecord& record, CountingMode mode);
    void clear();
    void setLimit(std::size_t limit);
    std::size_t limit() const { return m_limit; }

    std::size_t size() const { return m_size; }
    Row row(std::size_t index) const;
    // Serial numbers count every record ever added; row 0 has firstSerial().
    std::uint64_t firstSerial() const { return m_firstSerial; }
    std::size_t unreadable() const { return m_unreadable; }
    // Bytes held, texts and entries.
    std::size_t memoryBytes() const;

private:
    struct Entry
    {
        std::uint32_t offset; // into the chunk's text: stamp, raw, description
        std::uint16_t stampLength;
        std::uint32_t rawLength;
        std::uint32_t descriptionLength;
        double time;
        std::int16_t network;
        std::int16_t source;
        std::int16_t application;
        std::uint8_t kind;
        char direction;
        bool error;
        bool unknown;
    };
    struct Chunk
    {
        std::uint64_t firstSerial = 0;
        std::string text;
        std::vector<Entry> entries;
    };
    std::size_t chunkSize() const;
    void dropOldest();

    std::size_t m_limit;
    std::deque<Chunk> m_chunks;
    std::size_t m_size = 0;
    std::uint64_t m_firstSerial = 0;
    std::size_t m_unreadable = 0;
    std::string m_lastSent; // what an echo repeats
};

} // namespace tarvin
