// The weapon table on a demo game: where entries lie, the copy of a page into the table, and
// what rename and save write into torlo.exe.
#include "core/base/errors.h"
#include "core/weapons/object_fields.h"
#include "core/weapons/sobject_fields.h"
#include "core/weapons/weapon_table.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace quorvex;
using quorvex::test::DemoGame;
using quorvex::test::readBytes;

namespace {

const TableField& field(std::string_view key)
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
    for (int w : {0, 17, 39})
        EXPECT_EQ(data.table.entry(field("ORDER"), w), w);   // the demo's weapon index
    WeaponTable table;
    table.setEntry(field("ANIMSFRAME"), 39, -2);
    EXPECT_EQ(table.bytes[1760 + 78], 0xFE);
    EXPECT_EQ(table.bytes[1760 + 79], 0xFF);
    EXPECT_EQ(table.bytes[1840], 0);   // the next field is untouched
}

namespace {

// Where the game keeps each field: absolute offsets in torlo.exe, written down from the game's
// layout rather than taken from the field tables, so that two fields of the same width swapped
// in a table, or a table's start mistyped, are caught.
struct GameLayout {
    std::string_view key;
    std::uint32_t offset;   // of entry 0
    int width;
};
constexpr GameLayout WeaponLayout[] = {
    {"WORMDETECTRANGE", 112806, 1}, {"WORMAFFECT", 112846, 1}, {"BLOW", 112886, 1}, {"ORDER", 112926, 1},
    {"GRAVITY", 112966, 2}, {"SHADOW", 113046, 1}, {"LASERSIGHT", 113086, 1}, {"SOUNDLAUNCH", 113126, 1},
    {"SOUNDLOOP", 113166, 1}, {"SOUNDEXPLODE", 113206, 1}, {"SPEED", 113246, 2}, {"ACCADD", 113326, 2},
    {"DISTRIBUTION", 113406, 2}, {"NUMOBJECTS", 113486, 1}, {"RECOIL", 113526, 1}, {"ACCMULTIPLY", 113566, 2},
    {"SHOTDELAY", 113646, 2}, {"LOADINGTIME", 113726, 2}, {"AMMO", 113806, 1}, {"CREATEONHIT", 113846, 1},
    {"MAPCHANGE", 113886, 1}, {"LEAVESHELLS", 113926, 1}, {"SHELLDELAY", 113966, 1},
    {"RELOADSOUND", 114006, 1}, {"WORMEXPLODE", 114046, 1}, {"GROUNDEXPLODE", 114086, 1},
    {"WORMREMOVE", 114126, 1}, {"FIRECONE", 114166, 1}, {"OBJECTCOLLIDE", 114206, 1},
    {"EXPLODEAFFECT", 114246, 1}, {"BOUNCE", 114286, 1}, {"TIMETOEXPLODE", 114326, 2},
    {"TIMETOEXPLODEV", 114406, 2}, {"HITDAMAGE", 114486, 1}, {"BLOOD", 114526, 1}, {"ANIMSFRAME", 114566, 2},
    {"ANIMFRAMES", 114646, 1}, {"ANIMLOOP", 114686, 1}, {"SHOTTYPE", 114726, 1}, {"BULLETCOLOR", 114766, 1},
    {"SPLINTERAMOUNT", 114806, 1}, {"SPLINTERCOLOR", 114846, 1}, {"SPLINTERTYPE", 114886, 1},
    {"SPLINTERSTYPE", 114926, 1}, {"OTRAILTYPE", 114966, 1}, {"OTRAILDELAY", 115006, 1},
    {"PTRAILTYPE", 115046, 1}, {"PTRAILPTYPE", 115086, 1}, {"PTRAILDELAY", 115126, 1},
};
static_assert(std::size(WeaponLayout) == WeaponFields.size());

constexpr GameLayout ObjectLayout[] = {
    {"WORMDETECTRANGE", 111430, 1}, {"GRAVITY", 111454, 2}, {"SPEED", 111502, 2}, {"SPEEDV", 111550, 2},
    {"DISTRIBUTION", 111598, 2}, {"BLOW", 111646, 1}, {"BOUNCE", 111670, 1}, {"HITDAMAGE", 111694, 1},
    {"WORMEXPLODE", 111718, 1}, {"GROUNDREMOVE", 111742, 1}, {"WORMREMOVE", 111766, 1}, {"BLOOD", 111790, 1},
    {"ANIMSFRAME", 111814, 1}, {"ANIMFRAMES", 111838, 1}, {"DRAWOBJECT", 111862, 1}, {"BULLETCOLOR", 111886, 1},
    {"CREATEONHIT", 111910, 1}, {"EXPLODEAFFECT", 111934, 1}, {"MAPCHANGE", 111958, 1}, {"SPLINTERAMOUNT", 111982, 1},
    {"SPLINTERCOLOR", 112006, 1}, {"SPLINTERTYPE", 112030, 1}, {"BTRAIL", 112054, 1}, {"BTRAILDELAY", 112078, 1},
    {"OTRAILTYPE", 112102, 1}, {"OTRAILDELAY", 112126, 1}, {"TIMETOEXPLODE", 112150, 2}, {"TIMETOEXPLODEV", 112198, 2},
};
static_assert(std::size(ObjectLayout) == ObjectFields.size());

// "Blow away" of special object 13 lies on "Shadow" of special objects 0 to 3.
constexpr GameLayout SObjectLayout[] = {
    {"FIRSTSOUND", 115218, 1}, {"NUMOFSOUNDS", 115232, 1}, {"ANIMDELAY", 115246, 1}, {"ANIMSFRAME", 115260, 1},
    {"ANIMFRAMES", 115274, 1}, {"WORMDETECTRANGE", 115288, 1}, {"HITDAMAGE", 115302, 1}, {"BLOW", 115316, 4},
    {"SHADOW", 115368, 1}, {"EARTHQUAKE", 115382, 1}, {"FLASH", 115396, 1}, {"MAPCHANGE", 115410, 1},
};
static_assert(std::size(SObjectLayout) == SObjectFields.size());

std::uint32_t placeOf(const GameLayout& field, int entry)
{
    return field.offset + static_cast<std::uint32_t>(field.width * entry);
}

// The entry at a place of torlo.exe's bytes, as the game reads it: 16-bit signed, the rest unsigned.
std::int64_t entryAt(const Bytes& exe, const GameLayout& field, int entry)
{
    const auto at = placeOf(field, entry);
    std::uint32_t value = 0;
    for (int b = field.width - 1; b >= 0; --b)
        value = value << 8 | exe[at + static_cast<std::uint32_t>(b)];
    return field.width == 2 ? static_cast<std::int16_t>(value) : std::int64_t{value};
}

} // namespace

