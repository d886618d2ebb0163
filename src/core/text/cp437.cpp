#include "core/text/cp437.h"
#include "core/text/utf8.h"

#include <algorithm>
#include <array>

namespace quorvex {

namespace {

// 0x00 as the "null" symbol, 0x01-0x1F and 0x7F as the DOS screen glyphs, 0x80-0xFF as the
// code page's letters and box drawing; ASCII stays itself.
constexpr std::array<char32_t, 256> makeTable()
{
    std::array<char32_t, 256> table{};
    for (char32_t c = 0x20; c < 0x7F; ++c)
        table[c] = c;
    constexpr char32_t low[32] = {
        0x2400, 0x263A, 0x263B, 0x2665, 0x2666, 0x2663, 0x2660, 0x2022, 0x25D8, 0x25CB, 0x25D9,
        0x2642, 0x2640, 0x266A, 0x266B, 0x263C, 0x25BA, 0x25C4, 0x2195, 0x203C, 0x00B6, 0x00A7,
        0x25AC, 0x21A8, 0x2191, 0x2193, 0x2192, 0x2190, 0x221F, 0x2194, 0x25B2, 0x25BC};
    constexpr char32_t high[128] = {
        0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,
        0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192,
        0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
        0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,
        0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,
        0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
        0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, 0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,
        0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0};
    for (int i = 0; i < 32; ++i)
        table[i] = low[i];
    table[0x7F] = 0x2302;
    for (int i = 0; i < 128; ++i)
        table[0x80 + i] = high[i];
    return table;
}

constexpr auto Table = makeTable();

constexpr bool everyCharacterOnce()
{
    for (std::size_t i = 0; i < Table.size(); ++i)
        for (std::size_t j = i + 1; j < Table.size(); ++j)
            if (Table[i] == Table[j] || Table[i] == 0)
                return false;
    return true;
}
static_assert(everyCharacterOnce(), "the code page must map each byte to its own character");

// The table sorted by character, for the way back.
struct Reverse {
    std::array<std::pair<char32_t, std::uint8_t>, 256> entries{};
    constexpr Reverse()
    {
        for (std::size_t i = 0; i < 256; ++i)
            entries[i] = {Table[i], static_cast<std::uint8_t>(i)};
        std::sort(entries.begin(), entries.end());
    }
};
constexpr Reverse Back;

std::string utf8(char32_t c)
{
    std::string text;
    appendUtf8(text, c);
    return text;
}

} // namespace

CharacterError::CharacterError(char32_t c)
    : std::runtime_error("The character \"" + utf8(c) + "\" cannot be stored in the game's character set (code page 437)"),
      character(c)
{
}

char32_t cp437ToUnicode(std::uint8_t byte)
{
    return Table[byte];
}

std::optional<std::uint8_t> unicodeToCp437(char32_t character)
{
    const auto& e = Back.entries;
    const auto it = std::lower_bound(e.begin(), e.end(), std::pair<char32_t, std::uint8_t>{character, 0});
    if (it == e.end() || it->first != character)
        return std::nullopt;
    return it->second;
}

std::u32string decodeCp437(std::string_view bytes)
{
    std::u32string text;
    text.reserve(bytes.size());
    for (const char b : bytes)
        text += cp437ToUnicode(static_cast<std::uint8_t>(b));
    return text;
}

std::string cp437ToUtf8(std::string_view bytes)
{
    std::string text;
    for (const char b : bytes)
        appendUtf8(text, cp437ToUnicode(static_cast<std::uint8_t>(b)));
    return text;
}

std::string encodeCp437(std::u32string_view text)
{
    std::string bytes;
    bytes.reserve(text.size());
    for (const char32_t c : text) {
        const auto byte = unicodeToCp437(c);
        if (!byte)
            throw CharacterError(c);
        bytes += static_cast<char>(*byte);
    }
    return bytes;
}

std::string utf8ToCp437(std::string_view text)
{
    return encodeCp437(decodeUtf8(text));
}

} // namespace quorvex
