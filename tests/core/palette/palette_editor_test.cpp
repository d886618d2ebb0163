// The palette and material editor's core: materials <-> bit sets, Save Materials, the palette
// export, Reset palette and Save to PL2 on a demo game.
#include "core/formats/level.h"
#include "core/formats/palette.h"
#include "core/base/errors.h"
#include "core/base/places.h"
#include "core/palette/palette_editor.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstring>

namespace fs = std::filesystem;

namespace quorvex {
namespace {

void setBit(Bytes& block, std::size_t set, std::size_t colour)
{
    block[set * 32 + colour / 8] |= static_cast<std::uint8_t>(1u << (colour % 8));
}

bool bit(const Bytes& block, std::size_t set, std::size_t colour, std::size_t at = 0)
{
    return (block[at + set * 32 + colour / 8] >> (colour % 8)) & 1;
}

TEST(Materials, LaterKindSetsWinOnLoadingAndSavingKeepsEachColourInOneSet)
{
    Bytes block(160);
    setBit(block, 1, 9);    // green dirt and rock: rock
    setBit(block, 2, 9);
    setBit(block, 0, 17);   // brown and green dirt: green dirt
    setBit(block, 1, 17);
    setBit(block, 0, 0);    // colour 0: brown dirt, lowest bit of the first byte
    setBit(block, 2, 255);  // colour 255: rock, highest bit of the last byte
    setBit(block, 3, 9);    // background and shadow stand beside the kind
    setBit(block, 4, 200);

    const auto materials = materialsFromBlock(block);
    EXPECT_EQ(materials.kind[9], KindRock);
    EXPECT_EQ(materials.kind[17], KindGreenDirt);
    EXPECT_EQ(materials.kind[0], KindBrownDirt);
    EXPECT_EQ(materials.kind[255], KindRock);
    EXPECT_EQ(materials.kind[1], KindUndefined);
    EXPECT_EQ(materials.background[9], 1);
    EXPECT_EQ(materials.shadow[200], 1);
    EXPECT_EQ(materials.shadow[9], 0);

    const auto saved = materialsToBlock(materials);
    const Bytes bytes(saved.begin(), saved.end());
    EXPECT_TRUE(bit(bytes, 2, 9));
    EXPECT_FALSE(bit(bytes, 1, 9));   // the green dirt bit is cleared
    EXPECT_TRUE(bit(bytes, 1, 17));
    EXPECT_FALSE(bit(bytes, 0, 17));
    EXPECT_EQ(bytes[0], 1);
    EXPECT_EQ(bytes[2 * 32 + 31], 0x80);
    EXPECT_TRUE(bit(bytes, 3, 9));
    EXPECT_TRUE(bit(bytes, 4, 200));
    EXPECT_EQ(materialsFromBlock(saved), materials);
}

TEST(Materials, TheListShowsEveryKindAndNothingSelectedIsUndefined)
{
    EXPECT_STREQ(MaterialItems[materialItemFor(KindBrownDirt)].caption, "Brown dirt");
    EXPECT_STREQ(MaterialItems[materialItemFor(KindGreenDirt)].caption, "Green dirt");
    EXPECT_STREQ(MaterialItems[materialItemFor(KindRock)].caption, "Rock");
    EXPECT_STREQ(MaterialItems[materialItemFor(KindUndefined)].caption, "Undefined");
    EXPECT_STREQ(MaterialItems[materialItemFor(7)].caption, "Undefined");
    for (int item = 0; item < 3; ++item)
        EXPECT_EQ(kindOfItem(item), item + 1);
    EXPECT_EQ(kindOfItem(3), KindUndefined);
    EXPECT_EQ(kindOfItem(-1), KindUndefined);
}

class PaletteEditorTest : public ::testing::Test {
protected:
    test::DemoGame demo;
    const Workspace& ws = demo.workspace;

    Bytes exe() const { return test::readBytes(ws.torloExe()); }
    Bytes exeBlock(std::uint32_t at, std::size_t size) const
    {
        const auto bytes = exe();
        return Bytes(bytes.begin() + at, bytes.begin() + at + static_cast<std::ptrdiff_t>(size));
    }
    Bytes gamePalette() const { return exeBlock(places::GamePalette, places::PaletteSize); }
    Bytes gameMaterials() const { return exeBlock(places::Materials, places::MaterialsSize); }

