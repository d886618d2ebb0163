#include "core/browser/archive.h"
#include "core/codecs/codec_loader.h"
#include "core/base/errors.h"
#include "core/gamefile/game_file.h"
#include "core/os/files.h"
#include "core/platform/module_loader.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <vector>

namespace fs = std::filesystem;

namespace quorvex {

namespace {

using ZipHandle = std::unique_ptr<codecs::ZipArchive, void (*)(codecs::ZipArchive*)>;

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

constexpr std::string_view StagingPrefix = ".quorvex-unzip-";
constexpr std::size_t NameMax = 255;     // bytes in one name of a path
constexpr std::size_t PathMax = 4095;    // bytes in a whole path

// A hidden staging folder inside folder, created under a unique name (an archive's own entry
// cannot take it: every entry under the prefix is refused), so that the final moves are renames.
fs::path makeStagingFolder(const fs::path& folder)
{
    auto staging = os::makeUniqueFolder(folder / StagingPrefix);
    if (staging.empty())
        throw FileError::fromErrno(errno, folder);
    return staging;
}

struct StagingFolder {
    fs::path path;
    ~StagingFolder()
    {
        std::error_code error;
        fs::remove_all(path, error);
    }
};

// Streams one entry into file; libzip checks the CRC when the end is read. An entry that
// holds more than it declares is stopped there.
std::string extractEntry(const codecs::Table& codecs, codecs::ZipArchive* archive, std::uint64_t index,
                         const fs::path& file, std::uint64_t declared, const std::string& name)
{
    const std::unique_ptr<codecs::ZipEntry, void (*)(codecs::ZipEntry*)> entry(codecs.openZipEntry(archive, index),
                                                                               codecs.closeZipEntry);
    if (!entry)
        return codecs.zipError(archive);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    std::vector<char> buffer(1 << 16);
    for (std::uint64_t written = 0;;) {
        const auto got = codecs.readZipEntry(entry.get(), buffer.data(), buffer.size());
        if (got < 0)
            return codecs.lastError();
        if (got == 0)
            break;
        written += static_cast<std::uint64_t>(got);
        if (written > declared)
            return "the entry " + inQuotes(name) + " holds more than the " + std::to_string(declared) +
                   " bytes it declares";
        out.write(buffer.data(), got);
        if (!out)
            return "could not write " + os::textOf(file);
    }
    out.close();
    return out ? std::string{} : "could not write " + os::textOf(file);
}

// The name that an archive opened without the consistency check holds twice.
std::string nameHeldTwice(const codecs::Table& codecs, const fs::path& archivePath)
{
    bool ignored = false;
    const ZipHandle zip(codecs.openZip(os::textOf(archivePath).c_str(), false, ignored), codecs.closeZip);
    std::set<std::string> seen;
    for (std::int64_t i = 0; zip && i < codecs.zipEntryCount(zip.get()); ++i)
        if (const char* name = codecs.zipEntryName(zip.get(), static_cast<std::uint64_t>(i)); name && !seen.insert(name).second)
            return name;
    return {};
}

// The final step, all or nothing: every move is recorded and undone when a later one fails.
class Placement {
public:
    explicit Placement(const fs::path& staging) : staging_(staging) {}
    ~Placement()
    {
        if (!committed_)
            undo();
    }
    // Creates the folder and the missing folders above it.
    std::error_code makeFolder(const fs::path& folder)
    {
        std::error_code error;
        if (fs::is_directory(folder, error))
            return {};
        if (auto above = makeFolder(folder.parent_path()))
            return above;
        if (fs::create_directory(folder, error))
            created_.push_back(folder);
        return error;
    }
    // Moves a staged file to target. A file there that the user agreed to replace is kept
    // aside until the end; anything else there (a folder, a file that appeared since) stops it.
    std::error_code place(const fs::path& staged, const fs::path& target, bool mayReplace)
    {
        std::error_code error;
        const auto there = fs::symlink_status(target, error);
        if (fs::exists(there) && (!mayReplace || fs::is_directory(there)))
            return std::make_error_code(std::errc::file_exists);
        announceReplacing(target, staged);   // FileError: the operation refuses the change
        if (fs::exists(there)) {
            const auto aside = staging_ / ("replaced-" + std::to_string(replaced_.size()));
            fs::rename(target, aside, error);
            if (error)
                return error;
            replaced_.push_back({aside, target});
        }
        fs::rename(staged, target, error);
        if (!error) {
            placed_.push_back({staged, target});
            announceReplaced(target);
        }
        return error;
    }
    void commit() { committed_ = true; }

private:
    void undo()
    {
        std::error_code ignored;
        // The operation hears of the files going back as of any change.
        const auto tell = [](const fs::path& target, const fs::path& incoming) {
            try {
                announceReplacing(target, incoming);
            } catch (const FileError&) {
            }
        };
        for (auto it = placed_.rbegin(); it != placed_.rend(); ++it) {
            const auto aside = std::find_if(replaced_.begin(), replaced_.end(), [&](const auto& r) { return r.second == it->second; });
            tell(it->second, aside == replaced_.end() ? fs::path() : aside->first);
            fs::rename(it->second, it->first, ignored);
        }
        for (auto it = replaced_.rbegin(); it != replaced_.rend(); ++it)
            fs::rename(it->first, it->second, ignored);
        for (auto it = created_.rbegin(); it != created_.rend(); ++it)
            fs::remove(*it, ignored);   // only when empty
    }

