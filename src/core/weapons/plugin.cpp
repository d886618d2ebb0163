#include "core/weapons/plugin.h"
#include "core/base/extension.h"
#include "core/text/key_value.h"
#include "core/text/cp437.h"
#include "core/base/errors.h"
#include "core/gamefile/game_file.h"
#include "core/text/number_text.h"
#include "core/weapons/object_fields.h"
#include "core/weapons/sobject_fields.h"

#include <algorithm>
#include <map>

namespace fs = std::filesystem;

namespace quorvex {

namespace {

constexpr std::string_view Version1Header = "TORLOKIT:WEAPONPLUGIN";
constexpr std::string_view Version2Header = "LWP";
constexpr std::string_view Version2Line = "VERSION:2";
constexpr std::string_view PromptKey = "PROMPT:";
constexpr std::string_view Selected = "SELECTED";
constexpr std::string_view LineEnd = "\r\n";

// What the writers and the reader know of each kind of record.
struct Kind {
    std::string_view section;        // "WEAPON:" ...
    int firstNumber;                 // the number a record gives the list's row 0
    std::string_view what;           // in prompts and refusals
    std::string_view savedStatus;    // "Save as plugin"
    std::string_view filter;
    std::string_view replaced;
};

const Kind& kindOf(RecordKind kind)
{
    static const Kind Weapon{WeaponSectionKey, 1, "weapon", "Weapon saved", "Weapon plug ins|*.lwp|All files|*.*",
                             "Weapon replaced"};
    static const Kind Object{ObjectSectionKey, 0, "object", "Object saved", "Object plugins|*.lwp|All files|*.*",
                             "Object replaced"};
    static const Kind SObject{SObjectSectionKey, 1, "special object", "Object saved",
                              "Object plugins|*.lwp|All files|*.*", "Special object replaced"};
    switch (kind) {
    case RecordKind::Weapon: return Weapon;
    case RecordKind::Object: return Object;
    case RecordKind::SObject: break;
    }
    return SObject;
}

std::string prompt(RecordKind kind, std::string_view name)
{
    return "This will activate " + std::string(kindOf(kind).what) + " " + std::string(name) + ". Are you sure?";
}

// The key lines of a record in the order of the fields' plugin lines.
void addKeyLines(std::vector<std::string>& lines, std::span<const TableField> fields, std::span<const FieldValue> page)
{
    for (auto k : fieldsInRecordOrder(fields))
        lines.push_back(std::string(fields[k].pluginKey) + recordText(fields[k].kind, page[k]));
}

PluginRecord tableRecord(RecordKind kind, const FieldArrays& table, int entry, std::span<const FieldValue> page)
{
    PluginRecord record{kind, {sectionLine(kind, entry)}, prompt(kind, table.names[entry])};
    addKeyLines(record.lines, table.fields, page);
    return record;
}

void appendLines(Bytes& bytes, std::initializer_list<std::string_view> lines)
{
    for (auto line : lines) {
        bytes.insert(bytes.end(), line.begin(), line.end());
        bytes.insert(bytes.end(), LineEnd.begin(), LineEnd.end());
    }
}

void appendRecord(Bytes& bytes, const PluginRecord& record)
{
    for (const auto& line : record.lines)
        appendLines(bytes, {line});
}

// The file's lines without their line ends (CR LF, or a bare LF), kept beyond the file's bytes.
std::vector<std::string> linesOf(const Bytes& bytes)
{
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const auto views = quorvex::linesOf(text);
    return {views.begin(), views.end()};
}

std::optional<RecordKind> sectionKind(std::string_view key)
{
    for (auto kind : {RecordKind::Weapon, RecordKind::Object, RecordKind::SObject})
        if (key == kindOf(kind).section)
            return kind;
    return std::nullopt;
}

// The index of the first line after a known header; none when the header is neither version's.
std::optional<std::size_t> afterHeader(const std::vector<std::string>& lines)
{
    if (!lines.empty() && lines[0] == Version1Header)
        return 1;
    if (lines.size() >= 2 && lines[0] == Version2Header && lines[1] == Version2Line)
        return 2;
    return std::nullopt;
}

// Stops an installation: names the line, keeps what was installed before.
class Stop : public std::runtime_error {
public:
    Stop(std::size_t line, const std::string& why)
        : std::runtime_error("Plugin stopped at line " + std::to_string(line + 1) + ": " + why) {}
};

class Installer {
public:
    Installer(const fs::path& file, const Workspace& workspace, PluginPages& pages, const Asker& ask)
        : lines_(linesOf(readWholeFile(file))), workspace_(workspace), pages_(pages), ask_(ask) {}

