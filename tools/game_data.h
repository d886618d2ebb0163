#pragma once
// The game's own defaults, embedded from data/ at build time: the default palette (6-bit),
// the default materials and the weapon names. Used by the build tools, the demo game and tests.
#include "core/gamefile/resource_file.h"

#include <array>
#include <string>

namespace quorvex::gamedata {

Palette defaultPalette6();
// Five bit sets of 32 bytes as torlo.exe holds them at the materials place.
std::array<std::uint8_t, 160> defaultMaterials();
std::array<std::string, 40> weaponNames();

} // namespace quorvex::gamedata