    fs::path staging_;
    std::vector<std::pair<fs::path, fs::path>> placed_, replaced_;   // (from, to)
    std::vector<fs::path> created_;
    bool committed_ = false;
};

} // namespace

fs::path archiveFor(const fs::path& file, const fs::path& folder)
{
    return folder / (os::textOf(file.stem()) + ".zip");
}

Outcome packFile(const fs::path& file, const fs::path& archive)
{
    { GameFile readable(file, GameFile::Access::ReadOnly); }   // the file errors, before the archive is touched
    std::string error;
    auto added = codecs::ZipAdd::NotOpened;
    try {
        const auto& table = codecTable();
        added = table.addToZip(os::textOf(archive).c_str(), os::textOf(file).c_str(), os::textOf(file.filename()).c_str());
        if (added != codecs::ZipAdd::Added)
            error = table.lastError();
    } catch (const ModuleError& failure) {   // the codecs could not be loaded
        error = failure.what();
    }
    if (added != codecs::ZipAdd::Added)
        return Outcome::refused("Could not pack into " + inQuotes(archive) + ": " + error +
                                (added == codecs::ZipAdd::NotOpened ? "; it was left as it was" : ""));
    return Outcome::done("Packed " + os::textOf(file.filename()) + " into " + inQuotes(archive));
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
    if (name.size() > PathMax)
        return "the entry " + inQuotes(raw) + " has a name too long for the folder";
    for (const auto& part : fs::path(name)) {
        if (part == "..")
            return "the entry " + inQuotes(raw) + " climbs out of the folder";
        if (os::textOf(part).size() > NameMax)
            return "the entry " + inQuotes(raw) + " has a name too long for the folder";
        if (os::textOf(part).starts_with(StagingPrefix))
            return "the entry " + inQuotes(raw) + " uses a name that Quorvex keeps for unpacking";
    }
    return {};
}

namespace {

// What unpacking an archive into a folder will do, planned and checked before anything is written.
struct UnpackPlan {
    struct Entry {
        std::uint64_t index;
        std::string name;
        fs::path target;
        bool folder;
        std::uint64_t size;
    };
    fs::path root;   // the folder, canonical
    std::vector<Entry> entries;
    std::uint64_t declaredTotal = 0;
    std::vector<bool> keep, replace;   // per entry, after the questions
};

// Reads every entry and refuses, before anything is written, a name that is bad, a link, held
// twice, outside the folder, too long, or a file where a folder is needed (or the other way
// round). Returns the problem, empty when none.
std::string planEntries(const codecs::Table& codecs, codecs::ZipArchive* zip, const fs::path& folder, UnpackPlan& plan)
{
    std::error_code error;
    plan.root = fs::canonical(folder, error);
    if (error)
        return "the folder " + inQuotes(folder) + " cannot be reached";
    const auto& root = plan.root;
    // What the entries make of the folder, so that a file where another entry needs a folder, or
    // a name held twice, is refused before anything is written.
    std::map<fs::path, std::string> files, folders;   // target -> the entry that makes it
    const auto count = codecs.zipEntryCount(zip);
    for (std::int64_t i = 0; i < count; ++i) {
        const auto index = static_cast<std::uint64_t>(i);
        const char* entryName = codecs.zipEntryName(zip, index);
        if (!entryName)
            return codecs.zipError(zip);
        std::string name = entryName;
        if (auto problem = entryNameProblem(name); !problem.empty())
            return problem;
        if (codecs.zipEntryIsLink(zip, index))
            return "the entry " + inQuotes(name) + " is a link";
        std::replace(name.begin(), name.end(), '\\', '/');
        const bool isFolder = name.back() == '/';
        const auto target = (root / name).lexically_normal();
        // Also through links already in the folder: resolve what exists of the target's path.
        const auto resolved = fs::weakly_canonical(isFolder ? target : target.parent_path(), error);
        if (error || !isInside(root, target) || !isInside(root, resolved) || (target == root && !isFolder))
            return "the entry " + inQuotes(name) + " would land outside " + inQuotes(folder);
        const auto key = isFolder && !target.has_filename() ? target.parent_path() : target;
        if (os::textOf(key).size() > PathMax)
            return "the entry " + inQuotes(name) + " has a name too long for the folder";
        if (!isFolder && fs::is_directory(target, error))
            return "the entry " + inQuotes(name) + " would replace a folder";
        for (auto above = isFolder ? key : key.parent_path(); above != root; above = above.parent_path())
            if (fs::exists(above, error) && !fs::is_directory(above, error))
                return "the entry " + inQuotes(name) + " would need a folder where the file " + inQuotes(above) + " is";

        if (!isFolder && files.contains(key))
            return "the archive holds the name " + inQuotes(files[key]) + " twice";
        if (!isFolder && folders.contains(key))
            return "the entry " + inQuotes(name) + " is a file where the entry " + inQuotes(folders[key]) +
                   " needs a folder";
        for (auto above = isFolder ? key : key.parent_path(); above != root; above = above.parent_path()) {
            if (files.contains(above))
                return "the entry " + inQuotes(name) + " needs a folder where the entry " + inQuotes(files[above]) +
                       " is a file";
            folders.emplace(above, name);
        }
        std::uint64_t size = 0;
        if (!isFolder) {
            files.emplace(key, name);
            if (!codecs.zipEntrySize(zip, index, size))
                return codecs.zipError(zip);
            plan.declaredTotal = size > UINT64_MAX - plan.declaredTotal ? UINT64_MAX : plan.declaredTotal + size;
        }
        plan.entries.push_back({index, name, key, isFolder, size});
    }
    return {};
}

// What the archive declares must fit the free space, with room to spare.
std::string checkSpace(const UnpackPlan& plan, const fs::path& folder)
{
    std::error_code error;
    const auto space = fs::space(plan.root, error);
    const auto margin = plan.declaredTotal / 10 + (1u << 20);
    if (!error && (plan.declaredTotal > space.available || space.available - plan.declaredTotal < margin))
        return "it unpacks to " + std::to_string(plan.declaredTotal) + " bytes, more than the free space of " +
               inQuotes(folder);
    return {};
}

// Asks about each file that is there already; a No keeps it and skips the entry.
void askOverwrites(UnpackPlan& plan, const Asker& askOverwrite)
{
    plan.keep.assign(plan.entries.size(), true);
    plan.replace.assign(plan.entries.size(), false);
    for (std::size_t i = 0; i < plan.entries.size(); ++i)
        if (!plan.entries[i].folder && isTaken(plan.entries[i].target))
            plan.keep[i] = plan.replace[i] =
                askOverwrite("File " + inQuotes(plan.entries[i].target) + " exists. Overwrite it?");
}

// Everything is unpacked into the staging folder first, so a damaged entry leaves no trace.
std::string stageEntries(const codecs::Table& codecs, codecs::ZipArchive* zip, const UnpackPlan& plan,
                         const fs::path& staging)
{
    for (std::size_t i = 0; i < plan.entries.size(); ++i) {
        const auto& entry = plan.entries[i];
        if (entry.folder || !plan.keep[i])
            continue;
        if (auto problem = extractEntry(codecs, zip, entry.index, staging / std::to_string(i), entry.size, entry.name);
            !problem.empty())
            return problem;
    }
    return {};
}

// The files it replaces are kept first, all of them, so that a backup that fails stops the
// unpacking before its first file.
std::string backUpReplaced(const UnpackPlan& plan)
{
    try {
        for (std::size_t i = 0; i < plan.entries.size(); ++i)
            if (plan.replace[i] && !plan.entries[i].folder)
                announceFileChange(plan.entries[i].target);
    } catch (const FileError& failure) {
        return failure.what();
    }
    return {};
}

// Moves the staged files into place, all or nothing; counts them and the game parts they change.
std::string placeEntries(const UnpackPlan& plan, Placement& placement, const fs::path& staging, int& unpacked,
                         GameParts& changed)
{
    for (std::size_t i = 0; i < plan.entries.size(); ++i) {
        if (!plan.keep[i])
            continue;
        const auto& entry = plan.entries[i];
        const auto where = entry.folder ? entry.target : entry.target.parent_path();
        if (auto failed = placement.makeFolder(where))
            return "could not create " + inQuotes(where) + ": " + failed.message();
        if (entry.folder)
            continue;
        try {
            if (auto failed = placement.place(staging / std::to_string(i), entry.target, plan.replace[i]))
                return "could not write " + inQuotes(entry.target) + ": " + failed.message();
        } catch (const FileError& refused) {
            return refused.what();
        }
        ++unpacked;
        changed |= gamePartsChangedBy(entry.target);
    }
    return {};
}

} // namespace

Outcome unpackArchive(const fs::path& archivePath, const fs::path& folder, const Asker& askOverwrite,
                      std::vector<std::string>* unpackedNames)
{
    ignoreFileSizeSignal();
    const auto refuse = [&](const std::string& why) {
        return Outcome::refused("Not unpacked " + inQuotes(archivePath.filename()) + ": " + why + "; nothing was written");
    };
    const codecs::Table* loaded = nullptr;
    try {
        loaded = &codecTable();
    } catch (const ModuleError& failure) {   // the codecs could not be loaded
        return refuse(failure.what());
    }
    const auto& codecs = *loaded;
    bool heldTwice = false;
    const ZipHandle zip(codecs.openZip(os::textOf(archivePath).c_str(), true, heldTwice), codecs.closeZip);
    if (!zip && heldTwice)
        return refuse("the archive holds the name " + inQuotes(nameHeldTwice(codecs, archivePath)) + " twice");
    if (!zip)
        return refuse(codecs.lastError());

    UnpackPlan plan;
    if (auto problem = planEntries(codecs, zip.get(), folder, plan); !problem.empty())
        return refuse(problem);
    if (auto problem = checkSpace(plan, folder); !problem.empty())
        return refuse(problem);
    askOverwrites(plan, askOverwrite);
    const StagingFolder staging{makeStagingFolder(plan.root)};
    if (auto problem = stageEntries(codecs, zip.get(), plan, staging.path); !problem.empty())
        return refuse(problem);
    if (auto problem = backUpReplaced(plan); !problem.empty())
        return refuse(problem);
    Placement placement(staging.path);
    int unpacked = 0;
    GameParts changed;
    if (auto problem = placeEntries(plan, placement, staging.path, unpacked, changed); !problem.empty())
        return refuse(problem);
    placement.commit();
    if (unpackedNames)
        for (std::size_t i = 0; i < plan.entries.size(); ++i)
            if (!plan.entries[i].folder && plan.keep[i])
                unpackedNames->push_back(plan.entries[i].name);
    return Outcome::done("Unpacked " + std::to_string(unpacked) + " file(s) from " + inQuotes(archivePath.filename()))
        .changing(changed);
}

} // namespace quorvex
