#pragma once
// The browser's file list: the files of a folder that match the filter mask, sorted by name
// and then, when asked, by extension; and what selecting a file of each kind offers.
#include "core/base/extension.h"
#include "core/formats/file_formats.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvex {

// True when name matches one of the ";"-separated wildcard patterns ("*" and "?"), without
// regard to case, as on the game's file system. An empty mask matches nothing.
bool matchesMask(std::string_view name, std::string_view mask);

// One read of a folder serves the folder list and the file list: the names of its sub-folders
// (hidden ones left out) and of its regular files, links followed, no path built per entry. A
// folder that cannot be read gives nothing.
struct FolderScan {
    std::vector<std::string> folders;
    std::vector<std::string> files;
};
FolderScan scanFolder(const std::filesystem::path& folder);

// The file names that match mask: sorted by name without regard to case, then, when
// sortByExtension is on, by extension without regard to case (names with equal extensions stay
// in name order).
std::vector<std::string> modFiles(const std::vector<std::string>& files, std::string_view mask, bool sortByExtension);
// scanFolder and modFiles in one.
std::vector<std::string> listModFiles(const std::filesystem::path& folder, std::string_view mask, bool sortByExtension);

// What selecting a file offers: the three buttons that depend on its format and the page
// brought to the front (the format's row). Unset means "leave as it is".
struct FileCommands {
    std::optional<bool> edit, activate, convert;
    std::optional<GamePage> page;
};
FileCommands commandsFor(std::string_view upperExtension);
// The same for a file: a weapon plugin brings the page of its first record's kind (objects,
// special objects) instead of the weapons.
FileCommands commandsForFile(const std::filesystem::path& file);

} // namespace quorvex
