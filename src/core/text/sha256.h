#pragma once
// SHA-256 of a block of bytes, as 64 lower-case hex digits: the names of the store's entries.
// The core links no library that has one (Qt's QCryptographicHash is above it).
#include <cstdint>
#include <span>
#include <string>

namespace quorvex {

std::string sha256Hex(std::span<const std::uint8_t> bytes);

} // namespace quorvex
