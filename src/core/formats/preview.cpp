#include "core/formats/preview.h"
#include "core/os/files.h"
#include "core/formats/graphics_mod.h"
#include "core/formats/level.h"
#include "core/formats/palette.h"
#include "core/formats/file_formats.h"
#include "core/base/places.h"

namespace fs = std::filesystem;

namespace quorvex {

namespace {

// The game tools open every file for writing too, so a read-only file is made writable first.
void clearReadOnly(const fs::path& file)
{
    std::error_code error;
    const auto status = fs::status(file, error);
    if (!error && fs::is_regular_file(status) && (status.permissions() & fs::perms::owner_write) == fs::perms::none)
        fs::permissions(file, fs::perms::owner_write, fs::perm_options::add, error);
}

} // namespace

Preview previewLevel(const fs::path& file, const Workspace& workspace, bool useGamePalette)
{
    Preview preview{Preview::Kind::Level, {}, {}};
    const auto form = levelForm(fileSize(file));
    if (form == LevelForm::NotALevel) {
        // The picture is cleared: the previous level must not pass for this file.
        preview.status = "This is not a valid level";
        return preview;
    }
    const auto level = readWholeFile(file);   // at most a powerlevel 2's size
    const ResourceFile resources(workspace.resourceFile);
    if (form == LevelForm::Plain || form == LevelForm::PlainWithTail) {
        if (useGamePalette) {
            GameFile exe(workspace, workspace.torloExe());
            const auto table = colourTableFrom6Bit(exe.readAt(places::GamePalette, places::PaletteSize));
            preview.bitmap = levelToBitmap(level, table, resources);
        } else {
            preview.bitmap = levelToBitmap(level, resources.defaultColourTable(), resources);
        }
        preview.status = "This is a normal level";
        return preview;
    }
    if (!hasAnyPowerlevelMarker(level)) {
        preview.status = "This is not a powerlevel!";
        return preview;
    }
    const auto table = colourTableFrom6Bit(std::span(level).subspan(LevelPaletteAt, places::PaletteSize));
    preview.bitmap = levelToBitmap(level, table, resources);
    preview.status = form == LevelForm::Powerlevel ? "This is a Powerlevel" : "This is a Powerlevel 2";
    return preview;
}

namespace {

Preview palettePreview(const PaletteFile& palette, const Workspace& workspace)
{
    return {Preview::Kind::Palette, "Palette viewed", buildPaletteBitmap(palette, ResourceFile(workspace.resourceFile))};
}

} // namespace

Preview buildPreview(const fs::path& file, const Workspace& workspace, bool useGamePalette)
{
    clearReadOnly(file);
    const auto* format = fileFormatOf(os::textOf(file.extension()));
    return (format ? format->preview : previewNothing)(file, workspace, useGamePalette);
}

Preview previewBitmap(const fs::path& file, const Workspace&, bool)
{
    const auto size = fileSize(file);
    if (!isLevelBitmapSize(size) && size != LevelBitmap24Size)
        return {Preview::Kind::LevelBitmap, "This is a not a level BMP", {}};
    auto bitmap = readWholeFile(file);
    if (!hasLevelBitmapHeader(bitmap))
        return {Preview::Kind::LevelBitmap, "This is not a valid level BMP", {}};
    return {Preview::Kind::LevelBitmap, "This is a level BMP", std::move(bitmap)};
}

Preview previewRawPalette(const fs::path& file, const Workspace& workspace, bool)
{
    if (fileSize(file) != RawPaletteSize)
        return {Preview::Kind::Palette, "This is not a valid palette", {}};
    return palettePreview(readRawPalette(readWholeFile(file)), workspace);
}

Preview previewPalPalette(const fs::path& file, const Workspace& workspace, bool)
{
    const auto bytes = readFileStart(file, TextPaletteMaxRead);
    if (auto text = readTextPalette(bytes))
        return palettePreview(*text, workspace);
    if (fileSize(file) == RiffPaletteSize)
        return palettePreview(readRiffPalette(bytes), workspace);
    return {Preview::Kind::Palette, "Not a PAL palette", {}};
}

Preview previewGraphicsMod(const fs::path& file, const Workspace& workspace, bool)
{
    if (fileSize(file) < places::ChrMinimumSize)
        return {Preview::Kind::Graphics, "Not a valid GFX Mod", {}};
    GameFile chr(file, GameFile::Access::ReadOnly);
    const auto data = chr.read(places::ChrMinimumSize);
    return {Preview::Kind::Graphics, "GFX Mod viewed. Move your mouse across the picture to see detail",
            buildGraphicsPicture(data, ResourceFile(workspace.resourceFile))};
}

Preview previewWeaponPlugin(const fs::path&, const Workspace&, bool)
{
    return {Preview::Kind::None, "Press Activate to activate the weapon", {}};
}

Preview previewTranslation(const fs::path&, const Workspace&, bool)
{
    return {Preview::Kind::None, "Press Activate to activate the translation", {}};
}

Preview previewFont(const fs::path&, const Workspace&, bool)
{
    return {Preview::Kind::None, "Can not show fonts yet", {}};
}

Preview previewNothing(const fs::path&, const Workspace&, bool)
{
    return {Preview::Kind::None, "Can not view this", {}};
}

void writePreviewBitmap(const Workspace& workspace, const Preview& preview)
{
    if (!preview.bitmap.empty())
        writeFileAtomically(workspace.previewBitmap(), preview.bitmap);
}

} // namespace quorvex
