#pragma once
// Byte access to game files: opened for update (never truncated), absolute seeks, block reads
// and writes, closed by the destructor so an abandoned operation never leaves a file open.
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace quorvex {

using Bytes = std::vector<std::uint8_t>;

class GameFile {
public:
    // Opens an existing file for reading and writing. A file that cannot be written cannot be
    // read either, as with the game's own tools.
    enum class Access { Update, ReadOnly };
    explicit GameFile(const std::filesystem::path& path, Access access = Access::Update);
    ~GameFile();
    GameFile(const GameFile&) = delete;
    GameFile& operator=(const GameFile&) = delete;

    std::uint64_t size() const;
    void seek(std::uint64_t offset);
    std::uint64_t position() const { return position_; }

    void read(std::span<std::uint8_t> into);
    Bytes read(std::size_t count);
    std::uint8_t readByte();
    std::int16_t readInt16();
    std::uint32_t readUInt32();

    void write(std::span<const std::uint8_t> bytes);
    void write(std::string_view bytes);
    void writeByte(std::uint8_t value);
    void writeInt16(std::int16_t value);

    // Convenience: seek then read/write.
    Bytes readAt(std::uint64_t offset, std::size_t count) { seek(offset); return read(count); }
    void writeAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) { seek(offset); write(bytes); }

private:
    int fd_ = -1;
    std::uint64_t position_ = 0;
    std::filesystem::path path_;
    bool written_ = false;   // the first write asks the backup keeper first
};

// Whole-file helpers for files the user exchanges (mods, bitmaps, palettes).
Bytes readWholeFile(const std::filesystem::path& path);
std::uint64_t fileSize(const std::filesystem::path& path);

// Writes a complete file: a temporary file in the same folder, flushed, then renamed over the
// target, so that a failure never leaves a half-written or lost file behind.
void writeFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);
// Replaces target with a copy of source in one step (same guarantee as above).
void copyFileAtomically(const std::filesystem::path& source, const std::filesystem::path& target);
// Puts a finished file in place of target in one step (a rename within one file system), for
// writers that stage their files themselves. Like the two above it asks the backup keeper first.
void moveFileOver(const std::filesystem::path& finished, const std::filesystem::path& target);

} // namespace quorvex
