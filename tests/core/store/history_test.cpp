#include "core/store/backups.h"
#include "core/base/errors.h"
#include "core/gamefile/game_file.h"
#include "core/store/game_change.h"
#include "core/store/history.h"
#include "core/store/profiles.h"
#include "core/text/sha256.h"
#include "core/hacks/hacks.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace quorvex;
using test::readBytes;
using test::writeBytes;
using test::readText;

namespace {

struct HistoryTest : ::testing::Test {
    test::DemoGame demo;
    const Workspace& ws = demo.workspace;
    BackupKeeper keeper{ws};
    History history{keeper};
    fs::path exe = ws.torloExe();

    // One operation as the window and the CLI run it: one change, its status, its patches.
    void step(const std::string& what, const std::vector<std::pair<fs::path, std::uint8_t>>& patches)
    {
        GameChange change(ws);
        for (const auto& [file, value] : patches)
            GameFile(file).writeAt(16, std::vector<std::uint8_t>{value});
        change.describe(what, true);
        change.commit();
    }
};

// Runs each action in a child process at the same time; true when all ended well.
bool atOnce(const std::vector<std::function<void()>>& actions)
{
    std::vector<pid_t> children;
    for (const auto& action : actions) {
        const pid_t child = ::fork();
        if (child == 0) {
            try {
                action();
            } catch (...) {
                ::_exit(1);
            }
            ::_exit(0);
        }
        children.push_back(child);
    }
    bool fine = true;
    for (const auto child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        fine = fine && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    return fine;
}

} // namespace

TEST(Sha256, KnownDigests)
{
    const std::pair<std::string, std::string> cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",   // two blocks of padding
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"}};
    for (const auto& [text, digest] : cases)
        for (const auto hash : {sha256Hex, sha256HexPortable})
            EXPECT_EQ(hash(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size())), digest)
                << text.size();
    // Every length around the block and padding boundaries, in both ways of hashing.
    std::vector<std::uint8_t> bytes;
    for (std::size_t size = 0; size < 300; ++size, bytes.push_back(static_cast<std::uint8_t>(size * 131)))
        EXPECT_EQ(sha256Hex(bytes), sha256HexPortable(bytes)) << size;
}

// Two processes keep versions in one store at once, some the same: every entry is whole, none
// is left half-written, and each reads back as kept.
TEST(VersionStoreTest, TwoProcessesWritingAtOnceLeaveEveryEntryWhole)
{
    test::ScratchFolder scratch;
    const VersionStore store(scratch / "store");
    const auto version = [](int i) { return Bytes(50000 + i, static_cast<std::uint8_t>(i)); };
    const auto keep = [&](int from) {
        return [&, from] {
            for (int i = from; i < from + 60; ++i)
                store.put(version(i), i > from ? sha256Hex(version(i - 1)) : std::string());
        };
    };
    ASSERT_TRUE(atOnce({keep(0), keep(30)}));
    for (int i = 0; i < 90; ++i)
        EXPECT_EQ(store.get(sha256Hex(version(i)), "file"), version(i)) << i;
    EXPECT_EQ(std::distance(fs::directory_iterator(store.folder()), fs::directory_iterator()), 90);
}

// Two Quorvex processes change two files of one game at once: every change is one step, and
// undoing them all gives both files as they were.
TEST_F(HistoryTest, TwoProcessesChangingTheGameAtOnceEachRecordEveryStep)
{
    const auto exeBytes = readBytes(exe), chrBytes = readBytes(ws.torloChr());
    const auto changes = [&](const fs::path& file) {
        return [&, file] {
            for (int i = 1; i <= 15; ++i)
                step(file.filename().string() + " " + std::to_string(i), {{file, static_cast<std::uint8_t>(i)}});
        };
    };
    ASSERT_TRUE(atOnce({changes(exe), changes(ws.torloChr())}));
    ASSERT_EQ(history.steps().size(), 30u);
    for (int i = 0; i < 30; ++i)
        ASSERT_TRUE(history.undo().succeeded()) << i;
    EXPECT_EQ(readBytes(exe), exeBytes);
    EXPECT_EQ(readBytes(ws.torloChr()), chrBytes);
}

