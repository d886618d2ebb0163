#include "core/browser/file_operations.h"
#include "core/os/files.h"
#include "core/browser/file_list.h"
#include "core/store/game_change.h"
#include "core/base/errors.h"
#include "core/gamefile/game_file.h"
#include "core/shell/settings.h"
#include "core/formats/file_formats.h"

#include <cerrno>
#include <system_error>
#include <utility>

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
    const auto parts = gamePartsChangedBy(file);
    try {
        removeFile(file);   // deleting a game file is a change like any other
    } catch (const FileError& failure) {
        return Outcome::refused("Could not delete " + inQuotes(file) + ": " + failure.what());
    }
    if (isTaken(file))
        return Outcome::refused("Could not delete " + inQuotes(file) + ": it is still there");
    return Outcome::done({}, "File " + os::textOf(file) + " deleted from folder " + os::textOf(browsedFolder)).changing(parts);
}

fs::path withExtensionIfBare(const fs::path& chosen, const fs::path& selected)
{
    // Only the file name counts: a dot in a folder name (~/my.mods/b) must not suppress it.
    if (os::textOf(chosen.filename()).find('.') != std::string::npos)
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
    return Outcome::done("Renamed " + os::textOf(target)).changing(gamePartsChangedBy(file) | gamePartsChangedBy(target));
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
    return Outcome::done("Copied " + os::textOf(target)).changing(gamePartsChangedBy(target));
}

std::vector<std::string> commandWords(std::string_view line, const std::string& home)
{
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    char quote = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quote == '\'' ? c == '\'' : quote == '"' ? c == '"' : false) {
            quote = 0;
        } else if (quote != '\'' && c == '\\' && i + 1 < line.size()) {
            word += line[++i];
            inWord = true;
        } else if (quote) {
            word += c;
        } else if (c == '"' || c == '\'') {
            quote = c;
            inWord = true;
        } else if (c == ' ' || c == '\t') {
            if (inWord)
                words.push_back(std::exchange(word, {}));
            inWord = false;
        } else {
            if (!inWord && c == '~' && i + 1 < line.size() && line[i + 1] == '/' && !home.empty())
                word += home;   // the "/" follows
            else
                word += c;
            inWord = true;
        }
    }
    if (quote)
        return {};
    if (inWord)
        words.push_back(word);
    return words;
}

std::string parameterText(const std::vector<std::string>& words)
{
    // The Shell splits its parameter text as QProcess::splitCommand does: double quotes keep
    // blanks, and a quote inside them is written three times.
    std::string text;
    for (const auto& word : words) {
        if (!text.empty())
            text += ' ';
        if (!word.empty() && word.find_first_of(" \t\"") == std::string::npos) {
            text += word;
            continue;
        }
        text += '"';
        for (const char c : word)
            text += c == '"' ? std::string("\"\"\"") : std::string(1, c);
        text += '"';
    }
    return text;
}

Launch gameLaunch(const Workspace& workspace, const SettingsStore& settings, const std::string& home)
{
    auto words = commandWords(textOr(settings, setting::RunCommand, DefaultRunCommand), home);
    if (words.empty())
        words = {DefaultRunCommand};
    // Mounting "." (the working folder) keeps spaces and quotes of the game's path out of the
    // emulator's command line.
    std::string game = "torlo.exe";
    if (isNo(settings, setting::DoSound))
        game += " /N";
    for (const auto& added : {"-c", "mount c .", "-c", "c:", "-c", game.c_str(), "-c", "exit"})
        words.emplace_back(added);
    const auto program = words.front();
    words.erase(words.begin());
    return {program, parameterText(words), workspace.gameFolder, Shell::Window::Maximised,
            "install DOSBox or set the emulator's command on the Options page"};
}

std::optional<Launch> editLaunch(const fs::path& file, const SettingsStore& settings, const std::string& home)
{
    const auto* format = fileFormatOf(os::textOf(file.extension()));
    const auto edit = format ? format->edit : EditWith::Nothing;
    if (edit == EditWith::Nothing)
        return std::nullopt;
    if (edit == EditWith::Opener)
        return Launch{os::textOf(file), {}, {}, Shell::Window::Normal, "set a program to open such files"};
    auto editor = commandWords(textOr(settings, setting::TextEditor, ""), home);
    if (editor.empty())
        return Launch{os::textOf(file), {}, {}, Shell::Window::Normal, "set your text editor on the Options page"};
    const auto program = editor.front();
    editor.erase(editor.begin());
    editor.push_back(os::textOf(file));
    return Launch{program, parameterText(editor), {}, Shell::Window::Normal, "install it or correct the text editor on the Options page"};
}

Launch webLaunch(const std::string& address)
{
    return {address, {}, {}, Shell::Window::Maximised, "install a web browser"};
}

Outcome start(Shell& shell, const Launch& launch)
{
    const auto problem = shell.open(launch.target, launch.parameters, launch.folder, launch.window);
    if (problem.empty())
        return Outcome::nothing();
    return Outcome::refused(launch.remedy.empty() ? problem : problem + " (" + launch.remedy + ")");
}

} // namespace quorvex
