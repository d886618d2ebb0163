#include "core/os/files.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace quorvex::os {

Descriptor open(const fs::path& path, Open mode)
{
    if (mode == Open::CreateNew)
        return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (mode == Open::Keep)
        return ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    // Without blocking: opening a named pipe would otherwise wait for a writer for ever.
    const int file = ::open(path.c_str(), (mode == Open::Update ? O_RDWR : O_RDONLY) | O_NONBLOCK);
    if (file >= 0)
        ::fcntl(file, F_SETFL, ::fcntl(file, F_GETFL) & ~O_NONBLOCK);
    return file;
}

void close(Descriptor file)
{
    ::close(file);
}

std::ptrdiff_t read(Descriptor file, void* into, std::size_t count)
{
    return ::read(file, into, count);
}

std::ptrdiff_t write(Descriptor file, const void* bytes, std::size_t count)
{
    return ::write(file, bytes, count);
}

bool seek(Descriptor file, std::uint64_t offset)
{
    return ::lseek(file, static_cast<off_t>(offset), SEEK_SET) >= 0;
}

bool flush(Descriptor file)
{
    return ::fsync(file) == 0;
}

bool flushFolder(const fs::path& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool flushed = ::fsync(fd) == 0;
    ::close(fd);
    return flushed;
}

bool resize(Descriptor file, std::uint64_t size)
{
    return ::ftruncate(file, static_cast<off_t>(size)) == 0;
}

unsigned long processId()
{
    return static_cast<unsigned long>(::getpid());
}

bool lock(Descriptor file, Wait wait)
{
    while (::flock(file, LOCK_EX | (wait == Wait::No ? LOCK_NB : 0)) != 0)
        if (errno != EINTR)
            return false;
    return true;
}

namespace {

Status fromStat(const struct stat& info)
{
    return {S_ISREG(info.st_mode), S_ISDIR(info.st_mode), static_cast<std::uint64_t>(info.st_size),
            static_cast<unsigned>(info.st_mode & 07777),
            static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec,
            static_cast<std::uint64_t>(info.st_ino)};
}

} // namespace

bool status(Descriptor file, Status& into)
{
    struct stat info {};
    if (::fstat(file, &info) != 0)
        return false;
    into = fromStat(info);
    return true;
}

bool status(const fs::path& path, Status& into)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return false;
    into = fromStat(info);
    return true;
}

bool isReadOnly(const fs::path& path, const Status& status)
{
    return (status.permissions & 0222) == 0 || ::access(path.c_str(), W_OK) != 0;
}

bool isWritable(const fs::path& path)
{
    return ::access(path.c_str(), W_OK) == 0;
}

void copyPermissions(Descriptor file, const Status& of)
{
    ::fchmod(file, of.permissions);
}

bool replace(const fs::path& from, const fs::path& to)
{
    return ::rename(from.c_str(), to.c_str()) == 0;
}

bool exchange(const fs::path& a, const fs::path& b)
{
#if defined(__linux__) && defined(RENAME_EXCHANGE)
    return ::renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE) == 0;
#else
    (void)a;
    (void)b;
    return false;
#endif
}

fs::path makeUniqueFolder(const fs::path& prefix)
{
    auto pattern = prefix.string() + "XXXXXX";
    if (!::mkdtemp(pattern.data()))
        return {};
    return pattern;
}

std::tm localTime(std::time_t moment)
{
    std::tm local{};
    ::localtime_r(&moment, &local);
    return local;
}

fs::path pathFromText(std::string_view utf8)
{
    return fs::path(std::string(utf8));
}

std::string textOf(const fs::path& path)
{
    return path.string();
}

std::vector<std::string> arguments(int argc, char** argv)
{
    return {argv, argv + argc};
}

void binaryStandardStreams() {}

bool inputIsTerminal()
{
    return ::isatty(STDIN_FILENO) != 0;
}

bool errorIsTerminal()
{
    return ::isatty(STDERR_FILENO) != 0;
}

} // namespace quorvex::os
