#pragma once
// What the MMI results window shows, computed without a window: a grid of
// the 256 addresses with row and column headers, the legend that says what
// each colour means, and the caption.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tarvin {

enum class MMIColour
{
    Black,
    White,
    Silver,
    Grey,
    Red,
    Blue
};

// 0xRRGGBB of each colour.
std::uint32_t MMIColourRgb(MMIColour colour);

struct MMIText
{
    std::string text;
    MMIColour colour = MMIColour::Black;
    bool operator==(const MMIText& other) const
    {
        return text == other.text && colour == other.colour;
    }
};

struct MMIResultsLayout
{
    std::string caption;
    // Top to bottom; empty for the unit data image.
    std::vector<MMIText> legend;
    // Address n is in row n / 16 and column n % 16: the row header is the
    // row's first address, the column header what to add to it.
    std::array<std::string, 16> rowHeaders;
    std::array<std::string, 16> columnHeaders;
    std::array<MMIText, 256> cells;
};

// The picture for an MMI mode (0 = the unit data image) from the results
// table, the unit data image and the number base.
MMIResultsLayout LayoutMMIResults(int mode, const std::array<std::int32_t, 256>& table,
                                  const std::array<std::uint8_t, 256>& unitData, bool hexNumbers);

// The addresses a Level MMI has no report for, as ranges ("96-254", "7, 9");
// empty when every group was reported.
std::string UnreportedGroups(const std::array<std::int32_t, 256>& table, bool hexNumbers);

} // namespace tarvin
