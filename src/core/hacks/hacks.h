#pragma once
// The special hacks: switches that patch code bytes of torlo.exe and number fields at fixed
// places, written once as data. The window, the CLI and the demo game all derive from it.
#include "core/base/places.h"
#include "core/base/workspace.h"
#include "core/base/outcome.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvex {

enum class HackGroup : std::uint8_t { Gravity, Bonuses, Ninjarope, Various, Speed, Aiming, Cycling, Respawn, Objects };

// Up to two bytes written from an offset on.
struct BytePatch {
    std::uint32_t offset = 0;
    std::uint8_t count = 0;   // 0: unused slot
    std::array<std::uint8_t, 2> bytes{};
};

enum class HackRead : std::uint8_t {
    Byte,         // the byte
    Word,         // the 16-bit word, unsigned
    SignedWord,   // the 16-bit word, signed
    ByteMinus1,   // the byte minus 1 (rope colours)
    Laser,        // the byte at 15567 when the byte at 38402 equals it, else 123
    Never,        // keeps its design-time text
};
enum class HackWrite : std::uint8_t {
    Byte,         // the value's low byte (at every offset of the field)
    Word,         // 16-bit little-endian
    Plus1,        // the low byte of value + 1, at every offset of the field
    CappedAt24,   // the low byte, then capped at 24
    Never,
};
enum class HackTidy : std::uint8_t { None, OnLeave, OnChange };

struct HackItem {
    std::string_view key;       // the CLI's key; also the control's objectName
    std::string_view caption;
    HackGroup group = HackGroup::Gravity;
    bool isSwitch = false;
    // A switch: its on and off patches, and what makes it on at creation (none: all on bytes).
    std::array<BytePatch, 4> on{};
    std::array<BytePatch, 4> off{};
    std::array<BytePatch, 2> onWhen{};
    // A field.
    std::array<std::uint32_t, 3> offsets{};   // 0: unused slot
    HackRead read = HackRead::Never;
    HackWrite write = HackWrite::Never;
    HackTidy tidy = HackTidy::None;
    std::int32_t low = 0, high = 0;           // the tidying limits
    std::string_view design;                  // the text before anything is read
    std::string_view unit;
    bool strict = false;                      // a text that is not a number stops "Do all !"
    bool enabled = true;                      // shown disabled when false
    std::uint8_t maxLength = 0;
    bool besidePrevious = false;              // shown on the line of the field before it
    bool isColour = false;                    // with a swatch of the default palette
};

