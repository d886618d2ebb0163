// convert, activate, preview: the mod formats.
#include "cli/cli.h"
#include "formats/activation.h"
#include "formats/conversion.h"
#include "formats/preview.h"
#include "shell/settings.h"

#include <ostream>

namespace fs = std::filesystem;

namespace quorvex::cli {

namespace {

int convert(Context& context, const Arguments& given, const Command& command)
{
    Arguments args = given;
    const bool on = takeFlag(args, "--powerlevel");
    const bool off = takeFlag(args, "--no-powerlevel");
    if (on && off)
        throw UsageError("--powerlevel and --no-powerlevel exclude each other");
    expectArguments(args, 2, 2, command);
    const bool createPowerlevel = on || (!off && isYes(context.settings, setting::MakePL));
    // DST stands in for the save dialog's answer.
    const fs::path target = args[1];
    const auto outcome = convertFile(
        args[0], context.workspace, [&](const std::string&, const fs::path&) { return std::optional(target); },
        createPowerlevel);
    return context.finish(outcome);
}

int activate(Context& context, const Arguments& args, const Command& command)
{
    expectArguments(args, 1, 1, command);
    const fs::path file = fs::absolute(args[0]);
    // The folder that holds FILE plays the folder shown by the browser.
    const auto activation = activateFile(file, file.parent_path(), context.workspace, context.ask);
    for (const auto& step : activation.earlier)   // a weapon plugin's saves
        context.finish(step);
    return context.finish(activation.outcome);
}

int preview(Context& context, const Arguments& given, const Command& command)
{
    Arguments args = given;
    const bool defaultPalette = takeFlag(args, "--default-palette");
    expectArguments(args, 1, 2, command);
    const auto shown = buildPreview(args[0], context.workspace, !defaultPalette);
    if (shown.bitmap.empty()) {
        // Nothing drawn: a refusal, a hint, or (for a level of another size) no status at all.
        context.err << (shown.status.empty() ? std::string("Nothing to show: a level is 176400, 176402, 177178 or 177338 bytes")
                                             : shown.status)
                    << '\n';
        return 1;
    }
    if (!shown.status.empty())
        context.out << shown.status << '\n';
    if (args.size() == 2)
        writeFileAtomically(args[1], shown.bitmap);
    return 0;
}

} // namespace

void addFormatCommands(CommandTable& table)
{
    table.push_back({"convert", "SRC DST [--powerlevel | --no-powerlevel]",
                     "converts SRC as \"Convert\" does, DST being the name given to the save dialog; without an "
                     "option the \"MakePL\" setting decides whether a level bitmap becomes a powerlevel",
                     convert});
    table.push_back({"activate", "FILE",
                     "installs FILE into the game as \"Activate\" does (levels, graphics and sound mods, "
                     "palettes, weapon plugins); a level from another folder is copied into the game folder; a "
                     "plugin starts with weapon 0, object 0 and special object 0 selected, --yes/--no answer its "
                     "questions, and one stopped on a bad record exits 1",
                     activate,
                     {"mods/MOSSYPL2.LEV", "mods/NEONGFX.CHR", "mods/CRUNCHY.SND", "mods/PASTEL.ACT", "mods/WARM.PAL"}});
    table.push_back({"preview", "FILE [OUT.bmp] [--default-palette]",
                     "prints the preview's status text for FILE and writes the bitmap it shows to OUT.bmp; "
                     "--default-palette shows plain levels without the game palette",
                     preview});
}

} // namespace quorvex::cli