TEST_F(HistoryTest, UndoAndRedoPutBackEveryFileOfAStep)
{
    const auto exe0 = readBytes(exe), chr0 = readBytes(ws.torloChr());
    step("Weapons saved", {{exe, 1}, {ws.torloChr(), 2}});
    const auto exe1 = readBytes(exe), chr1 = readBytes(ws.torloChr());
    step("Hacks saved", {{exe, 3}});
    const auto exe2 = readBytes(exe);
    step("Nothing changed", {{exe, 3}});   // the same byte: no step

    const auto steps = history.steps();
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(steps[0].what, "Hacks saved");
    EXPECT_EQ(steps[1].fileList(), "torlo.exe,TORLO.CHR");

    const auto undone = history.undo();
    EXPECT_EQ(undone.status, "Undone: Hacks saved (torlo.exe)");
    EXPECT_EQ(undone.changed, gamePartsIn(exe, ws.gameFolder));
    EXPECT_EQ(readBytes(exe), exe1);
    EXPECT_TRUE(history.undo().succeeded());
    EXPECT_EQ(readBytes(exe), exe0);
    EXPECT_EQ(readBytes(ws.torloChr()), chr0);
    EXPECT_EQ(history.undo().status, "There is nothing to undo");
    EXPECT_EQ(history.redo().status, "Redone: Weapons saved (torlo.exe,TORLO.CHR)");
    EXPECT_EQ(readBytes(exe), exe1);
    EXPECT_EQ(readBytes(ws.torloChr()), chr1);
    EXPECT_TRUE(history.redo().succeeded());
    EXPECT_EQ(readBytes(exe), exe2);
    EXPECT_EQ(history.redo().status, "There is nothing to redo");

    // A new step after an undo ends what redo could put back.
    EXPECT_TRUE(history.undo().succeeded());
    step("Texts saved", {{ws.torloChr(), 7}});
    EXPECT_EQ(history.redo().status, "There is nothing to redo");
    EXPECT_EQ(history.steps().size(), 2u);
}

// A file changed since by something other than Quorvex, a kept version damaged or missing, a
// file that can not be written: the undo is refused naming the file, and every file stays.
TEST_F(HistoryTest, ARefusedOrFailedUndoLeavesEveryFileAsItWas)
{
    const auto before = [&](std::size_t file) { return history.steps().at(0).files.at(file).before; };
    struct Case {
        std::string what;
        std::function<void()> harm;
        std::function<std::string()> refusal;
    };
    const Case cases[] = {
        {"an outside change", [&] { writeBytes(ws.torloChr(), {1, 2, 3}); },
         [] { return "TORLO.CHR was changed outside Quorvex since \"Saved\", so nothing was undone"; }},
        {"a damaged version", [&] { writeBytes(keeper.store().entry(before(1)), {9}); },
         [&] { return "The kept version of TORLO.CHR is missing or damaged (" + before(1).substr(0, 12) + "), so nothing was undone"; }},
        {"a missing version",
         [&] {
             fs::remove(keeper.store().entry(before(0)));
             fs::remove(keeper.store().entry(before(0)).string() + ".diff");
         },
         [&] { return "The kept version of torlo.exe is missing or damaged (" + before(0).substr(0, 12) + "), so nothing was undone"; }},
        {"a read-only file", [&] { fs::permissions(ws.torloChr(), fs::perms(0444)); },
         [] { return "File access denied: TORLO.CHR, so nothing was undone"; }},
    };
    std::uint8_t value = 10;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        step("Saved", {{exe, ++value}, {ws.torloChr(), value}});
        const auto exeBytes = readBytes(exe), chrBytes = readBytes(ws.torloChr());
        c.harm();
        const auto chrNow = readBytes(ws.torloChr());
        const auto refused = history.undo();
        EXPECT_EQ(refused.kind, Outcome::Kind::Refused);
        EXPECT_EQ(refused.status, c.refusal());
        EXPECT_EQ(readBytes(exe), exeBytes);
        EXPECT_EQ(readBytes(ws.torloChr()), chrNow);
        fs::permissions(ws.torloChr(), fs::perms(0644));
        writeBytes(ws.torloChr(), chrBytes);
        EXPECT_EQ(history.undo().succeeded(), c.what.find("version") == std::string::npos);
    }
}

