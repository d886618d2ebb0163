#pragma once
// Levels: the 504x350 pixel block in its three file forms and the level bitmap through which
// levels are painted in ordinary paint programs.
#include "core/base/places.h"
#include "core/gamefile/game_file.h"
#include "core/gamefile/resource_file.h"

#include <cstdint>
#include <span>
#include <string>

namespace quorvex {

inline constexpr std::uint32_t LevelWidth = 504;
inline constexpr std::uint32_t LevelHeight = 350;
inline constexpr std::uint32_t LevelPixelsSize = places::LevelSmallestSize;
inline constexpr std::uint32_t LevelWithTailSize = 176402;
inline constexpr std::uint32_t PowerlevelSize = 177178;
inline constexpr std::uint32_t Powerlevel2Size = places::LevelLargestSize;
inline constexpr std::uint32_t LevelMarkerAt = 176400;    // 10 bytes, "POWERLEVEL" or "POWERLEVL2"
inline constexpr std::uint32_t LevelMarkerSize = 10;
inline constexpr std::uint32_t LevelPaletteAt = 176410;   // 768 bytes, 6-bit red, green, blue
inline constexpr std::uint32_t LevelMaterialsAt = 177178; // 160 bytes, as torlo.exe holds them

inline constexpr std::uint32_t LevelBitmapSize = 177478;
inline constexpr std::uint32_t LevelBitmapWithTailSize = 177480;
inline constexpr std::uint32_t LevelBitmap24Size = 529254;   // 24-bit level picture: shown, not read

enum class LevelForm { NotALevel, Plain, PlainWithTail, Powerlevel, Powerlevel2 };

// The form by size alone; markers are tested only where a reader asks for it.
LevelForm levelForm(std::uint64_t size);
// The sizes of the level forms, for messages: "176400, 176402, 177178 or 177338".
std::string levelSizesText();
// "POWERLEV", then "E" or "L", then "L" or "2" (what the preview accepts).
bool hasAnyPowerlevelMarker(std::span<const std::uint8_t> level);
// Exactly "POWERLEVEL" (what conversion to a bitmap accepts).
bool hasPowerlevelMarker(std::span<const std::uint8_t> level);

bool isLevelBitmapSize(std::uint64_t size);
// True when bytes start with an uncompressed 504x350 bitmap header of 8 or 24 bits per pixel
// whose pixels lie inside the file: what the level picture can show.
bool hasLevelBitmapHeader(std::span<const std::uint8_t> bytes);

// Level to bitmap: the level header of quorvex.dat, the given 1024-byte colour table, then the
// first 176400 level bytes bottom-up. level must hold at least 176400 bytes.
Bytes levelToBitmap(std::span<const std::uint8_t> level, std::span<const std::uint8_t> colourTable,
                    const ResourceFile& resources);

// Bitmap to level: the 176400 pixels after the first 1078 bytes, rows turned top-down; with
// createPowerlevel followed by "POWERLEVEL" and the colour table divided by 4 (177178 bytes).
// bitmap must hold at least 177478 bytes.
Bytes bitmapToLevel(std::span<const std::uint8_t> bitmap, bool createPowerlevel);

} // namespace quorvex
