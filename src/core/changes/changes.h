#pragma once
// What changed: the game compared with its original (the first copy the backups keep of each
// file) or with another game folder, field by field through the editors' own readers, every
// value as its page and the area's `show` command show it; bytes that differ outside every
// field are listed as ranges, so nothing changed is hidden. Changes are reverted through the
// editors' own saves and exported as a weapon plugin.
#include "core/gamefile/game_file.h"
#include "core/base/game_areas.h"
#include "core/base/workspace.h"
#include "core/base/outcome.h"
#include "core/base/target_asker.h"

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quorvex {

// One field that differs. entry is the number the area's list/show commands use, or "-";
// key and values are those of the area's show command.
struct Change {
    ChangeArea area;
    std::string entry;
    std::string key;
    std::string before, after;
    bool operator==(const Change&) const = default;
};

// "AREA<TAB>ENTRY<TAB>KEY<TAB>BEFORE<TAB>AFTER".
std::string changeLine(const Change& change);

// The game that the current one is compared with, as files the readers can open.
class ComparedGame {
public:
    // The originals that the backups of workspace's game keep; a file never changed is its own
    // original. Copies of torlo.exe and torlo.dat are laid into a folder of the temp folder for
    // the readers, removed with this object.
    static ComparedGame original(const Workspace& workspace);
    // The game in another folder.
    static ComparedGame folder(const Workspace& workspace, const std::filesystem::path& folder);

    ComparedGame(ComparedGame&& other) noexcept;
    ComparedGame& operator=(ComparedGame&&) = delete;
    ~ComparedGame();

    const Workspace& workspace() const { return workspace_; }
    std::filesystem::path chr() const { return chr_; }
    std::filesystem::path snd() const { return snd_; }
    bool isOriginal() const { return !laidOut_.empty(); }

private:
    ComparedGame() = default;
    Workspace workspace_;
    std::filesystem::path chr_, snd_;
    std::filesystem::path laidOut_;   // the temp folder of the originals, removed at the end
};

// Every change from before to the current game, in the areas' order and, inside an area, in
// table order. A game file too short for its tables raises the readers' FileError. In the
// `every` areas each field is listed, changed or not (what a mod sets, whatever the game held).
std::vector<Change> compareGames(const Workspace& current, const ComparedGame& before,
                                 std::span<const ChangeArea> every = {});

// The changes that AREA ENTRY [KEY] names.
std::vector<Change> changesNamed(std::span<const Change> changes, ChangeArea area, std::string_view entry,
                                 std::optional<std::string_view> key);

// Puts the changes back to their before values through the editors' own saves (each save
// checks, keeps its backup and gives its report), one save per table or entry touched.
// Returns the saves' reports in order; a refusal ends them.
std::vector<Outcome> revertChanges(const Workspace& current, const ComparedGame& before, std::span<const Change> changes);

// The weapon, object and special-object changes as a weapon plugin of version 2 or 1: one
// numbered record per changed entry holding only its changed keys, at their after values.
// Refused before the file is asked for, and nothing written, when there is none.
Outcome exportChanges(std::span<const Change> changes, bool version2, const TargetAsker& askTarget);

} // namespace quorvex