    PluginInstall run()
    {
        if (!headerIsKnown()) {
            say(Outcome::nothing("Not a weapon plugin: it begins with neither \"TORLOKIT:WEAPONPLUGIN\" "
                                        "nor \"LWP\" and \"VERSION:2\""));
            return std::move(result_);
        }
        try {
            std::size_t at = next_;
            while (at < lines_.size()) {
                const auto [key, value] = splitKeyValue(lines_[at]);
                if (key == PromptKey && !ask_(cp437ToUtf8(value))) {
                    say(Outcome::nothing("The plugin was not installed further: the question was answered No"));
                    return std::move(result_);
                }
                const auto kind = sectionKind(key);
                at = kind ? install(*kind, at) : at + 1;
            }
        } catch (const Stop& stop) {
            say(Outcome::refused(stop.what()));
        }
        return std::move(result_);
    }

private:
    bool headerIsKnown()
    {
        const auto first = afterHeader(lines_);
        next_ = first.value_or(0);
        return first.has_value();
    }

    void say(Outcome outcome)
    {
        result_.reports.push_back(std::move(outcome));
    }

    int& selectedRow(RecordKind kind)
    {
        return kind == RecordKind::Weapon ? pages_.weapon : kind == RecordKind::Object ? pages_.object : pages_.sobject;
    }

    static int rowCount(RecordKind kind)
    {
        return kind == RecordKind::Weapon ? places::WeaponCount
             : kind == RecordKind::Object ? places::ObjectCount
                                           : places::SpecialObjectCount;
    }

    // The row a section line names: the low 8 bits of its number, less the kind's first number.
    int rowOf(RecordKind kind, std::size_t at, std::string_view value)
    {
        if (value == Selected)
            return selectedRow(kind);
        const auto number = tryStrToInt(value);
        if (!number)
            throw Stop(at, ConvertError(cp437ToUtf8(value)).what());
        const int row = (*number & 0xFF) - kindOf(kind).firstNumber;
        if (row < 0 || row >= rowCount(kind))
            throw Stop(at, "\"" + cp437ToUtf8(lines_[at]) + "\" names no " + std::string(kindOf(kind).what) + " (they run from "
                               + std::to_string(kindOf(kind).firstNumber) + " to "
                               + std::to_string(rowCount(kind) - 1 + kindOf(kind).firstNumber) + ")");
        return row;
    }

    // The record's key lines up to the next section line: the last line of each key, by key.
    struct KeyLine {
        std::string value;
        std::size_t at;
    };
    std::map<std::string, KeyLine> keyLines(std::size_t& at)
    {
        std::map<std::string, KeyLine> keys;
        for (; at < lines_.size(); ++at) {
            const auto [key, value] = splitKeyValue(lines_[at]);
            if (sectionKind(key))
                break;
            keys[std::string(key)] = {std::string(value), at};
        }
        return keys;
    }

    // Sets the controls of the keys the record carries over the values shown, and returns their
    // fields: the ones the save stores. A value that does not convert stops before anything is
    // written.
    static std::vector<std::size_t> applyKeys(std::span<const TableField> fields, std::span<FieldValue> page,
                                              const std::map<std::string, KeyLine>& keys, bool numbersChecked)
    {
        std::vector<std::size_t> named;
        for (std::size_t k = 0; k < fields.size(); ++k) {
            const auto found = keys.find(std::string(fields[k].pluginKey));
            if (found == keys.end())
                continue;
            const auto& [value, at] = found->second;
            try {
                page[k] = valueFromRecord(fields[k].kind, fields[k].list, value);
                if (numbersChecked && isNumberBox(fields[k].kind))
                    strToInt(page[k].text);
            } catch (const ConvertError& error) {   // quotes the value, game text
                throw Stop(at, cp437ToUtf8(error.what()));
            }
            named.push_back(k);
        }
        return named;
    }

    // Installs the record whose section line is at `at`; returns the line that ends it.
    std::size_t install(RecordKind kind, std::size_t at)
    {
        const auto section = at;
        const int row = rowOf(kind, at, splitKeyValue(lines_[at]).second);
        const auto keys = keyLines(++at);
        try {
            if (kind == RecordKind::Weapon)
                installWeapon(row, keys);
            else
                installEntry(kind, kind == RecordKind::Object ? ObjectArrays : SObjectArrays, row, keys);
        } catch (const FileError& error) {
            throw Stop(section, error.what());
        }
        selectedRow(kind) = row;
        const auto noteSet = [&](std::string_view key) {
            if (keys.count(std::string(key)))
                result_.set.push_back({kind, row, key});
        };
        if (kind == RecordKind::Weapon)
            noteSet(WeaponNameKey);
        for (const auto& field : kind == RecordKind::Weapon ? std::span<const TableField>(WeaponFields)
                                 : kind == RecordKind::Object ? ObjectArrays.fields : SObjectArrays.fields)
            noteSet(field.pluginKey);
        say(Outcome::done(std::string(kindOf(kind).replaced)));
        return at;
    }

    void installWeapon(int weapon, const std::map<std::string, KeyLine>& keys)
    {
        if (!pages_.weapons)
            pages_.weapons = loadWeapons(workspace_);
        auto& data = *pages_.weapons;
        // The record starts from the weapon it names and is checked whole before the rename.
        auto page = showWeapon(data.table, weapon);
        const auto named = applyKeys(WeaponFields, page, keys, true);
        const auto name = keys.find(std::string(WeaponNameKey));
        const std::string typed = name != keys.end() ? name->second.value : data.names[weapon];
        copyPageToTable(data.table, weapon, page, named);
        if (weaponNameFromTyped(typed) != data.names[weapon])
            say(renameWeapon(workspace_, data.names, weapon, typed));
        say(saveWeapons(workspace_, data.table));
        result_.wrote.weapons = true;
    }

