// hacks ...: the special hacks window's switches and fields.
#include "cli/cli.h"
#include "core/text/number_text.h"
#include "core/hacks/hacks.h"

#include <ostream>

namespace quorvex::cli {

namespace {

int show(Context& context, const Arguments& args, const Command& self)
{
    expectArguments(args, 0, 0, self);
    const auto values = readHacks(context.workspace);
    for (std::size_t i = 0; i < HackCount; ++i)
        if (isListedHack(HackItems[i]))
            context.out << HackItems[i].key << ':' << (HackItems[i].isSwitch ? (values.on[i] ? "1" : "0") : values.text[i])
                        << '\n';
    return 0;
}

// Each value as if typed into its field and left, then "Do all !" of the items named (the
// others keep their bytes); every key and value is checked first, and a typo never becomes 0.
int set(Context& context, const Arguments& args, const Command& self)
{
    if (args.empty())
        throw UsageError("usage: quorvex-cli " + self.name + " " + self.usage);
    const auto assignments = takeAssignments(args, 0, self);
    auto values = readHacks(context.workspace);
    for (const auto& a : assignments) {
        const auto item = hackByKey(a.key);
        if (!item)
            return context.finish(Outcome::refused("Not a hack key: " + a.key));
        const auto& hack = HackItems[*item];
        if (!hack.isSwitch && hack.write == HackWrite::Never)
            return context.finish(Outcome::refused(a.key + " is shown only and cannot be set"));
        const auto number = tryStrToInt(a.value);
        if (!number)
            return context.finish(Outcome::refused("Not a whole number for " + a.key + ": \"" + a.value + "\""));
        if (hack.isSwitch) {
            if (*number != 0 && *number != 1)
                return context.finish(Outcome::refused(a.key + " is a switch: 0 or 1"));
            values.on[*item] = *number == 1;
        } else {
            values.text[*item] = tidyOnLeave(hack, tidyOnChange(hack, std::to_string(*number)));
        }
    }
    for (const auto& a : assignments) {
        const auto item = *hackByKey(a.key);
        if (!HackItems[item].isSwitch && isOwned(values, item))
            return context.finish(Outcome::refused(a.key + " cannot be set while a switch that is on owns its bytes"));
    }
    std::vector<std::size_t> named;
    for (const auto& a : assignments)
        named.push_back(*hackByKey(a.key));
    return context.finish(saveHacks(context.workspace, values, true, named));
}

} // namespace

void addHackCommands(CommandTable& table)
{
    table.push_back({"hacks show", "",
                     "every switch (0 or 1) and field of the Special Hacks window as KEY:VALUE lines, in the "
                     "window's order, as read from torlo.exe",
                     show, {}, {""}});
    table.push_back({"hacks set", "KEY=VALUE ...",
                     "sets switches and fields by the keys of \"hacks show\" as if typed and left, then writes "
                     "every hack as \"Do all !\" does",
                     set, {"JETPACK=1 DIGGING=30"}});
    for (const auto& hack : HackItems)
        if (isListedHack(hack) && (hack.isSwitch || hack.write != HackWrite::Never))
            table.back().keys.emplace_back(hack.key);
}

} // namespace quorvex::cli
