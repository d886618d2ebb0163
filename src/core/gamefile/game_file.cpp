#include "core/gamefile/game_file.h"
#include "core/base/errors.h"
#include "core/base/workspace.h"
#include "core/os/files.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <random>
#include <set>
#include <string_view>

namespace fs = std::filesystem;

namespace quorvex {

FileError FileError::fromErrno(int code)
{
    switch (code) {
    case ENOENT:
    case ENOTDIR:
        return notFound();
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
        return accessDenied();
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
    case EFBIG:   // beyond the file-size limit: as full as the disk can be for this file
        return diskFull();
    case ENAMETOOLONG:
        return FileError("File name too long");
    default:
        return io(code);
    }
}

void ignoreFileSizeSignal()
{
#ifdef SIGXFSZ
    static const bool ignored = std::signal(SIGXFSZ, SIG_IGN) != SIG_ERR;
    (void)ignored;
#endif
}

namespace {

// A test's way to stop the process at its Nth write to a file (QUORVEX_STOP_AT_WRITE=N), as a
// kill or a power cut would: every write and every rename that puts a file in place counts.
void stopAtWriteWhenAsked()
{
    static const long stopAt = [] {
        const char* given = std::getenv("QUORVEX_STOP_AT_WRITE");
        return given ? std::atol(given) : 0L;
    }();
    static long written = 0;
    if (stopAt > 0 && ++written >= stopAt) {
#ifdef SIGKILL
        std::raise(SIGKILL);
#else
        std::_Exit(137);   // Windows has no SIGKILL; _Exit runs no destructor either
#endif
    }
}

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

// The operations open in this process, the latest last.
std::mutex openMutex;
std::vector<FileChanges*> openChanges;

void putStaged(StagedFile& file, FileChanges* changes);

} // namespace

FileChanges::FileChanges(const fs::path& gameFolder, FileChangeObserver& observer)
    : gameFolder_(gameFolder), folderKey_(fileKey(gameFolder)), observer_(observer)
{
    const std::lock_guard lock(openMutex);
    openChanges.push_back(this);
}

FileChanges::~FileChanges()
{
    const std::lock_guard lock(openMutex);
    std::erase(openChanges, this);
}

FileChanges* FileChanges::of(const fs::path& path)
{
    const std::lock_guard lock(openMutex);
    for (auto it = openChanges.rbegin(); it != openChanges.rend(); ++it)
        if ((*it)->observer_.concerns(path))
            return *it;
    return nullptr;
}

FileChanges* FileChanges::forGame(const fs::path& folder)
{
    if (folder.empty())
        return nullptr;
    const auto key = fileKey(folder);
    const std::lock_guard lock(openMutex);
    for (auto it = openChanges.rbegin(); it != openChanges.rend(); ++it)
        if ((*it)->folderKey_ == key)
            return *it;
    return nullptr;
}

std::shared_ptr<StagedFile> FileChanges::findLocked(const fs::path& path)
{
    if (const auto it = byName_.find(nameKey(path)); it != byName_.end())
        return it->second;
    if (const auto it = byFile_.find(fileKey(path)); it != byFile_.end()) {
        byName_[nameKey(path)] = it->second;
        return it->second;
    }
    return nullptr;
}

std::shared_ptr<StagedFile> FileChanges::stagedIfAny(const fs::path& path)
{
    const std::lock_guard lock(mutex_);
    return findLocked(path);
}

std::shared_ptr<StagedFile> FileChanges::staged(const fs::path& path, const std::function<Bytes()>& load)
{
    const std::lock_guard lock(mutex_);
    if (auto found = findLocked(path))
        return found;
    auto file = std::make_shared<StagedFile>(StagedFile{path, load()});
    byFile_[fileKey(path)] = file;
    byName_[nameKey(path)] = file;
    return file;
}

void FileChanges::replacedWhole(const fs::path& path)
{
    const std::lock_guard lock(mutex_);
    const auto file = findLocked(path);
    if (!file)
        return;
    std::erase_if(byFile_, [&](const auto& entry) { return entry.second == file; });
    std::erase_if(byName_, [&](const auto& entry) { return entry.second == file; });
}

void FileChanges::commit()
{
    std::vector<std::shared_ptr<StagedFile>> files;
    {
        const std::lock_guard lock(mutex_);
        for (const auto& [name, file] : byFile_)
            files.push_back(file);
    }
    for (const auto& file : files)
        putStaged(*file, this);
}

GameFile::GameFile(const fs::path& path, Access access, const HeldFiles* held)
    : path_(path), uncaught_(std::uncaught_exceptions())
{
    if (path.empty())
        throw FileError::notFound();
    ignoreFileSizeSignal();
    changes_ = FileChanges::of(path);
    // A file that the operation in progress has patched is read and patched further as patched.
    if (changes_ && (staged_ = changes_->stagedIfAny(path)))
        return;
    const auto heldBytes = held ? held->held(path) : nullptr;
    if (heldBytes && access == Access::ReadOnly) {
        held_ = heldBytes;
        return;
    }
    fd_ = os::open(path, access == Access::Update ? os::Open::Update : os::Open::Read);
    if (fd_ < 0)
        throw failure(errno);
    const auto refuse = [&](const FileError& error) {
        os::close(fd_);
        fd_ = -1;
        throw error.naming(path);
    };
    os::Status info;
    if (!os::status(fd_, info))
        refuse(FileError::fromErrno(errno));
    if (info.folder)
        refuse(FileError::accessDenied());
    if (!info.regular)
        refuse(FileError::notRegular());
    if (access == Access::Update && os::isReadOnly(path, info))
        refuse(FileError::accessDenied());
    if (access == Access::ReadOnly)
        return;
    const auto load = [&] {
        if (heldBytes)
            return Bytes(*heldBytes);
        Bytes bytes(static_cast<std::size_t>(info.size));
        readFully(std::span<std::uint8_t>(bytes));
        return bytes;
    };
    try {
        if (changes_)
            staged_ = changes_->staged(path, load);
        if (!staged_) {
            staged_ = std::make_shared<StagedFile>(StagedFile{path, load()});
            ownsStaged_ = true;
        }
    } catch (...) {
        os::close(fd_);
        fd_ = -1;
        throw;
    }
    os::close(fd_);
    fd_ = -1;
}

GameFile::GameFile(const Workspace& workspace, const fs::path& path, Access access)
    : GameFile(path, access, workspace.held)
{
}

FileError GameFile::failure(int code) const
{
    return FileError::fromErrno(code, path_);
}

GameFile::~GameFile() noexcept(false)
{
    if (fd_ >= 0)
        os::close(fd_);
    if (ownsStaged_ && staged_->dirty && std::uncaught_exceptions() == uncaught_)
        putStaged(*staged_, nullptr);
}

const Bytes* GameFile::inMemory() const
{
    return staged_ ? &staged_->bytes : held_.get();
}

std::uint64_t GameFile::size() const
{
    if (const auto* bytes = inMemory())
        return bytes->size();
    os::Status info;
    if (!os::status(fd_, info))
        throw failure(errno);
    return info.size;
}

void GameFile::requireSize(std::uint64_t end) const
{
    if (size() < end)
        throw FileError::beyondEnd().naming(path_);
}

void GameFile::seek(std::uint64_t offset)
{
    if (!inMemory() && !os::seek(fd_, offset))
        throw failure(errno);
    position_ = offset;
}

void GameFile::readFully(std::span<std::uint8_t> into)
{
    std::size_t done = 0;
    while (done < into.size()) {
        const auto got = os::read(fd_, into.data() + done, into.size() - done);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw failure(errno);
        }
        if (got == 0)
            throw FileError::beyondEnd().naming(path_);
        done += static_cast<std::size_t>(got);
    }
}

