#include "core/text/cp437.h"
#include "core/text/utf8.h"

#include <gtest/gtest.h>

namespace quorvex {

TEST(Cp437Test, EveryByteComesBackUnchanged)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(encodeCp437(decodeCp437(all)), all);
}

// The upper half of the code page as the DOS character set draws it, sixteen to a row from 0x80
// (the last is the no-break space).
constexpr std::u32string_view UpperHalf[8] = {
    U"ÇüéâäàåçêëèïîìÄÅ", U"ÉæÆôöòûùÿÖÜ¢£¥₧ƒ", U"áíóúñÑªº¿⌐¬½¼¡«»", U"░▒▓│┤╡╢╖╕╣║╗╝╜╛┐",
    U"└┴┬├─┼╞╟╚╔╩╦╠═╬╧", U"╨╤╥╙╘╒╓╫╪┘┌█▄▌▐▀", U"αßΓπΣσµτΦΘΩδ∞φε∩", U"≡±≥≤⌠⌡÷≈°∙·√ⁿ²■\u00A0",
};

TEST(Cp437Test, EveryByteFrom0x80IsItsDosCharacterBothWays)
{
    std::u32string characters;
    for (const auto row : UpperHalf) {
        ASSERT_EQ(row.size(), 16u);
        characters += row;
    }
    std::string bytes;
    for (int b = 0x80; b <= 0xFF; ++b) {
        const char32_t c = characters[static_cast<std::size_t>(b - 0x80)];
        EXPECT_EQ(cp437ToUnicode(static_cast<std::uint8_t>(b)), c) << std::hex << b;
        EXPECT_EQ(unicodeToCp437(c), b) << std::hex << b;
        bytes += static_cast<char>(b);
    }
    EXPECT_EQ(decodeCp437(bytes), characters);
    EXPECT_EQ(encodeCp437(characters), bytes);
}

TEST(Cp437Test, ShowsTheDosGlyphsBelow0x80)
{
    EXPECT_EQ(cp437ToUnicode(0x01), U'☺');
    EXPECT_EQ(cp437ToUnicode(0x1F), U'▼');
    EXPECT_EQ(cp437ToUnicode(0x7F), U'⌂');
    EXPECT_EQ(cp437ToUnicode(0x00), U'␀');
    EXPECT_EQ(cp437ToUnicode('A'), U'A');
}

TEST(Cp437Test, RefusesWhatTheGameCannotHold)
{
    EXPECT_EQ(unicodeToCp437(U'€'), std::nullopt);
    EXPECT_EQ(unicodeToCp437(U'\t'), std::nullopt);   // only its screen glyph stands for byte 9
    EXPECT_EQ(unicodeToCp437(U'○'), 0x09);
    try {
        encodeCp437(U"Bazooka€");
        FAIL() << "no error for a character outside the code page";
    } catch (const CharacterError& error) {
        EXPECT_EQ(error.character, U'€');
        EXPECT_NE(std::string(error.what()).find("€"), std::string::npos);
    }
}

TEST(Cp437Test, TakesUtf8ArgumentsAndRefusesMalformedOnes)
{
    EXPECT_EQ(utf8ToCp437("Gr\xC3\xBC\xC3\x9F \xE2\x98\xBA"), "Gr\x81\xE1 \x01");   // Grüß ☺
    EXPECT_EQ(utf8ToCp437(""), "");
    const std::pair<std::string, std::string> malformed[] = {
        {"ab\xFF", "at byte 3"},             // no lead byte
        {"\x80", "at byte 1"},               // a continuation byte alone
        {"x\xC3", "at byte 2"},              // cut short at the end
        {"\xC3(", "at byte 1"},              // cut short by another character
        {"\xC0\xAF", "at byte 1"},          // overlong '/'
        {"\xE0\x80\xAF", "at byte 1"},      // overlong, three bytes
        {"\xED\xA0\x80", "at byte 1"},      // a surrogate
        {"\xF4\x90\x80\x80", "at byte 1"},  // beyond U+10FFFF
    };
    for (const auto& [text, where] : malformed) {
        try {
            utf8ToCp437(text);
            ADD_FAILURE() << "no error for " << where;
        } catch (const Utf8Error& error) {
            EXPECT_EQ(std::string(error.what()), "The text is not valid UTF-8 (" + where + ")");
        }
    }
    EXPECT_THROW(utf8ToCp437("\xE2\x82\xAC"), CharacterError);   // valid, but € has no byte
    EXPECT_EQ(decodeUtf8("\xF0\x9F\x98\x80\xEF\xBF\xBF"), U"\U0001F600\uFFFF");
}

} // namespace quorvex
