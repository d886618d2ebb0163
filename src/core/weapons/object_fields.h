#pragma once
// The object fields: the one table from which the object page's controls, Show and Save, the
// CLI and the plugin records are derived. Rows run in the page's order, top to bottom and page
// by page; positions are inside the object table (places::ObjectTable).
#include "core/base/places.h"
#include "core/fields/field_arrays.h"

#include <array>
#include <string_view>

namespace quorvex {

// The object list: row i is object i. The names are not read from the game.
inline constexpr std::array<std::string_view, places::ObjectCount> ObjectNames = {
    "Worm 1 parts", "Worm 2 parts", "Particle (disappearing)", "Particle (small damage)",
    "Particle (medium damage)", "Particle (large damage)", "Blood", "Shells",
    "Clusterbomb bombs", "Large nukes", "Hellraider bullets", "Small nukes",
    "Napalm fireballs", "Dirt", "Chiquita bomb bombs", "Grasshopper 1",
    "Grasshopper 2", "Grasshopper 3", "Grasshopper 4", "Grasshopper 5",
    "Flag 1", "Flag 2", "Grasshopper 6", "Grasshopper 7",
};

inline constexpr std::string_view ObjectSectionKey = "OBJECT:";

namespace object_field_rows {
using enum FieldWidth;
using enum FieldKind;
constexpr auto U = Signedness::Unsigned;
constexpr auto S = Signedness::Signed;
constexpr auto No = ValueList::None;
constexpr auto Boom = ValueList::ObjectExplosion;

inline constexpr std::array<TableField, 28> Rows = {{
    // Page 1
    {168, Word, S, "Distribution", "", 1, "Edit35", Number, No, "DISTRIBUTION:", 8},
    {216, Byte, U, "Blow away on hit", "", 1, "Edit36", Number, No, "BLOW:", 3},
    {72, Word, S, "Speed", "", 1, "Edit37", Number, No, "SPEED:", 20},
    {120, Word, S, "Speed variation", "", 1, "Edit38", Number, No, "SPEEDV:", 22},
    {240, Byte, U, "Speed multiply on bounce", "%", 1, "Edit39", Number, No, "BOUNCE:", 21},
    {264, Byte, U, "Hit damage", "", 1, "Edit40", Number, No, "HITDAMAGE:", 13},
    {480, Byte, U, "Create on explosion", "", 1, "ComboBox12", List, Boom, "CREATEONHIT:", 5},
    {720, Word, S, "Time to explode", "frames", 1, "Edit41", Number, No, "TIMETOEXPLODE:", 27},
    {768, Word, S, "Explode time variation", "frames", 1, "Edit42", Number, No, "TIMETOEXPLODEV:", 28},
    {0, Byte, U, "Worm detect range", "", 1, "Edit43", Number, No, "WORMDETECTRANGE:", 10},
    {336, Byte, U, "Remove on worm hit", "", 1, "CheckBox18", Tick, No, "WORMREMOVE:", 6},
    {312, Byte, U, "Explode when stopped", "", 1, "CheckBox19", Tick, No, "GROUNDREMOVE:", 7},
    {288, Byte, U, "Explode when hitting worm", "", 1, "CheckBox20", Tick, No, "WORMEXPLODE:", 11},
    // Page 2
    {360, Byte, U, "Blood when hitting worm", "", 2, "Edit44", Number, No, "BLOOD:", 2},
    {24, Word, S, "Gravity", "", 2, "Edit45", Number, No, "GRAVITY:", 12},
    {528, Byte, U, "Map change on hit", "", 2, "ComboBox13", List, ValueList::MapChange, "MAPCHANGE:", 18},
    {552, Byte, U, "Splinter ammount", "", 2, "Edit46", Number, No, "SPLINTERAMOUNT:", 23},
    {576, Byte, U, "Splinter color", "", 2, "Edit47", Colour, No, "SPLINTERCOLOR:", 24},
    {600, Byte, U, "Splinter type", "", 2, "ComboBox14", List, ValueList::Object, "SPLINTERTYPE:", 25},
    {672, Byte, U, "Leave object trail", "", 2, "ComboBox15", List, Boom, "OTRAILTYPE:", 16},
    {696, Byte, U, "Delay between objects", "frames", 2, "Edit48", Number, No, "OTRAILDELAY:", 17},
    {624, Byte, U, "Leave blood trail", "", 2, "CheckBox21", Tick, No, "BTRAIL:", 15},
    {648, Byte, U, "Delay between blood particles", "frames", 2, "Edit49", Number, No, "BTRAILDELAY:", 14},
    {456, Byte, U, "Color of bullets", "", 2, "Edit50", Colour, No, "BULLETCOLOR:", 4},
    // Page 3 (the greyed caption "Animation preview" stands after "Draw on map")
    {384, Byte, U, "Start frame", "", 3, "Edit51", Frame, No, "ANIMSFRAME:", 26},
    {408, Byte, U, "Additional frames", "", 3, "Edit52", Number, No, "ANIMFRAMES:", 19},
    {432, Byte, U, "Draw on map", "", 3, "CheckBox22", Tick, No, "DRAWOBJECT:", 9},
    {504, Byte, U, "Blown away by explosives", "", 3, "CheckBox24", Tick, No, "EXPLODEAFFECT:", 29},
}};
} // namespace object_field_rows

inline constexpr const auto& ObjectFields = object_field_rows::Rows;

inline constexpr FieldArrays ObjectArrays{places::ObjectTable, places::ObjectTableSize, places::ObjectCount,
                                         ObjectFields, ObjectNames, "Object saved", "Object ", GamePart::Objects};

static_assert(places::ObjectTable + places::ObjectTableSize == places::WeaponNames,
              "the object table runs up to the weapon names");
static_assert(field_checks::tileTable(ObjectFields, places::ObjectCount, places::ObjectTableSize),
              "object fields must fill the object table exactly");
static_assert(field_checks::namesAreUnique(ObjectFields), "object controls, keys and record lines must be unique");

} // namespace quorvex