namespace hack_rows {
constexpr BytePatch P(std::uint32_t offset, std::uint8_t a) { return {offset, 1, {a, 0}}; }
constexpr BytePatch P(std::uint32_t offset, std::uint8_t a, std::uint8_t b) { return {offset, 2, {a, b}}; }

constexpr HackItem Switch(std::string_view key, std::string_view caption, HackGroup group,
                          std::array<BytePatch, 4> on, std::array<BytePatch, 4> off,
                          std::array<BytePatch, 2> onWhen = {})
{
    HackItem item;
    item.key = key;
    item.caption = caption;
    item.group = group;
    item.isSwitch = true;
    item.on = on;
    item.off = off;
    item.onWhen = onWhen;
    return item;
}

constexpr HackItem Field(std::string_view key, std::string_view caption, HackGroup group, std::uint32_t offset,
                         HackRead read, HackWrite write, std::string_view design)
{
    HackItem item;
    item.key = key;
    item.caption = caption;
    item.group = group;
    item.offsets = {offset, 0, 0};
    item.read = read;
    item.write = write;
    item.design = design;
    return item;
}

constexpr HackItem limited(HackItem item, HackTidy tidy, std::int32_t low, std::int32_t high)
{
    item.tidy = tidy;
    item.low = low;
    item.high = high;
    return item;
}

constexpr HackItem with(HackItem item, std::string_view unit, std::uint8_t maxLength = 0)
{
    item.unit = unit;
    item.maxLength = maxLength;
    return item;
}

using enum HackGroup;
using R = HackRead;
using W = HackWrite;
constexpr auto Leave = HackTidy::OnLeave;
constexpr auto Change = HackTidy::OnChange;

constexpr HackItem colour(HackItem item, std::array<std::uint32_t, 3> offsets)
{
    item.offsets = offsets;
    return limited(item, Leave, 0, 255);
}

constexpr HackItem besidePrevious(HackItem item)
{
    item.besidePrevious = true;
    return item;
}

constexpr HackItem disabled(HackItem item)
{
    item.enabled = false;
    return item;
}

constexpr HackItem object(std::string_view key, std::string_view caption, std::uint32_t offset, std::string_view design)
{
    auto item = Field(key, caption, Objects, offset, R::Byte, W::CappedAt24, design);
    item.strict = true;
    return item;
}

constexpr HackItem laser()
{
    auto item = limited(Field("LASERCOLOR", "Laser color:", Various, places::HackLaserColour, R::Laser, W::Never, "#29"), Change, 0, 255);
    item.isColour = true;
    item.enabled = false;
    return item;
}

// In the window's order, group by group.
inline constexpr std::array<HackItem, 50> Items = {{
    Switch("GRAVITYWORMS", "Worms", Gravity, {P(15324, 109), P(15330, 93)}, {P(15324, 69), P(15330, 85)}, {P(15324, 109)}),
    Switch("GRAVITYBONUSES", "Bonuses", Gravity, {P(29377, 109), P(29383, 93)}, {P(29377, 69), P(29383, 85)}, {P(29377, 109)}),
    Switch("GRAVITYBLOOD", "Sec. Blood", Gravity, {P(29768, 109), P(29774, 93)}, {P(29768, 69), P(29774, 85)}, {P(29768, 109)}),
    Switch("GRAVITYROPE", "Ninja Rope", Gravity, {P(43155, 109), P(43161, 93)}, {P(43155, 69), P(43161, 85)}, {P(43155, 109)}),

    limited(Field("BOOBYTRAPRISK", "Risk of boobytrap:", Bonuses, 11698, R::Byte, W::Byte, "10"), Leave, 2, 255),
    Switch("NOBOOBYTRAPS", "Disable Boobytrap bonuses", Bonuses, {P(11697, 235, 13)}, {P(11697, 106, 10)}, {P(11697, 235), P(11698, 13)}),
    with(limited(Field("MAXHEALTH", "Max. health bonus", Bonuses, 11606, R::Byte, W::Byte, "50"), Change, 0, 255), "%"),
    limited(Field("BONUSCHANCE", "Chance of bonus:", Bonuses, 48842, R::Word, W::Word, "1700"), Change, 0, 65535),
    Switch("HEALTHRELOADER", "Health bonus", Bonuses, {P(11686, 132, 233), P(11693, 125, 233)}, {P(11686, 235, 233), P(11693, 228, 233)}),
    Switch("WEAPONRELOADER", "Weapon bonus", Bonuses, {P(11696, 123, 235)}, {P(11696, 10, 106)}),
    Field("BONUSGRAPHIC", "Bonus graphic:", Bonuses, 115166, R::Byte, W::Byte, "100"),
    Field("HEALTHGRAPHIC", "Health bonus graphic:", Bonuses, 115167, R::Byte, W::Byte, "101"),

    limited(Field("ROPEXSPEED", "X speed:  2^", Ninjarope, 12955, R::Word, W::Byte, "2"), Leave, 0, 65535),
    limited(Field("ROPEYSPEED", "Y speed:  2^", Ninjarope, 12991, R::Word, W::Byte, "2"), Leave, 0, 65535),
    colour(Field("ROPEFIRSTCOLOR", "First color:", Ninjarope, 69586, R::ByteMinus1, W::Plus1, "62"), {69586, 69743, 69843}),
    colour(Field("ROPELASTCOLOR", "Last color:", Ninjarope, 69837, R::ByteMinus1, W::Plus1, "63"), {69737, 69837, 0}),
    Field("ROPEMINLENGTH", "Min. length", Ninjarope, 12806, R::Word, W::Word, "170"),
    Field("ROPEMAXLENGTH", "Max. length", Ninjarope, 12841, R::Word, W::Word, "4000"),

    Switch("ALLTIMEJUMP", "All-time Jump", Various, {P(13083, 235, 6)}, {P(13083, 38, 128)}, {P(13083, 235)}),
    Switch("JETPACK", "Jetpack", Various, {P(13083, 235, 6), P(13075, 235, 6)}, {P(13083, 38, 128), P(13075, 38, 128)}, {P(13075, 235)}),
    Switch("RUBBERWALLS", "Rubber walls", Various, {P(14901, 1), P(15026, 1), P(15151, 1), P(15276, 1)},
           {P(14901, 3), P(15026, 3), P(15151, 3), P(15276, 3)}, {P(14901, 1)}),
    Switch("FOLLOWALL", "Follow all weapons", Various, {P(30350, 235, 8)}, {P(30350, 128, 189)}),
    // The pairs start one byte before the byte that names them: "cmp al,1 / jae" against
    // "cmp al,2 / je", and "cbw; nop" against "xor ah,ah".
    Switch("FOLLOWALLDIR", "Follow all dir. weap.", Various, {P(30353, 1, 115)}, {P(30353, 2, 116)}),
    Switch("HITNEGATIVE", "Weapon hit negative", Various, {P(27919, 152, 144)}, {P(27919, 48, 228)}),
    with(Field("FRICTION", "Worm friction:", Various, 14781, R::Word, W::Word, "89"), "%"),
    laser(),

    disabled(Field("JUMPFORCE", "Jump force/speed", Speed, 0, R::Never, W::Never, "56064")),
    with(Field("SPEEDLIMIT1", "Speed limit of worms", Speed, 16268, R::SignedWord, W::Word, "-29184"), "", 6),
    besidePrevious(with(Field("SPEEDLIMIT2", "", Speed, 16397, R::SignedWord, W::Word, "29184"), "", 6)),
    Field("ACCELERATION1", "Worm acceleration", Speed, 16279, R::SignedWord, W::Word, "3000"),
    besidePrevious(Field("ACCELERATION2", "", Speed, 16408, R::SignedWord, W::Word, "3000")),

    Field("AIMTOPLEFT", "Top left", Aiming, 12416, R::Byte, W::Byte, "64"),
    Field("AIMBOTTOMLEFT", "Bottom left", Aiming, 12390, R::Byte, W::Byte, "12"),
    Field("AIMTOPRIGHT", "Top right", Aiming, 12362, R::Byte, W::Byte, "64"),
    Field("AIMBOTTOMRIGHT", "Bottom right", Aiming, 12336, R::Byte, W::Byte, "116"),

    Field("CYCLESTART1", "Start range 1", Cycling, 110348, R::Byte, W::Byte, "129"),
    Field("CYCLEEND1", "End range 1", Cycling, 110349, R::Byte, W::Byte, "131"),
    Field("CYCLESTART2", "Start range 2", Cycling, 110350, R::Byte, W::Byte, "133"),
    Field("CYCLEEND2", "End range 2", Cycling, 110351, R::Byte, W::Byte, "136"),
    Field("CYCLESTART3", "Start range 3", Cycling, 110352, R::Byte, W::Byte, "152"),
    Field("CYCLEEND3", "End range 3", Cycling, 110353, R::Byte, W::Byte, "159"),
    Field("CYCLESTART4", "Start range 4", Cycling, 110354, R::Byte, W::Byte, "168"),
    Field("CYCLEEND4", "End range 4", Cycling, 110355, R::Byte, W::Byte, "171"),

    Field("RESPAWNX", "Top left X coordinate", Respawn, 18707, R::Word, W::Word, "5"),
    Field("RESPAWNY", "Top left Y coordinate", Respawn, 18725, R::Word, W::Word, "5"),
    Field("RESPAWNWIDTH", "Rectangle width", Respawn, 18699, R::Word, W::Word, "494"),
    Field("RESPAWNHEIGHT", "Rectangle height", Respawn, 18717, R::Word, W::Word, "340"),

    object("DIGGING", "Digging:", 16739, "3"),
    object("SHELLS", "Shells:", 14701, "8"),
    disabled(object("WORMBLOOD", "Worm blood:", 17940, "7")),
}};
} // namespace hack_rows

