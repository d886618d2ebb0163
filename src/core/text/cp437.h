#pragma once
// The game's character set, code page 437 (the DOS one): one 256-entry table used both ways,
// so that every byte value survives a trip through the user interface unchanged.
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace quorvex {

// A character that the game's character set cannot hold; its text names the character.
class CharacterError : public std::runtime_error {
public:
    explicit CharacterError(char32_t character);
    char32_t character;
};

char32_t cp437ToUnicode(std::uint8_t byte);
std::optional<std::uint8_t> unicodeToCp437(char32_t character);

std::u32string decodeCp437(std::string_view bytes);
// Game text as UTF-8, for messages and status texts that quote it.
std::string cp437ToUtf8(std::string_view bytes);
// Throws CharacterError for the first character that has no byte.
std::string encodeCp437(std::u32string_view text);
// A UTF-8 text (a command line argument, a setting) as game text: Utf8Error for malformed
// UTF-8, CharacterError for the first character that has no byte.
std::string utf8ToCp437(std::string_view text);

} // namespace quorvex
