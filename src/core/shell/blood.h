#pragma once
// The amount of blood, a 32-bit number at offset 14 of torlo.dat.
#include "core/base/workspace.h"
#include "core/base/outcome.h"

#include <cstdint>

namespace quorvex {

inline constexpr std::int32_t BloodMaximum = 32750;
inline constexpr std::int32_t BloodStep = 25;

// The amount the game is given for a typed number: its absolute value, at most 32750, rounded
// down to a multiple of 25.
std::int32_t bloodAmount(std::int32_t typed);

// Writes bloodAmount(typed) into torlo.dat. The status text is the amount written. Refused,
// with the message for an error box, when torlo.dat is missing, too short to hold the amount
// (it is never grown), or cannot be opened or written.
Outcome setBlood(const Workspace& workspace, std::int32_t typed);

} // namespace quorvex
