#include "core/formats/level.h"
#include "core/formats/palette.h"
#include "bitmap_view.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstring>

namespace quorvex {
namespace {

Bytes patternedLevel(std::size_t size)
{
    Bytes level(size);
    for (std::size_t i = 0; i < LevelPixelsSize; ++i)
        level[i] = static_cast<std::uint8_t>((i / LevelWidth) * 3 + (i % LevelWidth) * 7);
    return level;
}

Bytes powerlevel(const char* marker)
{
    auto level = patternedLevel(PowerlevelSize);
    std::memcpy(&level[LevelMarkerAt], marker, LevelMarkerSize);
    for (std::size_t i = 0; i < 768; ++i)
        level[LevelPaletteAt + i] = static_cast<std::uint8_t>(i % 64);
    return level;
}

class LevelTest : public ::testing::Test {
protected:
    test::DemoGame demo;
    ResourceFile resources{demo.workspace.resourceFile};
};

TEST(LevelForms, SizeDecidesTheForm)
{
    EXPECT_EQ(levelForm(176400), LevelForm::Plain);
    EXPECT_EQ(levelForm(176402), LevelForm::PlainWithTail);
    EXPECT_EQ(levelForm(177178), LevelForm::Powerlevel);
    EXPECT_EQ(levelForm(177338), LevelForm::Powerlevel2);
    for (std::uint64_t size : {0ull, 176399ull, 176401ull, 177179ull, 177478ull})
        EXPECT_EQ(levelForm(size), LevelForm::NotALevel) << size;
    EXPECT_TRUE(isLevelBitmapSize(177478));
    EXPECT_TRUE(isLevelBitmapSize(177480));
    EXPECT_FALSE(isLevelBitmapSize(177479));
    EXPECT_FALSE(isLevelBitmapSize(529254));
}

TEST(LevelForms, MarkersAcceptedByPreviewAndByConversion)
{
    EXPECT_TRUE(hasPowerlevelMarker(powerlevel("POWERLEVEL")));
    EXPECT_FALSE(hasPowerlevelMarker(powerlevel("POWERLEVL2")));
    for (const char* marker : {"POWERLEVEL", "POWERLEVL2", "POWERLEVE2", "POWERLEVLL"})
        EXPECT_TRUE(hasAnyPowerlevelMarker(powerlevel(marker))) << marker;
    for (const char* marker : {"POWERLEVXL", "POWERLEVEX", "powerlevel", "POWERLAVEL"})
        EXPECT_FALSE(hasAnyPowerlevelMarker(powerlevel(marker))) << marker;
    EXPECT_FALSE(hasAnyPowerlevelMarker(patternedLevel(LevelPixelsSize)));
}

TEST_F(LevelTest, LevelToBitmapPutsTheFirstRowOnTop)
{
    const auto level = patternedLevel(LevelPixelsSize);
    const auto bitmap = levelToBitmap(level, resources.defaultColourTable(), resources);
    ASSERT_EQ(bitmap.size(), LevelBitmapSize);
    const test::BitmapView view{bitmap};
    view.expectShape(504, 350);
    for (auto [x, y] : {std::pair{0, 0}, {503, 0}, {17, 200}, {503, 349}})
        EXPECT_EQ(view.index(x, y), level[y * LevelWidth + x]);
    EXPECT_EQ(view.colour(0, 0), resources.defaultColour(level[0]));
}

TEST_F(LevelTest, TailBytesAreNeverShown)
{
    auto plain = patternedLevel(LevelPixelsSize);
    auto tail = plain;
    tail.insert(tail.end(), {0xAA, 0xBB});
    EXPECT_EQ(levelToBitmap(plain, resources.defaultColourTable(), resources),
              levelToBitmap(tail, resources.defaultColourTable(), resources));
}

TEST_F(LevelTest, LevelToBitmapToLevelGivesThePixelsBack)
{
    const auto level = powerlevel("POWERLEVEL");
    const auto bitmap = levelToBitmap(level, resources.defaultColourTable(), resources);
    const auto plain = bitmapToLevel(bitmap, false);
    ASSERT_EQ(plain.size(), LevelPixelsSize);
    EXPECT_TRUE(std::equal(plain.begin(), plain.end(), level.begin()));
    // And again from the level bitmap it came from: the same bytes.
    EXPECT_EQ(bitmapToLevel(levelToBitmap(plain, resources.defaultColourTable(), resources), false), plain);
}

TEST_F(LevelTest, PowerlevelKeepsItsPaletteThroughABitmap)
{
    const auto level = powerlevel("POWERLEVEL");
    const auto table = colourTableFrom6Bit(std::span(level).subspan(LevelPaletteAt, 768));
    const auto bitmap = levelToBitmap(level, table, resources);
    const test::BitmapView view{bitmap};
    EXPECT_EQ(view.fourth(77), 77);
    EXPECT_EQ(bitmap[54 + 4 * 1 + 2], 4 * level[LevelPaletteAt + 3]);   // red of entry 1 times 4
    EXPECT_EQ(bitmapToLevel(bitmap, true), level);
}

TEST_F(LevelTest, BitmapColoursBecomeThePowerlevelPaletteDividedByFour)
{
    auto bitmap = levelToBitmap(patternedLevel(LevelPixelsSize), resources.defaultColourTable(), resources);
    bitmap[54 + 4 * 9] = 255;       // blue of entry 9
    bitmap[54 + 4 * 9 + 1] = 3;     // green
    bitmap[54 + 4 * 9 + 2] = 130;   // red
    bitmap.insert(bitmap.end(), {1, 2});   // a 177480-byte bitmap reads the same
    const auto level = bitmapToLevel(bitmap, true);
    ASSERT_EQ(level.size(), PowerlevelSize);
    EXPECT_EQ(std::string(level.begin() + LevelMarkerAt, level.begin() + LevelMarkerAt + 10), "POWERLEVEL");
    EXPECT_EQ(level[LevelPaletteAt + 27], 32);
    EXPECT_EQ(level[LevelPaletteAt + 28], 0);
    EXPECT_EQ(level[LevelPaletteAt + 29], 63);
}

} // namespace
} // namespace quorvex
