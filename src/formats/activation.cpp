#include "formats/activation.h"
#include "formats/extension.h"
#include "formats/level.h"
#include "formats/palette.h"
#include "gameexe/errors.h"
#include "gameexe/game_file.h"
#include "gameexe/places.h"
#include "texts/translation.h"

namespace fs = std::filesystem;

namespace quorvex {

namespace {

// The palette place must lie inside torlo.exe, so that a short file is refused before anything
// is written rather than grown with a hole.
void requirePalettePlace(const GameFile& exe)
{
    exe.requireSize(places::GamePalette + places::PaletteSize);
}

void writeGamePalette(GameFile& exe, const Palette& palette8)
{
    exe.writeAt(places::GamePalette, paletteTo6Bit(palette8));
}

bool sameFolder(const fs::path& a, const fs::path& b)
{
    std::error_code error;
    return fs::equivalent(a, b, error) || a.lexically_normal() == b.lexically_normal();
}

Activation activateLevel(const fs::path& file, const std::string& path, const fs::path& browsedFolder,
                         const Workspace& workspace)
{
    GameFile level(file, GameFile::Access::ReadOnly);
    const auto form = levelForm(level.size());   // by size alone; the marker is not examined
    GameFile exe(workspace.torloExe());
    requirePalettePlace(exe);
    GameFile dat(workspace.torloDat());
    const auto name = levelNameFor(file);
    // The name's place must lie inside torlo.dat: a short file is refused, not grown.
    dat.requireSize(places::DatLevelName + 1 + name.size());

    // A level from another folder goes into the game folder first, so the game never names a
    // level it can not find.
    if (!sameFolder(browsedFolder, workspace.gameFolder)) {
        const auto target = findGameFile(workspace.gameFolder, file.filename().string());
        std::error_code error;
        if (!fs::equivalent(file, target, error))
            copyFileAtomically(file, target);
    }

    const bool powerlevel = form == LevelForm::Powerlevel || form == LevelForm::Powerlevel2;
    if (powerlevel) {
        exe.writeAt(places::GamePalette, level.readAt(LevelPaletteAt, places::PaletteSize));
        if (form == LevelForm::Powerlevel2)
            exe.writeAt(places::Materials, level.readAt(LevelMaterialsAt, places::MaterialsSize));
    }
    dat.seek(places::DatLevelName);
    dat.writeByte(static_cast<std::uint8_t>(name.size()));
    dat.write(name);
    return {Outcome::done("Level activated", "Level " + path + " activated"), powerlevel,
            form == LevelForm::Powerlevel2};
}

Activation activateMod(const fs::path& file, const std::string& path, const std::string& gameName,
                       const fs::path& gameFile, const std::string& logKind)
{
    std::string upperName = file.filename().string();
    for (auto& c : upperName)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    if (upperName == gameName)
        return {Outcome::nothing("A file named " + gameName + " is the game's own file and is not activated"), false};
    // Copied beside the game's file and renamed over it in one step: a failure leaves the old file.
    try {
        if (gameFile.empty() || !fs::is_directory(gameFile.parent_path()))
            throw FileError::notFound();
        copyFileAtomically(file, gameFile);
    } catch (const FileError& error) {
        return {Outcome::refused(std::string("Mod not activated: ") + error.what()), false};
    }
    return {Outcome::done("Mod activated", logKind + path + " activated"), false};
}

Activation activateRawPalette(const fs::path& file, const std::string& path, const Workspace& workspace)
{
    std::error_code error;
    const auto exePath = workspace.torloExe();
    if (exePath.empty() || !fs::exists(exePath, error))
        return {Outcome::refused("'Torlo.Exe' does not exists"), false};
    GameFile source(file, GameFile::Access::ReadOnly);
    if (source.size() < RawPaletteSize)
        return {Outcome::refused("Not a valid palette"), false};
    const auto palette = readRawPalette(source.read(RawPaletteSize));
    GameFile exe(workspace.torloExe());
    requirePalettePlace(exe);
    writeGamePalette(exe, palette.colours);
    return {Outcome::done("Palette activated", "Palette " + path + " activated"), true};
}

Activation activatePalPalette(const fs::path& file, const std::string& path, const Workspace& workspace)
{
    GameFile exe(workspace.torloExe());
    requirePalettePlace(exe);
    const auto bytes = readFileStart(file, TextPaletteMaxRead);
    // A text palette is read whole before the game is touched: a bad line changes nothing.
    std::optional<PaletteFile> palette = readTextPalette(bytes);
    if (!palette && fileSize(file) == RiffPaletteSize)
        palette = readRiffPalette(bytes);
    if (!palette)
        return {Outcome::refused("Not a valid palette"), false};
    writeGamePalette(exe, palette->colours);
    return {Outcome::done("Palette activated", "Palette " + path + " activated"), true};
}

Activation activatePlugin(const fs::path& file, const Workspace& workspace, const Asker& ask, PluginPages* pages)
{
    PluginPages fresh;
    auto installed = installPlugin(file, workspace, pages ? *pages : fresh, ask);
    if (installed.reports.empty())
        return {Outcome::nothing("The plugin holds no record"), false};
    Activation activation{installed.reports.back(), false};
    installed.reports.pop_back();
    activation.earlier = std::move(installed.reports);
    activation.pluginWrote = installed.wrote;
    return activation;
}

} // namespace

std::string levelNameFor(const fs::path& file)
{
    std::string name = file.filename().string();
    name = name.size() > 4 ? name.substr(0, name.size() - 4) : std::string();
    // The short name the file system gives a long-named file.
    if (name.size() > places::DatLevelNameMax)
        name = name.substr(0, 6) + "~1";
    for (auto& c : name)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return name;
}

std::string levelNameIn(std::span<const std::uint8_t> dat)
{
    if (dat.size() <= places::DatLevelName)
        return {};
    const auto length = std::min<std::size_t>({dat[places::DatLevelName], places::DatLevelNameMax,
                                               dat.size() - places::DatLevelName - 1});
    const auto name = dat.subspan(places::DatLevelName + 1, length);
    return std::string(name.begin(), name.end());
}

Activation activateFile(const fs::path& file, const fs::path& browsedFolder, const Workspace& workspace,
                        const Asker& ask, PluginPages* pages)
{
    const auto extension = upperExtension(file);
    const auto path = fs::absolute(file).string();

    if (extension == ".LEV")
        return activateLevel(file, path, browsedFolder, workspace);
    if (extension == ".CHR")
        return activateMod(file, path, "TORLO.CHR", workspace.torloChr(), "Graphic Mod ");
    if (extension == ".SND")
        return activateMod(file, path, "TORLO.SND", workspace.torloSnd(), "Soundmod ");
    if (extension == ".ACT" || extension == ".LPL")
        return activateRawPalette(file, path, workspace);
    if (extension == ".PAL")
        return activatePalPalette(file, path, workspace);
    if (extension == ".LWP")
        return activatePlugin(file, workspace, ask, pages);
    if (extension == ".LLF")
        return {importTranslation(file, workspace, ask), false};
    return {Outcome::nothing("There is nothing to activate in a " + (extension.empty() ? std::string("file without extension") : extension + " file")), false};
}

} // namespace quorvex
