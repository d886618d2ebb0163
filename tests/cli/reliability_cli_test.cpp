// Two Quorvex processes at once and a stop at any moment: nothing lost, nothing torn.
#include "core/store/backups.h"
#include "core/gamefile/game_lock.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <thread>

#include <unistd.h>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

const char* const GameFileNames[] = {"torlo.exe", "torlo.dat", "TORLO.CHR", "TORLO.SND"};

std::map<std::string, std::vector<std::uint8_t>> gameFiles(const fs::path& game)
{
    std::map<std::string, std::vector<std::uint8_t>> files;
    for (const char* name : GameFileNames)
        files[name] = readBytes(findGameFile(game, name));
    return files;
}

std::string quoted(const std::string& text)
{
    std::string result = "'";
    for (char c : text)
        result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return result + "'";
}

// A copy of a pristine demo game with a data folder of its own, made afresh for each run.
struct GameCopy {
    fs::path game, data;

    GameCopy(const DemoGame& pristine, const fs::path& where) : game(where / "game"), data(where / "data")
    {
        std::error_code ignored;
        fs::remove_all(where, ignored);
        fs::create_directories(data);
        fs::copy(pristine.game(), game, fs::copy_options::recursive);
    }
    Workspace workspace() const
    {
        Workspace ws;
        ws.gameFolder = game;
        ws.dataFolder = data;
        return ws;
    }
    // The command line of quorvex-cli on this game, for a shell.
    std::string commandLine(const std::vector<std::string>& args, const std::string& environment = {}) const
    {
        std::string line = "env -C " + quoted(game.string()) + " QUORVEX_DATA_DIR=" + quoted(data.string()) + " "
                           + environment + " " + quoted(QUORVEX_CLI_PATH) + " --yes --game " + quoted(game.string());
        for (const auto& arg : args)
            line += " " + quoted(arg);
        return line;
    }
    CommandResult cli(const std::vector<std::string>& args, const std::string& environment = {}) const
    {
        return runCommand({"sh", "-c", commandLine(args, environment)});
    }
};

std::vector<std::string> words(const std::string& line)
{
    std::vector<std::string> result;
    std::size_t start = 0;
    while (start <= line.size()) {
        const auto space = line.find(' ', start);
        const auto end = space == std::string::npos ? line.size() : space;
        if (end > start)
            result.push_back(line.substr(start, end - start));
        start = end + 1;
    }
    return result;
}

} // namespace

