#include "core/palette/palette_editor.h"
#include "core/base/extension.h"
#include "core/formats/level.h"
#include "core/formats/palette.h"
#include "core/base/errors.h"
#include "core/gamefile/game_file.h"
#include "core/base/places.h"

#include <algorithm>
#include <cstring>

namespace fs = std::filesystem;

namespace quorvex {

namespace {

constexpr std::uint32_t PaletteEnd = places::GamePalette + places::PaletteSize;
static_assert(PaletteEnd > places::Materials + places::MaterialsSize);

// A torlo.exe too short for the palette (and so for the materials before it) is refused before
// anything is written, rather than grown.
void requireEditorPlaces(const GameFile& exe)
{
    exe.requireSize(PaletteEnd);
}

bool hasTorloExe(const Workspace& workspace)
{
    std::error_code error;
    return fs::is_regular_file(workspace.torloExe(), error);
}

Outcome noTorloExe()
{
    return Outcome::refused("\"Torlo.Exe\" does not exists");
}

} // namespace

Outcome saveMaterials(const Workspace& workspace, const Materials& materials, const Palette& palette)
{
    GameFile exe(workspace, workspace.torloExe());
    requireEditorPlaces(exe);
    exe.writeAt(places::Materials, materialsToBlock(materials));
    exe.writeAt(places::GamePalette, paletteTo6Bit(palette));
    return Outcome::done("Materials and colors saved", "Materials and colors saved").changing(GamePart::Materials | GamePart::Palette);
}

Outcome exportGamePalette(const Workspace& workspace, const fs::path& chosen)
{
    auto target = chosen;
    const auto extension = upperExtension(chosen);
    if (extension.empty())
        target += ".ACT";
    else if (extension != ".ACT" && extension != ".PAL")
        return Outcome::refused("Palette not saved: use a .ACT or .PAL name");
    if (!hasTorloExe(workspace))
        return noTorloExe();
    Bytes game6;
    {
        GameFile exe(workspace, workspace.torloExe());
        game6 = exe.readAt(places::GamePalette, places::PaletteSize);
    }
    if (extension == ".PAL") {
        const auto text = textPaletteFromGame(game6);
        writeFileAtomically(target, text);
    } else {
        writeFileAtomically(target, rawPaletteFromGame(game6));
    }
    return Outcome::done("Palette saved");
}

Outcome resetPalette(const Workspace& workspace)
{
    if (!hasTorloExe(workspace))
        return Outcome::nothing("No torlo.exe in the game folder: the palette was not reset");
    const ResourceFile resources(workspace.resourceFile);
    Palette original;
    for (int i = 0; i < 256; ++i)
        original[static_cast<std::size_t>(i)] = resources.defaultColour(i);
    GameFile exe(workspace, workspace.torloExe());
    requireEditorPlaces(exe);
    exe.writeAt(places::GamePalette, paletteTo6Bit(original));
    return Outcome::done("Original palette re-activated!", "Original palette reset").changing(GamePart::Palette);
}

bool takesMaterials(std::uint64_t levelSize)
{
    return levelForm(levelSize) != LevelForm::NotALevel;
}

Outcome addMaterialsToLevel(const Workspace& workspace, const fs::path& level)
{
    const auto form = levelForm(fileSize(level));   // known before a large file is read
    if (form == LevelForm::NotALevel)
        return Outcome::refused("Chosen level isn't a valid level");
    auto bytes = readWholeFile(level);
    Bytes palette, materials;
    {
        GameFile exe(workspace, workspace.torloExe());
        requireEditorPlaces(exe);
        palette = exe.readAt(places::GamePalette, places::PaletteSize);
        materials = exe.readAt(places::Materials, places::MaterialsSize);
    }
    const bool plain = form == LevelForm::Plain || form == LevelForm::PlainWithTail;
    bytes.resize(Powerlevel2Size);
    if (plain) {
        std::memcpy(bytes.data() + LevelMarkerAt, "POWERLEVL2", LevelMarkerSize);
        std::copy(palette.begin(), palette.end(), bytes.begin() + LevelPaletteAt);
    } else {
        // The marker's last two bytes only: the level keeps its own palette.
        std::memcpy(bytes.data() + LevelMarkerAt + 8, "L2", 2);
    }
    std::copy(materials.begin(), materials.end(), bytes.begin() + LevelMaterialsAt);
    writeFileAtomically(level, bytes);
    return Outcome::done(plain ? "Materials + palette added to level" : "Materials added to Powerlevel");
}

} // namespace quorvex