void GameFile::read(std::span<std::uint8_t> into)
{
    const auto* inMemory = this->inMemory();
    if (!inMemory) {
        readFully(into);
        position_ += into.size();
        return;
    }
    const auto& bytes = *inMemory;
    const auto available = position_ < bytes.size() ? bytes.size() - position_ : 0;
    const auto count = std::min<std::uint64_t>(available, into.size());
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(position_ < bytes.size() ? position_ : bytes.size()), count,
                into.begin());
    position_ += count;
    if (count < into.size())
        throw FileError::beyondEnd().naming(path_);
}

Bytes GameFile::read(std::size_t count)
{
    Bytes bytes(count);
    read(std::span<std::uint8_t>(bytes));
    return bytes;
}

std::int16_t GameFile::readInt16()
{
    std::uint8_t b[2];
    read(std::span<std::uint8_t>(b));
    return static_cast<std::int16_t>(b[0] | (b[1] << 8));
}

void GameFile::write(std::span<const std::uint8_t> bytes)
{
    if (!staged_)
        throw failure(EBADF);   // opened for reading only
    auto& content = staged_->bytes;
    const bool within = position_ + bytes.size() <= content.size();
    if (bytes.empty() || (within && std::equal(bytes.begin(), bytes.end(), content.begin() + static_cast<std::ptrdiff_t>(position_)))) {
        position_ += bytes.size();   // the bytes already there: no change, no copy kept, no file replaced
        return;
    }
    if (!staged_->announced) {
        if (changes_)
            changes_->observer().beforeChange(path_);
        staged_->announced = true;
    }
    if (!within)
        content.resize(static_cast<std::size_t>(position_ + bytes.size()));   // a gap reads as zeros, as in a file
    std::copy(bytes.begin(), bytes.end(), content.begin() + static_cast<std::ptrdiff_t>(position_));
    position_ += bytes.size();
    staged_->dirty = true;
    changed_ = true;
}

