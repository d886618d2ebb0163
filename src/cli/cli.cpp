#include "cli/cli.h"
#include "core/store/game_change.h"
#include "core/text/cp437.h"
#include "core/base/errors.h"
#include "core/gamefile/game_lock.h"
#include "core/text/utf8.h"
#include "core/os/files.h"
#include "core/platform/folders.h"
#include "core/platform/qt_services.h"
#include "core/shell/settings.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <random>
#include <sstream>

namespace quorvex::cli {

int Context::finish(const Outcome& outcome)
{
    // The files are in place before the command says so; the status names the history's step.
    if (change) {
        change->describe(outcome.status, outcome.succeeded());
        change->commit();
    }
    if (!outcome.succeeded()) {
        err << (outcome.status.empty() ? std::string("Nothing was done") : outcome.status) << '\n';
        return 1;
    }
    if (!outcome.status.empty())
        out << outcome.status << '\n';
    if (!outcome.logMessage.empty())
        if (const auto warning = appendToLog(log, outcome); !warning.empty())
            err << warning << '\n';
    return 0;
}

std::optional<std::string> gameTextArgument(Context& context, const std::string& utf8)
{
    try {
        return utf8ToCp437(utf8);
    } catch (const Utf8Error& error) {
        context.err << error.what() << ". Nothing was written\n";
    } catch (const CharacterError& error) {
        context.err << error.what() << ". Nothing was written\n";
    }
    return std::nullopt;
}

bool takeFlag(Arguments& args, const std::string& name)
{
    const auto end = args.begin() + static_cast<std::ptrdiff_t>(args.optionEnd());
    const auto it = std::find(args.begin(), end, name);
    if (it == end)
        return false;
    args.erase(it);
    if (args.literalFrom != std::string::npos)
        --args.literalFrom;
    return true;
}

std::optional<std::string> takeValue(Arguments& args, const std::string& name)
{
    const auto end = args.begin() + static_cast<std::ptrdiff_t>(args.optionEnd());
    const auto it = std::find(args.begin(), end, name);
    if (it == end)
        return std::nullopt;
    if (it + 1 == args.end())
        throw UsageError(name + " needs a value");
    std::string value = *(it + 1);
    args.erase(it, it + 2);
    if (args.literalFrom != std::string::npos)
        args.literalFrom -= std::min<std::size_t>(args.literalFrom, 2);
    return value;
}

namespace {

// Damerau-Levenshtein distance (adjacent swaps count one), as git measures a mistyped command.
std::size_t editDistance(std::string_view a, std::string_view b)
{
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i)
        d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j)
        d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i)
        for (std::size_t j = 1; j <= b.size(); ++j) {
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] != b[j - 1])});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[a.size()][b.size()];
}

// git's hint for a mistyped word: the nearest candidates, or nothing when none is near.
std::string mostSimilar(std::string_view word, const std::vector<std::string>& candidates, std::string_view what)
{
    // Close enough to be a slip of the fingers: a few edits, or the start of the word.
    const auto limit = std::max<std::size_t>(2, word.size() / 3);
    std::size_t best = limit + 1;
    std::vector<std::string> found;
    for (const auto& candidate : candidates) {
        const auto distance = candidate.starts_with(word) && word.size() > 1 ? 0 : editDistance(word, candidate);
        if (distance < best) {
            best = distance;
            found.clear();
        }
        if (distance == best && std::find(found.begin(), found.end(), candidate) == found.end())
            found.push_back(candidate);
    }
    if (found.empty())
        return {};
    std::string text = found.size() == 1 ? "\nThe most similar " + std::string(what) + " is"
                                         : "\nThe most similar " + std::string(what) + "s are";
    for (const auto& candidate : found)
        text += "\n\t" + candidate;
    return text;
}

} // namespace

