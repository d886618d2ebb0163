// plugin new, plugin append: weapon plugins written from the weapon, object and special-object
// tables, as the pages' "Save as plugin" and "Save in plugin" write them.
#include "cli/cli.h"
#include "core/os/files.h"
#include "core/text/number_text.h"
#include "core/shell/settings.h"
#include "core/weapons/object_fields.h"
#include "core/weapons/plugin.h"
#include "core/weapons/sobject_fields.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace quorvex::cli {

namespace {

// The record of entry N of the kind named, as its page shows it; for "Save in plugin" when
// appended. nullopt (with the refusal) when N names no entry.
std::optional<PluginRecord> recordOf(Context& context, const std::string& kind, const std::string& number, bool appended,
                                     const Command& self)
{
    const auto n = tryStrToInt(number).value_or(-1);
    if (kind == "weapon") {
        if (!isWeaponNumber(n))
            return std::nullopt;
        const auto data = loadWeapons(context.workspace);
        return weaponRecord(data.names[n], showWeapon(data.table, n), appended ? std::optional(n) : std::nullopt);
    }
    if (kind == "object" || kind == "sobject") {
        const auto& table = kind == "object" ? ObjectArrays : SObjectArrays;
        if (!isEntryOf(table, n))
            return std::nullopt;
        const auto page = showEntry(context.workspace, table, n);
        return kind == "object" ? objectRecord(n, page) : sobjectRecord(n, page);
    }
    throw UsageError("expected weapon, object or sobject, got \"" + kind + "\"\nusage: quorvex-cli " + self.name + " "
                     + self.usage);
}

Outcome noSuchEntry(const std::string& kind, const std::string& number)
{
    const std::string last = kind == "weapon" ? "39" : kind == "object" ? "23" : "13";
    return Outcome::refused("No " + kind + " " + number + ": " + kind + " numbers run from 0 to " + last);
}

int newPlugin(Context& context, const Arguments& given, const Command& self)
{
    Arguments args = given;
    const bool lwp1 = takeFlag(args, "--lwp1");
    const bool lwp2 = takeFlag(args, "--lwp2");
    if (lwp1 && lwp2)
        throw UsageError("--lwp1 and --lwp2 exclude each other");
    expectArguments(args, 3, 3, self);
    const auto record = recordOf(context, args[1], args[2], false, self);
    if (!record)
        return context.finish(noSuchEntry(args[1], args[2]));
    const bool version2 = lwp2 || (!lwp1 && isYes(context.settings, setting::MakeLWP2));
    // FILE stands in for the save dialog's answer.
    const fs::path file = os::pathFromText(args[0]);
    return context.finish(savePluginAs(*record, version2, [&](const std::string&, const fs::path&) { return std::optional(file); }));
}

int appendToPlugin(Context& context, const Arguments& args, const Command& self)
{
    expectArguments(args, 3, 3, self);
    const auto record = recordOf(context, args[1], args[2], true, self);
    if (!record)
        return context.finish(noSuchEntry(args[1], args[2]));
    // FILE plays the file selected in the browser.
    return context.finish(saveInPlugin(os::pathFromText(args[0]), *record));
}

} // namespace

void addPluginCommands(CommandTable& table)
{
    table.push_back({"plugin new", "FILE weapon|object|sobject N [--lwp1 | --lwp2]",
                     "writes a new weapon plugin FILE as \"Save as plugin\" does, for weapon N (0 to 39, recorded as "
                     "WEAPON:SELECTED), object N (0 to 23) or special object N (0 to 13); a FILE without any dot gets "
                     "\".LWP\"; version 2 with --lwp2, 1 with --lwp1, else as the \"MakeLWP2\" setting says",
                     newPlugin, {}, {"BLASTER.LWP weapon 3 --lwp2"}, {}, "lwp"});
    table.push_back({"plugin append", "FILE weapon|object|sobject N",
                     "appends the record of weapon, object or special object N to the plugin FILE (which must end in "
                     ".LWP) as \"Save in plugin\" does; weapons and special objects are recorded counted from 1",
                     appendToPlugin, {}, {"BLASTER.LWP object 5"}, {}, "lwp"});
}

} // namespace quorvex::cli
