#include "core/formats/preview.h"
#include "core/formats/level.h"
#include "bitmap_view.h"
#include "core/base/errors.h"
#include "core/base/places.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

namespace fs = std::filesystem;

namespace quorvex {
namespace {

class PreviewTest : public ::testing::Test {
protected:
    test::DemoGame demo;
    fs::path mods = demo.game() / "mods";

    Preview preview(const fs::path& file, bool gamePalette = true)
    {
        return buildPreview(file, demo.workspace, gamePalette);
    }
    fs::path write(const std::string& name, const Bytes& bytes)
    {
        test::writeBytes(demo.scratch / name, bytes);
        return demo.scratch / name;
    }
};

TEST_F(PreviewTest, EverySampleModShowsWithItsStatus)
{
    struct Case {
        const char* file;
        Preview::Kind kind;
        const char* status;
        int width, height;
    };
    const Case cases[] = {
        {"MEADOW.LEV", Preview::Kind::Level, "This is a normal level", 504, 350},
        {"CANYON.LEV", Preview::Kind::Level, "This is a normal level", 504, 350},
        {"SUNSET.LEV", Preview::Kind::Level, "This is a Powerlevel", 504, 350},
        {"MOSSYPL2.LEV", Preview::Kind::Level, "This is a Powerlevel 2", 504, 350},
        {"ISLANDS.BMP", Preview::Kind::LevelBitmap, "This is a level BMP", 504, 350},
        {"PASTEL.ACT", Preview::Kind::Palette, "Palette viewed", 16, 16},
        {"NIGHT.LPL", Preview::Kind::Palette, "Palette viewed", 16, 16},
        {"WARM.PAL", Preview::Kind::Palette, "Palette viewed", 16, 16},
        {"COOL.PAL", Preview::Kind::Palette, "Palette viewed", 16, 16},
        {"NEONGFX.CHR", Preview::Kind::Graphics, "GFX Mod viewed. Move your mouse across the picture to see detail", 16, 2790},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const auto shown = preview(mods / c.file);
        EXPECT_EQ(shown.kind, c.kind);
        EXPECT_EQ(shown.status, c.status);
        test::BitmapView{shown.bitmap}.expectShape(c.width, c.height);
    }
}

TEST_F(PreviewTest, KindsWithoutPictureSayWhatToDo)
{
    const std::pair<const char*, const char*> cases[] = {
        {"a.LWP", "Press Activate to activate the weapon"}, {"a.llf", "Press Activate to activate the translation"},
        {"a.LFT", "Can not show fonts yet"},                {"a.SND", "Can not view this"},
        {"a.zip", "Can not view this"},                     {"README", "Can not view this"}};
    for (const auto& [name, status] : cases) {
        const auto shown = preview(write(name, Bytes(10, 1)));
        EXPECT_EQ(shown.status, status) << name;
        EXPECT_TRUE(shown.bitmap.empty()) << name;
    }
}

TEST_F(PreviewTest, PlainLevelUsesTheGamePaletteOrTheDefaultOne)
{
    auto exe = test::readBytes(demo.workspace.torloExe());
    const auto level = test::readBytes(mods / "MEADOW.LEV");
    const std::uint8_t sky = level[0];
    exe[places::GamePalette + 3 * sky] = 1;
    exe[places::GamePalette + 3 * sky + 1] = 2;
    exe[places::GamePalette + 3 * sky + 2] = 63;
    test::writeBytes(demo.workspace.torloExe(), exe);

    const auto game = preview(mods / "MEADOW.LEV", true);
    EXPECT_EQ(test::BitmapView{game.bitmap}.colour(0, 0), (Rgb{4, 8, 252}));
    EXPECT_EQ(test::BitmapView{game.bitmap}.fourth(sky), sky);
    const auto standard = preview(mods / "MEADOW.LEV", false);
    EXPECT_EQ(test::BitmapView{standard.bitmap}.colour(0, 0),
              ResourceFile(demo.workspace.resourceFile).defaultColour(sky));
}

TEST_F(PreviewTest, PowerlevelsShowTheirOwnPaletteWhateverTheSetting)
{
    const auto level = test::readBytes(mods / "SUNSET.LEV");
    const std::uint8_t sky = level[0];
    const Rgb own{static_cast<std::uint8_t>(level[LevelPaletteAt + 3 * sky] * 4),
                  static_cast<std::uint8_t>(level[LevelPaletteAt + 3 * sky + 1] * 4),
                  static_cast<std::uint8_t>(level[LevelPaletteAt + 3 * sky + 2] * 4)};
    EXPECT_EQ(test::BitmapView{preview(mods / "SUNSET.LEV", true).bitmap}.colour(0, 0), own);
    EXPECT_EQ(test::BitmapView{preview(mods / "SUNSET.LEV", false).bitmap}.colour(0, 0), own);
}

TEST_F(PreviewTest, PowerlevelMarkers)
{
    auto level = test::readBytes(mods / "SUNSET.LEV");
    std::memcpy(&level[LevelMarkerAt], "POWERLEVL2", 10);
    EXPECT_EQ(preview(write("pl2marker.lev", level)).status, "This is a Powerlevel");
    std::memcpy(&level[LevelMarkerAt], "POWERLEVXX", 10);
    const auto refused = preview(write("bad.lev", level));
    EXPECT_EQ(refused.status, "This is not a powerlevel!");
    EXPECT_TRUE(refused.bitmap.empty());
}

TEST_F(PreviewTest, TailOfA176402ByteLevelIsNotShown)
{
    auto level = test::readBytes(mods / "MEADOW.LEV");
    const auto plain = preview(mods / "MEADOW.LEV");
    level.insert(level.end(), {7, 7});
    EXPECT_EQ(preview(write("tail.lev", level)).bitmap, plain.bitmap);
}

TEST_F(PreviewTest, OtherSizesAreRefusedSoThePreviousPictureIsCleared)
{
    for (std::size_t size : {0, 1000, 176401}) {
        const auto shown = preview(write("odd.lev", Bytes(size, 3)));
        EXPECT_EQ(shown.status, "This is not a valid level") << size;
        EXPECT_EQ(shown.kind, Preview::Kind::Level);
        EXPECT_TRUE(shown.bitmap.empty());
    }
}

TEST_F(PreviewTest, ADamagedLevelBitmapIsRefusedNotShown)
{
    for (auto damage : {0, 1, 18, 28}) {   // the magic, the width, the bits per pixel
        auto bitmap = test::readBytes(mods / "ISLANDS.BMP");
        if (damage == 0)
            bitmap.assign(bitmap.size(), 0);
        else
            bitmap[damage] ^= 0x40;
        const auto shown = preview(write("damaged.bmp", bitmap));
        EXPECT_EQ(shown.status, "This is not a valid level BMP") << damage;
        EXPECT_TRUE(shown.bitmap.empty());
    }
}

// Sparse files: the size is there, the bytes are not, so a reader that reads the whole file
// first runs out of memory.
TEST_F(PreviewTest, HugeFilesAreJudgedBySizeAndReadOnlyAsFarAsTheirFormatGoes)
{
    const std::uint64_t huge = std::uint64_t{40} << 30;
    for (const char* name : {"huge.pal", "huge.act", "huge.lpl", "huge.lev", "huge.bmp", "huge.chr"}) {
        const auto file = demo.scratch / name;
        { std::ofstream create(file); }
        fs::resize_file(file, huge);
        const auto shown = preview(file);
        EXPECT_FALSE(shown.status.empty()) << name;
        fs::remove(file);
    }
}

TEST_F(PreviewTest, RefusedPalettesAndMods)
{
    EXPECT_EQ(preview(write("short.act", Bytes(767, 1))).status, "This is not a valid palette");
    EXPECT_EQ(preview(write("long.lpl", Bytes(769, 1))).status, "This is not a valid palette");
    EXPECT_EQ(preview(write("other.pal", Bytes(1047, 1))).status, "Not a PAL palette");
    auto chr = test::readBytes(mods / "NEONGFX.CHR");
    chr.pop_back();
    const auto shortChr = preview(write("short.chr", chr));
    EXPECT_EQ(shortChr.status, "Not a valid GFX Mod");
    EXPECT_EQ(shortChr.kind, Preview::Kind::Graphics);
    EXPECT_TRUE(shortChr.bitmap.empty());
}

TEST_F(PreviewTest, PaletteFilesAreShownUnscaled)
{
    const auto shown = preview(write("dark.lpl", Bytes(768, 63)));
    EXPECT_EQ(test::BitmapView{shown.bitmap}.colour(4, 4), (Rgb{63, 63, 63}));
}

TEST_F(PreviewTest, LevelBitmapsAreShownAsTheyAre)
{
    const auto bitmap = test::readBytes(mods / "ISLANDS.BMP");
    EXPECT_EQ(preview(mods / "ISLANDS.BMP").bitmap, bitmap);
    auto withTail = bitmap;
    withTail.insert(withTail.end(), {0, 0});
    EXPECT_EQ(preview(write("tail.bmp", withTail)).status, "This is a level BMP");
    auto wide = bitmap;
    wide.resize(LevelBitmap24Size);
    wide[28] = 24;   // 24 bits per pixel, no colour table: the pixels start at 54
    wide[11] = 0;
    EXPECT_EQ(preview(write("wide.bmp", wide)).status, "This is a level BMP");
    const auto other = preview(write("small.bmp", Bytes(1000, 0)));
    EXPECT_EQ(other.status, "This is a not a level BMP");
    EXPECT_TRUE(other.bitmap.empty());
}

TEST_F(PreviewTest, ReadOnlyFileBecomesWritable)
{
    const auto file = mods / "PASTEL.ACT";
    fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write, fs::perm_options::remove);
    preview(file);
    EXPECT_NE(fs::status(file).permissions() & fs::perms::owner_write, fs::perms::none);
    EXPECT_NE(fs::status(file).permissions() & fs::perms::owner_read, fs::perms::none);
}

TEST_F(PreviewTest, TextPaletteWithABadLineRaisesTheConversionError)
{
    const std::string text = "JASC-PAL\r\n0100\r\n256\r\n1 2 three\r\n";
    EXPECT_THROW(preview(write("bad.pal", Bytes(text.begin(), text.end()))), ConvertError);
}

TEST_F(PreviewTest, WritesQuorvexBmpInTheTempFolderOnlyWhenSomethingIsDrawn)
{
    writePreviewBitmap(demo.workspace, preview(write("odd.lev", Bytes(5, 0))));
    EXPECT_FALSE(fs::exists(demo.workspace.previewBitmap()));
    const auto shown = preview(mods / "COOL.PAL");
    writePreviewBitmap(demo.workspace, shown);
    EXPECT_EQ(test::readBytes(demo.workspace.tempFolder / "quorvex.bmp"), shown.bitmap);
}

} // namespace
} // namespace quorvex
