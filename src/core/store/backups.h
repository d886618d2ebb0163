#pragma once
// The safety net: before Quorvex first changes a game file it keeps a copy of the file as it
// was. Every writer reaches the keeper of the operation in progress through GameFile and the
// whole-file writers of game_file.h (game_change.h), so no operation has to remember it.
//
// Copies live in the game's store of versions (version_store.h) in the data folder,
// backups/<one folder per game folder>/store/, listed by backups.txt beside it. The first copy of
// a file is its "original" and is never removed; after it one copy per day on which the file
// changed, the last KeptCopies of them. The folder of an earlier Quorvex (index.txt beside
// copies named ID-file) is moved into the store at first use.
#include "core/store/version_store.h"
#include "core/base/workspace.h"
#include "core/gamefile/game_lock.h"
#include "core/base/outcome.h"
#include "core/base/services.h"

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace quorvex {

// "YYYY-MM-DD HH:MM:SS" in local time: the dates of backups and history steps.
std::string dateText(std::time_t time);

// A line of the keeper's lists (backups.txt, history.txt, profiles.txt): its fields split at the
// first `count` tabs, the last field (a file name, a text) holding any further tabs. Empty when
// the line has fewer tabs or the last field is empty.
std::vector<std::string> splitListLine(const std::string& line, int count);

// Files of this format are kept wherever they lie ("Save to PL2" rewrites any level); the table
// of formats checks that it is the level format.
inline constexpr std::string_view KeptAnywhereExtension = ".lev";

// The game's mod list (mod_list.h) lies in its backups folder under this name, which the history
// and the profiles use for it as for a game file: undo and a profile switch put it back with the
// files.
inline constexpr std::string_view ModListName = "mods.txt";

struct Backup {
    std::string id;                  // unique within a game's backups; the CLI and the list use it
    std::string file;                // the file's name in the game folder, or the full path of a level elsewhere
    std::string date;                // "YYYY-MM-DD HH:MM:SS", local time of the copy
    std::uint64_t size = 0;
    bool original = false;
    std::string version;             // its entry in the store; empty when an earlier Quorvex lost it
    std::filesystem::path copy;      // where the copy lies
};

class BackupKeeper {
public:
    static constexpr int KeptCopies = 20;   // beside the original, per file
    using Now = std::function<std::time_t()>;

    // The keeper reads the workspace's game and data folder at each use, so it follows a
    // change of the game folder.
    explicit BackupKeeper(const Workspace& workspace, Now now = {});

    // True for the files that are kept: torlo.exe, torlo.dat, TORLO.CHR and TORLO.SND of the
    // game folder, and level files (.LEV) wherever they lie ("Save to PL2" rewrites any level).
    bool keeps(const std::filesystem::path& path) const;
    // Keeps a copy of path when it is kept, exists, has no copy of today yet and differs from
    // its newest copy. Throws FileError when the copy can not be written.
    void keep(const std::filesystem::path& path);
    // Keeps path as it is now in the store, whatever the day's copies; returns its version, or
    // empty when it does not exist. Throws FileError when it can not be kept.
    std::string keepVersion(const std::filesystem::path& path, Bytes* bytesRead = nullptr);

    // The backups of the current game, newest first. An index that is a link or no file is
    // refused (FileError); a line naming anything but a file that the keeper keeps of this game
    // (a bare name in the game folder, or the full path of a level kept where it lay) is damaged
    // and left out: a tampered index never makes a restore write elsewhere.
    std::vector<Backup> list() const;
    // The lines of the index left out of the list as damaged.
    std::vector<Backup> damaged() const;
    // The lines of the index that do not read as backups ("backups.txt is damaged at line 3"), or
    // empty; they are left out, and dropped when the index is next written (a copy of it kept).
    std::string damage() const;
    // Puts a copy back after asking; the file it replaces is kept first, so a restore can be
    // undone by restoring that copy.
    Outcome restore(const std::string& id, const Asker& ask);
    // Restores the original of file (a name in the game folder, or a level's path).
    Outcome restoreOriginal(const std::string& file, const Asker& ask);

    // backups/<game> in the data folder.
    std::filesystem::path folder() const;
    // The game's mod list, in that folder.
    std::filesystem::path modListFile() const;
    // The game's store of versions, which the backups, the history and the profiles share.
    VersionStore store() const;
    // Every version that the backups, the history or the profiles need (the caller holds the
    // game's lock).
    std::set<std::string> versionsInUse() const;

    // How the backups and the history name a kept file: its name in the game folder, or the
    // full path of a level elsewhere; and the file such a name stands for.
    std::string fileKey(const std::filesystem::path& path) const;
    std::filesystem::path fileFor(const std::string& file) const;
    // True for a name that stands for a file the keeper keeps of this game inside its folder, or
    // for its mod list: a name read from a list (which anyone may have edited) is never written anywhere else. A
    // level kept where it lay outside the game folder is listed, and its copy named, but not
    // put back by a restore, an undo or a profile.
    bool restorable(const std::string& file) const;
    // Why a name is not restorable ("not a file of this game", "outside the game folder"), or empty.
    std::string notRestorable(const std::string& file) const;
    std::time_t now() const { return now_(); }
    const Workspace& workspace() const { return workspace_; }
    bool inGameFolder(const std::filesystem::path& path) const;

private:
    // Keeps path whatever its kind; `always` also when this day has a copy (before a restore).
    void keepCopy(const std::filesystem::path& path, bool always);
    Outcome restoreBackup(const Backup& backup, const Asker& ask);

    const Workspace& workspace_;
    Now now_;
    // What follows from the game and data folders, worked out once while they stay.
    struct Folders {
        std::filesystem::path game, data;
        std::optional<std::filesystem::path> backups;   // folder()
        std::map<std::string, bool> compared;           // a folder: the game folder or not
    };
    Folders& folders() const;   // with foldersMutex_ held
    mutable std::mutex foldersMutex_;
    mutable std::optional<Folders> folders_;
};

} // namespace quorvex
