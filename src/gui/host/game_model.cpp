#include "gui/host/game_model.h"
#include "gui/host/page_host.h"
#include "core/base/errors.h"
#include "core/base/workspace.h"
#include "core/gamefile/game_file.h"
#include "core/os/files.h"
#include "modules/desktop/qt_platform.h"

#include <QFileSystemWatcher>
#include <QStringList>
#include <QTimer>

namespace quorvex {

namespace {

FileVersion versionOf(const os::Status& status)
{
    return {true, status.size, status.modified, status.identity};
}

} // namespace

struct GameModel::Holder {
    QObject* owner;
    EditHolder* edits;
    QString name;
    GameParts parts;
    std::array<bool, FileCount> replaced{};   // by another program while it kept unsaved edits
};

GameModel::GameModel(PageHost& host)
    : host_(host), watcher_(new QFileSystemWatcher(this)), settleTimer_(new QTimer(this))
{
    settleTimer_->setSingleShot(true);
    settleTimer_->setInterval(100);
    const auto changed = [this] { settleTimer_->start(); };
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this, changed);
    connect(watcher_, &QFileSystemWatcher::fileChanged, this, changed);
    connect(settleTimer_, &QTimer::timeout, this, [this] {
        if (watching_)
            takeOutsideChanges();
        watchFiles();   // a replaced file is a new one, no longer watched
    });
}

GameModel::~GameModel() = default;

void GameModel::hold(QObject* owner, EditHolder& holder, const QString& name, GameParts parts)
{
    holders_.push_back({owner, &holder, name, parts});
    connect(owner, &QObject::destroyed, this, [this, owner] { std::erase_if(holders_, [owner](const Holder& h) { return h.owner == owner; }); });
}

GameModel::Holder* GameModel::find(const EditHolder& holder)
{
    for (auto& h : holders_)
        if (h.edits == &holder)
            return &h;
    return nullptr;
}

QString GameModel::unsavedList(const EditHolder* only) const
{
    QStringList entries;
    for (const auto& h : holders_)
        if (const auto what = (!only || h.edits == only) ? h.edits->unsavedEdits() : std::nullopt)
            entries << (what->isEmpty() ? h.name : h.name + ": " + *what);
    return entries.join("; ");
}

bool GameModel::settle(const EditHolder* only)
{
    const auto list = unsavedList(only);
    if (list.isEmpty())
        return true;
    // Saving or dropping may end a holder (a window closing): the list is taken first.
    std::vector<EditHolder*> holding;
    for (const auto& h : holders_)
        if ((!only || h.edits == only) && h.edits->unsavedEdits())
            holding.push_back(h.edits);
    const auto question = "These edits are not saved:\n\n" + list + (only ? "\n\nSave them first?" : "\n\nSave them all first?");
    switch (host_.prompts().askUnsaved(toSystemText(question), {only ? "Save" : "Save all", "Discard"})) {
    case Prompts::Unsaved::Save:
        for (auto* edits : holding)
            if (!save(*edits))
                return false;
        return true;
    case Prompts::Unsaved::Discard:
        for (auto* edits : holding) {
            if (auto* h = find(*edits))
                h->replaced = {};
            host_.guarded([edits] { edits->discardEdits(); });
        }
        return true;
    case Prompts::Unsaved::Cancel: break;
    }
    return false;
}

bool GameModel::save(EditHolder& holder)
{
    bool saved = false;
    // Inside the lock, which first takes in what another program replaced: nothing can replace
    // a file between the question and the write.
    host_.guarded([&] {
        auto* h = find(holder);
        QStringList replaced;
        for (std::size_t i = 0; h && i < FileCount; ++i)
            if (h->replaced[i])
                replaced << GameFiles[i].name;
        if (!replaced.isEmpty()) {
            const auto question = replaced.join(", ") + " was changed by another program since this page read it";
            switch (host_.prompts().askUnsaved(toSystemText(question), {"Save over it", "Reload"})) {
            case Prompts::Unsaved::Save: break;
            case Prompts::Unsaved::Discard:
                h->replaced = {};
                holder.discardEdits();
                return;
            case Prompts::Unsaved::Cancel: return;
            }
        }
        saved = holder.saveEdits();
        if (saved && (h = find(holder)))
            h->replaced = {};
    });
    return saved;
}