TEST_F(WeaponTableTest, EveryFieldOfEveryWeaponIsShownFromAndSavedToItsPlace)
{
    // Every byte of the table differs from the bytes of every other field of the same weapon:
    // positions are multiples of 40 below 2360, so no two agree modulo the prime 251.
    auto bytes = before;
    for (std::uint32_t p = 0; p < 2360; ++p)
        bytes[112806 + p] = static_cast<std::uint8_t>(p % 251);
    test::writeBytes(exe, bytes);

    auto data = loadWeapons(demo.workspace);
    for (const auto& place : WeaponLayout)
        for (int w = 0; w < places::WeaponCount; ++w)
            ASSERT_EQ(data.table.entry(field(place.key), w), entryAt(bytes, place, w)) << place.key << " of weapon " << w;

    for (std::uint32_t p = 0; p < 2360; ++p)
        bytes[112806 + p] = static_cast<std::uint8_t>(250 - p % 251);
    for (const auto& place : WeaponLayout)
        for (int w = 0; w < places::WeaponCount; ++w)
            data.table.setEntry(field(place.key), w, static_cast<int>(entryAt(bytes, place, w)));
    EXPECT_TRUE(saveWeapons(demo.workspace, data.table).succeeded());
    EXPECT_EQ(readBytes(exe), bytes);
}

