#include "core/store/backups.h"
#include "core/base/errors.h"
#include "core/base/game_parts.h"
#include "core/gamefile/game_file.h"
#include "core/gamefile/game_lock.h"
#include "core/store/data_list.h"
#include "core/store/history.h"
#include "core/store/mod_list.h"
#include "core/store/profiles.h"
#include "core/text/sha256.h"
#include "core/os/files.h"

#include <algorithm>
#include <chrono>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace quorvex {

namespace {

constexpr const char* IndexName = "backups.txt";
constexpr const char* OldIndexName = "index.txt";   // an earlier Quorvex's, beside its copies
constexpr const char* StoreFolderName = "store";

bool isLevel(const fs::path& path)
{
    return sameNameIgnoringCase(os::textOf(path.extension()), std::string(KeptAnywhereExtension));
}

bool sameFolder(const fs::path& a, const fs::path& b)
{
    // The names first: asked for every file an operation touches, mostly of the same folder as named.
    std::error_code error;
    return fs::absolute(a).lexically_normal() == fs::absolute(b).lexically_normal() || fs::equivalent(a, b, error);
}

// A name in the game folder is matched without regard to case, as the game's files are found.
bool sameFile(const std::string& a, const std::string& b)
{
    const bool named = !os::pathFromText(a).has_parent_path() && !os::pathFromText(b).has_parent_path();
    return named ? sameNameIgnoringCase(a, b) : a == b;
}

} // namespace

std::vector<std::string> splitListLine(const std::string& line, int count)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (int i = 0; i < count; ++i) {
        const auto tab = line.find('\t', start);
        if (tab == std::string::npos)
            return {};
        fields.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
    if (start >= line.size())
        return {};
    fields.push_back(line.substr(start));
    return fields;
}

std::string dateText(std::time_t time)
{
    const std::tm local = os::localTime(time);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

namespace {

std::string copyName(const std::string& id, const std::string& file)
{
    return id + "-" + os::textOf(os::pathFromText(file).filename()).substr(0, 100);
}

long idNumber(const std::string& id)
{
    long number = 0;
    std::from_chars(id.data(), id.data() + id.size(), number);
    return number;
}

// An index: backups.txt (ID, date, size, "original" or nothing, version, file) or an earlier
// Quorvex's index.txt (the same without the version, its copy named ID-file beside it). A line
// that does not read as such is damaged and left out.
struct Index {
    DataList list;
    std::vector<Backup> backups;
};

Index readIndex(const fs::path& folder, const char* name = IndexName)
{
    const bool earlier = name == OldIndexName;
    Index read{DataList(folder / name), {}};
    const VersionStore store(folder / StoreFolderName);
    for (const auto& [number, line] : read.list.read()) {
        const auto fields = splitListLine(line, earlier ? 4 : 5);
        Backup backup;
        if (!fields.empty()) {
            backup.id = fields[0];
            backup.date = fields[1];
            backup.original = fields[3] == "original";
            backup.file = fields.back();
            backup.version = earlier ? std::string() : fields[4];
        }
        const auto [end, error] = fields.empty() ? std::from_chars_result{nullptr, std::errc::invalid_argument}
                                                 : std::from_chars(fields[2].data(), fields[2].data() + fields[2].size(), backup.size);
        if (fields.empty() || idNumber(backup.id) <= 0 || std::to_string(idNumber(backup.id)) != backup.id
            || error != std::errc() || end != fields[2].data() + fields[2].size() || (!backup.original && !fields[3].empty())
            || (!backup.version.empty() && !isVersionName(backup.version))) {
            read.list.damaged(number);
            continue;
        }
        backup.copy = earlier ? folder / copyName(backup.id, backup.file)
                              : backup.version.empty() ? fs::path() : store.entry(backup.version);
        read.backups.push_back(backup);
    }
    return read;
}

void writeIndex(Index& index, const fs::path& gameFolder)
{
    std::ostringstream text;
    text << "# Backups of the game in " << os::textOf(fs::absolute(gameFolder)) << '\n';
    for (const auto& b : index.backups)
        text << b.id << '\t' << b.date << '\t' << b.size << '\t' << (b.original ? "original" : "") << '\t' << b.version
             << '\t' << b.file << '\n';
    index.list.write(text.str());
}

std::uint64_t sizeOrZero(const fs::path& path)
{
    std::error_code error;
    const auto size = fs::file_size(path, error);
    return error ? 0 : size;
}

// An earlier Quorvex kept each copy whole beside index.txt, named ID-file. Every copy goes into
// the store under the same ID, date and file (a copy the index lost too, dated by the file), the
// new index is written, and only then are the old files removed: a stop half-way moves them
// again the next time, and nothing is lost. A copy whose size is not the listed one was damaged
// already and stays listed as missing.
void moveEarlierBackups(const fs::path& folder, const fs::path& gameFolder)
{
    std::error_code error;
    std::vector<fs::path> copies;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const auto name = os::textOf(it->path().filename());
        const auto dash = name.find('-');
        if (dash != std::string::npos && dash > 0 && idNumber(name) > 0 && std::to_string(idNumber(name)) == name.substr(0, dash)
            && it->is_regular_file(error))
            copies.push_back(it->path());
    }
    if (copies.empty() && !fs::exists(folder / OldIndexName, error))
        return;
    const VersionStore store(folder / StoreFolderName);
    auto index = readIndex(folder);
    auto& backups = index.backups;
    const auto has = [&](const std::string& id) {
        return std::any_of(backups.begin(), backups.end(), [&](const Backup& b) { return b.id == id; });
    };
    auto earlier = readIndex(folder, OldIndexName).backups;
    for (const auto& copy : copies) {
        const auto name = os::textOf(copy.filename());
        const auto id = name.substr(0, name.find('-'));
        if (std::none_of(earlier.begin(), earlier.end(), [&](const Backup& b) { return b.id == id; })) {
            const auto time = fs::last_write_time(copy, error);
            const auto seconds = std::chrono::system_clock::to_time_t(
                std::chrono::time_point_cast<std::chrono::system_clock::duration>(
                    time - fs::file_time_type::clock::now() + std::chrono::system_clock::now()));
            earlier.push_back({id, name.substr(name.find('-') + 1), dateText(seconds), sizeOrZero(copy), false, {}, copy});
        }
    }
    for (auto& b : earlier) {
        if (has(b.id))
            continue;
        if (fs::is_regular_file(b.copy, error) && sizeOrZero(b.copy) == b.size)
            b.version = store.putWhole(readWholeFile(b.copy));
        backups.push_back(b);
    }
    std::sort(backups.begin(), backups.end(), [](const Backup& a, const Backup& b) { return idNumber(a.id) < idNumber(b.id); });
    writeIndex(index, gameFolder);
    fs::remove(folder / OldIndexName, error);
    for (const auto& copy : copies)
        fs::remove(copy, error);
}

} // namespace

