#include "gameexe/errors.h"
#include "gameexe/game_file.h"
#include "gameexe/number_text.h"
#include "gameexe/weapon_names.h"
#include "gameexe/workspace.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace fs = std::filesystem;
using namespace quorvex;

namespace {

using test::errorText;

// Opens path as an unprivileged user (root ignores permission bits) and returns the error text.
std::string openAsUnprivileged(const fs::path& path)
{
    return test::inChildProcess(true, [&] { return errorText([&] { GameFile file(path); }); });
}

} // namespace

TEST(GameFile, ReportsEachFailureWithItsText)
{
    test::ScratchFolder scratch;
    EXPECT_EQ(errorText([&] { GameFile file(scratch / "missing.exe"); }), "File not found");
    EXPECT_EQ(errorText([&] { GameFile file{fs::path()}; }), "File not found");
    EXPECT_EQ(errorText([&] { GameFile file(scratch.path()); }), "File access denied");

    test::writeBytes(scratch / "short.exe", {1, 2, 3});
    GameFile file(scratch / "short.exe");
    file.seek(2);
    EXPECT_EQ(errorText([&] { file.read(2); }), "Read beyond end of file");
}

TEST(GameFile, ReadOnlyFileCannotBeOpenedEvenForReading)
{
    test::ScratchFolder scratch;
    const auto path = scratch / "torlo.exe";
    test::writeBytes(path, std::vector<std::uint8_t>(16, 7));
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(scratch.path(), fs::perms::all);
    if (::geteuid() == 0)
        EXPECT_EQ(openAsUnprivileged(path), "File access denied");
    else
        EXPECT_EQ(errorText([&] { GameFile file(path); }), "File access denied");
}

TEST(GameFile, PatchesInPlaceWithoutTruncating)
{
    test::ScratchFolder scratch;
    const auto path = scratch / "torlo.exe";
    test::writeBytes(path, std::vector<std::uint8_t>(10, 0xAA));
    {
        GameFile file(path);
        file.seek(4);
        file.writeInt16(-2);
        file.writeByte(9);
    }
    const auto bytes = test::readBytes(path);
    ASSERT_EQ(bytes.size(), 10u);
    EXPECT_EQ(bytes[3], 0xAA);
    EXPECT_EQ(bytes[4], 0xFE);
    EXPECT_EQ(bytes[5], 0xFF);
    EXPECT_EQ(bytes[6], 9);
    EXPECT_EQ(bytes[7], 0xAA);
    GameFile file(path);
    file.seek(4);
    EXPECT_EQ(file.readInt16(), -2);
}

TEST(GameFile, AtomicWriteLeavesNoTemporaryAndReplacesWhole)
{
    test::ScratchFolder scratch;
    const auto path = scratch / "out.bin";
    test::writeBytes(path, std::vector<std::uint8_t>(100, 1));
    writeFileAtomically(path, std::vector<std::uint8_t>{5, 6});
    EXPECT_EQ(test::readBytes(path), (std::vector<std::uint8_t>{5, 6}));
    EXPECT_EQ(std::distance(fs::directory_iterator(scratch.path()), fs::directory_iterator()), 1);
    EXPECT_THROW(writeFileAtomically(scratch / "no-such-folder" / "x", std::vector<std::uint8_t>{1}), FileError);
}

TEST(GameFolder, FindsGameFilesWithoutRegardToCase)
{
    test::ScratchFolder scratch;
    test::writeBytes(scratch / "TORLO.EXE", {1});
    test::writeBytes(scratch / "Torlo.Dat", {2});
    Workspace workspace;
    workspace.gameFolder = scratch.path();
    EXPECT_EQ(workspace.torloExe(), scratch / "TORLO.EXE");
    EXPECT_EQ(workspace.torloDat(), scratch / "Torlo.Dat");
    EXPECT_EQ(workspace.torloChr(), scratch / "TORLO.CHR");   // missing: opening says "File not found"
    workspace.gameFolder.clear();
    EXPECT_EQ(errorText([&] { GameFile file(workspace.torloExe()); }), "File not found");
}

TEST(WeaponNames, ReadingCutsAtTildeAndThirteenCharacters)
{
    std::vector<std::uint8_t> slot(14, 0);
    auto store = [&](std::uint8_t length, const std::string& text) {
        std::fill(slot.begin(), slot.end(), 0);
        slot[0] = length;
        std::copy_n(text.begin(), std::min<std::size_t>(13, text.size()), slot.begin() + 1);
    };
    store(7, "SHOTGUN");
    EXPECT_EQ(decodeWeaponName(slot), "SHOTGUN");
    store(20, "ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(decodeWeaponName(slot), "ABCDEFGHIJKLM");
    store(9, "ABCDE~GHI");
    EXPECT_EQ(decodeWeaponName(slot), "ABCDE");
    store(0, "IGNORED");
    EXPECT_EQ(decodeWeaponName(slot), "");
}

TEST(WeaponNames, WritingPadsTheSlotWithZeros)
{
    const auto five = encodeWeaponName("LASER");
    EXPECT_EQ(five[0], 5);
    EXPECT_EQ(std::string(five.begin() + 1, five.begin() + 6), "LASER");
    EXPECT_TRUE(std::all_of(five.begin() + 6, five.end(), [](auto b) { return b == 0; }));
    const auto thirteen = encodeWeaponName("ABCDEFGHIJKLM");
    EXPECT_EQ(thirteen[0], 13);
    EXPECT_EQ(thirteen[13], 'M');
}

TEST(WeaponNames, DemoGameHoldsTheFortyNamesInSlotOrder)
{
    test::DemoGame demo;
    GameFile exe(demo.workspace.torloExe());
    const auto names = readWeaponNames(exe);
    EXPECT_EQ(names[0], "SHOTGUN");
    EXPECT_EQ(names[39], "GAUSS GUN");
    writeWeaponName(exe, 3, "NUKE");
    EXPECT_EQ(readWeaponName(exe, 3), "NUKE");
    EXPECT_EQ(readWeaponName(exe, 4), "DIRTBALL");
}

TEST(NumberText, ConvertsLikeTheEditorsExpect)
{
    EXPECT_EQ(strToInt("300"), 300);
    EXPECT_EQ(strToInt("  -1"), -1);
    EXPECT_EQ(strToInt("+7"), 7);
    EXPECT_EQ(strToInt("$1F"), 31);
    EXPECT_EQ(strToInt("0x10"), 16);
    EXPECT_EQ(strToInt("-2147483648"), INT32_MIN);
    for (const char* bad : {"", " ", "12a", "1 2", "2147483648", "-", "0x", "1.5", "10 "})
        EXPECT_THROW(strToInt(bad), ConvertError) << bad;
    try {
        strToInt("abc");
    } catch (const ConvertError& error) {
        EXPECT_STREQ(error.what(), "'abc' is not a valid integer value");
    }
    EXPECT_EQ(lenientInt("42abc"), 42);
    EXPECT_EQ(lenientInt(" -5 x"), -5);
    EXPECT_EQ(lenientInt("x"), 0);
}
