#include "core/fields/field_arrays.h"
#include "core/base/errors.h"
#include "core/gamefile/game_file.h"

namespace quorvex {

namespace {

std::uint64_t placeOf(const FieldArrays& table, const TableField& field, int entry)
{
    return table.offset + field.position + static_cast<std::uint64_t>(field.width) * static_cast<std::uint64_t>(entry);
}

// A torlo.exe too short for the table is refused before anything is read or written.
void requireTable(const GameFile& exe, const FieldArrays& table)
{
    if (exe.size() < table.offset + table.size)
        throw FileError::beyondEnd();
}

// What the field's control shows for the entry's bytes.
FieldValue shownEntry(GameFile& exe, const FieldArrays& table, const TableField& field, int entry)
{
    const auto bytes = exe.readAt(placeOf(table, field, entry), static_cast<std::size_t>(field.width));
    std::int64_t value = 0;
    for (std::size_t b = bytes.size(); b-- > 0;)
        value = value << 8 | bytes[b];
    if (field.width == FieldWidth::Word)
        value = static_cast<std::int16_t>(value);
    return shownValue(field.kind, field.list, value);
}

} // namespace

bool isEntryOf(const FieldArrays& table, int entry)
{
    return entry >= 0 && entry < table.entries;
}

EntryValues showEntry(const Workspace& workspace, const FieldArrays& table, int entry)
{
    GameFile exe(workspace, workspace.torloExe(), GameFile::Access::ReadOnly);
    requireTable(exe, table);
    EntryValues values;
    values.reserve(table.fields.size());
    for (const auto& field : table.fields)
        values.push_back(shownEntry(exe, table, field, entry));
    return values;
}

Outcome saveEntry(const Workspace& workspace, const FieldArrays& table, int entry, std::span<const FieldValue> values,
                  const NamedFields& named)
{
    std::vector<std::int64_t> stored;
    stored.reserve(values.size());
    for (std::size_t k = 0; k < table.fields.size(); ++k)
        stored.push_back(lenientStoredValue(table.fields[k].kind, values[k]));

    GameFile exe(workspace, workspace.torloExe());
    requireTable(exe, table);
    for (std::size_t k = 0; k < table.fields.size(); ++k) {
        const auto& field = table.fields[k];
        if (!isStored(named, k, values[k], shownEntry(exe, table, field, entry)))
            continue;
        Bytes bytes(static_cast<std::size_t>(field.width));
        for (std::size_t b = 0; b < bytes.size(); ++b)
            bytes[b] = static_cast<std::uint8_t>(static_cast<std::uint64_t>(stored[k]) >> (8 * b));
        exe.writeAt(placeOf(table, field, entry), bytes);
    }
    if (!exe.changed())
        return Outcome::unchanged();
    return Outcome::done(std::string(table.savedStatus),
                         std::string(table.logKind) + "\"" + std::string(table.names[entry]) + "\" saved")
        .changing(table.part);
}

} // namespace quorvex
