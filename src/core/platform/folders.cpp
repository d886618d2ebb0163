#include "core/platform/folders.h"
#include "core/base/places.h"
#include "core/gamefile/resource_file.h"
#include "core/os/files.h"
#include "core/platform/module_loader.h"

#include <cstdlib>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <pwd.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace quorvex {

namespace {

// The organisation and application names of the per-user folders (as QSettings and
// QStandardPaths had them).
const fs::path OwnFolder = fs::path("Morvane") / "Quorvex";

#ifndef _WIN32
fs::path homeFolder(const Environment& environment)
{
    if (auto home = environment("HOME"); !home.empty())
        return home;
    if (const auto* entry = ::getpwuid(::getuid()); entry && entry->pw_dir)
        return entry->pw_dir;
    return "/";
}

// An XDG base folder: the variable when it holds an absolute path (relative ones are to be
// ignored), else the folder under the home folder.
fs::path xdgFolder(const Environment& environment, const char* variable, const fs::path& underHome)
{
    if (auto folder = environment(variable); folder.is_absolute())
        return folder;
    return homeFolder(environment) / underHome;
}
#endif

} // namespace

fs::path environmentPath(const char* name)
{
#ifdef _WIN32
    const std::wstring wide(name, name + std::char_traits<char>::length(name));
    const wchar_t* value = ::_wgetenv(wide.c_str());
#else
    const char* value = std::getenv(name);
#endif
    return value ? fs::path(value) : fs::path();
}

#ifndef _WIN32
fs::path userDataHome(const Environment& environment)
{
    return xdgFolder(environment, "XDG_DATA_HOME", fs::path(".local") / "share");
}

fs::path userConfigHome(const Environment& environment)
{
    return xdgFolder(environment, "XDG_CONFIG_HOME", ".config");
}
#endif

fs::path userDataFolder(const Environment& environment)
{
#ifdef _WIN32
    return environment("LOCALAPPDATA") / OwnFolder;
#else
    return userDataHome(environment) / OwnFolder;
#endif
}

fs::path dataFolder(const fs::path& program, const Environment& environment)
{
    if (auto overridden = environment("QUORVEX_DATA_DIR"); !overridden.empty())
        return absolutePath(overridden);
    // A portable copy keeps quorvex.dat beside the program (as the build tree does); an
    // installed one does not, and its program folder is no place for data, writable or not.
    std::error_code error;
    if (fs::exists(program / places::ResourceFileName, error) && os::isWritable(program))
        return program;
    return userDataFolder(environment);
}

fs::path tempFolder(const Environment& environment)
{
    for (const char* name : {"TEMP", "TMP"})
        if (auto folder = environment(name); !folder.empty())
            return absolutePath(folder);
#ifdef _WIN32
    wchar_t buffer[MAX_PATH + 1];
    const auto length = ::GetTempPathW(MAX_PATH + 1, buffer);
    return fs::path(std::wstring(buffer, length));
#else
    if (auto folder = environment("TMPDIR"); !folder.empty())
        return absolutePath(folder);
    return "/tmp";
#endif
}

fs::path desktopProgram()
{
#ifdef _WIN32
    return programFolder() / "quorvex.exe";
#else
    return programFolder() / "quorvex";
#endif
}

Workspace platformWorkspace()
{
    Workspace workspace;
    const auto program = programFolder();
    workspace.dataFolder = dataFolder(program);
    // The per-user folder may not exist yet on a first run; the writers expect it.
    std::error_code ignored;
    fs::create_directories(workspace.dataFolder, ignored);
    workspace.tempFolder = tempFolder();
    workspace.resourceFile = locateResourceFile(program);
    return workspace;
}

} // namespace quorvex