    void installEntry(RecordKind kind, const FieldArrays& table, int entry, const std::map<std::string, KeyLine>& keys)
    {
        auto page = showEntry(workspace_, table, entry);
        const auto named = applyKeys(table.fields, page, keys, false);
        say(saveEntry(workspace_, table, entry, page, named));
        (kind == RecordKind::Object ? result_.wrote.objects : result_.wrote.sobjects) = true;
    }

    std::vector<std::string> lines_;
    std::size_t next_ = 0;
    const Workspace& workspace_;
    PluginPages& pages_;
    const Asker& ask_;
    PluginInstall result_;
};

} // namespace

std::optional<RecordKind> firstRecordKind(const fs::path& file)
{
    const auto lines = linesOf(readFileStart(file, 64 * 1024));
    const auto first = afterHeader(lines);
    for (auto at = first.value_or(lines.size()); at < lines.size(); ++at)
        if (const auto kind = sectionKind(splitKeyValue(lines[at]).first))
            return kind;
    return std::nullopt;
}

PluginRecord weaponRecord(std::string_view name, std::span<const FieldValue, WeaponFields.size()> page,
                          std::optional<int> weapon)
{
    const auto nameLine = std::string(WeaponNameKey) + std::string(name);
    const auto order = *weaponFieldByKey("ORDER:");
    const auto orderLine = std::string(WeaponFields[order].pluginKey) + recordText(WeaponFields[order].kind, page[order]);
    // The prompt names the weapon up to the first run of two spaces; the record keeps it whole.
    PluginRecord record{RecordKind::Weapon, {}, prompt(RecordKind::Weapon, name.substr(0, name.find("  ")))};
    if (weapon)
        record.lines = {std::string(WeaponSectionKey) + std::to_string(*weapon + 1), nameLine, orderLine};
    else
        record.lines = {std::string(WeaponSectionKey) + std::string(Selected), orderLine, nameLine};
    std::vector<std::string> keys;
    addKeyLines(keys, WeaponFields, page);
    record.lines.insert(record.lines.end(), keys.begin() + 1, keys.end());   // "ORDER:" stands above
    return record;
}

PluginRecord objectRecord(int object, std::span<const FieldValue> page)
{
    return tableRecord(RecordKind::Object, ObjectArrays, object, page);
}

PluginRecord sobjectRecord(int sobject, std::span<const FieldValue> page)
{
    return tableRecord(RecordKind::SObject, SObjectArrays, sobject, page);
}

std::string sectionLine(RecordKind kind, int row)
{
    return std::string(kindOf(kind).section) + std::to_string(row + kindOf(kind).firstNumber);
}

std::optional<fs::path> askPluginFile(RecordKind kind, const TargetAsker& askTarget)
{
    auto chosen = askTarget(std::string(kindOf(kind).filter), {});
    if (!chosen || chosen->empty())
        return std::nullopt;
    // Only a name without any dot, also in its folders, gets the extension.
    if (chosen->string().find('.') == std::string::npos)
        *chosen += ".LWP";
    return chosen;
}

void writePlugin(const fs::path& file, std::span<const PluginRecord> records, bool version2)
{
    Bytes bytes;
    if (version2)
        appendLines(bytes, {Version2Header, Version2Line});
    else
        appendLines(bytes, {Version1Header});
    for (const auto& record : records) {
        if (!record.prompt.empty())
            appendLines(bytes, {std::string(PromptKey) + record.prompt});
        appendRecord(bytes, record);
    }
    writeFileAtomically(file, bytes);
}

Outcome savePluginAs(const PluginRecord& record, bool version2, const TargetAsker& askTarget)
{
    const auto chosen = askPluginFile(record.kind, askTarget);
    if (!chosen)
        return Outcome::nothing("No plugin file was chosen");
    writePlugin(*chosen, {&record, 1}, version2);
    return Outcome::done(std::string(kindOf(record.kind).savedStatus));
}

Outcome saveInPlugin(const std::optional<fs::path>& selected, const PluginRecord& record)
{
    if (!selected || upperExtension(*selected) != ".LWP")
        return Outcome::refused("No weapon selected");
    // The file is written whole with the record added, so a failure leaves it as it was.
    auto bytes = readWholeFile(*selected);
    appendLines(bytes, {""});
    appendRecord(bytes, record);
    writeFileAtomically(*selected, bytes);
    return Outcome::done("Object saved");
}

PluginInstall installPlugin(const fs::path& file, const Workspace& workspace, PluginPages& pages, const Asker& ask)
{
    // A real plugin is a few kilobytes; a huge file is refused before anything is installed.
    if (fileSize(file) > MaxPluginSize)
        return {{Outcome::refused("Not installed: a weapon plugin is at most 4 MB, and this file is larger")}, {}, {}};
    return Installer(file, workspace, pages, ask).run();
}

} // namespace quorvex
