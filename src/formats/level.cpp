#include "formats/level.h"
#include "formats/palette.h"
#include "gameexe/places.h"

#include <cstring>

namespace quorvex {

LevelForm levelForm(std::uint64_t size)
{
    switch (size) {
    case LevelPixelsSize:
        return LevelForm::Plain;
    case LevelWithTailSize:
        return LevelForm::PlainWithTail;
    case PowerlevelSize:
        return LevelForm::Powerlevel;
    case Powerlevel2Size:
        return LevelForm::Powerlevel2;
    default:
        return LevelForm::NotALevel;
    }
}

bool hasAnyPowerlevelMarker(std::span<const std::uint8_t> level)
{
    if (level.size() < LevelMarkerAt + LevelMarkerSize)
        return false;
    const auto* marker = level.data() + LevelMarkerAt;
    return std::memcmp(marker, "POWERLEV", 8) == 0 && (marker[8] == 'E' || marker[8] == 'L')
           && (marker[9] == 'L' || marker[9] == '2');
}

bool hasPowerlevelMarker(std::span<const std::uint8_t> level)
{
    return level.size() >= LevelMarkerAt + LevelMarkerSize
           && std::memcmp(level.data() + LevelMarkerAt, "POWERLEVEL", LevelMarkerSize) == 0;
}

bool isLevelBitmapSize(std::uint64_t size)
{
    return size == LevelBitmapSize || size == LevelBitmapWithTailSize;
}

Bytes levelToBitmap(std::span<const std::uint8_t> level, std::span<const std::uint8_t> colourTable,
                    const ResourceFile& resources)
{
    Bytes bitmap(LevelBitmapSize);
    std::memcpy(bitmap.data(), resources.levelHeader().data(), places::BitmapHeaderSize);
    std::memcpy(bitmap.data() + places::BitmapHeaderSize, colourTable.data(), places::BitmapColourTableSize);
    // The bitmap stores its bottom row first; the level its top row first.
    auto* out = bitmap.data() + places::BitmapPixelsAt;
    for (std::uint32_t row = 0; row < LevelHeight; ++row)
        std::memcpy(out + (LevelHeight - 1 - row) * LevelWidth, level.data() + row * LevelWidth, LevelWidth);
    return bitmap;
}

Bytes bitmapToLevel(std::span<const std::uint8_t> bitmap, bool createPowerlevel)
{
    Bytes level(createPowerlevel ? PowerlevelSize : LevelPixelsSize);
    const auto* in = bitmap.data() + places::BitmapPixelsAt;
    for (std::uint32_t row = 0; row < LevelHeight; ++row)
        std::memcpy(level.data() + row * LevelWidth, in + (LevelHeight - 1 - row) * LevelWidth, LevelWidth);
    if (createPowerlevel) {
        std::memcpy(level.data() + LevelMarkerAt, "POWERLEVEL", LevelMarkerSize);
        const auto* table = bitmap.data() + places::BitmapHeaderSize;
        auto* palette = level.data() + LevelPaletteAt;
        for (std::size_t i = 0; i < 256; ++i) {
            palette[3 * i] = to6Bit(table[4 * i + 2]);
            palette[3 * i + 1] = to6Bit(table[4 * i + 1]);
            palette[3 * i + 2] = to6Bit(table[4 * i]);
        }
    }
    return level;
}

} // namespace quorvex
