#pragma once
// Byte access to game files: opened for update (never truncated), absolute seeks, block reads
// and writes, closed by the destructor so an abandoned operation never leaves a file open.
// Patches are made on the file's bytes in memory and put in place as a whole new copy, so that
// a stop at any moment leaves the old file or the new one: at the end of the operation that
// changes the file's game (FileChanges below), or, outside one, when the GameFile is closed
// without an error passing through.
#include "core/base/game_parts.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <string_view>
#include <string>
#include <utility>
#include <vector>

namespace quorvex {

class FileError;
class HeldFiles;
struct Workspace;
using Bytes = std::vector<std::uint8_t>;

// What the operation in progress on a game learns of the changes of its files. The byte layer
// knows nothing above it: the store's operation implements this (keeping copies, journalling,
// recording the history step, counting the game's changes). Each call may refuse with a
// FileError, and then the change does not happen.
class FileChangeObserver {
public:
    virtual ~FileChangeObserver() = default;
    // True for the files whose changes belong to the operation (the game's kept files).
    virtual bool concerns(const std::filesystem::path& path) const = 0;
    // Before path first changes in any way (patched, replaced whole, removed).
    virtual void beforeChange(const std::filesystem::path& path) = 0;
    // Just before path is replaced by the finished file `incoming` (removed when it is empty).
    virtual void replacing(const std::filesystem::path& path, const std::filesystem::path& incoming) = 0;
    // The same for several files replaced together (path, incoming): each told, by default.
    virtual void replacingAll(std::span<const std::pair<std::filesystem::path, std::filesystem::path>> files)
    {
        for (const auto& [path, incoming] : files)
            replacing(path, incoming);
    }
    // path has its new content (or is gone).
    virtual void replaced(const std::filesystem::path& path) = 0;
    // False for a scratch game that is thrown away: its files need not reach the disk.
    virtual bool durable() const { return true; }
};

// A game file's bytes while an operation patches it.
struct StagedFile {
    std::filesystem::path path;   // as the operation named it
    Bytes bytes;
    bool dirty = false;
    bool announced = false;       // the observer was told before the first patch
};

// The files that one operation on one game changes: their staged patches and the observer that
// hears of every change. An operation registers one for its game folder for its lifetime, and
// every thread of the process that changes a file it concerns (convert-all's workers included)
// finds it by the file's path: no thread or installed global decides what is recorded.
class FileChanges {
public:
    FileChanges(const std::filesystem::path& gameFolder, FileChangeObserver& observer);
    ~FileChanges();
    FileChanges(const FileChanges&) = delete;
    FileChanges& operator=(const FileChanges&) = delete;

    // The open operation whose changes path belongs to (the latest opened, when a level outside
    // every game folder concerns several), or null.
    static FileChanges* of(const std::filesystem::path& path);
    // The open operation on the game in folder, or null.
    static FileChanges* forGame(const std::filesystem::path& folder);

    FileChangeObserver& observer() const { return observer_; }
    const std::filesystem::path& gameFolder() const { return gameFolder_; }

    // The staged bytes of path, read on first use by `load`.
    std::shared_ptr<StagedFile> staged(const std::filesystem::path& path, const std::function<Bytes()>& load);
    // The staged bytes of path when they are staged, else null.
    std::shared_ptr<StagedFile> stagedIfAny(const std::filesystem::path& path);
    // Forgets the staged bytes of a file that is being replaced whole: the later change wins.
    void replacedWhole(const std::filesystem::path& path);
    // Puts every patched file in place, each as a whole new copy.
    void commit();

private:
    std::shared_ptr<StagedFile> findLocked(const std::filesystem::path& path);

    std::filesystem::path gameFolder_;
    std::string folderKey_;
    FileChangeObserver& observer_;
    std::mutex mutex_;
    std::map<std::string, std::shared_ptr<StagedFile>> byName_;   // as named, and by the file itself
    std::map<std::string, std::shared_ptr<StagedFile>> byFile_;
};

// Tells the operation that path is about to change, without changing it yet (an unpacking
// keeps every file it will replace before its first): FileError when the change is refused.
void announceFileChange(const std::filesystem::path& path);
// Removes a file as a change like any other: announced, journalled, then removed.
void removeFile(const std::filesystem::path& path);
// For writers that put their own finished file `incoming` in path's place (an unpacking):
// told before the move (FileError: do not move) and after it.
void announceReplacing(const std::filesystem::path& path, const std::filesystem::path& incoming);
void announceReplaced(const std::filesystem::path& path);
// The parts of the game of the operation in progress that path holds (none outside one): what
// deleting, renaming, copying or unpacking over it changes.
GameParts gamePartsChangedBy(const std::filesystem::path& path);
// Appends text to a file and flushes it to the disk before returning (a journal).
void appendDurably(const std::filesystem::path& path, std::string_view text);

class GameFile {
public:
    // Opens an existing file for reading and writing. A file that cannot be written cannot be
    // read either, as with the game's own tools.
    enum class Access { Update, ReadOnly };
    // held: bytes of the file already held (the window's model), read or patched instead of
    // the disk's while they are the same version.
    explicit GameFile(const std::filesystem::path& path, Access access = Access::Update, const HeldFiles* held = nullptr);
    // A file of workspace's game, from the bytes its window holds.
    GameFile(const Workspace& workspace, const std::filesystem::path& path, Access access = Access::Update);
    // Puts the patched file in place (outside an operation); throws FileError when it cannot.
    ~GameFile() noexcept(false);
    GameFile(const GameFile&) = delete;
    GameFile& operator=(const GameFile&) = delete;

