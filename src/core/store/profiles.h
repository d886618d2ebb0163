#pragma once
// Profiles: named setups of the game, the versions of its files (torlo.exe, torlo.dat,
// TORLO.CHR, TORLO.SND and the active level, which the caller names) in the game's store,
// listed by profiles.txt beside the backups. A switch replaces every file that differs, all or
// nothing, and is one step of the history.
#include "core/store/backups.h"

#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace quorvex {

struct Profile {
    std::string name;
    std::string date;   // "YYYY-MM-DD HH:MM:SS", local time of the save
    std::vector<std::pair<std::string, std::string>> files;   // file as the backups name it, version
    std::vector<std::string> differs;   // by list(): the files that differ from the game as it is
};

// A name is 1 to 64 characters, none of /\:*?"<>| and no control characters; empty when it is
// one, else why not.
std::string profileNameProblem(const std::string& name);

class Profiles {
public:
    // files: the game files a profile holds, as they are now named in the game folder.
    Profiles(const BackupKeeper& keeper, std::vector<std::filesystem::path> files)
        : keeper_(keeper), files_(std::move(files)) {}

    // The profiles with the files that differ from the game, each game file read once.
    std::vector<Profile> list() const;
    // What is damaged in profiles.txt ("profiles.txt is damaged at line 3"), or empty; a damaged
    // profile is left out of the list.
    std::string damage() const;

    // Saves the game's files as name; a profile of that name is replaced only when `replace`
    // says yes.
    Outcome save(const std::string& name, const Asker& replace);
    Outcome switchTo(const std::string& name);
    Outcome rename(const std::string& from, const std::string& to);
    Outcome remove(const std::string& name);

private:
    const BackupKeeper& keeper_;
    std::vector<std::filesystem::path> files_;
};

// Files as the lists name them: comma-separated.
std::string fileNames(const std::vector<std::string>& files);

// Every version that the profiles name (for dropping the store's unused entries).
std::set<std::string> profileVersions(const std::filesystem::path& folder);

} // namespace quorvex
