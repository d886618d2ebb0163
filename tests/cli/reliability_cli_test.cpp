// Two Quorvex processes at once and a stop at any moment: nothing lost, nothing torn.
#include "core/store/backups.h"
#include "core/gamefile/game_lock.h"
#include "programs.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <numeric>
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

std::vector<std::string> words(const std::string& line, char separator = ' ')
{
    std::vector<std::string> result;
    std::size_t start = 0;
    while (start <= line.size()) {
        const auto space = line.find(separator, start);
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

namespace {

// Every command that changes the game: the examples of the command table (those the backup walk
// runs) and the operations that need a game changed first (undo, redo, a profile switch, a
// conversion over levels of the game), each with what sets it up.
struct KilledCommand {
    std::vector<std::string> setup;
    std::string command;
};

const std::vector<KilledCommand>& killedCommands()
{
    static const auto table = [] {
        std::vector<KilledCommand> rows;
        const std::string marker = "      changes the game, e.g. quorvex-cli ";
        for (const auto& line : lines(runCli({"--help"}).out))
            if (line.rfind(marker, 0) == 0)
                rows.push_back({{}, line.substr(marker.size())});
        rows.push_back({{"hacks set JETPACK=1", "activate mods/NEONGFX.CHR"}, "undo"});
        rows.push_back({{"activate mods/MOSSYPL2.LEV", "undo"}, "redo"});
        rows.push_back({{"profiles save A", "hacks set JETPACK=1", "activate mods/NEONGFX.CHR", "blood 1000"},
                        "profiles switch A"});
        rows.push_back({{"convert mods/MEADOW.LEV mods/M1.BMP", "convert mods/SUNSET.LEV mods/M2.BMP",
                         "convert mods/ISLANDS.BMP M1.lev --no-powerlevel", "convert mods/ISLANDS.BMP M2.lev --no-powerlevel"},
                        "convert-all mods/M1.BMP mods/M2.BMP mods/ISLANDS.BMP --to ."});
        rows.push_back({{"activate mods/MOSSYPL2.LEV", "hacks set JETPACK=1", "activate mods/NEONGFX.CHR"}, "mods off 1"});
        return rows;
    }();
    return table;
}
constexpr int KilledCommandRows = 26;   // room in the range of the test below

// The game's files (temporary files of a killed write aside), its history and its mod list
// without dates.
struct GameState {
    std::map<std::string, std::vector<std::uint8_t>> files;
    std::string history;
    bool operator==(const GameState&) const = default;
};

GameState stateOf(const GameCopy& copy)
{
    GameState state;
    // First the history, whose command opens the game (and finishes what a stop left).
    for (auto line : lines(copy.cli({"history"}).out)) {
        line.erase(line.find('\t'), line.find('\t', line.find('\t') + 1) - line.find('\t'));   // the date
        if (const auto at = line.find(copy.game.string()); at != std::string::npos)
            line.replace(at, copy.game.string().size(), "GAME");   // a level of the game named by its path
        // The files in the order their writers came to them (convert-all's side by side).
        const auto start = line.find('\t') + 1, end = line.find('\t', start);
        auto files = words(line.substr(start, end - start), ',');
        std::sort(files.begin(), files.end());
        line.replace(start, end - start, std::accumulate(files.begin(), files.end(), std::string(), [](auto a, auto b) { return a + b + ","; }));
        state.history += line + "\n";
    }
    // The mod list agrees with the files too (its entries without their dates).
    for (const auto& line : lines(copy.cli({"mods", "list"}).out))
        state.history += "mod " + line.substr(0, line.rfind('\t')) + "\n";
    for (const auto& entry : fs::recursive_directory_iterator(copy.game))
        if (entry.is_regular_file() && entry.path().filename().string().front() != '.')
            state.files[fs::relative(entry.path(), copy.game).string()] = readBytes(entry.path());
    return state;
}

std::string differences(const GameState& got, const GameState& before, const GameState& after)
{
    std::string text = "history:\n" + got.history + "before:\n" + before.history + "after:\n" + after.history;
    const auto holds = [](const GameState& state, const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const auto file = state.files.find(name);
        return file != state.files.end() && file->second == bytes;
    };
    for (const auto& [name, bytes] : got.files)
        if (!holds(before, name, bytes) && !holds(after, name, bytes))
            text += name + " is neither old nor new\n";
        else if (!holds(before, name, bytes) || !holds(after, name, bytes))
            text += name + " is " + (holds(before, name, bytes) ? "old" : "new") + "\n";
    return text;
}

class StopAnyCommand : public ::testing::TestWithParam<int> {};

} // namespace

TEST(StopAnyCommand, TheTableFitsTheTest)
{
    EXPECT_LE(killedCommands().size(), static_cast<std::size_t>(KilledCommandRows));
}

// A command killed at any write, then the game opened again (here by "history"): every file is
// as it was or as the command makes it, the history says which, and undo then redo give exactly
// those bytes back.
TEST_P(StopAnyCommand, LeavesTheFilesAndTheHistoryAgreeing)
{
    QUORVEX_SKIP_ON_WINDOWS_BUILD("killing at a write is a POSIX signal");
    if (static_cast<std::size_t>(GetParam()) >= killedCommands().size())
        GTEST_SKIP() << "no command in this row";
    const auto& row = killedCommands()[static_cast<std::size_t>(GetParam())];
    SCOPED_TRACE(row.command);
    DemoGame pristine;
    ScratchFolder scratch;
    const auto prepared = [&](const fs::path& where) {
        GameCopy copy(pristine, where);
        for (const auto& command : row.setup)
            EXPECT_EQ(copy.cli(words(command)).exitCode, 0) << command;
        if (row.setup.empty()) {
            // As for the backup walk: torlo.exe changed once before, yesterday, outside any step.
            const auto ws = copy.workspace();
            BackupKeeper(ws, [] { return std::time(nullptr) - 24 * 60 * 60; }).keep(ws.torloExe());
            auto exe = readBytes(ws.torloExe());
            exe[0] ^= 0xFF;
            writeBytes(ws.torloExe(), exe);
        }
        return copy;
    };
    const auto done = prepared(scratch / "done");
    const auto before = stateOf(done);
    const auto result = done.cli(words(row.command));
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto after = stateOf(done);
    ASSERT_NE(after.files, before.files) << "the command changed nothing";

    bool finished = false;
    for (int stop = 1; stop < 400 && !finished; ++stop) {
        SCOPED_TRACE("stopped at write " + std::to_string(stop));
        const auto stopped = prepared(scratch / "stopped");
        finished = stopped.cli(words(row.command), "QUORVEX_STOP_AT_WRITE=" + std::to_string(stop)).exitCode == 0;
        const auto state = stateOf(stopped);
        ASSERT_TRUE(state == before || state == after) << differences(state, before, after);
        // The history can go back and forth over the state it holds.
        const bool undone = stopped.cli({"undo"}).exitCode == 0;
        if (undone) {
            ASSERT_EQ(stopped.cli({"redo"}).exitCode, 0);
        }
        EXPECT_TRUE(stateOf(stopped) == state);
        EXPECT_EQ(undone, !state.history.empty());
    }
    EXPECT_TRUE(finished);
}

INSTANTIATE_TEST_SUITE_P(EveryCommandThatChangesTheGame, StopAnyCommand, ::testing::Range(0, KilledCommandRows));

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

// Another process's writes that replace no game file (a conversion, an export or a preview
// outside the game, a level made anew elsewhere, a read) are no change of the game for the lock's
// holders; a replaced game file is.
TEST(GameLockCli, OnlyAReplacedGameFileIsAChangeElsewhere)
{
    DemoGame pristine;
    ScratchFolder scratch;
    GameCopy game(pristine, scratch / "copy");
    const auto workspace = game.workspace();
    {
        const GameLock first(workspace);
    }
    const std::vector<std::vector<std::string>> noChanges = {
        {"convert", "mods/MEADOW.LEV", (scratch / "MEADOW.bmp").string()},
        {"convert-all", "mods/ISLANDS.BMP", "--to", (scratch / "out").string()},
        {"sounds", "export", "3", (scratch / "three.wav").string()},
        {"preview", "mods/MEADOW.LEV", (scratch / "preview.bmp").string()},
        {"hacks", "show"},
    };
    for (const auto& args : noChanges) {
        ASSERT_EQ(game.cli(args).exitCode, 0) << args[0];
        EXPECT_FALSE(GameLock(workspace).changedElsewhere()) << args[0];
    }
    ASSERT_EQ(game.cli({"blood", "1000"}).exitCode, 0);
    EXPECT_TRUE(GameLock(workspace).changedElsewhere());
}

// A data folder that can not be written: every command that changes the game is refused with
// why, before it changes anything, and reading still works.
TEST(GameLockCli, AReadOnlyDataFolderRefusesEveryChangeAndChangesNothing)
{
    QUORVEX_SKIP_ON_WINDOWS_BUILD("permission bits");
    if (!inChildProcess(true, [] { return std::string(::access(QUORVEX_CLI_PATH, X_OK) == 0 ? "" : "no"); }).empty())
        GTEST_SKIP() << "the unprivileged user cannot run " << QUORVEX_CLI_PATH << " (built inside a private folder)";
    DemoGame pristine;
    ScratchFolder scratch;
    GameCopy game(pristine, scratch / "copy");
    ASSERT_EQ(game.cli({"hacks", "set", "JETPACK=1"}).exitCode, 0);   // this day's backup is there
    const auto before = gameFiles(game.game);
    // Everything writable by the unprivileged user the test runs as, but the data folder.
    const auto allow = [&](const fs::path& top, fs::perms folders, fs::perms files) {
        fs::permissions(top, folders);
        for (const auto& entry : fs::recursive_directory_iterator(top))
            fs::permissions(entry.path(), entry.is_directory() ? folders : files);
    };
    allow(scratch.path(), fs::perms::all, fs::perms(0666));
    allow(game.data, fs::perms(0555), fs::perms(0444));
    std::string script;
    for (const auto& command : {"hacks set JETPACK=0", "blood 1000", "activate mods/MOSSYPL2.LEV", "undo"})
        script += game.commandLine(words(command)) + "; echo \"exit $?\";";
    script += game.commandLine({"hacks", "show"}) + " >/dev/null; echo \"exit $?\"";
    const auto text = inChildProcess(true, [&] {
        const auto run = runCommand({"sh", "-c", script});
        return run.out + "--\n" + run.err;
    });
    allow(game.data, fs::perms::all, fs::perms(0666));
    EXPECT_TRUE(gameFiles(game.game) == before);
    const auto split = text.find("--\n");
    ASSERT_NE(split, std::string::npos) << text;
    EXPECT_EQ(text.substr(0, split), "exit 1\nexit 1\nexit 1\nexit 1\nexit 0\n") << text;
    const auto errors = lines(text.substr(split + 3));
    EXPECT_EQ(errors.size(), 4u) << text;
    for (const auto& line : errors)
        EXPECT_NE(line.find("Could not take the lock of the game (File access denied: "), std::string::npos) << line;
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
