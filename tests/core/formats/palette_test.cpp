#include "core/formats/palette.h"
#include "bitmap_view.h"
#include "core/base/errors.h"
#include "core/base/places.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace quorvex {
namespace {

std::vector<std::uint8_t> bytesOf(const std::string& text)
{
    return {text.begin(), text.end()};
}

std::string textPalette(const std::string& firstLines, const std::string& colourLine, int lines = 256)
{
    std::string text = firstLines;
    for (int i = 0; i < lines; ++i)
        text += colourLine + "\r\n";
    return text;
}

TEST(PaletteValues, SixToEightBitAndBackAreTheOnlyRules)
{
    EXPECT_EQ(to8Bit(63), 252);
    EXPECT_EQ(to8Bit(0), 0);
    for (int c : {252, 253, 254, 255})
        EXPECT_EQ(to6Bit(static_cast<std::uint8_t>(c)), 63);
    EXPECT_EQ(to6Bit(3), 0);
    for (int v = 0; v < 64; ++v)
        EXPECT_EQ(to6Bit(to8Bit(static_cast<std::uint8_t>(v))), v);
}

TEST(WordReader, SplitsAtEverySeparatorAndCountsItsOwnWords)
{
    WordReader words;
    const std::string line = "  10,,20;#30";
    EXPECT_EQ(words.first(line), "10");
    EXPECT_EQ(words.next(line), "20");
    EXPECT_EQ(words.next(line), "30");
    EXPECT_EQ(words.next(line), "");   // past the last word: empty, never beyond the line
    EXPECT_EQ(words.first(""), "");

    // first() starts the count again; two readers do not share it.
    WordReader other;
    EXPECT_EQ(words.first("a b c"), "a");
    EXPECT_EQ(other.first("x y"), "x");
    EXPECT_EQ(words.next("a b c"), "b");
    EXPECT_EQ(other.next("x y"), "y");
}

TEST(WordReader, QuotedWordsHoldSeparatorsWhenSteppedOver)
{
    WordReader words;
    const std::string line = "\"a b,c\" next";
    EXPECT_EQ(words.first(line), "\"a");
    EXPECT_EQ(words.next(line), "next");
    // An unclosed quotation runs to the end of the line.
    EXPECT_EQ(words.first("\"open and"), "\"open");
    EXPECT_EQ(words.next("\"open and"), "");
}

TEST(TextPalette, ReadsHeaderAndColourLines)
{
    const auto text = bytesOf(textPalette("JASC-PAL\r\n0100\r\n256\r\n", "255,0;#128"));
    ASSERT_TRUE(hasTextPaletteHeader(text));
    const auto palette = readTextPalette(text);
    ASSERT_TRUE(palette);
    EXPECT_EQ(palette->colours[0], (Rgb{255, 0, 128}));
    EXPECT_EQ(palette->fourth[200], 200);

    const auto leadingSpace = readTextPalette(bytesOf(textPalette("JASC-PAL\n0100\n256\n", " 7 8 9")));
    ASSERT_TRUE(leadingSpace);
    EXPECT_EQ(leadingSpace->colours[255], (Rgb{7, 8, 9}));

    // Numbers are cut to their low 8 bits.
    const auto big = readTextPalette(bytesOf(textPalette("JASC-PAL\r\n0100\r\n256\r\n", "256 300 -1")));
    ASSERT_TRUE(big);
    EXPECT_EQ(big->colours[3], (Rgb{0, 44, 255}));
}

TEST(TextPalette, WrongHeaderIsNoTextPalette)
{
    EXPECT_FALSE(readTextPalette(bytesOf(textPalette("JASC-PAL\r\n100\r\n256\r\n", "1 2 3"))));
    EXPECT_FALSE(readTextPalette(bytesOf(textPalette("jasc-pal\r\n0100\r\n256\r\n", "1 2 3"))));
    EXPECT_FALSE(readTextPalette(bytesOf("")));
}

TEST(TextPalette, BadOrMissingNumbersRaiseTheConversionError)
{
    try {
        readTextPalette(bytesOf(textPalette("JASC-PAL\r\n0100\r\n256\r\n", "1 x 3")));
        FAIL() << "no error";
    } catch (const ConvertError& error) {
        EXPECT_STREQ(error.what(), "'x' is not a valid integer value");
    }
    try {
        readTextPalette(bytesOf(textPalette("JASC-PAL\r\n0100\r\n256\r\n", "1 2 3", 255)));
        FAIL() << "no error";
    } catch (const ConvertError& error) {
        EXPECT_STREQ(error.what(), "'' is not a valid integer value");
    }
}

TEST(PaletteBitmap, RawPaletteGivesTheSixteenBySixteenGrid)
{
    test::DemoGame demo;
    const ResourceFile resources(demo.workspace.resourceFile);
    std::vector<std::uint8_t> raw(RawPaletteSize);
    for (std::size_t i = 0; i < raw.size(); ++i)
        raw[i] = static_cast<std::uint8_t>(i * 7);
    const auto bitmap = buildPaletteBitmap(readRawPalette(raw), resources);
    ASSERT_EQ(bitmap.size(), PaletteBitmapSize);
    const test::BitmapView view{bitmap};
    view.expectShape(16, 16);
    EXPECT_EQ(view.index(0, 0), 0);
    EXPECT_EQ(view.index(15, 0), 15);
    EXPECT_EQ(view.index(0, 1), 16);
    EXPECT_EQ(view.index(15, 15), 255);
    EXPECT_EQ(view.fourth(5), 5);
    // Raw colours go in as they are, without scaling.
    EXPECT_EQ(view.colour(5, 0), (Rgb{raw[15], raw[16], raw[17]}));
}

TEST(PaletteBitmap, RiffFlagsBecomeTheFourthBytes)
{
    test::DemoGame demo;
    std::vector<std::uint8_t> riff(RiffPaletteSize, 0);
    for (int i = 0; i < 256; ++i) {
        riff[24 + 4 * i] = static_cast<std::uint8_t>(i);
        riff[24 + 4 * i + 1] = 10;
        riff[24 + 4 * i + 2] = 20;
        riff[24 + 4 * i + 3] = static_cast<std::uint8_t>(255 - i);
    }
    const auto bitmap = buildPaletteBitmap(readRiffPalette(riff), ResourceFile(demo.workspace.resourceFile));
    const test::BitmapView view{bitmap};
    EXPECT_EQ(view.fourth(0), 255);
    EXPECT_EQ(view.fourth(200), 55);
    EXPECT_EQ(view.colour(3, 2), (Rgb{35, 10, 20}));
}

TEST(PaletteExport, SixtyThreeBecomesTwoFiftyTwoInBothForms)
{
    std::vector<std::uint8_t> game6(RawPaletteSize, 63);
    game6[0] = 1;
    const auto raw = rawPaletteFromGame(game6);
    EXPECT_EQ(raw[0], 4);
    EXPECT_EQ(raw[767], 252);
    const auto text = textPaletteFromGame(game6);
    EXPECT_EQ(text.substr(0, 35), "JASC-PAL\r\n0100\r\n256\r\n4 252 252\r\n252");
    // What is exported reads back as the same game palette.
    const auto back = readTextPalette(std::vector<std::uint8_t>(text.begin(), text.end()));
    ASSERT_TRUE(back);
    const auto again = paletteTo6Bit(back->colours);
    EXPECT_TRUE(std::equal(again.begin(), again.end(), game6.begin()));
}

TEST(WorkingPalette, LoadsTheGamePaletteInEightBitForm)
{
    test::DemoGame demo;
    auto exe = test::readBytes(demo.workspace.torloExe());
    exe[places::GamePalette + 3] = 63;
    exe[places::GamePalette + 4] = 1;
    test::writeBytes(demo.workspace.torloExe(), exe);
    const auto palette = loadPalette(demo.workspace);
    EXPECT_EQ(palette[1].red, 252);
    EXPECT_EQ(palette[1].green, 4);
}

} // namespace
} // namespace quorvex
