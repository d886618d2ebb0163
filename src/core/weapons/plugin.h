#pragma once
// Weapon plugins (.LWP): the records that "Save as plugin" and "Save in plugin" write from the
// weapon, object and special-object pages, and the reader that installs a plugin through the
// pages' own saves.
#include "core/base/target_asker.h"
#include "core/base/workspace.h"
#include "core/base/outcome.h"
#include "core/base/services.h"
#include "core/fields/field_arrays.h"
#include "core/weapons/weapon_table.h"

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace quorvex {

enum class RecordKind { Weapon, Object, SObject };

// A record as a writer makes it: its lines without line ends, and the question that "Save as
// plugin" puts in front of it.
struct PluginRecord {
    RecordKind kind;
    std::vector<std::string> lines;
    std::string prompt;
};

// The weapon shown on the page: its name box and field controls. Without a weapon number the
// record is that of "Save as plugin" ("WEAPON:SELECTED", "ORDER:", "NAME:", ...); with one it is
// that of "Save in plugin" ("WEAPON:" and the number counted from 1, "NAME:", "ORDER:", ...).
PluginRecord weaponRecord(std::string_view name, std::span<const FieldValue, WeaponFields.size()> page,
                          std::optional<int> weapon);
// Objects are numbered from 0, special objects from 1, in both writers.
PluginRecord objectRecord(int object, std::span<const FieldValue> page);
PluginRecord sobjectRecord(int sobject, std::span<const FieldValue> page);

// The line that opens a record of kind for a list row ("WEAPON:" and the row + 1, ...).
std::string sectionLine(RecordKind kind, int row);
// Asks for a plugin file with the filter of the kind's pages; a name without any dot, also in
// its folders, gets ".LWP". None when the dialog is cancelled.
std::optional<std::filesystem::path> askPluginFile(RecordKind kind, const TargetAsker& askTarget);
// Writes the header of version 2 or 1 and the records, each after its prompt line when it has
// one, replacing an existing file.
void writePlugin(const std::filesystem::path& file, std::span<const PluginRecord> records, bool version2);

// "Save as plugin": asks for the file (a name without any dot gets ".LWP"), then writes the
// header of version 2 or 1, the prompt line and the record, replacing an existing file.
// Status "Weapon saved" or "Object saved"; nothing is written when the dialog is cancelled.
Outcome savePluginAs(const PluginRecord& record, bool version2, const TargetAsker& askTarget);

// "Save in plugin": appends an empty line and the record to the file selected in the browser,
// whose extension must be ".LWP" ("No weapon selected" otherwise). Status "Object saved".
Outcome saveInPlugin(const std::optional<std::filesystem::path>& selected, const PluginRecord& record);

// The kind of a plugin's first record, from the file's first 64 KiB; none for a file that is no
// plugin or holds no record. The browser brings that kind's page to the front.
std::optional<RecordKind> firstRecordKind(const std::filesystem::path& file);

// What the reader works on besides torlo.exe: the weapon page's names and table in memory
// (read from torlo.exe when missing; a weapon record saves the whole table, as "Save weapons"
// does) and the rows selected in the three lists, which the records change.
struct PluginPages {
    std::optional<WeaponData> weapons;
    int weapon = 0;
    int object = 0;
    int sobject = 0;
};

struct PluginWrites {
    bool weapons = false;
    bool objects = false;
    bool sobjects = false;
    bool any() const { return weapons || objects || sobjects; }
};

// The largest plugin file installed: a real one is a few kilobytes.
inline constexpr std::uint64_t MaxPluginSize = std::uint64_t{4} << 20;

// A key that an installed record set: on the row it names, whatever value the row held.
struct PluginSet {
    RecordKind kind;
    int row;
    std::string_view key;   // the plugin's key, with its colon ("ORDER:")
};

struct PluginInstall {
    // In order: each save's own report, then "Weapon replaced", "Object replaced" or "Special
    // object replaced" for each record. A refusal, last, names the line that stopped it; the
    // records before it stay installed. Empty when nothing was installed and nothing is to say.
    std::vector<Outcome> reports;
    PluginWrites wrote;
    std::vector<PluginSet> set;   // the keys of the installed records, in order
};

// Installs a plugin: header check (nothing at all for another header), every "PROMPT:" asked
// (No stops before the next record), and each record shown from the entry it names, then set
// by its keys (any order, the last of a key wins) and saved through the page's save. A record
// whose number names no row, or with a value that does not convert, installs nothing of itself
// and stops the installation.
PluginInstall installPlugin(const std::filesystem::path& file, const Workspace& workspace, PluginPages& pages,
                            const Asker& ask);

} // namespace quorvex
