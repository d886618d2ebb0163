#include "core/store/backups.h"
#include "core/gamefile/game_file.h"
#include "core/text/sha256.h"
#include "programs.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <sstream>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

std::vector<std::string> words(const std::string& line, char separator = ' ')
{
    std::vector<std::string> result;
    std::istringstream in(line);
    for (std::string word; std::getline(in, word, separator);)
        if (!word.empty())
            result.push_back(word);
    return result;
}

// Every file under folder with its bytes.
std::map<fs::path, std::vector<std::uint8_t>> snapshot(const fs::path& folder)
{
    std::map<fs::path, std::vector<std::uint8_t>> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            files[entry.path()] = readBytes(entry.path());
    return files;
}

// A demo game and a data folder of its own for the CLI.
struct CliGame {
    DemoGame demo;
    fs::path data = demo.scratch / "cli-data";

    CliGame() { fs::create_directories(data); }

    // Runs quorvex-cli in the game folder, with its own data folder.
    CommandResult cli(const std::vector<std::string>& args)
    {
        std::vector<std::string> all{"env", "-C", demo.game().string(), "QUORVEX_DATA_DIR=" + data.string(),
                                     quorvex::test::cliProgram(), "--game", demo.game().string()};
        all.insert(all.end(), args.begin(), args.end());
        return runCommand(all);
    }
    Workspace cliWorkspace() const
    {
        Workspace ws = demo.workspace;
        ws.dataFolder = data;
        return ws;
    }
};

struct BackupCliTest : ::testing::Test, CliGame {};

} // namespace

// Every command that says it changes the game is run with each of its examples; each game file
// it changed must have a copy of its content from before the command, and the command is one
// step of the history: undo gives every kept file's bytes from before it, redo those after it.
TEST(BackupWalk, EveryCommandThatChangesTheGameLeavesABackupOfEachFileItChangedAndIsUndone)
{
    QUORVEX_SKIP_ON_WINDOWS_BUILD("the Windows program files its backups under its own path of the game (drive Z:), which the test cannot name");
    const std::string marker = "      changes the game, e.g. quorvex-cli ";
    std::vector<std::string> examples;
    std::istringstream help(runCli({"--help"}).out);
    for (std::string line; std::getline(help, line);)
        if (line.rfind(marker, 0) == 0)
            examples.push_back(line.substr(marker.size()));
    ASSERT_FALSE(examples.empty());

    for (const auto& example : examples) {
        SCOPED_TRACE(example);
        CliGame game;
        // The game was changed once before, yesterday: torlo.exe has its original and differs from it.
        const auto ws = game.cliWorkspace();
        BackupKeeper(ws, [] { return std::time(nullptr) - 24 * 60 * 60; }).keep(ws.torloExe());
        auto exe = readBytes(ws.torloExe());
        exe[0] ^= 0xFF;
        writeBytes(ws.torloExe(), exe);

        const auto before = snapshot(ws.gameFolder);
        auto args = words(example);
        args.insert(args.begin(), "--yes");
        const auto result = game.cli(args);
        ASSERT_EQ(result.exitCode, 0) << result.err;

        const auto kept = BackupKeeper(ws).list();
        int changed = 0;
        for (const auto& [file, bytes] : snapshot(ws.gameFolder)) {
            const auto old = before.find(file);
            if (old == before.end() || old->second == bytes)
                continue;   // new, or unchanged
            ++changed;
            EXPECT_TRUE(std::any_of(kept.begin(), kept.end(), [&](const Backup& b) {
                return sameNameIgnoringCase(fs::path(b.file).filename().string(), file.filename().string())
                       && readBytes(b.copy) == old->second;
            })) << file << " changed without a backup";
        }
        EXPECT_GT(changed, 0) << "the example changed no game file";

        // The files the keeper keeps (a level the command laid into the game folder included).
        const BackupKeeper keeper(ws);
        const auto keptOf = [&](auto files) {
            std::erase_if(files, [&](const auto& file) { return !keeper.keeps(file.first); });
            return files;
        };
        const auto keptFiles = [&] { return keptOf(snapshot(ws.gameFolder)); };
        const auto keptBefore = keptOf(before), after = keptFiles();
        const auto history = words(game.cli({"history"}).out, '\n');
        ASSERT_EQ(history.size(), 1u);
        // What: the status text the command printed, as every command that changes the game does.
        const auto what = words(history[0], '\t').at(3);
        const auto shown = words(result.out, '\n');
        EXPECT_EQ(std::count(shown.begin(), shown.end(), what), 1) << what << " not among\n" << result.out;
        const auto undone = game.cli({"undo"});
        ASSERT_EQ(undone.exitCode, 0) << undone.err;
        EXPECT_EQ(undone.out.rfind("Undone: ", 0), 0u) << undone.out;
        // Each file the step changed is named once.
        for (const auto& [file, bytes] : keptOf(after))
            if (keptBefore.count(file) == 0 || keptBefore.at(file) != bytes) {
                const auto name = file.filename().string();
                const auto first = undone.out.find(name);
                EXPECT_TRUE(first != std::string::npos && undone.out.find(name, first + 1) == std::string::npos)
                    << name << " in " << undone.out;
            }
        EXPECT_TRUE(keptFiles() == keptBefore) << "undo did not put back every file";
        EXPECT_EQ(game.cli({"history"}).out, "");
        const auto redone = game.cli({"redo"});
        ASSERT_EQ(redone.exitCode, 0) << redone.err;
        EXPECT_TRUE(keptFiles() == after) << "redo did not put back every file";
        EXPECT_EQ(game.cli({"redo"}).exitCode, 1);
    }
}

