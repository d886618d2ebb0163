#pragma once
// The nine file filter boxes: caption, the patterns each adds to the mask, its "Filter" bit.
#include <array>
#include <cstdint>
#include <string>

namespace quorvex {

struct FilterBox {
    const char* caption;
    const char* patterns;
    std::int64_t bit;
};

inline constexpr std::array<FilterBox, 9> FilterBoxes = {{
    {"Levels", "*.LEV;", 1},
    {"Sound Mods", "*.SND;", 2},
    {"Graphic Mods", "*.CHR;", 4},
    {"Bitmaps", "*.BMP;", 8},
    {"Palettes", "*.ACT;*.PAL;*.LPL;", 16},
    {"Zipped files", "*.ZIP;", 32},
    {"Weapons", "*.LWP;", 64},
    {"Translations", "*.LLF;", 128},
    {"Fonts", "*.LFT;", 256},
}};

using FilterTicks = std::array<bool, FilterBoxes.size()>;

// Ticks from the stored bits, highest first: a bit is taken while the rest reaches its weight.
FilterTicks filterTicksFromBits(std::int64_t bits);
std::int64_t filterBitsFromTicks(const FilterTicks& ticked);
// The patterns of the ticked boxes in table order, without the final ";"; empty lists nothing.
std::string fileMask(const FilterTicks& ticked);

} // namespace quorvex
