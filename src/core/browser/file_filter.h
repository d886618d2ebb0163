#pragma once
// The nine file filter boxes: caption and "Filter" bit. What each box lists is the formats
// whose row names it (core/formats/file_formats.h).
#include "core/formats/file_formats.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace quorvex {

struct FilterBox {
    const char* caption;
    std::int64_t bit;
};

inline constexpr std::array<FilterBox, 9> FilterBoxes = {{
    {"Levels", 1},
    {"Sound Mods", 2},
    {"Graphic Mods", 4},
    {"Bitmaps", 8},
    {"Palettes", 16},
    {"Zipped files", 32},
    {"Weapons", 64},
    {"Translations", 128},
    {"Fonts", 256},
}};

namespace filter_checks {
// Every format is listed by a box, and every box lists a format.
constexpr bool boxesAndFormatsMatch()
{
    for (const auto& format : FileFormats) {
        bool boxed = false;
        for (const auto& box : FilterBoxes)
            boxed = boxed || format.filterBox == box.caption;
        if (!boxed)
            return false;
    }
    for (const auto& box : FilterBoxes) {
        bool listing = false;
        for (const auto& format : FileFormats)
            listing = listing || format.filterBox == box.caption;
        if (!listing)
            return false;
    }
    return true;
}
} // namespace filter_checks
static_assert(filter_checks::boxesAndFormatsMatch(), "each format names a filter box, and each box lists a format");

using FilterTicks = std::array<bool, FilterBoxes.size()>;

// Ticks from the stored bits, highest first: a bit is taken while the rest reaches its weight.
FilterTicks filterTicksFromBits(std::int64_t bits);
std::int64_t filterBitsFromTicks(const FilterTicks& ticked);
// The patterns ("*.LEV") of the formats of the ticked boxes, box by box in table order, each
// box's formats in their table order, separated by ";"; empty lists nothing.
std::string fileMask(const FilterTicks& ticked);

} // namespace quorvex
