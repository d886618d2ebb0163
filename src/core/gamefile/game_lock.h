#pragma once
// One game changed by one Quorvex at a time. Every operation that changes a game holds the
// game's lock from before its first read of what it changes until after its last write and
// backup, so that two processes (the window and the CLI, two scripts) never write back over
// each other's changes; the backup keeper holds it for its index. Patches made meanwhile through
// GameFile are staged and put in place at the end, each file as a whole new copy, so that a
// stop at any moment leaves the old file or the new one.
#include "core/base/workspace.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace quorvex {

using Bytes = std::vector<std::uint8_t>;

inline constexpr const char* GameBusyText = "The game is being changed by another Quorvex";
inline constexpr const char* GameWaitText = "Waiting for another Quorvex to finish changing the game...";

// How this process meets a game that another Quorvex is changing: it waits, telling `notice`
// GameWaitText once when the wait lasts a moment, and after `patience` which process holds the
// game ("Still waiting after 5 seconds: another Quorvex (process 1234) holds the game; if it
// hangs, end it"); or (wait false: the CLI's --no-wait) it is refused with a FileError of GameBusyText.
struct GameLockWaiting {
    bool wait = true;
    std::function<void(const std::string& text)> notice;
    std::chrono::milliseconds patience{5000};
};
void setGameLockWaiting(GameLockWaiting waiting);

// The lock file of a game: beside its backups in the data folder.
std::filesystem::path gameLockFile(const Workspace& workspace);

// The advisory lock of one game, held for the object's lifetime; within the process it may be
// taken again (by the keeper inside an operation) without waiting. Without a game folder, or
// when the lock file cannot be made (a read-only data folder), nothing is locked: the work goes
// on as before, and the keeper refuses changes it cannot back up anyway.
class GameLock {
public:
    explicit GameLock(const Workspace& workspace);
    ~GameLock();
    GameLock(const GameLock&) = delete;
    GameLock& operator=(const GameLock&) = delete;

    // True when another process changed the game since this one last held its lock.
    bool changedElsewhere() const { return changedElsewhere_; }
    // Told by every change of a file while the lock is held, so that other processes learn of it.
    static void noteChange();

private:
    std::string key_;
    bool changedElsewhere_ = false;
};

// A game file's bytes while an operation patches it.
struct StagedFile {
    std::filesystem::path path;   // as the operation named it (the keeper knows it by that name)
    Bytes bytes;
    bool dirty = false;
    bool kept = false;            // the keeper was asked before the first patch
};

// Puts a patched file in place as a whole new copy (beside the file a link points to).
void commitStaged(StagedFile& file);

// A kept file that the change in progress changes, as it was before (its version in the store).
struct NotedFile {
    std::filesystem::path path;
    std::string before;   // empty: it did not exist
};

// One operation that changes a game: the game's lock, and the files patched through GameFile
// staged until commit() puts each in place whole. Nested changes join the outermost one. A
// change abandoned by an error (destroyed without commit) leaves the files as they were.
// The outermost change is one step of the game's history (history.h): the keeper notes each
// file before its first change, and the step is written when the change ends.
class GameChange {
public:
    explicit GameChange(const Workspace& workspace);
    ~GameChange();
    GameChange(const GameChange&) = delete;
    GameChange& operator=(const GameChange&) = delete;

    void commit();
    bool changedElsewhere() const { return lock_.changedElsewhere(); }
    GameChange* outer() const { return outer_; }

    // The staged bytes of path in this thread's change, read on first use by `load`; null when
    // no change is in progress.
    static std::shared_ptr<StagedFile> staged(const std::filesystem::path& path,
                                              const std::function<Bytes()>& load);
    // The staged bytes of path when the change in progress holds them, else null.
    static std::shared_ptr<StagedFile> stagedIfAny(const std::filesystem::path& path);
    // Forgets the staged bytes of a file that is being replaced whole: the later change wins.
    static void replacedWhole(const std::filesystem::path& path);

    // Notes path's version before its first change in this thread's change (`version` is asked
    // only then); nothing outside a change.
    static void noteBefore(const std::filesystem::path& path, const std::function<std::string()>& version);
    // What the change in progress did, for its history step: the last status text of an
    // operation that succeeded, else the last one given (TMainForm::report, the CLI's finish).
    static void describe(const std::string& status, bool succeeded);
    // An undo or redo moves through the history instead of adding a step.
    static void leaveOutOfHistory();

private:
    void record() noexcept(false);

    GameLock lock_;
    GameChange* outer_;
    std::map<std::string, std::shared_ptr<StagedFile>> byName_;   // as named, and by the file itself
    std::map<std::string, std::shared_ptr<StagedFile>> byFile_;
    std::vector<NotedFile> noted_;
    std::map<std::string, std::size_t> notedByFile_;
    std::string what_;
    bool whatSucceeded_ = false;
    bool inHistory_ = true;
};

// For its lifetime this thread works outside the change in progress: files written meanwhile
// (a scratch copy of the game in the temp folder) are put in place by their own GameFile, not
// staged into the change, and note nothing for its step.
class OutsideGameChange {
public:
    OutsideGameChange();
    ~OutsideGameChange();
    OutsideGameChange(const OutsideGameChange&) = delete;
    OutsideGameChange& operator=(const OutsideGameChange&) = delete;

private:
    GameChange* inside_;
};

// Writes the step of a change that ended (history.cpp), through the installed keeper.
void recordInHistory(const std::vector<NotedFile>& noted, const std::string& what);

} // namespace quorvex
