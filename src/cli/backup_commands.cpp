// backups ...: the copies kept of the game's files, and putting one back.
#include "cli/cli.h"
#include "core/os/files.h"
#include "core/store/backups.h"
#include "core/shell/activity_log.h"

#include <ostream>

namespace quorvex::cli {

namespace {

int list(Context& context, const Arguments& args, const Command& self)
{
    expectArguments(args, 0, 0, self);
    const BackupKeeper keeper(context.workspace);
    for (const auto& b : keeper.list())
        context.out << b.id << '\t' << b.file << '\t' << b.date << '\t' << b.size << '\t' << (b.original ? "original" : "")
                    << '\n';
    for (const auto& b : keeper.damaged())
        context.err << "The backup " << b.id << " is damaged and skipped: it names " << escapedText(b.file)
                    << ", not a file of this game\n";
    if (const auto damage = keeper.damage(); !damage.empty())
        context.err << damage << "; those lines are left out\n";
    return 0;
}

int restore(Context& context, const Arguments& given, const Command& self)
{
    Arguments args = given;
    const bool original = takeFlag(args, "--original");
    expectArguments(args, 1, 1, self);
    BackupKeeper keeper(context.workspace);
    return context.finish(original ? keeper.restoreOriginal(args[0], context.ask) : keeper.restore(args[0], context.ask));
}

} // namespace

void addBackupCommands(CommandTable& table)
{
    table.push_back({"backups list", "",
                     "the copies kept of the game's files, newest first: ID, file, date, size in bytes, and "
                     "\"original\" for the first copy of a file, separated by tabs",
                     list, {}, {""}});
    table.push_back({"backups restore", "ID | --original FILE",
                     "puts back the copy ID (or the original of FILE, e.g. torlo.exe) after asking; the file it "
                     "replaces is kept first, so a restore can be undone",
                     restore, {"--original torlo.exe"}, {"3"}, {}, {}, "backups list"});
}

} // namespace quorvex::cli
