#pragma once
// The weapon fields: the one table from which the table access, the page's controls, the CLI
// and the plugin records are all derived. Rows run in the page's order, top to bottom and
// page by page, which is the order in which the page is copied into the table.
#include "core/base/places.h"
#include "core/fields/table_field.h"

#include <array>
#include <optional>
#include <string_view>

namespace quorvex {

inline constexpr std::string_view WeaponSectionKey = "WEAPON:";
inline constexpr std::string_view WeaponNameKey = "NAME:";
inline constexpr std::uint8_t WeaponNameLine = 3;

namespace weapon_field_rows {
using enum FieldWidth;
using enum FieldKind;
constexpr auto U = Signedness::Unsigned;
constexpr auto S = Signedness::Signed;
constexpr auto No = ValueList::None;

inline constexpr std::array<TableField, 49> Rows = {{
    // Page 1 (after "Name")
    {600, Word, S, "Distribution", "", 1, "Edit9", Number, No, "DISTRIBUTION:", 14},
    {680, Byte, U, "Number of objects to fire", "", 1, "Edit10", Number, No, "NUMOBJECTS:", 34},
    {440, Word, S, "Initial speed", "", 1, "Edit11", Number, No, "SPEED:", 39},
    {520, Word, S, "Acceleration add", "", 1, "Edit12", Number, No, "ACCADD:", 4},
    {760, Word, S, "Acceleration multiply", "%", 1, "Edit13", Number, No, "ACCMULTIPLY:", 40},
    {720, Byte, U, "Recoil", "", 1, "Edit14", Number, No, "RECOIL:", 35},
    {80, Byte, U, "Blow away on hit", "", 1, "Edit15", Number, No, "BLOW:", 8},
    {1480, Byte, U, "Speed multiply on bounce", "%", 1, "Edit16", Number, No, "BOUNCE:", 41},
    {1680, Byte, U, "Hit damage", "", 1, "Edit17", Number, No, "HITDAMAGE:", 21},
    {1040, Byte, U, "Create on explosion", "", 1, "ComboBox1", List, ValueList::Explosion, "CREATEONHIT:", 22},
    {1520, Word, S, "Time to explode", "frames", 1, "Edit18", Number, No, "TIMETOEXPLODE:", 47},
    {1600, Word, S, "Explode time variation", "frames", 1, "Edit19", Number, No, "TIMETOEXPLODEV:", 48},
    // Page 2
    {0, Byte, U, "Worm detect range", "pixels", 2, "Edit20", Number, No, "WORMDETECTRANGE:", 16},
    {1320, Byte, U, "Remove on worm hit", "", 2, "CheckBox8", Tick, No, "WORMREMOVE:", 11},
    {1280, Byte, U, "Explode when hitting ground", "", 2, "CheckBox9", Tick, No, "GROUNDEXPLODE:", 12},
    {1240, Byte, U, "Explode when hitting worm", "", 2, "CheckBox10", Tick, No, "WORMEXPLODE:", 17},
    {1720, Byte, U, "Blood when hitting worm", "", 2, "Edit21", Number, No, "BLOOD:", 7},
    {1400, Byte, U, "Collide with other objects", "", 2, "CheckBox11", Tick, No, "OBJECTCOLLIDE:", 13},
    {1440, Byte, U, "Blown away by explosives", "", 2, "CheckBox12", Tick, No, "EXPLODEAFFECT:", 15},
    {40, Byte, U, "Affected by worm motion", "", 2, "CheckBox13", Tick, No, "WORMAFFECT:", 5},
    {160, Word, S, "Gravity", "", 2, "Edit22", Number, No, "GRAVITY:", 20},
    {920, Word, S, "Loading time", "frames", 2, "Edit23", Number, No, "LOADINGTIME:", 30},
    {1000, Byte, U, "Shots per charge", "", 2, "Edit24", Number, No, "AMMO:", 6},
    {840, Word, S, "Delay between shots", "frames", 2, "Edit25", Number, No, "SHOTDELAY:", 10},
    {280, Byte, U, "Laser sight", "", 2, "CheckBox14", Tick, No, "LASERSIGHT:", 27},
    // Page 3
    {1120, Byte, U, "Leave shells", "", 3, "ComboBox2", List, ValueList::Shells, "LEAVESHELLS:", 29},
    {1360, Byte, U, "Time to show firecone", "", 3, "Edit26", Number, No, "FIRECONE:", 19},
    {1080, Byte, U, "Map change on hit", "", 3, "ComboBox3", List, ValueList::MapChange, "MAPCHANGE:", 23},
    {2000, Byte, U, "Splinter amount", "", 3, "Edit27", Number, No, "SPLINTERAMOUNT:", 42},
    {2040, Byte, U, "Splinter color", "", 3, "Edit28", Colour, No, "SPLINTERCOLOR:", 43},
    {2080, Byte, U, "Splinter type", "", 3, "ComboBox4", List, ValueList::Object, "SPLINTERTYPE:", 45},
    {2120, Byte, U, "Splinter scatter type", "", 3, "ComboBox5", List, ValueList::Scatter, "SPLINTERSTYPE:", 44},
    {2160, Byte, U, "Leave object trail", "", 3, "ComboBox6", List, ValueList::Explosion, "OTRAILTYPE:", 38},
    {2200, Byte, U, "Delay between objects", "", 3, "Edit29", Number, No, "OTRAILDELAY:", 37},
    {2280, Byte, U, "Type of particles to leave", "", 3, "ComboBox7", List, ValueList::Object, "PTRAILPTYPE:", 25},
    {2320, Byte, U, "Delay between particles", "", 3, "Edit30", Number, No, "PTRAILDELAY:", 24},
    {2240, Byte, U, "Type of particle trail", "", 3, "ComboBox8", List, ValueList::Trail, "PTRAILTYPE:", 26},
    {320, Byte, U, "Sound on launch", "", 3, "ComboBox9", List, ValueList::Sound, "SOUNDLAUNCH:", 28},
    // Page 4 ("Animation preview" stands after "Loop animation")
    {360, Byte, U, "Loop sound while shooting", "", 4, "CheckBox15", Tick, No, "SOUNDLOOP:", 32},
    {400, Byte, U, "Sound on explosion", "", 4, "ComboBox10", List, ValueList::Sound, "SOUNDEXPLODE:", 18},
    {1920, Byte, U, "Type of shot", "", 4, "ComboBox11", List, ValueList::ShotType, "SHOTTYPE:", 36},
    {1960, Byte, U, "Color of bullets", "", 4, "Edit31", Colour, No, "BULLETCOLOR:", 9},
    {1760, Word, S, "Start frame", "", 4, "Edit32", Frame, No, "ANIMSFRAME:", 46},
    {1840, Byte, U, "Additional frames", "", 4, "Edit33", Number, No, "ANIMFRAMES:", 33},
    {1880, Byte, U, "Loop animation", "", 4, "CheckBox16", Tick, No, "ANIMLOOP:", 31},
    {240, Byte, U, "Shadow", "", 4, "CheckBox17", Tick, No, "SHADOW:", 49},
    {1160, Byte, U, "Shell delay", "", 4, "Edit53", Number, No, "SHELLDELAY:", 50},
    {1200, Byte, U, "Reload sound", "", 4, "CheckBox25", Tick, No, "RELOADSOUND:", 51},
    {120, Byte, U, "Weapon index", "", 4, "Edit65", Index, No, "ORDER:", 2},
}};
} // namespace weapon_field_rows

inline constexpr const auto& WeaponFields = weapon_field_rows::Rows;

// The field whose control, or whose plugin key (with or without its colon), is the name given.
std::optional<std::size_t> weaponFieldByControl(std::string_view control);
std::optional<std::size_t> weaponFieldByKey(std::string_view key);

static_assert(field_checks::tileTable(WeaponFields, places::WeaponCount, places::WeaponTableSize),
              "weapon fields must fill the 2360-byte table exactly");
// Line 3 of a record is the name.
static_assert(field_checks::namesAreUnique(WeaponFields, WeaponNameLine),
              "weapon controls, keys and record lines must be unique");

} // namespace quorvex
