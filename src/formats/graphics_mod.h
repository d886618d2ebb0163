#pragma once
// Graphics mods (.CHR): the sprite data and the 16x2790 graphics picture built from it.
#include "gameexe/game_file.h"
#include "gameexe/resource_file.h"
#include "gameexe/workspace.h"
#include "shell/outcome.h"

namespace quorvex {

inline constexpr std::uint32_t GraphicsPictureWidth = 16;
inline constexpr std::uint32_t GraphicsPictureHeight = 2790;
inline constexpr std::uint32_t GraphicsPictureSize = 45718;

// The graphics picture of a .CHR file of at least 35028 bytes (only the first 35016 are read).
Bytes buildGraphicsPicture(std::span<const std::uint8_t> chr, const ResourceFile& resources);

// Start-up: weapon.bmp in the data folder from the game's TORLO.CHR. A missing file raises the
// file error; a short one gives the status text and writes nothing.
Outcome buildWeaponBitmap(const Workspace& workspace);

} // namespace quorvex
