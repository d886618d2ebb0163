#pragma once
// The special-object fields: the one table from which the "Special objects" page, Show and
// Save, the CLI and the plugin records are derived. Rows run in the page's order, which is
// also the order of Save; positions are inside the table (places::SpecialObjectTable).
#include "core/base/places.h"
#include "core/fields/field_arrays.h"

#include <array>
#include <string_view>

namespace quorvex {

// The special-object list: row i is special object i. The names are not read from the game.
inline constexpr std::array<std::string_view, places::SpecialObjectCount> SObjectNames = {
    "Large explosion", "Medium explosion", "Small explosion", "Hellraider smoke",
    "Zimm flash", "Nuke smoke", "Flashing pixel", "Teleport flash",
    "Small explosion, silent", "Very small explosion, silent", "Medium explosion, smaller",
    "Large explosion, smaller", "Large explosion, even smaller", "Undefined, but changeable",
};

inline constexpr std::string_view SObjectSectionKey = "SOBJECT:";

namespace sobject_field_rows {
using enum FieldWidth;
using enum FieldKind;
constexpr auto U = Signedness::Unsigned;
constexpr auto No = ValueList::None;

// "Blow away" has room for 13 entries before "Shadow": entry 13 is read and written on the
// "Shadow" bytes of special objects 0 to 3, as the game's tools did.
inline constexpr std::array<TableField, 12> Rows = {{
    {70, Byte, U, "Detect distance", "", 1, "Edit54", Number, No, "WORMDETECTRANGE:", 7},
    {84, Byte, U, "Damage", "", 1, "Edit55", Number, No, "HITDAMAGE:", 8},
    {98, Quad, U, "Blow away", "", 1, "Edit56", Number, No, "BLOW:", 9},
    {164, Byte, U, "Earthquake effect", "", 1, "Edit57", Number, No, "EARTHQUAKE:", 11},
    {0, Byte, U, "First sound", "", 1, "ComboBox16", List, ValueList::Sound, "FIRSTSOUND:", 2},
    {14, Byte, U, "Choose from", "sounds", 1, "Edit58", Number, No, "NUMOFSOUNDS:", 3},
    {42, Byte, U, "Start frame", "", 1, "Edit59", Number, No, "ANIMSFRAME:", 5},
    {56, Byte, U, "Number of frames", "", 1, "Edit60", Number, No, "ANIMFRAMES:", 6},
    {28, Byte, U, "Delay between frames", "", 1, "Edit61", Number, No, "ANIMDELAY:", 4},
    {150, Byte, U, "Shadow", "", 1, "CheckBox26", Tick, No, "SHADOW:", 10},
    {178, Byte, U, "Flash duration", "", 1, "Edit62", Number, No, "FLASH:", 12},
    {192, Byte, U, "Map change on hit", "", 1, "ComboBox17", List, ValueList::MapChange, "MAPCHANGE:", 13},
}};
} // namespace sobject_field_rows

inline constexpr const auto& SObjectFields = sobject_field_rows::Rows;

// Save shows no status text; only the log records it.
inline constexpr FieldArrays SObjectArrays{places::SpecialObjectTable, places::SpecialObjectTableSize,
                                          places::SpecialObjectCount, SObjectFields, SObjectNames, "Special object saved",
                                          "Special Object ", GamePart::SpecialObjects};

static_assert(places::SpecialObjectTable + places::SpecialObjectTableSize == places::Materials,
              "the special-object table runs up to the materials");
static_assert(field_checks::tileTable(SObjectFields, places::SpecialObjectCount, places::SpecialObjectTableSize,
                                      "BLOW:", "SHADOW:", 4),
              "special-object fields must fill their table, sharing only Blow away 13 with Shadow 0 to 3");
static_assert(field_checks::namesAreUnique(SObjectFields),
              "special-object controls, keys and record lines must be unique");

} // namespace quorvex