// The steps after an edit outside Quorvex keep their versions as differences from the edited
// file, which no backup holds: dropping the oldest steps must keep it while a difference needs it.
TEST_F(HistoryTest, KeepsTheLast200StepsAndOnlyTheVersionsTheyNeed)
{
    step("Before", {{exe, 1}});   // the original is kept as a backup
    auto edited = readBytes(exe);
    edited[17] ^= 0xFF;
    writeBytes(exe, edited);
    std::vector<Bytes> states{readBytes(exe)};
    for (int i = 1; i <= 205; ++i) {
        step("Step " + std::to_string(i), {{exe, static_cast<std::uint8_t>(i + 1)}});
        states.push_back(readBytes(exe));
    }
    const auto steps = history.steps();
    ASSERT_EQ(steps.size(), History::KeptSteps);
    EXPECT_EQ(steps.front().id, 206);
    EXPECT_EQ(steps.back().id, 7);
    auto needed = keeper.versionsInUse();   // and the whole versions their differences rest on
    for (const auto& version : keeper.versionsInUse())
        if (fs::exists(keeper.store().entry(version + ".diff")))
            needed.insert(readText(keeper.store().entry(version + ".diff")).substr(0, 64));
    for (const auto& entry : fs::directory_iterator(keeper.store().folder()))
        EXPECT_TRUE(needed.count(entry.path().stem().string())) << entry.path() << " is kept for nothing";
    for (int i = 0; i < 200; ++i)
        ASSERT_TRUE(history.undo().succeeded()) << i;
    EXPECT_EQ(readBytes(exe), states[5]);
    EXPECT_EQ(history.undo().status, "There is nothing to undo");
}

