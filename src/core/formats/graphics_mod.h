#pragma once
// Graphics mods (.CHR): the sprite data and the 16x2790 graphics picture built from it, and the
// way back from a painted picture to a .CHR file.
#include "core/gamefile/game_file.h"
#include "core/gamefile/resource_file.h"
#include "core/base/workspace.h"
#include "core/base/outcome.h"

namespace quorvex {

inline constexpr std::uint32_t GraphicsPictureWidth = 16;
inline constexpr std::uint32_t GraphicsPictureHeight = 2790;
inline constexpr std::uint32_t GraphicsPictureSize = 45718;
// The colour that shows pixel value 0 in a graphics picture, whatever the palette says.
inline constexpr Rgb PixelZeroColour{255, 64, 128};
inline constexpr std::uint32_t GraphicsPictureWithTailSize = 45720;
inline constexpr std::uint32_t ChrHeaderSize = 10;
inline constexpr std::uint32_t ChrGraphicsEnd = 35016;   // the picture holds bytes 10 to 35015

// The graphics picture of a .CHR file of at least 35028 bytes (only the first 35016 are read).
Bytes buildGraphicsPicture(std::span<const std::uint8_t> chr, const ResourceFile& resources);

// A graphics bitmap is recognised by its size alone.
bool isGraphicsBitmapSize(std::uint64_t size);

// The exact inverse of buildGraphicsPicture: every byte the picture holds goes back to its
// offset. The 10 header bytes and bytes 35016 to 35027 come from gameChr when it holds at least
// 35028 bytes, else the header is "TORLO", 0, 2, 16, 16, 110 and the rest 0. Always 35028
// bytes. picture must hold at least 45718 bytes.
Bytes graphicsPictureToChr(std::span<const std::uint8_t> picture, std::span<const std::uint8_t> gameChr);

// Start-up: weapon.bmp in the data folder from the game's TORLO.CHR. A missing file raises the
// file error; a short one gives the status text and writes nothing.
Outcome buildWeaponBitmap(const Workspace& workspace);

} // namespace quorvex
