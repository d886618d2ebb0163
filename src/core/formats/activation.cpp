#include "core/formats/activation.h"
#include "core/os/files.h"
#include "core/base/extension.h"
#include "core/formats/file_formats.h"
#include "core/formats/level.h"
#include "core/formats/palette.h"
#include "core/base/errors.h"
#include "core/gamefile/game_file.h"
#include "core/base/places.h"
#include "core/texts/translation.h"
#include "core/store/backups.h"

#include <utility>
#include <algorithm>
#include <iterator>

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

// Whether NAME.LEV in the game folder is a file other than the level being installed: a copy of
// the same bytes made by an earlier activation is the level's own and is replaced.
bool takenByAnotherFile(const fs::path& level, const fs::path& gameFolder, const std::string& name)
{
    const auto candidate = findGameFile(gameFolder, name + ".LEV");
    std::error_code error;
    if (!isTaken(candidate) || fs::equivalent(candidate, level, error))
        return false;
    return !fs::is_regular_file(candidate, error) || fileSize(candidate) != fileSize(level) ||
           readWholeFile(candidate) != readWholeFile(level);
}

} // namespace

Activation activateLevel(const ActivationRequest& request)
{
    const auto& [file, path, browsedFolder, workspace, ask, pages] = request;
    GameFile level(file, GameFile::Access::ReadOnly);
    const auto form = levelForm(level.size());   // by size alone; the marker is not examined
    GameFile exe(workspace, workspace.torloExe());
    requirePalettePlace(exe);
    GameFile dat(workspace, workspace.torloDat());
    const auto stem = levelStem(file);
    // The game, under DOS or DOSBox, finds a level by an 8.3 name only; a long name gets a DOS
    // name of its own, since no short name that a file system or DOSBox invents can be known here.
    const bool renamed = !isDosName(stem);
    // The request, not its bindings: clang 14 cannot capture a structured binding.
    const auto takenByAnother = [&request](const std::string& candidate) {
        return takenByAnotherFile(request.file, request.workspace.gameFolder, candidate);
    };
    const auto name = renamed ? dosLevelName(stem, takenByAnother) : upperCase(stem);
    if (name.empty())
        return {Outcome::refused("No free DOS name for " + os::textOf(file.filename()) + " in the game folder")};
    // The name's place must lie inside torlo.dat: a short file is refused, not grown.
    dat.requireSize(places::DatLevelName + 1 + name.size());

    // A level from another folder, or one whose name the game can not load, goes into the game
    // folder first, so the game never names a level it can not find.
    if (renamed || !sameFolder(browsedFolder, workspace.gameFolder)) {
        const auto target = findGameFile(workspace.gameFolder, renamed ? name + ".LEV" : os::textOf(file.filename()));
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
    auto changed = GameParts(GamePart::Level);
    if (powerlevel)
        changed |= GamePart::Palette;
    if (form == LevelForm::Powerlevel2)
        changed |= GamePart::Materials;
    const std::string installedAs = renamed ? ", installed as " + name + ".LEV" : std::string();
    return {Outcome::done("Level activated" + installedAs, "Level " + path + " activated" + installedAs).changing(changed),
            powerlevel,
            form == LevelForm::Powerlevel2};
}

namespace {

Activation activateMod(const fs::path& file, const std::string& path, const std::string& gameName,
                       const fs::path& gameFile, const std::string& logKind, GamePart part)
{
    std::string upperName = os::textOf(file.filename());
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
    return {Outcome::done("Mod activated", logKind + path + " activated").changing(part), false};
}

} // namespace

Activation activateGraphicsMod(const ActivationRequest& request)
{
    return activateMod(request.file, request.path, "TORLO.CHR", request.workspace.torloChr(), "Graphic Mod ",
                       GamePart::Graphics);
}

Activation activateSoundMod(const ActivationRequest& request)
{
    return activateMod(request.file, request.path, "TORLO.SND", request.workspace.torloSnd(), "Soundmod ",
                       GamePart::Sounds);
}

Activation activateRawPalette(const ActivationRequest& request)
{
    const auto& [file, path, browsedFolder, workspace, ask, pages] = request;
    std::error_code error;
    const auto exePath = workspace.torloExe();
    if (exePath.empty() || !fs::exists(exePath, error))
        return {Outcome::refused("'Torlo.Exe' does not exists"), false};
    GameFile source(file, GameFile::Access::ReadOnly);
    if (source.size() < RawPaletteSize)
        return {Outcome::refused("Not a valid palette"), false};
    const auto palette = readRawPalette(source.read(RawPaletteSize));
    GameFile exe(workspace, workspace.torloExe());
    requirePalettePlace(exe);
    writeGamePalette(exe, palette.colours);
    return {Outcome::done("Palette activated", "Palette " + path + " activated").changing(GamePart::Palette), true};
}

Activation activatePalPalette(const ActivationRequest& request)
{
    const auto& [file, path, browsedFolder, workspace, ask, pages] = request;
    GameFile exe(workspace, workspace.torloExe());
    requirePalettePlace(exe);
    const auto bytes = readFileStart(file, TextPaletteMaxRead);
    // A text palette is read whole before the game is touched: a bad line changes nothing.
    std::optional<PaletteFile> palette = readTextPalette(bytes);
    if (!palette && fileSize(file) == RiffPaletteSize)
        palette = readRiffPalette(bytes);
    if (!palette)
        return {Outcome::refused("Not a valid palette"), false};
    writeGamePalette(exe, palette->colours);
    return {Outcome::done("Palette activated", "Palette " + path + " activated").changing(GamePart::Palette), true};
}

Activation activateWeaponPlugin(const ActivationRequest& request)
{
    const auto& [file, path, browsedFolder, workspace, ask, pages] = request;
    PluginPages fresh;
    auto installed = installPlugin(file, workspace, pages ? *pages : fresh, ask);
    if (installed.reports.empty())
        return {Outcome::nothing("The plugin holds no record"), false};
    // One notification for the whole installation: the last report carries every part changed.
    GameParts changed;
    for (auto& report : installed.reports)
        changed |= std::exchange(report.changed, {});
    // The installation's last word names the plugin in the log, after the saves' own lines.
    auto& last = installed.reports.back();
    if (last.succeeded() && last.logMessage.empty())
        last.logMessage = "Weapon plugin " + path + " activated";
    Activation activation{std::move(last).changing(changed), false};
    installed.reports.pop_back();
    activation.earlier = std::move(installed.reports);
    activation.pluginWrote = installed.wrote;
    activation.pluginSet = std::move(installed.set);
    return activation;
}

Activation activateTranslation(const ActivationRequest& request)
{
    return {importTranslation(request.file, request.workspace, request.ask), false};
}

std::string levelStem(const fs::path& file)
{
    const std::string name = os::textOf(file.filename());
    return name.size() > 4 ? name.substr(0, name.size() - 4) : std::string();
}

bool isDosNameCharacter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           std::string_view("_-!#$%&'()@^{}").find(c) != std::string_view::npos;
}