void GameFile::write(std::string_view bytes)
{
    write(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

void GameFile::writeByte(std::uint8_t value)
{
    write(std::span<const std::uint8_t>(&value, 1));
}

void GameFile::writeInt16(std::int16_t value)
{
    const auto u = static_cast<std::uint16_t>(value);
    const std::uint8_t b[2] = {static_cast<std::uint8_t>(u & 0xFF), static_cast<std::uint8_t>(u >> 8)};
    write(std::span<const std::uint8_t>(b));
}

Bytes readWholeFile(const fs::path& path, const HeldFiles* held)
{
    GameFile file(path, GameFile::Access::ReadOnly, held);
    return file.read(static_cast<std::size_t>(file.size()));
}

Bytes readFileStart(const fs::path& path, std::size_t most)
{
    GameFile file(path, GameFile::Access::ReadOnly);
    return file.read(static_cast<std::size_t>(std::min<std::uint64_t>(file.size(), most)));
}

bool isTaken(const fs::path& path)
{
    std::error_code error;
    return fs::exists(fs::symlink_status(path, error));
}

std::uint64_t fileSize(const fs::path& path)
{
    os::Status info;
    if (!os::status(path, info))
        throw FileError::fromErrno(errno, path);
    if (!info.regular)
        throw info.folder ? FileError::accessDenied().naming(path) : FileError::notRegular().naming(path);
    return info.size;
}

namespace {

std::string temporaryPrefix(const fs::path& target)
{
    return "." + os::textOf(target.filename()) + ".";
}

// A temporary file of a whole-file write: ".NAME.123.tmp", of the target NAME when one is given.
bool isTemporaryName(const std::string& name, const std::string& prefix = ".")
{
    if (name.size() <= prefix.size() + 4 || name.compare(0, prefix.size(), prefix) != 0 || !name.ends_with(".tmp"))
        return false;
    const auto rest = std::string_view(name).substr(prefix.size(), name.size() - prefix.size() - 4);
    const auto dot = prefix == "." ? rest.rfind('.') : std::string_view::npos;
    const auto number = dot == std::string_view::npos ? rest : rest.substr(dot + 1);
    return (prefix != "." || (dot != std::string_view::npos && dot > 0)) && !number.empty()
           && number.find_first_not_of("0123456789") == std::string_view::npos;
}

// Temporary files of this target that a write killed half-way left behind, older than a minute,
// so that a write in progress elsewhere is left alone.
void removeStaleTemporaries(const fs::path& folder, const fs::path& target)
{
    const auto prefix = temporaryPrefix(target);
    const auto old = fs::file_time_type::clock::now() - std::chrono::minutes(1);
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code ignored;
        if (isTemporaryName(os::textOf(it->path().filename()), prefix) && it->is_regular_file(ignored) &&
            it->last_write_time(ignored) < old)
            fs::remove(it->path(), ignored);
    }
}

} // namespace

void removeLeftTemporaries(const fs::path& folder)
{
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code ignored;
        if (isTemporaryName(os::textOf(it->path().filename())) && it->is_regular_file(ignored))
            fs::remove(it->path(), ignored);
    }
}

