// quorvex-cli objects, sobjects, plugin and activate FILE.LWP on a demo game: record lines,
// bytes written in place, status texts and log lines, plugins written by each writer and
// installed back onto a fresh game, and refusals that write nothing.
#include "core/base/places.h"
#include "programs.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

struct ObjectCliTest : ::testing::Test {
    DemoGame demo;
    DemoGame fresh;
    fs::path exe = demo.workspace.torloExe();
    fs::path data = demo.scratch / "cli-data";
    fs::path config = demo.scratch / "cli-config";

    ObjectCliTest() { fs::create_directories(data); }

    // Runs quorvex-cli on a game with its own data folder (for the log) and settings.
    CommandResult cli(std::vector<std::string> args, const DemoGame* game = nullptr)
    {
        std::vector<std::string> all{"env", "QUORVEX_DATA_DIR=" + data.string(), "XDG_CONFIG_HOME=" + config.string(),
                                     quorvex::test::cliProgram(), "--game", (game ? *game : demo).game().string()};
        all.insert(all.end(), args.begin(), args.end());
        return runCommand(all);
    }
    std::string log() { return readText(data / "quorvex.log"); }
};

} // namespace

TEST_F(ObjectCliTest, ListShowAndSetWorkInPlaceWithThePagesRules)
{
    const auto objects = lines(cli({"objects", "list"}).out);
    ASSERT_EQ(objects.size(), 24u);
    EXPECT_EQ(objects[23], "23\tGrasshopper 7");
    EXPECT_EQ(lines(cli({"sobjects", "list"}).out)[13], "13\tUndefined, but changeable");

    const auto shown = lines(cli({"objects", "show", "23"}).out);
    ASSERT_EQ(shown.size(), 28u);
    EXPECT_EQ(shown[0].substr(0, 6), "BLOOD:");
    EXPECT_EQ(shown[27].substr(0, 14), "EXPLODEAFFECT:");
    ASSERT_EQ(lines(cli({"sobjects", "show", "0"}).out).size(), 12u);

    const auto before = readBytes(exe);
    auto result = cli({"objects", "set", "23", "GRAVITY=-1", "HITDAMAGE=300", "SPEED=65537", "CREATEONHIT=-1", "BLOW=x"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "Object saved\n");
    EXPECT_NE(log().find(": Object \"Grasshopper 7\" saved"), std::string::npos);
    auto after = readBytes(exe);
    EXPECT_EQ(after[111454 + 46], 255);
    EXPECT_EQ(after[111454 + 47], 255);
    EXPECT_EQ(after[111694 + 23], 44);
    EXPECT_EQ(after[111502 + 46], 1);
    EXPECT_EQ(after[111502 + 47], 0);
    EXPECT_EQ(after[111910 + 23], 255);
    EXPECT_EQ(after[111646 + 23], 0);
    EXPECT_TRUE(std::equal(before.begin() + places::WeaponNames, before.end(), after.begin() + places::WeaponNames));
    const auto again = lines(cli({"objects", "show", "23"}).out);
    EXPECT_NE(std::find(again.begin(), again.end(), "GRAVITY:-1"), again.end());
    EXPECT_NE(std::find(again.begin(), again.end(), "CREATEONHIT:-1"), again.end());

    // A list value names its row by all eight low bits: 130 is no row, so the box is empty.
    ASSERT_EQ(cli({"objects", "set", "0", "MAPCHANGE=130"}).exitCode, 0);
    EXPECT_EQ(readBytes(exe)[111958], 255);
    const auto first = lines(cli({"objects", "show", "0"}).out);
    EXPECT_NE(std::find(first.begin(), first.end(), "MAPCHANGE:-1"), first.end());

    result = cli({"sobjects", "set", "13", "BLOW=4294967295"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "Special object saved\n");
    EXPECT_NE(log().find(": Special Object \"Undefined, but changeable\" saved"), std::string::npos);
    after = readBytes(exe);
    for (int b = 0; b < 4; ++b)
        EXPECT_EQ(after[115368 + b], 255);   // the "Shadow" bytes of special objects 0 to 3
    EXPECT_EQ(lines(cli({"sobjects", "show", "13"}).out)[7], "BLOW:4294967295");

    // Refusals write nothing.
    const auto kept = readBytes(exe);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"objects", "set", "24", "BLOW=1"}, {"sobjects", "set", "14", "BLOW=1"},
          {"objects", "set", "2", "BLOW=1", "RECOIL=1"}, {"objects", "set", "2", "BLOW:=1"},
          {"objects", "set", "2", "BLOW=1", "SPLINTERTYPE=seven"}, {"objects", "show", "-1"}}) {
        result = cli(args);
        EXPECT_EQ(result.exitCode, 1) << args[2] << " " << args.back();
        EXPECT_FALSE(result.err.empty());
    }
    EXPECT_EQ(cli({"objects", "set", "2"}).exitCode, 2);
    EXPECT_EQ(readBytes(exe), kept);
}

