#include "core/browser/file_list.h"
#include "core/base/extension.h"
#include "core/os/files.h"
#include "core/weapons/plugin.h"

#include <algorithm>
#include <array>

#ifndef _WIN32
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace fs = std::filesystem;

namespace quorvex {

namespace {

char upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

// Iterative wildcard match with one backtrack point, linear for the "*.EXT" patterns we use.
bool matchesPattern(std::string_view name, std::string_view pattern)
{
    std::size_t n = 0, p = 0, starAt = std::string_view::npos, resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || upper(pattern[p]) == upper(name[n]))) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starAt = p++;
            resumeAt = n;
        } else if (starAt != std::string_view::npos) {
            p = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

std::string_view extensionOf(std::string_view name)
{
    const auto dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view{} : name.substr(dot);
}

} // namespace

bool matchesMask(std::string_view name, std::string_view mask)
{
    while (!mask.empty()) {
        const auto end = mask.find(';');
        const auto pattern = mask.substr(0, end);
        if (!pattern.empty() && matchesPattern(name, pattern))
            return true;
        if (end == std::string_view::npos)
            break;
        mask.remove_prefix(end + 1);
    }
    return false;
}

FolderScan scanFolder(const fs::path& folder)
{
    FolderScan scan;
#ifdef _WIN32
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code typeError;
        auto name = os::textOf(it->path().filename());
        if (it->is_directory(typeError) && name.front() != '.')
            scan.folders.push_back(std::move(name));
        else if (it->is_regular_file(typeError))
            scan.files.push_back(std::move(name));
    }
#else
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return scan;
    const int fd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        auto type = entry->d_type;
        if (type == DT_UNKNOWN || type == DT_LNK) {
            struct stat info {};
            if (::fstatat(fd, name, &info, 0) != 0)
                continue;
            type = S_ISDIR(info.st_mode) ? DT_DIR : S_ISREG(info.st_mode) ? DT_REG : DT_UNKNOWN;
        }
        if (type == DT_DIR && name[0] != '.')
            scan.folders.emplace_back(name);
        else if (type == DT_REG)
            scan.files.emplace_back(name);
    }
    ::closedir(dir);
#endif
    return scan;
}

std::vector<std::string> modFiles(const std::vector<std::string>& files, std::string_view mask, bool sortByExtension)
{
    std::vector<std::string> names;
    if (mask.empty())
        return names;
    // The upper-cased names are made once, side by side in one buffer, so that the sort
    // compares plain bytes.
    struct Entry {
        std::size_t at, size, extension;   // in upper; extension: offset of the extension in the name
        const std::string* name;
    };
    std::vector<Entry> entries;
    std::string upperNames;
    for (const auto& name : files) {
        if (!matchesMask(name, mask))
            continue;
        const auto at = upperNames.size();
        for (const char c : name)
            upperNames += upper(c);
        entries.push_back({at, name.size(), name.size() - extensionOf(name).size(), &name});
    }
    const std::string_view all(upperNames);
    // One sort: by extension first when asked, then by name, which is what a stable sort by
    // extension after a sort by name gives.
    std::sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
        const auto nameA = all.substr(a.at, a.size), nameB = all.substr(b.at, b.size);
        if (sortByExtension)
            if (const int order = nameA.substr(a.extension).compare(nameB.substr(b.extension)); order != 0)
                return order < 0;
        const int order = nameA.compare(nameB);
        return order != 0 ? order < 0 : *a.name < *b.name;
    });
    names.reserve(entries.size());
    for (const auto& entry : entries)
        names.push_back(*entry.name);
    return names;
}

std::vector<std::string> listModFiles(const fs::path& folder, std::string_view mask, bool sortByExtension)
{
    return modFiles(scanFolder(folder).files, mask, sortByExtension);
}

FileCommands commandsFor(std::string_view extension)
{
    const auto* format = fileFormatOf(extension);
    if (!format)
        return {};
    return {format->edit != EditWith::Nothing, format->activation != nullptr, format->conversion != nullptr, format->page};
}

FileCommands commandsForFile(const fs::path& file)
{
    auto commands = commandsFor(upperExtension(file));
    if (commands.page == GamePage::Weapons) {
        const auto kind = firstRecordKind(file);
        if (kind == RecordKind::Object)
            commands.page = GamePage::Objects;
        else if (kind == RecordKind::SObject)
            commands.page = GamePage::SpecialObjects;
    }
    return commands;
}

} // namespace quorvex
