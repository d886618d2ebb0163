#pragma once
// The versions of a game's files that Quorvex keeps (backups, history steps), each once, in a
// folder of entries named by the SHA-256 of their content: the same bytes kept by ten steps take
// their room once. An entry is written whole or not at all (a temporary file renamed); the
// callers hold the game's lock, so two processes never drop an entry that the other still needs.
// Reading checks the content against the name: a damaged or missing entry is reported by the
// name of the game file it was kept for, never put back.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace quorvex {

using Bytes = std::vector<std::uint8_t>;

class VersionStore {
public:
    explicit VersionStore(std::filesystem::path folder) : folder_(std::move(folder)) {}

    // Keeps bytes (when not kept yet) and returns their version, the name of their entry. With
    // a base (a version of the same file) a version that differs from it in a few places is kept
    // as those places only; baseBytes, when given, are the base's bytes, which spares hashing
    // the kept base again to check it. Throws FileError when the entry can not be written.
    std::string put(std::span<const std::uint8_t> bytes, const std::string& base = {},
                    const std::vector<std::uint8_t>* baseBytes = nullptr) const;
    // The same, always as a whole entry at entry(version), which a backup hands out as its copy.
    std::string putWhole(std::span<const std::uint8_t> bytes) const;
    // The largest version kept of any file.
    static constexpr std::uint64_t MostSize = std::uint64_t{512} << 20;

    // The bytes of a version of `file` (as the lists name it); FileError naming it when the entry
    // is missing or damaged, or is no version of such a file (by its size), or has not the size
    // a list gives it. A store that is a link is refused.
    Bytes get(const std::string& version, const std::string& file, std::optional<std::uint64_t> size = {}) const;
    // Where a whole version's entry lies (a version kept as differences has none of its own).
    std::filesystem::path entry(const std::string& version) const { return folder_ / version; }
    // Removes the entries of `dropped` that no version of `inUse` needs.
    void drop(const std::set<std::string>& dropped, const std::set<std::string>& inUse) const;
    // The total size of the entries, in bytes.
    std::uint64_t size() const;

    const std::filesystem::path& folder() const { return folder_; }

private:
    std::string baseOf(const std::string& version) const;

    std::filesystem::path folder_;
};

// The version of a file as it is now: the name its entry has or would have in a store; empty when
// the file does not exist.
std::string versionOf(const std::filesystem::path& path);

} // namespace quorvex
