// weapons ...: the weapon names and table.
#include "cli/cli.h"
#include "core/text/cp437.h"
#include "core/text/number_text.h"
#include "core/base/places.h"
#include "core/weapons/weapon_names.h"
#include "core/weapons/weapon_table.h"

#include <optional>
#include <ostream>

namespace quorvex::cli {

namespace {

// The weapon number argument; refusal text when it names no weapon.
std::optional<int> weaponNumber(const std::string& text)
{
    const auto number = tryStrToInt(text);
    if (!number || !isWeaponNumber(*number))
        return std::nullopt;
    return number;
}

Outcome noSuchWeapon(const std::string& text)
{
    return Outcome::refused("No weapon " + text + ": weapon numbers run from 0 to 39");
}

int show(Context& context, const Arguments& args, const Command& self)
{
    expectArguments(args, 1, 1, self);
    const auto weapon = weaponNumber(args[0]);
    if (!weapon)
        return context.finish(noSuchWeapon(args[0]));
    const auto data = loadWeapons(context.workspace);
    const auto page = showWeapon(data.table, *weapon);
    context.out << WeaponNameKey << cp437ToUtf8(data.names[*weapon]) << '\n';
    for (auto k : fieldsInRecordOrder(WeaponFields))
        context.out << WeaponFields[k].pluginKey << recordText(WeaponFields[k].kind, page[k]) << '\n';
    return 0;
}

// Sets the weapon's fields named as a plugin record would (a field not named keeps its bytes,
// even one its control cannot show), then renames and saves as the page does. Every key and
// value is checked before anything is written.
int set(Context& context, const Arguments& args, const Command& self)
{
    if (args.size() < 2)
        throw UsageError("usage: quorvex-cli " + self.name + " " + self.usage);
    const auto assignments = takeAssignments(args, 1, self);
    const auto weapon = weaponNumber(args[0]);
    if (!weapon)
        return context.finish(noSuchWeapon(args[0]));
    const auto nameKey = WeaponNameKey.substr(0, WeaponNameKey.size() - 1);
    for (const auto& a : assignments)
        if (a.key != nameKey && (a.key.back() == ':' || !weaponFieldByKey(a.key)))
            return context.finish(Outcome::refused("Not a weapon key: " + a.key));

    auto data = loadWeapons(context.workspace);
    const auto before = data.table.bytes;
    auto page = showWeapon(data.table, *weapon);
    std::vector<std::size_t> named;
    std::optional<std::string> name;
    for (const auto& a : assignments) {
        if (a.key == nameKey) {
            name = gameTextArgument(context, a.value);
            if (!name)
                return 1;
            continue;
        }
        const auto k = *weaponFieldByKey(a.key);
        page[k] = valueFromRecord(WeaponFields[k].kind, WeaponFields[k].list, a.value);
        named.push_back(k);
    }
    copyPageToTable(data.table, *weapon, page, named);   // a value that is no number stops here

    // As on the page, a name left as it is is not written again; nor, after a rename, a table
    // that did not change.
    if (name && weaponNameFromTyped(*name) != data.names[*weapon]) {
        const int renamed = context.finish(renameWeapon(context.workspace, data.names, *weapon, *name));
        if (renamed != 0 || data.table.bytes == before)
            return renamed;
    }
    return context.finish(saveWeapons(context.workspace, data.table));
}

} // namespace

void addWeaponCommands(CommandTable& table)
{
    table.push_back({"weapons list", "", "the 40 weapon slots: number, a tab, the name",
                     [](Context& context, const Arguments& args, const Command& self) {
        expectArguments(args, 0, 0, self);
        GameFile exe(context.workspace.torloExe());
        const auto names = readWeaponNames(exe);
        for (int i = 0; i < places::WeaponCount; ++i)
            context.out << i << '\t' << cp437ToUtf8(names[i]) << '\n';
        return 0;
    }, {}, {""}});
    table.push_back({"weapons show", "N",
                     "weapon N (0 to 39) as a plugin record carries it: NAME:, ORDER:, then one KEY:VALUE "
                     "line per field, each value as the Weapons page shows it",
                     show, {}, {"3"}});
    table.push_back({"weapons set", "N KEY=VALUE ...",
                     "sets fields of weapon N by the keys of \"weapons show\" (without the colon) as a plugin "
                     "does, NAME renames; then saves the weapon table as \"Save weapons\" does",
                     set, {"3 NAME=BLASTER"}, {"0 SPEED=12 EXPLOSION=2"}});
    auto& keys = table.back().keys;
    keys.push_back(std::string(WeaponNameKey.substr(0, WeaponNameKey.size() - 1)));
    for (auto k : fieldsInRecordOrder(WeaponFields))
        keys.emplace_back(WeaponFields[k].pluginKey.substr(0, WeaponFields[k].pluginKey.size() - 1));
}

} // namespace quorvex::cli
