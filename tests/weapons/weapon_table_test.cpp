// The weapon table on a demo game: where entries lie, the copy of a page into the table, and
// what rename and save write into torlo.exe.
#include "gameexe/errors.h"
#include "weapons/weapon_table.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace quorvex;
using quorvex::test::DemoGame;
using quorvex::test::readBytes;

namespace {

const WeaponField& field(std::string_view key)
{
    return WeaponFields[*weaponFieldByKey(key)];
}

std::size_t index(std::string_view key)
{
    return *weaponFieldByKey(key);
}

struct WeaponTableTest : ::testing::Test {
    DemoGame demo;
    fs::path exe = demo.workspace.torloExe();
    Bytes before = readBytes(exe);
};

} // namespace

TEST_F(WeaponTableTest, EntriesLieInFieldArraysOfFortyLittleEndian)
{
    const auto data = loadWeapons(demo.workspace);
    EXPECT_EQ(data.names[3], "BAZOOKA");
    for (int w : {0, 17, 39}) {
        EXPECT_EQ(data.table.entry(field("ORDER"), w), w);   // the demo's weapon index
        const auto at = places::WeaponTable + 160 + 2 * w;      // "Gravity", signed 16-bit
        EXPECT_EQ(data.table.entry(field("GRAVITY"), w), static_cast<std::int16_t>(before[at] | before[at + 1] << 8));
        EXPECT_EQ(data.table.entry(field("WORMDETECTRANGE"), w), before[places::WeaponTable + w]);
        EXPECT_EQ(data.table.entry(field("PTRAILDELAY"), w), before[places::WeaponTable + 2320 + w]);
    }
    WeaponTable table;
    table.setEntry(field("ANIMSFRAME"), 39, -2);
    EXPECT_EQ(table.bytes[1760 + 78], 0xFE);
    EXPECT_EQ(table.bytes[1760 + 79], 0xFF);
    EXPECT_EQ(table.bytes[1840], 0);   // the next field is untouched
}

TEST_F(WeaponTableTest, ShownPageCopiesBackUnchangedForPlausibleWeapons)
{
    const auto data = loadWeapons(demo.workspace);
    for (int w = 0; w < places::WeaponCount; ++w) {
        auto table = data.table;
        copyPageToTable(table, w, showWeapon(table, w));
        EXPECT_EQ(table.bytes, data.table.bytes) << "weapon " << w;
    }
}

TEST_F(WeaponTableTest, ConversionErrorStopsTheCopyAtThatControl)
{
    auto data = loadWeapons(demo.workspace);
    auto page = showWeapon(data.table, 4);
    page[index("DISTRIBUTION")].text = "1234";    // first on page 1
    page[index("ACCADD")].text = "nonsense";      // fourth on page 1
    page[index("ACCMULTIPLY")].text = "77";       // after it
    page[index("ORDER")].text = "9";              // last of all
    const auto untouched = data.table;
    EXPECT_THROW(copyPageToTable(data.table, 4, page), ConvertError);
    EXPECT_EQ(data.table.entry(field("DISTRIBUTION"), 4), 1234);
    EXPECT_EQ(data.table.entry(field("ACCMULTIPLY"), 4), untouched.entry(field("ACCMULTIPLY"), 4));
    EXPECT_EQ(data.table.entry(field("ORDER"), 4), 4);
}

TEST_F(WeaponTableTest, RenameCutsToThirteenAndTouchesOnlyItsSlot)
{
    auto data = loadWeapons(demo.workspace);
    const auto outcome = renameWeapon(demo.workspace, data.names, 3, "abcdefghijklmnop");
    EXPECT_EQ(outcome.logMessage, "Weaponname changed to ABCDEFGHIJKLM");
    EXPECT_EQ(data.names[3], "ABCDEFGHIJKLM");
    auto expected = before;
    const std::string slot = "\x0d" "ABCDEFGHIJKLM";
    std::copy(slot.begin(), slot.end(), expected.begin() + places::WeaponNames + 14 * 3);
    EXPECT_EQ(readBytes(exe), expected);

    // Only ASCII letters change case; other bytes are kept as they are.
    EXPECT_EQ(weaponNameFromTyped("m\xe9ga-1"), "M\xe9GA-1");
}

TEST_F(WeaponTableTest, TooShortTorloExeIsNeitherWrittenNorGrown)
{
    const auto data = loadWeapons(demo.workspace);
    test::writeBytes(exe, Bytes(before.begin(), before.begin() + places::WeaponTable + 100));
    const auto shortFile = readBytes(exe);
    EXPECT_THROW(saveWeapons(demo.workspace, data.table), FileError);
    EXPECT_EQ(readBytes(exe), shortFile);

    test::writeBytes(exe, Bytes(before.begin(), before.begin() + places::WeaponNames + 30));
    auto names = data.names;
    EXPECT_THROW(renameWeapon(demo.workspace, names, 0, "X"), FileError);
    EXPECT_EQ(readBytes(exe).size(), places::WeaponNames + 30u);

    fs::remove(exe);
    try {
        loadWeapons(demo.workspace);
        ADD_FAILURE() << "loaded without torlo.exe";
    } catch (const FileError& error) {
        EXPECT_EQ(error.what(), "torlo.exe was not found in " + demo.game().string()
                                    + " \u2014 set the game folder on the Options page");
    }
}
