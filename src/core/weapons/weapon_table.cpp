#include "core/weapons/weapon_table.h"
#include "core/text/cp437.h"
#include "core/base/errors.h"

#include <algorithm>

namespace quorvex {

namespace {

std::size_t entryAt(const TableField& field, int weapon)
{
    return field.position + static_cast<std::size_t>(field.width) * static_cast<std::size_t>(weapon);
}

} // namespace

int WeaponTable::entry(const TableField& field, int weapon) const
{
    const auto at = entryAt(field, weapon);
    if (field.width == FieldWidth::Byte)
        return bytes[at];
    return static_cast<std::int16_t>(bytes[at] | (bytes[at + 1] << 8));
}

void WeaponTable::setEntry(const TableField& field, int weapon, int value)
{
    const auto at = entryAt(field, weapon);
    bytes[at] = static_cast<std::uint8_t>(value & 0xFF);
    if (field.width == FieldWidth::Word)
        bytes[at + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

WeaponData loadWeapons(const Workspace& workspace)
{
    GameFile exe(workspace, workspace.existingTorloExe(), GameFile::Access::ReadOnly);
    WeaponData data;
    data.names = readWeaponNames(exe);
    exe.seek(places::WeaponTable);
    exe.read(std::span<std::uint8_t>(data.table.bytes));
    return data;
}

bool isWeaponNumber(int weapon)
{
    return weapon >= 0 && weapon < places::WeaponCount;
}

WeaponPageValues showWeapon(const WeaponTable& table, int weapon)
{
    WeaponPageValues page;
    for (std::size_t k = 0; k < WeaponFields.size(); ++k) {
        const auto& field = WeaponFields[k];
        page[k] = shownValue(field.kind, field.list, table.entry(field, weapon));
    }
    return page;
}

void copyPageToTable(WeaponTable& table, int weapon, std::span<const FieldValue, WeaponFields.size()> page,
                     const NamedFields& named)
{
    for (std::size_t k = 0; k < WeaponFields.size(); ++k) {
        const auto& field = WeaponFields[k];
        if (isStored(named, k, page[k], shownValue(field.kind, field.list, table.entry(field, weapon))))
            table.setEntry(field, weapon, storedValue(field.kind, page[k]));
    }
}

std::string weaponNameFromTyped(std::string_view typed)
{
    // A "~" ends a name for every reader, so the name stops there: the list, a plugin written
    // from it and a later read of torlo.exe then all agree.
    std::string name(typed.substr(0, std::min(typed.find('~'), std::size_t{places::WeaponNameMax})));
    std::transform(name.begin(), name.end(), name.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; });
    return name;
}

Outcome renameWeapon(const Workspace& workspace, WeaponNames& names, int weapon, std::string_view typed)
{
    if (!isWeaponNumber(weapon))
        return Outcome::nothing();
    const auto name = weaponNameFromTyped(typed);
    names[weapon] = name;
    GameFile exe(workspace, workspace.torloExe());
    exe.requireSize(places::WeaponNames + places::WeaponNameSlot * places::WeaponCount);
    writeWeaponName(exe, weapon, name);
    if (!exe.changed())
        return Outcome::unchanged();
    return Outcome::done("Weaponname changed", "Weaponname changed to " + cp437ToUtf8(name)).changing(GamePart::Weapons);
}

Outcome saveWeapons(const Workspace& workspace, const WeaponTable& table)
{
    GameFile exe(workspace, workspace.torloExe());
    exe.requireSize(places::WeaponTable + places::WeaponTableSize);
    exe.writeAt(places::WeaponTable, table.bytes);
    if (!exe.changed())
        return Outcome::unchanged();
    return Outcome::done("Weapons saved", "Weapons saved to Torlo.exe").changing(GamePart::Weapons);
}

} // namespace quorvex
