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

namespace {

// Where the game keeps each field, written down from the game's layout rather than taken from the
// field table, so that two fields of the same width swapped in the table are caught.
struct GameLayout {
    std::string_view key;
    std::uint32_t position;
    int width;
};
constexpr GameLayout Layout[] = {
    {"WORMDETECTRANGE", 0, 1}, {"WORMAFFECT", 40, 1}, {"BLOW", 80, 1}, {"ORDER", 120, 1}, {"GRAVITY", 160, 2},
    {"SHADOW", 240, 1}, {"LASERSIGHT", 280, 1}, {"SOUNDLAUNCH", 320, 1}, {"SOUNDLOOP", 360, 1},
    {"SOUNDEXPLODE", 400, 1}, {"SPEED", 440, 2}, {"ACCADD", 520, 2}, {"DISTRIBUTION", 600, 2},
    {"NUMOBJECTS", 680, 1}, {"RECOIL", 720, 1}, {"ACCMULTIPLY", 760, 2}, {"SHOTDELAY", 840, 2},
    {"LOADINGTIME", 920, 2}, {"AMMO", 1000, 1}, {"CREATEONHIT", 1040, 1}, {"MAPCHANGE", 1080, 1},
    {"LEAVESHELLS", 1120, 1}, {"SHELLDELAY", 1160, 1}, {"RELOADSOUND", 1200, 1}, {"WORMEXPLODE", 1240, 1},
    {"GROUNDEXPLODE", 1280, 1}, {"WORMREMOVE", 1320, 1}, {"FIRECONE", 1360, 1}, {"OBJECTCOLLIDE", 1400, 1},
    {"EXPLODEAFFECT", 1440, 1}, {"BOUNCE", 1480, 1}, {"TIMETOEXPLODE", 1520, 2}, {"TIMETOEXPLODEV", 1600, 2},
    {"HITDAMAGE", 1680, 1}, {"BLOOD", 1720, 1}, {"ANIMSFRAME", 1760, 2}, {"ANIMFRAMES", 1840, 1},
    {"ANIMLOOP", 1880, 1}, {"SHOTTYPE", 1920, 1}, {"BULLETCOLOR", 1960, 1}, {"SPLINTERAMOUNT", 2000, 1},
    {"SPLINTERCOLOR", 2040, 1}, {"SPLINTERTYPE", 2080, 1}, {"SPLINTERSTYPE", 2120, 1}, {"OTRAILTYPE", 2160, 1},
    {"OTRAILDELAY", 2200, 1}, {"PTRAILTYPE", 2240, 1}, {"PTRAILPTYPE", 2280, 1}, {"PTRAILDELAY", 2320, 1},
};
static_assert(std::size(Layout) == WeaponFields.size());

// The entry at a place of a table image, as the game reads it.
int entryAt(const Bytes& table, const GameLayout& field, int weapon)
{
    const auto at = field.position + static_cast<std::uint32_t>(field.width * weapon);
    return field.width == 1 ? table[at] : static_cast<std::int16_t>(table[at] | table[at + 1] << 8);
}

} // namespace

TEST_F(WeaponTableTest, EveryFieldOfEveryWeaponIsShownFromAndSavedToItsPlace)
{
    // Every byte of the table differs from the bytes of every other field of the same weapon:
    // positions are multiples of 40 below 2360, so no two agree modulo the prime 251.
    auto table = Bytes(places::WeaponTableSize);
    for (std::size_t p = 0; p < table.size(); ++p)
        table[p] = static_cast<std::uint8_t>(p % 251);
    auto bytes = before;
    std::copy(table.begin(), table.end(), bytes.begin() + places::WeaponTable);
    test::writeBytes(exe, bytes);

    auto data = loadWeapons(demo.workspace);
    for (const auto& place : Layout)
        for (int w = 0; w < places::WeaponCount; ++w)
            ASSERT_EQ(data.table.entry(field(place.key), w), entryAt(table, place, w)) << place.key << " of weapon " << w;

    for (std::size_t p = 0; p < table.size(); ++p)
        table[p] = static_cast<std::uint8_t>(250 - p % 251);
    for (const auto& place : Layout)
        for (int w = 0; w < places::WeaponCount; ++w)
            data.table.setEntry(field(place.key), w, entryAt(table, place, w));
    EXPECT_TRUE(saveWeapons(demo.workspace, data.table).succeeded());
    std::copy(table.begin(), table.end(), bytes.begin() + places::WeaponTable);
    EXPECT_EQ(readBytes(exe), bytes);
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

    // Found by fuzzing (fuzz/regressions/plugin): a "~" was stored, and the list showed more
    // of the name than a read of torlo.exe gives back.
    renameWeapon(demo.workspace, data.names, 3, "bazook~plinter");
    EXPECT_EQ(data.names[3], "BAZOOK");
    EXPECT_EQ(loadWeapons(demo.workspace).names[3], "BAZOOK");
    EXPECT_EQ(readBytes(exe)[places::WeaponNames + 14 * 3], 6);
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
