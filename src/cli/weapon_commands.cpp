// weapons ...: the weapon names and table.
#include "cli/cli.h"
#include "gameexe/places.h"
#include "gameexe/weapon_names.h"

#include <ostream>

namespace quorvex::cli {

void addWeaponCommands(CommandTable& table)
{
    table.push_back({"weapons list", "", "the 40 weapon slots: number, a tab, the name",
                     [](Context& context, const Arguments& args, const Command& self) {
        expectArguments(args, 0, 0, self);
        GameFile exe(context.workspace.torloExe());
        const auto names = readWeaponNames(exe);
        for (int i = 0; i < places::WeaponCount; ++i)
            context.out << i << '\t' << names[i] << '\n';
        return 0;
    }});
}

} // namespace quorvex::cli
