#pragma once
// One table of the game's areas, one row per area: the part of the game it is (what an
// operation says it changed), its name in the changes (the CLI's AREA, the "Changes" page's
// group), the game file that holds it, the window's page that shows it and the page the
// browser brings to the front for a file that changes it. The parts' sets, the game files'
// parts, the changes' words and the window's pages are read from it; a new area is one row
// (and a value of each enum) and its page's folder. The checks below keep every row whole.
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace quorvex {

// A part of the game that an operation changes, as a bit of GameParts (game_parts.h).
enum class GamePart : std::uint16_t {
    Weapons = 1u << 0,          // the weapon names and the weapon table
    Objects = 1u << 1,
    SpecialObjects = 1u << 2,
    Palette = 1u << 3,          // the palette in torlo.exe and the working palette
    Materials = 1u << 4,
    Texts = 1u << 5,
    Hacks = 1u << 6,
    Ai = 1u << 7,
    Blood = 1u << 8,
    Sounds = 1u << 9,
    Graphics = 1u << 10,
    Level = 1u << 11,           // the level named in torlo.dat
};

// An area as the changes name it, in the order they list and revert the areas: the table's order.
enum class ChangeArea { Weapon, Object, SObject, Ai, Hack, Text, Palette, Material, Blood, Level, Graphics, Sound, Unknown };

// The window's pages that show the game (its Mods page shows the mod list).
enum class GamePage { Graphics, About, Options, CpuAi, MaterialPalette, Weapons, Objects, SpecialObjects, Sounds };

struct GameArea {
    ChangeArea area;
    std::optional<GamePart> part;         // none: the bytes outside every field
    std::string_view word;                // the changes' AREA
    std::string_view caption;             // the group of the "Changes" page
    std::string_view file;                // the game file that holds it (found without regard to case); empty: any
    std::optional<GamePage> page;         // the page that shows it; none: an editor window of its own
    std::optional<GamePage> filesPage;    // the page the browser shows a file that changes it on; none: no such file
};

// The whole files of the game folder that hold its areas.
inline constexpr const char *TorloExe = "torlo.exe", *TorloDat = "torlo.dat", *TorloChr = "TORLO.CHR", *TorloSnd = "TORLO.SND";

inline constexpr std::array<GameArea, 13> GameAreas = {{
    {ChangeArea::Weapon, GamePart::Weapons, "weapon", "Weapons", TorloExe, GamePage::Weapons, GamePage::Weapons},
    {ChangeArea::Object, GamePart::Objects, "object", "Objects", TorloExe, GamePage::Objects, GamePage::Objects},
    {ChangeArea::SObject, GamePart::SpecialObjects, "sobject", "Special objects", TorloExe, GamePage::SpecialObjects,
     GamePage::SpecialObjects},
    {ChangeArea::Ai, GamePart::Ai, "ai", "CPU AI", TorloExe, GamePage::CpuAi, std::nullopt},
    {ChangeArea::Hack, GamePart::Hacks, "hack", "Special hacks", TorloExe, std::nullopt, std::nullopt},
    // Translations are previewed beside the About page's help.
    {ChangeArea::Text, GamePart::Texts, "text", "Texts", TorloExe, std::nullopt, GamePage::About},
    // Palettes and levels are previewed on the Graphics page, and edited on the Material/Palette page.
    {ChangeArea::Palette, GamePart::Palette, "palette", "Palette", TorloExe, GamePage::MaterialPalette, GamePage::Graphics},
    {ChangeArea::Material, GamePart::Materials, "material", "Materials", TorloExe, GamePage::MaterialPalette,
     GamePage::Graphics},
    {ChangeArea::Blood, GamePart::Blood, "blood", "Blood", TorloDat, GamePage::Options, std::nullopt},
    {ChangeArea::Level, GamePart::Level, "level", "Level", TorloDat, GamePage::Graphics, GamePage::Graphics},
    {ChangeArea::Graphics, GamePart::Graphics, "graphics", "Graphics", TorloChr, GamePage::Graphics, GamePage::Graphics},
    {ChangeArea::Sound, GamePart::Sounds, "sound", "Sounds", TorloSnd, GamePage::Sounds, GamePage::Sounds},
    {ChangeArea::Unknown, std::nullopt, "unknown", "Unknown bytes", "", GamePage::Graphics, std::nullopt},
}};

constexpr const GameArea& gameArea(ChangeArea area)
{
    return GameAreas[static_cast<std::size_t>(area)];
}
constexpr std::string_view areaWord(ChangeArea area)
{
    return gameArea(area).word;
}
constexpr std::string_view areaCaption(ChangeArea area)
{
    return gameArea(area).caption;
}
constexpr std::optional<ChangeArea> areaByWord(std::string_view word)
{
    for (const auto& row : GameAreas)
        if (row.word == word)
            return row.area;
    return std::nullopt;
}

namespace area_checks {

constexpr bool rowsWhole()
{
    unsigned parts = 0;
    for (std::size_t i = 0; i < GameAreas.size(); ++i) {
        const auto& row = GameAreas[i];
        if (row.area != static_cast<ChangeArea>(i) || row.word.empty() || row.caption.empty()
            || row.part.has_value() == row.file.empty())
            return false;
        if (row.part) {
            const auto bit = static_cast<unsigned>(*row.part);
            if ((parts & bit) != 0)
                return false;
            parts |= bit;
        }
        for (std::size_t j = 0; j < i; ++j)
            if (GameAreas[j].word == row.word)
                return false;
    }
    // The parts are the bits from the lowest on, none left without its row.
    return (parts & (parts + 1)) == 0;
}

} // namespace area_checks

static_assert(area_checks::rowsWhole(), "one row per ChangeArea, in its order, each with a word and caption of its own; "
                                        "every GamePart in exactly one row, with the file that holds it");

} // namespace quorvex
