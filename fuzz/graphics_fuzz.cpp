// Graphics mods and graphics bitmaps: a .CHR through its picture and back gives its first 35028
// bytes again; a picture through a .CHR and back gives every pixel the picture holds.
#include "core/formats/graphics_mod.h"
#include "fuzz_support.h"
#include "core/base/places.h"

#include <algorithm>

using namespace quorvex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto input = fuzz::bytesOf(data, size);
    if (size >= places::ChrMinimumSize) {
        const auto picture = buildGraphicsPicture(input, fuzz::resources());
        fuzz::check(picture.size() == GraphicsPictureSize && isGraphicsBitmapSize(picture.size()),
                    "a graphics picture is 45718 bytes");
        const auto chr = graphicsPictureToChr(picture, input);
        fuzz::check(chr.size() == places::ChrMinimumSize &&
                        std::equal(chr.begin(), chr.end(), input.begin()),
                    "a .CHR through its picture and back is unchanged");
    }
    if (size >= GraphicsPictureSize) {
        const auto chr = graphicsPictureToChr(input, {});
        fuzz::check(chr.size() == places::ChrMinimumSize, "a .CHR is 35028 bytes");
        const auto picture = buildGraphicsPicture(chr, fuzz::resources());
        fuzz::check(graphicsPictureToChr(picture, chr) == chr, "the picture of a .CHR gives the .CHR back");
    }
    return 0;
}
