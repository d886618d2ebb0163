#include "core/browser/archive.h"
#include "core/browser/file_operations.h"
#include "core/formats/activation.h"
#include "core/store/backups.h"
#include "core/store/history.h"
#include "core/base/errors.h"
#include "core/gamefile/game_file.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace quorvex;
using test::readBytes;
using test::writeBytes;

namespace {

constexpr std::time_t Day = 24 * 60 * 60;

struct BackupsTest : ::testing::Test {
    test::DemoGame demo;
    const Workspace& ws = demo.workspace;
    std::time_t time = 1'800'000'000;   // moved on by the tests
    BackupKeeper keeper{ws, [this] { return time; }};
    fs::path exe = ws.torloExe();

    // One operation on the game at the fixture's time.
    template <class Action>
    auto change(Action action)
    {
        return test::asOperation(ws, action, [this] { return time; });
    }
    void patch(const fs::path& file, std::uint64_t offset, std::uint8_t value)
    {
        change([&] { GameFile(file).writeAt(offset, std::vector<std::uint8_t>{value}); });
    }
    // The copies kept of a file, oldest first.
    std::vector<Backup> copiesOf(const std::string& file)
    {
        std::vector<Backup> copies;
        for (const auto& b : keeper.list())
            if (b.file == file)
                copies.insert(copies.begin(), b);
        return copies;
    }
    static bool yes(std::string_view) { return true; }
};

using test::errorText;

// A full disk: no file may grow beyond limit bytes; the signal is ignored so that the write
// fails instead of ending the process.
void limitFileSize(rlim_t limit)
{
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit l{limit, limit};
    ::setrlimit(RLIMIT_FSIZE, &l);
}

} // namespace

TEST_F(BackupsTest, EveryKindOfChangeToAGameFileKeepsItAsItWas)
{
    const auto mods = ws.gameFolder / "mods";
    const auto before = [&](const fs::path& f) { return readBytes(f); };
    const auto exeBytes = before(exe), datBytes = before(ws.torloDat()), chrBytes = before(ws.torloChr()),
               sndBytes = before(ws.torloSnd()), outside = before(mods / "MEADOW.LEV");
    change([&] { copyFileAtomically(mods / "CANYON.LEV", ws.gameFolder / "CANYON.LEV"); });   // new: nothing to keep
    const auto canyon = before(ws.gameFolder / "CANYON.LEV");

    patch(exe, 0, 1);                                                                        // in place
    change([&] { writeFileAtomically(ws.torloDat(), std::vector<std::uint8_t>{1, 2}); });    // replaced whole
    ASSERT_TRUE(change([&] { return activateFile(mods / "NEONGFX.CHR", mods, ws, yes); }).outcome.succeeded());   // copied over
    ASSERT_TRUE(change([&] { return activateFile(mods / "CRUNCHY.SND", mods, ws, yes); }).outcome.succeeded());
    patch(mods / "MEADOW.LEV", 0, 'P');                                                      // a level elsewhere, in place
    change([&] { copyFileAtomically(mods / "SUNSET.LEV", ws.gameFolder / "CANYON.LEV"); });  // a level of the game replaced

    const std::pair<std::string, const std::vector<std::uint8_t>*> expected[] = {
        {"torlo.exe", &exeBytes},  {"torlo.dat", &datBytes}, {"TORLO.CHR", &chrBytes}, {"TORLO.SND", &sndBytes},
        {(mods / "MEADOW.LEV").string(), &outside}, {"CANYON.LEV", &canyon}};
    ASSERT_EQ(keeper.list().size(), std::size(expected));
    for (const auto& [file, bytes] : expected) {
        const auto copies = copiesOf(file);
        ASSERT_EQ(copies.size(), 1u) << file;
        EXPECT_TRUE(copies[0].original) << file;
        EXPECT_EQ(copies[0].size, bytes->size()) << file;
        EXPECT_EQ(readBytes(copies[0].copy), *bytes) << file;
    }
}

