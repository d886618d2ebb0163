#include "core/base/errors.h"
#include "core/gamefile/game_file.h"
#include "core/text/number_text.h"
#include "core/weapons/weapon_names.h"
#include "core/base/workspace.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
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

TEST(GameFile, ReportsEachFailureWithItsTextAndTheFile)
{
    test::ScratchFolder scratch;
    EXPECT_EQ(errorText([&] { GameFile file(scratch / "missing.exe"); }), "File not found: missing.exe");
    EXPECT_EQ(errorText([&] { GameFile file{fs::path()}; }), "File not found");
    fs::create_directory(scratch / "folder");
    EXPECT_EQ(errorText([&] { GameFile file(scratch / "folder"); }), "File access denied: folder");
    EXPECT_EQ(errorText([&] { fileSize(scratch / "gone.lev"); }), "File not found: gone.lev");

    test::writeBytes(scratch / "short.exe", {1, 2, 3});
    GameFile file(scratch / "short.exe");
    file.seek(2);
    EXPECT_EQ(errorText([&] { file.read(2); }), "Read beyond end of file: short.exe");
    EXPECT_EQ(errorText([&] { file.requireSize(4); }), "Read beyond end of file: short.exe");
    try {
        file.requireSize(4);
    } catch (const FileError& error) {
        EXPECT_EQ(error.text(), "Read beyond end of file");   // the kind alone, for comparisons
        EXPECT_EQ(error.file(), "short.exe");
    }
}

TEST(GameFile, OnlyRegularFilesAreOpenedAndNoneBlocks)
{
    test::ScratchFolder scratch;
    const auto pipe = scratch / "pipe.chr";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
    // Opening a pipe that no one writes used to wait for ever.
    EXPECT_EQ(errorText([&] { GameFile file(pipe, GameFile::Access::ReadOnly); }), "Not a regular file: pipe.chr");
    EXPECT_EQ(errorText([&] { GameFile file(pipe); }), "Not a regular file: pipe.chr");
    EXPECT_EQ(errorText([&] { readWholeFile(pipe); }), "Not a regular file: pipe.chr");
    EXPECT_EQ(errorText([&] { fileSize(pipe); }), "Not a regular file: pipe.chr");
    fs::create_symlink("/dev/zero", scratch / "zero.lev");
    EXPECT_EQ(errorText([&] { readWholeFile(scratch / "zero.lev"); }), "Not a regular file: zero.lev");
}