    // A level of size bytes whose pixels count up and whose tail is filled with fill.
    fs::path level(const std::string& name, std::size_t size, std::uint8_t fill = 0xEE)
    {
        Bytes bytes(size, fill);
        for (std::size_t i = 0; i < std::min<std::size_t>(size, LevelPixelsSize); ++i)
            bytes[i] = static_cast<std::uint8_t>(i * 7);
        test::writeBytes(demo.scratch / name, bytes);
        return demo.scratch / name;
    }
};

TEST_F(PaletteEditorTest, SaveMaterialsStoresSixBitColoursAndReloadingGivesMultiplesOfFour)
{
    auto palette = loadPalette(ws);
    auto materials = loadMaterials(ws);
    palette[5] = {255, 10, 3};
    materials.kind[5] = KindRock;
    materials.shadow[5] = 1;
    const auto outcome = saveMaterials(ws, materials, palette);
    EXPECT_TRUE(outcome.succeeded());
    EXPECT_EQ(outcome.status, "Materials and colors saved");
    EXPECT_EQ(outcome.logMessage, "Materials and colors saved");

    const auto game = gamePalette();
    EXPECT_EQ(game[15], 63);
    EXPECT_EQ(game[16], 2);
    EXPECT_EQ(game[17], 0);
    EXPECT_EQ(loadPalette(ws)[5], (Rgb{252, 8, 0}));
    EXPECT_EQ(loadMaterials(ws), materials);
}

TEST_F(PaletteEditorTest, TheMaterialsAndThePaletteLieAtTheirPlacesInTorloExe)
{
    // The first and last byte of each block, by their absolute offsets, with the bytes around
    // them set so that a block read or written one place off shows.
    auto bytes = exe();
    std::fill(bytes.begin() + 115423, bytes.begin() + 115585, 0xFF);
    std::fill(bytes.begin() + 115424, bytes.begin() + 115584, 0);
    bytes[115424] = 0x01;   // colour 0 is brown dirt
    bytes[115583] = 0x80;   // colour 255 casts a shadow
    std::fill(bytes.begin() + 132773, bytes.begin() + 133543, 63);
    bytes[132774] = 11;     // red of colour 0
    bytes[133541] = 22;     // blue of colour 255
    test::writeBytes(ws.torloExe(), bytes);

    auto materials = loadMaterials(ws);
    EXPECT_EQ(materials.kind[0], KindBrownDirt);
    EXPECT_EQ(materials.shadow[255], 1);
    materials.kind[0] = KindUndefined;
    materials.shadow[255] = 0;
    EXPECT_EQ(materials, Materials{}) << "no other colour has a material";
    auto palette = loadPalette(ws);
    EXPECT_EQ(palette[0], (Rgb{44, 252, 252}));
    EXPECT_EQ(palette[255], (Rgb{252, 252, 88}));

    materials.kind[0] = KindRock;
    materials.background[255] = 1;
    palette[0].red = 20;
    palette[255].blue = 40;
    ASSERT_TRUE(saveMaterials(ws, materials, palette).succeeded());
    std::fill(bytes.begin() + 115424, bytes.begin() + 115584, 0);
    bytes[115424 + 64] = 0x01;   // the rock set, third of the five
    bytes[115551] = 0x80;        // the background set, fourth
    bytes[132774] = 5;
    bytes[133541] = 10;
    EXPECT_EQ(exe(), bytes);
}

TEST_F(PaletteEditorTest, SaveMaterialsRefusesATorloExeTooShortAndWritesNothing)
{
    auto bytes = exe();
    bytes.resize(places::GamePalette + 100);
    test::writeBytes(ws.torloExe(), bytes);
    EXPECT_THROW(saveMaterials(ws, Materials{}, Palette{}), FileError);
    EXPECT_EQ(exe(), bytes);
}

TEST_F(PaletteEditorTest, ExportWritesRawOrTextPalettesOfTheGameAndRefusesOtherNames)
{
    const auto game = gamePalette();
    // The export takes the game's palette, not a palette in memory.
    const auto raw = exportGamePalette(ws, demo.scratch / "plain");
    EXPECT_EQ(raw.status, "Palette saved");
    EXPECT_TRUE(raw.logMessage.empty());
    ASSERT_TRUE(fs::exists(demo.scratch / "plain.ACT"));
    const auto bytes = test::readBytes(demo.scratch / "plain.ACT");
    ASSERT_EQ(bytes.size(), 768u);
    for (std::size_t i = 0; i < 768; ++i)
        ASSERT_EQ(bytes[i], game[i] * 4) << i;

    EXPECT_TRUE(exportGamePalette(ws, demo.scratch / "lower.act").succeeded());
    EXPECT_EQ(test::readBytes(demo.scratch / "lower.act"), bytes);

    EXPECT_TRUE(exportGamePalette(ws, demo.scratch / "text.pal").succeeded());
    const auto text = test::readText(demo.scratch / "text.pal");
    std::string expected = "JASC-PAL\r\n0100\r\n256\r\n";
    for (std::size_t i = 0; i < 256; ++i)
        expected += std::to_string(game[3 * i] * 4) + " " + std::to_string(game[3 * i + 1] * 4) + " "
                    + std::to_string(game[3 * i + 2] * 4) + "\r\n";
    EXPECT_EQ(text, expected);

    // Neither .ACT nor .PAL: nothing is written, and it says so.
    for (const char* name : {"notes.txt", "odd."}) {
        const auto refused = exportGamePalette(ws, demo.scratch / name);
        EXPECT_FALSE(refused.succeeded());
        EXPECT_EQ(refused.status, "Palette not saved: use a .ACT or .PAL name");
        EXPECT_FALSE(fs::exists(demo.scratch / name));
    }
}

TEST_F(PaletteEditorTest, ExportWithoutAGameWritesNothing)
{
    fs::remove(ws.torloExe());
    const auto outcome = exportGamePalette(ws, demo.scratch / "x.act");
    EXPECT_FALSE(outcome.succeeded());
    EXPECT_EQ(outcome.status, "\"Torlo.Exe\" does not exists");
    EXPECT_FALSE(fs::exists(demo.scratch / "x.act"));
}

TEST_F(PaletteEditorTest, ResetWritesTheDefaultPaletteAndLeavesTheMaterials)
{
    auto palette = loadPalette(ws);
    auto materials = loadMaterials(ws);
    for (auto& colour : palette)
        colour = {4, 8, 12};
    materials.kind[3] = KindGreenDirt;
    saveMaterials(ws, materials, palette);
    const auto before = gameMaterials();

    const auto outcome = resetPalette(ws);
    EXPECT_EQ(outcome.status, "Original palette re-activated!");
    EXPECT_EQ(outcome.logMessage, "Original palette reset");
    const ResourceFile resources(ws.resourceFile);
    const auto reset = loadPalette(ws);
    for (int i = 0; i < 256; ++i) {
        const auto original = resources.defaultColour(i);
        ASSERT_EQ(reset[static_cast<std::size_t>(i)],
                  (Rgb{to8Bit(to6Bit(original.red)), to8Bit(to6Bit(original.green)), to8Bit(to6Bit(original.blue))}));
    }
    EXPECT_EQ(gameMaterials(), before);

    fs::remove(ws.torloExe());
    EXPECT_EQ(resetPalette(ws).kind, Outcome::Kind::Nothing);
    EXPECT_FALSE(fs::exists(ws.torloExe()));
}

TEST_F(PaletteEditorTest, PlainLevelsBecomePowerlevel2WithTheGamesPaletteAndMaterials)
{
    for (const auto size : {LevelPixelsSize, LevelWithTailSize}) {
        const auto file = level("plain.lev", size);
        const auto pixels = test::readBytes(file);
        const auto outcome = addMaterialsToLevel(ws, file);
        EXPECT_EQ(outcome.status, "Materials + palette added to level");
        const auto bytes = test::readBytes(file);
        ASSERT_EQ(bytes.size(), Powerlevel2Size);
        EXPECT_TRUE(std::equal(pixels.begin(), pixels.begin() + LevelPixelsSize, bytes.begin()));
        // The marker lies over the two extra bytes of a 176402-byte level.
        EXPECT_EQ(std::string(bytes.begin() + LevelMarkerAt, bytes.begin() + LevelMarkerAt + 10), "POWERLEVL2");
        EXPECT_EQ(Bytes(bytes.begin() + LevelPaletteAt, bytes.begin() + LevelMaterialsAt), gamePalette());
        EXPECT_EQ(Bytes(bytes.begin() + LevelMaterialsAt, bytes.end()), gameMaterials());
        EXPECT_EQ(levelForm(bytes.size()), LevelForm::Powerlevel2);
    }
}

TEST_F(PaletteEditorTest, PowerlevelsKeepTheirPaletteAndTakeTheMaterials)
{
    for (const auto size : {PowerlevelSize, Powerlevel2Size}) {
        const auto file = level("power.lev", size, 0x21);
        auto before = test::readBytes(file);
        std::memcpy(before.data() + LevelMarkerAt, "POWERLEVEL", 10);
        test::writeBytes(file, before);
        EXPECT_EQ(addMaterialsToLevel(ws, file).status, "Materials added to Powerlevel");
        const auto bytes = test::readBytes(file);
        ASSERT_EQ(bytes.size(), Powerlevel2Size);
        EXPECT_EQ(std::string(bytes.begin() + LevelMarkerAt, bytes.begin() + LevelMarkerAt + 10), "POWERLEVL2");
        EXPECT_EQ(Bytes(bytes.begin() + LevelPaletteAt, bytes.begin() + LevelMaterialsAt),
                  Bytes(before.begin() + LevelPaletteAt, before.begin() + LevelMaterialsAt));
        EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + LevelPixelsSize), Bytes(before.begin(), before.begin() + LevelPixelsSize));
        EXPECT_EQ(Bytes(bytes.begin() + LevelMaterialsAt, bytes.end()), gameMaterials());
    }
}

