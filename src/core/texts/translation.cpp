#include "core/texts/translation.h"
#include "core/os/files.h"
#include "core/text/key_value.h"
#include "core/text/cp437.h"

#include <algorithm>
#include <vector>

namespace fs = std::filesystem;

namespace quorvex {

namespace {

constexpr std::string_view FileKindLine = "Torlo Language File";
constexpr std::string_view FormatLine = "Format created by Vandrel and Morvane";
constexpr std::string_view LanguageKey = "Language:";
constexpr int FirstTextLine = 7;
constexpr int LastAppliedLine = 170;

} // namespace

TranslationName translationName(const fs::path& chosen)
{
    auto name = os::textOf(chosen.filename());
    name = name.substr(0, name.find('.'));
    return {chosen.parent_path() / (name + ".LLF"), name};
}

std::string translationText(const std::string& language, const std::string& author, const std::string& website,
                            const GameTextValues& values)
{
    std::string text;
    auto line = [&](std::string_view content) {
        text += content;
        text += "\r\n";
    };
    line(FileKindLine);
    line(FormatLine);
    line("Language: " + language);
    line("Author: " + author);
    line("Authors website: " + website);
    line("*****");
    for (std::size_t i = 0; i < GameTextCount; ++i)
        if (GameTexts[i].use.exported)
            line(values[i]);
    return text;
}

Outcome exportTranslation(const TranslationName& name, const std::string& author, const std::string& website,
                          const GameTextValues& values)
{
    auto lineBreakIn = [](std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; };
    for (std::size_t i = 0; i < GameTextCount; ++i)
        if (GameTexts[i].use.exported && lineBreakIn(values[i]))
            return Outcome::refused("The text of line " + std::to_string(GameTexts[i].line) +
                                    " holds a line break (byte 10 or 13), which a translation file can not carry. "
                                    "Nothing was written");
    if (lineBreakIn(author) || lineBreakIn(website))
        return Outcome::refused("The author or web site holds a line break. Nothing was written");
    const auto text = translationText(name.language, author, website, values);
    writeFileAtomically(name.file, text);
    return Outcome::done({});
}

Outcome importTranslation(const fs::path& file, const Workspace& workspace, const Asker& ask)
{
    const auto bytes = readWholeFile(file);
    const std::string content(bytes.begin(), bytes.end());
    const auto lines = linesOf(content);
    auto lineAt = [&](int number) { return number <= static_cast<int>(lines.size()) ? lines[number - 1] : std::string_view(); };

    const auto [key, language] = splitKeyValue(lineAt(3));
    if (lineAt(1) != FileKindLine || lineAt(2) != FormatLine || key != LanguageKey)
        return Outcome::refused("Invalid file");

    // Everything is checked before the first byte is written: torlo.exe there, writable and
    // long enough for every field a translation writes.
    GameFile exe(workspace, workspace.torloExe());
    requireTextPlaces(exe, fieldsEnd(&TextUse::applied));
    if (!ask("Are you sure you want to activate translation" + cp437ToUtf8(language) + "?"))
        return Outcome::nothing();

    int cut = 0;
    // A file that ends early leaves the fields of the lines it lacks as they are.
    const int lastLine = std::min(LastAppliedLine, static_cast<int>(lines.size()));
    for (int number = FirstTextLine; number <= lastLine; ++number) {
        const auto& entry = *gameTextOfLine(number);
        auto text = lineAt(number);
        if (text.size() > entry.width) {
            text = text.substr(0, entry.width);
            ++cut;
        }
        writeGameTextEntry(exe, entry, text);
    }
    std::string status = "Translation activated";
    if (cut > 0)
        status += cut == 1 ? " (1 line was longer than its field and was cut to the field's width)"
                           : " (" + std::to_string(cut) + " lines were longer than their fields and were cut to their widths)";
    return Outcome::done(status, "Translation " + os::textOf(fs::absolute(file)) + " activated").changing(GamePart::Texts);
}

} // namespace quorvex
