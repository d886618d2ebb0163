#pragma once
// UTF-8, the encoding of the program's own texts, command lines and settings: both ways, and
// strict, so that a malformed text is refused instead of turning into other characters.
#include <stdexcept>
#include <string>
#include <string_view>

namespace quorvex {

// A text that is not valid UTF-8; its text says at which byte.
class Utf8Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

void appendUtf8(std::string& out, char32_t character);

// Throws Utf8Error for a truncated or overlong sequence, a stray continuation byte, a
// surrogate or a value beyond U+10FFFF.
std::u32string decodeUtf8(std::string_view text);

} // namespace quorvex
