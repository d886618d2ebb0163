#pragma once
// Tables of field arrays in torlo.exe that the pages read and write one entry at a time,
// straight in the file (objects, special objects): no copy is kept in memory.
#include "core/base/workspace.h"
#include "core/base/outcome.h"
#include "core/fields/table_field.h"

#include <span>
#include <string_view>
#include <vector>

namespace quorvex {

struct FieldArrays {
    std::uint32_t offset;   // of the table in torlo.exe
    std::uint32_t size;     // bytes
    int entries;            // per field
    std::span<const TableField> fields;        // positions inside the table
    std::span<const std::string_view> names;    // of the entries, as the page's list shows them
    std::string_view savedStatus;               // status text of Save; empty for none
    std::string_view logKind;                   // log line: kind, the name in quotes, " saved"
    GamePart part;                              // what a save changes
};

// What the page's controls show, one value per field in the table's row order.
using EntryValues = std::vector<FieldValue>;

bool isEntryOf(const FieldArrays& table, int entry);

// Show: every field of the entry, read from torlo.exe.
EntryValues showEntry(const Workspace& workspace, const FieldArrays& table, int entry);

// Save: number boxes converted leniently, the entry of each field that `named` stores written at
// its place (bytes the low 8 bits, 16-bit and 32-bit entries little-endian). Every value is
// converted and the file is checked to hold the whole table before the first byte is written;
// nothing else changes. Outcome::unchanged when the file already held every value.
Outcome saveEntry(const Workspace& workspace, const FieldArrays& table, int entry, std::span<const FieldValue> values,
                  const NamedFields& named = std::nullopt);

} // namespace quorvex