// Many changes of one game at once, each reading what it changes, changing a part and writing
// back: run side by side they must give the game that the same commands give one after
// another, and the copy kept as the original must be the game as it was before the first.
TEST(ParallelChanges, LoseNothingAndKeepTheOriginal)
{
    DemoGame pristine;
    ScratchFolder scratch;
    GameCopy probe(pristine, scratch / "probe");
    std::vector<std::string> switches;
    for (const auto& line : lines(probe.cli({"hacks", "show"}).out)) {
        const auto colon = line.find(':');
        if (colon != std::string::npos && (line.substr(colon + 1) == "0" || line.substr(colon + 1) == "1"))
            switches.push_back("hacks set " + line.substr(0, colon) + "=" + (line.back() == '0' ? "1" : "0"));
    }
    ASSERT_GT(switches.size(), 10u);

    struct Run {
        std::string what;
        std::vector<std::string> commands;
    };
    std::vector<Run> runs(4);
    runs[0].what = "50 palette set";
    for (int i = 0; i < 50; ++i)
        runs[0].commands.push_back("palette set " + std::to_string(10 + i) + " " + std::to_string(4 * (i % 64)) + " "
                                   + std::to_string(4 * ((i * 7 + 3) % 64)) + " " + std::to_string(4 * ((i * 13 + 5) % 64)));
    runs[1].what = "30 sounds import of different entries";
    for (int i = 0; i < 30; ++i)
        runs[1].commands.push_back("sounds import " + std::to_string(i) + " mods/VOICE.WAV");
    runs[2].what = "hacks set of different keys";
    runs[2].commands = switches;
    runs[3].what = "24 texts set and 24 objects set";
    for (int i = 0; i < 24; ++i) {
        runs[3].commands.push_back("texts set " + std::to_string(7 + i) + " Q" + std::to_string(i));
        runs[3].commands.push_back("objects set " + std::to_string(i) + " BLOOD=" + std::to_string(i % 5));
    }

    for (const auto& run : runs) {
        SCOPED_TRACE(run.what);
        GameCopy inTurn(pristine, scratch / "in-turn");
        for (const auto& command : run.commands) {
            const auto result = inTurn.cli(words(command));
            ASSERT_EQ(result.exitCode, 0) << command << ": " << result.err;
        }
        GameCopy atOnce(pristine, scratch / "at-once");
        std::string script;
        for (const auto& command : run.commands)
            script += atOnce.commandLine(words(command)) + " >/dev/null 2>>" + quoted((scratch / "errors").string()) + " &\n";
        script += "wait\n";
        ASSERT_EQ(runCommand({"sh", "-c", script}).exitCode, 0);
        // All that a command says on standard error: that it waits, and after a long wait who holds the game.
        for (const auto& line : lines(readText(scratch / "errors")))
            EXPECT_TRUE(line == "quorvex-cli: " + std::string(GameWaitText)
                        || line.rfind("quorvex-cli: Still waiting after 5 seconds: another Quorvex (process ", 0) == 0)
                << line;
        fs::remove(scratch / "errors");

        const auto expected = gameFiles(inTurn.game);
        const auto got = gameFiles(atOnce.game);
        const auto before = gameFiles(pristine.game());
        const auto kept = BackupKeeper(atOnce.workspace()).list();
        for (const char* name : GameFileNames) {
            EXPECT_TRUE(got.at(name) == expected.at(name)) << name << " lost a change";
            if (got.at(name) == before.at(name))
                continue;
            const auto original = std::find_if(kept.begin(), kept.end(), [&](const Backup& b) {
                return b.original && sameNameIgnoringCase(b.file, name);
            });
            ASSERT_NE(original, kept.end()) << name;
            EXPECT_TRUE(readBytes(original->copy) == before.at(name)) << "the original of " << name << " is not the original";
        }
        const auto workspace = atOnce.workspace();
        const BackupKeeper keeper(workspace);
        const auto inUse = keeper.versionsInUse();
        for (const auto& entry : fs::directory_iterator(keeper.store().folder()))
            EXPECT_TRUE(inUse.count(entry.path().stem().string()))
                << entry.path() << " lies in the store unused";
    }
}

// A process stopped at any write (killed, a power cut) leaves each game file as it was or as
// the command makes it, never half-patched.
TEST(StopAtAnyWrite, LeavesEveryGameFileOldOrNew)
{
    DemoGame pristine;
    ScratchFolder scratch;
    // Mods that change the game: a plugin and a translation made from a changed copy.
    GameCopy maker(pristine, scratch / "maker");
    for (const auto& command : {"objects set 0 BLOOD=3", "sobjects set 2 ANIMDELAY=5", "weapons set 3 NAME=BLASTER",
                                "texts set 7 Silent", "texts set 9 Quiet"})
        ASSERT_EQ(maker.cli(words(command)).exitCode, 0) << command;
    const auto plugin = (scratch / "CHANGES.LWP").string();
    const auto translation = (scratch / "CHANGES.LLF").string();
    ASSERT_EQ(maker.cli({"plugin", "new", plugin, "weapon", "3"}).exitCode, 0);
    ASSERT_EQ(maker.cli({"plugin", "append", plugin, "object", "0"}).exitCode, 0);
    ASSERT_EQ(maker.cli({"plugin", "append", plugin, "sobject", "2"}).exitCode, 0);
    ASSERT_EQ(maker.cli({"texts", "export", translation}).exitCode, 0);

    const std::vector<std::vector<std::string>> commands = {
        {"hacks", "set", "JETPACK=1", "DIGGING=30"},
        {"activate", translation},
        {"objects", "set", "0", "BLOOD=3"},
        {"sobjects", "set", "2", "ANIMDELAY=5"},
        {"ai", "set", "FIREPRESS=5"},
        {"ai", "preset", "good"},
        {"activate", plugin},
        {"activate", "mods/MEADOW.LEV"},
        {"blood", "1000"},
    };
    const auto before = gameFiles(pristine.game());
    for (const auto& args : commands) {
        SCOPED_TRACE(args[0] + " " + args[1]);
        GameCopy done(pristine, scratch / "done");
        const auto result = done.cli(args);
        ASSERT_EQ(result.exitCode, 0) << result.err;
        const auto after = gameFiles(done.game);
        ASSERT_TRUE(after != before) << "the command changed nothing";
        bool finished = false;
        for (int stop = 1; stop < 400 && !finished; ++stop) {
            GameCopy stopped(pristine, scratch / "stopped");
            const auto run = stopped.cli(args, "QUORVEX_STOP_AT_WRITE=" + std::to_string(stop));
            finished = run.exitCode == 0;
            const auto files = gameFiles(stopped.game);
            bool whole = true;
            for (const char* name : GameFileNames)
                whole = whole && (files.at(name) == before.at(name) || files.at(name) == after.at(name));
            EXPECT_TRUE(whole) << "a game file torn by a stop at write " << stop;
            if (!whole)
                break;
            // What the stopped write left is gone once the next Quorvex opens the game.
            const auto temporaries = [&] {
                return std::count_if(fs::directory_iterator(stopped.game), fs::directory_iterator(),
                                     [](const auto& entry) { return entry.path().extension() == ".tmp"; });
            };
            if (!finished && temporaries() > 0) {
                ASSERT_EQ(stopped.cli({"history"}).exitCode, 0);
                EXPECT_EQ(temporaries(), 0) << "a temporary file left by a stop at write " << stop;
            }
        }
        EXPECT_TRUE(finished);
    }
}

