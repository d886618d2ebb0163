// changes ...: the game compared with its original or another game, revert, export.
#include "core/changes/changes.h"
#include "cli/cli.h"
#include "core/os/files.h"

#include <ostream>

namespace fs = std::filesystem;

namespace quorvex::cli {

namespace {

// The game compared with: --against DIR, else the originals the backups keep.
ComparedGame comparedGame(Context& context, Arguments& args)
{
    const auto against = takeValue(args, "--against");
    return against ? ComparedGame::folder(context.workspace, os::pathFromText(*against)) : ComparedGame::original(context.workspace);
}

int list(Context& context, const Arguments& given, const Command& self)
{
    Arguments args = given;
    const auto before = comparedGame(context, args);
    expectArguments(args, 0, 0, self);
    for (const auto& change : compareGames(context.workspace, before))
        context.out << changeLine(change) << '\n';
    return 0;
}

int exportPlugin(Context& context, const Arguments& given, const Command& self)
{
    Arguments args = given;
    const auto before = comparedGame(context, args);
    expectArguments(args, 1, 1, self);
    const fs::path file = os::pathFromText(args[0]);
    return context.finish(exportChanges(compareGames(context.workspace, before), true,
                                        [&](const std::string&, const fs::path&) { return std::optional(file); }));
}

int revert(Context& context, const Arguments& given, const Command& self)
{
    Arguments args = given;
    const auto before = comparedGame(context, args);
    expectArguments(args, 2, 3, self);
    const auto area = areaByWord(args[0]);
    if (!area)
        throw UsageError("unknown area " + args[0] + "\nusage: quorvex-cli " + self.name + " " + self.usage);
    const auto named = changesNamed(compareGames(context.workspace, before), *area, args[1],
                                    args.size() > 2 ? std::optional<std::string_view>(args[2]) : std::nullopt);
    if (named.empty())
        return context.finish(Outcome::refused("No such change: " + args[0] + " " + args[1]
                                               + (args.size() > 2 ? " " + args[2] : std::string())));
    int exit = 0;
    for (const auto& report : revertChanges(context.workspace, before, named))
        exit = std::max(exit, context.finish(report));
    return exit;
}

} // namespace

void addChangeCommands(CommandTable& table)
{
    table.push_back({"changes", "[--against DIR]",
                     "every field that differs from the game's originals (or from the game in DIR), one line "
                     "\"AREA<TAB>ENTRY<TAB>KEY<TAB>BEFORE<TAB>AFTER\" each, keys and values as the areas' show "
                     "commands print them; bytes outside every field as \"unknown\" ranges FIRST-LAST",
                     list, {}, {"", "--against ~/torlo-original"}});
    table.push_back({"changes export", "FILE.LWP [--against DIR]",
                     "writes the weapon, object and special-object changes as a version 2 weapon plugin: one "
                     "record per changed entry with only its changed keys",
                     exportPlugin, {}, {"MYCHANGES.LWP"}, {}, "lwp"});
    // The areas spelled out, so that help and the shell's completion offer them.
    std::string areas;
    for (const auto& row : GameAreas)
        areas += (areas.empty() ? "" : "|") + std::string(row.word);
    table.push_back({"changes revert", areas + " ENTRY [KEY] [--against DIR]",
                     "puts one change (or every change of the entry) back to its value before, saved as its "
                     "editor saves",
                     revert, {"unknown torlo.exe 0-0"}, {"weapon 3 SPEED"}});
}

} // namespace quorvex::cli
