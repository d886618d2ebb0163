#pragma once
// SHA-256 of a block of bytes, as 64 lower-case hex digits: the names of the store's entries.
// The core links no library that has one (Qt's QCryptographicHash is above it).
#include <cstdint>
#include <span>
#include <string>

namespace quorvex {

// With the processor's SHA instructions where it has them.
std::string sha256Hex(std::span<const std::uint8_t> bytes);
// Without them, on every processor: the tests compare the two.
std::string sha256HexPortable(std::span<const std::uint8_t> bytes);

} // namespace quorvex
