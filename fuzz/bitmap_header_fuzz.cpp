// The bitmap header reader behind the weapon sprites: any file is refused or read, and every
// pixel asked for, inside the picture or not, comes from the file or is the colour of value 0.
#include "fuzz_support.h"
#include "core/base/errors.h"
#include "core/weapons/weapon_sprite.h"

using namespace quorvex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        const WeaponPicture picture(Bytes(data, data + size));
        fuzz::check(picture.width() > 0 && picture.height() > 0, "a picture read has a size");
        for (int frame : {0, 1, 146, 255})
            spritePreview(picture, frame);
        for (int row : {-1, 0, picture.height() - 1, picture.height()})
            for (int column : {-1, 0, picture.width() - 1, picture.width()})
                picture.pixel(column, row);
    } catch (const FileError& error) {
        fuzz::check(error.text() == "Bitmap image is not valid", "a refused bitmap says so");
    }
    return 0;
}
