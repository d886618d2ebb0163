#pragma once
// A field of a table in torlo.exe: where each entry lies, how the page shows it and how a plugin
// record names it. The weapon, object and special-object tables are rows of this type, and the
// checks below keep each table whole.
#include "core/fields/field_values.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace quorvex {

struct TableField {
    std::uint16_t position;   // inside its table; entry i at position + width * i
    FieldWidth width;
    Signedness sign;
    std::string_view caption;
    std::string_view unit;    // shown after the box; empty for none
    std::uint8_t page;        // sub-page "Page 1" .. "Page 4"
    std::string_view control; // objectName of the control
    FieldKind kind;
    ValueList list;
    std::string_view pluginKey;   // line key of a plugin record, with its colon
    std::uint8_t pluginLine;      // line number inside a record written by "Save as plugin"
};

// The field whose plugin key (with or without its colon) is key.
std::optional<std::size_t> fieldByKey(std::span<const TableField> fields, std::string_view key);
// The field indices in the order of a plugin record's lines.
std::vector<std::size_t> fieldsInRecordOrder(std::span<const TableField> fields);

// Compile-time checks of a field table, shared by every table of fields.
namespace field_checks {

constexpr std::uint32_t bytesOf(const TableField& field, int entries)
{
    return static_cast<std::uint32_t>(field.width) * static_cast<std::uint32_t>(entries);
}

constexpr std::uint32_t sharedBytes(const TableField& a, const TableField& b, int entries)
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
constexpr bool tileTable(const std::array<TableField, N>& fields, int entries, std::uint32_t size,
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
constexpr bool namesAreUnique(const std::array<TableField, N>& fields, std::uint8_t reserved = 0)
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
