#include "browser/archive.h"
#include "gameexe/backups.h"
#include "gameexe/errors.h"
#include "gameexe/game_file.h"

#include <zip.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <vector>

namespace fs = std::filesystem;

namespace quorvex {

namespace {

std::string zipErrorText(int code)
{
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string text = zip_error_strerror(&error);
    zip_error_fini(&error);
    return text;
}

struct ZipCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
using ZipHandle = std::unique_ptr<zip_t, ZipCloser>;

struct EntryCloser {
    void operator()(zip_file_t* entry) const { zip_fclose(entry); }
};

constexpr std::uint32_t UnixTypeMask = 0170000, UnixSymlink = 0120000;

bool isLinkEntry(zip_t* archive, zip_uint64_t index)
{
    zip_uint8_t system = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(archive, index, 0, &system, &attributes) != 0)
        return false;
    return system == ZIP_OPSYS_UNIX && ((attributes >> 16) & UnixTypeMask) == UnixSymlink;
}

// Component-wise containment; a prefix test would let /tmp/extractEvil pass for /tmp/extract.
bool isInside(const fs::path& root, const fs::path& candidate)
{
    auto r = root.begin(), c = candidate.begin();
    for (; r != root.end(); ++r, ++c) {
        if (r->empty() && std::next(r) == root.end())
            break;   // the trailing empty element of a root ending in "/"
        if (c == candidate.end() || *r != *c)
            return false;
    }
    return true;
}

// A unique hidden staging folder inside folder, so that the final moves are plain renames.
fs::path makeStagingFolder(const fs::path& folder)
{
    for (int attempt = 0;; ++attempt) {
        const auto staging = folder / (".quorvex-unzip-" + std::to_string(attempt));
        std::error_code error;
        if (fs::create_directory(staging, error))
            return staging;
        if (error || attempt > 1000)
            throw FileError::fromErrno(error ? error.value() : EEXIST);
    }
}

struct StagingFolder {
    fs::path path;
    ~StagingFolder()
    {
        std::error_code error;
        fs::remove_all(path, error);
    }
};

// Streams one entry into file; libzip checks the CRC when the end is read.
std::string extractEntry(zip_t* archive, zip_uint64_t index, const fs::path& file)
{
    std::unique_ptr<zip_file_t, EntryCloser> entry(zip_fopen_index(archive, index, 0));
    if (!entry)
        return zip_strerror(archive);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const auto got = zip_fread(entry.get(), buffer.data(), buffer.size());
        if (got < 0)
            return zip_file_strerror(entry.get());
        if (got == 0)
            break;
        out.write(buffer.data(), got);
        if (!out)
            return "could not write " + file.string();
    }
    out.close();
    return out ? std::string{} : "could not write " + file.string();
}

} // namespace

fs::path archiveFor(const fs::path& file, const fs::path& folder)
{
    return folder / (file.stem().string() + ".zip");
}

Outcome packFile(const fs::path& file, const fs::path& archive)
{
    const auto bytes = readWholeFile(file);
    int code = 0;
    // Without ZIP_TRUNCATE an existing archive keeps its entries; libzip writes the result to a
    // temporary file and renames it over the archive only when everything went well.
    ZipHandle zip(zip_open(archive.string().c_str(), ZIP_CREATE, &code));
    if (!zip)
        return Outcome::refused("Could not pack into " + inQuotes(archive) + ": " + zipErrorText(code) +
                                "; it was left as it was");
    zip_source_t* source = zip_source_buffer(zip.get(), bytes.data(), bytes.size(), 0);
    if (!source || zip_file_add(zip.get(), file.filename().string().c_str(), source,
                                ZIP_FL_OVERWRITE | ZIP_FL_ENC_GUESS) < 0) {
        if (source)
            zip_source_free(source);
        return Outcome::refused("Could not pack into " + inQuotes(archive) + ": " + zip_strerror(zip.get()));
    }
    if (zip_close(zip.get()) != 0)
        return Outcome::refused("Could not pack into " + inQuotes(archive) + ": " + zip_strerror(zip.get()));
    zip.release();
    return Outcome::done("Packed " + file.filename().string() + " into " + inQuotes(archive));
}

