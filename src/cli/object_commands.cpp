// objects ..., sobjects ...: the object and special-object tables, read and written in place.
#include "cli/cli.h"
#include "core/text/number_text.h"
#include "core/weapons/object_fields.h"
#include "core/weapons/sobject_fields.h"

#include <optional>
#include <ostream>

namespace quorvex::cli {

namespace {

// The entry number argument of a table; nullopt when it names no entry.
std::optional<int> entryNumber(const FieldArrays& table, const std::string& text)
{
    const auto number = tryStrToInt(text);
    if (!number || !isEntryOf(table, *number))
        return std::nullopt;
    return number;
}

Outcome noSuchEntry(const FieldArrays& table, std::string_view what, const std::string& text)
{
    return Outcome::refused("No " + std::string(what) + " " + text + ": " + std::string(what) + " numbers run from 0 to "
                            + std::to_string(table.entries - 1));
}

int list(Context& context, const FieldArrays& table)
{
    for (int i = 0; i < table.entries; ++i)
        context.out << i << '\t' << table.names[i] << '\n';
    return 0;
}

int show(Context& context, const Arguments& args, const Command& self, const FieldArrays& table, std::string_view what)
{
    expectArguments(args, 1, 1, self);
    const auto entry = entryNumber(table, args[0]);
    if (!entry)
        return context.finish(noSuchEntry(table, what, args[0]));
    const auto page = showEntry(context.workspace, table, *entry);
    for (auto k : fieldsInRecordOrder(table.fields))
        context.out << table.fields[k].pluginKey << recordText(table.fields[k].kind, page[k]) << '\n';
    return 0;
}

// Sets the entry's controls as a plugin record would, then saves the fields named, as the
// page saves: a field not named keeps its bytes, even one its control cannot show. Every key
// and value is checked before anything is written.
int set(Context& context, const Arguments& args, const Command& self, const FieldArrays& table, std::string_view what)
{
    if (args.size() < 2)
        throw UsageError("usage: quorvex-cli " + self.name + " " + self.usage);
    const auto assignments = takeAssignments(args, 1, self);
    const auto entry = entryNumber(table, args[0]);
    if (!entry)
        return context.finish(noSuchEntry(table, what, args[0]));
    for (const auto& a : assignments)
        if (a.key.back() == ':' || !fieldByKey(table.fields, a.key))
            return context.finish(Outcome::refused("Not a" + std::string(what == "object" ? "n " : " ") + std::string(what)
                                                   + " key: " + a.key));
    auto page = showEntry(context.workspace, table, *entry);
    std::vector<std::size_t> named;
    for (const auto& a : assignments) {
        const auto k = *fieldByKey(table.fields, a.key);
        page[k] = valueFromRecord(table.fields[k].kind, table.fields[k].list, a.value);   // a list value that is no number stops here
        named.push_back(k);
    }
    return context.finish(saveEntry(context.workspace, table, *entry, page, named));
}

void addTableCommands(CommandTable& table, const std::string& word, const FieldArrays& fields, std::string_view what,
                      const std::string& count, const std::string& example)
{
    const std::string range = "(0 to " + std::to_string(fields.entries - 1) + ")";
    table.push_back({word + " list", "", "the " + count + " " + std::string(what) + "s: number, a tab, the name",
                     [&fields](Context& context, const Arguments& args, const Command& self) {
        expectArguments(args, 0, 0, self);
        return list(context, fields);
    }, {}, {""}});
    table.push_back({word + " show", "N",
                     std::string(what) + " N " + range + " as a plugin record carries it: one KEY:VALUE line per "
                     "field in record order, each value as the page shows it (list values as row numbers)",
                     [&fields, what](Context& context, const Arguments& args, const Command& self) {
        return show(context, args, self, fields, what);
    }, {}, {"0"}});
    table.push_back({word + " set", "N KEY=VALUE ...",
                     "sets fields of " + std::string(what) + " N by the keys of \"" + word
                         + " show\" (without the colon) as a plugin does, then saves it as \"Save current object\" does",
                     [&fields, what](Context& context, const Arguments& args, const Command& self) {
        return set(context, args, self, fields, what);
    }, {example}});
    for (auto k : fieldsInRecordOrder(fields.fields))
        table.back().keys.emplace_back(fields.fields[k].pluginKey.substr(0, fields.fields[k].pluginKey.size() - 1));
}

} // namespace

void addObjectCommands(CommandTable& table)
{
    addTableCommands(table, "objects", ObjectArrays, "object", "24", "0 BLOOD=3");
    addTableCommands(table, "sobjects", SObjectArrays, "special object", "14", "0 ANIMDELAY=5");
}

} // namespace quorvex::cli
