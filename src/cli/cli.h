#pragma once
// quorvex-cli: every operation that reads, converts or changes game files, for scripts.
#include "core/base/workspace.h"
#include "core/shell/activity_log.h"
#include "core/base/outcome.h"
#include "core/base/services.h"

#include <algorithm>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string_view>
#include <stdexcept>
#include <string>
#include <vector>

namespace quorvex {
class GameChange;
}

namespace quorvex::cli {

// A wrong command line: the message goes to standard error and the exit code is 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Context {
    Workspace workspace;
    SettingsStore& settings;
    ActivityLog& log;
    Asker ask;
    std::ostream& out;
    std::ostream& err;        // every line starts with "quorvex-cli: "
    std::ostream& terminal;   // standard error as it is, for progress on a terminal
    GameChange* change = nullptr;   // the command's change of the game, put in place before its result is shown

    // Shows an operation's result: status on standard output (success, exit 0) or standard
    // error (refusal, exit 1), then the log entry (a log that cannot be written is a warning
    // on standard error; the exit code stays 0).
    int finish(const Outcome& outcome);
};

// The words after a command's name. Those from literalFrom on came after "--": never options.
struct Arguments : std::vector<std::string> {
    using std::vector<std::string>::vector;
    std::size_t literalFrom = std::string::npos;
    // The words that may be options: those before literalFrom.
    std::size_t optionEnd() const { return std::min(literalFrom, size()); }
};

struct Command;

struct Command {
    std::string name;      // one or two words, e.g. "weapons list"
    std::string usage;     // the arguments after the name
    std::string summary;
    std::function<int(Context&, const Arguments&, const Command& self)> run;
    // For a command that changes the game's files: argument lines that do so on the demo game
    // (paths relative to its folder). --help shows them; the backup test runs every one of them.
    std::vector<std::string> gameChanges = {};
    // Further argument lines that "COMMAND --help" shows as examples.
    std::vector<std::string> examples = {};
    // The KEYs of a KEY=VALUE command, and the extensions of the files it takes ("lev|chr"),
    // for the shell's completion.
    std::vector<std::string> keys = {};
    std::string files = {};
    // The command whose listing's first column completes the arguments ("profiles list").
    std::string completedFrom = {};
};
using CommandTable = std::vector<Command>;

// Each subsystem adds its commands.
void addGameCommands(CommandTable& table);
void addWeaponCommands(CommandTable& table);
void addFormatCommands(CommandTable& table);
void addTextCommands(CommandTable& table);
void addPaletteCommands(CommandTable& table);
void addOptionCommands(CommandTable& table);
void addHackCommands(CommandTable& table);
void addSoundCommands(CommandTable& table);
void addObjectCommands(CommandTable& table);
void addPluginCommands(CommandTable& table);
void addBackupCommands(CommandTable& table);
void addChangeCommands(CommandTable& table);
void addHistoryCommands(CommandTable& table);
void addProfileCommands(CommandTable& table);
void addModCommands(CommandTable& table);

// Every command, in the order --help lists them.
CommandTable allCommands();

// The options of quorvex-cli itself, given anywhere on the line.
struct GlobalOption {
    std::string_view name, shortName, value, help;
};
extern const std::vector<GlobalOption> GlobalOptions;

// The options a command's usage names: "--bank FILE" takes a value, "--lwp2" does not.
struct CommandOption {
    std::string name;
    bool takesValue;
};
std::vector<CommandOption> optionsOf(const Command& command);

// "-" as a command's file: standard output for a file it writes, standard input for one it
// reads. The operation works on a file of that name in a scratch folder; a real file named
// "-" is "./-".
bool isStandardStream(const std::string& file);
class StandardStreamFile {
public:
    // name: the file name the operation gets (its extension may choose the format).
    explicit StandardStreamFile(const std::string& name);
    ~StandardStreamFile();
    StandardStreamFile(const StandardStreamFile&) = delete;
    StandardStreamFile& operator=(const StandardStreamFile&) = delete;
    const std::filesystem::path& path() const { return path_; }
    // Standard input into the file.
    void fillFromInput();
    // The operation's result: on success the bytes of written (default: path()) go to
    // standard output and no status line is printed, since the output is the data.
    int finishToOutput(Context& context, const Outcome& outcome, const std::filesystem::path& written = {}) const;
    // The outcome's texts with the scratch path read as "standard input".
    Outcome naming(Outcome outcome) const;

private:
    std::filesystem::path folder_, path_;
};

// A UTF-8 argument as game text (code page 437); nullopt (and the reason on standard error) for
// malformed UTF-8 or a character that the game cannot hold.
std::optional<std::string> gameTextArgument(Context& context, const std::string& utf8);

// The group of commands whose first word is word ("weapons"), in the order of the table.
std::vector<const Command*> commandGroup(std::string_view word, const CommandTable& table);
// A group's help: its commands with their usage and summary.
void printGroupHelp(std::string_view word, const CommandTable& table, std::ostream& out);

// Takes "--name" from args when present; returns whether it was.
bool takeFlag(Arguments& args, const std::string& name);
// Takes "--name VALUE" from args when present.
std::optional<std::string> takeValue(Arguments& args, const std::string& name);
// "KEY=VALUE" arguments from args[from] on; UsageError for any other form.
struct Assignment {
    std::string key, value;
};
std::vector<Assignment> takeAssignments(const Arguments& args, std::size_t from, const Command& command);
// Throws UsageError unless args has between min and max entries.
void expectArguments(const Arguments& args, std::size_t min, std::size_t max, const Command& command);

int run(int argc, char** argv, std::ostream& out, std::ostream& err);

} // namespace quorvex::cli