std::string entryNameProblem(const std::string& raw)
{
    auto name = raw;
    std::replace(name.begin(), name.end(), '\\', '/');
    if (name.empty())
        return "an entry has no name";
    if (name.front() == '/')
        return "the entry " + inQuotes(raw) + " has an absolute path";
    if (name.size() >= 2 && name[1] == ':')
        return "the entry " + inQuotes(raw) + " names a drive";
    for (const auto& part : fs::path(name))
        if (part == "..")
            return "the entry " + inQuotes(raw) + " climbs out of the folder";
    return {};
}

Outcome unpackArchive(const fs::path& archivePath, const fs::path& folder, const Asker& askOverwrite)
{
    const auto refuse = [&](const std::string& why) {
        return Outcome::refused("Not unpacked " + inQuotes(archivePath.filename()) + ": " + why + "; nothing was written");
    };
    int code = 0;
    ZipHandle zip(zip_open(archivePath.string().c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &code));
    if (!zip)
        return refuse(zipErrorText(code));
    std::error_code error;
    const auto root = fs::canonical(folder, error);
    if (error)
        return refuse("the folder " + inQuotes(folder) + " cannot be reached");

    struct Entry {
        zip_uint64_t index;
        fs::path target;
        bool folder;
    };
    std::vector<Entry> entries;
    const auto count = zip_get_num_entries(zip.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const auto index = static_cast<zip_uint64_t>(i);
        const char* rawName = zip_get_name(zip.get(), index, ZIP_FL_ENC_GUESS);
        if (!rawName)
            return refuse(zip_strerror(zip.get()));
        std::string name = rawName;
        if (auto problem = entryNameProblem(name); !problem.empty())
            return refuse(problem);
        if (isLinkEntry(zip.get(), index))
            return refuse("the entry " + inQuotes(name) + " is a link");
        std::replace(name.begin(), name.end(), '\\', '/');
        const bool isFolder = name.back() == '/';
        const auto target = (root / name).lexically_normal();
        // Also through links already in the folder: resolve what exists of the target's path.
        const auto resolved = fs::weakly_canonical(isFolder ? target : target.parent_path(), error);
        if (error || !isInside(root, target) || !isInside(root, resolved) || (target == root && !isFolder))
            return refuse("the entry " + inQuotes(name) + " would land outside " + inQuotes(folder));
        if (!isFolder && fs::is_directory(target, error))
            return refuse("the entry " + inQuotes(name) + " would replace a folder");
        for (auto above = isFolder ? target : target.parent_path(); above != root; above = above.parent_path())
            if (fs::exists(above, error) && !fs::is_directory(above, error))
                return refuse("the entry " + inQuotes(name) + " would need a folder where the file " +
                              inQuotes(above) + " is");
        entries.push_back({index, target, isFolder});
    }

    std::vector<bool> keep(entries.size(), true);
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (!entries[i].folder && fs::exists(fs::symlink_status(entries[i].target, error)))
            keep[i] = askOverwrite("File " + inQuotes(entries[i].target) + " exists. Overwrite it?");

    // Everything is unpacked into a staging folder first, so a damaged entry leaves no trace.
    StagingFolder staging{makeStagingFolder(root)};
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].folder || !keep[i])
            continue;
        if (auto problem = extractEntry(zip.get(), entries[i].index, staging.path / std::to_string(i)); !problem.empty())
            return refuse(problem);
    }
    // The files it replaces are kept first, all of them, so that a backup that fails stops the
    // unpacking before its first file.
    try {
        for (std::size_t i = 0; i < entries.size(); ++i)
            if (keep[i] && !entries[i].folder)
                beforeFileChange(entries[i].target);
    } catch (const FileError& failure) {
        return refuse(failure.what());
    }
    int unpacked = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!keep[i])
            continue;
        const auto& entry = entries[i];
        fs::create_directories(entry.folder ? entry.target : entry.target.parent_path(), error);
        if (error)
            return Outcome::refused("Could not create " + inQuotes(entry.target.parent_path()) + ": " + error.message());
        if (entry.folder)
            continue;
        try {
            moveFileOver(staging.path / std::to_string(i), entry.target);
        } catch (const FileError& failure) {
            return Outcome::refused("Could not write " + inQuotes(entry.target) + ": " + failure.what());
        }
        ++unpacked;
    }
    return Outcome::done("Unpacked " + std::to_string(unpacked) + " file(s) from " + inQuotes(archivePath.filename()));
}

} // namespace quorvex
