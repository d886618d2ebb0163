#pragma once
// The few file and time calls that differ between POSIX systems and Windows, with the same
// meaning on both (files_posix.cpp, files_windows.cpp). Failures report an errno value, which
// FileError::fromErrno turns into the game tools' messages. The lowest layer: standard library
// and system headers only.
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace quorvex::os {

// An open file: a descriptor of the C library (on Windows its own, over a HANDLE).
using Descriptor = int;

enum class Open {
    Read,        // an existing file, for reading
    Update,      // an existing file, for reading and writing, never truncated
    CreateNew,   // a new file for writing; fails with EEXIST when the name is taken
    Keep,        // for reading and writing, created when missing, never truncated
};

// Opens path in binary mode, without waiting for a writer when it is a named pipe. Returns
// -1 with errno set on failure.
Descriptor open(const std::filesystem::path& path, Open mode);
void close(Descriptor file);
// As read(2) and write(2): the count done, or -1 with errno set (EINTR: call again).
std::ptrdiff_t read(Descriptor file, void* into, std::size_t count);
std::ptrdiff_t write(Descriptor file, const void* bytes, std::size_t count);
// False with errno set on failure.
bool seek(Descriptor file, std::uint64_t offset);
// Writes the file's data through to the disk.
bool flush(Descriptor file);
// Flushes a folder's entries to the disk, so that a rename in it outlives a power cut (on Windows
// the replacing rename writes through already).
bool flushFolder(const std::filesystem::path& folder);
// Cuts or extends the file to size bytes.
bool resize(Descriptor file, std::uint64_t size);
// Takes the advisory lock of the whole file for this open file (flock; LockFileEx), waiting
// for it or not; false with errno set when it is not taken.
enum class Wait { No, Yes };
bool lock(Descriptor file, Wait wait);
// This process's id, as the system shows it (ps, the task manager).
unsigned long processId();

struct Status {
    bool regular = false;
    bool folder = false;
    std::uint64_t size = 0;
    unsigned permissions = 0;   // POSIX mode bits; on Windows 0644, or 0444 when read-only
    // With the size, what tells one version of a file from the next: its last write in
    // nanoseconds and which file the name leads to (the inode; on Windows the file index, 0 by
    // a path), since a replaced file is a new one.
    std::int64_t modified = 0;
    std::uint64_t identity = 0;
};
bool status(Descriptor file, Status& into);
bool status(const std::filesystem::path& path, Status& into);

// No one may write it: read-only, also for a user whom permission bits do not stop.
bool isReadOnly(const std::filesystem::path& path, const Status& status);
// Whether this process may create files in folder (or write file).
bool isWritable(const std::filesystem::path& path);
// Gives a new file the permissions of the file it is to replace (POSIX only).
void copyPermissions(Descriptor file, const Status& of);

// Puts from in the place of to in one step, to's old file (if any) gone: rename(2); on Windows
// MoveFileExW with MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH. False with errno set.
bool replace(const std::filesystem::path& from, const std::filesystem::path& to);
// Swaps the names of two existing files in one step (Linux's renameat2); false where that is
// not available, with nothing changed.
bool exchange(const std::filesystem::path& a, const std::filesystem::path& b);

// A new folder "<prefix>XXXXXX" with a unique ending (mkdtemp). Empty with errno set on failure.
std::filesystem::path makeUniqueFolder(const std::filesystem::path& prefix);

// The local time of a moment (localtime_r; localtime_s on Windows).
std::tm localTime(std::time_t moment);

// Paths from and to the program's own texts, which are UTF-8 everywhere (arguments, settings,
// messages). On Windows libstdc++ reads and writes a path's narrow form in the C library's
// code page (byte for byte with msvcrt, whatever the manifest says), so a name with "ö" or "中"
// would be mangled or refused there; on POSIX systems these are path(text) and path.string().
std::filesystem::path pathFromText(std::string_view utf8);
std::string textOf(const std::filesystem::path& path);

// The program's arguments in UTF-8, the encoding of its own texts (on Windows from the wide
// command line: argv is in the ANSI code page there).
std::vector<std::string> arguments(int argc, char** argv);

// Standard output and error as bytes: no line feed turned into CR LF on Windows, so that what
// a program prints is the same everywhere.
void binaryStandardStreams();

// Whether standard input / standard error is a terminal.
bool inputIsTerminal();
bool errorIsTerminal();

} // namespace quorvex::os
