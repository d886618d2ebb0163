#include "core/formats/level.h"
#include "core/formats/palette.h"
#include "core/base/places.h"

#include <cstring>
#include <string_view>

namespace quorvex {

std::string levelSizesText()
{
    return std::to_string(LevelPixelsSize) + ", " + std::to_string(LevelWithTailSize) + ", "
           + std::to_string(PowerlevelSize) + " or " + std::to_string(Powerlevel2Size);
}

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

bool hasLevelBitmapHeader(std::span<const std::uint8_t> bytes)
{
    constexpr std::size_t HeaderSize = 54;
    if (bytes.size() < HeaderSize || bytes[0] != 'B' || bytes[1] != 'M')
        return false;
    auto u32 = [&](std::size_t at) {
        return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) | (std::uint32_t{bytes[at + 3]} << 24);
    };
    auto u16 = [&](std::size_t at) { return static_cast<std::uint32_t>(bytes[at] | (bytes[at + 1] << 8)); };
    const auto height = static_cast<std::int32_t>(u32(22));
    const auto bits = u16(28);
    const std::uint64_t pixelsEnd = std::uint64_t{u32(10)} + std::uint64_t{LevelWidth} * LevelHeight * (bits / 8);
    return u32(18) == LevelWidth && (height == std::int32_t(LevelHeight) || height == -std::int32_t(LevelHeight))
           && u16(26) == 1 && (bits == 8 || bits == 24) && u32(30) == 0 && pixelsEnd <= bytes.size();
}

// Both transforms append to a reserved buffer instead of filling a zeroed one: every byte is
// written once, which keeps them close to the cost of a plain copy.
Bytes levelToBitmap(std::span<const std::uint8_t> level, std::span<const std::uint8_t> colourTable,
                    const ResourceFile& resources)
{
    Bytes bitmap;
    bitmap.reserve(LevelBitmapSize);
    const auto header = resources.levelHeader();
    bitmap.insert(bitmap.end(), header.begin(), header.end());
    bitmap.insert(bitmap.end(), colourTable.begin(), colourTable.begin() + places::BitmapColourTableSize);
    // The bitmap stores its bottom row first; the level its top row first.
    for (std::uint32_t row = LevelHeight; row-- > 0;) {
        const auto* from = level.data() + row * LevelWidth;
        bitmap.insert(bitmap.end(), from, from + LevelWidth);
    }
    return bitmap;
}

Bytes bitmapToLevel(std::span<const std::uint8_t> bitmap, bool createPowerlevel)
{
    Bytes level;
    level.reserve(createPowerlevel ? PowerlevelSize : LevelPixelsSize);
    const auto* pixels = bitmap.data() + places::BitmapPixelsAt;
    for (std::uint32_t row = LevelHeight; row-- > 0;) {
        const auto* from = pixels + row * LevelWidth;
        level.insert(level.end(), from, from + LevelWidth);
    }
    if (createPowerlevel) {
        const std::string_view marker = "POWERLEVEL";
        level.insert(level.end(), marker.begin(), marker.end());
        level.resize(PowerlevelSize);
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
