#include "gameexe/game_file.h"
#include "gameexe/backups.h"
#include "gameexe/errors.h"

#include <cerrno>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

#ifdef _WIN32
#include <io.h>
#define QV_BINARY O_BINARY
#else
#define QV_BINARY 0
#endif

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
    case EDQUOT:
        return diskFull();
    default:
        return io(code);
    }
}

GameFile::GameFile(const fs::path& path, Access access) : path_(path)
{
    if (path.empty())
        throw FileError::notFound();
    fd_ = ::open(path.c_str(), (access == Access::Update ? O_RDWR : O_RDONLY) | QV_BINARY);
    if (fd_ < 0)
        throw FileError::fromErrno(errno);
    struct stat info {};
    if (::fstat(fd_, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(fd_);
        throw FileError::accessDenied();
    }
}

GameFile::~GameFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

std::uint64_t GameFile::size() const
{
    struct stat info {};
    if (::fstat(fd_, &info) != 0)
        throw FileError::fromErrno(errno);
    return static_cast<std::uint64_t>(info.st_size);
}

void GameFile::seek(std::uint64_t offset)
{
    if (::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) < 0)
        throw FileError::fromErrno(errno);
    position_ = offset;
}

void GameFile::read(std::span<std::uint8_t> into)
{
    std::size_t done = 0;
    while (done < into.size()) {
        const auto got = ::read(fd_, into.data() + done, into.size() - done);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw FileError::fromErrno(errno);
        }
        if (got == 0)
            throw FileError::beyondEnd();
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
        const auto put = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            throw FileError::fromErrno(errno);
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

std::uint64_t fileSize(const fs::path& path)
{
    std::error_code error;
    const auto size = fs::file_size(path, error);
    if (error)
        throw FileError::fromErrno(error.value());
    return size;
}

namespace {

// Creates a fresh temporary file beside target; returns its path and open descriptor.
std::pair<fs::path, int> createTemporaryBeside(const fs::path& target)
{
    static std::mt19937_64 random{std::random_device{}()};
    const auto folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = folder / ("." + target.filename().string() + "." + std::to_string(random() % 1000000) + ".tmp");
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | QV_BINARY, 0644);
        if (fd >= 0)
            return {candidate, fd};
        if (errno != EEXIST)
            throw FileError::fromErrno(errno);
    }
    throw FileError::io(EEXIST);
}

void writeAll(int fd, const fs::path& temporary, std::span<const std::uint8_t> bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const auto put = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0) {
            const int code = errno;
            ::close(fd);
            fs::remove(temporary);
            throw FileError::fromErrno(code);
        }
        done += static_cast<std::size_t>(put);
    }
}

} // namespace

void writeFileAtomically(const fs::path& path, std::span<const std::uint8_t> bytes)
{
    beforeFileChange(path);
    auto [temporary, fd] = createTemporaryBeside(path);
    writeAll(fd, temporary, bytes);
#ifndef _WIN32
    if (::fsync(fd) != 0) {
        const int code = errno;
        ::close(fd);
        fs::remove(temporary);
        throw FileError::fromErrno(code);
    }
#endif
    ::close(fd);
    std::error_code error;
    fs::rename(temporary, path, error);
    if (error) {
        fs::remove(temporary);
        throw FileError::fromErrno(error.value());
    }
}

void moveFileOver(const fs::path& finished, const fs::path& target)
{
    beforeFileChange(target);
    std::error_code error;
    fs::rename(finished, target, error);
    if (error)
        throw FileError::fromErrno(error.value());
}

void copyFileAtomically(const fs::path& source, const fs::path& target)
{
    beforeFileChange(target);
    writeFileAtomically(target, readWholeFile(source));
}

} // namespace quorvex