BackupKeeper::BackupKeeper(const Workspace& workspace, Now now)
    : workspace_(workspace), now_(now ? std::move(now) : Now([] { return std::time(nullptr); }))
{
}

// The keeper follows a change of the workspace's folders; asked about every file an operation
// touches, it works each answer out once while they stay.
BackupKeeper::Folders& BackupKeeper::folders() const
{
    if (!folders_ || folders_->game != workspace_.gameFolder || folders_->data != workspace_.dataFolder)
        folders_ = Folders{workspace_.gameFolder, workspace_.dataFolder, std::nullopt, {}};
    return *folders_;
}

fs::path BackupKeeper::folder() const
{
    // Its name follows the game folder's full path with its links resolved.
    const std::lock_guard lock(foldersMutex_);
    auto& known = folders();
    if (!known.backups)
        known.backups = backupFolder(workspace_);
    return *known.backups;
}

fs::path BackupKeeper::modListFile() const
{
    return folder() / ModListName;
}

VersionStore BackupKeeper::store() const
{
    return VersionStore(folder() / StoreFolderName);
}

std::set<std::string> BackupKeeper::versionsInUse() const
{
    auto versions = historyVersions(*this);
    versions.merge(profileVersions(folder()));
    versions.merge(modListVersions(readModList(modListFile())));
    for (const auto& b : readIndex(folder()).backups)
        versions.insert(b.version);
    return versions;
}

std::string BackupKeeper::keepVersion(const fs::path& path, Bytes* bytesRead)
{
    std::error_code error;
    if (!fs::exists(path, error))
        return {};
    const auto name = os::textOf(path.filename());
    try {
        const GameLock lock(workspace_);
        auto bytes = readWholeFile(path);
        const auto version = store().put(bytes);
        if (bytesRead)
            *bytesRead = std::move(bytes);
        return version;
    } catch (const FileError& failure) {
        throw FileError("Could not back up " + inQuotes(name) + " (" + failure.what() + "), so it was not changed");
    }
}

