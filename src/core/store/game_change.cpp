#include "core/store/game_change.h"
#include "core/base/errors.h"

#include <algorithm>
#include <fstream>
#include <set>

namespace fs = std::filesystem;

namespace quorvex {

namespace {

constexpr const char* JournalName = "journal.txt";

std::string versionField(const std::string& version)
{
    return version.empty() ? "-" : version;
}

std::string versionFrom(const std::string& field)
{
    return field == "-" ? std::string() : field;
}

struct JournalEntry {
    std::string file, before, after;
};

// journal.txt: a comment naming the game, "H, version of history.txt when the operation began",
// then "F, before, after, file" per replacement, by tabs. Only whole lines count: a line cut by
// a stop was written before its file was replaced, so that file is as it was.
struct Journal {
    std::string history;
    std::vector<JournalEntry> entries;
};

Journal readJournal(const fs::path& file)
{
    Journal journal;
    std::ifstream in(file, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    text.erase(text.find_last_of('\n') == std::string::npos ? 0 : text.find_last_of('\n') + 1);
    std::size_t start = 0;
    for (auto end = text.find('\n'); end != std::string::npos; start = end + 1, end = text.find('\n', start)) {
        const auto line = text.substr(start, end - start);
        if (line.rfind("H\t", 0) == 0)
            journal.history = versionFrom(line.substr(2));
        else if (const auto fields = splitListLine(line, 3); !fields.empty() && fields[0] == "F")
            journal.entries.push_back({fields[3], versionFrom(fields[1]), versionFrom(fields[2])});
    }
    return journal;
}

} // namespace

fs::path journalFile(const BackupKeeper& keeper)
{
    return keeper.folder() / JournalName;
}

bool finishUnfinishedChange(const BackupKeeper& keeper)
{
    const auto file = journalFile(keeper);
    std::error_code error;
    if (!fs::exists(fs::symlink_status(file, error)))
        return false;
    const auto journal = readJournal(file);
    // The history as it was when the operation began: its step is not in it, so the files it
    // replaced go back (else the step is recorded and the files stay new).
    if (versionOf(historyFile(keeper)) == journal.history) {
        const auto store = keeper.store();
        std::set<std::string> afters;
        for (auto it = journal.entries.rbegin(); it != journal.entries.rend(); ++it) {
            afters.insert(it->after);
            if (!keeper.restorable(it->file))
                continue;   // a tampered journal never makes Quorvex write elsewhere
            const auto path = keeper.fileFor(it->file);
            if (versionOf(path) == it->before)
                continue;
            if (it->before.empty())
                removeFile(path);
            else
                writeFileAtomically(path, store.get(it->before, it->file));
        }
        afters.erase(std::string());
        store.drop(afters, keeper.versionsInUse());
    }
    removeFile(file);
    return true;
}

GameChange::GameChange(const Workspace& workspace, BackupKeeper::Now now)
    : outer_(inProgress(workspace)), workspace_(workspace), lock_(workspace_), keeper_(workspace_, std::move(now))
{
    if (outer_ || workspace_.gameFolder.empty() || workspace_.dataFolder.empty())
        return;
    if (lock_.held())
        finishUnfinishedChange(keeper_);
    files_.emplace(workspace_.gameFolder, *this);
}

GameChange::~GameChange()
{
    if (!files_)
        return;
    files_.reset();   // patches not put in place are dropped
    // Abandoned by an error after replacing files: they go back as they were.
    if (journalled_)
        try {
            finishUnfinishedChange(keeper_);
        } catch (...) {
            // The journal stays; the next operation on the game finishes it.
        }
}

GameChange* GameChange::inProgress(const Workspace& workspace)
{
    auto* files = FileChanges::forGame(workspace.gameFolder);
    return files ? dynamic_cast<GameChange*>(&files->observer()) : nullptr;
}

void GameChange::commit()
{
    if (outer_ || !files_)
        return;   // the outermost operation puts the files in place
    files_->commit();
    const std::lock_guard lock(mutex_);
    auto noted = std::move(noted_);
    noted_.clear();
    notedByFile_.clear();
    if (inHistory_ && !noted.empty())
        History(keeper_).record(noted, what_);
    if (journalled_) {
        removeFile(journalFile(keeper_));
        journalled_ = false;
    }
}

void GameChange::describe(const std::string& status, bool succeeded)
{
    if (outer_)
        return outer_->describe(status, succeeded);
    if (status.empty() || (whatSucceeded_ && !succeeded))
        return;
    what_ = status;
    whatSucceeded_ = succeeded;
}

void GameChange::leaveOutOfHistory()
{
    if (outer_)
        return outer_->leaveOutOfHistory();
    inHistory_ = false;
}

bool GameChange::concerns(const fs::path& path) const
{
    // A level made anew outside the game folder is no change of the game; the mod list is part
    // of it, so that undo puts it back with the files it describes.
    return (keeper_.keeps(path) && (keeper_.inGameFolder(path) || isTaken(path))) || path == keeper_.modListFile();
}

NotedFile& GameChange::note(const fs::path& path)
{
    const auto key = keeper_.fileKey(path);
    if (const auto it = notedByFile_.find(key); it != notedByFile_.end())
        return noted_[it->second];
    lock_.requireHeld();
    keeper_.keep(path);
    NotedFile noted{path, {}, std::nullopt, {}};
    noted.before = keeper_.keepVersion(path, &noted.beforeBytes);
    noted_.push_back(std::move(noted));
    notedByFile_[key] = noted_.size() - 1;
    return noted_.back();
}

void GameChange::beforeChange(const fs::path& path)
{
    const std::lock_guard lock(mutex_);
    note(path);
}

void GameChange::replacing(const fs::path& path, const fs::path& incoming)
{
    const std::pair<fs::path, fs::path> file{path, incoming};
    replacingAll(std::span(&file, 1));
}

void GameChange::replacingAll(std::span<const std::pair<fs::path, fs::path>> files)
{
    const std::lock_guard lock(mutex_);
    // Each new version is in the store and the journal names them all, flushed once, before
    // the first file is replaced.
    std::string lines;
    if (!journalled_)
        lines = "# An operation on the game in " + fs::absolute(workspace_.gameFolder).string() + " in progress\nH\t"
                + versionField(versionOf(historyFile(keeper_))) + "\n";
    std::vector<std::pair<std::size_t, std::string>> afters;   // noted_ grows: by place, not address
    for (const auto& [path, incoming] : files) {
        auto& noted = note(path);
        const auto after = incoming.empty() ? std::string() : keeper_.store().put(readWholeFile(incoming), noted.before, &noted.beforeBytes);
        lines += "F\t" + versionField(noted.before) + "\t" + versionField(after) + "\t" + keeper_.fileKey(path) + "\n";
        afters.emplace_back(static_cast<std::size_t>(&noted - noted_.data()), after);
    }
    try {
        std::error_code ignored;
        fs::create_directories(keeper_.folder(), ignored);
        appendDurably(journalFile(keeper_), lines);
    } catch (const FileError& failure) {
        std::string names;
        for (const auto& file : files)
            names += (names.empty() ? "" : ", ") + file.first.filename().string();
        throw FileError("Could not write the journal of the change (" + std::string(failure.what()) + "), so " + names
                        + (files.size() == 1 ? " was" : " were") + " not changed");
    }
    journalled_ = true;
    for (const auto& [place, after] : afters)
        noted_[place].after = after;
}

void GameChange::replaced(const fs::path& path)
{
    if (keeper_.inGameFolder(path))
        lock_.noteChange();
}

} // namespace quorvex
