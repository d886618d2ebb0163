#include "core/browser/file_filter.h"

namespace quorvex {

FilterTicks filterTicksFromBits(std::int64_t bits)
{
    FilterTicks ticked{};
    std::int64_t remaining = bits;
    for (int box = static_cast<int>(FilterBoxes.size()) - 1; box >= 0; --box) {
        if (remaining >= FilterBoxes[box].bit) {
            ticked[box] = true;
            remaining -= FilterBoxes[box].bit;
        }
    }
    return ticked;
}

std::int64_t filterBitsFromTicks(const FilterTicks& ticked)
{
    std::int64_t bits = 0;
    for (std::size_t box = 0; box < FilterBoxes.size(); ++box)
        if (ticked[box])
            bits += FilterBoxes[box].bit;
    return bits;
}

std::string fileMask(const FilterTicks& ticked)
{
    std::string mask;
    for (std::size_t box = 0; box < FilterBoxes.size(); ++box) {
        if (!ticked[box])
            continue;
        for (const auto& format : FileFormats) {
            if (format.filterBox != FilterBoxes[box].caption)
                continue;
            mask += '*';
            for (const char c : format.extension)
                mask += c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
            mask += ';';
        }
    }
    if (!mask.empty())
        mask.pop_back();
    return mask;
}

} // namespace quorvex
