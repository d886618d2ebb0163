#pragma once
// The window's one model of the open game: each game file's version and bytes as the window
// last read or wrote them, what every page and window holds unsaved, the one gate that settles those edits
// before an operation replaces what the window shows, and the watch that notices another
// program replacing a game file.
#include "core/base/game_parts.h"
#include "core/base/workspace.h"

#include <QObject>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class QFileSystemWatcher;
class QTimer;

namespace quorvex {

class PageHost;

// What a page or window holds that the game does not have yet.
class EditHolder {
public:
    virtual ~EditHolder() = default;
    // Nothing unsaved: none; else what and where, briefly ("SHOTGUN", "BAZOOKA imported"), or
    // an empty text when the holder's name says it all.
    virtual std::optional<QString> unsavedEdits() const = 0;
    // Writes them into the game; false when that failed (the error was shown) and they stay.
    virtual bool saveEdits() = 0;
    // Drops them: the holder shows the game as it is.
    virtual void discardEdits() = 0;
};

// What tells one version of a file from the next, without reading it.
struct FileVersion {
    bool exists = false;
    std::uint64_t size = 0;
    std::int64_t modified = 0;
    std::uint64_t identity = 0;
    bool operator==(const FileVersion&) const = default;
};

// The pages read the game files from the bytes the model holds, and their saves patch those
// bytes (the workspace's HeldFiles): what a page shows is what the model compares the disk with.
class GameModel : public QObject, public HeldFiles {
    Q_OBJECT
public:
    explicit GameModel(PageHost& host);
    ~GameModel() override;

    // A page or window that may hold unsaved edits of the parts it shows; name heads its
    // entry in the list ("Weapons"). The registration ends with owner.
    void hold(QObject* owner, EditHolder& holder, const QString& name, GameParts parts);

    // Every unsaved edit, one list: "Weapons: SHOTGUN; Sounds: BAZOOKA imported; Text editor";
    // only one holder's when asked.
    QString unsavedList(const EditHolder* only = nullptr) const;
    // The gate every operation that replaces what the window shows passes first: with unsaved
    // edits anywhere, asks once (Save all / Discard / Cancel) and saves or drops them all.
    // False: the user cancelled or a save failed, and the operation must not run. With only,
    // the same for one holder (a window closing).
    bool settle(const EditHolder* only = nullptr);
    // A holder's own Save: when another program replaced a game file it shows since it read it,
    // asks first (Save over it / Reload / Cancel). False when nothing was saved.
    bool save(EditHolder& holder);

    // The versions on disk against those the window knows: another program's replacements are
    // taken in, every holder without unsaved edits shows them ("The game was changed by another
    // program") and the others keep their edits, to be asked about at their next Save. Run by the
    // host before each operation and by the watch within a moment of a change.
    void takeOutsideChanges();
    // After the window's own operation: what is on disk now is what the window knows.
    void noteOwnWrites();
    // The game folder was read afresh (the start-up, another folder): its files are watched and
    // their versions are the window's.
    void gameFolderRead();
    // While false (an operation of the window runs), the watch waits.
    void setWatching(bool on);

    // A game file's bytes as read, while the disk has the version they were read from: after a
    // write of the window's own or another program's, the reader reads the disk until the model
    // takes the new version in. Safe from any thread.
    std::shared_ptr<const std::vector<std::uint8_t>> held(const std::filesystem::path& path) const override;

private:
    struct Holder;
    static constexpr std::size_t FileCount = std::size(GameFiles);
    using Versions = std::array<FileVersion, FileCount>;
    Versions onDisk() const;
    // Takes in the versions now on disk, reading the files whose version moved; the files whose
    // bytes differ from those held (a new version of the same bytes is no change).
    std::array<bool, FileCount> takeIn(const Versions& now);
    Holder* find(const EditHolder& holder);
    void watchFiles();

    PageHost& host_;
    std::vector<Holder> holders_;
    mutable std::mutex heldMutex_;   // known_ and asRead_, which readers on other threads look at
    Versions known_{};
    std::array<std::shared_ptr<const std::vector<std::uint8_t>>, FileCount> asRead_;   // null: missing or unreadable
    QFileSystemWatcher* watcher_;
    QTimer* settleTimer_;   // a replacement is a burst of events: looked at once they settle
    bool watching_ = true;
    bool watchedFolder_ = false;   // the versions known are a game folder's
};

} // namespace quorvex
