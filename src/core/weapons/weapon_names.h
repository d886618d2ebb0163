#pragma once
// The 40 weapon name slots: a length byte and up to 13 characters in 14 bytes.
#include "core/gamefile/game_file.h"

#include <array>
#include <string>

namespace quorvex {

using WeaponNames = std::array<std::string, 40>;

// The stored characters cut at the first "~", never more than 13 of them.
std::string decodeWeaponName(std::span<const std::uint8_t> slot);
// Length byte, the name (upper-cased and cut to 13 by the caller), then zero bytes.
std::array<std::uint8_t, 14> encodeWeaponName(const std::string& name);

std::string readWeaponName(GameFile& exe, int slot);
WeaponNames readWeaponNames(GameFile& exe);
void writeWeaponName(GameFile& exe, int slot, const std::string& name);

} // namespace quorvex
