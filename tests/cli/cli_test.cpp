#include "programs.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace quorvex::test;

TEST(Cli, InfoListsEachGameFileWithPathAndSize)
{
    DemoGame demo;
    fs::rename(demo.game() / "torlo.exe", demo.game() / "TORLO.EXE");
    fs::remove(demo.game() / "TORLO.SND");
    const auto result = runCli({"--game", demo.game().string(), "info"});
    // Windows finds the file under the name it is asked for.
    const std::string exeName = testsWindowsBuild() ? "torlo.exe" : "TORLO.EXE";
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.out.find("Game folder: " + absoluteAsPrinted(demo.game()) + "\n"), std::string::npos);
    EXPECT_NE(result.out.find("torlo.exe: " + absoluteAsPrinted(demo.game() / exeName) + " (141312 bytes)\n"), std::string::npos);
    EXPECT_NE(result.out.find("torlo.dat: " + absoluteAsPrinted(demo.game() / "torlo.dat") + " (155 bytes)\n"), std::string::npos);
    EXPECT_NE(result.out.find("TORLO.CHR: " + absoluteAsPrinted(demo.game() / "TORLO.CHR") + " (35028 bytes)\n"), std::string::npos);
    EXPECT_NE(result.out.find("TORLO.SND: missing\n"), std::string::npos);
}

TEST(Cli, WeaponsListPrintsFortyNumberedNames)
{
    DemoGame demo;
    const auto result = runCli({"--game", demo.game().string(), "weapons", "list"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out.rfind("0\tSHOTGUN\n1\tCHAINGUN\n", 0), 0u);
    EXPECT_NE(result.out.find("\n39\tGAUSS GUN\n"), std::string::npos);
    EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 40);
}

TEST(Cli, ErrorsAndUsageHaveTheirExitCodes)
{
    ScratchFolder empty;
    auto missing = runCli({"--game", empty.path().string(), "weapons", "list"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, "quorvex-cli: torlo.exe was not found in " + absoluteAsPrinted(empty.path()) + "\n");
    EXPECT_TRUE(missing.out.empty());

    EXPECT_EQ(runCli({"frobnicate"}).exitCode, 2);
    EXPECT_EQ(runCli({}).exitCode, 2);
    EXPECT_EQ(runCli({"--yes", "--no", "info"}).exitCode, 2);
    EXPECT_EQ(runCli({"--game"}).exitCode, 2);
    EXPECT_EQ(runCli({"--game", empty.path().string(), "info", "extra"}).exitCode, 2);
}

TEST(Cli, HelpListsEveryCommand)
{
    const auto result = runCli({"--help"});
    EXPECT_EQ(result.exitCode, 0);
    for (const char* command : {"info", "weapons list"})
        EXPECT_NE(result.out.find(std::string("  ") + command), std::string::npos) << command;
}

TEST(DemoGame, NeverOverwritesAnExistingGameWithoutForce)
{
    ScratchFolder scratch;
    const auto folder = (scratch / "game").string();
    EXPECT_EQ(runCommand({quorvex::test::demoProgram(), folder}).exitCode, 0);
    writeBytes(scratch / "game" / "torlo.exe", {1, 2, 3});
    const auto again = runCommand({quorvex::test::demoProgram(), folder});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_EQ(fs::file_size(scratch / "game" / "torlo.exe"), 3u);
    EXPECT_EQ(runCommand({quorvex::test::demoProgram(), folder, "--force"}).exitCode, 0);
    EXPECT_EQ(fs::file_size(scratch / "game" / "torlo.exe"), 141312u);
    EXPECT_TRUE(fs::is_directory(scratch / "game" / "mods"));
}

// Names with letters outside ASCII reach the files as given and come back in the messages as
// given, on Windows too (where a path's narrow form is not UTF-8 by itself).
TEST(Cli, NamesOutsideAsciiAreTheFilesTheyName)
{
    for (const std::string name : {"Torl\xC3\xB6", "Caf\xC3\xA9", "Gar\xC3\xA7on", "\xE4\xB8\xAD"}) {
        DemoGame demo;
        const auto game = demo.scratch / name;
        fs::rename(demo.game(), game);
        auto result = runCli({"--game", game.string(), "info"});
        EXPECT_EQ(result.exitCode, 0) << name << result.err;
        EXPECT_NE(result.out.find("Game folder: " + absoluteAsPrinted(game) + "\n"), std::string::npos) << name << result.out;
        EXPECT_NE(result.out.find(" (141312 bytes)\n"), std::string::npos) << name << result.out;

        const auto wav = demo.scratch / ("snd-" + name + ".wav");
        result = runCli({"--game", game.string(), "sounds", "export", "3", wav.string()});
        EXPECT_EQ(result.exitCode, 0) << name << result.err;
        EXPECT_TRUE(fs::is_regular_file(wav)) << name;
        EXPECT_NE(result.out.find(name + ".wav"), std::string::npos) << name << result.out;

        const auto level = game / "mods" / (name + ".LEV");
        fs::copy_file(game / "mods" / "MEADOW.LEV", level);
        result = runCli({"--game", game.string(), "--yes", "activate", level.string()});
        EXPECT_EQ(result.exitCode, 0) << name << result.err;
        EXPECT_EQ(result.out.rfind("Level activated", 0), 0u) << name << result.out;
    }
}

// Standard input that is no terminal (a file, /dev/null, NUL on Windows) is never asked.
TEST(Cli, NoQuestionWithoutATerminal)
{
    DemoGame demo;
    ASSERT_EQ(runCli({"--game", demo.game().string(), "blood", "50"}).exitCode, 0);
    const auto result = runCommand({"sh", "-c", "exec \"$0\" \"$@\" </dev/null", cliProgram(), "--game", demo.game().string(),
                                    "backups", "restore", "--original", "torlo.dat"});
    EXPECT_EQ(result.out.find("[y/N]"), std::string::npos) << result.out;
    EXPECT_EQ(result.exitCode, 1) << result.err;
}

// What cannot be written is an error, as with coreutils: a script never takes a cut output for
// a whole one.
TEST(Cli, WriteErrorsFailTheCommand)
{
    QUORVEX_SKIP_ON_WINDOWS_BUILD("no /dev/full");
    DemoGame demo;
    for (const std::vector<std::string>& line :
         {std::vector<std::string>{"--help"}, {"weapons", "list"}, {"sounds", "export", "3", "-"}, {"help", "weapons"}}) {
        std::vector<std::string> command{"sh", "-c", "exec \"$0\" \"$@\" >/dev/full", cliProgram(), "--game", demo.game().string()};
        command.insert(command.end(), line.begin(), line.end());
        const auto result = runCommand(command);
        EXPECT_EQ(result.exitCode, 1) << line[0];
        EXPECT_EQ(result.err, "quorvex-cli: write error: No space left on device\n") << line[0];
    }
}

// Errors name what is wrong in the user's words.
TEST(Cli, FileErrorsSayWhatIsWrong)
{
    DemoGame demo;
    const auto game = demo.game().string();
    const auto tooLong = (demo.scratch / (std::string(300, 'x') + ".wav")).string();
    auto result = runCli({"--game", game, "sounds", "export", "3", tooLong});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("File name too long"), std::string::npos) << result.err;

    const auto missing = demo.scratch / "nodir" / "x.wav";
    result = runCli({"--game", game, "sounds", "export", "3", missing.string()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "quorvex-cli: No folder " + missing.parent_path().string() + " for " + missing.string() + "\n");
}
