// The special hacks on a demo game: the creation read, tidying, the bytes "Do all !" writes,
// the overlaps settled by the switches that own their bytes, and round trips.
#include "core/base/errors.h"
#include "core/hacks/hacks.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

std::size_t item(std::string_view key)
{
    for (std::size_t i = 0; i < HackCount; ++i)
        if (HackItems[i].key == key)
            return i;
    throw std::logic_error("no hack " + std::string(key));
}

struct HacksTest : ::testing::Test {
    DemoGame demo;
    fs::path exe = demo.workspace.torloExe();

    void poke(std::uint32_t offset, std::initializer_list<std::uint8_t> values)
    {
        auto bytes = readBytes(exe);
        for (auto v : values)
            bytes[offset++] = v;
        writeBytes(exe, bytes);
    }
    int at(std::uint32_t offset) { return readBytes(exe)[offset]; }
    HackValues read() { return readHacks(demo.workspace); }
    void save(const HackValues& values) { saveHacks(demo.workspace, values); }
};

} // namespace

TEST_F(HacksTest, SwitchesReadAndWriteTheirBytes)
{
    poke(15324, {109});
    auto values = read();
    EXPECT_TRUE(values.on[item("GRAVITYWORMS")]);
    values.on[item("GRAVITYWORMS")] = false;
    save(values);
    EXPECT_EQ(at(15324), 69);
    EXPECT_EQ(at(15330), 85);

    values.on[item("RUBBERWALLS")] = true;
    save(values);
    for (std::uint32_t offset : {14901, 15026, 15151, 15276})
        EXPECT_EQ(at(offset), 1) << offset;
    values.on[item("RUBBERWALLS")] = false;
    save(values);
    for (std::uint32_t offset : {14901, 15026, 15151, 15276})
        EXPECT_EQ(at(offset), 3) << offset;
}

TEST_F(HacksTest, NumbersAreShownAndStoredByTheirRules)
{
    poke(69586, {63});
    auto values = read();
    EXPECT_EQ(values.text[item("ROPEFIRSTCOLOR")], "62");
    values.text[item("ROPEFIRSTCOLOR")] = "255";
    values.text[item("DIGGING")] = "30";
    values.text[item("SHELLS")] = "260";
    poke(12956, {77});
    values.text[item("ROPEXSPEED")] = "300";
    save(values);
    for (std::uint32_t offset : {69586, 69743, 69843})
        EXPECT_EQ(at(offset), 0) << offset;   // 255 + 1 in one byte
    EXPECT_EQ(at(16739), 24);
    EXPECT_EQ(at(14701), 4);                  // 260 in one byte is 4, not over 24
    EXPECT_EQ(at(12955), 44);
    EXPECT_EQ(at(12956), 77);                 // the byte after the speed is left alone
    EXPECT_EQ(read().text[item("ROPEXSPEED")], std::to_string(44 + 77 * 256));
}

TEST_F(HacksTest, FieldsAreTidiedAsTheyAreLeftOrChanged)
{
    const auto& risk = HackItems[item("BOOBYTRAPRISK")];
    EXPECT_EQ(tidyOnLeave(risk, "1"), "2");
    EXPECT_EQ(tidyOnLeave(risk, "300"), "255");
    EXPECT_EQ(riskHint("2"), "Now happens 1 out of 1 times");
    EXPECT_EQ(riskHint("21"), "Now happens 1 out of 10 times");
    EXPECT_EQ(tidyOnChange(risk, "1"), "1");   // the risk waits until it is left
    EXPECT_EQ(tidyOnChange(HackItems[item("MAXHEALTH")], "256"), "255");
    EXPECT_EQ(tidyOnChange(HackItems[item("BONUSCHANCE")], "-1"), "0");
    EXPECT_EQ(tidyOnChange(HackItems[item("MAXHEALTH")], "12"), "12");
    EXPECT_EQ(tidyOnLeave(HackItems[item("ROPEXSPEED")], "70000"), "65535");
    EXPECT_EQ(tidyOnLeave(HackItems[item("ROPELASTCOLOR")], "-3"), "0");
}

TEST_F(HacksTest, LaserColourIsTheByteOnlyWhenBothPlacesAgree)
{
    poke(15567, {40});
    poke(38402, {40});
    EXPECT_EQ(read().text[item("LASERCOLOR")], "40");
    poke(38402, {41});
    EXPECT_EQ(read().text[item("LASERCOLOR")], "123");
    auto values = read();
    values.text[item("LASERCOLOR")] = "7";
    save(values);
    EXPECT_EQ(at(15567), 40);   // shown only, never written
}