TEST_F(PaletteEditorTest, OtherSizesAndFailuresLeaveTheLevelAsItWas)
{
    const auto odd = level("odd.lev", 176401);
    const auto oddBefore = test::readBytes(odd);
    const auto refused = addMaterialsToLevel(ws, odd);
    EXPECT_FALSE(refused.succeeded());
    EXPECT_EQ(refused.status, "Chosen level isn't a valid level");
    EXPECT_EQ(test::readBytes(odd), oddBefore);
    EXPECT_FALSE(takesMaterials(176401));
    EXPECT_TRUE(takesMaterials(LevelWithTailSize));

    // A game too short for the palette: the level is not touched.
    const auto plain = level("plain.lev", LevelPixelsSize);
    const auto plainBefore = test::readBytes(plain);
    auto game = exe();
    game.resize(places::GamePalette + 10);
    test::writeBytes(ws.torloExe(), game);
    EXPECT_THROW(addMaterialsToLevel(ws, plain), FileError);
    EXPECT_EQ(test::readBytes(plain), plainBefore);
    EXPECT_THROW(addMaterialsToLevel(ws, demo.scratch / "missing.lev"), FileError);
}

TEST_F(PaletteEditorTest, TheLevelIsReplacedWholeNotRewrittenInPlace)
{
    // A second name of the old file keeps the old bytes: the new level was written beside it
    // and renamed over it in one step, so a failure half-way never leaves a half-converted level.
    const auto file = level("linked.lev", LevelPixelsSize);
    fs::create_hard_link(file, demo.scratch / "second-name.lev");
    ASSERT_TRUE(addMaterialsToLevel(ws, file).succeeded());
    EXPECT_EQ(fs::file_size(demo.scratch / "second-name.lev"), LevelPixelsSize);
    EXPECT_EQ(fs::file_size(file), Powerlevel2Size);
    for (const auto& entry : fs::directory_iterator(demo.scratch.path()))
        EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
}

} // namespace
} // namespace quorvex
