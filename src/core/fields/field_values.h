#pragma once
// How a table entry shows in its control, how the control is stored back, and how a plugin
// value sets the control. The weapon, object and special-object pages share these rules.
#include "core/fields/value_lists.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvex {

enum class FieldWidth : std::uint8_t { Byte = 1, Word = 2, Quad = 4 };
enum class Signedness : std::uint8_t { Unsigned, Signed };

enum class FieldKind : std::uint8_t {
    Number,     // whole number typed as text
    Index,      // number box that the user cannot edit
    Colour,     // palette index with a swatch; clamped to 0..255 on every change
    Frame,      // sprite frame with a preview
    Tick,       // tick box: ticked when the entry is exactly 1
    List,       // drop-down list: the entry is the row number
};

constexpr bool isNumberBox(FieldKind kind)
{
    return kind == FieldKind::Number || kind == FieldKind::Index || kind == FieldKind::Colour || kind == FieldKind::Frame;
}

// The widest text a number box shows for an entry of the width: bytes unsigned, 16-bit
// entries signed, 32-bit entries unsigned.
constexpr std::string_view widestShown(FieldWidth width)
{
    return width == FieldWidth::Byte ? "255" : width == FieldWidth::Word ? "-32768" : "4294967295";
}

// What a control holds: the text of a number box, the tick of a tick box, the row of a list
// (-1 when the list shows nothing).
struct FieldValue {
    std::string text;
    bool ticked = false;
    int row = -1;
    bool operator==(const FieldValue&) const = default;
};

// The control's state for a stored entry (bytes unsigned, 16-bit entries signed, 32-bit
// entries unsigned).
FieldValue shownValue(FieldKind kind, ValueList list, std::int64_t entry);

// The entry the control stores back, before it is cut to the field's width: the number typed
// (ConvertError when it is not one), 1 or 0 for a tick, the row or 255 for an empty list.
int storedValue(FieldKind kind, const FieldValue& value);

// The same for the object pages, which convert number boxes leniently: the leading sign and
// digits of the text, 0 when there are none; never an error.
std::int64_t lenientStoredValue(FieldKind kind, const FieldValue& value);

// The control's state after a plugin line sets it: a number box takes the text as it is (a
// colour box clamps it), a tick box is ticked by exactly "1", a list takes the row of the
// number's low 8 bits and shows nothing beyond its last row.
FieldValue valueFromRecord(FieldKind kind, ValueList list, std::string_view text);

// The fields a save stores: the ones a `set`, a plugin record or a revert names, whatever they
// show; for a page's Save (nullopt), the ones whose control no longer shows what the field holds,
// so that a value its control cannot show (a tick box's 2, a list's 200) stays unless the user
// changed the control.
using NamedFields = std::optional<std::vector<std::size_t>>;
bool isStored(const NamedFields& named, std::size_t field, const FieldValue& value, const FieldValue& shown);

// The text a plugin line carries for the control: the box's text, "1" or "0", the row or "-1".
std::string recordText(FieldKind kind, const FieldValue& value);

// A colour box's change: the number typed, and the text that replaces it when it lies
// outside 0..255. ConvertError for a text that is not a number.
struct ColourText {
    int value = 0;
    std::optional<std::string> replacement;
};
ColourText clampColourText(std::string_view text);

// The sprite frame a "Start frame" text names: nothing for an empty text, else the number's
// low 8 bits (-1 gives 255). ConvertError for a text that is not a number.
std::optional<int> spriteFrameOf(std::string_view text);

} // namespace quorvex
