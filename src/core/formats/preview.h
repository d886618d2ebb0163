#pragma once
// What the preview shows for a selected file: the status text and the bitmap, built in memory.
#include "core/gamefile/game_file.h"
#include "core/base/workspace.h"

#include <filesystem>
#include <string>

namespace quorvex {

struct Preview {
    // What the file was taken for, so the page shows the right picture: Level, Palette and
    // LevelBitmap in the level picture, Graphics in the sprite strip and detail view.
    enum class Kind { None, Level, Palette, Graphics, LevelBitmap };
    Kind kind = Kind::None;
    std::string status;   // empty: the status bar keeps its text
    Bytes bitmap;         // complete BMP file bytes to show; empty: the kind's picture is cleared
};

// Dispatches on the extension through the table of formats (core/formats/file_formats.h). Clears
// the read-only attribute of the file first. useGamePalette: "Use Torlo palette for preview"
// (plain levels only). File errors and the text palette's ConvertError are raised.
Preview buildPreview(const std::filesystem::path& file, const Workspace& workspace, bool useGamePalette);

// The preview of one format, as a row of the table of formats names it.
using PreviewFunction = Preview (*)(const std::filesystem::path& file, const Workspace& workspace, bool useGamePalette);
Preview previewLevel(const std::filesystem::path& file, const Workspace& workspace, bool useGamePalette);
Preview previewBitmap(const std::filesystem::path& file, const Workspace& workspace, bool useGamePalette);
Preview previewRawPalette(const std::filesystem::path& file, const Workspace& workspace, bool useGamePalette);
Preview previewPalPalette(const std::filesystem::path& file, const Workspace& workspace, bool useGamePalette);
Preview previewGraphicsMod(const std::filesystem::path& file, const Workspace& workspace, bool useGamePalette);
Preview previewWeaponPlugin(const std::filesystem::path& file, const Workspace& workspace, bool useGamePalette);
Preview previewTranslation(const std::filesystem::path& file, const Workspace& workspace, bool useGamePalette);
Preview previewFont(const std::filesystem::path& file, const Workspace& workspace, bool useGamePalette);
// "Can not view this": a format without a picture, or a file of no known format.
Preview previewNothing(const std::filesystem::path& file, const Workspace& workspace, bool useGamePalette);

// Writes quorvex.bmp in the temp folder when the preview drew something (the caller then loads it).
void writePreviewBitmap(const Workspace& workspace, const Preview& preview);

} // namespace quorvex