    std::uint64_t size() const;
    // A file too short for a block that ends at end is refused ("Read beyond end of file")
    // before anything is written, rather than grown.
    void requireSize(std::uint64_t end) const;
    void seek(std::uint64_t offset);
    std::uint64_t position() const { return position_; }

    void read(std::span<std::uint8_t> into);
    Bytes read(std::size_t count);
    std::int16_t readInt16();

    void write(std::span<const std::uint8_t> bytes);
    void write(std::string_view bytes);
    void writeByte(std::uint8_t value);
    void writeInt16(std::int16_t value);

    // True once a write through this file changed a byte: a write of the bytes already there
    // changes nothing, so an edit that sets the values the file holds leaves it untouched.
    bool changed() const { return changed_; }

    // Convenience: seek then read/write.
    Bytes readAt(std::uint64_t offset, std::size_t count) { seek(offset); return read(count); }
    void writeAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) { seek(offset); write(bytes); }

private:
    FileError failure(int code) const;
    const Bytes* inMemory() const;   // staged or held; null: read from the open file
    void readFully(std::span<std::uint8_t> into);   // from the open file

    std::filesystem::path path_;
    int fd_ = -1;                          // a file read in place (read-only, not patched by this operation)
    std::shared_ptr<StagedFile> staged_;   // the bytes of a file opened for update
    std::shared_ptr<const Bytes> held_;    // the bytes of a file read as held
    FileChanges* changes_ = nullptr;       // the operation the file's changes belong to
    bool ownsStaged_ = false;              // no operation holds them: this file puts them in place
    bool changed_ = false;                 // a write through it changed a byte
    int uncaught_ = 0;                     // exceptions in flight when opened: a new one abandons the patches
    std::uint64_t position_ = 0;
};

// Under a file-size limit a write fails with "Disk full" instead of the kernel killing the
// process half-way (SIGXFSZ ignored). The core's writers call it; the programs call it at start.
void ignoreFileSizeSignal();

// Whole-file helpers for files the user exchanges (mods, bitmaps, palettes). Only regular files
// are read: a pipe or a device is refused ("Not a regular file") instead of blocking.
Bytes readWholeFile(const std::filesystem::path& path, const HeldFiles* held = nullptr);
// The first `most` bytes of a file, or all of it when shorter: for readers whose format has an
// upper size, whatever the size of the file they are handed.
Bytes readFileStart(const std::filesystem::path& path, std::size_t most);
std::uint64_t fileSize(const std::filesystem::path& path);
// True when anything stands at path, a link that leads nowhere included: a name that is taken.
bool isTaken(const std::filesystem::path& path);

// Writes a complete file: a temporary file in the same folder, flushed, then renamed over the
// target, so that a failure never leaves a half-written or lost file behind. A target that is a
// symbolic link is replaced where it points (the new copy made beside that file), as QSaveFile
// does, so a linked game file stays linked. A read-only target
// is refused ("File access denied"); a replaced file keeps its permissions. Temporary files
// that an earlier, killed write left beside the target are removed. Cached leaves out the
// flush to the disk (still whole or not at all for the program): for files made from others
// that stay, such as conversions, which then cost what a copy costs.
enum class Durability { Flushed, Cached };
void writeFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                         Durability durability = Durability::Flushed);
// The same for a text, its bytes as they are.
void writeFileAtomically(const std::filesystem::path& path, std::string_view text,
                         Durability durability = Durability::Flushed);
// Removes every temporary file that a killed whole-file write left in folder, whatever its age:
// for a caller that holds the lock of everything written there (the game's lock).
void removeLeftTemporaries(const std::filesystem::path& folder);
// Replaces target with a copy of source in one step (same guarantee as above), streamed with
// constant memory.
void copyFileAtomically(const std::filesystem::path& source, const std::filesystem::path& target);
// Replaces several files together, each with the same guarantee: every new file is written and
// flushed beside its target first, the operations are told of them at once, then each is
// renamed and each folder flushed once. A failure before the first rename leaves every file as
// it was; after it, `replaced` counts the files (in order) that have their new content.
struct NewContent {
    std::filesystem::path path;
    std::span<const std::uint8_t> bytes;
};
void writeFilesAtomically(std::span<const NewContent> files, std::size_t& replaced);

} // namespace quorvex
