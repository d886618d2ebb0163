#include "core/browser/pointer_detail.h"

namespace quorvex {

int paletteCellAt(int x, int y, int pictureHeight)
{
    if (pictureHeight > 0 && pictureHeight != LevelPictureHeight)
        y = y * LevelPictureHeight / pictureHeight;
    return ((y / 22) * 16 + x / 32) % 256;
}

SpriteAt spriteAt(int y)
{
    struct Band {
        int firstRow, size, side;
    };
    constexpr Band Big{0, 16, 2}, Middle{1761, 7, 4}, Small{2673, 4, 6};
    const Band band = y >= 1761 && y <= 2670 ? Middle : y >= 2671 && y <= 2790 ? Small : Big;
    // Rows 2671 and 2672 lie above the small band's first row; they count as its first sprite.
    const int number = y < band.firstRow ? 0 : (y - band.firstRow) / band.size;
    return {band.firstRow + number * band.size, band.size, band.side};
}

} // namespace quorvex
