#pragma once
// Where Quorvex keeps its files on this computer: the data folder, the temp folder, the per-user
// folders of the desktop and the settings file. Qt-free, so that the CLI finds them without
// loading Qt, and the one home of these rules for the program as well.
#include "core/base/workspace.h"

#include <filesystem>
#include <functional>

namespace quorvex {

// An environment variable as a path; empty when it is not set or empty. The rules below take
// the lookup as a parameter so that tests can give their own.
using Environment = std::function<std::filesystem::path(const char* name)>;
std::filesystem::path environmentPath(const char* name);

#ifndef _WIN32
// The per-user folders of the desktop: $XDG_DATA_HOME and $XDG_CONFIG_HOME when they are
// absolute paths, else ~/.local/share and ~/.config.
std::filesystem::path userDataHome(const Environment& environment = environmentPath);
std::filesystem::path userConfigHome(const Environment& environment = environmentPath);
#endif

// Quorvex's own per-user data folder: <user data home>/Morvane/Quorvex, on Windows
// %LOCALAPPDATA%\Morvane\Quorvex.
std::filesystem::path userDataFolder(const Environment& environment = environmentPath);

// The data folder: $QUORVEX_DATA_DIR when set, else the executable's folder for a portable copy
// (quorvex.dat beside the executable, and the folder writable), else the per-user data folder.
// Always absolute. Not created here: the writers into it do.
std::filesystem::path dataFolder(const std::filesystem::path& programFolder,
                                 const Environment& environment = environmentPath);

// TEMP, else TMP, else the system's temp folder ($TMPDIR or /tmp; on Windows GetTempPathW).
std::filesystem::path tempFolder(const Environment& environment = environmentPath);

// The desktop program that the file associations start (beside this executable).
std::filesystem::path desktopProgram();

// Everything but the game folder, which comes from the settings.
Workspace platformWorkspace();

} // namespace quorvex
