#pragma once
// Reading and writing the game texts in torlo.exe: one field at a time, byte for byte, never a
// byte outside a field.
#include "core/gamefile/game_file.h"
#include "core/base/workspace.h"
#include "core/base/outcome.h"
#include "core/texts/game_text_table.h"

#include <string>
#include <string_view>

namespace quorvex {

// The text of one field: its width in bytes, cut before the first "~" when one of them is a "~".
std::string ReadGameText(GameFile& exe, std::uint32_t offset, std::uint8_t width);
// Stores text's bytes from offset on; the bytes after a short text keep what they hold (the
// primitive: the operations write whole fields through writeGameTextEntry).
void WriteGameText(GameFile& exe, std::uint32_t offset, std::string_view text);

// What a field holds once text is stored over stored (its bytes): text padded with spaces to
// the field's width, so that nothing of a longer old text shows behind it. A stored text that
// ends at a "~" (the end of a text for every reader) keeps the "~" and what follows when text
// fits before it: it is padded up to the "~" only.
std::string filledField(std::string_view text, std::string_view stored);

// Writes one entry's text at its place, "Print Screen" at both, as filledField fills it. An
// empty text writes nothing: the field keeps its bytes (an emptied field in the editor, an empty
// line of a translation, `texts set LINE ""`).
void writeGameTextEntry(GameFile& exe, const GameText& entry, std::string_view text);

// One text per entry of GameTexts, in table order.
using GameTextValues = std::array<std::string, GameTextCount>;

// The texts the editor shows before anything is read.
GameTextValues designTexts();
// Every entry that is read, from torlo.exe ("Print Screen" from its second place); the file
// names keep their design-time texts. All or nothing: a failure throws before anything is given.
GameTextValues readGameTexts(const Workspace& workspace);

// "Save": every entry that is written ("Print Screen" to both places). Each text must fit its
// field, and torlo.exe must be there, writable and long enough for every field, before the first
// byte is written. Done says "Texts saved", with a log entry without time; Outcome::unchanged
// when torlo.exe already held every text.
Outcome saveGameTexts(const Workspace& workspace, const GameTextValues& values);
// Writes the one text of a translation line as "Save" writes it; refused when the line names
// no entry or the text holds more characters than its field takes.
Outcome setGameText(const Workspace& workspace, int line, const std::string& text);

// The end of the last field of the entries that have the use (&TextUse::saved, ...).
constexpr std::uint32_t fieldsEnd(bool TextUse::*use)
{
    std::uint32_t end = 0;
    for (const auto& text : GameTexts)
        if (text.use.*use && text.end() > end)
            end = text.end();
    return end;
}

// torlo.exe, opened for update (so a missing or read-only file already failed), must hold every
// field that ends by `end`; else a FileError before anything is written.
void requireTextPlaces(const GameFile& exe, std::uint32_t end);

} // namespace quorvex
