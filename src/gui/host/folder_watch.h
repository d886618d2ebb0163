#pragma once
// Watching a folder that may not exist yet (a game's backups before its first copy).
#include "modules/desktop/qt_platform.h"

#include <QFileSystemWatcher>
#include <filesystem>

namespace quorvex {

// Watches the nearest folder that exists on the way to folder, in place of what the watcher
// watched: the first write creates the rest, and the change of the folder found is heard.
inline void watchNearestFolder(QFileSystemWatcher& watcher, const std::filesystem::path& folder)
{
    if (!watcher.directories().isEmpty())
        watcher.removePaths(watcher.directories());
    std::error_code error;
    for (auto step = folder; step.has_relative_path(); step = step.parent_path())
        if (std::filesystem::is_directory(step, error)) {
            watcher.addPath(fromPath(step));
            return;
        }
}

} // namespace quorvex
