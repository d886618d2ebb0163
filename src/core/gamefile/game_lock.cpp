#include "core/gamefile/game_lock.h"
#include "core/base/errors.h"
#include "core/gamefile/game_file.h"
#include "core/os/files.h"

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

namespace fs = std::filesystem;

namespace quorvex {

namespace {

enum class Try { Now, Wait };
bool lockFile(int fd, Try how)
{
    while (!os::lock(fd, how == Try::Now ? os::Wait::No : os::Wait::Yes))
        if (errno != EINTR)
            return false;
    return true;
}

// Locks held by this process, by lock file: taken again inside an operation without waiting.
struct Held {
    int fd = -1;
    int count = 0;
    std::uint64_t generation = 0;   // the number of changes of the game, kept in the lock file
    bool changed = false;
    std::string problem;            // why the lock file could not be opened
};
std::mutex heldMutex;
std::map<std::string, Held> locks;
std::map<std::string, std::uint64_t> seen;   // the generation when this process last let go
GameLockWaiting waiting;

// The lock file: the generation on its first line and, while the lock is held, the holder's
// process id on its second, which a waiter names.
struct LockState {
    std::uint64_t generation = 0;
    unsigned long holder = 0;
};

LockState readState(int fd)
{
    char text[48] = {};
    if (!os::seek(fd, 0))
        return {};
    const auto got = os::read(fd, text, sizeof text - 1);
    if (got <= 0)
        return {};
    char* end = nullptr;
    LockState state{std::strtoull(text, &end, 10), 0};
    if (*end == '\n')
        state.holder = std::strtoul(end + 1, nullptr, 10);
    return state;
}

void writeState(int fd, LockState state)
{
    auto text = std::to_string(state.generation) + "\n";
    if (state.holder)
        text += std::to_string(state.holder) + "\n";
    if (os::seek(fd, 0) && os::write(fd, text.data(), text.size()) == static_cast<std::ptrdiff_t>(text.size()))
        os::resize(fd, text.size());
}

// What a waiter says after a long wait: who holds the game, when the lock file tells.
std::string heldText(int fd, std::chrono::seconds waited)
{
    const auto holder = readState(fd).holder;
    return "Still waiting after " + std::to_string(waited.count()) + " seconds: another Quorvex"
           + (holder ? " (process " + std::to_string(holder) + ")" : "") + " holds the game; if it hangs, end it";
}

int openLockFile(const fs::path& file)
{
    int fd = os::open(file, os::Open::Keep);
    if (fd < 0 && errno == ENOENT) {
        std::error_code ignored;
        fs::create_directories(file.parent_path(), ignored);
        fd = os::open(file, os::Open::Keep);
    }
    return fd;
}

// The temporary files that writes killed half-way left in the game folder and beside its
// backups: removed when this process first takes the game's lock, as no one writes there then.
void tidy(const Workspace& workspace)
{
    removeLeftTemporaries(workspace.gameFolder);
    const auto folder = backupFolder(workspace);
    removeLeftTemporaries(folder);
    std::error_code error;
    if (!fs::is_symlink(fs::symlink_status(folder / "store", error)))   // refused, never cleaned through
        removeLeftTemporaries(folder / "store");
}

// One folder per game folder: its name for people, a hash of its full path so two games with
// the same folder name never mix.
std::string folderKey(const fs::path& gameFolder)
{
    std::error_code error;
    auto full = gameFolder.empty() ? fs::path() : fs::weakly_canonical(fs::absolute(gameFolder), error);
    if (error)
        full = fs::absolute(gameFolder).lexically_normal();
    auto text = os::textOf(full);
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    std::uint64_t hash = 14695981039346656037ull;   // FNV-1a
    for (unsigned char c : text)
        hash = (hash ^ c) * 1099511628211ull;
    std::string name;
    for (char c : os::textOf(full.filename()).substr(0, 40))
        name += std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == '.' ? c : '_';
    char digits[17];
    std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(hash));
    return (name.empty() || name.front() == '.' ? "game" : name) + "-" + digits;
}

} // namespace

fs::path backupFolder(const Workspace& workspace)
{
    return workspace.dataFolder / "backups" / folderKey(workspace.gameFolder);
}

void setGameLockWaiting(GameLockWaiting given)
{
    const std::lock_guard lock(heldMutex);
    waiting = std::move(given);
}

fs::path gameLockFile(const Workspace& workspace)
{
    auto folder = backupFolder(workspace);
    return folder.replace_filename(os::pathFromText(os::textOf(folder.filename()) + ".lock"));
}

GameLock::GameLock(const Workspace& workspace)
{
    if (workspace.gameFolder.empty() || workspace.dataFolder.empty())
        return;
    const auto file = gameLockFile(workspace);
    key_ = os::textOf(file);
    std::unique_lock lock(heldMutex);
    auto& mine = locks[key_];
    if (mine.count++ > 0) {
        problem_ = mine.problem;
        return;
    }
    mine.fd = openLockFile(file);
    if (mine.fd < 0)
        problem_ = mine.problem = "Could not take the lock of the game (" + std::string(FileError::fromErrno(errno, file).what()) + ")";
    if (mine.fd >= 0 && !lockFile(mine.fd, Try::Now)) {
        if (!waiting.wait) {
            os::close(mine.fd);
            locks.erase(key_);
            throw FileError(GameBusyText);
        }
        // A moment's wait goes by unremarked; a longer one is told, and a wait behind a holder
        // that may hang names it.
        const auto start = std::chrono::steady_clock::now();
        const auto notice = waiting.notice;
        const auto patience = waiting.patience;
        lock.unlock();
        bool locked = false, told = false, toldHeld = false;
        while (!locked) {
            std::this_thread::sleep_for(std::chrono::milliseconds(told ? 50 : 10));
            locked = lockFile(mine.fd, Try::Now);
            const auto waited = std::chrono::steady_clock::now() - start;
            if (!locked && !told && waited >= std::chrono::milliseconds(300) && notice)
                notice(GameWaitText);
            told = told || waited >= std::chrono::milliseconds(300);
            if (!locked && !toldHeld && waited >= patience && notice)
                notice(heldText(mine.fd, std::chrono::duration_cast<std::chrono::seconds>(patience)));
            toldHeld = toldHeld || waited >= patience;
        }
        lock.lock();
    }
    if (mine.fd >= 0) {
        mine.generation = readState(mine.fd).generation;
        writeState(mine.fd, {mine.generation, os::processId()});
    }
    if (mine.fd >= 0 && !seen.count(key_))
        tidy(workspace);
    const auto last = seen.find(key_);
    changedElsewhere_ = last != seen.end() && last->second != mine.generation;
}

GameLock::~GameLock()
{
    if (key_.empty())
        return;
    const std::lock_guard lock(heldMutex);
    auto& mine = locks[key_];
    if (--mine.count > 0)
        return;
    if (mine.fd >= 0) {
        writeState(mine.fd, {mine.changed ? ++mine.generation : mine.generation, 0});
        os::close(mine.fd);   // lets go of the lock
    }
    seen[key_] = mine.generation;
    locks.erase(key_);
}

void GameLock::requireHeld() const
{
    if (!held())
        throw FileError(problem_ + ", so nothing was changed");
}

void GameLock::noteChange()
{
    const std::lock_guard lock(heldMutex);
    if (const auto it = locks.find(key_); it != locks.end())
        it->second.changed = true;
}

} // namespace quorvex