// A replaced game file outlives a power cut: its new copy is written, flushed, renamed over it,
// and then its folder is flushed, in that order, as the system calls of a change show.
TEST(StopAtAnyWrite, AReplacedFileIsWrittenFlushedRenamedAndItsFolderFlushed)
{
    if (runCommand({"strace", "-o", "/dev/null", "true"}).exitCode != 0)
        GTEST_SKIP() << "strace cannot trace here";
    DemoGame pristine;
    ScratchFolder scratch;
    GameCopy game(pristine, scratch / "copy");
    const auto trace = scratch / "trace";
    ASSERT_EQ(game.cli({"blood", "1000"}, "strace -f -qq -y -s 0 -o " + quoted(trace.string())
                                            + " -e trace=write,fsync,fdatasync,rename,renameat,renameat2")
                  .exitCode,
              0);
    const auto folder = fs::canonical(game.game).string();
    const auto calls = lines(readText(trace));
    const auto renamed = std::find_if(calls.begin(), calls.end(), [&](const std::string& call) {
        return call.find("rename") != std::string::npos && call.find("\"" + folder + "/torlo.dat\"") != std::string::npos;
    });
    ASSERT_NE(renamed, calls.end()) << readText(trace);
    const auto from = renamed->find('"') + 1;
    const auto temporary = renamed->substr(from, renamed->find('"', from) - from);
    const auto last = [&](const std::string& call, auto end) {
        return std::find_if(std::make_reverse_iterator(end), calls.rend(), [&](const std::string& c) {
            return c.find(" " + call + "(") != std::string::npos && c.find("<" + temporary + ">") != std::string::npos;
        });
    };
    const auto flushed = last("fsync", renamed), written = last("write", renamed);
    ASSERT_NE(flushed, calls.rend()) << "the new copy is not flushed before it is renamed";
    ASSERT_NE(written, calls.rend());
    EXPECT_LT(flushed, written) << "the new copy is written after its flush";   // reverse: nearer the rename
    EXPECT_TRUE(std::any_of(renamed, calls.end(), [&](const std::string& c) {
        return c.find(" fsync(") != std::string::npos && c.find("<" + folder + ">") != std::string::npos;
    })) << "the folder is not flushed after the rename";
}