void expectArguments(const Arguments& args, std::size_t min, std::size_t max, const Command& command)
{
    for (std::size_t i = 0; i < args.optionEnd(); ++i)
        if (args[i].size() > 2 && args[i].starts_with("--")) {
            std::vector<std::string> names;
            for (const auto& option : optionsOf(command))
                names.push_back(option.name);
            throw UsageError("unknown option " + args[i] + mostSimilar(args[i], names, "option") +
                             "\nusage: quorvex-cli " + command.name + " " + command.usage);
        }
    if (args.size() < min || args.size() > max)
        throw UsageError("usage: quorvex-cli " + command.name + " " + command.usage);
}

std::vector<Assignment> takeAssignments(const Arguments& args, std::size_t from, const Command& command)
{
    std::vector<Assignment> assignments;
    for (auto i = from; i < args.size(); ++i) {
        const auto equals = args[i].find('=');
        if (equals == std::string::npos || equals == 0)
            throw UsageError("expected KEY=VALUE, got \"" + args[i] + "\"\nusage: quorvex-cli " + command.name + " " +
                             command.usage);
        assignments.push_back({args[i].substr(0, equals), args[i].substr(equals + 1)});
    }
    return assignments;
}

CommandTable allCommands()
{
    CommandTable table;
    table.push_back({"help", "[COMMAND]", "this text, or the usage and examples of COMMAND", nullptr, {}, {"", "weapons set"}});
    addGameCommands(table);
    addWeaponCommands(table);
    addFormatCommands(table);
    addTextCommands(table);
    addPaletteCommands(table);
    addOptionCommands(table);
    addHackCommands(table);
    addSoundCommands(table);
    addObjectCommands(table);
    addPluginCommands(table);
    addBackupCommands(table);
    addChangeCommands(table);
    addHistoryCommands(table);
    addProfileCommands(table);
    addModCommands(table);
    return table;
}

const std::vector<GlobalOption> GlobalOptions = {
    {"--game", "", "DIR", "the game folder (default: the \"TorloPath\" setting)"},
    {"--yes", "", "", "answer yes to every question an operation asks"},
    {"--no", "", "", "answer no to every question (without --yes or --no: asked on the terminal; no terminal: no)"},
    {"--help", "-h", "", "this text; with a command, its usage and examples"},
    {"--no-wait", "", "", "refuse instead of waiting while another Quorvex changes the game"},
    {"--version", "-V", "", "the version of quorvex-cli"},
};

std::vector<CommandOption> optionsOf(const Command& command)
{
    std::string words = command.usage;
    for (auto& c : words)
        if (c == '[' || c == ']' || c == '|')
            c = ' ';
    std::istringstream stream(words);
    std::vector<std::string> tokens{std::istream_iterator<std::string>(stream), std::istream_iterator<std::string>()};
    std::vector<CommandOption> options;
    for (std::size_t i = 0; i < tokens.size(); ++i)
        if (tokens[i].size() > 2 && tokens[i].rfind("--", 0) == 0) {
            const bool value = i + 1 < tokens.size() && tokens[i + 1][0] >= 'A' && tokens[i + 1][0] <= 'Z';
            options.push_back({tokens[i], value});
        }
    return options;
}

std::vector<const Command*> commandGroup(std::string_view word, const CommandTable& table)
{
    std::vector<const Command*> group;
    for (const auto& command : table)
        if (command.name.size() > word.size() && command.name.starts_with(word) && command.name[word.size()] == ' ')
            group.push_back(&command);
    return group;
}

bool isStandardStream(const std::string& file)
{
    return file == "-";
}

StandardStreamFile::StandardStreamFile(const std::string& name)
{
    // A folder of its own, so that nothing of anyone else's is read or replaced.
    std::random_device random;
    for (int attempt = 0; folder_.empty(); ++attempt) {
        auto candidate = std::filesystem::temp_directory_path() / ("quorvex-cli-" + std::to_string(random()));
        if (std::filesystem::create_directory(candidate))
            folder_ = candidate;
        else if (attempt > 100)
            throw FileError("Could not make a scratch folder in " + os::textOf(std::filesystem::temp_directory_path()));
    }
    path_ = folder_ / name;
}

