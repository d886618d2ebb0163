#include "core/store/profiles.h"
#include "core/base/errors.h"
#include "core/gamefile/game_file.h"
#include "core/gamefile/game_lock.h"
#include "core/store/data_list.h"
#include "core/store/history.h"
#include "core/text/sha256.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>

namespace fs = std::filesystem;

namespace quorvex {

namespace {

constexpr const char* ProfilesName = "profiles.txt";

// profiles.txt: per profile "P, name, date", then "F, version, file" per file, by tabs. A
// profile with a damaged line is dropped whole, its file lines with it.
struct ProfileList {
    DataList list;
    std::vector<Profile> profiles;
};

ProfileList readProfiles(const fs::path& folder)
{
    ProfileList read{DataList(folder / ProfilesName), {}};
    std::optional<Profile> profile;
    std::vector<int> lines;
    bool damaged = false;
    const auto end = [&] {
        const auto taken = [&] {
            return std::any_of(read.profiles.begin(), read.profiles.end(), [&](const Profile& p) { return p.name == profile->name; });
        };
        if (profile && !damaged && !profile->files.empty() && !taken())
            read.profiles.push_back(std::move(*profile));
        else
            for (const int line : lines)
                read.list.damaged(line);
        profile.reset();
        lines.clear();
        damaged = false;
    };
    for (const auto& [number, line] : read.list.read()) {
        const auto fields = splitListLine(line, 2);
        if (fields.empty() || fields[0] != "F")
            end();
        lines.push_back(number);
        if (!fields.empty() && fields[0] == "P") {
            profile = Profile{fields[1], fields[2], {}, {}};
            damaged = !profileNameProblem(fields[1]).empty();
        } else if (!fields.empty() && fields[0] == "F" && profile) {
            profile->files.emplace_back(fields[2], fields[1]);
            damaged = damaged || !isVersionName(fields[1]);
        } else {
            damaged = true;
        }
    }
    end();
    return read;
}

void writeProfiles(ProfileList& read)
{
    std::ostringstream text;
    for (const auto& profile : read.profiles) {
        text << "P\t" << profile.name << '\t' << profile.date << '\n';
        for (const auto& [file, version] : profile.files)
            text << "F\t" << version << '\t' << file << '\n';
    }
    read.list.write(text.str());
}

std::vector<Profile>::iterator named(std::vector<Profile>& profiles, const std::string& name)
{
    return std::find_if(profiles.begin(), profiles.end(), [&](const Profile& p) { return p.name == name; });
}

} // namespace

std::string fileNames(const std::vector<std::string>& files)
{
    std::string list;
    for (const auto& file : files)
        list += (list.empty() ? "" : ",") + file;
    return list;
}

std::string profileNameProblem(const std::string& name)
{
    const bool fits = !name.empty() && name.size() <= 64
                      && std::none_of(name.begin(), name.end(), [](char c) {
                             return static_cast<unsigned char>(c) < 0x20 || c == 0x7F || std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos;
                         });
    return fits ? std::string()
                : "A profile name is 1 to 64 characters, none of /\\:*?\"<>| and no control characters";
}

std::set<std::string> profileVersions(const fs::path& folder)
{
    std::set<std::string> versions;
    for (const auto& profile : readProfiles(folder).profiles)
        for (const auto& [file, version] : profile.files)
            versions.insert(version);
    return versions;
}

std::vector<Profile> Profiles::list() const
{
    std::error_code error;
    if (!fs::exists(keeper_.folder(), error))
        return {};
    const GameLock lock(keeper_.workspace());
    auto read = readProfiles(keeper_.folder());
    auto& profiles = read.profiles;
    std::map<std::string, std::string> now;   // file -> its version in the game
    for (auto& profile : profiles)
        for (const auto& [file, version] : profile.files) {
            auto [current, added] = now.try_emplace(file);
            if (added && keeper_.restorable(file))   // a name from the list is read only in the game folder
                current->second = versionOf(keeper_.fileFor(file));
            if (current->second != version)
                profile.differs.push_back(file);
        }
    return profiles;
}

std::string Profiles::damage() const
{
    std::error_code error;
    if (!fs::exists(keeper_.folder(), error))
        return {};
    const GameLock lock(keeper_.workspace());
    return readProfiles(keeper_.folder()).list.damage();
}

Outcome Profiles::save(const std::string& name, const Asker& replace)
{
    if (const auto problem = profileNameProblem(name); !problem.empty())
        return Outcome::refused(problem);
    const GameLock lock(keeper_.workspace());
    auto read = readProfiles(keeper_.folder());
    auto& profiles = read.profiles;
    const auto same = named(profiles, name);
    if (same != profiles.end() && !replace("Replace the profile " + name + "?"))
        return Outcome::refused("A profile named " + name + " exists; it is replaced only when you say so (--yes)");
    Profile profile{name, dateText(keeper_.now()), {}, {}};
    const auto store = keeper_.store();
    for (const auto& path : files_) {
        std::error_code error;
        if (fs::is_regular_file(path, error))
            profile.files.emplace_back(keeper_.fileKey(path), store.put(readWholeFile(path)));
    }
    std::set<std::string> dropped;
    if (same != profiles.end()) {
        for (const auto& [file, version] : same->files)
            dropped.insert(version);
        *same = profile;
    } else {
        profiles.push_back(profile);
    }
    writeProfiles(read);
    store.drop(dropped, keeper_.versionsInUse());
    return Outcome::done("Profile " + name + " saved", "Profile " + name + " saved");
}

Outcome Profiles::switchTo(const std::string& name)
{
    const GameLock lock(keeper_.workspace());
    auto read = readProfiles(keeper_.folder());
    auto& profiles = read.profiles;
    const auto found = named(profiles, name);
    if (found == profiles.end())
        return Outcome::refused("There is no profile " + name + (read.list.damage().empty() ? "" : "; " + read.list.damage()));
    // Every file is checked and read before the first is replaced.
    std::vector<Replacement> files;
    std::vector<std::string> changed;
    GameParts parts;
    const auto store = keeper_.store();
    for (const auto& [file, version] : found->files) {
        if (const auto why = keeper_.notRestorable(file); !why.empty())
            return Outcome::refused("The profile " + name + " names " + file + ", " + why + ", so nothing was switched");
        const auto path = keeper_.fileFor(file);
        if (versionOf(path) == version)
            continue;
        Replacement put{path, {}, {}};
        try {
            std::error_code error;
            if (fs::exists(path, error))
                put.now = readWholeFile(path);
            put.wanted = store.get(version, file);
        } catch (const FileError& failure) {
            return Outcome::refused(std::string(failure.what()) + ", so nothing was switched");
        }
        files.push_back(std::move(put));
        changed.push_back(file);
        parts |= gamePartsIn(path, keeper_.workspace().gameFolder);
    }
    if (files.empty())
        return Outcome::done("The game is as the profile " + name + " holds it already");
    try {
        replaceAllOrNothing(files);
    } catch (const FileError& failure) {
        return Outcome::refused(std::string(failure.what()) + ", so nothing was switched");
    }
    const auto text = "Switched to the profile " + name + " (" + fileNames(changed) + ")";
    return Outcome::done(text, text).changing(parts);
}

Outcome Profiles::rename(const std::string& from, const std::string& to)
{
    if (const auto problem = profileNameProblem(to); !problem.empty())
        return Outcome::refused(problem);
    const GameLock lock(keeper_.workspace());
    auto read = readProfiles(keeper_.folder());
    auto& profiles = read.profiles;
    const auto found = named(profiles, from);
    if (found == profiles.end())
        return Outcome::refused("There is no profile " + from);
    if (named(profiles, to) != profiles.end())
        return Outcome::refused("A profile named " + to + " exists already");
    found->name = to;
    writeProfiles(read);
    return Outcome::done("Profile " + from + " renamed " + to, "Profile " + from + " renamed " + to);
}

Outcome Profiles::remove(const std::string& name)
{
    const GameLock lock(keeper_.workspace());
    auto read = readProfiles(keeper_.folder());
    auto& profiles = read.profiles;
    const auto found = named(profiles, name);
    if (found == profiles.end())
        return Outcome::refused("There is no profile " + name);
    std::set<std::string> dropped;
    for (const auto& [file, version] : found->files)
        dropped.insert(version);
    profiles.erase(found);
    writeProfiles(read);
    keeper_.store().drop(dropped, keeper_.versionsInUse());
    return Outcome::done("Profile " + name + " deleted", "Profile " + name + " deleted");
}

} // namespace quorvex
