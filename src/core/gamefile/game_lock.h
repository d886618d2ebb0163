#pragma once
// One game changed by one Quorvex at a time. Every operation that changes a game holds the
// game's lock from before its first read of what it changes until after its last write and
// backup, so that two processes (the window and the CLI, two scripts) never write back over
// each other's changes; the backup keeper holds it for its index. The operation itself
// (core/store/game_change.h) holds one.
#include "core/base/workspace.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace quorvex {

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

// The data folder's folder for the workspace's game (backups, store, history, journal):
// backups/<game> (one per game folder).
std::filesystem::path backupFolder(const Workspace& workspace);
// The lock file of a game: beside that folder.
std::filesystem::path gameLockFile(const Workspace& workspace);

// The advisory lock of one game, held for the object's lifetime; within the process it may be
// taken again (by the keeper inside an operation) without waiting. Without a game folder nothing
// is locked. When the lock file cannot be opened (a read-only data folder) the lock is not held
// and problem() says why: reading goes on, and the operation refuses every change.
class GameLock {
public:
    explicit GameLock(const Workspace& workspace);
    ~GameLock();
    GameLock(const GameLock&) = delete;
    GameLock& operator=(const GameLock&) = delete;

    // True when another process replaced a game file since this one last held the lock.
    bool changedElsewhere() const { return changedElsewhere_; }
    // False when the lock file could not be opened; problem() then says why.
    bool held() const { return problem_.empty(); }
    const std::string& problem() const { return problem_; }
    // Refuses a change (FileError naming the problem) when the lock is not held.
    void requireHeld() const;
    // Told when a game file's bytes were replaced, so that other processes learn of it.
    void noteChange();

private:
    std::string key_;
    std::string problem_;
    bool changedElsewhere_ = false;
};

} // namespace quorvex