StandardStreamFile::~StandardStreamFile()
{
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

void StandardStreamFile::fillFromInput()
{
    std::ofstream file(path_, std::ios::binary);
    file << std::cin.rdbuf();
    if (!file)
        throw FileError("Could not read standard input into " + os::textOf(path_));
}

int StandardStreamFile::finishToOutput(Context& context, const Outcome& outcome, const std::filesystem::path& written) const
{
    if (!outcome.succeeded())
        return context.finish(naming(outcome));
    std::ifstream file(written.empty() ? path_ : written, std::ios::binary);
    context.out << file.rdbuf() << std::flush;
    auto silent = outcome;
    silent.status.clear();
    return context.finish(silent);
}

Outcome StandardStreamFile::naming(Outcome outcome) const
{
    for (const auto& shown : {inQuotes(path_), os::textOf(path_)})
        for (auto at = outcome.status.find(shown); at != std::string::npos; at = outcome.status.find(shown, at))
            outcome.status.replace(at, shown.size(), "standard input");
    return outcome;
}

namespace {

// A stream buffer that puts "quorvex-cli: " before every line written through it.
class PrefixedLines final : public std::streambuf {
public:
    PrefixedLines(std::streambuf* target, std::string prefix) : target_(target), prefix_(std::move(prefix)) {}
    ~PrefixedLines() override { writeLine(); }

protected:
    // A whole line goes out in one write, so that the lines of two processes sharing a stream
    // never run together.
    int overflow(int c) override
    {
        if (c == traits_type::eof())
            return traits_type::not_eof(c);
        line_ += static_cast<char>(c);
        if (c == '\n')
            writeLine();
        return c;
    }
    int sync() override
    {
        writeLine();
        return target_->pubsync();
    }

private:
    void writeLine()
    {
        if (line_.empty())
            return;
        if (line_ != "\n")
            line_.insert(0, prefix_);
        target_->sputn(line_.data(), static_cast<std::streamsize>(line_.size()));
        line_.clear();
    }

    std::streambuf* target_;
    std::string prefix_;
    std::string line_;
};

std::string commandLine(const Command& command)
{
    return "quorvex-cli " + command.name + (command.usage.empty() ? "" : " " + command.usage);
}

// A command's entry in a list of commands: its usage, its summary and how it changes the game.
void printCommandLine(const Command& command, std::ostream& out)
{
    out << "  " << command.name << (command.usage.empty() ? "" : " " + command.usage) << "\n      " << command.summary
        << '\n';
    for (const auto& example : command.gameChanges)
        out << "      changes the game, e.g. quorvex-cli " << command.name << ' ' << example << '\n';
}

void printHelp(const CommandTable& table, std::ostream& out)
{
    out << "usage: quorvex-cli [OPTION]... COMMAND [ARGUMENT]...\n\n"
           "Reads, converts and changes the files of a Torlo game folder.\n\n"
           "Options (anywhere on the line; --game=DIR is --game DIR):\n";
    for (const auto& option : GlobalOptions) {
        std::string left = std::string(option.name) + (option.value.empty() ? "" : " " + std::string(option.value));
        if (!option.shortName.empty())
            left = std::string(option.shortName) + ", " + left;
        out << "  " << left << std::string(left.size() < 16 ? 16 - left.size() : 1, ' ') << option.help << '\n';
    }
    out << "\nA file named \"-\" is standard output for the exports, previews and conversions, and standard\n"
           "input for \"sounds import\"; write ./- for a file of that name. \"--\" ends the options: what\n"
           "follows it is an argument even when it starts with \"-\".\n\n"
           "Before a command first changes a game file, a copy of the file is kept in the\n"
           "data folder (see \"backups list\").\n\n"
           "Commands (quorvex-cli help COMMAND for examples):\n";
    for (const auto& command : table)
        printCommandLine(command, out);
    out << "\nExit status: 0 done, 1 refused or failed, 2 wrong usage.\n";
}

// "quorvex-cli weapons list|show|set ...".
std::string groupUsage(const std::string& first, const std::vector<const Command*>& group)
{
    std::string verbs;
    for (const auto* command : group)
        verbs += (verbs.empty() ? "" : "|") + command->name.substr(first.size() + 1);
    return "quorvex-cli " + first + " " + verbs + " ...";
}

void printCommandHelp(const Command& command, std::ostream& out)
{
    out << "usage: " << commandLine(command) << "\n\n" << command.summary << '\n';
    std::vector<std::string> examples = command.gameChanges;
    examples.insert(examples.end(), command.examples.begin(), command.examples.end());
    if (!examples.empty()) {
        out << "\nExamples:\n";
        for (const auto& example : examples)
            out << "  quorvex-cli " << command.name << (example.empty() ? "" : " " + example) << '\n';
    }
    if (!command.gameChanges.empty())
        out << "\nIt changes the game's files; a copy of each is kept first (see \"backups list\").\n";
}

Asker terminalAsker(std::ostream& out)
{
    return [&out](std::string_view question) {
        if (!os::inputIsTerminal())
            return false;
        out << question << " [y/N] " << std::flush;
        std::string answer;
        std::getline(std::cin, answer);
        return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y');
    };
}

// The line as given, with the options of quorvex-cli taken out and "--name=value" split.
struct CommandLine {
    std::optional<std::string> game;
    std::optional<bool> answer;
    bool help = false, version = false, wait = true;
    Arguments rest;
};

CommandLine parseLine(const Arguments& given, const CommandTable& table)
{
    std::map<std::string, bool> commandOptions;   // name -> takes a value
    for (const auto& command : table)
        for (const auto& option : optionsOf(command))
            commandOptions[option.name] = option.takesValue;

    CommandLine line;
    bool literal = false;   // after "--" nothing is an option
    for (std::size_t i = 0; i < given.size(); ++i) {
        const auto& word = given[i];
        if (literal || word.size() < 2 || word[0] != '-') {
            line.rest.push_back(word);
            continue;
        }
        if (word == "--") {
            literal = true;
            line.rest.push_back(word);
            continue;
        }
        const auto equals = word.rfind("--", 0) == 0 ? word.find('=') : std::string::npos;
        const std::string name = word.substr(0, equals);
        const auto inlineValue = equals == std::string::npos ? std::nullopt : std::optional(word.substr(equals + 1));
        const auto global = std::find_if(GlobalOptions.begin(), GlobalOptions.end(),
                                         [&](const GlobalOption& o) { return name == o.name || name == o.shortName; });
        if (global != GlobalOptions.end()) {
            if (!global->value.empty()) {
                if (!inlineValue && i + 1 == given.size())
                    throw UsageError(std::string(global->name) + " needs a folder");
                line.game = inlineValue ? *inlineValue : given[++i];
                continue;
            }
            if (inlineValue)
                throw UsageError(std::string(global->name) + " takes no value");
            if (global->name == "--help")
                line.help = true;
            else if (global->name == "--version")
                line.version = true;
            else if (global->name == "--no-wait")
                line.wait = false;
            else {
                const bool yes = global->name == "--yes";
                if (line.answer && *line.answer != yes)
                    throw UsageError("--yes and --no exclude each other");
                line.answer = yes;
            }
            continue;
        }
        const auto known = commandOptions.find(name);
        if (inlineValue && known != commandOptions.end()) {
            if (!known->second)
                throw UsageError(name + " takes no value");
            line.rest.push_back(name);
            line.rest.push_back(*inlineValue);
            continue;
        }
        if (known == commandOptions.end() && word.starts_with("--")) {
            std::vector<std::string> names;
            for (const auto& option : GlobalOptions)
                names.emplace_back(option.name);
            for (const auto& option : commandOptions)
                names.push_back(option.first);
            throw UsageError("unknown option " + name + mostSimilar(name, names, "option") + "\nsee quorvex-cli --help");
        }
        line.rest.push_back(word);
        // The value of a command's option given before the command is not a command word.
        if (known != commandOptions.end() && known->second && i + 1 < given.size())
            line.rest.push_back(given[++i]);
    }
    return line;
}

// A group's first word given alone, where a command was expected.
struct GroupRequest {
    std::string word;
};

// The command named by the first words of rest that are not options (or their values); its
// words are taken out of rest. Null when none is named; a group's first word alone throws a
// GroupRequest.
const Command* takeCommand(Arguments& rest, const CommandTable& table)
{
    std::map<std::string, bool> commandOptions;
    for (const auto& command : table)
        for (const auto& option : optionsOf(command))
            commandOptions[option.name] = option.takesValue;
    // The words that are neither options nor their values; options may stand between them.
    std::vector<std::size_t> positional;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == "--")
            break;
        if (rest[i].size() > 1 && rest[i][0] == '-') {
            const auto known = commandOptions.find(rest[i]);
            i += known != commandOptions.end() && known->second ? 1 : 0;
            continue;
        }
        positional.push_back(i);
    }
    const Command* chosen = nullptr;
    std::size_t words = 0;
    for (const auto& command : table) {
        const auto n = static_cast<std::size_t>(std::count(command.name.begin(), command.name.end(), ' ') + 1);
        if (n > positional.size() || n <= words)
            continue;
        std::string given = rest[positional[0]];
        for (std::size_t i = 1; i < n; ++i)
            given += " " + rest[positional[i]];
        if (given == command.name) {
            chosen = &command;
            words = n;
        }
    }
    if (chosen) {
        for (auto i = words; i-- > 0;)
            rest.erase(rest.begin() + static_cast<std::ptrdiff_t>(positional[i]));
        return chosen;
    }
    if (positional.empty())
        return nullptr;
    const auto& first = rest[positional[0]];
    const auto group = commandGroup(first, table);
    if (!group.empty()) {
        // A group's first word alone ("weapons") is a request for its commands; with a word that
        // names none of them, that word is the mistake.
        if (positional.size() < 2)
            throw GroupRequest{first};
        std::vector<std::string> names;
        for (const auto* command : group)
            names.push_back(command->name);
        const auto given = first + " " + rest[positional[1]];
        throw UsageError("unknown command " + given + mostSimilar(given, names, "command") + "\nsee quorvex-cli help " +
                         first);
    }
    std::vector<std::string> names;
    for (const auto& command : table)
        names.push_back(command.name.substr(0, command.name.find(' ')));
    throw UsageError("unknown command " + first + mostSimilar(first, names, "command") + "\nsee quorvex-cli --help");
    return chosen;
}