bool isDosName(std::string_view name)
{
    return !name.empty() && name.size() <= places::DatLevelNameMax &&
           std::all_of(name.begin(), name.end(), isDosNameCharacter);
}

std::string dosLevelName(std::string_view stem, const std::function<bool(const std::string&)>& taken)
{
    std::string valid;
    std::copy_if(stem.begin(), stem.end(), std::back_inserter(valid), isDosNameCharacter);
    if (valid.empty())
        valid = "LEVEL";   // a name of no DOS character at all (say, all accented letters)
    valid = upperCase(valid);
    const std::string whole = valid.substr(0, places::DatLevelNameMax);
    if (!taken(whole))
        return whole;
    for (int number = 2; number < 1000000; ++number) {
        const auto suffix = std::to_string(number);
        const auto candidate = valid.substr(0, places::DatLevelNameMax - suffix.size()) + suffix;
        if (!taken(candidate))
            return candidate;
    }
    return {};
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

std::vector<fs::path> profileFiles(const Workspace& workspace)
{
    std::vector<fs::path> files{workspace.torloExe(), workspace.torloDat(), workspace.torloChr(), workspace.torloSnd()};
    std::error_code error;
    if (const auto list = BackupKeeper(workspace).modListFile(); fs::is_regular_file(list, error))
        files.push_back(list);
    if (fs::is_regular_file(workspace.torloDat(), error))
        if (const auto level = levelNameIn(readFileStart(workspace.torloDat(), 4096)); !level.empty())
            if (const auto file = findGameFile(workspace.gameFolder, level + ".LEV"); fs::is_regular_file(file, error))
                files.push_back(file);
    return files;
}

Activation activateFile(const fs::path& file, const fs::path& browsedFolder, const Workspace& workspace,
                        const Asker& ask, PluginPages* pages)
{
    const auto extension = upperExtension(file);
    const auto* format = fileFormatOf(extension);
    if (!format || !format->activation)
        return {Outcome::nothing("There is nothing to activate in a " + (extension.empty() ? std::string("file without extension") : extension + " file")), false};
    auto activation = format->activation({file, os::textOf(fs::absolute(file)), browsedFolder, workspace, ask, pages});
    activation.outcome.changed = activation.outcome.changed & format->changes;
    return activation;
}

} // namespace quorvex
