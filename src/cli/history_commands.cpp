// history, undo, redo: the game's steps, and moving back and forth through them.
#include "cli/cli.h"
#include "core/store/history.h"

#include <ostream>

namespace quorvex::cli {

namespace {

int list(Context& context, const Arguments& args, const Command& self)
{
    expectArguments(args, 0, 0, self);
    const BackupKeeper keeper(context.workspace);
    const History history(keeper);
    for (const auto& step : history.steps())
        if (!step.undone)
            context.out << step.id << '\t' << step.date << '\t' << step.fileList() << '\t' << step.what << '\n';
    if (const auto damage = history.damage(); !damage.empty())
        context.err << damage << "; those steps are left out\n";
    return 0;
}

int undo(Context& context, const Arguments& args, const Command& self)
{
    expectArguments(args, 0, 0, self);
    const BackupKeeper keeper(context.workspace);
    return context.finish(History(keeper).undo());
}

int redo(Context& context, const Arguments& args, const Command& self)
{
    expectArguments(args, 0, 0, self);
    const BackupKeeper keeper(context.workspace);
    return context.finish(History(keeper).redo());
}

} // namespace

void addHistoryCommands(CommandTable& table)
{
    table.push_back({"history", "",
                     "the steps that changed the game, newest first: ID, date and time, the files it changed "
                     "(comma-separated) and what it was, separated by tabs",
                     list, {}, {""}});
    table.push_back({"undo", "", "puts the files of the newest step back as they were before it; refused when one "
                                 "was changed since by something other than Quorvex",
                     undo, {}, {""}});
    table.push_back({"redo", "", "puts the files of the step undone last back as that step made them", redo, {}, {""}});
}

} // namespace quorvex::cli
