// Code page 437, the game's character set: any bytes decode and encode back to themselves, and
// their UTF-8 form is valid and says the same. Any text (the input read as UTF-32) either
// encodes to bytes that decode back to it, or is refused naming a character the page lacks.
#include "fuzz_support.h"
#include "core/text/cp437.h"
#include "core/text/utf8.h"

#include <iconv.h>

#include <cstring>
#include <optional>
#include <string>

using namespace quorvex;

namespace {

// UTF-8 to UTF-32 through the C library's converter; nothing when the text is not valid UTF-8.
std::optional<std::u32string> fromUtf8(std::string text)
{
    static const iconv_t converter = iconv_open("UTF-32LE", "UTF-8");
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    std::u32string out(text.size(), U'\0');
    char* in = text.data();
    auto* to = reinterpret_cast<char*>(out.data());
    std::size_t inLeft = text.size(), outLeft = out.size() * sizeof(char32_t);
    if (iconv(converter, &in, &inLeft, &to, &outLeft) == static_cast<std::size_t>(-1))
        return std::nullopt;
    out.resize(out.size() - outLeft / sizeof(char32_t));
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const auto text = decodeCp437(bytes);
    fuzz::check(text.size() == bytes.size(), "one character a byte");
    fuzz::check(encodeCp437(text) == bytes, "decode then encode gives the bytes back");
    fuzz::check(fromUtf8(cp437ToUtf8(bytes)) == text, "the UTF-8 form is valid and holds the same characters");
    for (std::size_t i = 0; i < size; ++i)
        fuzz::check(unicodeToCp437(text[i]) == data[i], "each character stands for its byte");

    // The strict UTF-8 decoder agrees with the C library's.
    std::optional<std::u32string> strict;
    try {
        strict = decodeUtf8(bytes);
    } catch (const Utf8Error&) {
    }
    fuzz::check(strict == fromUtf8(bytes), "UTF-8 is refused exactly where the C library refuses it");

    std::u32string typed(size / 4, U'\0');
    std::memcpy(typed.data(), data, typed.size() * 4);
    try {
        const auto encoded = encodeCp437(typed);
        fuzz::check(decodeCp437(encoded) == typed, "an encoded text decodes back to itself");
    } catch (const CharacterError& error) {
        fuzz::check(typed.find(error.character) != std::u32string::npos && !unicodeToCp437(error.character),
                    "a refusal names a character of the text that the page lacks");
    }
    return 0;
}
