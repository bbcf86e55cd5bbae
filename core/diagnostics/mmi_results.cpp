#include "core/diagnostics/mmi_results.h"

#include "core/decode/hex.h"

namespace tarvin {

std::string InstallationMMIBody()
{
    return "7AFF00";
}

std::string ApplicationMMIBody(int application)
{
    return "7A" + HexByte(static_cast<unsigned>(application)) + "00";
}

std::string LevelMMIBody(int application, int block)
{
    return "7307" + HexByte(static_cast<unsigned>(application)) +
           HexByte(static_cast<unsigned>(32 * (block - 1)));
}

int LevelMMIBlockEnd(int block)
{
    return 32 * block - 1;
}

int LevelCodeValue(std::uint8_t byte)
{
    int value = 0;
    for (int shift = 6; shift >= 0; shift -= 2) {
        const int pair = (byte >> shift) & 3;
        if (pair == 1)
            value = value * 2 + 1;
        else if (pair == 2)
            value = value * 2;
        else
            return -1;
    }
    return value;
}

void MMIResults::ClearMMIResults(std::int32_t fill)
{
    m_table.fill(fill);
    m_lastIndex = 0;
    m_reports = 0;
}

namespace {

constexpr std::size_t kMinLine = 8;
constexpr std::size_t kMaxLine = 200;

} // namespace

void MMIResults::CollectMMIReply(std::string_view line)
{
    if (m_mode == kMMINone)
        return;
    const std::size_t marker = line.find('<');
    if (marker != std::string_view::npos)
        line = line.substr(0, marker);
    if (line.size() < kMinLine || line.size() > kMaxLine)
        return;

    // bytes[k] is byte Bk; index 0 is unused so positions read as written.
    std::uint8_t bytes[kMaxLine / 2 + 1] = {};
    const int count = static_cast<int>(line.size() / 2);
    for (int k = 1; k <= count; ++k)
        bytes[k] = static_cast<std::uint8_t>(
            HexToNumber(line.substr(static_cast<std::size_t>(2 * k - 2), 2)));

    // A reply that carries a route has its reply byte after the route.
    const int a = bytes[1] == 0x86 ? bytes[4] + 5 : 1;
    if (a > count)
        return;
    if (m_mode == kMMILevel)
        CollectLevels(bytes, count, a);
    else
        CollectStates(bytes, count, a);
}

// Storage stops at address 255 and at the end of the bytes; a report cut
// short that way leaves the last index alone, so a wait does not end on it.
void MMIResults::CollectLevels(const std::uint8_t* bytes, int count, int a)
{
    const int c = bytes[a];
    if (c < 0xE0)
        return;
    const int levels = (c - 227) / 2;
    if (levels <= 0 || a + 3 > count)
        return;
    int j = bytes[a + 3];
    for (int k = 1; k <= levels; ++k) {
        const int x = a + 2 * k + 2;
        if (x + 1 > count || j > 255)
            return;
        const std::uint8_t low = bytes[x];
        const std::uint8_t high = bytes[x + 1];
        int entry = kLevelAbsent;
        if (low != 0 || high != 0) {
            const int lowValue = LevelCodeValue(low);
            const int highValue = LevelCodeValue(high);
            entry = (lowValue < 0 || highValue < 0) ? kLevelInvalid : 16 * highValue + lowValue;
        }
        m_table[static_cast<std::size_t>(j)] = entry;
        ++j;
    }
    m_lastIndex = static_cast<std::uint8_t>(j - 1);
    ++m_reports;
}

void MMIResults::CollectStates(const std::uint8_t* bytes, int count, int a)
{
    const int c = bytes[a];
    if (c < 0xC0)
        return;
    int dataBytes = 0;
    if (c <= 0xE0) {
        dataBytes = c - 194;
    } else {
        dataBytes = c - 227;
        ++a; // the extended report's extra byte
    }
    if (dataBytes <= 0 || a + 2 > count)
        return;
    int i = bytes[a + 2];
    for (int k = 1; k <= dataBytes; ++k) {
        if (a + k + 2 > count)
            return;
        const std::uint8_t data = bytes[a + k + 2];
        for (int shift = 0; shift < 8; shift += 2) {
            if (i > 255)
                return;
            m_table[static_cast<std::size_t>(i)] = (data >> shift) & 3;
            ++i;
        }
    }
    m_lastIndex = static_cast<std::uint8_t>(i - 1);
    ++m_reports;
}

} // namespace tarvin
