#pragma once
// The game's history: every operation that changed kept files of the game (an editor's Save, an
// activation, a plugin, a restore, a revert) is one step, with when, what (its status text) and
// each file's version before and after, in the game's store of versions. The operation
// (game_change.h) writes its step when it ends, so the window and the CLI record alike. Undo puts a step's files back as they were before it, all or nothing; redo goes forward
// again; a new step drops the steps undone. The last KeptSteps steps are kept.
#include "core/store/backups.h"

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace quorvex {

// A kept file that an operation changed: its version before, and after once it was replaced.
struct NotedFile {
    std::filesystem::path path;
    std::string before;                  // empty: it did not exist
    std::optional<std::string> after;    // none: the file as it is now
    Bytes beforeBytes;                   // what before holds, while the operation runs
};

struct StepFile {
    std::string file;     // as the backups name it: a name in the game folder, or a level's full path
    std::string before;   // versions in the store; empty: the file did not exist
    std::string after;
};

struct Step {
    long id = 0;
    std::string date;     // "YYYY-MM-DD HH:MM:SS", local time
    std::string what;
    bool undone = false;
    std::vector<StepFile> files;

    // The files' names, comma-separated.
    std::string fileList() const;
};

class History {
public:
    static constexpr std::size_t KeptSteps = 200;

    explicit History(const BackupKeeper& keeper) : keeper_(keeper) {}

    // Every step kept, newest first; the undone ones (which redo puts back) come first.
    std::vector<Step> steps() const;
    // What is damaged in the list of steps ("history.txt is damaged at line 3"), or empty. A
    // damaged step is left out of steps(), and undo and redo are refused until a new step
    // rewrites the list (keeping a copy of it as it was).
    std::string damage() const;
    // Adds the step of a change: the noted files whose version changed (none: no step).
    void record(const std::vector<NotedFile>& noted, const std::string& what);

    // Puts back the files of the newest step not undone as they were before it, or refuses:
    // nothing to undo, a file changed since by something other than Quorvex, a kept version
    // missing or damaged. The files change all or nothing.
    Outcome undo();
    // Puts the files of the oldest undone step back as that step made them.
    Outcome redo();

private:
    Outcome move(bool back);

    const BackupKeeper& keeper_;
};

// Files put in place together (an undo, a profile switch): every file as `wanted` (no file when
// empty), then `then`; when any of it fails (FileError, thrown on) the files already replaced get
// their bytes of `now` back.
struct Replacement {
    std::filesystem::path path;
    std::optional<Bytes> now, wanted;
};
void replaceAllOrNothing(const std::vector<Replacement>& files, const std::function<void()>& then = {});

// Every version that the history names (for dropping the store's unused entries).
std::set<std::string> historyVersions(const BackupKeeper& keeper);

// history.txt of the keeper's game.
std::filesystem::path historyFile(const BackupKeeper& keeper);

} // namespace quorvex