namespace {

// The folder path lies in ("." for a bare name).
fs::path folderOf(const fs::path& path)
{
    return path.has_parent_path() ? path.parent_path() : fs::path(".");
}

// Creates a fresh temporary file beside target; returns its path and open descriptor.
std::pair<fs::path, int> createTemporaryBeside(const fs::path& folder, const fs::path& target)
{
    thread_local std::mt19937_64 random{std::random_device{}()};   // writers may run side by side
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = folder / (temporaryPrefix(target) + std::to_string(random() % 1000000) + ".tmp");
        const int fd = os::open(candidate, os::Open::CreateNew);
        if (fd >= 0)
            return {candidate, fd};
        if (errno == ENOENT && !fs::is_directory(folder))   // not a missing file: a missing folder
            throw FileError("No folder " + os::textOf(folder) + " for " + os::textOf(target));
        if (errno != EEXIST)
            throw FileError::fromErrno(errno, target);
    }
    throw FileError::io(EEXIST).naming(target);
}

// Gives up a temporary file: closed, removed, and the error named after the target.
[[noreturn]] void abandon(int fd, const fs::path& temporary, const fs::path& target, int code)
{
    os::close(fd);
    std::error_code ignored;
    fs::remove(temporary, ignored);
    throw FileError::fromErrno(code, target);
}

// The file that a change of path changes: the file a symbolic link points to, else path.
fs::path followLinks(const fs::path& path)
{
    std::error_code error;
    if (!fs::is_symlink(fs::symlink_status(path, error)))
        return path;
    auto target = fs::canonical(path, error);
    return error ? path : target;
}

struct Replacing {
    fs::path target;      // where the new file goes (a link followed)
    fs::path temporary;
    int fd;
};

// A temporary file beside path (beside the file it links to), ready to take the new content: a
// read-only target refused, the permissions of a replaced file kept, stale temporaries of
// earlier killed writes removed, and the operation told first unless it was already.
Replacing startReplacing(const fs::path& path, Durability durability, FileChanges* changes, bool announce = true)
{
    ignoreFileSizeSignal();
    const auto target = followLinks(path);
    const auto folder = folderOf(target);
    os::Status existing;
    const bool replaces = os::status(target, existing) && existing.regular;
    if (replaces && os::isReadOnly(target, existing))
        throw FileError::accessDenied().naming(path);
    if (changes && announce) {
        changes->observer().beforeChange(path);
        changes->replacedWhole(path);
    }
    // Conversions leave it out: a scan of the whole folder for every target would make
    // converting many files into one folder quadratic.
    if (durability == Durability::Flushed)
        removeStaleTemporaries(folder, target);
    auto [temporary, fd] = createTemporaryBeside(folder, target);
    if (replaces)
        os::copyPermissions(fd, existing);
    return {target, temporary, fd};
}

