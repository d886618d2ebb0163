#pragma once
// The weapon names and the 2360-byte weapon table held in memory, with typed access, and the
// operations that write them back: rename one weapon, save the whole table.
#include "core/gamefile/game_file.h"
#include "core/base/places.h"
#include "core/weapons/weapon_names.h"
#include "core/base/workspace.h"
#include "core/base/outcome.h"
#include "core/weapons/weapon_fields.h"

#include <array>
#include <span>

namespace quorvex {

struct WeaponTable {
    std::array<std::uint8_t, places::WeaponTableSize> bytes{};

    // Bytes read unsigned (0..255), 16-bit entries signed, little-endian.
    int entry(const TableField& field, int weapon) const;
    // Keeps the low 8 or 16 bits of value.
    void setEntry(const TableField& field, int weapon, int value);
};

struct WeaponData {
    WeaponNames names;
    WeaponTable table;
};

// Start-up: the 40 names and the table from torlo.exe.
WeaponData loadWeapons(const Workspace& workspace);

bool isWeaponNumber(int weapon);

// The page of one weapon as its controls show it, in the table's row order.
using WeaponPageValues = std::array<FieldValue, WeaponFields.size()>;
WeaponPageValues showWeapon(const WeaponTable& table, int weapon);

// Stores the controls of the fields that `named` stores into the weapon's entries in page order.
// A number box whose text is not a number raises ConvertError there: the fields before it are
// stored, the rest are not.
void copyPageToTable(WeaponTable& table, int weapon, std::span<const FieldValue, WeaponFields.size()> page,
                     const NamedFields& named = std::nullopt);

// The name as a rename stores it: upper case, at most 13 characters, cut before a "~".
std::string weaponNameFromTyped(std::string_view typed);

// Writes the name into the weapon's slot at once and puts it into names; Outcome::unchanged
// when the slot already held it.
Outcome renameWeapon(const Workspace& workspace, WeaponNames& names, int weapon, std::string_view typed);

// Writes all 40 weapons of the table back into torlo.exe; Outcome::unchanged when it already
// held them.
Outcome saveWeapons(const Workspace& workspace, const WeaponTable& table);

} // namespace quorvex