bool BackupKeeper::inGameFolder(const fs::path& path) const
{
    if (workspace_.gameFolder.empty())
        return false;
    // A mod switch opens each entry's files: each folder is compared with the game's once.
    const auto folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    const std::lock_guard lock(foldersMutex_);
    const auto [known, fresh] = folders().compared.try_emplace(os::textOf(folder));
    if (fresh)
        known->second = sameFolder(folder, workspace_.gameFolder);
    return known->second;
}

bool BackupKeeper::keeps(const fs::path& path) const
{
    if (isLevel(path))
        return true;
    if (!inGameFolder(path))
        return false;
    const auto name = os::textOf(path.filename());
    return std::any_of(std::begin(GameFiles), std::end(GameFiles),
                       [&](const GameFileParts& game) { return sameNameIgnoringCase(name, game.name); });
}

std::string BackupKeeper::fileKey(const fs::path& path) const
{
    if (path == modListFile())
        return std::string(ModListName);
    return inGameFolder(path) ? os::textOf(path.filename()) : os::textOf(fs::absolute(path).lexically_normal());
}

fs::path BackupKeeper::fileFor(const std::string& name) const
{
    if (name == ModListName)
        return modListFile();
    const fs::path file = os::pathFromText(name);
    return file.has_parent_path() ? file : findGameFile(workspace_.gameFolder, name);
}

void BackupKeeper::keep(const fs::path& path)
{
    if (keeps(path))
        keepCopy(path, false);
}

void BackupKeeper::keepCopy(const fs::path& path, bool always)
{
    std::error_code error;
    if (!fs::is_regular_file(path, error))
        return;   // nothing to keep yet: the change creates the file
    const auto name = os::textOf(path.filename());
    try {
        // Another Quorvex keeping a copy at the same time would take the same ID.
        const GameLock lock(workspace_);
        const auto key = fileKey(path);
        if (key.find('\n') != std::string::npos)
            throw FileError("its name holds a line break");
        const auto dir = folder();
        moveEarlierBackups(dir, workspace_.gameFolder);
        auto index = readIndex(dir);
        auto& backups = index.backups;
        const auto date = dateText(now_());
        const Backup* newest = nullptr;
        long lastId = 0;
        for (const auto& b : backups) {
            lastId = std::max(lastId, idNumber(b.id));
            if (!sameFile(b.file, key))
                continue;
            if (!always && b.date.compare(0, 10, date, 0, 10) == 0)
                return;   // this day's state is kept already
            if (!newest || idNumber(b.id) > idNumber(newest->id))
                newest = &b;
        }
        const auto bytes = readWholeFile(path);
        const auto store = this->store();
        if (newest && !newest->version.empty() && newest->version == sha256Hex(bytes))
            return;   // kept as it is

        Backup backup{std::to_string(lastId + 1), key, date, bytes.size(), newest == nullptr, store.putWhole(bytes), {}};
        backup.copy = store.entry(backup.version);
        backups.push_back(backup);

        // The original stays; of the other copies of this file the newest KeptCopies stay.
        std::set<std::string> removed;
        int later = 0;
        for (auto it = backups.rbegin(); it != backups.rend(); ++it)
            if (sameFile(it->file, key) && !it->original && ++later > KeptCopies)
                removed.insert(it->id);
        std::set<std::string> dropped;
        for (const auto& b : backups)
            if (removed.count(b.id))
                dropped.insert(b.version);
        std::erase_if(backups, [&](const Backup& b) { return removed.count(b.id) > 0; });
        try {
            writeIndex(index, workspace_.gameFolder);
        } catch (const FileError&) {
            store.drop({backup.version}, versionsInUse());
            throw;
        }
        store.drop(dropped, versionsInUse());
    } catch (const FileError& failure) {
        throw FileError("Could not back up " + inQuotes(name) + " (" + failure.what() + "), so it was not changed");
    }
}

namespace {

// A level kept where it lay, by the full path the keeper wrote: no "." or ".." in it.
bool isLevelPath(const fs::path& given)
{
    return given.is_absolute() && given == given.lexically_normal() && isLevel(given);
}

} // namespace

