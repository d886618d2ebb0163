#pragma once
// The "Start frame" preview: the small sprites of weapon.bmp, seven rows each from row 1760,
// shown doubled in a 14 by 14 picture.
#include "core/gamefile/game_file.h"
#include "core/gamefile/resource_file.h"

#include <array>

namespace quorvex {

inline constexpr int SpritePreviewSide = 14;
inline constexpr int SmallSpritesFirstRow = 1760;
inline constexpr int SmallSpriteSide = 7;

// An 8-bit bitmap file read for its pixels; row 0 is the top row.
class WeaponPicture {
public:
    // FileError "Bitmap image is not valid" for a file that is no uncompressed 8-bit bitmap.
    explicit WeaponPicture(Bytes file);

    int width() const { return width_; }
    int height() const { return height_; }
    // The colour of the pixel; a place outside the picture (or beyond the end of a file cut
    // short) shows the colour of pixel value 0.
    Rgb pixel(int column, int row) const;

private:
    Rgb colour(int value) const;

    Bytes file_;
    int width_ = 0, height_ = 0;
    std::size_t pixelsAt_ = 0, stride_ = 0, rowsInFile_ = 0, paletteAt_ = 0, paletteSize_ = 0;
    bool bottomUp_ = true;
};

// Row-major, 14 by 14: the first 7 columns of frame's 7 rows, each pixel as a 2 by 2 block.
using SpritePreview = std::array<Rgb, SpritePreviewSide * SpritePreviewSide>;
SpritePreview spritePreview(const WeaponPicture& picture, int frame);

} // namespace quorvex