TEST_F(BackupCliTest, ListsTheCopiesAndRestoresOneOrTheOriginal)
{
    const auto chr = readBytes(demo.workspace.torloChr());
    EXPECT_EQ(cli({"backups", "list"}).out, "");
    ASSERT_EQ(cli({"activate", "mods/NEONGFX.CHR"}).exitCode, 0);
    const auto neon = readBytes(demo.workspace.torloChr());
    ASSERT_EQ(cli({"weapons", "set", "3", "NAME=BLASTER"}).exitCode, 0);

    auto listed = cli({"backups", "list"});
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    auto lines = words(listed.out, '\n');
    ASSERT_EQ(lines.size(), 2u) << listed.out;
    auto fields = words(lines[1], '\t');
    ASSERT_EQ(fields.size(), 5u);
    EXPECT_EQ(fields[0], "1");
    EXPECT_EQ(fields[1], "TORLO.CHR");
    EXPECT_EQ(fields[2].size(), 19u);   // YYYY-MM-DD HH:MM:SS
    EXPECT_EQ(fields[3], "35028");
    EXPECT_EQ(fields[4], "original");
    EXPECT_EQ(lines[0].rfind("2\ttorlo.exe\t", 0), 0u);

    // Without --yes and without a terminal the question is answered no.
    auto declined = cli({"backups", "restore", "1"});
    EXPECT_EQ(declined.exitCode, 1);
    EXPECT_EQ(readBytes(demo.workspace.torloChr()), neon);

    auto restored = cli({"--yes", "backups", "restore", "1"});
    ASSERT_EQ(restored.exitCode, 0) << restored.err;
    EXPECT_EQ(restored.out, "Backup restored\n");
    EXPECT_EQ(readBytes(demo.workspace.torloChr()), chr);
    EXPECT_NE(readText(data / "quorvex.log").find(": Backup of " + absoluteAsPrinted(demo.workspace.torloChr()) + " from "),
              std::string::npos);

    lines = words(cli({"backups", "list"}).out, '\n');
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].rfind("3\tTORLO.CHR\t", 0), 0u);
    EXPECT_EQ(lines[0].back(), '\t');   // not an original
    EXPECT_EQ(cli({"--yes", "backups", "restore", "3"}).exitCode, 0);   // the restore undone
    EXPECT_EQ(readBytes(demo.workspace.torloChr()), neon);
    EXPECT_EQ(cli({"--yes", "backups", "restore", "--original", "torlo.chr"}).exitCode, 0);
    EXPECT_EQ(readBytes(demo.workspace.torloChr()), chr);

    auto missing = cli({"--yes", "backups", "restore", "77"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, "quorvex-cli: There is no backup 77 of this game\n");
    EXPECT_EQ(cli({"backups", "restore"}).exitCode, 2);
    EXPECT_EQ(cli({"backups", "restore", "1", "2"}).exitCode, 2);
}