void writeAll(int fd, const fs::path& temporary, const fs::path& path, std::span<const std::uint8_t> bytes)
{
    for (std::size_t done = 0; done < bytes.size();) {
        stopAtWriteWhenAsked();
        const auto put = os::write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno != EINTR)
            abandon(fd, temporary, path, errno);
        done += put > 0 ? static_cast<std::size_t>(put) : 0;
    }
}

// Puts temporary in the place of an existing path by swapping the two names, then removes the
// old file, now under the temporary name. Atomic like a rename, but ext4 writes the new data
// out at once when a rename replaces a file; the swap leaves it to the page cache, which is
// what Durability::Cached asks for. False, with nothing changed, where swapping is not
// available (no such file to replace, another system or file system): the caller renames.
bool exchangeInto(const fs::path& temporary, const fs::path& path)
{
    if (!os::exchange(temporary, path))
        return false;
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return true;
}

// Flushes (when asked), closes and renames the finished temporary file over target (path, or
// the file it links to), telling the operation before and after.
void finishReplacing(int fd, const fs::path& temporary, const fs::path& path, const fs::path& target,
                     Durability durability, FileChanges* changes)
{
    if (durability == Durability::Flushed && !os::flush(fd))
        abandon(fd, temporary, path, errno);
    os::close(fd);
    if (changes)
        try {
            changes->observer().replacing(path, temporary);
        } catch (...) {
            std::error_code ignored;
            fs::remove(temporary, ignored);
            throw;
        }
    if (durability == Durability::Cached && exchangeInto(temporary, target)) {
        if (changes)
            changes->observer().replaced(path);
        return;
    }
    stopAtWriteWhenAsked();
    if (!os::replace(temporary, target)) {
        const int code = errno;
        std::error_code ignored;
        fs::remove(temporary, ignored);
        throw FileError::fromErrno(code, path);
    }
    // The file is replaced; a folder that cannot be flushed (some file systems) changes nothing.
    if (durability == Durability::Flushed)
        os::flushFolder(folderOf(target));
    if (changes)
        changes->observer().replaced(path);
}

void putStaged(StagedFile& file, FileChanges* changes)
{
    if (!file.dirty)
        return;
    const auto [target, temporary, fd] = startReplacing(file.path, Durability::Flushed, changes, false);
    writeAll(fd, temporary, file.path, file.bytes);
    finishReplacing(fd, temporary, file.path, target, Durability::Flushed, changes);
    file.dirty = false;
}

} // namespace

void writeFileAtomically(const fs::path& path, std::string_view text, Durability durability)
{
    writeFileAtomically(path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), durability);
}

namespace {

// A scratch game's files are never flushed: none of them is read after a crash.
Durability durabilityIn(const FileChanges* changes, Durability asked)
{
    return changes && !changes->observer().durable() ? Durability::Cached : asked;
}

} // namespace

void writeFileAtomically(const fs::path& path, std::span<const std::uint8_t> bytes, Durability asked)
{
    auto* changes = FileChanges::of(path);
    const auto durability = durabilityIn(changes, asked);
    const auto [target, temporary, fd] = startReplacing(path, durability, changes);
    writeAll(fd, temporary, path, bytes);
    finishReplacing(fd, temporary, path, target, durability, changes);
}