TEST(GameFile, ReadOnlyFileCannotBeOpenedEvenForReading)
{
    test::ScratchFolder scratch;
    const auto path = scratch / "torlo.exe";
    test::writeBytes(path, std::vector<std::uint8_t>(16, 7));
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(scratch.path(), fs::perms::all);
    if (::geteuid() == 0) {
        EXPECT_EQ(openAsUnprivileged(path), "File access denied: torlo.exe");
    }
    EXPECT_EQ(errorText([&] { GameFile file(path); }), "File access denied: torlo.exe");
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

// A window holds the game files it read (its model); readers and patches start from those bytes
// while they are held, and from the disk when the holder has none for the file.
TEST(GameFile, ReadsAndPatchesTheBytesHeldOfTheFile)
{
    struct Held : HeldFiles {
        fs::path path;
        std::shared_ptr<const Bytes> bytes;
        std::shared_ptr<const Bytes> held(const fs::path& asked) const override { return asked == path ? bytes : nullptr; }
    };
    test::ScratchFolder scratch;
    const auto heldPath = scratch / "torlo.exe", otherPath = scratch / "torlo.dat";
    for (const auto& path : {heldPath, otherPath})
        test::writeBytes(path, Bytes(10, 0xAA));
    Held held;
    held.path = heldPath;
    held.bytes = std::make_shared<const Bytes>(10, 0xBB);
    Workspace ws;
    ws.held = &held;

    EXPECT_EQ(GameFile(ws, heldPath, GameFile::Access::ReadOnly).readAt(2, 3), Bytes(3, 0xBB));
    EXPECT_EQ(readWholeFile(heldPath, &held), Bytes(10, 0xBB));
    EXPECT_EQ(readWholeFile(otherPath, &held), Bytes(10, 0xAA));
    EXPECT_EQ(readWholeFile(heldPath), Bytes(10, 0xAA)) << "no holder: the disk";
    EXPECT_EQ(errorText([&] { GameFile(ws, heldPath, GameFile::Access::ReadOnly).writeByte(1); }), "I/O error 9: torlo.exe");
    EXPECT_EQ(test::readBytes(heldPath), Bytes(10, 0xAA)) << "a file read as held is never written";

    for (const auto& path : {heldPath, otherPath}) {
        GameFile file(ws, path);
        file.seek(4);
        file.writeByte(9);
    }
    auto patched = Bytes(10, 0xBB);
    patched[4] = 9;
    EXPECT_EQ(test::readBytes(heldPath), patched) << "patched from the bytes held";
    patched.assign(10, 0xAA);
    patched[4] = 9;
    EXPECT_EQ(test::readBytes(otherPath), patched);
}

// Both ways of replacing (renamed over, or swapped in and the old file removed, for the
// cached writes of conversions) leave one whole file with its permissions and nothing else.
TEST(GameFile, AtomicWriteLeavesNoTemporaryAndReplacesWhole)
{
    for (const auto durability : {Durability::Flushed, Durability::Cached}) {
        test::ScratchFolder scratch;
        const auto path = scratch / "out.bin";
        test::writeBytes(path, std::vector<std::uint8_t>(100, 1));
        fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
        writeFileAtomically(path, std::vector<std::uint8_t>{5, 6}, durability);
        EXPECT_EQ(test::readBytes(path), (std::vector<std::uint8_t>{5, 6}));
        EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
        writeFileAtomically(scratch / "new.bin", std::vector<std::uint8_t>{7}, durability);
        EXPECT_EQ(test::readBytes(scratch / "new.bin"), std::vector<std::uint8_t>{7});
        EXPECT_EQ(std::distance(fs::directory_iterator(scratch.path()), fs::directory_iterator()), 2);
        EXPECT_THROW(writeFileAtomically(scratch / "no-such-folder" / "x", std::vector<std::uint8_t>{1}, durability),
                     FileError);
    }
}

TEST(GameFile, AtomicWriteKeepsPermissionsAndRefusesAReadOnlyFile)
{
    test::ScratchFolder scratch;
    const auto path = scratch / "TORLO.SND";
    test::writeBytes(path, {1, 2, 3});
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    writeFileAtomically(path, std::vector<std::uint8_t>{4});
    EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_EQ(errorText([&] { writeFileAtomically(path, std::vector<std::uint8_t>{5}); }), "File access denied: TORLO.SND");
    EXPECT_EQ(errorText([&] { GameFile file(path); }), "File access denied: TORLO.SND");
    EXPECT_EQ(test::readBytes(path), std::vector<std::uint8_t>{4});
    EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
}

TEST(GameFile, AtomicWriteRemovesTheStaleTemporariesOfItsTarget)
{
    test::ScratchFolder scratch;
    const auto path = scratch / "TORLO.CHR";
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(1);
    for (const char* name : {".TORLO.CHR.123456.tmp", ".TORLO.CHR.99.tmp", ".TORLO.CHR.fresh.tmp", ".OTHER.1.tmp",
                             ".TORLO.CHR.7.tmp.keep"}) {
        test::writeBytes(scratch / name, {1});
        fs::last_write_time(scratch / name, old);
    }
    test::writeBytes(scratch / ".TORLO.CHR.5.tmp", {1});   // a write in progress elsewhere
    writeFileAtomically(path, std::vector<std::uint8_t>{9});
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(scratch.path()))
        left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{".OTHER.1.tmp", ".TORLO.CHR.5.tmp", ".TORLO.CHR.7.tmp.keep",
                                              ".TORLO.CHR.fresh.tmp", "TORLO.CHR"}));
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
    EXPECT_EQ(errorText([&] { GameFile file(workspace.torloExe()); }).rfind("File not found", 0), 0u);
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
    EXPECT_EQ(strToInt("0X1F"), 31);
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
    // Found by fuzzing: the digits were cut at eleven characters, leading zeros included.
    EXPECT_EQ(lenientInt("00000000000007"), 7);
    EXPECT_EQ(lenientInt("-0000000000002147483648"), INT32_MIN);
    EXPECT_EQ(lenientInt("99999999999999"), INT32_MAX);
}
