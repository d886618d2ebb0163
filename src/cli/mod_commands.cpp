// mods ...: the mod list, each mod switched on or off, moved or removed, its effect and conflicts.
#include "cli/cli.h"
#include "core/base/extension.h"
#include "core/mods/mods.h"
#include "core/store/profiles.h"

#include <charconv>
#include <ostream>

namespace fs = std::filesystem;

namespace quorvex::cli {

namespace {

long entryNumber(const std::string& text, const Command& self)
{
    long number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size())
        throw UsageError("not an entry number: " + text + "\nusage: quorvex-cli " + self.name + " " + self.usage);
    return number;
}

int list(Context& context, const Arguments& args, const Command& self)
{
    expectArguments(args, 0, 0, self);
    long number = 0;
    for (const auto& entry : readGameModList(context.workspace).entries)
        context.out << ++number << '\t' << (entry.on ? "on" : "off") << '\t' << modKindWord(entry.kind) << '\t'
                    << entry.name << '\t' << entry.date << '\n';
    return 0;
}

int finishAdded(Context& context, const ModAdded& added)
{
    for (const auto& step : added.activation.earlier)   // a weapon plugin's saves
        context.finish(step);
    const int exit = context.finish(added.activation.outcome);
    if (added.number > 0)
        context.out << added.number << '\t' << readGameModList(context.workspace).numbered(added.number)->name << '\n';
    return exit;
}

int add(Context& context, const Arguments& args, const Command& self)
{
    expectArguments(args, 1, 1, self);
    const fs::path file = fs::absolute(args[0]);
    if (upperExtension(file) == ".ZIP") {
        int exit = 0;
        for (const auto& added : addModPack(file, context.workspace, context.ask))
            exit = std::max(exit, finishAdded(context, added));
        return exit;
    }
    // The folder that holds FILE plays the folder shown by the browser.
    return finishAdded(context, addMod(file, file.parent_path(), context.workspace, context.ask));
}

int switchOn(Context& context, const Arguments& args, const Command& self)
{
    expectArguments(args, 1, 1, self);
    return context.finish(switchMod(context.workspace, entryNumber(args[0], self), true));
}

int switchOff(Context& context, const Arguments& args, const Command& self)
{
    expectArguments(args, 1, 1, self);
    return context.finish(switchMod(context.workspace, entryNumber(args[0], self), false));
}

int move(Context& context, const Arguments& args, const Command& self)
{
    expectArguments(args, 2, 2, self);
    return context.finish(moveMod(context.workspace, entryNumber(args[0], self), entryNumber(args[1], self)));
}

int remove(Context& context, const Arguments& args, const Command& self)
{
    expectArguments(args, 1, 1, self);
    return context.finish(removeMod(context.workspace, entryNumber(args[0], self)));
}

int show(Context& context, const Arguments& args, const Command& self)
{
    expectArguments(args, 1, 1, self);
    const auto number = entryNumber(args[0], self);
    const auto list = readGameModList(context.workspace);
    if (!list.numbered(number))
        return context.finish(Outcome::refused("There is no mod " + args[0] + " in the list"));
    for (const auto& change : modEffect(list, number))
        context.out << changeLine(change) << '\n';
    return 0;
}

int conflicts(Context& context, const Arguments& args, const Command& self)
{
    expectArguments(args, 0, 0, self);
    for (const auto& conflict : modConflicts(readGameModList(context.workspace))) {
        std::vector<std::string> others;
        for (const auto other : conflict.others)
            others.push_back(std::to_string(other));
        context.out << conflict.field.area << '\t' << conflict.field.entry << '\t' << conflict.field.key << '\t'
                    << conflict.winner << '\t' << fileNames(others) << '\n';
    }
    return 0;
}

} // namespace

void addModCommands(CommandTable& table)
{
    std::string kinds;
    for (const auto word : ModKindWords)
        kinds += (kinds.empty() ? "" : ", ") + std::string(word);
    table.push_back({"mods list", "",
                     "the mod list, the first applied first: \"N<TAB>on|off<TAB>KIND<TAB>NAME<TAB>DATE\", KIND one of "
                         + kinds,
                     list, {}, {""}});
    table.push_back({"mods add", "FILE",
                     "activates FILE as \"activate\" does, as a new entry on top of the list, and prints "
                     "\"N<TAB>NAME\"; a zip archive (a mod pack) adds one entry per mod inside, in its order",
                     add, {"mods/MEADOW.LEV"}, {"mods/NEONGFX.CHR"}, {}, "lev|chr|snd|act|pal|lpl|lwp|llf|zip"});
    table.push_back({"mods on", "N", "switches entry N on and rebuilds the game's files that change", switchOn,
                     {}, {"1"}});
    table.push_back({"mods off", "N",
                     "switches entry N off: the game becomes its originals plus the other switched-on entries, "
                     "in order; only files whose bytes change are replaced, all or nothing, and undo goes back",
                     switchOff, {}, {"1"}});
    table.push_back({"mods move", "N TO", "moves entry N to place TO (1 is applied first) and rebuilds", move, {}, {"2 1"}});
    table.push_back({"mods remove", "N", "removes entry N from the list and rebuilds", remove, {}, {"1"}});
    table.push_back({"mods show", "N",
                     "what entry N sets, as \"changes\" prints it: BEFORE what the entries below it give",
                     show, {}, {"1"}});
    table.push_back({"mods conflicts", "",
                     "each field, file or level that two switched-on entries set: "
                     "\"AREA<TAB>ENTRY<TAB>KEY<TAB>WINNER<TAB>OTHERS\" (entry numbers, OTHERS comma-separated)",
                     conflicts, {}, {""}});
}

} // namespace quorvex::cli