void writeFilesAtomically(std::span<const NewContent> files, std::size_t& replaced)
{
    struct Written {
        const NewContent* file;
        FileChanges* changes;
        fs::path target, temporary;
    };
    std::vector<Written> written;
    const auto removeTemporaries = [&](std::size_t from) {
        std::error_code ignored;
        for (auto i = from; i < written.size(); ++i)
            fs::remove(written[i].temporary, ignored);
    };
    replaced = 0;
    try {
        for (const auto& file : files) {
            auto* changes = FileChanges::of(file.path);
            const auto [target, temporary, fd] = startReplacing(file.path, Durability::Flushed, changes);
            writeAll(fd, temporary, file.path, file.bytes);   // a failure closes and removes it
            if (!os::flush(fd))
                abandon(fd, temporary, file.path, errno);
            os::close(fd);
            written.push_back({&file, changes, target, temporary});
        }
        // One journal entry for all the files of an operation, before any of them is replaced.
        std::map<FileChanges*, std::vector<std::pair<fs::path, fs::path>>> told;
        for (const auto& w : written)
            if (w.changes)
                told[w.changes].emplace_back(w.file->path, w.temporary);
        for (const auto& [changes, list] : told)
            changes->observer().replacingAll(list);
    } catch (...) {
        removeTemporaries(0);
        throw;
    }
    std::set<fs::path> folders;
    for (const auto& w : written) {
        stopAtWriteWhenAsked();
        if (!os::replace(w.temporary, w.target)) {
            const int code = errno;
            removeTemporaries(replaced);
            throw FileError::fromErrno(code, w.file->path);
        }
        ++replaced;
        folders.insert(folderOf(w.target));
    }
    for (const auto& folder : folders)
        os::flushFolder(folder);
    for (const auto& w : written)
        if (w.changes)
            w.changes->observer().replaced(w.file->path);
}

void announceFileChange(const fs::path& path)
{
    if (auto* changes = FileChanges::of(path))
        changes->observer().beforeChange(path);
}

void announceReplacing(const fs::path& path, const fs::path& incoming)
{
    if (auto* changes = FileChanges::of(path)) {
        changes->observer().beforeChange(path);
        changes->replacedWhole(path);
        changes->observer().replacing(path, incoming);
    }
}

void announceReplaced(const fs::path& path)
{
    if (auto* changes = FileChanges::of(path))
        changes->observer().replaced(path);
}

GameParts gamePartsChangedBy(const fs::path& path)
{
    const auto* changes = FileChanges::of(path);
    return changes ? gamePartsIn(path, changes->gameFolder()) : GameParts{};
}

void removeFile(const fs::path& path)
{
    announceReplacing(path, {});
    stopAtWriteWhenAsked();
    std::error_code error;
    if (!fs::remove(path, error) && error)
        throw FileError::fromErrno(error.value(), path);
    announceReplaced(path);
}

void appendDurably(const fs::path& path, std::string_view text)
{
    const int fd = os::open(path, os::Open::Keep);
    if (fd < 0)
        throw FileError::fromErrno(errno, path);
    os::Status info;
    if (!os::status(fd, info) || !os::seek(fd, info.size))
        abandon(fd, {}, path, errno);
    for (std::size_t done = 0; done < text.size();) {
        stopAtWriteWhenAsked();
        const auto put = os::write(fd, text.data() + done, text.size() - done);
        if (put < 0 && errno != EINTR)
            abandon(fd, {}, path, errno);
        done += put > 0 ? static_cast<std::size_t>(put) : 0;
    }
    if (!os::flush(fd))
        abandon(fd, {}, path, errno);
    os::close(fd);
}

void copyFileAtomically(const fs::path& source, const fs::path& target)
{
    // Streamed in blocks with constant memory: a mod archive may be larger than the memory.
    GameFile from(source, GameFile::Access::ReadOnly);
    auto remaining = from.size();
    auto* changes = FileChanges::of(target);
    const auto durability = durabilityIn(changes, Durability::Flushed);
    const auto [file, temporary, fd] = startReplacing(target, durability, changes);
    Bytes block(static_cast<std::size_t>(std::min<std::uint64_t>(remaining, std::uint64_t{1} << 20)));
    while (remaining > 0) {
        const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(remaining, block.size()));
        try {
            from.read(std::span<std::uint8_t>(block.data(), count));
        } catch (const FileError&) {
            os::close(fd);
            std::error_code ignored;
            fs::remove(temporary, ignored);
            throw;
        }
        writeAll(fd, temporary, target, std::span<const std::uint8_t>(block.data(), count));
        remaining -= count;
    }
    finishReplacing(fd, temporary, target, file, durability, changes);
}

} // namespace quorvex
