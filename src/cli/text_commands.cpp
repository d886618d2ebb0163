// texts ...: the game texts and translation files.
#include "core/browser/file_operations.h"
#include "core/os/files.h"
#include "cli/cli.h"
#include "core/text/cp437.h"
#include "core/text/number_text.h"
#include "core/text/utf8.h"
#include "core/shell/settings.h"
#include "core/texts/translation.h"

#include <optional>
#include <ostream>

namespace quorvex::cli {

namespace {

const GameText* entryOfLine(const std::string& text)
{
    const auto line = tryStrToInt(text);
    return line ? gameTextOfLine(*line) : nullptr;
}

Outcome noSuchLine(const std::string& text)
{
    return Outcome::refused("Line " + text + " names no game text: lines run from 7 to 173");
}

int list(Context& context, const Arguments& args, const Command& self)
{
    expectArguments(args, 0, 0, self);
    const auto values = readGameTexts(context.workspace);
    for (std::size_t i = 0; i < GameTextCount; ++i) {
        const auto& entry = GameTexts[i];
        context.out << (entry.line ? std::to_string(entry.line) : std::string("-")) << '\t'
                    << TextPageCaptions[static_cast<std::size_t>(entry.page)] << '\t' << entry.label << '\t'
                    << int(entry.width) << '\t' << cp437ToUtf8(values[i]) << '\n';
    }
    return 0;
}

int get(Context& context, const Arguments& args, const Command& self)
{
    expectArguments(args, 1, 1, self);
    const auto* entry = entryOfLine(args[0]);
    if (!entry)
        return context.finish(noSuchLine(args[0]));
    context.out << cp437ToUtf8(readGameTexts(context.workspace)[indexOf(*entry)]) << '\n';
    return 0;
}

int set(Context& context, const Arguments& args, const Command& self)
{
    expectArguments(args, 2, 2, self);
    const auto line = tryStrToInt(args[0]);
    if (!line || !gameTextOfLine(*line))
        return context.finish(noSuchLine(args[0]));
    const auto text = gameTextArgument(context, args[1]);
    if (!text)
        return 1;
    return context.finish(setGameText(context.workspace, *line, *text));
}

int exportTexts(Context& context, const Arguments& given, const Command& self)
{
    Arguments args = given;
    const auto author = takeValue(args, "--author");
    const auto website = takeValue(args, "--website");
    const auto language = takeValue(args, "--language");
    expectArguments(args, 1, 1, self);
    const auto authorText = gameTextArgument(context, author.value_or(textOr(context.settings, setting::Username, DesignAuthor)));
    const auto websiteText = gameTextArgument(context, website.value_or(textOr(context.settings, setting::Website, CommunitySite)));
    if (!authorText || !websiteText)
        return 1;
    // FILE stands in for the name chosen in the save dialog.
    std::optional<StandardStreamFile> output;
    if (isStandardStream(args[0]))
        output.emplace(language.value_or("Translation"));
    auto name = translationName(output ? output->path() : os::pathFromText(args[0]));
    if (language) {
        const auto languageText = gameTextArgument(context, *language);
        if (!languageText)
            return 1;
        name.language = *languageText;
    }
    const auto outcome = exportTranslation(name, *authorText, *websiteText, readGameTexts(context.workspace));
    if (output)
        return output->finishToOutput(context, outcome, name.file);
    if (outcome.succeeded())
        context.out << os::textOf(name.file) << '\n';
    return context.finish(outcome);
}

} // namespace

void addTextCommands(CommandTable& table)
{
    table.push_back({"texts list", "",
                     "prints every game text, one per line in table order: translation line (\"-\" for the "
                     "read-only ones), page, label, width and text, separated by tabs",
                     list, {}, {""}});
    table.push_back({"texts get", "LINE", "prints the game text that line LINE (7 to 173) of a translation file carries", get, {}, {"7"}});
    table.push_back({"texts set", "LINE TEXT",
                     "writes TEXT as the game text of line LINE, as the text editor's \"Save\" writes it; a text "
                     "longer than its field or with a character outside code page 437 is refused",
                     set, {"7 Silent"}});
    table.push_back({"texts export", "FILE [--author NAME] [--website URL] [--language NAME]",
                     "writes the game texts as a translation file, FILE being the name given to the save "
                     "dialog (cut at its first dot, .LLF appended); prints the file written; the Language line "
                     "is the file's name unless --language gives one (- writes to standard output)",
                     exportTexts, {}, {"French --author Anne", "- --language French > French.LLF"}});
}

} // namespace quorvex::cli