std::string BackupKeeper::notRestorable(const std::string& file) const
{
    if (file.empty() || file.find('\0') != std::string::npos)
        return "not a file of this game";
    if (file == ModListName)
        return "";
    const fs::path given = os::pathFromText(file);
    if (!given.has_parent_path())
        return given != "." && given != ".." && keeps(workspace_.gameFolder / given) ? "" : "not a file of this game";
    if (!isLevelPath(given))
        return "not a file of this game";
    // The lists can be edited: a path read from one is written only inside the game folder,
    // through no link that leads out of it.
    std::error_code error;
    const auto game = fs::weakly_canonical(fs::absolute(workspace_.gameFolder), error);
    const auto folder = fs::weakly_canonical(given.parent_path(), error);
    const bool inside = !error && !workspace_.gameFolder.empty()
                        && std::mismatch(game.begin(), game.end(), folder.begin(), folder.end()).first == game.end();
    return inside ? "" : "outside the game folder";
}

bool BackupKeeper::restorable(const std::string& file) const
{
    return notRestorable(file).empty();
}

namespace {

// The backups the list shows: those the keeper can have written (a level outside the game
// folder included, which is shown but not put back).
bool listed(const BackupKeeper& keeper, const Backup& backup)
{
    return keeper.restorable(backup.file) || isLevelPath(backup.file);
}

} // namespace

std::vector<Backup> BackupKeeper::list() const
{
    std::error_code error;
    if (!fs::exists(folder(), error))
        return {};   // nothing kept yet: no folder made for the lock
    const GameLock lock(workspace_);
    moveEarlierBackups(folder(), workspace_.gameFolder);
    auto backups = readIndex(folder()).backups;
    std::erase_if(backups, [&](const Backup& b) { return !listed(*this, b); });
    std::sort(backups.begin(), backups.end(), [](const Backup& a, const Backup& b) { return idNumber(a.id) > idNumber(b.id); });
    return backups;
}

std::vector<Backup> BackupKeeper::damaged() const
{
    std::error_code error;
    if (!fs::exists(folder(), error))
        return {};
    const GameLock lock(workspace_);
    moveEarlierBackups(folder(), workspace_.gameFolder);
    auto backups = readIndex(folder()).backups;
    std::erase_if(backups, [&](const Backup& b) { return listed(*this, b); });
    return backups;
}

std::string BackupKeeper::damage() const
{
    std::error_code error;
    if (!fs::exists(folder(), error))
        return {};
    const GameLock lock(workspace_);
    return readIndex(folder()).list.damage();
}

Outcome BackupKeeper::restore(const std::string& id, const Asker& ask)
{
    for (const auto& backup : list())
        if (backup.id == id)
            return restoreBackup(backup, ask);
    for (const auto& backup : damaged())
        if (backup.id == id)
            return Outcome::refused("The backup " + id + " of " + backup.file + " is missing or damaged");
    return Outcome::refused("There is no backup " + id + " of this game");
}

Outcome BackupKeeper::restoreOriginal(const std::string& file, const Asker& ask)
{
    const fs::path given = os::pathFromText(file);
    const auto key = given.has_parent_path() ? fileKey(given) : file;
    for (const auto& backup : list())
        if (backup.original && sameFile(backup.file, key))
            return restoreBackup(backup, ask);
    return Outcome::refused("There is no original of " + file + " among the backups of this game");
}

Outcome BackupKeeper::restoreBackup(const Backup& backup, const Asker& ask)
{
    if (const auto why = notRestorable(backup.file); !why.empty())
        return Outcome::refused("The backup " + backup.id + " is of " + backup.file + ", " + why
                                + "; Quorvex puts files back only inside it (the copy is " + os::textOf(backup.copy) + ")");
    Bytes bytes;
    try {
        bytes = store().get(backup.version, backup.file, backup.size);
    } catch (const FileError&) {
        return Outcome::refused("The backup " + backup.id + " of " + backup.file + " is missing or damaged");
    }
    if (!ask("Put back " + backup.file + " as it was on " + backup.date
             + "? The file as it is now is kept as a backup first, so this can be undone."))
        return Outcome::nothing();
    const auto target = fileFor(backup.file);
    keepCopy(target, true);
    writeFileAtomically(target, bytes);
    return Outcome::done("Backup restored", "Backup of " + os::textOf(fs::absolute(target)) + " from " + backup.date + " restored")
        .changing(gamePartsIn(target, workspace_.gameFolder));
}

} // namespace quorvex
