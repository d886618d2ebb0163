#include "core/texts/game_texts.h"
#include "core/base/errors.h"
#include "core/base/places.h"

#include <algorithm>

namespace quorvex {

namespace {

// The table's promises, checked when it is compiled.
constexpr bool linesInOrder()
{
    // Lines 7 to 173 once each, in table order, then the entries without a line.
    int expected = 7;
    for (const auto& text : GameTexts) {
        if (text.line == 0)
            continue;
        if (text.line != expected++)
            return false;
    }
    if (expected != 174)
        return false;
    for (std::size_t i = 0; i < GameTextCount; ++i)
        if ((GameTexts[i].line == 0) != (i >= 167))
            return false;
    return true;
}

constexpr bool usesMatchLines()
{
    for (const auto& text : GameTexts) {
        const auto use = text.line == 0 ? ReadOnly : text.line > 170 ? FileName : Translated;
        if (!(text.use == use))
            return false;
    }
    return true;
}

constexpr bool widthsFit()
{
    for (const auto& text : GameTexts)
        if (text.width < 1 || text.width > 50 || text.typedLimit < 1 || text.typedLimit > text.width)
            return false;
    return true;
}

// Every field lies inside the block of game texts and no two fields share a byte.
constexpr bool fieldsApart()
{
    struct Range {
        std::uint32_t from, to;
    };
    std::array<Range, GameTextCount + 1> ranges{};
    std::size_t count = 0;
    for (const auto& text : GameTexts) {
        ranges[count++] = {text.offset, text.offset + text.width};
        if (text.secondOffset)
            ranges[count++] = {text.secondOffset, text.secondOffset + text.width};
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (ranges[i].from < places::GameTextsFirst || ranges[i].from > places::GameTextsLast)
            return false;
        for (std::size_t j = i + 1; j < count; ++j)
            if (ranges[i].from < ranges[j].to && ranges[j].from < ranges[i].to)
                return false;
    }
    return count == GameTextCount + 1;
}

// A second or third field follows the field before it on the same row.
constexpr bool rowsShared()
{
    for (std::size_t i = 0; i < GameTextCount; ++i) {
        const auto& text = GameTexts[i];
        if (text.field < 1 || text.field > 3)
            return false;
        if (text.field > 1) {
            if (i == 0)
                return false;
            const auto& before = GameTexts[i - 1];
            if (before.page != text.page || before.label != text.label || before.field + 1 != text.field)
                return false;
        }
        if ((text.page == TextPage::Keys) != text.label.empty() && text.use != ReadOnly)
            return false;
    }
    return true;
}

static_assert(GameTexts.size() == 170);
static_assert(linesInOrder(), "lines 7 to 173 once each, in order, then the three read-only entries");
static_assert(usesMatchLines(), "lines 7-170 translated, 171-173 file names, the rest read-only");
static_assert(widthsFit(), "widths 1 to 50, typing limits within them");
static_assert(fieldsApart(), "fields inside the text block, none overlapping");
static_assert(rowsShared(), "2nd and 3rd fields follow their row's first; only key names lack a label");
static_assert(std::count_if(GameTexts.begin(), GameTexts.end(), [](const GameText& t) { return t.secondOffset != 0; }) == 1);
static_assert(gameTextOfLine(145)->offset == 135220 && gameTextOfLine(145)->secondOffset == 135389);
static_assert(gameTextOfLine(170)->typedLimit == 6);

// What "Save" and a single write report: "Texts saved" (the history's step and the CLI say
// it too), a log entry without time; nothing to report when torlo.exe already held the texts.
Outcome textsSaved(const GameFile& exe)
{
    if (!exe.changed())
        return Outcome::unchanged();
    auto outcome = Outcome::done("Texts saved", "New texts saved. Detailed information not yet available").changing(GamePart::Texts);
    outcome.logWithoutTime = true;
    return outcome;
}

// Why a text does not fit its entry, or empty when it does. limit is the field's width or the
// most characters typed into it.
std::string tooLongForField(const GameText& entry, std::string_view text, std::size_t limit)
{
    if (text.size() <= limit)
        return {};
    const auto where = entry.line ? "line " + std::to_string(entry.line) : std::string("a read-only entry");
    const auto name = entry.label.empty() ? "the key name \"" + std::string(entry.designText) + "\""
                                          : "\"" + std::string(entry.label) + "\"";
    return "The text of " + name + " (" + where + ") has " + std::to_string(text.size()) +
           " characters; its field takes " + std::to_string(limit) + ". Nothing was written";
}

} // namespace

std::string ReadGameText(GameFile& exe, std::uint32_t offset, std::uint8_t width)
{
    const auto bytes = exe.readAt(offset, width);
    std::string text(bytes.begin(), bytes.end());
    return text.substr(0, text.find('~'));
}

void WriteGameText(GameFile& exe, std::uint32_t offset, std::string_view text)
{
    exe.seek(offset);
    exe.write(text);
}

std::string filledField(std::string_view text, std::string_view stored)
{
    std::string filled(text);
    const auto tilde = stored.find('~');
    const auto room = tilde != std::string_view::npos && text.size() <= tilde ? tilde : stored.size();
    if (filled.size() < room)
        filled.resize(room, ' ');
    return filled;
}

void writeGameTextEntry(GameFile& exe, const GameText& entry, std::string_view text)
{
    if (text.empty())
        return;   // an empty text writes nothing: the field keeps its bytes
    for (const auto offset : {entry.offset, entry.secondOffset}) {
        if (offset == 0)
            continue;
        const auto stored = exe.readAt(offset, entry.width);
        WriteGameText(exe, offset, filledField(text, std::string_view(reinterpret_cast<const char*>(stored.data()), stored.size())));
    }
}

GameTextValues designTexts()
{
    GameTextValues values;
    for (std::size_t i = 0; i < GameTextCount; ++i)
        values[i] = std::string(GameTexts[i].designText);
    return values;
}

GameTextValues readGameTexts(const Workspace& workspace)
{
    GameFile exe(workspace, workspace.torloExe(), GameFile::Access::ReadOnly);
    auto values = designTexts();
    for (std::size_t i = 0; i < GameTextCount; ++i) {
        const auto& entry = GameTexts[i];
        if (!entry.use.read)
            continue;
        values[i] = ReadGameText(exe, entry.offset, entry.width);
        if (entry.secondOffset)   // both are read; the second is what the editor shows
            values[i] = ReadGameText(exe, entry.secondOffset, entry.width);
    }
    return values;
}

void requireTextPlaces(const GameFile& exe, std::uint32_t end)
{
    exe.requireSize(end);
}

Outcome saveGameTexts(const Workspace& workspace, const GameTextValues& values)
{
    for (std::size_t i = 0; i < GameTextCount; ++i)
        if (GameTexts[i].use.saved)
            if (auto problem = tooLongForField(GameTexts[i], values[i], GameTexts[i].width); !problem.empty())
                return Outcome::refused(problem);
    GameFile exe(workspace, workspace.torloExe());
    requireTextPlaces(exe, fieldsEnd(&TextUse::saved));
    for (std::size_t i = 0; i < GameTextCount; ++i)
        if (GameTexts[i].use.saved)
            writeGameTextEntry(exe, GameTexts[i], values[i]);
    return textsSaved(exe);
}

Outcome setGameText(const Workspace& workspace, int line, const std::string& text)
{
    const auto* entry = gameTextOfLine(line);
    if (!entry || !entry->use.saved)
        return Outcome::refused("Line " + std::to_string(line) + " names no game text that can be written: lines run from 7 to 173");
    if (auto problem = tooLongForField(*entry, text, entry->typedLimit); !problem.empty())
        return Outcome::refused(problem);
    GameFile exe(workspace, workspace.torloExe());
    requireTextPlaces(exe, entry->end());
    writeGameTextEntry(exe, *entry, text);
    return textsSaved(exe);
}

} // namespace quorvex