// While another Quorvex changes the game, a command waits (and says so after a moment, and
// after a while which process holds the game and how to stop waiting), or with --no-wait is
// refused and changes nothing.
TEST(GameLockCli, WaitsForAnotherQuorvexOrIsRefused)
{
    DemoGame pristine;
    ScratchFolder scratch;
    GameCopy game(pristine, scratch / "copy");
    const auto before = gameFiles(game.game);
    std::optional<GameLock> held(std::in_place, game.workspace());   // as another process would

    const auto refused = runCommand({"sh", "-c", game.commandLine({"--no-wait", "blood", "1000"})});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err, "quorvex-cli: The game is being changed by another Quorvex\n");
    EXPECT_TRUE(gameFiles(game.game) == before);

    // Let go once the waiter has named this process.
    const auto said = scratch / "said";
    std::thread waiter([&] { runCommand({"sh", "-c", game.commandLine({"blood", "1000"}) + " 2>" + quoted(said.string())}); });
    const auto named = "(process " + std::to_string(::getpid()) + ")";
    for (int i = 0; i < 300 && readText(said).find(named) == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    held.reset();
    waiter.join();
    EXPECT_EQ(readText(said), "quorvex-cli: Waiting for another Quorvex to finish changing the game...\n"
                              "quorvex-cli: Still waiting after 5 seconds: another Quorvex " + named + " holds the game; if "
                              "it hangs, end it; Ctrl+C stops waiting, and --no-wait refuses at once\n");
    EXPECT_TRUE(gameFiles(game.game) != before);
}

// Only a change needs write access: a game folder that can only be read is shown and compared,
// and a change of it is refused.
TEST(ReadOnlyGame, IsShownAndComparedAndOnlyAChangeIsRefused)
{
    DemoGame pristine;
    ScratchFolder scratch;
    GameCopy game(pristine, scratch / "copy");
    // As root every file can be written: the commands run as nobody then.
    const std::string as = ::geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups" : "";
    fs::permissions(scratch.path(), fs::perms(0755));
    fs::permissions(scratch / "copy", fs::perms(0755));
    fs::permissions(game.data, fs::perms(0777));
    for (const auto& entry : fs::directory_iterator(game.game))
        if (entry.is_regular_file())
            fs::permissions(entry.path(), fs::perms(0444));
    fs::permissions(game.game, fs::perms(0555));
    const auto before = gameFiles(game.game);
    for (const auto& command : {"hacks show", "weapons show 0", "changes"}) {
        const auto shown = game.cli(words(command), as);
        EXPECT_EQ(shown.exitCode, 0) << command << ": " << shown.err;
        EXPECT_EQ(shown.err, "") << command;
    }
    const auto changed = game.cli({"blood", "1000"}, as);
    EXPECT_EQ(changed.exitCode, 1);
    EXPECT_NE(changed.err.find("File access denied"), std::string::npos) << changed.err;
    EXPECT_TRUE(gameFiles(game.game) == before);
    fs::permissions(game.game, fs::perms(0755));
}

// Game files that are symbolic links to files elsewhere are changed where they point by every
// operation, and backups and restores act on those same files; the links stay links.
TEST(LinkedGameFiles, AreChangedWhereTheyPointAndRestoredThere)
{
    DemoGame pristine;
    ScratchFolder scratch;
    GameCopy plain(pristine, scratch / "plain");
    GameCopy linked(pristine, scratch / "linked");
    const auto elsewhere = scratch / "elsewhere";
    fs::create_directories(elsewhere);
    for (const char* name : GameFileNames) {
        const auto file = findGameFile(linked.game, name);
        fs::rename(file, elsewhere / file.filename());
        fs::create_symlink(elsewhere / file.filename(), file);
    }
    const auto isLinked = [&] {
        for (const char* name : GameFileNames)
            if (!fs::is_symlink(findGameFile(linked.game, name)))
                return false;
        return true;
    };
    for (const auto& command : {"hacks set JETPACK=1", "blood 1000", "sounds import 3 mods/VOICE.WAV",
                                "activate mods/NEONGFX.CHR", "objects set 0 BLOOD=3", "palette set 5 200 10 3"}) {
        SCOPED_TRACE(command);
        ASSERT_EQ(plain.cli(words(command)).exitCode, 0);
        const auto result = linked.cli(words(command));
        ASSERT_EQ(result.exitCode, 0) << result.err;
        EXPECT_TRUE(isLinked());
        EXPECT_TRUE(gameFiles(linked.game) == gameFiles(plain.game));
    }
    const auto before = gameFiles(pristine.game());
    for (const char* name : GameFileNames) {
        const auto restored = linked.cli({"backups", "restore", "--original", name});
        EXPECT_EQ(restored.exitCode, 0) << name << ": " << restored.err;
        EXPECT_TRUE(readBytes(findGameFile(linked.game, name)) == before.at(name)) << name;
    }
    EXPECT_TRUE(isLinked());
    EXPECT_EQ(std::distance(fs::directory_iterator(elsewhere), fs::directory_iterator()), 4);
}
