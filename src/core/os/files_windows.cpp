#include "core/os/files.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <random>
#include <string>
#include <windows.h>
#include <shellapi.h>

namespace fs = std::filesystem;

namespace quorvex::os {

namespace {

// The errno value that FileError::fromErrno turns into the message the game tools showed.
int errnoOf(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_PATHNAME:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
        return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    default:
        return EIO;
    }
}

bool failed()
{
    errno = errnoOf(::GetLastError());
    return false;
}

HANDLE handleOf(Descriptor file)
{
    return reinterpret_cast<HANDLE>(::_get_osfhandle(file));
}

} // namespace

Descriptor open(const fs::path& path, Open mode)
{
    // Windows says only that such a name is invalid.
    for (const auto& part : path)
        if (part.native().size() > 255) {
            errno = ENAMETOOLONG;
            return -1;
        }
    // Shared for deleting as well, so that another writer may still replace the file by a
    // rename while it is open here, as on POSIX systems.
    const DWORD access = mode == Open::Read ? GENERIC_READ : mode == Open::CreateNew ? GENERIC_WRITE
                                                                                    : GENERIC_READ | GENERIC_WRITE;
    const DWORD creation = mode == Open::CreateNew ? CREATE_NEW : mode == Open::Keep ? OPEN_ALWAYS : OPEN_EXISTING;
    const HANDLE handle = ::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, creation, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return failed(), -1;
    const int file = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle),
                                       _O_BINARY | (mode == Open::Read        ? _O_RDONLY
                                                    : mode == Open::CreateNew ? _O_WRONLY
                                                                              : _O_RDWR));
    if (file < 0) {
        ::CloseHandle(handle);
        errno = EMFILE;
    }
    return file;
}

void close(Descriptor file)
{
    ::_close(file);
}

std::ptrdiff_t read(Descriptor file, void* into, std::size_t count)
{
    return ::_read(file, into, static_cast<unsigned>(std::min<std::size_t>(count, 1u << 30)));
}

std::ptrdiff_t write(Descriptor file, const void* bytes, std::size_t count)
{
    return ::_write(file, bytes, static_cast<unsigned>(std::min<std::size_t>(count, 1u << 30)));
}

bool seek(Descriptor file, std::uint64_t offset)
{
    return ::_lseeki64(file, static_cast<__int64>(offset), SEEK_SET) >= 0;
}

bool flush(Descriptor file)
{
    return ::FlushFileBuffers(handleOf(file)) || failed();
}

bool resize(Descriptor file, std::uint64_t size)
{
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(size);
    const HANDLE handle = handleOf(file);
    LARGE_INTEGER was{};
    const LARGE_INTEGER here{};
    if (!::SetFilePointerEx(handle, here, &was, FILE_CURRENT) || !::SetFilePointerEx(handle, end, nullptr, FILE_BEGIN) ||
        !::SetEndOfFile(handle))
        return failed();
    return ::SetFilePointerEx(handle, was, nullptr, FILE_BEGIN) || failed();
}

bool flushFolder(const fs::path&)
{
    return true;   // MOVEFILE_WRITE_THROUGH: the replacing rename is on the disk when it returns
}

unsigned long processId()
{
    return ::GetCurrentProcessId();
}

bool lock(Descriptor file, Wait wait)
{
    OVERLAPPED whole{};
    const DWORD flags = LOCKFILE_EXCLUSIVE_LOCK | (wait == Wait::No ? LOCKFILE_FAIL_IMMEDIATELY : 0);
    return ::LockFileEx(handleOf(file), flags, 0, MAXDWORD, MAXDWORD, &whole) || failed();
}

namespace {

Status fromAttributes(DWORD attributes, DWORD sizeHigh, DWORD sizeLow, FILETIME written)
{
    const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const auto ticks = (static_cast<std::int64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
    return {!folder && (attributes & FILE_ATTRIBUTE_DEVICE) == 0, folder,
            (static_cast<std::uint64_t>(sizeHigh) << 32) | sizeLow,
            (attributes & FILE_ATTRIBUTE_READONLY) ? 0444u : 0644u, ticks * 100};
}

} // namespace

bool status(Descriptor file, Status& into)
{
    const HANDLE handle = handleOf(file);
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(handle) != FILE_TYPE_DISK) {   // a pipe or a console
        into = Status{};
        return true;
    }
    if (!::GetFileInformationByHandle(handle, &info))
        return failed();
    into = fromAttributes(info.dwFileAttributes, info.nFileSizeHigh, info.nFileSizeLow, info.ftLastWriteTime);
    into.identity = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}

bool status(const fs::path& path, Status& into)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return failed();
    into = fromAttributes(data.dwFileAttributes, data.nFileSizeHigh, data.nFileSizeLow, data.ftLastWriteTime);
    return true;
}

bool isReadOnly(const fs::path&, const Status& status)
{
    return (status.permissions & 0222) == 0;
}

bool isWritable(const fs::path& path)
{
    return ::_waccess(path.c_str(), 2) == 0;
}

void copyPermissions(Descriptor, const Status&)
{
    // A replaced file is never read-only (that is refused), and a new file is not.
}

bool replace(const fs::path& from, const fs::path& to)
{
    return ::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) || failed();
}

bool exchange(const fs::path&, const fs::path&)
{
    return false;
}

fs::path makeUniqueFolder(const fs::path& prefix)
{
    thread_local std::mt19937_64 random{std::random_device{}()};
    constexpr char Letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::wstring ending;
        for (int i = 0; i < 6; ++i)
            ending += static_cast<wchar_t>(Letters[random() % (sizeof Letters - 1)]);
        fs::path candidate = prefix.native() + ending;
        if (::CreateDirectoryW(candidate.c_str(), nullptr))
            return candidate;
        if (::GetLastError() != ERROR_ALREADY_EXISTS)
            return failed(), fs::path();
    }
    errno = EEXIST;
    return {};
}

std::tm localTime(std::time_t moment)
{
    std::tm local{};
    ::localtime_s(&local, &moment);
    return local;
}

fs::path pathFromText(std::string_view utf8)
{
    return fs::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

std::string textOf(const fs::path& path)
{
    const auto utf8 = path.u8string();
    return std::string(reinterpret_cast<const char*>(utf8.data()), utf8.size());
}

std::vector<std::string> arguments(int argc, char** argv)
{
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!wide)
        return {argv, argv + argc};
    std::vector<std::string> all;
    for (int i = 0; i < count; ++i) {
        const int length = ::WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string text(static_cast<std::size_t>(length > 0 ? length - 1 : 0), '\0');
        ::WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, text.data(), length, nullptr, nullptr);
        all.push_back(std::move(text));
    }
    ::LocalFree(wide);
    return all;
}

void binaryStandardStreams()
{
    ::SetConsoleOutputCP(CP_UTF8);   // the program's texts are UTF-8
    std::fflush(stdout);
    std::fflush(stderr);
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
}

namespace {

// A console, not merely a character device: _isatty is true for NUL as well, which would
// make "< NUL" a user to ask.
bool isConsole(DWORD standardHandle)
{
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(standardHandle), &mode) != 0;
}

} // namespace

bool inputIsTerminal()
{
    return isConsole(STD_INPUT_HANDLE);
}

bool errorIsTerminal()
{
    return isConsole(STD_ERROR_HANDLE);
}

} // namespace quorvex::os
