#pragma once
// The mod list: the game is its originals plus the effects of the switched-on entries, in list
// order, a later entry winning. An entry's effect (the fields it sets as the changes view names
// them, whole files, the active level, bytes outside every field) is recorded when the entry is
// made, with the versions of the game files that hold its values; a rebuild replays the effects
// on a scratch copy of the originals through the editors' own saves (revertChanges toward each
// entry's game) and replaces only the game files whose bytes change, with the list, all or
// nothing. Changes that no entry explains (the editors' saves, another program) become an entry
// before anything is rebuilt, so nothing is lost.
#include "core/changes/changes.h"
#include "core/formats/activation.h"
#include "core/store/mod_list.h"

#include <filesystem>
#include <string>
#include <vector>

namespace quorvex {

// The game's list as it is kept (an empty one before its first entry).
ModList readGameModList(const Workspace& workspace);

// "Activate" as an entry of the list: the mod is installed on a scratch copy of the game (its
// questions asked once, here), what it sets is recorded with a copy of the mod file, and the
// game files it changed are replaced. name: the entry's name (the file's name when empty).
struct ModAdded {
    Activation activation;
    long number = 0;   // the new entry's number; 0 when nothing was added
};
ModAdded addMod(const std::filesystem::path& file, const std::filesystem::path& browsedFolder,
                const Workspace& workspace, const Asker& ask, PluginPages* pages = nullptr, std::string name = {});
// Every mod of a zip archive, in the archive's order, each an entry named "PACK.zip: FILE".
std::vector<ModAdded> addModPack(const std::filesystem::path& pack, const Workspace& workspace, const Asker& ask);

// Switch, move or remove an entry (numbers as the list shows them), then rebuild. Refused,
// with nothing written, for a number the list does not have.
Outcome switchMod(const Workspace& workspace, long number, bool on);
Outcome moveMod(const Workspace& workspace, long number, long to);
Outcome removeMod(const Workspace& workspace, long number);

// An entry's effect as changes: BEFORE what the switched-on entries below it give (else the
// originals), AFTER its own value.
std::vector<Change> modEffect(const ModList& list, long number);

// A field, file or level that two switched-on entries set: the later one wins.
struct ModConflict {
    ModSet field;                // area, entry and key; value: the winner's
    long winner = 0;
    std::vector<long> others;    // the earlier ones, in list order
    std::vector<std::string> values;   // what each of the others would give, in the same order
};
std::vector<ModConflict> modConflicts(const ModList& list);

} // namespace quorvex
