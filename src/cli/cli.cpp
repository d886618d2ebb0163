#include "cli/cli.h"
#include "gameexe/backups.h"
#include "gameexe/cp437.h"
#include "gameexe/errors.h"
#include "gameexe/game_lock.h"
#include "gameexe/utf8.h"
#include "os/files.h"
#include "platform/folders.h"
#include "platform/qt_services.h"
#include "shell/settings.h"

#include <algorithm>
#include <iostream>

namespace quorvex::cli {

int Context::finish(const Outcome& outcome)
{
    // The files are in place before the command says so; the status names the history's step.
    GameChange::describe(outcome.status, outcome.succeeded());
    if (change)
        change->commit();
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
    const auto it = std::find(args.begin(), args.end(), name);
    if (it == args.end())
        return false;
    args.erase(it);
    return true;
}

std::optional<std::string> takeValue(Arguments& args, const std::string& name)
{
    const auto it = std::find(args.begin(), args.end(), name);
    if (it == args.end())
        return std::nullopt;
    if (it + 1 == args.end())
        throw UsageError(name + " needs a value");
    std::string value = *(it + 1);
    args.erase(it, it + 2);
    return value;
}

void expectArguments(const Arguments& args, std::size_t min, std::size_t max, const Command& command)
{
    for (const auto& arg : args)
        if (arg.size() > 1 && arg[0] == '-' && arg[1] == '-')
            throw UsageError("unknown option " + arg + "\nusage: quorvex-cli " + command.name + " " + command.usage);
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

namespace {

CommandTable allCommands()
{
    CommandTable table;
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
    return table;
}

void printHelp(const CommandTable& table, std::ostream& out)
{
    out << "usage: quorvex-cli [--game DIR] [--yes | --no] [--no-wait] COMMAND ...\n\n"
           "Reads, converts and changes the files of a Torlo game folder.\n\n"
           "Options:\n"
           "  --game DIR   the game folder (default: the \"TorloPath\" setting)\n"
           "  --yes, --no  the answer to every question an operation asks\n"
           "               (without either: asked on the terminal; no terminal: no)\n"
           "  --no-wait    refuse instead of waiting while another Quorvex changes the game\n"
           "  --help       this text\n\n"
           "Before a command first changes a game file, a copy of the file is kept in the\n"
           "data folder (see \"backups list\").\n\n"
           "Commands:\n";
    for (const auto& command : table) {
        std::string line = "  " + command.name + (command.usage.empty() ? "" : " " + command.usage);
        out << line << "\n      " << command.summary << '\n';
        for (const auto& example : command.gameChanges)
            out << "      changes the game, e.g. quorvex-cli " << command.name << ' ' << example << '\n';
    }
    out << "\nExit status: 0 done, 1 refused or failed, 2 wrong usage.\n";
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

} // namespace

int run(int argc, char** argv, std::ostream& out, std::ostream& err)
{
    const auto table = allCommands();
    Arguments args(argv + 1, argv + argc);
    std::optional<std::string> game;
    std::optional<bool> answer;
    bool wait = true;
    try {
        while (!args.empty() && args.front().rfind("--", 0) == 0) {
            const auto option = args.front();
            args.erase(args.begin());
            if (option == "--help") {
                printHelp(table, out);
                return 0;
            } else if (option == "--yes" || option == "--no") {
                if (answer && *answer != (option == "--yes"))
                    throw UsageError("--yes and --no exclude each other");
                answer = option == "--yes";
            } else if (option == "--no-wait") {
                wait = false;
            } else if (option == "--game") {
                if (args.empty())
                    throw UsageError("--game needs a folder");
                game = args.front();
                args.erase(args.begin());
            } else {
                throw UsageError("unknown option " + option);
            }
        }
        if (args.empty())
            throw UsageError("no command given; see quorvex-cli --help");

        const Command* chosen = nullptr;
        std::size_t words = 0;
        for (const auto& command : table) {
            const auto n = static_cast<std::size_t>(std::count(command.name.begin(), command.name.end(), ' ') + 1);
            if (n > args.size() || n <= words)
                continue;
            std::string given = args[0];
            for (std::size_t i = 1; i < n; ++i)
                given += " " + args[i];
            if (given == command.name) {
                chosen = &command;
                words = n;
            }
        }
        if (!chosen)
            throw UsageError("unknown command " + args.front() + "; see quorvex-cli --help");
        args.erase(args.begin(), args.begin() + static_cast<std::ptrdiff_t>(words));

        LoadedSettingsStore settings;
        Workspace workspace = platformWorkspace();
        workspace.gameFolder = absolutePath(game ? std::filesystem::path(*game)
                                                 : std::filesystem::path(settings.text(setting::TorloPath).value_or("")));
        LoadedClock clock;   // the module with Qt is loaded only when a log line is written
        ActivityLog log(workspace.logFile(), clock);
        Asker ask = answer ? Asker([value = *answer](std::string_view) { return value; }) : terminalAsker(out);
        Context context{workspace, settings, log, ask, out, err};
        InstalledBackupKeeper backups(context.workspace);   // every change of a game file keeps a copy first
        setGameLockWaiting({wait, [&err] { err << GameWaitText << '\n' << std::flush; }});
        GameChange change(context.workspace);   // from the first read of the game to the last write
        context.change = &change;
        // A command that shows no status of its own is named in the history by its line.
        std::string line = chosen->name;
        for (const auto& arg : args)
            line += " " + arg;
        GameChange::describe(line, false);
        const int code = chosen->run(context, args, *chosen);
        change.commit();
        return code;
    } catch (const UsageError& error) {
        err << error.what() << '\n';
        return 2;
    } catch (const FileError& error) {
        err << error.what() << '\n';
        return 1;
    } catch (const ConvertError& error) {
        err << error.what() << '\n';
        return 1;
    } catch (const std::exception& error) {
        err << error.what() << '\n';
        return 1;
    }
}

} // namespace quorvex::cli
