// profiles ...: named setups of the game's files, saved, switched to, renamed and deleted.
#include "cli/cli.h"
#include "core/formats/activation.h"
#include "core/store/profiles.h"

#include <ostream>

namespace fs = std::filesystem;

namespace quorvex::cli {

namespace {

template <typename Action>
int withProfiles(Context& context, const Arguments& args, const Command& self, std::size_t count, Action action)
{
    expectArguments(args, count, count, self);
    const BackupKeeper keeper(context.workspace);
    Profiles profiles(keeper, profileFiles(context.workspace));
    return action(profiles);
}

int list(Context& context, const Arguments& args, const Command& self)
{
    return withProfiles(context, args, self, 0, [&](Profiles& profiles) {
        for (const auto& profile : profiles.list())
            context.out << profile.name << '\t' << profile.date << '\t'
                        << (profile.differs.empty() ? "-" : fileNames(profile.differs)) << '\n';
        if (const auto damage = profiles.damage(); !damage.empty())
            context.err << damage << "; those profiles are left out\n";
        return 0;
    });
}

int save(Context& context, const Arguments& args, const Command& self)
{
    return withProfiles(context, args, self, 1, [&](Profiles& p) { return context.finish(p.save(args[0], context.ask)); });
}

int switchTo(Context& context, const Arguments& args, const Command& self)
{
    return withProfiles(context, args, self, 1, [&](Profiles& p) { return context.finish(p.switchTo(args[0])); });
}

int rename(Context& context, const Arguments& args, const Command& self)
{
    return withProfiles(context, args, self, 2, [&](Profiles& p) { return context.finish(p.rename(args[0], args[1])); });
}

int remove(Context& context, const Arguments& args, const Command& self)
{
    return withProfiles(context, args, self, 1, [&](Profiles& p) { return context.finish(p.remove(args[0])); });
}

} // namespace

void addProfileCommands(CommandTable& table)
{
    table.push_back({"profiles list", "",
                     "the saved setups: name, date, and the files that differ from the game as it is "
                     "(comma-separated, or -), separated by tabs",
                     list, {}, {""}});
    table.push_back({"profiles save", "NAME",
                     "keeps torlo.exe, torlo.dat, TORLO.CHR, TORLO.SND and the active level as the profile NAME; "
                     "one of that name is replaced only with --yes",
                     save, {}, {"tournament"}});
    table.push_back({"profiles switch", "NAME",
                     "puts every file that differs back as the profile NAME holds it, all or nothing; undo goes back",
                     switchTo, {}, {"tournament"}, {}, {}, "profiles list"});
    table.push_back({"profiles rename", "OLD NEW", "renames a profile", rename, {}, {"tournament cup"}, {}, {}, "profiles list"});
    table.push_back({"profiles delete", "NAME", "deletes a profile", remove, {}, {"tournament"}, {}, {}, "profiles list"});
}

} // namespace quorvex::cli