TEST_F(HacksTest, JetpackAndAllTimeJumpShareTheirBytesByOwnership)
{
    auto values = read();
    values.on[item("ALLTIMEJUMP")] = true;
    values.on[item("JETPACK")] = false;
    save(values);
    EXPECT_EQ(at(13083), 235);
    EXPECT_EQ(at(13084), 6);
    EXPECT_EQ(at(13075), 38);
    EXPECT_EQ(at(13076), 128);
    auto back = read();
    EXPECT_TRUE(back.on[item("ALLTIMEJUMP")]);
    EXPECT_FALSE(back.on[item("JETPACK")]);

    values.on[item("ALLTIMEJUMP")] = false;
    values.on[item("JETPACK")] = true;
    save(values);
    EXPECT_EQ(at(13083), 235);   // Jetpack owns the jump bytes too
    EXPECT_EQ(at(13075), 235);
    EXPECT_EQ(at(13076), 6);
    EXPECT_TRUE(read().on[item("JETPACK")]);

    values.on[item("JETPACK")] = false;
    save(values);
    EXPECT_EQ(at(13083), 38);
    EXPECT_EQ(at(13075), 38);
}

TEST_F(HacksTest, DisabledBoobytrapsOwnTheRiskByte)
{
    auto values = read();
    values.on[item("NOBOOBYTRAPS")] = true;
    values.text[item("BOOBYTRAPRISK")] = "40";
    values.on[item("WEAPONRELOADER")] = false;
    EXPECT_TRUE(isOwned(values, item("BOOBYTRAPRISK")));
    save(values);
    EXPECT_EQ(at(11696), 10);    // the reloader writes only its first byte then
    EXPECT_EQ(at(11697), 235);
    EXPECT_EQ(at(11698), 13);
    EXPECT_TRUE(read().on[item("NOBOOBYTRAPS")]);

    values.on[item("WEAPONRELOADER")] = true;
    save(values);
    EXPECT_EQ(at(11696), 123);
    EXPECT_EQ(at(11697), 235);
    EXPECT_EQ(at(11698), 13);

    values.on[item("NOBOOBYTRAPS")] = false;
    values.on[item("WEAPONRELOADER")] = false;
    save(values);
    EXPECT_EQ(at(11697), 106);
    EXPECT_EQ(at(11698), 40);    // the risk field, stored as shown
    auto back = read();
    EXPECT_FALSE(back.on[item("NOBOOBYTRAPS")]);
    EXPECT_EQ(back.text[item("BOOBYTRAPRISK")], "40");
}

TEST_F(HacksTest, PairedSwitchesPatchTheByteBeforeTheirPlace)
{
    auto values = read();
    values.on[item("FOLLOWALLDIR")] = true;
    values.on[item("HITNEGATIVE")] = true;
    save(values);
    EXPECT_EQ(at(30353), 1);
    EXPECT_EQ(at(30354), 115);
    EXPECT_EQ(at(27919), 152);
    EXPECT_EQ(at(27920), 144);
    values.on[item("FOLLOWALLDIR")] = false;
    values.on[item("HITNEGATIVE")] = false;
    save(values);
    EXPECT_EQ(at(30353), 2);
    EXPECT_EQ(at(30354), 116);
    EXPECT_EQ(at(27919), 48);
    EXPECT_EQ(at(27920), 228);
}

// Every switch and field is read, so a read followed by "Do all !" changes nothing, with every
// switch off and with every switch on, whatever numbers the player set before.
TEST_F(HacksTest, ReadThenDoAllLeavesTheGameUnchanged)
{
    const auto demoGame = readBytes(exe);
    save(read());
    EXPECT_TRUE(readBytes(exe) == demoGame);
    for (const bool on : {false, true}) {
        auto values = read();
        for (std::size_t i = 0; i < HackCount; ++i)
            values.on[i] = HackItems[i].isSwitch && on;
        values.text[item("MAXHEALTH")] = "77";
        values.text[item("BONUSCHANCE")] = "2500";
        save(values);
        const auto before = readBytes(exe);
        const auto again = read();
        EXPECT_EQ(again.text[item("MAXHEALTH")], "77");
        EXPECT_EQ(again.text[item("BONUSCHANCE")], "2500");
        for (std::size_t i = 0; i < HackCount; ++i) {
            if (HackItems[i].isSwitch) {
                EXPECT_EQ(again.on[i], on) << HackItems[i].key;
            }
        }
        save(again);
        EXPECT_TRUE(readBytes(exe) == before) << "switches " << (on ? "on" : "off");
    }
}

TEST_F(HacksTest, NothingIsWrittenWhenAFieldIsNoNumberOrTheGameIsShort)
{
    auto values = read();
    values.on[item("GRAVITYWORMS")] = true;
    values.text[item("WORMBLOOD")] = "many";
    const auto before = readBytes(exe);
    EXPECT_THROW(save(values), ConvertError);
    EXPECT_TRUE(readBytes(exe) == before);

    values.text[item("WORMBLOOD")] = "7";
    values.text[item("FRICTION")] = "9x";   // lenient in the window: the leading digits
    EXPECT_NO_THROW(save(values));
    EXPECT_EQ(at(14781), 9);
    EXPECT_THROW(saveHacks(demo.workspace, values, true), ConvertError);

    auto shortened = readBytes(exe);
    shortened.resize(69000);
    writeBytes(exe, shortened);
    EXPECT_THROW(read(), FileError);
    EXPECT_THROW(save(values), FileError);
    EXPECT_EQ(fs::file_size(exe), 69000u);   // never grown
}
