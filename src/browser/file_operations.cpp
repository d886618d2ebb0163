#include "browser/file_operations.h"
#include "browser/file_list.h"
#include "gameexe/backups.h"
#include "gameexe/errors.h"
#include "gameexe/game_file.h"
#include "shell/settings.h"

#include <cerrno>
#include <system_error>

namespace fs = std::filesystem;

namespace quorvex {

std::string deleteQuestion(const fs::path& file)
{
    return "Delete file " + inQuotes(file) + " ?";
}

Outcome deleteModFile(const fs::path& file, const fs::path& browsedFolder)
{
    if (!isTaken(file))
        return Outcome::refused("Could not delete " + inQuotes(file) + ": File not found");
    try {
        beforeFileChange(file);   // deleting a game file is a change like any other
    } catch (const FileError& failure) {
        return Outcome::refused("Could not delete " + inQuotes(file) + ": " + failure.what());
    }
    std::error_code error;
    fs::remove(file, error);
    if (error || isTaken(file))
        return Outcome::refused("Could not delete " + inQuotes(file) + ": " + (error ? error.message() : "it is still there"));
    return Outcome::done({}, "File " + file.string() + " deleted from folder " + browsedFolder.string())
        .changing(installedGamePartsIn(file));
}

fs::path withExtensionIfBare(const fs::path& chosen, const fs::path& selected)
{
    // Only the file name counts: a dot in a folder name (~/my.mods/b) must not suppress it.
    if (chosen.filename().string().find('.') != std::string::npos)
        return chosen;
    auto result = chosen;
    result += selected.extension();
    return result;
}

Outcome renameModFile(const fs::path& file, const fs::path& target)
{
    std::error_code error;
    // POSIX rename replaces silently; a rename must never destroy another file. The same file
    // under another case (case-insensitive file systems) is not another file.
    if (isTaken(target) && !fs::equivalent(file, target, error))
        return Outcome::refused("Could not rename: " + inQuotes(target) + " already exists");
    error.clear();
    fs::rename(file, target, error);
    if (error == std::errc::cross_device_link) {
        try {
            copyFileAtomically(file, target);
        } catch (const FileError& copyError) {
            return Outcome::refused("Could not rename to " + inQuotes(target) + ": " + copyError.what());
        }
        fs::remove(file, error);
    }
    if (error)
        return Outcome::refused("Could not rename to " + inQuotes(target) + ": " + error.message());
    return Outcome::done("Renamed " + target.string()).changing(installedGamePartsIn(file) | installedGamePartsIn(target));
}

Outcome copyModFile(const fs::path& file, const fs::path& target)
{
    std::error_code error;
    if (isTaken(target) && fs::equivalent(file, target, error))
        return Outcome::refused("Could not copy: " + inQuotes(target) + " is the file itself");
    try {
        copyFileAtomically(file, target);
    } catch (const FileError& copyError) {
        return Outcome::refused("Could not copy to " + inQuotes(target) + ": " + copyError.what());
    }
    return Outcome::done("Copied " + target.string()).changing(installedGamePartsIn(target));
}

Launch gameLaunch(const Workspace& workspace, const SettingsStore& settings)
{
    auto emulator = textOr(settings, setting::RunCommand, DefaultRunCommand);
    if (emulator.empty())
        emulator = DefaultRunCommand;
    // Mounting "." (the working folder) keeps spaces and quotes of the game's path out of the
    // emulator's command line.
    std::string game = "torlo.exe";
    if (isNo(settings, setting::DoSound))
        game += " /N";
    return {emulator, "-c \"mount c .\" -c c: -c \"" + game + "\" -c exit", workspace.gameFolder,
            Shell::Window::Maximised, "install DOSBox or set \"RunCommand\" to the emulator that runs the game"};
}

std::optional<Launch> editLaunch(const fs::path& file, const SettingsStore& settings)
{
    const auto extension = upperExtension(file);
    if (extension == ".BMP" || extension == ".LEV")
        return Launch{file.string(), {}, {}, Shell::Window::Normal, "set a program to open such files"};
    if (extension != ".LWP" && extension != ".LLF")
        return std::nullopt;
    const auto editor = textOr(settings, setting::TextEditor, "");
    if (editor.empty())
        return Launch{file.string(), {}, {}, Shell::Window::Normal, "set \"TextEditor\" to your text editor"};
    return Launch{editor, inQuotes(file), {}, Shell::Window::Normal, "install it or correct \"TextEditor\""};
}

Launch webLaunch(const std::string& address)
{
    return {address, {}, {}, Shell::Window::Maximised, "install a web browser"};
}

Launch helpLaunch(const Workspace& workspace)
{
    const auto index = workspace.resourceFile.parent_path() / "help" / "index.html";
    return {index.string(), {}, {}, Shell::Window::Maximised,
            "the help pages are missing: reinstall Quorvex, or install a web browser to read them"};
}

Outcome start(Shell& shell, const Launch& launch)
{
    const auto problem = shell.open(launch.target, launch.parameters, launch.folder, launch.window);
    if (problem.empty())
        return Outcome::nothing();
    return Outcome::refused(launch.remedy.empty() ? problem : problem + " (" + launch.remedy + ")");
}

} // namespace quorvex
