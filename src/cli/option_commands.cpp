// blood, ai ..., associate: the options page and the CPU AI page.
#include "core/ai/ai_values.h"
#include "cli/cli.h"
#include "core/text/number_text.h"
#include "core/platform/folders.h"
#include "core/platform/qt_services.h"
#include "core/shell/associations.h"
#include "core/shell/blood.h"
#include "core/shell/settings.h"

#include <algorithm>
#include <charconv>

#include <ostream>

namespace quorvex::cli {

namespace {

std::string usageOf(const Command& self)
{
    return "usage: quorvex-cli " + self.name + " " + self.usage;
}

int blood(Context& context, const Arguments& args, const Command& self)
{
    // A negative amount is a value, not an option: "blood -60" and "blood -- -60" both work.
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
    const bool force = !remove && takeFlag(args, "--force");
    expectArguments(args, 0, remove ? 0 : AssociationKinds.size(), self);
    auto store = moduleFileClassStore();
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
    return context.finish(assignExtensions(*store, kinds, desktopProgram(), force));
}

int optionsShow(Context& context, const Arguments& args, const Command& self)
{
    expectArguments(args, 0, 0, self);
    for (const auto& entry : AllSettings)
        if (const auto value = context.settings.text(entry.name))
            context.out << entry.name << '=' << escapedText(*value) << '\n';
    return 0;
}

std::optional<std::int64_t> wholeNumber(const std::string& text)
{
    std::int64_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return number;
}

// Every value is checked before the first is written.
int optionsSet(Context& context, const Arguments& args, const Command& self)
{
    if (args.empty())
        throw UsageError(usageOf(self));
    const auto assignments = takeAssignments(args, 0, self);
    std::vector<std::pair<const SettingEntry*, std::optional<std::int64_t>>> checked;
    for (const auto& [key, value] : assignments) {
        const auto* entry = std::find_if(AllSettings.begin(), AllSettings.end(),
                                         [&name = key](const SettingEntry& e) { return name == e.name; });
        if (entry == AllSettings.end())
            return context.finish(Outcome::refused("Not a setting: " + key));
        std::optional<std::int64_t> number;
        if (entry->form == SettingForm::Integer && !(number = wholeNumber(value)))
            return context.finish(Outcome::refused(key + " must be a whole number, not \"" + value + "\""));
        if (entry->form == SettingForm::YesNo && value != "yes" && value != "no")
            return context.finish(Outcome::refused(key + " must be yes or no, not \"" + value + "\""));
        checked.emplace_back(entry, number);
    }
    for (std::size_t i = 0; i < checked.size(); ++i) {
        if (const auto number = checked[i].second)
            context.settings.setInteger(checked[i].first->name, *number);
        else
            context.settings.setText(checked[i].first->name, assignments[i].value);
    }
    return context.finish(Outcome::done("Settings saved"));
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
    table.push_back({"ai show", "", "the eleven CPU AI values as KEY:VALUE lines (" + keys + ")", aiShow, {}, {""}});
    table.push_back({"ai set", "KEY=VALUE...",
                     "changes CPU AI values and saves all eleven as the page's \"Save\" does (clamping included)", aiSet,
                     {"FIREPRESS=5"}});
    for (const auto& field : AiFields)
        table.back().keys.emplace_back(field.key);
    table.push_back({"ai preset", "standard|good", "saves the \"Standard\" or \"Good\" CPU AI values", aiPreset,
                     {"good"}});
    table.push_back({"associate", "[levels] [gfx] [sounds] [palettes] [weapons] [translations] [--force] | --remove",
                     "makes Quorvex open the kinds named (none named: all) from the desktop, leaving a kind you gave "
                     "another program to it unless --force; or puts the desktop's files back as they were before",
                     associate, {}, {"", "levels palettes", "--force palettes", "--remove"}});
    std::string names;
    for (const auto& entry : AllSettings)
        names += (names.empty() ? "" : ", ") + std::string(entry.name);
    table.push_back({"options show", "", "the settings that are set, as NAME=VALUE lines", optionsShow, {}, {""}});
    table.push_back({"options set", "NAME=VALUE...",
                     "stores settings as the options page does (" + names +
                         "; the yes/no ones take yes or no, FG, BG and Filter whole numbers)",
                     optionsSet, {}, {"MakePL=yes Font=Tahoma", "TorloPath=$HOME/torlo"}});
    for (const auto& entry : AllSettings)
        table.back().keys.emplace_back(entry.name);
}

} // namespace quorvex::cli
