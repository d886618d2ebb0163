#pragma once
// The mod list of a game, as it is kept: mods.txt beside history.txt in the game's backups
// folder. It names the originals the game is rebuilt from, the versions the list last made the
// game files (what Quorvex wrote, so that a change made elsewhere shows), and the entries in
// the order they apply, each with what it sets and the versions that hold its values. The text
// is written by the mod list's operations inside their replacement of the game's files (the
// list and the files change together, and undo puts both back); it is read as untrusted input:
// an entry with a damaged line is dropped whole. The store keeps every version it names.
#include <array>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quorvex {

enum class ModKind { Level, Graphics, Sounds, Palette, Plugin, Translation, Edits, Outside, Before };
inline constexpr std::array<std::string_view, 9> ModKindWords = {
    "level", "graphics", "sounds", "palette", "plugin", "translation", "edits", "outside", "before"};
std::string_view modKindWord(ModKind kind);
std::optional<ModKind> modKindByWord(std::string_view word);

// A file of the game as the lists name it (backups.h: a name in the game folder) and a version
// of it in the store.
using ModFile = std::pair<std::string, std::string>;

// One thing an entry sets, named as the changes view names it (area word, entry, key), with the
// value the originals have there and the entry's own, as shown.
struct ModSet {
    std::string area, entry, key;
    std::string original, value;
    bool sameField(const ModSet& other) const { return area == other.area && entry == other.entry && key == other.key; }
};

struct ModEntry {
    long id = 0;                      // unique in the list, never reused
    bool on = true;
    ModKind kind = ModKind::Edits;
    std::string date;                 // "YYYY-MM-DD HH:MM:SS", when it was made
    std::string name;                 // the mod file's name, "Edits", ...
    bool open = false;                // an edits entry that the next save joins
    std::vector<ModFile> game;    // the game files that hold the entry's values
    std::vector<ModSet> sets;
    std::optional<ModFile> level; // a level's file in the game folder
    std::string copy;                 // the version of the mod file as installed; empty for edits
};

struct ModList {
    std::vector<ModFile> originals;   // what the game is rebuilt from
    std::vector<ModFile> written;     // the game's files as the list last made them
    std::vector<ModEntry> entries;        // the first applied first
    long lastId = 0;

    // The entry of a number as the list shows it (1 = the first applied), or null.
    ModEntry* numbered(long number);
    const ModEntry* numbered(long number) const;
};

// The list of a game's backups folder; an empty one when there is none. FileError when it is a
// link, no file or too large (data_list.h).
ModList readModList(const std::filesystem::path& file);
std::string modListText(const ModList& list, const std::filesystem::path& gameFolder);

// Every version a list names (for dropping the store's unused entries).
std::set<std::string> modListVersions(const ModList& list);

} // namespace quorvex
