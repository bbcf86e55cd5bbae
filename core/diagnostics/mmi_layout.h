#pragma once
// What the MMI results window draws, computed without a window: the window
// paints these lines and texts as given.

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
    int x = 0; // left edge, or the centre when `centred`
    int y = 0; // top
    std::string text;
    MMIColour colour = MMIColour::Black;
    // Centred texts start at x minus half their width (integer halving),
    // which only the painter can measure.
    bool centred = false;
};

struct MMILine
{
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    MMIColour colour = MMIColour::Black;
};

struct MMIResultsLayout
{
    static constexpr int kImageLeft = 8;
    static constexpr int kImageTop = 8;
    static constexpr int kImageWidth = 377;
    static constexpr int kImageHeight = 387;

    std::string caption;
    // Drawn on a white image with a black frame of width 1, lines first.
    std::vector<MMILine> lines;
    std::vector<MMIText> texts;
};

// The picture for an MMI mode (0 = the unit data image) from the results
// table, the unit data image and the number base.
MMIResultsLayout LayoutMMIResults(int mode, const std::array<std::int32_t, 256>& table,
                                  const std::array<std::uint8_t, 256>& unitData, bool hexNumbers);

} // namespace tarvin
