#pragma once
// One table of the game's areas, one row per area: the part of the game it is (what an
// operation says it changed), its name in the changes (the CLI's AREA, the "Changes" page's
// group), the game file that holds it, the window's page that shows it and the page the
// browser brings to the front for a file that changes it. The parts' sets, the game files'
// parts, the changes' words and the window's pages are read from it; a new area is one row and
// its page's folder. The checks below keep every row whole.
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace quorvex {

// The whole files of the game folder that hold its areas.
inline constexpr const char *TorloExe = "torlo.exe", *TorloDat = "torlo.dat", *TorloChr = "TORLO.CHR", *TorloSnd = "TORLO.SND";

// The window's pages that show the game (its Mods page shows the mod list).
enum class GamePage { Graphics, About, Options, CpuAi, MaterialPalette, Weapons, Objects, SpecialObjects, Sounds };

// The areas, one row each, in the order the changes list and revert them: the area's name as a
// ChangeArea, its name as a GamePart, the changes' word (the CLI's AREA) and caption (the group
// of the "Changes" page), the game file that holds it, the page that shows it (none: an editor
// window of its own) and the page the browser shows a file that changes it on (none: no such
// file). Both enums and the table below are made from these rows.
#define QUORVEX_GAME_AREAS(AREA)                                                                                      \
    AREA(Weapon, Weapons, "weapon", "Weapons", TorloExe, GamePage::Weapons, GamePage::Weapons)                      \
    AREA(Object, Objects, "object", "Objects", TorloExe, GamePage::Objects, GamePage::Objects)                      \
    AREA(SObject, SpecialObjects, "sobject", "Special objects", TorloExe, GamePage::SpecialObjects,                 \
         GamePage::SpecialObjects)                                                                                   \
    AREA(Ai, Ai, "ai", "CPU AI", TorloExe, GamePage::CpuAi, std::nullopt)                                           \
    AREA(Hack, Hacks, "hack", "Special hacks", TorloExe, std::nullopt, std::nullopt)                                \
    /* Translations are previewed beside the About page's help. */                                                  \
    AREA(Text, Texts, "text", "Texts", TorloExe, std::nullopt, GamePage::About)                                     \
    /* Palettes and levels are previewed on the Graphics page, and edited on the Material/Palette page. */          \
    AREA(Palette, Palette, "palette", "Palette", TorloExe, GamePage::MaterialPalette, GamePage::Graphics)            \
    AREA(Material, Materials, "material", "Materials", TorloExe, GamePage::MaterialPalette, GamePage::Graphics)      \
    AREA(Blood, Blood, "blood", "Blood", TorloDat, GamePage::Options, std::nullopt)                                  \
    /* The level named in torlo.dat. */                                                                             \
    AREA(Level, Level, "level", "Level", TorloDat, GamePage::Graphics, GamePage::Graphics)                          \
    AREA(Graphics, Graphics, "graphics", "Graphics", TorloChr, GamePage::Graphics, GamePage::Graphics)              \
    AREA(Sound, Sounds, "sound", "Sounds", TorloSnd, GamePage::Sounds, GamePage::Sounds)

// An area as the changes name it; Unknown: the bytes outside every field.
enum class ChangeArea {
#define QUORVEX_AREA_NAME(area, ...) area,
    QUORVEX_GAME_AREAS(QUORVEX_AREA_NAME)
#undef QUORVEX_AREA_NAME
    Unknown
};

// A part of the game that an operation changes, as a bit of GameParts (game_parts.h): its
// area's place in the table.
enum class GamePart : std::uint16_t {
#define QUORVEX_PART_NAME(area, part, ...) part = 1u << static_cast<unsigned>(ChangeArea::area),
    QUORVEX_GAME_AREAS(QUORVEX_PART_NAME)
#undef QUORVEX_PART_NAME
};

struct GameArea {
    ChangeArea area;
    std::optional<GamePart> part;         // none: the bytes outside every field
    std::string_view word;
    std::string_view caption;
    std::string_view file;                // found without regard to case; empty: any
    std::optional<GamePage> page;
    std::optional<GamePage> filesPage;
};

inline constexpr auto GameAreas = std::to_array<GameArea>({
#define QUORVEX_AREA_ROW(area, part, ...) {ChangeArea::area, GamePart::part, __VA_ARGS__},
    QUORVEX_GAME_AREAS(QUORVEX_AREA_ROW)
#undef QUORVEX_AREA_ROW
    {ChangeArea::Unknown, std::nullopt, "unknown", "Unknown bytes", "", GamePage::Graphics, std::nullopt},
});

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