TEST_F(BackupsTest, UnpackingOverAGameFileOrDeletingOneKeepsItToo)
{
    const auto chr = readBytes(ws.torloChr()), dat = readBytes(ws.torloDat());
    test::writeZip(ws.dataFolder / "mod.zip", {{"readme.txt", "hi"}, {"TORLO.CHR", "new"}});
    ASSERT_TRUE(change([&] { return unpackArchive(ws.dataFolder / "mod.zip", ws.gameFolder, yes); }).succeeded());
    ASSERT_TRUE(change([&] { return deleteModFile(ws.torloDat(), ws.gameFolder); }).succeeded());
    ASSERT_EQ(keeper.list().size(), 2u);
    EXPECT_EQ(readBytes(copiesOf("TORLO.CHR").at(0).copy), chr);
    EXPECT_EQ(readBytes(copiesOf("torlo.dat").at(0).copy), dat);

    // A copy that can not be written stops the unpacking before its first file.
    fs::remove_all(keeper.folder());
    writeBytes(keeper.folder(), {0});   // a file where the folder belongs
    test::writeZip(ws.dataFolder / "mod2.zip", {{"readme.txt", "changed"}, {"TORLO.SND", "new"}});
    const auto outcome = change([&] { return unpackArchive(ws.dataFolder / "mod2.zip", ws.gameFolder, yes); });
    EXPECT_FALSE(outcome.succeeded());
    EXPECT_NE(outcome.status.find("Could not back up \"TORLO.SND\""), std::string::npos) << outcome.status;
    EXPECT_EQ(test::readText(ws.gameFolder / "readme.txt"), "hi");
    EXPECT_FALSE(change([&] { return deleteModFile(ws.torloSnd(), ws.gameFolder); }).succeeded());
    EXPECT_TRUE(fs::exists(ws.torloSnd()));
}

TEST_F(BackupsTest, ReadsExportsAndOtherFilesKeepNothing)
{
    change([&] {
        {
            GameFile opened(exe);   // opened for update, as every read is
            opened.readAt(0, 16);
            opened.write(std::span<const std::uint8_t>());
        }
        writeFileAtomically(ws.gameFolder / "export.bmp", std::vector<std::uint8_t>{1});
        writeFileAtomically(ws.gameFolder / "export.bmp", std::vector<std::uint8_t>{2});    // a file of the user's
        writeFileAtomically(ws.gameFolder / "mods" / "ISLANDS.BMP", std::vector<std::uint8_t>{3});  // a conversion's result
        writeFileAtomically(ws.gameFolder / "mods" / "NEW.LEV", std::vector<std::uint8_t>{3});      // a level made anew elsewhere
        GameFile(ws.gameFolder / "mods" / "PASTEL.ACT").writeAt(0, std::vector<std::uint8_t>{9});
        writeFileAtomically(ws.dataFolder / "torlo.exe", std::vector<std::uint8_t>{4});    // not the game's
        writeFileAtomically(ws.dataFolder / "torlo.exe", std::vector<std::uint8_t>{5});
    });
    EXPECT_TRUE(keeper.list().empty());
    EXPECT_FALSE(fs::exists(keeper.folder()));
}

TEST_F(BackupsTest, TheOriginalStaysAndOneCopyADayOfTheLastTwentyDays)
{
    // The keeper alone, without the history's versions of the steps.
    const auto patch = [&](const fs::path& file, std::uint64_t offset, std::uint8_t value) {
        keeper.keep(file);
        GameFile(file).writeAt(offset, std::vector<std::uint8_t>{value});
    };
    const auto original = readBytes(exe);
    patch(exe, 0, 100);
    patch(exe, 0, 101);   // the same day: the original holds that day's state
    ASSERT_EQ(copiesOf("torlo.exe").size(), 1u);

    std::vector<std::vector<std::uint8_t>> states;
    for (int day = 1; day <= 25; ++day) {
        time += Day;
        states.push_back(readBytes(exe));
        patch(exe, 0, static_cast<std::uint8_t>(day));
        patch(exe, 1, static_cast<std::uint8_t>(day));
    }
    const auto copies = copiesOf("torlo.exe");
    ASSERT_EQ(copies.size(), 1u + BackupKeeper::KeptCopies);
    EXPECT_TRUE(copies[0].original);
    EXPECT_EQ(readBytes(copies[0].copy), original);
    for (int i = 1; i <= BackupKeeper::KeptCopies; ++i) {
        EXPECT_FALSE(copies[i].original);
        EXPECT_EQ(readBytes(copies[i].copy), states[states.size() - BackupKeeper::KeptCopies + i - 1]) << i;
    }
    // Copies that fell out of the list are gone from the store too: the original and 20 copies.
    EXPECT_EQ(std::distance(fs::directory_iterator(keeper.store().folder()), fs::directory_iterator()), 21);

    // A file unchanged since its last copy is not kept again.
    time += Day;
    keeper.keep(exe);
    writeFileAtomically(exe, readBytes(exe));
    const auto newest = copiesOf("torlo.exe").back().id;
    time += Day;
    patch(exe, 0, 25);   // the value it holds
    EXPECT_EQ(copiesOf("torlo.exe").back().id, newest);
}

