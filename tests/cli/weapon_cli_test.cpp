// quorvex-cli weapons show / set on a demo game: the record lines, the bytes written at the
// weapon table's offsets, the status texts and log lines, and refusals that write nothing.
#include "core/base/places.h"
#include "programs.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

constexpr std::size_t tableAt(std::uint32_t position)
{
    return places::WeaponTable + position;
}

struct WeaponCliTest : ::testing::Test {
    DemoGame demo;
    fs::path exe = demo.workspace.torloExe();
    fs::path data = demo.scratch / "cli-data";

    WeaponCliTest() { fs::create_directories(data); }

    // Runs quorvex-cli on the demo game with its own data folder (for the log).
    CommandResult cli(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"--game", demo.game().string()});
        return runCli(data, args);
    }
    std::string log() { return readText(data / "quorvex.log"); }
};

} // namespace

TEST_F(WeaponCliTest, ShowPrintsTheWeaponAsPluginRecordLines)
{
    const auto bytes = readBytes(exe);
    const int w = 6;
    const auto result = cli({"weapons", "show", std::to_string(w)});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto shown = lines(result.out);
    ASSERT_EQ(shown.size(), 50u);
    const auto listed = lines(cli({"weapons", "list"}).out)[w];
    EXPECT_EQ(shown[0], "NAME:" + listed.substr(listed.find('\t') + 1));
    EXPECT_EQ(shown[1], "ORDER:6");
    EXPECT_EQ(shown[2].rfind("ACCADD:", 0), 0u);
    EXPECT_EQ(shown[49].rfind("RELOADSOUND:", 0), 0u);

    const auto value = [&](const std::string& key) {
        for (const auto& line : shown)
            if (line.rfind(key + ":", 0) == 0)
                return line.substr(key.size() + 1);
        return std::string("(missing)");
    };
    const auto word = static_cast<std::int16_t>(bytes[tableAt(160) + 2 * w] | bytes[tableAt(160) + 2 * w + 1] << 8);
    EXPECT_EQ(value("GRAVITY"), std::to_string(word));
    EXPECT_EQ(value("WORMDETECTRANGE"), std::to_string(bytes[tableAt(0) + w]));
    EXPECT_EQ(value("SOUNDLAUNCH"), std::to_string(bytes[tableAt(320) + w]));
    EXPECT_EQ(value("SHADOW"), std::to_string(bytes[tableAt(240) + w]));
}

TEST_F(WeaponCliTest, ShowGivesTheValuesThePageWouldShow)
{
    auto bytes = readBytes(exe);
    bytes[tableAt(40) + 1] = 2;                 // a tick of 2 shows unticked
    bytes[tableAt(1040) + 1] = 13;              // a list entry without a row shows empty
    bytes[tableAt(1760) + 2] = 0xFF;            // start frame -1
    bytes[tableAt(1760) + 3] = 0xFF;
    writeBytes(exe, bytes);
    const auto shown = cli({"weapons", "show", "1"}).out;
    EXPECT_NE(shown.find("\nWORMAFFECT:0\n"), std::string::npos);
    EXPECT_NE(shown.find("\nCREATEONHIT:-1\n"), std::string::npos);
    EXPECT_NE(shown.find("\nANIMSFRAME:-1\n"), std::string::npos);
}

