#pragma once
// Tables of field arrays in torlo.exe that the pages read and write one entry at a time,
// straight in the file (objects, special objects): no copy is kept in memory. Also the
// compile-time checks that a field table tiles its bytes, shared by every field table.
#include "gameexe/workspace.h"
#include "shell/outcome.h"
#include "weapons/weapon_fields.h"

#include <span>
#include <string_view>
#include <vector>

namespace quorvex {

struct FieldArrays {
    std::uint32_t offset;   // of the table in torlo.exe
    std::uint32_t size;     // bytes
    int entries;            // per field
    std::span<const WeaponField> fields;        // positions inside the table
    std::span<const std::string_view> names;    // of the entries, as the page's list shows them
    std::string_view savedStatus;               // status text of Save; empty for none
    std::string_view logKind;                   // log line: kind, the name in quotes, " saved"
};

// What the page's controls show, one value per field in the table's row order.
using EntryValues = std::vector<FieldValue>;

bool isEntryOf(const FieldArrays& table, int entry);

// Show: every field of the entry, read from torlo.exe.
EntryValues showEntry(const Workspace& workspace, const FieldArrays& table, int entry);

// Save: number boxes converted leniently, each field's entry written at its place (bytes the
// low 8 bits, 16-bit and 32-bit entries little-endian). Every value is converted and the file
// is checked to hold the whole table before the first byte is written; nothing else changes.
Outcome saveEntry(const Workspace& workspace, const FieldArrays& table, int entry, std::span<const FieldValue> values);

// The field whose plugin key (with or without its colon) is key.
std::optional<std::size_t> fieldByKey(std::span<const WeaponField> fields, std::string_view key);

namespace field_checks {

constexpr std::uint32_t bytesOf(const WeaponField& field, int entries)
{
    return static_cast<std::uint32_t>(field.width) * static_cast<std::uint32_t>(entries);
}

constexpr std::uint32_t sharedBytes(const WeaponField& a, const WeaponField& b, int entries)
{
    const auto aEnd = a.position + bytesOf(a, entries), bEnd = b.position + bytesOf(b, entries);
    const auto from = a.position > b.position ? a.position : b.position;
    const auto to = aEnd < bEnd ? aEnd : bEnd;
    return to > from ? to - from : 0;
}

// The fields lie inside the table and cover all of it; 16-bit fields are signed, the others
// unsigned. No two fields share a byte, except that the field keyed `overlapping` may run
// `overlap` bytes into the start of the field keyed `overlapped`.
template <std::size_t N>
constexpr bool tileTable(const std::array<WeaponField, N>& fields, int entries, std::uint32_t size,
                         std::string_view overlapping = {}, std::string_view overlapped = {}, std::uint32_t overlap = 0)
{
    std::uint32_t bytes = 0;
    for (const auto& a : fields) {
        bytes += bytesOf(a, entries);
        if (a.position + bytesOf(a, entries) > size)
            return false;
        if ((a.width == FieldWidth::Word) != (a.sign == Signedness::Signed))
            return false;
        for (const auto& b : fields) {
            if (&a == &b)
                continue;
            const auto shared = sharedBytes(a, b, entries);
            if (shared == 0)
                continue;
            // a is the field that runs on, b the one whose first bytes it covers
            const bool allowed = a.pluginKey == overlapping && b.pluginKey == overlapped && shared == overlap
                              && a.position < b.position && a.position + bytesOf(a, entries) == b.position + overlap;
            const bool mirrored = b.pluginKey == overlapping && a.pluginKey == overlapped && shared == overlap;
            if (!allowed && !mirrored)
                return false;
        }
    }
    return bytes == size + overlap;
}

// Every control and plugin key is used once; the plugin lines run from 2 to the last line
// without a gap, line `reserved` (if any) being kept for a line that is not a field.
template <std::size_t N>
constexpr bool namesAreUnique(const std::array<WeaponField, N>& fields, std::uint8_t reserved = 0)
{
    std::array<bool, N + 3> line{};
    const std::size_t last = N + 1 + (reserved ? 1 : 0);
    if (reserved)
        line[reserved] = true;
    for (std::size_t i = 0; i < N; ++i) {
        const auto& a = fields[i];
        if (a.pluginLine < 2 || a.pluginLine > last || line[a.pluginLine] || a.pluginKey.empty() || a.pluginKey.back() != ':')
            return false;
        line[a.pluginLine] = true;
        for (std::size_t j = i + 1; j < N; ++j)
            if (a.control == fields[j].control || a.pluginKey == fields[j].pluginKey)
                return false;
    }
    return true;
}

} // namespace field_checks

} // namespace quorvex