TEST_F(BackupsTest, RestorePutsTheCopyBackAndCanItselfBeUndone)
{
    const auto original = readBytes(exe);
    patch(exe, 0, 1);
    time += Day;
    patch(exe, 0, 2);
    const auto changed = readBytes(exe);

    int asked = 0;
    const auto no = [&](std::string_view) { return ++asked, false; };
    const auto id = copiesOf("torlo.exe")[0].id;
    EXPECT_EQ(keeper.restore(id, no).kind, Outcome::Kind::Nothing);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(readBytes(exe), changed);

    const auto restored = keeper.restore(id, yes);
    EXPECT_EQ(restored.status, "Backup restored");
    EXPECT_EQ(restored.logMessage, "Backup of " + exe.string() + " from " + copiesOf("torlo.exe")[0].date + " restored");
    EXPECT_EQ(readBytes(exe), original);
    // The file it replaced was kept although this day had its copy already.
    const auto afterRestore = copiesOf("torlo.exe");
    ASSERT_EQ(afterRestore.size(), 3u);
    EXPECT_EQ(readBytes(afterRestore.back().copy), changed);

    EXPECT_TRUE(keeper.restore(afterRestore.back().id, yes).succeeded());   // undone
    EXPECT_EQ(readBytes(exe), changed);
    EXPECT_TRUE(keeper.restoreOriginal("TORLO.EXE", yes).succeeded());     // found without regard to case
    EXPECT_EQ(readBytes(exe), original);
}

TEST_F(BackupsTest, RestoreRefusesWhatIsNotThereOrDamaged)
{
    patch(exe, 0, 1);
    patch(ws.gameFolder / "mods" / "MEADOW.LEV", 0, 1);
    const auto changed = readBytes(exe);
    EXPECT_EQ(keeper.restore("99", yes).status, "There is no backup 99 of this game");
    EXPECT_EQ(keeper.restoreOriginal("TORLO.SND", yes).status, "There is no original of TORLO.SND among the backups of this game");

    const auto copy = copiesOf("torlo.exe")[0];
    fs::resize_file(copy.copy, copy.size - 1);
    const auto outcome = keeper.restore(copy.id, [](std::string_view) -> bool { throw std::logic_error("asked"); });
    EXPECT_EQ(outcome.status, "The backup " + copy.id + " of torlo.exe is missing or damaged");
    EXPECT_EQ(readBytes(exe), changed);

    // A level elsewhere goes back to its own folder, named by its path.
    const auto level = ws.gameFolder / "mods" / "MEADOW.LEV";
    const auto levelNow = readBytes(level);
    EXPECT_TRUE(keeper.restoreOriginal(level.string(), yes).succeeded());
    EXPECT_NE(readBytes(level), levelNow);
    EXPECT_EQ(readBytes(level), readBytes(copiesOf(level.string())[0].copy));
}

TEST_F(BackupsTest, ALostIndexNeverCostsACopyThatIsThere)
{
    const auto original = readBytes(exe);
    patch(exe, 0, 1);
    const auto first = copiesOf("torlo.exe")[0].copy;
    fs::remove(keeper.folder() / "backups.txt");
    time += Day;
    patch(exe, 0, 2);
    EXPECT_EQ(readBytes(first), original);
    ASSERT_EQ(keeper.list().size(), 1u);
    EXPECT_NE(keeper.list()[0].copy, first);
}

TEST_F(BackupsTest, TwoGamesNeverMixAndTheKeeperFollowsTheGameFolder)
{
    test::DemoGame other;
    writeBytes(other.workspace.torloExe(), {9, 9, 9});
    Workspace moving = ws;   // one data folder; the game folder changes under the keeper
    BackupKeeper inner(moving, [this] { return time; });
    patch(exe, 0, 1);
    const auto first = inner.folder();
    moving.gameFolder = other.game();
    test::asOperation(moving, [&] { GameFile(other.workspace.torloExe()).writeAt(0, std::vector<std::uint8_t>{1}); });
    EXPECT_NE(inner.folder(), first);   // both game folders are called "game"
    ASSERT_EQ(inner.list().size(), 1u);
    EXPECT_EQ(readBytes(inner.list()[0].copy), (std::vector<std::uint8_t>{9, 9, 9}));
    moving.gameFolder = ws.gameFolder;
    ASSERT_EQ(inner.list().size(), 1u);
    EXPECT_EQ(inner.list()[0].size, 141312u);
}

