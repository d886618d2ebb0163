#include "core/browser/file_filter.h"
#include "core/browser/file_list.h"
#include "core/browser/pointer_detail.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;
using namespace quorvex;

namespace {

void touch(const fs::path& file)
{
    test::writeBytes(file, {1});
}

} // namespace

TEST(FileList, MaskMatchesExtensionsWithoutRegardToCaseAndOnlyWholePatterns)
{
    const auto mask = fileMask(filterTicksFromBits(16));
    EXPECT_EQ(mask, "*.ACT;*.PAL;*.LPL");
    EXPECT_TRUE(matchesMask("dark.act", mask));
    EXPECT_TRUE(matchesMask("Dark.Lpl", mask));
    EXPECT_TRUE(matchesMask("x.PAL", mask));
    EXPECT_FALSE(matchesMask("x.PALX", mask));
    EXPECT_FALSE(matchesMask("x.pa", mask));
    EXPECT_FALSE(matchesMask("actual", mask));
    EXPECT_FALSE(matchesMask("map.lev", ""));
    EXPECT_TRUE(matchesMask("a.b.lev", "*.LEV"));
    EXPECT_TRUE(matchesMask("map1.lev", "MAP?.LEV"));
    EXPECT_FALSE(matchesMask("map12.lev", "MAP?.LEV"));
}

TEST(FileList, ListsMatchingRegularFilesSortedByNameThenExtension)
{
    test::ScratchFolder folder;
    for (const char* name : {"b.lev", "A.pal", "c.ACT", "a.lev", "readme.txt", "Z.lpl", "m.chr", "z.a.lev"})
        touch(folder / name);
    fs::create_directory(folder / "folder.lev");   // folders are never listed

    EXPECT_EQ(listModFiles(folder.path(), fileMask(filterTicksFromBits(16)), false),
              (std::vector<std::string>{"A.pal", "c.ACT", "Z.lpl"}));
    EXPECT_EQ(listModFiles(folder.path(), fileMask(filterTicksFromBits(16)), true),
              (std::vector<std::string>{"c.ACT", "Z.lpl", "A.pal"}));
    // The extension is what follows the last dot: "z.a.lev" is a level and sorts after "m.chr".
    EXPECT_EQ(listModFiles(folder.path(), fileMask(filterTicksFromBits(1 + 4 + 16)), true),
              (std::vector<std::string>{"c.ACT", "m.chr", "a.lev", "b.lev", "z.a.lev", "Z.lpl", "A.pal"}));
    EXPECT_TRUE(listModFiles(folder.path(), fileMask(filterTicksFromBits(0)), true).empty());
    EXPECT_TRUE(listModFiles(folder / "missing", "*.LEV", true).empty());
}

TEST(FileList, OneReadOfAFolderGivesItsFoldersAndItsFiles)
{
    test::ScratchFolder folder;
    for (const char* name : {"b.lev", "A.pal", "readme.txt"})
        touch(folder / name);
    fs::create_directory(folder / "mods");
    fs::create_directory(folder / ".hidden");
    fs::create_directory(folder / "pack.zip");
    fs::create_symlink(folder / "b.lev", folder / "link.lev");
    fs::create_directory_symlink(folder / "mods", folder / "shortcut");
    fs::create_symlink(folder / "gone.lev", folder / "dangling.lev");
    auto scan = scanFolder(folder.path());
    std::sort(scan.folders.begin(), scan.folders.end());
    std::sort(scan.files.begin(), scan.files.end());
    EXPECT_EQ(scan.folders, (std::vector<std::string>{"mods", "pack.zip", "shortcut"}));
    EXPECT_EQ(scan.files, (std::vector<std::string>{"A.pal", "b.lev", "link.lev", "readme.txt"}));
    EXPECT_EQ(modFiles(scan.files, "*.LEV", true), (std::vector<std::string>{"b.lev", "link.lev"}));
    // Names that differ in case only keep a fixed order, and the extension sort keeps name order.
    EXPECT_EQ(modFiles({"b.LEV", "B.lev", "a.Lev", "c.ACT"}, "*.LEV;*.ACT", true),
              (std::vector<std::string>{"c.ACT", "a.Lev", "B.lev", "b.LEV"}));
    EXPECT_TRUE(scanFolder(folder / "missing").files.empty());
}

TEST(FileList, SelectionOffersButtonsAndPageByKind)
{
    EXPECT_EQ(upperExtension("/x/map1.lev"), ".LEV");
    EXPECT_EQ(upperExtension("/x.d/readme"), "");

    const auto level = commandsFor(".LEV");
    EXPECT_EQ(level.edit, true);
    EXPECT_EQ(level.activate, true);
    EXPECT_EQ(level.convert, true);
    EXPECT_EQ(level.page, GamePage::Graphics);
    const auto bitmap = commandsFor(".BMP");
    EXPECT_EQ(bitmap.edit, true);
    EXPECT_EQ(bitmap.activate, false);
    EXPECT_EQ(bitmap.convert, true);
    const auto sound = commandsFor(".SND");
    EXPECT_EQ(sound.activate, true);
    EXPECT_EQ(sound.convert, false);
    EXPECT_EQ(sound.page, GamePage::Sounds);
    EXPECT_EQ(commandsFor(".LWP").page, GamePage::Weapons);
    EXPECT_EQ(commandsFor(".LFT").page, GamePage::About);
    EXPECT_FALSE(commandsFor(".ZIP").page.has_value());
    EXPECT_EQ(commandsFor(".ZIP").edit, false);
    const auto other = commandsFor(".TXT");
    EXPECT_FALSE(other.edit || other.activate || other.convert || other.page);
}

TEST(PointerDetail, PaletteCellsOf32By22AndStretchedPictureMeasuredBack)
{
    EXPECT_EQ(paletteCellAt(0, 0), 0);
    EXPECT_EQ(paletteCellAt(31, 21), 0);
    EXPECT_EQ(paletteCellAt(32, 21), 1);
    EXPECT_EQ(paletteCellAt(31, 22), 16);
    EXPECT_EQ(paletteCellAt(503, 349), 255);
    EXPECT_EQ(paletteCellAt(100, 200), 9 * 16 + 3);
    // 420 high: the bottom row is still colour 240 and up, not 304 modulo 256.
    EXPECT_EQ(paletteCellAt(0, 419, StretchedLevelHeight), 240);
    EXPECT_EQ(paletteCellAt(0, 26, StretchedLevelHeight), 0);
    EXPECT_EQ(paletteCellAt(0, 27, StretchedLevelHeight), 16);
}

TEST(PointerDetail, SpriteBandsOfTheGraphicsStrip)
{
    auto expect = [](int y, int firstRow, int size, int side) {
        const auto sprite = spriteAt(y);
        EXPECT_EQ(sprite.firstRow, firstRow) << y;
        EXPECT_EQ(sprite.size, size) << y;
        EXPECT_EQ(sprite.side, side) << y;
    };
    expect(0, 0, 16, 2);
    expect(17, 16, 16, 2);
    expect(1760, 1760, 16, 2);
    expect(1761, 1761, 7, 4);
    expect(1768, 1768, 7, 4);
    expect(2670, 1761 + 129 * 7, 7, 4);
    expect(2671, 2673, 4, 6);
    expect(2672, 2673, 4, 6);
    expect(2677, 2677, 4, 6);
    expect(2789, 2673 + 29 * 4, 4, 6);
}
