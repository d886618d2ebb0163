#include "core/fields/field_values.h"
#include "core/text/number_text.h"

#include <algorithm>

namespace quorvex {

namespace {

int rowOf(ValueList list, std::int64_t entry)
{
    return entry >= 0 && static_cast<std::size_t>(entry) < valueListRows(list).size() ? static_cast<int>(entry) : -1;
}

} // namespace

FieldValue shownValue(FieldKind kind, ValueList list, std::int64_t entry)
{
    FieldValue value;
    if (kind == FieldKind::Tick)
        value.ticked = entry == 1;
    else if (kind == FieldKind::List)
        value.row = rowOf(list, entry);
    else
        value.text = std::to_string(entry);
    return value;
}

int storedValue(FieldKind kind, const FieldValue& value)
{
    if (kind == FieldKind::Tick)
        return value.ticked ? 1 : 0;
    if (kind == FieldKind::List)
        return value.row < 0 ? 255 : value.row;
    return strToInt(value.text);
}

std::int64_t lenientStoredValue(FieldKind kind, const FieldValue& value)
{
    if (isNumberBox(kind))
        return lenientInt64(value.text);
    return storedValue(kind, value);
}

FieldValue valueFromRecord(FieldKind kind, ValueList list, std::string_view text)
{
    FieldValue value;
    if (kind == FieldKind::Tick) {
        value.ticked = text == "1";
    } else if (kind == FieldKind::List) {
        value.row = rowOf(list, strToInt(text) & 0xFF);
    } else if (kind == FieldKind::Colour) {
        auto clamped = clampColourText(text);
        value.text = clamped.replacement ? *clamped.replacement : std::string(text);
    } else {
        value.text = std::string(text);
    }
    return value;
}

bool isStored(const NamedFields& named, std::size_t field, const FieldValue& value, const FieldValue& shown)
{
    return named ? std::find(named->begin(), named->end(), field) != named->end() : value != shown;
}

std::string recordText(FieldKind kind, const FieldValue& value)
{
    if (kind == FieldKind::Tick)
        return value.ticked ? "1" : "0";
    if (kind == FieldKind::List)
        return std::to_string(value.row);
    return value.text;
}

ColourText clampColourText(std::string_view text)
{
    const int typed = strToInt(text);
    if (typed > 255)
        return {255, "255"};
    if (typed < 0)
        return {0, "0"};
    return {typed, std::nullopt};
}

std::optional<int> spriteFrameOf(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    return strToInt(text) & 0xFF;
}

} // namespace quorvex