TEST_F(BackupsTest, AnOperationOnAnotherGameKeepsNothingOfThisOne)
{
    test::DemoGame other;
    test::asOperation(other.workspace, [&] {
        GameFile(exe).writeAt(0, std::vector<std::uint8_t>{1});
        patch(exe, 1, 1);   // this game's own operation, opened meanwhile, keeps it
    });
    EXPECT_EQ(keeper.list().size(), 1u);
    EXPECT_TRUE(BackupKeeper(other.workspace).list().empty());
    EXPECT_EQ(History(BackupKeeper(other.workspace)).steps().size(), 0u);
}

TEST_F(BackupsTest, AFullDiskWhileBackingUpLeavesTheGameFileUntouched)
{
    const auto exeBytes = readBytes(exe), chrBytes = readBytes(ws.torloChr());
    // Small enough for no copy of torlo.exe (141312 bytes) or TORLO.CHR (35028); the changes
    // themselves fit.
    const rlim_t limit = 20000;
    const auto text = test::inChildProcess(false, [&] {
        limitFileSize(limit);
        return errorText([&] { patch(exe, 0, 1); }) + "\n"
               + errorText([&] { change([&] { writeFileAtomically(ws.torloChr(), std::vector<std::uint8_t>(100, 7)); }); });
    });
    EXPECT_EQ(text.substr(0, text.find('\n')).rfind("Could not back up \"torlo.exe\" (", 0), 0u) << text;
    EXPECT_NE(text.find("), so it was not changed\nCould not back up \"TORLO.CHR\" ("), std::string::npos) << text;
    EXPECT_EQ(readBytes(exe), exeBytes);
    EXPECT_EQ(readBytes(ws.torloChr()), chrBytes);
    EXPECT_TRUE(keeper.list().empty());
    // Nothing half-written is left behind: no copy, no temporary file, no journal.
    if (fs::exists(keeper.folder()))
        for (const auto& entry : fs::recursive_directory_iterator(keeper.folder()))
            if (!entry.is_directory())
                ADD_FAILURE() << entry.path();

    // Once this day's copy exists the change itself needs the room: it is made on a whole new
    // copy of the file, which the limit stops, and the file stays as it was.
    patch(exe, 1, 1);
    const auto patched = readBytes(exe);
    EXPECT_EQ(test::inChildProcess(false, [&] {
                  limitFileSize(limit);
                  return errorText([&] { patch(exe, 0, 1); });
              }),
              "Disk full: torlo.exe");
    EXPECT_EQ(readBytes(exe), patched);
}

TEST_F(BackupsTest, AReadOnlyBackupsFolderStopsEveryChange)
{
    const auto exeBytes = readBytes(exe), chrBytes = readBytes(ws.torloChr());
    fs::permissions(demo.scratch.path(), fs::perms::all);
    for (const auto& entry : fs::recursive_directory_iterator(demo.scratch.path()))
        fs::permissions(entry.path(), entry.is_directory() ? fs::perms::all : fs::perms(0666));
    fs::create_directories(ws.dataFolder / "backups");
    fs::permissions(ws.dataFolder / "backups", fs::perms(0555));
    const auto mods = ws.gameFolder / "mods";
    const auto text = test::inChildProcess(true, [&] {
        const auto mod = change([&] { return activateFile(mods / "NEONGFX.CHR", mods, ws, yes); }).outcome;
        return mod.status + "\n" + errorText([&] { change([&] { activateFile(mods / "PASTEL.ACT", mods, ws, yes); }); });
    });
    // Without its lock file the operation is refused, never run unlocked.
    const auto refused = "Could not take the lock of the game (File access denied: " + gameLockFile(ws).filename().string()
                         + "), so nothing was changed";
    EXPECT_EQ(text, "Mod not activated: " + refused + "\n" + refused);
    EXPECT_EQ(readBytes(ws.torloChr()), chrBytes);
    EXPECT_EQ(readBytes(exe), exeBytes);
}
