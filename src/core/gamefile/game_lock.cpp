#include "core/gamefile/game_lock.h"
#include "core/store/backups.h"
#include "core/base/errors.h"
#include "core/gamefile/game_file.h"
#include "core/os/files.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
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
};
std::mutex heldMutex;
std::map<std::string, Held> held;
std::map<std::string, std::uint64_t> seen;   // the generation when this process last let go
std::string innermost;                       // the lock of the operation in progress
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
    const BackupKeeper keeper(workspace);
    removeLeftTemporaries(keeper.folder());
    std::error_code error;
    if (!fs::is_symlink(fs::symlink_status(keeper.store().folder(), error)))   // refused, never cleaned through
        removeLeftTemporaries(keeper.store().folder());
}

thread_local GameChange* current = nullptr;

std::string nameKey(const fs::path& path)
{
    return os::textOf(path);
}

std::string fileKey(const fs::path& path)
{
    std::error_code error;
    auto full = fs::weakly_canonical(fs::absolute(path), error);
    return error ? os::textOf(fs::absolute(path).lexically_normal()) : os::textOf(full);
}

} // namespace

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
    auto& mine = held[key_];
    if (mine.count++ > 0)
        return;
    mine.fd = openLockFile(file);
    if (mine.fd >= 0 && !lockFile(mine.fd, Try::Now)) {
        if (!waiting.wait) {
            os::close(mine.fd);
            held.erase(key_);
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
    innermost = key_;
}

GameLock::~GameLock()
{
    if (key_.empty())
        return;
    const std::lock_guard lock(heldMutex);
    auto& mine = held[key_];
    if (--mine.count > 0)
        return;
    if (mine.fd >= 0) {
        writeState(mine.fd, {mine.changed ? ++mine.generation : mine.generation, 0});
        os::close(mine.fd);   // lets go of the lock
    }
    seen[key_] = mine.generation;
    held.erase(key_);
    if (innermost == key_)
        innermost.clear();
}

void GameLock::noteChange()
{
    const std::lock_guard lock(heldMutex);
    if (const auto it = held.find(innermost); it != held.end())
        it->second.changed = true;
}

GameChange::GameChange(const Workspace& workspace) : lock_(workspace), outer_(current)
{
    current = this;
}

GameChange::~GameChange()
{
    current = outer_;
    // An abandoned change may still have replaced files whole before its error: its step keeps
    // the history true to the files, so that later undos are not refused.
    if (!outer_)
        try {
            record();
        } catch (...) {
        }
}

void GameChange::commit()
{
    if (outer_)
        return;   // the outermost change puts the files in place
    for (auto& [name, file] : byFile_)
        commitStaged(*file);
    record();
}

void GameChange::record()
{
    auto noted = std::move(noted_);
    noted_.clear();
    notedByFile_.clear();
    if (inHistory_ && !noted.empty())
        recordInHistory(noted, what_);
}

namespace {
GameChange* outermost()
{
    GameChange* change = current;
    while (change && change->outer())
        change = change->outer();
    return change;
}
} // namespace

void GameChange::noteBefore(const fs::path& path, const std::function<std::string()>& version)
{
    GameChange* change = outermost();
    if (!change || !change->inHistory_ || change->notedByFile_.count(fileKey(path)))
        return;
    change->noted_.push_back({path, version()});
    change->notedByFile_[fileKey(path)] = change->noted_.size() - 1;
}

void GameChange::describe(const std::string& status, bool succeeded)
{
    GameChange* change = outermost();
    if (!change || status.empty() || (change->whatSucceeded_ && !succeeded))
        return;
    change->what_ = status;
    change->whatSucceeded_ = succeeded;
}

void GameChange::leaveOutOfHistory()
{
    if (GameChange* change = outermost())
        change->inHistory_ = false;
}

OutsideGameChange::OutsideGameChange() : inside_(std::exchange(current, nullptr)) {}

OutsideGameChange::~OutsideGameChange()
{
    current = inside_;
}

std::shared_ptr<StagedFile> GameChange::stagedIfAny(const fs::path& path)
{
    GameChange* change = current;
    while (change && change->outer_)
        change = change->outer_;
    if (!change)
        return nullptr;
    if (const auto it = change->byName_.find(nameKey(path)); it != change->byName_.end())
        return it->second;
    if (const auto it = change->byFile_.find(fileKey(path)); it != change->byFile_.end()) {
        change->byName_[nameKey(path)] = it->second;
        return it->second;
    }
    return nullptr;
}

void GameChange::replacedWhole(const fs::path& path)
{
    const auto file = stagedIfAny(path);
    if (!file)
        return;
    GameChange* change = current;
    while (change->outer_)
        change = change->outer_;
    std::erase_if(change->byFile_, [&](const auto& entry) { return entry.second == file; });
    std::erase_if(change->byName_, [&](const auto& entry) { return entry.second == file; });
}

std::shared_ptr<StagedFile> GameChange::staged(const fs::path& path, const std::function<Bytes()>& load)
{
    if (auto found = stagedIfAny(path))
        return found;
    GameChange* change = current;
    while (change && change->outer_)
        change = change->outer_;
    if (!change)
        return nullptr;
    auto file = std::make_shared<StagedFile>(StagedFile{path, load()});
    change->byFile_[fileKey(path)] = file;
    change->byName_[nameKey(path)] = file;
    return file;
}

} // namespace quorvex