// A missing torlo.exe named with the folder it was looked for in.
std::string gameFileMessage(const FileError& error, const Workspace& workspace)
{
    const bool aboutTheGame = sameNameIgnoringCase(error.file(), "torlo.exe") || error.text().rfind("torlo.exe was not found", 0) == 0;
    std::error_code ignored;
    if (!aboutTheGame || std::filesystem::exists(workspace.torloExe(), ignored))
        return error.what();
    if (workspace.gameFolder.empty())
        return "torlo.exe was not found: no game folder is set; give --game DIR or set TorloPath (quorvex-cli options set TorloPath=DIR)";
    return "torlo.exe was not found in " + os::textOf(workspace.gameFolder);
}

} // namespace

void printGroupHelp(std::string_view word, const CommandTable& table, std::ostream& out)
{
    const auto group = commandGroup(word, table);
    out << "usage: " << groupUsage(std::string(word), group) << "\n\n";
    for (const auto* command : group)
        printCommandLine(*command, out);
    out << "\nquorvex-cli help " << group[0]->name << " shows a command's examples.\n";
}

namespace {

int runLine(const Arguments& given, const CommandTable& table, Workspace& workspace, std::ostream& out,
            std::ostream& err, std::ostream& rawErr)
{
    auto line = parseLine(given, table);
    if (line.version) {
        out << "quorvex-cli " << QUORVEX_VERSION << '\n';
        return 0;
    }
    auto& args = line.rest;
    const Command* chosen = nullptr;
    try {
        chosen = args.empty() ? nullptr : takeCommand(args, table);
        if (chosen && chosen->name == "help") {
            line.help = true;
            chosen = args.empty() ? nullptr : takeCommand(args, table);
        }
    } catch (const GroupRequest& request) {
        if (!line.help)
            throw UsageError("usage: " + groupUsage(request.word, commandGroup(request.word, table)) +
                             "; see quorvex-cli help " + request.word);
        printGroupHelp(request.word, table, out);
        return 0;
    }
    if (line.help) {
        if (chosen)
            printCommandHelp(*chosen, out);
        else
            printHelp(table, out);
        return 0;
    }
    if (!chosen)
        throw UsageError("no command given; see quorvex-cli --help");
    // "--" ends the options: what follows is an argument even when it starts with "-".
    if (const auto end = std::find(args.begin(), args.end(), "--"); end != args.end()) {
        args.literalFrom = static_cast<std::size_t>(end - args.begin());
        args.erase(end);
    }

    LoadedSettingsStore settings;
    workspace = platformWorkspace();
    workspace.gameFolder = absolutePath(os::pathFromText(line.game ? *line.game : settings.text(setting::TorloPath).value_or("")));
    LoadedClock clock;   // the module with Qt is loaded only when a log line is written
    ActivityLog log(workspace.logFile(), clock);
    Asker ask = line.answer ? Asker([value = *line.answer](std::string_view) { return value; }) : terminalAsker(out);
    Context context{workspace, settings, log, ask, out, err, rawErr};
    setGameLockWaiting({line.wait, [&err](const std::string& text) {
        err << text << (text == GameWaitText ? "" : "; Ctrl+C stops waiting, and --no-wait refuses at once") << '\n'
            << std::flush;
    }});
    // From the first read of the game to the last write; it keeps a copy of every game file
    // before its first change.
    GameChange change(context.workspace);
    context.change = &change;
    // A command that shows no status of its own is named in the history by its line.
    std::string named = chosen->name;
    for (const auto& arg : args)
        named += " " + arg;
    change.describe(named, false);
    const int code = chosen->run(context, args, *chosen);
    change.commit();
    return code;
}

} // namespace

int run(int argc, char** argv, std::ostream& out, std::ostream& rawErr)
{
    PrefixedLines prefixed(rawErr.rdbuf(), "quorvex-cli: ");
    std::ostream err(&prefixed);
    const auto table = allCommands();
    Workspace workspace;
    int code = 0;
    try {
        code = runLine(Arguments(argv + 1, argv + argc), table, workspace, out, err, rawErr);
    } catch (const UsageError& error) {
        err << error.what() << std::endl;
        code = 2;
    } catch (const FileError& error) {
        err << gameFileMessage(error, workspace) << std::endl;
        code = 1;
    } catch (const std::exception& error) {
        err << error.what() << std::endl;
        code = 1;
    }
    // What could not be written is a failure, as with coreutils: a script must not take a cut
    // listing for a whole one.
    // Flushed even when the stream already failed, so that errno names the cause.
    errno = 0;
    const bool flushed = out.rdbuf()->pubsync() == 0;
    if (!flushed || !out.good()) {
        const int cause = errno;
        err << "write error" << (cause ? std::string(": ") + std::strerror(cause) : std::string()) << std::endl;
        return 1;
    }
    return code;
}

} // namespace quorvex::cli