// A tampered index names files anywhere: a restore writes only to the game file the backup was
// taken of, the rest is reported as damaged; an index that is no file is reported.
TEST_F(BackupCliTest, ATamperedIndexNeverMakesARestoreWriteElsewhere)
{
    QUORVEX_SKIP_ON_WINDOWS_BUILD("the tampered index names this system's paths, which Windows reads otherwise");
    ASSERT_EQ(cli({"blood", "1000"}).exitCode, 0);
    const auto ws = cliWorkspace();
    const auto folder = BackupKeeper(ws).folder();
    const auto copy = BackupKeeper(ws).list().at(0);
    const auto outside = demo.scratch / "outside.txt";
    const auto cwd = demo.game() / "mods" / "notes.txt";
    const std::vector<std::string> names = {outside.string(), (demo.game() / ".." / "outside.txt").string(),
                                            "../outside.txt", "mods/notes.txt", "notes.txt", "..", "."};
    std::string index = readText(folder / "backups.txt");
    int id = 10;
    for (const auto& name : names)
        index += std::to_string(id++) + "\t2026-01-01 00:00:00\t" + std::to_string(copy.size) + "\t\t" + copy.version + "\t" + name + "\n";
    writeBytes(folder / "backups.txt", std::vector<std::uint8_t>(index.begin(), index.end()));
    const auto before = snapshot(demo.game());

    const auto listed = cli({"backups", "list"});
    EXPECT_EQ(words(listed.out, '\n').size(), 1u) << listed.out;
    EXPECT_EQ(words(listed.err, '\n').size(), names.size()) << listed.err;
    EXPECT_NE(listed.err.find("The backup 10 is damaged and skipped"), std::string::npos) << listed.err;
    for (int i = 10; i < id; ++i) {
        const auto restored = cli({"--yes", "backups", "restore", std::to_string(i)});
        EXPECT_EQ(restored.exitCode, 1) << names[i - 10];
        EXPECT_NE(restored.err.find("is missing or damaged"), std::string::npos) << restored.err;
    }
    EXPECT_FALSE(fs::exists(outside));
    EXPECT_FALSE(fs::exists(cwd));
    EXPECT_TRUE(snapshot(demo.game()) == before);

    fs::remove(folder / "backups.txt");
    fs::create_directory(folder / "backups.txt");
    const auto damaged = cli({"backups", "list"});
    EXPECT_EQ(damaged.exitCode, 1);
    EXPECT_NE(damaged.err.find("backups.txt is damaged"), std::string::npos) << damaged.err;
}