namespace {

// A value for every entry of every field, laid at the game's places: number boxes get bytes that
// differ from field to field, tick boxes a pattern of ones and zeros of their own, lists rows of
// their own; seed gives another set. The later field wins where two share bytes.
Bytes layEntries(Bytes exe, std::span<const GameLayout> layout, const FieldArrays& table, int seed)
{
    int ticks = 0, lists = 0;
    for (std::size_t k = 0; k < layout.size(); ++k) {
        const auto& field = table.fields[*fieldByKey(table.fields, layout[k].key)];
        const int tick = field.kind == FieldKind::Tick ? ticks++ : 0;
        const int list = field.kind == FieldKind::List ? lists++ : 0;
        for (int e = 0; e < table.entries; ++e) {
            const auto at = placeOf(layout[k], e);
            if (field.kind == FieldKind::Tick)
                exe[at] = static_cast<std::uint8_t>(((e >> (tick % 5)) & 1) ^ (tick >= 5) ^ seed);
            else if (field.kind == FieldKind::List)
                exe[at] = static_cast<std::uint8_t>((e + 3 * list + seed) % static_cast<int>(valueListRows(field.list).size()));
            else
                for (int b = 0; b < layout[k].width; ++b)
                    exe[at + static_cast<std::uint32_t>(b)] = static_cast<std::uint8_t>(
                        b == 0 ? 2 + (29 * static_cast<int>(k) + 3 * e + 101 * seed) % 250 : 13 * static_cast<int>(k) + 7 * e + 71 * b + seed);
        }
    }
    return exe;
}

} // namespace

TEST_F(WeaponTableTest, EveryFieldOfEveryObjectAndSpecialObjectIsShownFromAndSavedToItsPlace)
{
    const struct {
        const FieldArrays& table;
        std::span<const GameLayout> layout;
    } tables[] = {{ObjectArrays, ObjectLayout}, {SObjectArrays, SObjectLayout}};
    for (const auto& [table, layout] : tables) {
        // What each field's control shows for each entry of a file.
        auto shown = [&](const Bytes& bytes) {
            std::vector<std::vector<FieldValue>> values(layout.size());
            for (std::size_t k = 0; k < layout.size(); ++k) {
                const auto& field = table.fields[*fieldByKey(table.fields, layout[k].key)];
                for (int e = 0; e < table.entries; ++e)
                    values[k].push_back(shownValue(field.kind, field.list, entryAt(bytes, layout[k], e)));
            }
            return values;
        };
        const auto laid = layEntries(before, layout, table, 0);
        const auto expected = shown(laid);
        for (std::size_t k = 0; k < layout.size(); ++k)
            for (std::size_t j = k + 1; j < layout.size(); ++j)
                if (layout[k].width == layout[j].width) {
                    ASSERT_NE(expected[k], expected[j]) << layout[k].key << " and " << layout[j].key << " look alike";
                }
        test::writeBytes(exe, laid);
        for (int e = 0; e < table.entries; ++e) {
            const auto values = showEntry(demo.workspace, table, e);
            for (std::size_t k = 0; k < layout.size(); ++k)
                ASSERT_EQ(values[*fieldByKey(table.fields, layout[k].key)], expected[k][static_cast<std::size_t>(e)])
                    << table.logKind << layout[k].key << " of entry " << e;
        }

        // Saved entry by entry, in order, the other set of values lands at the same places.
        const auto relaid = layEntries(laid, layout, table, 1);
        const auto typed = shown(relaid);
        for (int e = 0; e < table.entries; ++e) {
            EntryValues values(table.fields.size());
            for (std::size_t k = 0; k < layout.size(); ++k)
                values[*fieldByKey(table.fields, layout[k].key)] = typed[k][static_cast<std::size_t>(e)];
            ASSERT_TRUE(saveEntry(demo.workspace, table, e, values).succeeded()) << e;
        }
        EXPECT_EQ(readBytes(exe), relaid) << table.logKind;
        test::writeBytes(exe, before);
    }
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
