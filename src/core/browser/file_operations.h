#pragma once
// The browser's file commands: delete, rename and copy the selected file, and the outside
// programs started for it (the game through DOSBox, editors, help, web sites).
#include "core/base/workspace.h"
#include "core/base/outcome.h"
#include "core/base/services.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvex {

inline constexpr const char* CommunitySite = "https://torlonet.morvane.net";
inline constexpr const char* MakerSite = "https://quorvex.morvane.net";
inline constexpr const char* AllFilesFilter = "All files|*.*";

// "Delete file "<path>" ?"
std::string deleteQuestion(const std::filesystem::path& file);
// Deletes file; the log line "File <path> deleted from folder <folder>" comes only once it is
// really gone. A failure is refused with the reason; Done carries no status text.
Outcome deleteModFile(const std::filesystem::path& file, const std::filesystem::path& browsedFolder);

// The name chosen in the rename or copy dialog, with the selected file's extension appended
// when the chosen file name has no dot.
std::filesystem::path withExtensionIfBare(const std::filesystem::path& chosen, const std::filesystem::path& selected);
// "Renamed <target>"; refused (file left as it was) when the rename fails or would replace
// another file.
Outcome renameModFile(const std::filesystem::path& file, const std::filesystem::path& target);
// "Copied <target>"; an existing target is replaced whole; refused when the copy fails.
Outcome copyModFile(const std::filesystem::path& file, const std::filesystem::path& target);

// A program or document to start through the Shell, and what to tell the user when it fails.
struct Launch {
    std::string target;
    std::string parameters;
    std::filesystem::path folder;
    Shell::Window window = Shell::Window::Normal;
    std::string remedy;   // appended to the Shell's reason on failure
};

// The words of a command line such as "RunCommand": split at blanks; double or single quotes
// keep blanks in a word, a backslash outside single quotes takes the next character as it is,
// and a word beginning "~/" starts in home. Empty for a line without words or with an
// unclosed quote.
std::vector<std::string> commandWords(std::string_view line, const std::string& home);
// Words as the Shell's parameter text, each kept whole (quoted where needed).
std::string parameterText(const std::vector<std::string>& words);

// Torlo under DOSBox ("RunCommand", a command line, default dosbox): the game folder mounted as
// C, torlo.exe started there, "/N" when "DoSound" is "no".
Launch gameLaunch(const Workspace& workspace, const SettingsStore& settings, const std::string& home = {});
// "Edit": .BMP and .LEV with the system's opener; .LWP and .LLF in the text editor
// ("TextEditor", a command line, else the system's opener); nothing for other kinds.
std::optional<Launch> editLaunch(const std::filesystem::path& file, const SettingsStore& settings,
                                 const std::string& home = {});
Launch webLaunch(const std::string& address);

// Starts it; Nothing on success, else refused with the Shell's reason and the remedy.
Outcome start(Shell& shell, const Launch& launch);

} // namespace quorvex