TEST_F(WeaponCliTest, SetStoresAsThePluginReaderAndSaveDo)
{
    auto before = readBytes(exe);
    before[tableAt(1320) + 9] = 2;   // "Remove on worm hit" 2, not given: it keeps its 2
    writeBytes(exe, before);
    const int w = 9;
    const auto result = cli({"weapons", "set", "9", "SPEED=70000", "BLOW=300", "WORMDETECTRANGE=-1", "WORMAFFECT=1",
                             "LASERSIGHT=yes", "CREATEONHIT=13", "MAPCHANGE=258", "SPLINTERCOLOR=256",
                             "BULLETCOLOR=-1", "ORDER=12", "ANIMSFRAME=32768", "NAME=lower case name"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "Weaponname changed\nWeapons saved\n");
    const auto text = log();
    const auto renamed = text.find(": Weaponname changed to LOWER CASE NA\r\n");
    ASSERT_NE(renamed, std::string::npos) << text;
    EXPECT_NE(text.find(": Weapons saved to Torlo.exe\r\n", renamed), std::string::npos);

    auto expected = before;
    auto word = [&](std::uint32_t position, std::uint16_t value) {
        expected[tableAt(position) + 2 * w] = value & 0xFF;
        expected[tableAt(position) + 2 * w + 1] = value >> 8;
    };
    word(440, 70000 & 0xFFFF);
    word(1760, 0x8000);
    expected[tableAt(80) + w] = 44;
    expected[tableAt(0) + w] = 255;
    expected[tableAt(40) + w] = 1;
    expected[tableAt(280) + w] = 0;
    expected[tableAt(1040) + w] = 255;
    expected[tableAt(1080) + w] = 2;
    expected[tableAt(2040) + w] = 255;
    expected[tableAt(1960) + w] = 0;
    expected[tableAt(120) + w] = 12;
    const std::string name = "LOWER CASE NA";
    expected[places::WeaponNames + 14 * w] = 13;
    std::copy(name.begin(), name.end(), expected.begin() + places::WeaponNames + 14 * w + 1);
    EXPECT_EQ(readBytes(exe), expected);

    const auto shown = cli({"weapons", "show", "9"}).out;
    EXPECT_EQ(shown.rfind("NAME:LOWER CASE NA\nORDER:12\n", 0), 0u);
    EXPECT_NE(shown.find("\nSPEED:4464\n"), std::string::npos);
    EXPECT_NE(shown.find("\nANIMSFRAME:-32768\n"), std::string::npos);
}

TEST_F(WeaponCliTest, RefusalsAndBadValuesWriteNothing)
{
    const auto before = readBytes(exe);
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string message;
    };
    const Case cases[] = {
        {{"weapons", "set", "40", "SPEED=1"}, 1, "No weapon 40"},
        {{"weapons", "set", "-1", "SPEED=1"}, 1, "No weapon -1"},
        {{"weapons", "set", "two", "SPEED=1"}, 1, "No weapon two"},
        {{"weapons", "set", "3", "NAME=NEW", "FOO=1"}, 1, "Not a weapon key: FOO"},
        {{"weapons", "set", "3", "SPEED:=1"}, 1, "Not a weapon key: SPEED:"},
        {{"weapons", "set", "3", "speed=1"}, 1, "Not a weapon key: speed"},
        {{"weapons", "set", "3", "NAME=NEW", "SPEED=fast"}, 1, "'fast' is not a valid integer value"},
        {{"weapons", "set", "3", "SPLINTERCOLOR="}, 1, "'' is not a valid integer value"},
        {{"weapons", "set", "3", "CREATEONHIT=none"}, 1, "'none' is not a valid integer value"},
        {{"weapons", "set", "3"}, 2, "usage: quorvex-cli weapons set"},
        {{"weapons", "set", "3", "SPEED"}, 2, "expected KEY=VALUE"},
        {{"weapons", "show"}, 2, "usage: quorvex-cli weapons show"},
        {{"weapons", "show", "40"}, 1, "No weapon 40"},
    };
    for (const auto& c : cases) {
        const auto result = cli(c.args);
        EXPECT_EQ(result.exitCode, c.exitCode) << c.args.back();
        EXPECT_NE(result.err.find(c.message), std::string::npos) << c.args.back() << ": " << result.err;
        EXPECT_EQ(readBytes(exe), before) << c.args.back();
    }
    EXPECT_FALSE(fs::exists(data / "quorvex.log"));
}

TEST_F(WeaponCliTest, NamesAreCodePage437InTheGameAndUtf8InEveryListingAndTheLog)
{
    // "ï" is byte 0x8B of code page 437.
    const auto result = cli({"weapons", "set", "5", "NAME=cha\u00efngun"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto bytes = readBytes(exe);
    const auto slot = places::WeaponNames + places::WeaponNameSlot * 5;
    EXPECT_EQ(std::string(bytes.begin() + slot, bytes.begin() + slot + 9), "\x08" "CHA\x8BNGUN");
    EXPECT_EQ(lines(cli({"weapons", "list"}).out)[5], "5\tCHA\u00efNGUN");
    EXPECT_EQ(lines(cli({"weapons", "show", "5"}).out)[0], "NAME:CHA\u00efNGUN");
    EXPECT_NE(log().find(": Weaponname changed to CHA\u00efNGUN\r\n"), std::string::npos) << log();

    const auto refused = cli({"weapons", "set", "5", "NAME=\u20acGUN"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("cannot be stored in the game's character set"), std::string::npos) << refused.err;
    EXPECT_EQ(readBytes(exe), bytes);
}

TEST_F(WeaponCliTest, SetWithoutTorloExeFailsCleanly)
{
    fs::remove(exe);
    const auto result = cli({"weapons", "set", "0", "SPEED=1"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "quorvex-cli: torlo.exe was not found in " + absoluteAsPrinted(demo.game()) + "\n");
    EXPECT_FALSE(fs::exists(exe));
}
