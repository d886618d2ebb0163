#pragma once
// The parts of the game that an operation changed, as a set: every operation that changes game
// data says which parts in its Outcome, and one notification carries the set to every holder of
// game data, which reloads what it shows of those parts. What each part is, where it lies and
// which page shows it is its row in the table of areas.
#include "core/base/game_areas.h"

#include <filesystem>
#include <optional>
#include <string_view>

namespace quorvex {

class GameParts {
public:
    constexpr GameParts() = default;
    constexpr GameParts(GamePart part) : bits_(static_cast<unsigned>(part)) {}

    // Everything torlo.exe holds.
    static constexpr GameParts inTorloExe();
    static constexpr GameParts all();

    constexpr bool empty() const { return bits_ == 0; }
    constexpr bool has(GamePart part) const { return (bits_ & static_cast<unsigned>(part)) != 0; }
    constexpr bool hasAny(GameParts parts) const { return (bits_ & parts.bits_) != 0; }
    constexpr GameParts operator&(GameParts other) const { return GameParts(bits_ & other.bits_); }
    constexpr GameParts operator|(GameParts other) const { return GameParts(bits_ | other.bits_); }
    constexpr GameParts& operator|=(GameParts other) { bits_ |= other.bits_; return *this; }
    constexpr bool operator==(const GameParts&) const = default;
    constexpr unsigned bits() const { return bits_; }

private:
    constexpr explicit GameParts(unsigned bits) : bits_(bits) {}
    unsigned bits_ = 0;
};

constexpr GameParts operator|(GamePart a, GamePart b) { return GameParts(a) | GameParts(b); }

// The parts of the areas a test picks.
constexpr GameParts partsWhere(auto picked)
{
    GameParts parts;
    for (const auto& row : GameAreas)
        if (row.part && picked(row))
            parts |= *row.part;
    return parts;
}

// The parts a game file holds, by its name in the table of areas.
constexpr GameParts partsInFile(std::string_view file)
{
    return partsWhere([file](const GameArea& row) { return row.file == file; });
}

// The parts a page shows.
constexpr GameParts partsShownOn(GamePage page)
{
    return partsWhere([page](const GameArea& row) { return row.page == page; });
}

// The page the browser shows a file on that changes parts: that of the first of them in the
// table of areas; none when no part has a page for its files.
constexpr std::optional<GamePage> filesPageOf(GameParts parts)
{
    for (const auto& row : GameAreas)
        if (row.part && parts.has(*row.part) && row.filesPage)
            return row.filesPage;
    return std::nullopt;
}

constexpr GameParts GameParts::inTorloExe()
{
    return partsInFile(TorloExe);
}

constexpr GameParts GameParts::all()
{
    return partsWhere([](const GameArea&) { return true; });
}

// The whole files of the game folder (found without regard to case) and the parts each holds.
struct GameFileParts {
    const char* name;
    GameParts parts;
};
inline constexpr GameFileParts GameFiles[] = {
    {TorloExe, partsInFile(TorloExe)},
    {TorloDat, partsInFile(TorloDat)},
    {TorloChr, partsInFile(TorloChr)},
    {TorloSnd, partsInFile(TorloSnd)},
};
static_assert(
    [] {
        GameParts inFiles;
        for (const auto& file : GameFiles)
            inFiles |= file.parts;
        return inFiles == GameParts::all();
    }(),
    "every area lies in one of the game's files");

// The parts a whole file of the game folder holds: torlo.exe, torlo.dat, TORLO.CHR or
// TORLO.SND (found without regard to case); nothing for any other file.
GameParts gamePartsIn(const std::filesystem::path& file, const std::filesystem::path& gameFolder);

} // namespace quorvex
