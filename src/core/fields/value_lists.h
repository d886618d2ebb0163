#pragma once
// The drop-down lists whose row number is the stored byte. The weapon, object and
// special-object pages share them.
#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace quorvex {

enum class ValueList : std::uint8_t { None, Explosion, ObjectExplosion, MapChange, Object, Scatter, Trail, Sound, Shells, ShotType };

namespace lists {

// The explosion lists: row n is special object n - 1. The object page's list is longer, and
// both share their first eleven rows.
template <class... Tail>
constexpr std::array<std::string_view, 11 + sizeof...(Tail)> explosionRows(Tail... tail)
{
    return {"0 - Nothing, silent",
            "1 - Large explosion",
            "2 - Medium explosion",
            "3 - Small explosion",
            "4 - Hellraider smoke, silent, no dirt destruction",
            "5 - Zimm flash, silent, small dirt destruction",
            "6 - Nuke smoke, silent, no dirt destruction",
            "7 - Flashing pixel, silent, no dirt destruction",
            "8 - Teleport flash, silent, no dirt destruction",
            "9 - Small explosion, silent",
            "10 - Very small explosion, silent",
            tail...};
}

inline constexpr auto Explosion = explosionRows("11 - Medium explosion, less dirt desctruction", "12 - Unknown");
inline constexpr auto ObjectExplosion = explosionRows("11 - Medium explosion, less dirt destruction",
                                                      "12 - Large explosion, smaller", "13 - Large explosion, even smaller",
                                                      "14 - Undefined");

inline constexpr std::array<std::string_view, 8> MapChange = {
    "0 - Default",
    "1 - Large hole",
    "2 - Medium hole",
    "3 - Small hole",
    "4 - Small hole, more destruction",
    "5 - Dirtball",
    "6 - Small hole, even more destruction",
    "7 - Greenball",
};

// Row n is object n - 1 of the object table; row 0 is none.
inline constexpr std::array<std::string_view, 25> Object = {
    "0 - Nothing",
    "1 - Worm 1 parts",
    "2 - Worm 2 parts",
    "3 - Particle (disappearing)",
    "4 - Particle (small damage)",
    "5 - Particle (medium damage)",
    "6 - Particle (larger damage)",
    "7 - Blood",
    "8 - Shells",
    "9 - Clusterbomb bombs",
    "10 - Large nukes",
    "11 - Hellraider bullets",
    "12 - Small nukes",
    "13 - Napalm fireballs",
    "14 - Dirt",
    "15 - Chiquitabomb bombs",
    "16 - Grasshopper 1",
    "17 - Grasshopper 2",
    "18 - Grasshopper 3",
    "19 - Grasshopper 4",
    "20 - Grasshopper 5",
    "21 - Flag 1",
    "22 - Flag 2",
    "23 - Grasshopper 6",
    "24 - Grasshopper 7",
};

inline constexpr std::array<std::string_view, 2> Scatter = {
    "0 - All directions",
    "1 - The direction the weapon is moving",
};

inline constexpr std::array<std::string_view, 2> Trail = {
    "0 - Crackler type",
    "1 - Larpa type",
};

// Row 0 is none, row n is sound n - 1 of the sound bank.
inline constexpr std::array<std::string_view, 31> Sound = {
    "None",  "SHOTGUN", "SHOT",  "RIFLE", "BAZOOKA", "BLASTER",  "THROW",    "LARPA",
    "EXP3A", "EXP3B",   "EXP2",  "EXP3",  "EXP4",    "EXP5",     "DIRT",     "BUMP",
    "DEATH1", "DEATH2", "DEATH3", "HURT1", "HURT2",  "HURT3",    "ALIVE",    "BEGIN",
    "DROPSHEL", "RELOADED", "MOVEUP", "MOVEDOWN", "SELECT", "BOING", "BURNER",
};

inline constexpr std::array<std::string_view, 5> Shells = {
    "0 - Never",
    "1 - Always",
    "2 - Sometimes",
    "3 - Rarely",
    "4 - Very rarely",
};

inline constexpr std::array<std::string_view, 5> ShotType = {
    "0 - Normal",
    "1 - Direction type 1",
    "2 - Direction type steerable",
    "3 - Direction type 2",
    "4 - Laser type",
};

} // namespace lists

constexpr std::span<const std::string_view> valueListRows(ValueList list)
{
    switch (list) {
    case ValueList::Explosion: return lists::Explosion;
    case ValueList::ObjectExplosion: return lists::ObjectExplosion;
    case ValueList::MapChange: return lists::MapChange;
    case ValueList::Object: return lists::Object;
    case ValueList::Scatter: return lists::Scatter;
    case ValueList::Trail: return lists::Trail;
    case ValueList::Sound: return lists::Sound;
    case ValueList::Shells: return lists::Shells;
    case ValueList::ShotType: return lists::ShotType;
    case ValueList::None: break;
    }
    return {};
}

} // namespace quorvex
