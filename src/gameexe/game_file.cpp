#include "gameexe/game_file.h"
#include "gameexe/backups.h"
#include "gameexe/errors.h"
#include "platform/files.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <random>
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

GameFile::GameFile(const fs::path& path, Access access) : path_(path)
{
    if (path.empty())
        throw FileError::notFound();
    ignoreFileSizeSignal();
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
}

FileError GameFile::failure(int code) const
{
    return FileError::fromErrno(code, path_);
}

GameFile::~GameFile()
{
    if (fd_ >= 0)
        os::close(fd_);
}

std::uint64_t GameFile::size() const
{
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
    if (!os::seek(fd_, offset))
        throw failure(errno);
    position_ = offset;
}

void GameFile::read(std::span<std::uint8_t> into)
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
        position_ += static_cast<std::uint64_t>(got);
    }
}

Bytes GameFile::read(std::size_t count)
{
    Bytes bytes(count);
    read(std::span<std::uint8_t>(bytes));
    return bytes;
}

std::uint8_t GameFile::readByte()
{
    std::uint8_t value = 0;
    read(std::span<std::uint8_t>(&value, 1));
    return value;
}

std::int16_t GameFile::readInt16()
{
    std::uint8_t b[2];
    read(std::span<std::uint8_t>(b));
    return static_cast<std::int16_t>(b[0] | (b[1] << 8));
}

std::uint32_t GameFile::readUInt32()
{
    std::uint8_t b[4];
    read(std::span<std::uint8_t>(b));
    return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

void GameFile::write(std::span<const std::uint8_t> bytes)
{
    if (!written_ && !bytes.empty()) {
        beforeFileChange(path_);
        written_ = true;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const auto put = os::write(fd_, bytes.data() + done, bytes.size() - done);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            throw failure(errno);
        }
        done += static_cast<std::size_t>(put);
        position_ += static_cast<std::uint64_t>(put);
    }
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

Bytes readWholeFile(const fs::path& path)
{
    GameFile file(path, GameFile::Access::ReadOnly);
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
    return "." + target.filename().string() + ".";
}

// Temporary files of this target that a write killed half-way left behind (".NAME.123.tmp",
// older than a minute, so that a write in progress elsewhere is left alone).
void removeStaleTemporaries(const fs::path& folder, const fs::path& target)
{
    const auto prefix = temporaryPrefix(target);
    const auto old = fs::file_time_type::clock::now() - std::chrono::minutes(1);
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const auto name = it->path().filename().string();
        if (name.size() <= prefix.size() + 4 || name.compare(0, prefix.size(), prefix) != 0 ||
            !name.ends_with(".tmp"))
            continue;
        const auto number = std::string_view(name).substr(prefix.size(), name.size() - prefix.size() - 4);
        std::error_code ignored;
        if (number.find_first_not_of("0123456789") == std::string_view::npos && it->is_regular_file(ignored) &&
            it->last_write_time(ignored) < old)
            fs::remove(it->path(), ignored);
    }
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

// A temporary file beside path, ready to take the new content: a read-only target refused, the
// permissions of a replaced file kept, stale temporaries of earlier killed writes removed.
std::pair<fs::path, int> startReplacing(const fs::path& path, Durability durability)
{
    ignoreFileSizeSignal();
    const auto folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    os::Status existing;
    const bool replaces = os::status(path, existing) && existing.regular;
    if (replaces && os::isReadOnly(path, existing))
        throw FileError::accessDenied().naming(path);
    beforeFileChange(path);
    // Conversions leave it out: a scan of the whole folder for every target would make
    // converting many files into one folder quadratic.
    if (durability == Durability::Flushed)
        removeStaleTemporaries(folder, path);
    auto started = createTemporaryBeside(folder, path);
    if (replaces)
        os::copyPermissions(started.second, existing);
    return started;
}

void writeAll(int fd, const fs::path& temporary, const fs::path& path, std::span<const std::uint8_t> bytes)
{
    for (std::size_t done = 0; done < bytes.size();) {
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

// Flushes (when asked), closes and renames the finished temporary file over path.
void finishReplacing(int fd, const fs::path& temporary, const fs::path& path, Durability durability)
{
    if (durability == Durability::Flushed && !os::flush(fd))
        abandon(fd, temporary, path, errno);
    os::close(fd);
    if (durability == Durability::Cached && exchangeInto(temporary, path))
        return;
    if (!os::replace(temporary, path)) {
        const int code = errno;
        std::error_code ignored;
        fs::remove(temporary, ignored);
        throw FileError::fromErrno(code, path);
    }
}

} // namespace

void writeFileAtomically(const fs::path& path, std::span<const std::uint8_t> bytes, Durability durability)
{
    auto [temporary, fd] = startReplacing(path, durability);
    writeAll(fd, temporary, path, bytes);
    finishReplacing(fd, temporary, path, durability);
}

void copyFileAtomically(const fs::path& source, const fs::path& target)
{
    // Streamed in blocks with constant memory: a mod archive may be larger than the memory.
    GameFile from(source, GameFile::Access::ReadOnly);
    auto remaining = from.size();
    auto [temporary, fd] = startReplacing(target, Durability::Flushed);
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
    finishReplacing(fd, temporary, target, Durability::Flushed);
}

} // namespace quorvex
