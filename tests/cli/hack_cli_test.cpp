// quorvex-cli hacks show / set on a demo game: the keys in the window's order, values taken as
// typed and left, refusals that write nothing, and the log line without a time.
#include "programs.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <sstream>

namespace fs = std::filesystem;
using namespace quorvex::test;

namespace {

struct HackCliTest : ::testing::Test {
    DemoGame demo;
    fs::path exe = demo.workspace.torloExe();
    fs::path data = demo.scratch / "cli-data";

    HackCliTest() { fs::create_directories(data); }
    CommandResult cli(std::vector<std::string> args)
    {
        std::vector<std::string> all{"env", "QUORVEX_DATA_DIR=" + data.string(), quorvex::test::cliProgram(), "--game",
                                     demo.game().string()};
        all.insert(all.end(), args.begin(), args.end());
        return runCommand(all);
    }
};

} // namespace

TEST_F(HackCliTest, ShowListsEverySwitchAndFieldInTheWindowsOrder)
{
    const auto result = cli({"hacks", "show"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    std::vector<std::string> keys;
    std::istringstream in(result.out);
    for (std::string line; std::getline(in, line);)
        keys.push_back(line.substr(0, line.find(':')));
    ASSERT_EQ(keys.size(), 49u);
    EXPECT_EQ(keys.front(), "GRAVITYWORMS");
    EXPECT_EQ(keys[4], "BOOBYTRAPRISK");
    EXPECT_EQ(keys[25], "LASERCOLOR");
    EXPECT_EQ(keys.back(), "WORMBLOOD");
    EXPECT_NE(result.out.find("ROPEFIRSTCOLOR:62\n"), std::string::npos);
    EXPECT_NE(result.out.find("JETPACK:0\n"), std::string::npos);
}

TEST_F(HackCliTest, SetTakesValuesAsTypedAndLeftThenWritesEveryHack)
{
    const auto result = cli({"hacks", "set", "BOOBYTRAPRISK=1", "JETPACK=1", "DIGGING=30"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto bytes = readBytes(exe);
    EXPECT_EQ(bytes[11698], 2);   // tidied on leaving
    EXPECT_EQ(bytes[13075], 235);
    EXPECT_EQ(bytes[16739], 24);
    const auto log = readText(data / "quorvex.log");
    EXPECT_NE(log.find("\r\n- Hacks saved. Detailed information not yet available\r\n"), std::string::npos);
    const auto shown = cli({"hacks", "show"}).out;
    EXPECT_NE(shown.find("ALLTIMEJUMP:1\n"), std::string::npos);
    EXPECT_NE(shown.find("BOOBYTRAPRISK:2\n"), std::string::npos);
}

TEST_F(HackCliTest, RefusalsWriteNothing)
{
    const auto before = readBytes(exe);
    const std::pair<std::vector<std::string>, std::string> refusals[] = {
        {{"hacks", "set", "GRAVITYWORMS=1", "LASERCOLOR=4"}, "LASERCOLOR is shown only and cannot be set"},
        {{"hacks", "set", "GRAVITYWORMS=1", "NOSUCHHACK=4"}, "Not a hack key: NOSUCHHACK"},
        {{"hacks", "set", "GRAVITYWORMS=2"}, "GRAVITYWORMS is a switch: 0 or 1"},
        {{"hacks", "set", "GRAVITYWORMS=1", "FRICTION=9x"}, "Not a whole number for FRICTION: \"9x\""},
        // Shown greyed in the window, never read nor written: "hacks show" does not list it.
        {{"hacks", "set", "JUMPFORCE=1"}, "Not a hack key: JUMPFORCE"},
        {{"hacks", "set", "NOBOOBYTRAPS=1", "BOOBYTRAPRISK=4"},
         "BOOBYTRAPRISK cannot be set while a switch that is on owns its bytes"},
    };
    for (const auto& [args, message] : refusals) {
        const auto result = cli(args);
        EXPECT_EQ(result.exitCode, 1) << args.back();
        EXPECT_EQ(result.err, "quorvex-cli: " + message + "\n") << args.back();
        EXPECT_TRUE(readBytes(exe) == before) << args.back();
    }
    EXPECT_FALSE(fs::exists(data / "quorvex.log"));
    EXPECT_EQ(cli({"hacks", "set", "GRAVITYWORMS"}).exitCode, 2);
}