// The data folder's lists tampered with, one way each: the command refuses with a text that
// names the damage, and writes nothing, neither in the game folder nor anywhere outside it.
TEST(TamperedDataFolder, EveryTamperingIsRefusedByNameAndWritesNothing)
{
    QUORVEX_SKIP_ON_WINDOWS_BUILD("the tampered lists name this system's paths and links");
    struct Lists {
        fs::path folder, outside;
        std::string datBefore, exeBefore, exeAfter, chrNow;
        void append(const std::string& list, const std::string& text) const
        {
            const auto all = readText(folder / list) + text;
            writeBytes(folder / list, std::vector<std::uint8_t>(all.begin(), all.end()));
        }
        void replace(const std::string& list, const std::string& from, const std::string& to) const
        {
            auto text = readText(folder / list);
            for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
                text.replace(at, from.size(), to);
            writeBytes(folder / list, std::vector<std::uint8_t>(text.begin(), text.end()));
        }
        void linkTo(const std::string& name, const fs::path& target) const
        {
            if (fs::exists(folder / name) && target.parent_path() == outside)
                fs::rename(folder / name, target);
            fs::remove_all(folder / name);
            fs::create_symlink(target, folder / name);
        }
        std::string evil() const { return (outside / "EVIL.LEV").string(); }
    };
    const std::string date = "2026-01-01 00:00:00";
    struct Case {
        std::string what;
        std::function<void(const Lists&)> tamper;
        std::vector<std::string> command;
        int exitCode;
        std::string expected;   // in what the command says (on standard output when it exits 0)
    };
    const Case cases[] = {
        {"an absolute level path in backups.txt",
         [&](const Lists& l) { l.append("backups.txt", "9\t" + date + "\t141312\t\t" + l.exeBefore + "\t" + l.evil() + "\n"); },
         {"--yes", "backups", "restore", "9"}, 1, "EVIL.LEV, outside the game folder; Quorvex puts files back only inside it"},
        {"an absolute level path in a history step",
         [&](const Lists& l) { l.append("history.txt", "S\t3\t" + date + "\tundone\tEvil\nF\t-\t" + l.exeAfter + "\t" + l.evil() + "\n"); },
         {"redo"}, 1, "EVIL.LEV, outside the game folder, so nothing was redone"},
        {"an absolute level path in a profile",
         [&](const Lists& l) { l.append("profiles.txt", "P\tEvil\t" + date + "\nF\t" + l.exeAfter + "\t" + l.evil() + "\n"); },
         {"profiles", "switch", "Evil"}, 1, "EVIL.LEV, outside the game folder, so nothing was switched"},
        {"a step with ID 0 before a file line",
         [&](const Lists& l) { l.append("history.txt", "S\t0\t" + date + "\tdone\tEvil\nF\t" + l.datBefore + "\t" + l.chrNow + "\tTORLO.CHR\n"); },
         {"undo"}, 1, "history.txt is damaged at line 6 and 1 more line, so nothing was undone"},
        {"another file's version in a step",
         [&](const Lists& l) { l.append("history.txt", "S\t3\t" + date + "\tdone\tEvil\nF\t" + l.datBefore + "\t" + l.chrNow + "\tTORLO.CHR\n"); },
         {"undo"}, 1, "The kept version of TORLO.CHR is missing or damaged ("},
        {"a damaged profile line before a file line",
         [&](const Lists& l) { l.append("profiles.txt", "P\ta/b\t" + date + "\nF\t" + l.datBefore + "\tTORLO.CHR\n"); },
         {"profiles", "list"}, 0, "and 1 more line; those profiles are left out"},
        {"a garbage version",
         [&](const Lists& l) { l.replace("history.txt", l.exeBefore, "garbage"); },
         {"undo"}, 1, "history.txt is damaged at line 4 and 1 more line, so nothing was undone"},
        {"random bytes in history.txt",
         [&](const Lists& l) {
             std::vector<std::uint8_t> noise(4000);
             for (std::size_t i = 0; i < noise.size(); ++i)
                 noise[i] = i % 61 == 60 ? '\n' : static_cast<std::uint8_t>(0x80 + (i * 37) % 0x80);
             writeBytes(l.folder / "history.txt", noise);
         },
         {"undo"}, 1, "history.txt is damaged at line 1 and 65 more lines, so nothing was undone"},
        {"CRLF line ends", [&](const Lists& l) { l.replace("history.txt", "\n", "\r\n"); }, {"undo"}, 0, "Undone: "},
        {"history.txt a link to /dev/zero", [&](const Lists& l) { l.linkTo("history.txt", "/dev/zero"); },
         {"history"}, 1, "history.txt is a link; Quorvex never reads or writes its lists and store through one"},
        {"profiles.txt a link to /dev/zero", [&](const Lists& l) { l.linkTo("profiles.txt", "/dev/zero"); },
         {"profiles", "list"}, 1, "profiles.txt is a link"},
        {"history.txt a link elsewhere", [&](const Lists& l) { l.linkTo("history.txt", l.outside / "history.txt"); },
         {"undo"}, 1, "history.txt is a link"},
        {"backups.txt a link elsewhere", [&](const Lists& l) { l.linkTo("backups.txt", l.outside / "backups.txt"); },
         {"blood", "2000"}, 1, "backups.txt is a link"},
        {"store/ a link elsewhere", [&](const Lists& l) { l.linkTo("store", l.outside / "store"); },
         {"texts", "set", "7", "Quiet"}, 1, "store is a link"},
        {"a store entry of 1 GB where the list gives 141,312 bytes",
         [&](const Lists& l) { fs::resize_file(l.folder / "store" / l.exeBefore, std::uintmax_t{1} << 30); },
         {"--yes", "backups", "restore", "2"}, 1, "The backup 2 of torlo.exe is missing or damaged"},
    };
    const auto sha = [](const fs::path& file) { return sha256Hex(readBytes(file)); };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CliGame game;
        const auto ws = game.cliWorkspace();
        Lists lists{BackupKeeper(ws).folder(), game.demo.scratch / "outside", sha(ws.torloDat()), sha(ws.torloExe()), {}, {}};
        ASSERT_EQ(game.cli({"blood", "1000"}).exitCode, 0);
        ASSERT_EQ(game.cli({"weapons", "set", "3", "NAME=BLASTER"}).exitCode, 0);
        ASSERT_EQ(game.cli({"profiles", "save", "A"}).exitCode, 0);
        lists.exeAfter = sha(ws.torloExe());
        lists.chrNow = sha(ws.torloChr());
        fs::create_directories(lists.outside);
        c.tamper(lists);
        const auto game0 = snapshot(ws.gameFolder), outside0 = snapshot(lists.outside);

        const auto result = game.cli(c.command);
        const bool undone = c.expected.rfind("Undone", 0) == 0;
        EXPECT_EQ(result.exitCode, c.exitCode) << result.out;
        EXPECT_NE((undone ? result.out : result.err).find(c.expected), std::string::npos) << result.err;
        EXPECT_TRUE(snapshot(lists.outside) == outside0) << "written outside";
        EXPECT_FALSE(fs::exists(lists.evil()));
        if (!undone) {
            EXPECT_TRUE(snapshot(ws.gameFolder) == game0) << "written in the game folder";
        }
    }
}

