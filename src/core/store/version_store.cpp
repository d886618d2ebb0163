#include "core/store/version_store.h"
#include "core/base/errors.h"
#include "core/base/places.h"
#include "core/base/workspace.h"
#include "core/gamefile/game_file.h"
#include "core/store/data_list.h"
#include "core/text/sha256.h"

#include <algorithm>
#include <cstring>

namespace fs = std::filesystem;

namespace quorvex {

namespace {

// A version kept as its differences from a whole one: "<base version>\n", then for each run of
// changed bytes its offset and length (32 bits, little-endian) and the bytes.
constexpr const char* DiffSuffix = ".diff";
constexpr std::size_t RunGap = 16;   // unchanged bytes shorter than this join two runs

void putNumber(Bytes& out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::uint32_t takeNumber(const Bytes& in, std::size_t at)
{
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= std::uint32_t(in[at + i]) << (8 * i);
    return value;
}

Bytes differences(const std::string& base, std::span<const std::uint8_t> from, std::span<const std::uint8_t> to)
{
    Bytes out(base.begin(), base.end());
    out.push_back('\n');
    for (std::size_t i = 0; i < to.size();) {
        if (from[i] == to[i]) {
            ++i;
            continue;
        }
        std::size_t end = i + 1, same = 0;
        for (; end < to.size() && same < RunGap; ++end)
            same = from[end] == to[end] ? same + 1 : 0;
        end -= same;
        putNumber(out, static_cast<std::uint32_t>(i));
        putNumber(out, static_cast<std::uint32_t>(end - i));
        out.insert(out.end(), to.begin() + static_cast<std::ptrdiff_t>(i), to.begin() + static_cast<std::ptrdiff_t>(end));
        i = end;
    }
    return out;
}

// An entry's name means nothing to the user: the caller names the game file it was kept for.
void write(const fs::path& entry, std::span<const std::uint8_t> bytes)
{
    try {
        writeFileAtomically(entry, bytes);
    } catch (const FileError& error) {
        throw FileError(error.text());
    }
}

// What a version of a kept file can be, by the file's name: the sizes it may have (its content
// is anyone's: "changes revert" puts back any byte). A version of another file (a tampered list
// giving torlo.dat's version to TORLO.CHR) or an entry grown huge is refused by its size, before
// a byte of it is read.
struct Kind {
    std::uint64_t least, most;
};

Kind kindOf(const std::string& file)
{
    constexpr std::uint64_t MiB = 1 << 20;
    const auto name = fs::path(file).filename().string();
    const auto is = [&](const char* game) { return sameNameIgnoringCase(name, game); };
    if (is("torlo.exe"))
        return {places::GameTextsLast + 1, 16 * MiB};
    if (is("torlo.dat"))
        return {places::DatSize, 64 * 1024};
    if (is("TORLO.CHR"))
        return {places::ChrMinimumSize, 16 * MiB};
    if (sameNameIgnoringCase(fs::path(name).extension().string(), ".lev"))
        return {places::LevelSmallestSize, places::LevelLargestSize};
    return {0, VersionStore::MostSize};   // TORLO.SND and the store's own tests
}

} // namespace

std::string versionOf(const fs::path& path)
{
    std::error_code error;
    if (!fs::exists(fs::symlink_status(path, error)) || !fs::exists(path, error))
        return {};
    return sha256Hex(readWholeFile(path));
}

std::string VersionStore::put(std::span<const std::uint8_t> bytes, const std::string& base,
                              const std::vector<std::uint8_t>* baseBytes) const
{
    refuseLink(folder_);
    const auto version = sha256Hex(bytes);
    std::error_code error;
    if (fs::is_regular_file(entry(version), error) || fs::is_regular_file(folder_ / (version + DiffSuffix), error))
        return version;
    // Differences are taken from a whole version only, so that reading one needs one other.
    const auto whole = base.empty() ? base : baseOf(base);
    if (!whole.empty() && fs::file_size(entry(whole), error) == bytes.size() && !error) {
        const auto from = readWholeFile(entry(whole));
        // The entry must hold the base, or a difference from it could never be read back.
        if (baseBytes && whole == base ? from == *baseBytes : sha256Hex(from) == whole) {
            const auto diff = differences(whole, from, bytes);
            if (diff.size() < bytes.size() / 2) {
                write(folder_ / (version + DiffSuffix), diff);
                return version;
            }
        }
    }
    return putWhole(bytes);
}

std::string VersionStore::putWhole(std::span<const std::uint8_t> bytes) const
{
    refuseLink(folder_);
    const auto version = sha256Hex(bytes);
    std::error_code error;
    if (fs::is_regular_file(entry(version), error))
        return version;
    fs::create_directories(folder_, error);
    if (error)
        throw FileError::fromErrno(error.value());
    write(entry(version), bytes);
    return version;
}

std::string VersionStore::baseOf(const std::string& version) const
{
    std::error_code error;
    if (fs::is_regular_file(entry(version), error))
        return version;
    if (!fs::is_regular_file(folder_ / (version + DiffSuffix), error))
        return {};
    const auto start = readFileStart(folder_ / (version + DiffSuffix), 65);
    const std::string base(start.begin(), start.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(start.size(), 64)));
    return start.size() == 65 && start[64] == '\n' && isVersionName(base) ? base : std::string();
}

Bytes VersionStore::get(const std::string& version, const std::string& file, std::optional<std::uint64_t> size) const
{
    const auto damaged = [&] {
        return FileError("The kept version of " + file + " is missing or damaged (" + version.substr(0, 12) + ")");
    };
    if (!isVersionName(version))
        throw damaged();
    refuseLink(folder_);
    const auto kind = kindOf(file);
    // Sizes are checked before anything is read: an entry may have been replaced by anything.
    const auto fits = [&](const fs::path& entry) {
        std::error_code error;
        const auto bytes = fs::file_size(entry, error);
        return !error && bytes >= kind.least && bytes <= kind.most && (!size || bytes == *size);
    };
    std::error_code error;
    try {
        Bytes bytes;
        if (fs::is_regular_file(entry(version), error)) {
            if (!fits(entry(version)))
                throw damaged();
            bytes = readWholeFile(entry(version));
        } else {
            const auto differences = folder_ / (version + DiffSuffix);
            const auto base = baseOf(version);
            if (base.empty() || !fits(entry(base)) || fileSize(differences) > kind.most)
                throw damaged();
            const auto diff = readWholeFile(differences);
            bytes = readWholeFile(entry(base));
            for (std::size_t at = 65; at < diff.size();) {
                if (diff.size() - at < 8)
                    throw damaged();
                const auto offset = takeNumber(diff, at), length = takeNumber(diff, at + 4);
                at += 8;
                if (diff.size() - at < length || offset > bytes.size() || bytes.size() - offset < length)
                    throw damaged();
                std::memcpy(bytes.data() + offset, diff.data() + at, length);
                at += length;
            }
        }
        if (sha256Hex(bytes) != version)
            throw damaged();
        return bytes;
    } catch (const FileError&) {
        throw damaged();
    }
}

void VersionStore::drop(const std::set<std::string>& dropped, const std::set<std::string>& inUse) const
{
    std::error_code error;
    if (fs::is_symlink(fs::symlink_status(folder_, error)))
        return;   // never removes through a link (put and get refuse it)
    std::set<std::string> needed = inUse;
    for (const auto& version : inUse)
        if (const auto base = baseOf(version); !base.empty())
            needed.insert(base);
    for (const auto& version : dropped)
        if (isVersionName(version) && !needed.count(version)) {
            fs::remove(entry(version), error);
            fs::remove(folder_ / (version + DiffSuffix), error);
        }
}

std::uint64_t VersionStore::size() const
{
    std::uint64_t total = 0;
    std::error_code error;
    for (fs::directory_iterator it(folder_, error), end; !error && it != end; it.increment(error))
        if (it->is_regular_file(error))
            total += it->file_size(error);
    return total;
}

} // namespace quorvex
