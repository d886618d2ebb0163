// Levels and level bitmaps: the form by size, the markers, and the two transforms, which must
// give back the level's pixels (and a powerlevel's palette) exactly.
#include "core/formats/level.h"
#include "core/formats/palette.h"
#include "fuzz_support.h"
#include "core/base/places.h"

#include <algorithm>

using namespace quorvex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto input = fuzz::bytesOf(data, size);
    const auto form = levelForm(size);
    const bool anyMarker = hasAnyPowerlevelMarker(input);
    fuzz::check(!hasPowerlevelMarker(input) || anyMarker, "POWERLEVEL is one of the markers the preview accepts");

    if (form != LevelForm::NotALevel) {
        const bool powerlevel = form == LevelForm::Powerlevel || form == LevelForm::Powerlevel2;
        const auto table = powerlevel ? colourTableFrom6Bit(input.subspan(LevelPaletteAt, places::PaletteSize))
                                      : std::array<std::uint8_t, 1024>{};
        const auto bitmap = levelToBitmap(input, table, fuzz::resources());
        fuzz::check(bitmap.size() == LevelBitmapSize, "a level bitmap is 177478 bytes");
        fuzz::check(isLevelBitmapSize(bitmap.size()), "the bitmap is recognised by its size");
        const auto back = bitmapToLevel(bitmap, powerlevel);
        fuzz::check(std::equal(back.begin(), back.begin() + LevelPixelsSize, input.begin()),
                    "level to bitmap to level keeps the pixels");
        if (powerlevel) {
            fuzz::check(back.size() == PowerlevelSize, "a powerlevel comes back as 177178 bytes");
            // 6-bit values survive times 4 and div 4; only the two high bits of a byte above 63 are lost.
            for (std::size_t i = 0; i < places::PaletteSize; ++i)
                fuzz::check(back[LevelPaletteAt + i] == (input[LevelPaletteAt + i] & 0x3F), "the palette comes back");
        }
    }
    if (isLevelBitmapSize(size)) {
        const auto level = bitmapToLevel(input, true);
        fuzz::check(level.size() == PowerlevelSize && hasPowerlevelMarker(level), "a bitmap becomes a powerlevel");
        const auto again = bitmapToLevel(levelToBitmap(level, colourTableFrom6Bit(std::span(level).subspan(LevelPaletteAt, places::PaletteSize)),
                                                       fuzz::resources()),
                                         true);
        fuzz::check(again == level, "bitmap to level twice gives the same level");
    }
    return 0;
}
