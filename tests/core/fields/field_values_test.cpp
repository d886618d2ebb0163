// How table entries show in the controls, how the controls store back, and how plugin values
// set them: the edge cases of bytes, 16-bit entries, ticks and lists.
#include "core/base/errors.h"
#include "core/weapons/weapon_fields.h"
#include "core/weapons/weapon_table.h"

#include <gtest/gtest.h>

using namespace quorvex;

namespace {

const TableField& field(std::string_view key)
{
    return WeaponFields[*weaponFieldByKey(key)];
}

// The entry a control holding value stores, after the table cuts it to the field's width.
int roundTrip(const TableField& f, const FieldValue& value)
{
    WeaponTable table;
    table.setEntry(f, 7, storedValue(f.kind, value));
    return table.entry(f, 7);
}

FieldValue typed(std::string text)
{
    return {std::move(text)};
}

} // namespace

TEST(FieldValues, SixteenBitBoxesWrapAndTakeHexadecimal)
{
    const auto& word = field("GRAVITY");
    EXPECT_EQ(roundTrip(word, typed("65535")), -1);
    EXPECT_EQ(roundTrip(word, typed("-32769")), 32767);
    EXPECT_EQ(roundTrip(word, typed("$7FFF")), 32767);
}

TEST(FieldValues, NumberBoxesRefuseTextThatIsNoWholeNumber)
{
    for (const char* text : {"abc", "", "12a", "1.5", "99999999999"}) {
        try {
            storedValue(FieldKind::Number, typed(text));
            ADD_FAILURE() << "accepted " << text;
        } catch (const ConvertError& error) {
            EXPECT_EQ(error.what(), "'" + std::string(text) + "' is not a valid integer value");
        }
    }
}

TEST(FieldValues, ListsShowNothingBeyondTheirLastRow)
{
    const auto& sound = field("SOUNDLAUNCH");   // 31 rows
    EXPECT_EQ(shownValue(sound.kind, sound.list, 30).row, 30);
    EXPECT_EQ(shownValue(sound.kind, sound.list, 31).row, -1);
    EXPECT_EQ(roundTrip(sound, shownValue(sound.kind, sound.list, 31)), 255);
}

TEST(FieldValues, PluginValuesSetControlsAsTheReaderDoes)
{
    const auto& tick = field("SHADOW");
    EXPECT_TRUE(valueFromRecord(tick.kind, tick.list, "1").ticked);
    for (const char* text : {"0", "01", "yes", "", " 1", "2"})
        EXPECT_FALSE(valueFromRecord(tick.kind, tick.list, text).ticked) << text;

    const auto& list = field("MAPCHANGE");   // 8 rows
    EXPECT_EQ(valueFromRecord(list.kind, list.list, "5").row, 5);
    EXPECT_EQ(valueFromRecord(list.kind, list.list, "258").row, 2);   // low 8 bits
    EXPECT_EQ(valueFromRecord(list.kind, list.list, "8").row, -1);
    EXPECT_EQ(valueFromRecord(list.kind, list.list, "130").row, -1);   // all eight bits count
    EXPECT_EQ(valueFromRecord(list.kind, list.list, "-1").row, -1);   // what an empty box writes
    EXPECT_THROW(valueFromRecord(list.kind, list.list, "x"), ConvertError);

    const auto& number = field("SPEED");
    EXPECT_EQ(valueFromRecord(number.kind, number.list, " 70000").text, " 70000");   // converted on save
    EXPECT_EQ(valueFromRecord(number.kind, number.list, "junk").text, "junk");

    const auto& colour = field("SPLINTERCOLOR");
    EXPECT_EQ(valueFromRecord(colour.kind, colour.list, "300").text, "255");
    EXPECT_EQ(valueFromRecord(colour.kind, colour.list, "-4").text, "0");
    // The limits at their edges: 255 and 0 stay, one beyond becomes the limit.
    EXPECT_EQ(valueFromRecord(colour.kind, colour.list, "255").text, "255");
    EXPECT_EQ(valueFromRecord(colour.kind, colour.list, "256").text, "255");
    EXPECT_EQ(valueFromRecord(colour.kind, colour.list, "0").text, "0");
    EXPECT_EQ(valueFromRecord(colour.kind, colour.list, "-1").text, "0");
    EXPECT_EQ(valueFromRecord(colour.kind, colour.list, "$10").text, "$10");
    EXPECT_THROW(valueFromRecord(colour.kind, colour.list, ""), ConvertError);

    EXPECT_EQ(recordText(list.kind, FieldValue{{}, false, -1}), "-1");
    EXPECT_EQ(recordText(tick.kind, FieldValue{{}, true, -1}), "1");
    EXPECT_EQ(recordText(number.kind, FieldValue{"0012"}), "0012");
}

TEST(FieldValues, StartFrameNamesTheLowByteOfItsNumber)
{
    EXPECT_EQ(spriteFrameOf(""), std::nullopt);
    EXPECT_EQ(spriteFrameOf("-1"), 255);
    EXPECT_EQ(spriteFrameOf("256"), 0);
    EXPECT_EQ(spriteFrameOf("146"), 146);
    EXPECT_THROW(spriteFrameOf(" "), ConvertError);
}

TEST(WeaponFieldTable, PagesHoldTheirRowsAndRecordsRunInPluginOrder)
{
    int perPage[5] = {};
    for (const auto& f : WeaponFields)
        ++perPage[f.page];
    EXPECT_EQ(perPage[1], 12);   // and the name box
    EXPECT_EQ(perPage[2], 13);
    EXPECT_EQ(perPage[3], 13);
    EXPECT_EQ(perPage[4], 11);   // and the animation preview

    const auto order = fieldsInRecordOrder(WeaponFields);
    const std::string_view expected[] = {"ORDER:", "ACCADD:", "WORMAFFECT:", "AMMO:", "BLOOD:", "BLOW:"};
    for (std::size_t i = 0; i < std::size(expected); ++i)
        EXPECT_EQ(WeaponFields[order[i]].pluginKey, expected[i]);
    EXPECT_EQ(WeaponFields[order.back()].pluginKey, "RELOADSOUND:");

    EXPECT_EQ(weaponFieldByKey("SPEED"), weaponFieldByKey("SPEED:"));
    EXPECT_FALSE(weaponFieldByKey("speed"));
    EXPECT_FALSE(weaponFieldByKey("NAME"));
    EXPECT_FALSE(weaponFieldByKey(""));
    EXPECT_EQ(WeaponFields[*weaponFieldByControl("Edit65")].caption, "Weapon index");
}
