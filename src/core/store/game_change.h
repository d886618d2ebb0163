#pragma once
// One operation that changes a game, as one explicit object: its game (the workspace), the
// game's lock, the keeper of its backups, the files it stages, the journal of what it replaces
// and its step of the history with its status text. It is registered for its game folder (the
// byte layer's FileChanges), so every thread of the process that changes a file of the game
// while it runs (convert-all's workers) joins its step; a GameChange made on the same game while
// one is open is the same operation.
//
// All or nothing, even killed: before a kept file is replaced, its versions before and after
// are in the store and a line naming them is flushed to the journal (journal.txt beside
// history.txt); after the last file the step is recorded and the journal removed. The next
// operation on the game (any Quorvex: a CLI command, a window's handler) finds a journal left by
// a stop and puts every file it names back as it was, unless the history shows the step as
// written; so the files and the history agree after any kill. An operation abandoned by an
// error is rolled back the same way. Without its lock (a lock file that can not be opened) or
// without room for its journal, an operation changes nothing and says why.
#include "core/store/backups.h"
#include "core/store/history.h"
#include "core/gamefile/game_file.h"
#include "core/gamefile/game_lock.h"

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace quorvex {

class GameChange : public FileChangeObserver {
public:
    explicit GameChange(const Workspace& workspace, BackupKeeper::Now now = {});
    ~GameChange() override;
    GameChange(const GameChange&) = delete;
    GameChange& operator=(const GameChange&) = delete;

    // The operation open on the workspace's game in this process, or null.
    static GameChange* inProgress(const Workspace& workspace);

    // Puts the staged patches in place, records the step and ends the journal. The operation
    // goes on: what it changes afterwards is a step of its own.
    void commit();
    // True when another process replaced a game file since this one last held the lock.
    bool changedElsewhere() const { return lock_.changedElsewhere(); }
    // What the operation did, for its step: the last status text of an operation that
    // succeeded, else the last one given.
    void describe(const std::string& status, bool succeeded);
    // An undo or redo moves through the history instead of adding a step.
    void leaveOutOfHistory();
    const BackupKeeper& keeper() const { return keeper_; }

    bool concerns(const std::filesystem::path& path) const override;
    void beforeChange(const std::filesystem::path& path) override;
    void replacing(const std::filesystem::path& path, const std::filesystem::path& incoming) override;
    void replacingAll(std::span<const std::pair<std::filesystem::path, std::filesystem::path>> files) override;
    void replaced(const std::filesystem::path& path) override;

private:
    NotedFile& note(const std::filesystem::path& path);

    GameChange* outer_;
    Workspace workspace_;
    GameLock lock_;
    BackupKeeper keeper_;
    std::optional<FileChanges> files_;
    std::recursive_mutex mutex_;   // the workers of one operation change files side by side
    std::vector<NotedFile> noted_;
    std::map<std::string, std::size_t> notedByFile_;
    bool journalled_ = false;
    std::string what_;
    bool whatSucceeded_ = false;
    bool inHistory_ = true;
};

// The journal of the keeper's game: journal.txt beside history.txt.
std::filesystem::path journalFile(const BackupKeeper& keeper);

// Finishes what a stopped operation left in the journal: when its step is in the history the
// journal is only removed, else every file it names is put back as it was before (the caller
// holds the game's lock). True when there was one.
bool finishUnfinishedChange(const BackupKeeper& keeper);

} // namespace quorvex
