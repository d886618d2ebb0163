#pragma once
// Test doubles of the platform services and a scratch game folder built by the demo generator.
#include "core/base/workspace.h"
#include "core/base/services.h"
#include "core/store/game_change.h"

#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

namespace quorvex::test {

// A fresh folder under the system temp folder, removed at the end of the test.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// A scratch folder holding a demo game in game/, a data folder in data/, temp in temp/.
struct DemoGame {
    DemoGame();
    ScratchFolder scratch;
    Workspace workspace;
    std::filesystem::path game() const { return workspace.gameFolder; }
};

class FixedClock final : public Clock {
public:
    Date date{2026, 3, 14};
    Date today() const override { return date; }
    std::string shortDate() const override;
    std::string longTime() const override { return "12:34:56"; }
};

class MemorySettings final : public SettingsStore {
public:
    std::map<std::string, std::string> texts;
    std::map<std::string, std::int64_t> integers;
    bool contains(const std::string& name) const override;
    std::optional<std::string> text(const std::string& name) const override;
    std::optional<std::int64_t> integer(const std::string& name) const override;
    void setText(const std::string& name, const std::string& value) override;
    void setInteger(const std::string& name, std::int64_t value) override;
};

// Answers from a script; a question it was not told to expect fails the test.
class ScriptedPrompts final : public Prompts {
public:
    std::vector<std::string> shown;                                 // every text shown or asked
    std::deque<bool> yesNo;                                         // answers to askYesNo
    std::deque<Answer> yesNoCancel;
    std::deque<Unsaved> unsaved;                                    // answers to askUnsaved
    std::deque<std::optional<std::filesystem::path>> files;         // answers to open/save dialogs
    std::vector<std::string> filters;                               // filters of the dialogs shown
    std::vector<std::filesystem::path> initialNames;
    std::deque<std::optional<std::uint32_t>> colours;                // answers to the colour dialog
    std::vector<std::uint32_t> colourInitials;                      // the colour each one was preset with

    void information(const std::string& text) override { shown.push_back(text); }
    void error(const std::string& text) override { shown.push_back(text); }
    bool askYesNo(const std::string& text) override;
    Answer askYesNoCancel(const std::string& text) override;
    std::vector<UnsavedChoices> unsavedChoices;                     // the buttons of each askUnsaved
    Unsaved askUnsaved(const std::string& text, const UnsavedChoices& choices = {}) override;
    std::vector<std::string> titles;                                // titles of the open dialogs shown
    std::optional<std::filesystem::path> openFile(const std::string& filter, const std::filesystem::path& initial,
                                                  const std::string& title = "Open") override;
    std::optional<std::filesystem::path> saveFile(const std::string& filter, const std::filesystem::path& initial,
                                                  const std::string& defaultExtension) override;
    std::optional<std::uint32_t> chooseColour(std::uint32_t initial) override;
};

class RecordingShell final : public Shell {
public:
    struct Call {
        std::string target, parameters;
        std::filesystem::path folder;
        Window window;
    };
    std::vector<Call> calls;
    std::string answer;   // what open() returns
    std::string open(const std::string& target, const std::string& parameters,
                     const std::filesystem::path& folder, Window window) override
    {
        calls.push_back({target, parameters, folder, window});
        return answer;
    }
};

std::vector<std::uint8_t> readBytes(const std::filesystem::path& file);
std::string readText(const std::filesystem::path& file);
void writeBytes(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes);

// The lines of a text, without their line feeds.
std::vector<std::string> lines(const std::string& text);

// Runs a command line, returning exit code, standard output and standard error.
struct CommandResult {
    int exitCode;
    std::string out, err;
};
CommandResult runCommand(const std::vector<std::string>& arguments, const std::string& input = {});
// Runs DOS commands in DOSBox with `folder` mounted as drive C: and current, sound and screen
// off, HOME in `scratch` (DOSBox keeps its settings there); stopped after 60 s. Nullopt when
// DOSBox is not installed.
std::optional<CommandResult> runInDosBox(const std::filesystem::path& folder, const std::vector<std::string>& commands,
                                         const std::filesystem::path& scratch);
// Runs quorvex-cli with the arguments.
CommandResult runCli(const std::vector<std::string>& arguments);
// The same with the data folder (log, working files) in dataFolder.
CommandResult runCli(const std::filesystem::path& dataFolder, const std::vector<std::string>& arguments);

// True when the test runs as root and can drop to an unprivileged user (for permission tests).
bool canDropPrivileges();
// Runs action as one operation on the workspace's game, as the window and the CLI run theirs
// (backups kept, one step of the history, the patches put in place at its end); returns what
// action returns. now: the keeper's clock.
template <class Action>
auto asOperation(const Workspace& workspace, Action action, BackupKeeper::Now now = {})
{
    GameChange change(workspace, std::move(now));
    if constexpr (std::is_void_v<decltype(action())>) {
        action();
        change.commit();
    } else {
        auto result = action();
        change.commit();
        return result;
    }
}

// The text of the FileError that action throws, or "no error".
std::string errorText(const std::function<void()>& action);
// Runs action in a child process and returns the text it reports; as an unprivileged user when
// asked and the test runs as root (root ignores permission bits).
std::string inChildProcess(bool unprivileged, const std::function<std::string()>& action);

// Writes a zip archive with the given entries as they are (hostile names included); a link
// entry is marked as a Unix symbolic link whose target is its content.
struct ZipEntry {
    std::string name;
    std::string content;
    bool link = false;
};
void writeZip(const std::filesystem::path& archive, const std::vector<ZipEntry>& entries);
// The entry names of a zip archive, in archive order.
std::vector<std::string> zipEntryNames(const std::filesystem::path& archive);

} // namespace quorvex::test
