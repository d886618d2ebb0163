// palette ..., materials ..., level add-pl2: the palette and material editor.
#include "cli/cli.h"
#include "core/os/files.h"
#include "core/formats/palette.h"
#include "core/text/number_text.h"
#include "core/palette/palette_editor.h"

#include <optional>
#include <ostream>

namespace fs = std::filesystem;

namespace quorvex::cli {

namespace {

// A number within lowest..highest, or nothing.
std::optional<int> numberIn(const std::string& text, int lowest, int highest)
{
    const auto number = tryStrToInt(text);
    if (!number || *number < lowest || *number > highest)
        return std::nullopt;
    return number;
}

Outcome outOfRange(const std::string& what, const std::string& text, int lowest, int highest)
{
    return Outcome::refused(what + " \"" + text + "\" is not a number from " + std::to_string(lowest) + " to "
                            + std::to_string(highest) + "; nothing was written");
}

// "Save Materials" with the palette and materials as the page holds them after loading, once
// change has been applied to them.
template <typename Change>
int saveAsPageDoes(Context& context, Change change)
{
    auto materials = loadMaterials(context.workspace);
    auto palette = loadPalette(context.workspace);
    change(palette, materials);
    return context.finish(saveMaterials(context.workspace, materials, palette));
}

int paletteShow(Context& context, const Arguments& args, const Command& self)
{
    expectArguments(args, 0, 0, self);
    const auto palette = loadPalette(context.workspace);
    for (std::size_t i = 0; i < palette.size(); ++i)
        context.out << i << '\t' << int(palette[i].red) << '\t' << int(palette[i].green) << '\t' << int(palette[i].blue) << '\n';
    return 0;
}

int paletteSet(Context& context, const Arguments& args, const Command& self)
{
    expectArguments(args, 4, 4, self);
    const auto index = numberIn(args[0], 0, 255);
    if (!index)
        return context.finish(outOfRange("Index", args[0], 0, 255));
    std::uint8_t values[3];
    for (std::size_t k = 0; k < 3; ++k) {
        const auto value = numberIn(args[k + 1], 0, 255);
        if (!value)
            return context.finish(outOfRange(std::string(1, "RGB"[k]), args[k + 1], 0, 255));
        values[k] = static_cast<std::uint8_t>(*value);
    }
    return saveAsPageDoes(context, [&](Palette& palette, Materials&) {
        palette[static_cast<std::size_t>(*index)] = {values[0], values[1], values[2]};
    });
}

int paletteExport(Context& context, const Arguments& args, const Command& self)
{
    expectArguments(args, 1, 1, self);
    if (isStandardStream(args[0])) {   // the raw form, as for a name without extension
        const StandardStreamFile output("palette.act");
        return output.finishToOutput(context, exportGamePalette(context.workspace, output.path()));
    }
    return context.finish(exportGamePalette(context.workspace, os::pathFromText(args[0])));
}

int paletteReset(Context& context, const Arguments& args, const Command& self)
{
    expectArguments(args, 0, 0, self);
    return context.finish(resetPalette(context.workspace));
}

int materialsShow(Context& context, const Arguments& args, const Command& self)
{
    expectArguments(args, 0, 0, self);
    const auto materials = loadMaterials(context.workspace);
    for (std::size_t i = 0; i < 256; ++i)
        context.out << i << '\t' << int(materials.kind[i]) << '\t' << int(materials.background[i]) << '\t'
                    << int(materials.shadow[i]) << '\n';
    return 0;
}

int materialsSet(Context& context, const Arguments& args, const Command& self)
{
    if (args.empty())
        throw UsageError("usage: quorvex-cli " + self.name + " " + self.usage);
    struct Setting {
        const char* key;
        int highest;
        std::optional<std::uint8_t> value;
    };
    Setting settings[] = {{"KIND", KindLast, {}}, {"BACKGROUND", 1, {}}, {"SHADOW", 1, {}}};
    for (const auto& [key, text] : takeAssignments(args, 1, self)) {
        Setting* setting = nullptr;
        for (auto& candidate : settings)
            if (sameNameIgnoringCase(key, candidate.key))
                setting = &candidate;
        if (!setting)
            throw UsageError("unknown key " + key + "; expected KIND, BACKGROUND or SHADOW\nusage: quorvex-cli "
                             + self.name + " " + self.usage);
        const auto value = numberIn(text, 0, setting->highest);
        if (!value)
            return context.finish(outOfRange(setting->key, text, 0, setting->highest));
        setting->value = static_cast<std::uint8_t>(*value);
    }
    const auto index = numberIn(args[0], 0, 255);
    if (!index)
        return context.finish(outOfRange("Index", args[0], 0, 255));
    const auto i = static_cast<std::size_t>(*index);
    return saveAsPageDoes(context, [&](Palette&, Materials& materials) {
        materials.kind[i] = settings[0].value.value_or(materials.kind[i]);
        materials.background[i] = settings[1].value.value_or(materials.background[i]);
        materials.shadow[i] = settings[2].value.value_or(materials.shadow[i]);
    });
}

int levelAddPl2(Context& context, const Arguments& args, const Command& self)
{
    expectArguments(args, 1, 1, self);
    const fs::path level = os::pathFromText(args[0]);
    // The level is known before anything is written: a wrong one leaves the game as it was.
    if (!takesMaterials(fileSize(level)))
        return context.finish(Outcome::refused("Chosen level isn't a valid level"));
    if (const int saved = saveAsPageDoes(context, [](Palette&, Materials&) {}); saved != 0)
        return saved;
    return context.finish(addMaterialsToLevel(context.workspace, level));
}

} // namespace

void addPaletteCommands(CommandTable& table)
{
    table.push_back({"palette show", "", "the working palette: 256 lines \"I<TAB>R<TAB>G<TAB>B\" (8-bit values)",
                     paletteShow, {}, {""}});
    table.push_back({"palette set", "I R G B",
                     "sets colour I (0-255) to R G B (0-255 each) and saves as \"Save Materials\" does", paletteSet,
                     {"5 200 10 3"}});
    table.push_back({"palette export", "FILE",
                     "exports the game palette as \"Save palette\" does: .ACT (or no extension) raw, .PAL text; - "
                     "writes the raw form to standard output",
                     paletteExport, {}, {"game.act", "game.pal", "- > game.act"}});
    table.push_back({"palette reset", "", "writes the default palette of quorvex.dat into the game (\"Reset palette\")",
                     paletteReset, {}, {""}});
    table.push_back({"materials show", "",
                     "256 lines \"I<TAB>KIND<TAB>BACKGROUND<TAB>SHADOW\"; KIND 0 undefined, 1 brown dirt, 2 green dirt, "
                     "3 rock",
                     materialsShow, {}, {""}});
    table.push_back({"materials set", "I [KIND=k] [BACKGROUND=0|1] [SHADOW=0|1]",
                     "changes the material of colour I and saves as \"Save Materials\" does", materialsSet,
                     {"5 KIND=3"}, {"17 BACKGROUND=1 SHADOW=0"}, {"KIND", "BACKGROUND", "SHADOW"}});
    table.push_back({"level add-pl2", "LEVEL",
                     "\"Save Materials\", then \"Save to PL2\" on LEVEL: a plain level becomes a powerlevel 2, a "
                     "powerlevel takes the materials and keeps its palette",
                     levelAddPl2, {"mods/MEADOW.LEV", "mods/SUNSET.LEV"}, {}, {}, "lev"});
}

} // namespace quorvex::cli