// The backups folder of an earlier Quorvex: index.txt and whole copies named ID-file, one copy
// the index lost, one damaged. Everything is moved into the store under its ID and date.
TEST_F(HistoryTest, AnEarlierBackupsFolderIsMovedIntoTheStoreWithNothingLost)
{
    const auto folder = keeper.folder();
    fs::create_directories(folder);
    const Bytes original = readBytes(exe), chr = {4, 5}, lost = {6, 6, 6}, damaged = {7, 7};
    auto second = original;   // put back later: a version of torlo.exe can only be one that could be it
    second[2] ^= 0xFF;
    writeBytes(folder / "1-torlo.exe", original);
    writeBytes(folder / "2-TORLO.CHR", chr);
    writeBytes(folder / "3-torlo.exe", second);
    writeBytes(folder / "4-torlo.dat", damaged);
    writeBytes(folder / "5-TORLO.SND", lost);
    const std::string index = "# Backups of the game in " + ws.gameFolder.string() + "\n"
                              "1\t2026-01-01 10:00:00\t" + std::to_string(original.size()) + "\toriginal\ttorlo.exe\n"
                              "2\t2026-01-01 10:00:01\t2\toriginal\tTORLO.CHR\n"
                              "3\t2026-01-02 10:00:00\t" + std::to_string(second.size()) + "\t\ttorlo.exe\n"
                              "4\t2026-01-03 10:00:00\t9\toriginal\ttorlo.dat\n";
    writeBytes(folder / "index.txt", Bytes(index.begin(), index.end()));

    const auto list = keeper.list();
    ASSERT_EQ(list.size(), 5u);
    const std::tuple<std::string, std::string, std::string, bool, const Bytes*> expected[] = {
        {"5", "TORLO.SND", "", false, &lost},
        {"4", "torlo.dat", "2026-01-03 10:00:00", true, nullptr},
        {"3", "torlo.exe", "2026-01-02 10:00:00", false, &second},
        {"2", "TORLO.CHR", "2026-01-01 10:00:01", true, &chr},
        {"1", "torlo.exe", "2026-01-01 10:00:00", true, &original}};
    for (std::size_t i = 0; i < list.size(); ++i) {
        const auto& [id, file, date, isOriginal, bytes] = expected[i];
        SCOPED_TRACE(id);
        EXPECT_EQ(list[i].id, id);
        EXPECT_EQ(list[i].file, file);
        if (!date.empty()) {
            EXPECT_EQ(list[i].date, date);
        }
        EXPECT_EQ(list[i].original, isOriginal);
        if (bytes) {
            EXPECT_EQ(readBytes(list[i].copy), *bytes);
        }
    }
    EXPECT_EQ(keeper.restore("4", [](std::string_view) { return true; }).status, "The backup 4 of torlo.dat is missing or damaged");
    for (const char* old : {"index.txt", "1-torlo.exe", "2-TORLO.CHR", "3-torlo.exe", "4-torlo.dat", "5-TORLO.SND"})
        EXPECT_FALSE(fs::exists(folder / old)) << old;
    // The first change after it keeps a copy beside them, under the next ID.
    test::asOperation(ws, [&] { GameFile(exe).writeAt(0, std::vector<std::uint8_t>{9}); });
    EXPECT_EQ(keeper.list().front().id, "6");
    EXPECT_TRUE(keeper.restore("3", [](std::string_view) { return true; }).succeeded());
    EXPECT_EQ(readBytes(exe), second);
}

// Figures: 100 steps of "Do all !" changing one hack, against 100 plain copies of torlo.exe.
TEST_F(HistoryTest, AHundredHackStepsTakeAFractionOfTheRoomOfCopies)
{
    const auto field = [](std::string_view key) {
        return static_cast<std::size_t>(
            std::find_if(HackItems.begin(), HackItems.end(), [&](const HackItem& item) { return item.key == key; })
            - HackItems.begin());
    };
    for (int i = 1; i <= 100; ++i) {
        GameChange change(ws);
        auto values = readHacks(ws);
        values.text[field("DIGGING")] = std::to_string(i % 20 + 1);   // both at most 24
        values.text[field("SHELLS")] = std::to_string(i / 20 + 1);
        const auto saved = saveHacks(ws, values);
        ASSERT_TRUE(saved.succeeded()) << saved.status;
        change.describe(saved.status, true);
        change.commit();
    }
    ASSERT_EQ(history.steps().size(), 100u);
    const auto copies = 100 * fs::file_size(exe);
    const auto store = keeper.store().size();
    std::cout << "store after 100 hacks steps: " << store << " bytes; 100 copies of torlo.exe: " << copies << " bytes\n";
    EXPECT_LT(store, copies / 20);
}