TEST_F(BackupCliTest, ProfilesAreSavedListedSwitchedToRenamedAndDeleted)
{
    const auto exe = demo.workspace.torloExe();
    const auto original = readBytes(exe);
    ASSERT_EQ(cli({"profiles", "save", "base"}).exitCode, 0);
    ASSERT_EQ(cli({"weapons", "set", "3", "NAME=BLASTER"}).exitCode, 0);
    auto fields = words(cli({"profiles", "list"}).out, '\t');
    ASSERT_EQ(fields.size(), 3u);
    EXPECT_EQ(fields[0], "base");
    EXPECT_EQ(fields[1].size(), 19u);   // YYYY-MM-DD HH:MM:SS
    EXPECT_EQ(fields[2], "torlo.exe\n");
    EXPECT_EQ(cli({"profiles", "save", "base"}).exitCode, 1);   // replaced only with --yes

    const auto switched = cli({"profiles", "switch", "base"});
    ASSERT_EQ(switched.exitCode, 0) << switched.err;
    EXPECT_EQ(switched.out, "Switched to the profile base (torlo.exe)\n");
    EXPECT_EQ(readBytes(exe), original);
    EXPECT_EQ(words(cli({"profiles", "list"}).out, '\t').at(2), "-\n");
    EXPECT_NE(cli({"history"}).out.find("\ttorlo.exe\tSwitched to the profile base (torlo.exe)\n"), std::string::npos);
    ASSERT_EQ(cli({"undo"}).exitCode, 0);
    EXPECT_NE(readBytes(exe), original);

    for (const auto& args : std::vector<std::vector<std::string>>{{"profiles", "switch", "nobody"},
                                                                   {"profiles", "rename", "nobody", "x"},
                                                                   {"profiles", "delete", "nobody"},
                                                                   {"profiles", "save", "a/b"}}) {
        const auto refused = cli(args);
        EXPECT_EQ(refused.exitCode, 1) << args[1];
        EXPECT_FALSE(refused.err.empty());
    }
    EXPECT_EQ(cli({"profiles", "rename", "base", "cup"}).exitCode, 0);
    EXPECT_EQ(words(cli({"profiles", "list"}).out, '\t').at(0), "cup");
    EXPECT_EQ(cli({"profiles", "delete", "cup"}).exitCode, 0);
    EXPECT_EQ(cli({"profiles", "list"}).out, "");

    // The active level is a file of the profile: a changed level is named, and put back.
    ASSERT_EQ(cli({"activate", "mods/MEADOW.LEV"}).exitCode, 0);
    ASSERT_EQ(cli({"profiles", "save", "level"}).exitCode, 0);
    const auto level = findGameFile(demo.game(), "MEADOW.LEV");
    const auto levelBytes = readBytes(level);
    auto changed = levelBytes;
    changed[100] ^= 0xFF;
    writeBytes(level, changed);
    EXPECT_EQ(words(cli({"profiles", "list"}).out, '\t').at(2), "MEADOW.LEV\n");
    EXPECT_EQ(cli({"profiles", "switch", "level"}).out, "Switched to the profile level (MEADOW.LEV)\n");
    EXPECT_EQ(readBytes(level), levelBytes);
}
