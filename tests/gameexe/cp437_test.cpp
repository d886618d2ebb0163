#include "gameexe/cp437.h"

#include <gtest/gtest.h>

namespace quorvex {

TEST(Cp437Test, EveryByteComesBackUnchanged)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(encodeCp437(decodeCp437(all)), all);
}

TEST(Cp437Test, ShowsTheDosCharactersAndGlyphs)
{
    EXPECT_EQ(cp437ToUnicode(0xE1), U'ß');
    EXPECT_EQ(cp437ToUnicode(0x81), U'ü');
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

} // namespace quorvex
