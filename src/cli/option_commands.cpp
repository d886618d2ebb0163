// blood, ai ..., associate: the options page and the CPU AI page.
#include "ai/ai_values.h"
#include "cli/cli.h"
#include "gameexe/number_text.h"
#include "platform/file_classes.h"
#include "shell/associations.h"
#include "shell/blood.h"

#include <ostream>

namespace quorvex::cli {

namespace {

std::string usageOf(const Command& self)
{
    return "usage: quorvex-cli " + self.name + " " + self.usage;
}

int blood(Context& context, const Arguments& given, const Command& self)
{
    // A negative amount is a value, not an option: "blood -60" and "blood -- -60" both work.
    Arguments args = given;
    if (!args.empty() && args.front() == "--")
        args.erase(args.begin());
    if (args.size() != 1)
        throw UsageError(usageOf(self));
    return context.finish(setBlood(context.workspace, strToInt(args[0])));
}

int aiShow(Context& context, const Arguments& args, const Command& self)
{
    expectArguments(args, 0, 0, self);
    const auto texts = readAiTexts(context.workspace);
    for (std::size_t k = 0; k < AiFields.size(); ++k)
        context.out << AiFields[k].key << ':' << texts[k] << '\n';
    return 0;
}

int aiSet(Context& context, const Arguments& args, const Command& self)
{
    if (args.empty())
        throw UsageError(usageOf(self));
    struct Assignment {
        std::size_t field;
        std::string value;
    };
    std::vector<Assignment> assignments;
    for (const auto& arg : args) {
        const auto equals = arg.find('=');
        if (equals == std::string::npos || equals == 0)
            throw UsageError("expected KEY=VALUE, got \"" + arg + "\"\n" + usageOf(self));
        const auto field = aiFieldByKey(arg.substr(0, equals));
        if (!field)
            return context.finish(Outcome::refused("Not an AI key: " + arg.substr(0, equals)));
        assignments.push_back({*field, arg.substr(equals + 1)});
    }
    auto texts = readAiTexts(context.workspace);
    for (const auto& a : assignments)
        texts[a.field] = a.value;
    return context.finish(saveAi(context.workspace, texts));
}

int aiPreset(Context& context, const Arguments& args, const Command& self)
{
    expectArguments(args, 1, 1, self);
    const auto preset = aiPresetByName(args[0]);
    if (!preset)
        throw UsageError(usageOf(self));
    return context.finish(saveAi(context.workspace, presetTexts(*preset)));
}

int associate(Context& context, const Arguments& given, const Command& self)
{
    Arguments args = given;
    const bool remove = takeFlag(args, "--remove");
    expectArguments(args, 0, remove ? 0 : AssociationKinds.size(), self);
    auto store = desktopClassStore();
    if (remove)
        return context.finish(removeExtensions(*store));
    AssociationSet kinds;
    for (const auto& word : args) {
        const auto kind = associationByWord(word);
        if (!kind)
            throw UsageError("unknown kind " + word + "\n" + usageOf(self));
        kinds.set(*kind);
    }
    if (kinds.none())
        kinds.set();
    return context.finish(assignExtensions(*store, kinds, desktopProgram()));
}

} // namespace

void addOptionCommands(CommandTable& table)
{
    table.push_back({"blood", "[--] N",
                     "writes the amount of blood into torlo.dat (made positive, at most 32750, a multiple of 25) "
                     "and prints it",
                     blood, {"1000"}});
    std::string keys;
    for (const auto& field : AiFields)
        keys += (keys.empty() ? "" : ", ") + std::string(field.key);
    table.push_back({"ai show", "", "the eleven CPU AI values as KEY:VALUE lines (" + keys + ")", aiShow});
    table.push_back({"ai set", "KEY=VALUE...",
                     "changes CPU AI values and saves all eleven as the page's \"Save\" does (clamping included)", aiSet,
                     {"FIREPRESS=5"}});
    table.push_back({"ai preset", "standard|good", "saves the \"Standard\" or \"Good\" CPU AI values", aiPreset,
                     {"good"}});
    table.push_back({"associate", "[levels] [gfx] [sounds] [palettes] [weapons] [translations] | --remove",
                     "makes Quorvex open the kinds named (none named: all) from the desktop, or takes away "
                     "everything it registered",
                     associate});
}

} // namespace quorvex::cli
