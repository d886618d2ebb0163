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
