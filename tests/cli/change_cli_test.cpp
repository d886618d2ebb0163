// quorvex-cli changes, changes export and changes revert on a demo game: the lines, the exit
// codes, refusals that write nothing, and reverts logged as the editors' saves.
#include "core/base/places.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

struct ChangeCliTest : ::testing::Test {
    DemoGame demo;
    DemoGame other;
    fs::path data = demo.scratch / "cli-data";

    ChangeCliTest() { fs::create_directories(data); }

    CommandResult cli(std::vector<std::string> args)
    {
        std::vector<std::string> all{"env", "QUORVEX_DATA_DIR=" + data.string(), QUORVEX_CLI_PATH, "--game",
                                     demo.game().string()};
        all.insert(all.end(), args.begin(), args.end());
        return runCommand(all);
    }
    std::string log() { return fs::exists(data / "quorvex.log") ? readText(data / "quorvex.log") : ""; }
};

} // namespace

TEST_F(ChangeCliTest, ListsRevertsAndExportsAsTheIssueSays)
{
    auto listed = cli({"changes"});
    EXPECT_EQ(listed.exitCode, 0);
    EXPECT_EQ(listed.out, "");
    const auto name = lines(cli({"weapons", "show", "3"}).out).at(0).substr(5);
    ASSERT_EQ(cli({"weapons", "set", "3", "NAME=ZAPPER", "SPEED=777"}).exitCode, 0);
    ASSERT_EQ(cli({"blood", "1000"}).exitCode, 0);

    listed = cli({"changes"});
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    const auto speed = lines(cli({"weapons", "show", "3"}).out);
    EXPECT_EQ(lines(listed.out), (std::vector<std::string>{"weapon\t3\tNAME\t" + name + "\tZAPPER",
                                                          lines(cli({"changes", "--against", other.game().string()}).out)[1],
                                                          "blood\t-\tBLOOD\t500\t1000"}));
    EXPECT_EQ(lines(listed.out)[1].substr(0, 15), "weapon\t3\tSPEED\t");
    EXPECT_EQ(lines(listed.out)[1].substr(lines(listed.out)[1].size() - 4), "\t777");

    // An export holds only the changed keys; nothing to export writes nothing.
    const auto plugin = demo.scratch / "MINE.LWP";
    ASSERT_EQ(cli({"changes", "export", plugin.string()}).exitCode, 0);
    EXPECT_EQ(lines(readText(plugin)),
              (std::vector<std::string>{"LWP\r", "VERSION:2\r", "WEAPON:4\r", "NAME:ZAPPER\r", "SPEED:777\r"}));

    // A revert of one key, then of a whole entry, each saved and logged as the editor does.
    const auto exe = readBytes(demo.workspace.torloExe());
    auto reverted = cli({"changes", "revert", "weapon", "3", "SPEED"});
    ASSERT_EQ(reverted.exitCode, 0) << reverted.err;
    EXPECT_NE(log().find("Weapons saved"), std::string::npos) << log();
    EXPECT_EQ(lines(cli({"changes"}).out).size(), 2u);
    ASSERT_EQ(cli({"changes", "revert", "blood", "-"}).exitCode, 0);
    EXPECT_EQ(lines(cli({"changes"}).out), std::vector<std::string>{"weapon\t3\tNAME\t" + name + "\tZAPPER"});

    // No such change, no such area: refused, nothing written.
    const auto now = readBytes(demo.workspace.torloExe());
    auto refused = cli({"changes", "revert", "weapon", "4"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err, "quorvex-cli: No such change: weapon 4\n");
    EXPECT_EQ(cli({"changes", "revert", "colour", "4"}).exitCode, 2);
    EXPECT_EQ(readBytes(demo.workspace.torloExe()), now);

    ASSERT_EQ(cli({"changes", "revert", "weapon", "3"}).exitCode, 0);
    EXPECT_EQ(cli({"changes"}).out, "");
    const auto none = demo.scratch / "NONE.LWP";
    EXPECT_EQ(cli({"changes", "export", none.string()}).exitCode, 1);
    EXPECT_FALSE(fs::exists(none));
    EXPECT_NE(exe, readBytes(demo.workspace.torloExe()));
}
