#pragma once
// Network status inquiries (MMIs): the request bodies and the collector that
// folds the status reports into one table of 256 addresses.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarvin {

enum MMIMode : int
{
    kMMINone = 0, // no collection; the results window shows the unit data image
    kMMIInstallation = 1,
    kMMIApplication = 2,
    kMMILevel = 3,
};

// Entries of a Level MMI that carry no level.
constexpr int kLevelInvalid = -1;     // the level code was not valid
constexpr int kLevelAbsent = -2;      // the report marked the group as absent
constexpr int kLevelNotReported = -3; // no report covered the group

// Request bodies, to go after the SAL header for application 255.
std::string InstallationMMIBody();
std::string ApplicationMMIBody(int application);
// Block 1..8 asks for the levels from group 32·(block − 1).
std::string LevelMMIBody(int application, int block);
// The last index that ends the wait for a Level MMI block (32·block − 1).
int LevelMMIBlockEnd(int block);

// Value 0..15 of a level code byte (four bits sent as pairs, 01 for 1 and
// 10 for 0, most significant first); -1 for any other byte.
int LevelCodeValue(std::uint8_t byte);

class MMIResults
{
public:
    static constexpr int kSize = 256;

    // All entries to `fill` and the last index back to 0. A Level MMI
    // clears to kLevelNotReported, since 0 is a level there.
    void ClearMMIResults(std::int32_t fill = 0);

    int mode() const { return m_mode; }
    void setMode(int mode) { m_mode = mode; }

    // One received line (its text before the first "<"). Ignored while the
    // mode is 0 and for lines that are not status reports of the mode.
    void CollectMMIReply(std::string_view line);

    int at(int address) const
    {
        return (address >= 0 && address < kSize) ? m_table[static_cast<std::size_t>(address)] : 0;
    }
    const std::array<std::int32_t, kSize>& table() const { return m_table; }
    std::uint8_t lastIndex() const { return m_lastIndex; }
    // Whole reports taken since the last clear: 0 when nobody answered.
    int reports() const { return m_reports; }

private:
    void CollectLevels(const std::uint8_t* bytes, int count, int a);
    void CollectStates(const std::uint8_t* bytes, int count, int a);

    std::array<std::int32_t, kSize> m_table{};
    std::uint8_t m_lastIndex = 0;
    int m_reports = 0;
    int m_mode = kMMINone;
};

} // namespace tarvin