GameModel::Versions GameModel::onDisk() const
{
    Versions versions{};
    const auto& folder = host_.workspace().gameFolder;
    if (folder.empty())
        return versions;
    for (std::size_t i = 0; i < FileCount; ++i) {
        os::Status status;
        if (os::status(findGameFile(folder, GameFiles[i].name), status) && status.regular)
            versions[i] = versionOf(status);
    }
    return versions;
}

auto GameModel::takeIn(const Versions& now) -> std::array<bool, FileCount>
{
    std::array<bool, FileCount> changed{};
    const auto& folder = host_.workspace().gameFolder;
    for (std::size_t i = 0; i < FileCount; ++i) {
        if (now[i] == known_[i])
            continue;
        std::shared_ptr<const std::vector<std::uint8_t>> bytes;
        if (now[i].exists)
            try {
                // From the disk: the bytes held are those of the version before.
                bytes = std::make_shared<const std::vector<std::uint8_t>>(readWholeFile(findGameFile(folder, GameFiles[i].name)));
            } catch (const FileError&) {
            }
        // Unreadable counts as changed: what reads it next says why.
        changed[i] = !bytes || !asRead_[i] || *bytes != *asRead_[i];
        const std::lock_guard lock(heldMutex_);
        asRead_[i] = std::move(bytes);
        known_[i] = now[i];
    }
    return changed;
}

void GameModel::takeOutsideChanges()
{
    if (!watchedFolder_)
        return;
    const auto now = onDisk();
    auto changed = takeIn(now);
    GameParts parts;
    // A file gone is no new version to show: what reads it says so when it is needed.
    for (std::size_t i = 0; i < FileCount; ++i) {
        changed[i] = changed[i] && now[i].exists;
        if (changed[i])
            parts |= GameFiles[i].parts;
    }
    if (parts.empty())
        return;
    std::vector<const QObject*> keeping;
    for (auto& h : holders_) {
        if (!h.parts.hasAny(parts))
            continue;
        if (!h.edits->unsavedEdits()) {
            h.replaced = {};   // it reads the game again
            continue;
        }
        keeping.push_back(h.owner);
        for (std::size_t i = 0; i < FileCount; ++i)
            h.replaced[i] = h.replaced[i] || (changed[i] && GameFiles[i].parts.hasAny(h.parts));
    }
    host_.gameEvents().changedOutside(parts, keeping);
    host_.StatusShow("The game was changed by another program");
}

void GameModel::noteOwnWrites()
{
    takeIn(onDisk());
}

void GameModel::gameFolderRead()
{
    watchedFolder_ = !host_.workspace().gameFolder.empty();
    for (auto& h : holders_)
        h.replaced = {};
    if (const auto paths = watcher_->files() + watcher_->directories(); !paths.isEmpty())
        watcher_->removePaths(paths);
    {
        const std::lock_guard lock(heldMutex_);
        known_ = {};
        asRead_ = {};
    }
    takeIn(onDisk());
    watchFiles();
}

void GameModel::watchFiles()
{
    const auto& folder = host_.workspace().gameFolder;
    if (folder.empty())
        return;
    // The folder sees a file replaced by a rename; the files, one written in place.
    QStringList paths{fromPath(folder)};
    std::error_code error;
    for (const auto& file : GameFiles)
        if (const auto path = findGameFile(folder, file.name); std::filesystem::exists(path, error))
            paths << fromPath(path);
    for (const auto& path : paths)
        if (!watcher_->files().contains(path) && !watcher_->directories().contains(path))
            watcher_->addPath(path);
}

std::shared_ptr<const std::vector<std::uint8_t>> GameModel::held(const std::filesystem::path& path) const
{
    const auto& folder = host_.workspace().gameFolder;
    if (folder.empty() || path.parent_path() != folder)
        return nullptr;
    for (std::size_t i = 0; i < FileCount; ++i) {
        if (!sameNameIgnoringCase(os::textOf(path.filename()), GameFiles[i].name))
            continue;
        os::Status status;
        if (!os::status(path, status) || !status.regular)
            return nullptr;
        const std::lock_guard lock(heldMutex_);
        return known_[i] == versionOf(status) ? asRead_[i] : nullptr;
    }
    return nullptr;
}

void GameModel::setWatching(bool on)
{
    watching_ = on;
}

} // namespace quorvex
