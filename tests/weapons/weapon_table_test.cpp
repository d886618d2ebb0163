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

TEST_F(WeaponTableTest, SaveWritesTheWholeTableAndNothingElse)
{
    auto data = loadWeapons(demo.workspace);
    data.table.setEntry(field("BLOW"), 39, 300);          // a weapon never shown
    data.table.setEntry(field("SPEED"), 0, 32768);
    const auto outcome = saveWeapons(demo.workspace, data.table);
    EXPECT_EQ(outcome.status, "Weapons saved");
    EXPECT_EQ(outcome.logMessage, "Weapons saved to Torlo.exe");

    auto expected = before;
    std::copy(data.table.bytes.begin(), data.table.bytes.end(), expected.begin() + places::WeaponTable);
    const auto after = readBytes(exe);
    EXPECT_EQ(after, expected);
    EXPECT_EQ(after[places::WeaponTable + 80 + 39], 44);
    EXPECT_EQ(after[places::WeaponTable + 440], 0x00);
    EXPECT_EQ(after[places::WeaponTable + 441], 0x80);
}

TEST_F(WeaponTableTest, RenameWritesTheSlotAtOnceInUpperCase)
{
    auto data = loadWeapons(demo.workspace);
    const auto slot = [&](int w) {
        const auto bytes = readBytes(exe);
        return Bytes(bytes.begin() + places::WeaponNames + 14 * w, bytes.begin() + places::WeaponNames + 14 * (w + 1));
    };

    auto outcome = renameWeapon(demo.workspace, data.names, 2, "laser");
    EXPECT_EQ(outcome.status, "Weaponname changed");
    EXPECT_EQ(outcome.logMessage, "Weaponname changed to LASER");
    EXPECT_EQ(data.names[2], "LASER");
    EXPECT_EQ(slot(2), (Bytes{5, 'L', 'A', 'S', 'E', 'R', 0, 0, 0, 0, 0, 0, 0, 0}));

    renameWeapon(demo.workspace, data.names, 3, "abcdefghijklmnop");
    EXPECT_EQ(slot(3), (Bytes{13, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J', 'K', 'L', 'M'}));
    EXPECT_EQ(slot(4), Bytes(before.begin() + places::WeaponNames + 56, before.begin() + places::WeaponNames + 70));

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
        EXPECT_STREQ(error.what(), "File not found");
    }
}
