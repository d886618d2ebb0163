#include "core/formats/graphics_mod.h"
#include "bitmap_view.h"
#include "demo_game.h"
#include "core/base/places.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace quorvex {
namespace {

Bytes numberedChr(std::size_t size = places::ChrMinimumSize)
{
    Bytes chr(size);
    for (std::size_t i = 0; i < size; ++i)
        chr[i] = static_cast<std::uint8_t>(i * 13 + i / 251);
    return chr;
}

class GraphicsModTest : public ::testing::Test {
protected:
    test::DemoGame demo;
    ResourceFile resources{demo.workspace.resourceFile};
};

TEST_F(GraphicsModTest, PictureRowsHoldTheSpriteBandsAndSeparators)
{
    const auto chr = numberedChr();
    const auto picture = buildGraphicsPicture(chr, resources);
    ASSERT_EQ(picture.size(), GraphicsPictureSize);
    const test::BitmapView view{picture};
    view.expectShape(16, 2790);
    EXPECT_EQ(view.colour(0, 0).red, chr[10] == 0 ? 255 : resources.defaultColour(chr[10]).red);
    EXPECT_EQ(view.index(15, 1759), chr[10 + 1759 * 16 + 15]);
    for (int c = 0; c < 16; ++c)
        EXPECT_EQ(view.index(c, 1760), c >= 3 && c <= 6 ? chr[28170 + c - 3] : 0) << c;
    EXPECT_EQ(view.index(0, 1761), chr[28174]);
    EXPECT_EQ(view.index(6, 2669), chr[28174 + 908 * 7 + 6]);
    EXPECT_EQ(view.index(7, 2669), 0);
    for (int c = 0; c < 16; ++c)
        EXPECT_EQ(view.index(c, 2670), c >= 1 && c <= 3 ? chr[34537 + c - 1] : 0) << c;
    EXPECT_EQ(view.index(3, 2789), chr[35015]);
    EXPECT_EQ(view.index(4, 2789), 0);
    // Pixel value 0 shows pink whatever the palette says.
    EXPECT_EQ(Rgb({picture[56], picture[55], picture[54]}), (Rgb{255, 64, 128}));
}

TEST_F(GraphicsModTest, BytesAfterTheGraphicsBlockPlayNoPart)
{
    auto a = numberedChr(40000);
    auto b = a;
    for (std::size_t i = 35016; i < b.size(); ++i)
        b[i] ^= 0xFF;
    EXPECT_EQ(buildGraphicsPicture(a, resources), buildGraphicsPicture(b, resources));
}

TEST_F(GraphicsModTest, PictureGoesBackToTheSameChrWithTheGamesFile)
{
    const auto chr = numberedChr();
    const auto back = graphicsPictureToChr(buildGraphicsPicture(chr, resources), chr);
    EXPECT_EQ(back, chr);
}

TEST_F(GraphicsModTest, WithoutTheGamesFileTheStandardHeaderIsUsed)
{
    const auto chr = numberedChr();
    auto picture = buildGraphicsPicture(chr, resources);
    picture.insert(picture.end(), {9, 9});   // 45720 bytes read alike
    const auto back = graphicsPictureToChr(picture, Bytes(35027, 1));
    ASSERT_EQ(back.size(), places::ChrMinimumSize);
    const Bytes header{'T', 'O', 'R', 'L', 'O', 0, 2, 16, 16, 110};
    EXPECT_TRUE(std::equal(header.begin(), header.end(), back.begin()));
    EXPECT_TRUE(std::equal(back.begin() + 10, back.begin() + 35016, chr.begin() + 10));
    EXPECT_TRUE(std::all_of(back.begin() + 35016, back.end(), [](auto b) { return b == 0; }));
}

TEST_F(GraphicsModTest, PaintedPixelsLandAtTheirChrOffsets)
{
    auto picture = buildGraphicsPicture(numberedChr(), resources);
    auto paint = [&](int x, int y, std::uint8_t value) {
        picture[1078 + static_cast<std::size_t>(2789 - y) * 16 + x] = value;
    };
    paint(5, 1760, 201);    // separator column 5 is byte 28172
    paint(2, 2000, 202);    // group 2 row 239 column 2
    paint(12, 2000, 203);   // outside the band: dropped
    auto expected = numberedChr();
    expected[28172] = 201;
    expected[28174 + (2000 - 1761) * 7 + 2] = 202;
    const auto chr = graphicsPictureToChr(picture, expected);
    EXPECT_EQ(chr, expected);
}

TEST_F(GraphicsModTest, WeaponBitmapNeedsAFullGraphicsBlock)
{
    auto chr = demo::torloChr();
    chr.resize(35027);
    test::writeBytes(demo.workspace.torloChr(), chr);
    const auto refused = buildWeaponBitmap(demo.workspace);
    EXPECT_EQ(refused.status, "A file could not be created. You will get errors when editing weapons");
    EXPECT_FALSE(std::filesystem::exists(demo.workspace.weaponBitmap()));
}

} // namespace
} // namespace quorvex