inline constexpr const auto& HackItems = hack_rows::Items;
inline constexpr std::size_t HackCount = HackItems.size();

std::optional<std::size_t> hackByKey(std::string_view key);
// The keys that the CLI shows and takes (every item but the never-read "Jump force/speed").
bool isListedHack(const HackItem& item);

// What the window holds: every switch's tick and every field's text.
struct HackValues {
    std::array<bool, HackCount> on{};
    std::array<std::string, HackCount> text{};
};

HackValues designHackValues();
// The creation read: every switch and field from torlo.exe.
HackValues readHacks(const Workspace& workspace);

// A field's text after the user leaves it, and after each change; the same text when nothing applies.
std::string tidyOnLeave(const HackItem& item, const std::string& text);
std::string tidyOnChange(const HackItem& item, const std::string& text);
// "Now happens 1 out of N times" for the risk field's text.
std::string riskHint(const std::string& riskText);

// True when a switch that is on owns the bytes that this field writes (the field is disabled).
bool isOwned(const HackValues& values, std::size_t field);

struct ByteWrite {
    std::uint32_t offset;
    std::uint8_t value;
};
// The bytes that "Do all !" writes, in its order; a text that is not a number where one is
// needed throws ConvertError before anything is written. Bytes of a switch that is on are
// never written with other values.
std::vector<ByteWrite> hackBytes(const HackValues& values, bool strictNumbers = false);

// "Do all !": the hacks into torlo.exe, all checked first; the log line without a time. It writes
// the bytes of the items `named` names (a `set`, a revert), or, without names, of the items
// whose switch or text differs from what torlo.exe holds, so that bytes the window cannot show
// (a switch neither on nor off, rope colours that differ, an object beyond 24) stay unless the
// user changed their item. Each byte takes the value the whole set of hacks gives it.
// Outcome::unchanged when torlo.exe already held every byte.
Outcome saveHacks(const Workspace& workspace, const HackValues& values, bool strictNumbers = false,
                  const std::optional<std::vector<std::size_t>>& named = std::nullopt);

} // namespace quorvex
