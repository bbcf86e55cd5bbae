#include "core/diagnostics/mmi_layout.h"

#include "core/decode/hex.h"
#include "core/diagnostics/mmi_results.h"

namespace tarvin {

std::uint32_t MMIColourRgb(MMIColour colour)
{
    switch (colour) {
    case MMIColour::Black:
        return 0x000000;
    case MMIColour::White:
        return 0xFFFFFF;
    case MMIColour::Silver:
        return 0xC0C0C0;
    case MMIColour::Grey:
        return 0x808080;
    case MMIColour::Red:
        return 0xFF0000;
    case MMIColour::Blue:
        return 0x0000FF;
    }
    return 0;
}

namespace {

constexpr int kRight = MMIResultsLayout::kImageWidth - 1;
constexpr int kBottom = MMIResultsLayout::kImageHeight - 1;

void AddFrame(MMIResultsLayout& layout)
{
    layout.lines.push_back({0, 0, kRight, 0, MMIColour::Black});
    layout.lines.push_back({kRight, 0, kRight, kBottom, MMIColour::Black});
    layout.lines.push_back({0, kBottom, kRight, kBottom, MMIColour::Black});
    layout.lines.push_back({0, 0, 0, kBottom, MMIColour::Black});
}

void AddText(MMIResultsLayout& layout, int x, int y, std::string text, MMIColour colour,
             bool centred = false)
{
    layout.texts.push_back({x, y, std::move(text), colour, centred});
}

void AddLegend(MMIResultsLayout& layout,
               const std::array<std::pair<const char*, MMIColour>, 4>& rows, int count)
{
    AddText(layout, 10, 10, "LEGEND", MMIColour::Black);
    for (int i = 0; i < count; ++i)
        AddText(layout, 20, 25 + 15 * i, rows[static_cast<std::size_t>(i)].first,
                rows[static_cast<std::size_t>(i)].second);
}

void AddGrid(MMIResultsLayout& layout, bool hexNumbers)
{
    static const char kDigits[] = "0123456789ABCDEF";
    layout.lines.push_back({0, 75, kRight, 75, MMIColour::Silver});
    for (int i = 1; i <= 16; ++i) {
        layout.lines.push_back({0, 75 + 18 * i, kRight, 75 + 18 * i, MMIColour::Silver});
        layout.lines.push_back({22 * i, 75, 22 * i, kBottom, MMIColour::Silver});
    }
    for (int i = 1; i <= 16; ++i) {
        if (hexNumbers) {
            const char digit = kDigits[i - 1];
            AddText(layout, 22 * i + 8, 77, std::string(1, digit), MMIColour::Blue);
            AddText(layout, 2, 18 * i + 79, std::string{digit, '0'}, MMIColour::Blue);
        } else {
            AddText(layout, 2, 18 * i + 79, std::to_string(16 * (i - 1)), MMIColour::Blue);
        }
    }
}

void AddGridCell(MMIResultsLayout& layout, int n, std::string text, MMIColour colour)
{
    AddText(layout, 22 * (n % 16) + 33, 18 * (n / 16) + 97, std::move(text), colour, true);
}

MMIColour StateColour(int state, MMIColour previous)
{
    switch (state) {
    case 0:
        return MMIColour::Silver;
    case 1:
        return MMIColour::Blue;
    case 2:
        return MMIColour::Black;
    case 3:
        return MMIColour::Red;
    default:
        return previous;
    }
}

} // namespace

MMIResultsLayout LayoutMMIResults(int mode, const std::array<std::int32_t, 256>& table,
                                  const std::array<std::uint8_t, 256>& unitData, bool hexNumbers)
{
    MMIResultsLayout layout;
    AddFrame(layout);

    if (mode == kMMIInstallation || mode == kMMIApplication) {
        layout.lines.push_back({0, 90, kRight, 90, MMIColour::Black});
        if (mode == kMMIInstallation) {
            layout.caption = "Installation MMI Results";
            AddLegend(layout,
                      {{{"XX = Unit Address Not Present", MMIColour::Silver},
                        {"XX = Unit in State 1", MMIColour::Blue},
                        {"XX = Unit in State 2", MMIColour::Black},
                        {"XX = Unit Address Conflict", MMIColour::Red}}},
                      4);
        } else {
            layout.caption = "Application MMI Results";
            AddLegend(layout,
                      {{{"XX = Group Address Not Present", MMIColour::Silver},
                        {"XX = Group Address On", MMIColour::Blue},
                        {"XX = Group Address Off", MMIColour::Black},
                        {"XX = Group Address Error", MMIColour::Red}}},
                      4);
        }
        // A value that is no state keeps the colour last drawn with: the
        // last legend line's.
        MMIColour colour = MMIColour::Red;
        for (int n = 0; n < 256; ++n) {
            colour = StateColour(table[static_cast<std::size_t>(n)], colour);
            AddText(layout, 23 * (n % 16) + 15, 17 * (n / 16) + 100, NumberString(n, hexNumbers),
                    colour, true);
        }
        return layout;
    }

    if (mode == kMMILevel) {
        layout.caption = "Level MMI Results";
        AddLegend(layout,
                  {{{"XX = Group Address Not Present", MMIColour::Silver},
                    {"XX = Group Address Level", MMIColour::Black},
                    {"XX = Group Address Conflict", MMIColour::Red},
                    {"", MMIColour::Black}}},
                  3);
        AddGrid(layout, hexNumbers);
        for (int n = 0; n < 256; ++n) {
            const int value = table[static_cast<std::size_t>(n)];
            if (value == kLevelAbsent)
                AddGridCell(layout, n, "XX", MMIColour::Grey);
            else if (value == kLevelInvalid)
                AddGridCell(layout, n, "XX", MMIColour::Red);
            else
                AddGridCell(layout, n, NumberString(value, hexNumbers), MMIColour::Black);
        }
        return layout;
    }

    layout.caption = "Unit Data";
    AddGrid(layout, hexNumbers);
    for (int n = 0; n < 256; ++n)
        AddGridCell(layout, n, NumberString(unitData[static_cast<std::size_t>(n)], hexNumbers),
                    MMIColour::Black);
    return layout;
}

} // namespace tarvin
