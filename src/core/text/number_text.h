#pragma once
// Number texts as the editors type them.
#include <cstdint>
#include <optional>
#include <string_view>

namespace quorvex {

// Optional leading blanks, optional sign, decimal digits or hexadecimal with "$" or "0x",
// within the signed 32-bit range; anything else throws ConvertError naming the text.
std::int32_t strToInt(std::string_view text);
std::optional<std::int32_t> tryStrToInt(std::string_view text);

// The value of the leading sign and digits, 0 when there are none; clamped to the 32-bit range.
std::int32_t lenientInt(std::string_view text);
// The same within the 64-bit range, so that an unsigned 32-bit number keeps its value.
std::int64_t lenientInt64(std::string_view text);

} // namespace quorvex
