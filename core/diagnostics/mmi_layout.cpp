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

MMIText LevelCell(int value, bool hexNumbers)
{
    switch (value) {
    case kLevelNotReported:
        return {"--", MMIColour::Silver};
    case kLevelAbsent:
        return {"XX", MMIColour::Grey};
    case kLevelInvalid:
        return {"XX", MMIColour::Red};
    default:
        return {NumberString(value, hexNumbers), MMIColour::Black};
    }
}

} // namespace

MMIResultsLayout LayoutMMIResults(int mode, const std::array<std::int32_t, 256>& table,
                                  const std::array<std::uint8_t, 256>& unitData, bool hexNumbers)
{
    MMIResultsLayout layout;
    for (int i = 0; i < 16; ++i) {
        const auto at = static_cast<std::size_t>(i);
        layout.rowHeaders[at] = NumberString(16 * i, hexNumbers);
        // In decimal a bare 0..15 over the columns would read as addresses.
        layout.columnHeaders[at] =
            hexNumbers ? std::string(1, "0123456789ABCDEF"[i]) : "+" + std::to_string(i);
    }

    if (mode == kMMIInstallation || mode == kMMIApplication) {
        if (mode == kMMIInstallation) {
            layout.caption = "Installation MMI Results";
            // The states are the on/off of a binary status report, which
            // every unit gives for itself.
            layout.legend = {
                {"XX = Unit Address Not Present", MMIColour::Silver},
                {"XX = Unit in State 1: present, reports On", MMIColour::Blue},
                {"XX = Unit in State 2: present, reports Off", MMIColour::Black},
                {"XX = Unit Address Conflict: more than one unit answers", MMIColour::Red}};
        } else {
            layout.caption = "Application MMI Results";
            layout.legend = {{"XX = Group Address Not Present", MMIColour::Silver},
                             {"XX = Group Address On", MMIColour::Blue},
                             {"XX = Group Address Off", MMIColour::Black},
                             {"XX = Group Address Error: its units disagree", MMIColour::Red}};
        }
        // A value that is no state keeps the colour of the address before;
        // the first address starts from the last legend line's.
        MMIColour colour = MMIColour::Red;
        for (int n = 0; n < 256; ++n) {
            colour = StateColour(table[static_cast<std::size_t>(n)], colour);
            layout.cells[static_cast<std::size_t>(n)] = {NumberString(n, hexNumbers), colour};
        }
        return layout;
    }

    if (mode == kMMILevel) {
        layout.caption = "Level MMI Results";
        layout.legend = {{"-- = Group Address Not Reported", MMIColour::Silver},
                         {"XX = Group Address Not Present", MMIColour::Grey},
                         {"XX = Group Address Level", MMIColour::Black},
                         {"XX = Group Address Conflict", MMIColour::Red}};
        for (int n = 0; n < 256; ++n)
            layout.cells[static_cast<std::size_t>(n)] =
                LevelCell(table[static_cast<std::size_t>(n)], hexNumbers);
        return layout;
    }

    layout.caption = "Unit Data";
    for (int n = 0; n < 256; ++n)
        layout.cells[static_cast<std::size_t>(n)] = {
            NumberString(unitData[static_cast<std::size_t>(n)], hexNumbers), MMIColour::Black};
    return layout;
}

std::string UnreportedGroups(const std::array<std::int32_t, 256>& table, bool hexNumbers)
{
    std::string ranges;
    for (int n = 0; n < 256; ++n) {
        if (table[static_cast<std::size_t>(n)] != kLevelNotReported)
            continue;
        int last = n;
        while (last < 255 && table[static_cast<std::size_t>(last + 1)] == kLevelNotReported)
            ++last;
        if (!ranges.empty())
            ranges += ", ";
        ranges += NumberString(n, hexNumbers);
        if (last > n)
            ranges += "-" + NumberString(last, hexNumbers);
        n = last;
    }
    return ranges;
}

} // namespace tarvin