// A profile saved, the game changed, switched back: byte-identical, and the switch is one step
// that undo takes back. A switch that fails half way leaves every file as it was.
TEST_F(HistoryTest, AProfileSwitchPutsBackEveryFileAllOrNothing)
{
    Profiles profiles(keeper, {exe, ws.torloDat(), ws.torloChr(), ws.torloSnd()});
    const auto exe0 = readBytes(exe), chr0 = readBytes(ws.torloChr());
    const auto yes = [](std::string_view) { return true; };
    ASSERT_TRUE(profiles.save("original", yes).succeeded());
    step("Hacks saved", {{exe, 1}, {ws.torloChr(), 2}});
    const auto exe1 = readBytes(exe), chr1 = readBytes(ws.torloChr());
    ASSERT_EQ(profiles.list().size(), 1u);
    EXPECT_EQ(profiles.list()[0].differs, (std::vector<std::string>{"torlo.exe", "TORLO.CHR"}));

    // A kept version that cannot be read stops the switch before any file is replaced.
    const auto kept = profiles.list()[0].files;
    const auto exeEntry = keeper.store().entry(std::find_if(kept.begin(), kept.end(), [](const auto& f) {
                                                   return f.first == "torlo.exe";
                                               })->second);
    const auto exeKept = readBytes(exeEntry);
    writeBytes(exeEntry, {'M', 'Z'});
    EXPECT_EQ(profiles.switchTo("original").kind, Outcome::Kind::Refused);
    EXPECT_EQ(readBytes(ws.torloChr()), chr1);
    writeBytes(exeEntry, exeKept);

    fs::permissions(ws.torloChr(), fs::perms(0444));   // torlo.exe is replaced first, then this fails
    {
        GameChange change(ws);
        EXPECT_EQ(profiles.switchTo("original").status, "File access denied: TORLO.CHR, so nothing was switched");
        change.commit();
    }
    EXPECT_EQ(readBytes(exe), exe1);
    EXPECT_EQ(readBytes(ws.torloChr()), chr1);
    EXPECT_EQ(history.steps().size(), 1u);
    fs::permissions(ws.torloChr(), fs::perms(0644));

    {
        GameChange change(ws);
        const auto switched = profiles.switchTo("original");
        EXPECT_EQ(switched.status, "Switched to the profile original (torlo.exe,TORLO.CHR)");
        change.describe(switched.status, true);
        change.commit();
    }
    EXPECT_EQ(readBytes(exe), exe0);
    EXPECT_EQ(readBytes(ws.torloChr()), chr0);
    EXPECT_TRUE(profiles.list()[0].differs.empty());
    EXPECT_EQ(history.steps().at(0).what, "Switched to the profile original (torlo.exe,TORLO.CHR)");
    // The switch names its files already: undo names them once.
    EXPECT_EQ(history.undo().status, "Undone: Switched to the profile original (torlo.exe,TORLO.CHR)");
    EXPECT_EQ(readBytes(exe), exe1);
}

TEST_F(HistoryTest, ProfileNamesAndUnknownProfilesAreRefusedWithNothingWritten)
{
    Profiles profiles(keeper, {exe});
    const auto yes = [](std::string_view) { return true; };
    const auto no = [](std::string_view) { return false; };
    for (const std::string& bad : {std::string(), std::string(65, 'a'), std::string("a/b"), std::string("a\\b"),
                                  std::string("a:b"), std::string("a*"), std::string("a?"), std::string("\"a\""),
                                  std::string("<a>"), std::string("a|b"), std::string("a\tb"), std::string("a\x7f")}) {
        const auto outcome = profiles.save(bad, yes);
        EXPECT_EQ(outcome.kind, Outcome::Kind::Refused) << bad;
        EXPECT_EQ(outcome.status, "A profile name is 1 to 64 characters, none of /\\:*?\"<>| and no control characters");
    }
    EXPECT_FALSE(fs::exists(keeper.folder() / "profiles.txt"));
    EXPECT_TRUE(profiles.save(std::string(64, 'a'), yes).succeeded());
    EXPECT_TRUE(profiles.save("Friend's gfx", yes).succeeded());
    EXPECT_EQ(profiles.save("Friend's gfx", no).kind, Outcome::Kind::Refused);
    for (const auto& refused : {profiles.switchTo("nobody"), profiles.rename("nobody", "x"), profiles.remove("nobody"),
                                profiles.rename("Friend's gfx", std::string(64, 'a'))})
        EXPECT_EQ(refused.kind, Outcome::Kind::Refused) << refused.status;
    EXPECT_TRUE(profiles.rename("Friend's gfx", "Cup").succeeded());
    EXPECT_TRUE(profiles.remove(std::string(64, 'a')).succeeded());
    ASSERT_EQ(profiles.list().size(), 1u);
    EXPECT_EQ(profiles.list()[0].name, "Cup");
}
