#pragma once
// What the preview shows under the pointer: the palette cell of the level picture and the
// sprite of the graphics strip that the detail view magnifies.
#include <cstdint>

namespace quorvex {

inline constexpr int LevelPictureWidth = 504;
inline constexpr int LevelPictureHeight = 350;
inline constexpr int StretchedLevelHeight = 420;
inline constexpr int DetailViewSize = 32;

// The palette colour under (x, y) of a 16x16 palette grid shown in the level picture, in cells
// of 32 by 22 pixels of the 504x350 picture. A picture shown at another height (stretched) is
// measured back to 350 first, so the cell under the pointer is the one named.
int paletteCellAt(int x, int y, int pictureHeight = LevelPictureHeight);

// The sprite under row y of the 16x2790 graphics strip: its first row in the strip, its size
// (16, 7 or 4 pixels square) and the side of each of its pixels in the detail view.
struct SpriteAt {
    int firstRow;
    int size;
    int side;
};
SpriteAt spriteAt(int y);

} // namespace quorvex