TEST_F(ObjectCliTest, PluginsFromEveryWriterInstallBackOntoAFreshGame)
{
    QUORVEX_SKIP_ON_WINDOWS_BUILD("its settings are in the registry, not in Quorvex.conf");
    cli({"objects", "set", "3", "GRAVITY=-5", "SPLINTERTYPE=-1"});
    cli({"sobjects", "set", "6", "BLOW=123456", "SHADOW=1"});
    cli({"weapons", "set", "9", "NAME=two  words", "RECOIL=12"});
    const auto file = (demo.scratch / "all").string();
    auto result = cli({"plugin", "new", file, "object", "3", "--lwp2"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "Object saved\n");
    EXPECT_EQ(readText(file + ".LWP").substr(0, 16), "LWP\r\nVERSION:2\r\n");
    ASSERT_EQ(cli({"plugin", "append", file + ".LWP", "sobject", "6"}).out, "Object saved\n");
    ASSERT_EQ(cli({"plugin", "append", file + ".LWP", "weapon", "9"}).exitCode, 0);
    EXPECT_EQ(cli({"plugin", "append", file, "weapon", "9"}).err, "quorvex-cli: No weapon selected\n");

    // The "MakeLWP2" setting decides without an option; a weapon record says SELECTED.
    fs::create_directories(config / "Morvane");
    writeBytes(config / "Morvane" / "Quorvex.conf", {'[', 'G', 'e', 'n', 'e', 'r', 'a', 'l', ']', '\n', 'M', 'a', 'k', 'e', 'L',
                                                     'W', 'P', '2', '=', 'y', 'e', 's', '\n'});
    ASSERT_EQ(cli({"plugin", "new", file + "-w.lwp", "weapon", "9"}).out, "Weapon saved\n");
    EXPECT_EQ(readText(file + "-w.lwp").rfind("LWP\r\nVERSION:2\r\nPROMPT:This will activate weapon TWO. Are you sure?\r\n"
                                              "WEAPON:SELECTED\r\nORDER:9\r\nNAME:TWO  WORDS\r\n", 0),
              0u);
    EXPECT_EQ(cli({"plugin", "new", file + "-w.lwp", "weapon", "40"}).exitCode, 1);
    EXPECT_EQ(cli({"plugin", "new", file + "-w.lwp", "thing", "4"}).exitCode, 2);

    // On a fresh game: the three records give the bytes of the game they came from.
    result = cli({"--yes", "activate", file + ".LWP"}, &fresh);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "Object saved\nObject replaced\nSpecial object saved\nSpecial object replaced\nWeaponname changed\nWeapons saved\n"
                          "Weapon replaced\n");
    EXPECT_EQ(readBytes(fresh.workspace.torloExe()), readBytes(exe));

    // A refused question installs nothing and exits 1.
    DemoGame third;
    const auto untouched = readBytes(third.workspace.torloExe());
    result = cli({"--no", "activate", file + ".LWP"}, &third);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(readBytes(third.workspace.torloExe()), untouched);
}

TEST_F(ObjectCliTest, AStoppedInstallationExitsOneKeepingEarlierRecords)
{
    const auto file = demo.scratch / "stop.lwp";
    const std::string text = "TORLOKIT:WEAPONPLUGIN\r\nOBJECT:1\r\nBLOW:77\r\nWEAPON:41\r\nNAME:NOPE\r\n";
    writeBytes(file, std::vector<std::uint8_t>(text.begin(), text.end()));
    const auto result = cli({"activate", file.string()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "Object saved\nObject replaced\n");
    EXPECT_EQ(result.err, "quorvex-cli: Plugin stopped at line 4: \"WEAPON:41\" names no weapon (they run from 1 to 40)\n");
    EXPECT_EQ(readBytes(exe)[111646 + 1], 77);
    EXPECT_EQ(cli({"weapons", "list"}).out.find("NOPE"), std::string::npos);
}
