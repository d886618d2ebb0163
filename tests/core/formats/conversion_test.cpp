#include "core/formats/conversion.h"
#include "core/formats/graphics_mod.h"
#include "core/formats/level.h"
#include "bitmap_view.h"
#include "demo_game.h"
#include "core/base/errors.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstring>

namespace fs = std::filesystem;

namespace quorvex {
namespace {

// Stands in for the save dialog: records what it was shown, answers from the script.
struct SaveDialog {
    std::optional<fs::path> answer;
    int shown = 0;
    std::string filter;
    fs::path proposed;

    TargetAsker asker()
    {
        return [this](const std::string& f, const fs::path& p) {
            ++shown;
            filter = f;
            proposed = p;
            return answer;
        };
    }
};

class ConversionTest : public ::testing::Test {
protected:
    test::DemoGame demo;
    fs::path mods = demo.game() / "mods";
    fs::path out = demo.scratch / "out";
    SaveDialog dialog;

    void SetUp() override { fs::create_directories(out); }

    Outcome convert(const fs::path& source, const fs::path& target, bool createPowerlevel = false)
    {
        dialog.answer = target;
        return convertFile(source, demo.workspace, dialog.asker(), createPowerlevel);
    }
    fs::path write(const std::string& name, const Bytes& bytes)
    {
        test::writeBytes(demo.scratch / name, bytes);
        return demo.scratch / name;
    }
    bool outIsEmpty() const { return fs::is_empty(out); }
};

TEST_F(ConversionTest, RawPaletteBecomesAPaletteBitmap)
{
    const auto target = out / "pastel.bmp";
    const auto done = convert(mods / "PASTEL.ACT", target);
    EXPECT_EQ(done.kind, Outcome::Kind::Done);
    EXPECT_EQ(done.status, "Palette converted to \"" + target.string() + "\"");
    EXPECT_TRUE(done.logMessage.empty());   // conversions are not logged
    EXPECT_EQ(dialog.filter, "BMP files|*.bmp|All files|*.*");
    EXPECT_EQ(dialog.proposed, mods / "PASTEL.BMP");
    const auto bitmap = test::readBytes(target);
    ASSERT_EQ(bitmap.size(), 1334u);
    const test::BitmapView view{bitmap};
    view.expectShape(16, 16);
    EXPECT_EQ(view.index(0, 0), 0);
    EXPECT_EQ(view.index(15, 15), 255);
    EXPECT_EQ(view.fourth(5), 5);
}

TEST_F(ConversionTest, RefusalsBeforeTheDialogWriteNothing)
{
    auto chr = test::readBytes(mods / "NEONGFX.CHR");
    chr.pop_back();
    auto marker = test::readBytes(mods / "SUNSET.LEV");
    std::memcpy(&marker[LevelMarkerAt], "POWERLEVL2", 10);
    const std::pair<fs::path, const char*> cases[] = {
        {write("short.act", Bytes(767, 0)), "Not a valid palette"},
        {write("short.chr", chr), "Not a valid GFX Mod"},
        {write("marker.lev", marker), "This is not a powerlevel!"},
        {mods / "NIGHT.LPL", "You can't convert this yet"},
        {mods / "CRUNCHY.SND", "You can't convert this yet"},
    };
    for (const auto& [source, status] : cases) {
        const auto refused = convert(source, out / "x.bmp");
        EXPECT_EQ(refused.kind, Outcome::Kind::Refused) << source;
        EXPECT_EQ(refused.status, status) << source;
    }
    EXPECT_EQ(dialog.shown, 0);
    EXPECT_TRUE(outIsEmpty());
}

TEST_F(ConversionTest, PowerlevelTwoIsNotConvertedAndSaysNothingToTheUser)
{
    const auto result = convert(mods / "MOSSYPL2.LEV", out / "x.bmp");
    EXPECT_EQ(result.kind, Outcome::Kind::Nothing);
    EXPECT_FALSE(result.status.empty());   // the reason, for the command line
    EXPECT_EQ(dialog.shown, 0);
    EXPECT_TRUE(outIsEmpty());
}

TEST_F(ConversionTest, LevelsBecomeLevelBitmaps)
{
    const auto plain = convert(mods / "CANYON.LEV", out / "canyon.bmp");
    EXPECT_EQ(plain.status, "Level converted to \"" + (out / "canyon.bmp").string() + "\"");
    const auto plainBitmap = test::readBytes(out / "canyon.bmp");
    test::BitmapView{plainBitmap}.expectShape(504, 350);
    const auto resources = ResourceFile(demo.workspace.resourceFile);
    EXPECT_TRUE(std::equal(plainBitmap.begin() + 54, plainBitmap.begin() + 1078, resources.defaultColourTable().begin()));

    const auto power = convert(mods / "SUNSET.LEV", out / "sunset.bmp");
    EXPECT_EQ(power.status, "Powerlevel converted to \"" + (out / "sunset.bmp").string() + "\"");
    const auto level = test::readBytes(mods / "SUNSET.LEV");
    const auto bitmap = test::readBytes(out / "sunset.bmp");
    EXPECT_EQ(bitmap[54 + 2], level[LevelPaletteAt] * 4);   // red of entry 0
    EXPECT_EQ(bitmap[54 + 4 * 200 + 3], 200);
}

TEST_F(ConversionTest, LevelBitmapBecomesAPlainLevelOrAPowerlevel)
{
    const auto done = convert(mods / "ISLANDS.BMP", out / "islands");
    EXPECT_EQ(done.status, "BMP converted to \"" + (out / "islands").string() + "\"");   // no ".bmp" for bitmaps
    EXPECT_EQ(dialog.filter, "All files|*.*");
    EXPECT_EQ(fs::file_size(out / "islands"), 176400u);

    convert(mods / "ISLANDS.BMP", out / "islands.lev", true);
    const auto level = test::readBytes(out / "islands.lev");
    ASSERT_EQ(level.size(), 177178u);
    const auto bitmap = test::readBytes(mods / "ISLANDS.BMP");
    EXPECT_EQ(level[LevelPaletteAt + 3 * 7 + 2], bitmap[54 + 4 * 7] / 4);   // blue of entry 7
}

TEST_F(ConversionTest, LevelToBitmapToLevelRoundTrip)
{
    for (const char* name : {"MEADOW.LEV", "SUNSET.LEV"}) {
        convert(mods / name, out / "level.bmp");
        convert(out / "level.bmp", out / "back.lev", std::string(name) == "SUNSET.LEV");
        EXPECT_EQ(test::readBytes(out / "back.lev"), test::readBytes(mods / name)) << name;
    }
}

TEST_F(ConversionTest, OtherBitmapsAreRefusedAfterTheDialogAndWriteNothing)
{
    const auto refused = convert(write("small.bmp", Bytes(1000, 0)), out / "small.lev");
    EXPECT_EQ(refused.status, "Not a 504x350x256 BMP file");
    EXPECT_EQ(dialog.shown, 1);
    EXPECT_TRUE(outIsEmpty());
}

TEST_F(ConversionTest, GraphicsModToPictureAndBackGivesTheGamesFile)
{
    const auto done = convert(demo.workspace.torloChr(), out / "sprites");
    EXPECT_EQ(done.status, "Gfx mod converted to \"" + (out / "sprites.bmp").string() + "\"");
    test::BitmapView{test::readBytes(out / "sprites.bmp")}.expectShape(16, 2790);
    const auto back = convert(out / "sprites.bmp", out / "back.chr");
    EXPECT_EQ(back.status, "BMP converted to \"" + (out / "back.chr").string() + "\"");
    EXPECT_EQ(test::readBytes(out / "back.chr"), test::readBytes(demo.workspace.torloChr()));
}

TEST_F(ConversionTest, PaintedGraphicsTakeWhatThePictureLacksFromTheGame)
{
    auto mod = test::readBytes(mods / "NEONGFX.CHR");
    for (std::size_t i = 0; i < 10; ++i)
        mod[i] = 0xEE;
    mod.insert(mod.end(), 100, 0x55);
    convert(write("mod.chr", mod), out / "mod.bmp");
    auto game = test::readBytes(demo.workspace.torloChr());
    game[35020] = 0x77;
    test::writeBytes(demo.workspace.torloChr(), game);
    convert(out / "mod.bmp", out / "mod.chr");
    const auto back = test::readBytes(out / "mod.chr");
    ASSERT_EQ(back.size(), 35028u);
    EXPECT_TRUE(std::equal(back.begin(), back.begin() + 10, game.begin()));
    EXPECT_TRUE(std::equal(back.begin() + 10, back.begin() + 35016, mod.begin() + 10));
    EXPECT_EQ(back[35020], 0x77);

    // Without the game's file: the standard header and zeros.
    fs::remove(demo.workspace.torloChr());
    convert(out / "mod.bmp", out / "alone.chr");
    const auto alone = test::readBytes(out / "alone.chr");
    const Bytes header{'T', 'O', 'R', 'L', 'O', 0, 2, 16, 16, 110};
    EXPECT_TRUE(std::equal(header.begin(), header.end(), alone.begin()));
    EXPECT_TRUE(std::equal(alone.begin() + 10, alone.begin() + 35016, mod.begin() + 10));
    EXPECT_EQ(alone[35020], 0);
}

TEST_F(ConversionTest, PalPalettesRiffAndText)
{
    const auto riff = convert(mods / "COOL.PAL", out / "cool.bmp");
    EXPECT_EQ(riff.status, "Palette converted to \"" + (out / "cool.bmp").string() + "\"");
    const auto text = convert(mods / "WARM.PAL", out / "warm.bmp");
    EXPECT_EQ(text.kind, Outcome::Kind::Done);
    EXPECT_EQ(text.status, "Palette converted to \"" + (out / "warm.bmp").string() + "\"");
    const auto bitmap = test::readBytes(out / "warm.bmp");
    ASSERT_EQ(bitmap.size(), 1334u);
    EXPECT_EQ(bitmap[54 + 4 * 9 + 3], 9);
}

TEST_F(ConversionTest, BadTextPaletteLeavesNoTarget)
{
    const auto refused = convert(write("bad.pal", Bytes{'J', 'A', 'S', 'C', '\r', '\n'}), out / "bad.bmp");
    EXPECT_EQ(refused.status, "Not a valid palette");
    const std::string badLine = "JASC-PAL\r\n0100\r\n256\r\n1 2 3\r\n4 five 6\r\n";
    EXPECT_THROW(convert(write("line.pal", Bytes(badLine.begin(), badLine.end())), out / "line.bmp"), ConvertError);
    EXPECT_TRUE(outIsEmpty());
}

TEST_F(ConversionTest, CancelledDialogEndsTheConversion)
{
    dialog.answer.reset();
    const auto cwd = fs::current_path();
    fs::current_path(out);
    const auto result = convertFile(mods / "MEADOW.LEV", demo.workspace, dialog.asker(), false);
    fs::current_path(cwd);
    EXPECT_EQ(result.kind, Outcome::Kind::Nothing);
    EXPECT_EQ(dialog.shown, 1);
    EXPECT_TRUE(outIsEmpty());
    EXPECT_FALSE(fs::exists(mods / ".bmp"));
}

TEST_F(ConversionTest, TargetThatIsTheSourceIsRefused)
{
    const auto source = mods / "ISLANDS.BMP";
    const auto before = test::readBytes(source);
    for (const auto& target : {source, mods / "." / "ISLANDS.BMP"}) {
        const auto refused = convert(source, target, true);
        EXPECT_EQ(refused.kind, Outcome::Kind::Refused);
        EXPECT_NE(refused.status.find("itself"), std::string::npos);
    }
    EXPECT_EQ(test::readBytes(source), before);
}

// The dialog proposes the converted file's name, never the source's own (which is refused).
TEST_F(ConversionTest, TheDialogProposesTheConvertedName)
{
    const auto graphicsPicture = out / "sprites.bmp";
    ASSERT_EQ(convert(mods / "NEONGFX.CHR", graphicsPicture).kind, Outcome::Kind::Done);
    fs::copy_file(mods / "PASTEL.ACT", demo.scratch / "pastel.act");
    const std::pair<fs::path, fs::path> cases[] = {
        {mods / "PASTEL.ACT", mods / "PASTEL.BMP"},  {demo.scratch / "pastel.act", demo.scratch / "pastel.bmp"},
        {mods / "CANYON.LEV", mods / "CANYON.BMP"},  {mods / "SUNSET.LEV", mods / "SUNSET.BMP"},
        {mods / "NEONGFX.CHR", mods / "NEONGFX.BMP"}, {mods / "COOL.PAL", mods / "COOL.BMP"},
        {mods / "ISLANDS.BMP", mods / "ISLANDS.LEV"}, {graphicsPicture, out / "sprites.chr"},
    };
    for (const auto& [source, proposed] : cases) {
        dialog.answer.reset();
        convertFile(source, demo.workspace, dialog.asker(), false);
        EXPECT_EQ(dialog.proposed, proposed) << source;
    }
}

TEST_F(ConversionTest, NameWithoutDotGetsBmpOnlyForNonBitmapSources)
{
    convert(mods / "PASTEL.ACT", out / "pastel");
    EXPECT_TRUE(fs::exists(out / "pastel.bmp"));
    convert(mods / "PASTEL.ACT", out / "pastel.pic");
    EXPECT_TRUE(fs::exists(out / "pastel.pic"));
}

TEST_F(ConversionTest, ExistingTargetIsReplacedWhole)
{
    test::writeBytes(out / "big.bmp", Bytes(500000, 9));
    convert(mods / "PASTEL.ACT", out / "big.bmp");
    EXPECT_EQ(fs::file_size(out / "big.bmp"), 1334u);
}

TEST_F(ConversionTest, MissingSourceRaisesTheFileError)
{
    EXPECT_THROW(convert(mods / "GONE.LEV", out / "gone.bmp"), FileError);
    EXPECT_EQ(dialog.shown, 0);
}

} // namespace
} // namespace quorvex
