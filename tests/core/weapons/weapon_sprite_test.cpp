// The "Start frame" preview drawn from weapon.bmp, including frames whose rows lie beyond the
// picture and pictures that are cut short or are no bitmap at all.
#include "core/formats/graphics_mod.h"
#include "core/base/errors.h"
#include "core/base/places.h"
#include "core/weapons/weapon_sprite.h"
#include "test_support.h"

#include <gtest/gtest.h>

using namespace quorvex;

namespace {

constexpr Rgb Pink{255, 64, 128};   // the colour of pixel value 0 in weapon.bmp

struct WeaponSpriteTest : ::testing::Test {
    test::DemoGame demo;
    Bytes bitmap;
    void SetUp() override
    {
        ASSERT_TRUE(buildWeaponBitmap(demo.workspace).succeeded());
        bitmap = test::readBytes(demo.workspace.weaponBitmap());
    }
    // The colour of the raw pixel at column x, row y (row 0 at the top), read straight from the file.
    Rgb raw(int x, int y) const
    {
        const auto value = bitmap[places::BitmapPixelsAt + (2789 - y) * 16 + x];
        const auto* entry = &bitmap[places::DatDefaultPalette + 4 * value];
        return {entry[2], entry[1], entry[0]};
    }
};

} // namespace

TEST_F(WeaponSpriteTest, PreviewShowsTheFirstSevenColumnsOfTheFrameDoubled)
{
    const WeaponPicture picture(bitmap);
    EXPECT_EQ(picture.width(), 16);
    EXPECT_EQ(picture.height(), 2790);
    for (int frame : {0, 5, 129, 146}) {
        const auto preview = spritePreview(picture, frame);
        for (int y = 0; y < 14; ++y)
            for (int x = 0; x < 14; ++x)
                ASSERT_EQ(preview[y * 14 + x], raw(x / 2, 1760 + 7 * frame + y / 2)) << frame << " " << x << "," << y;
    }
    // The demo's small sprites are drawn: frame 5 is not one flat colour.
    const auto preview = spritePreview(picture, 5);
    EXPECT_NE(preview[0], preview[7 * 14 + 7]);
}

TEST_F(WeaponSpriteTest, RowsBeyondThePictureShowThePinkOfPixelValueZero)
{
    const WeaponPicture picture(bitmap);
    const auto frame147 = spritePreview(picture, 147);   // rows 2789..2795: only the first exists
    for (int x = 0; x < 14; ++x) {
        EXPECT_EQ(frame147[x], raw(x / 2, 2789));
        EXPECT_EQ(frame147[13 * 14 + x], Pink);
    }
    for (const auto& colour : spritePreview(picture, 255))   // "Make Bullet": -1
        EXPECT_EQ(colour, Pink);
}

TEST_F(WeaponSpriteTest, PictureCutShortOrMalformedNeverReadsOutside)
{
    // Cut in the middle of the small sprites: the missing top rows show pink.
    Bytes cut(bitmap.begin(), bitmap.end() - 16 * 1800);
    const WeaponPicture picture(cut);
    for (const auto& colour : spritePreview(picture, 0))
        EXPECT_EQ(colour, Pink);
    // The bottom rows are still there.
    EXPECT_EQ(picture.pixel(3, 2780), raw(3, 2780));

    for (Bytes bad : {Bytes{}, Bytes(100, 0), Bytes(bitmap.begin(), bitmap.begin() + 60)}) {
        try {
            WeaponPicture{bad};
            ADD_FAILURE() << "accepted " << bad.size() << " bytes";
        } catch (const FileError& error) {
            EXPECT_STREQ(error.what(), "Bitmap image is not valid");
        }
    }
    auto noPixels = bitmap;
    noPixels[10] = 0xFF;   // pixel data said to start far beyond the file
    noPixels[13] = 0x7F;
    EXPECT_THROW(WeaponPicture{noPixels}, FileError);

    // A height of -2^31 has no 32-bit magnitude; it used to pass the size check as negative.
    auto lowest = bitmap;
    lowest[22] = lowest[23] = lowest[24] = 0;
    lowest[25] = 0x80;
    EXPECT_THROW(WeaponPicture{lowest}, FileError);
}
