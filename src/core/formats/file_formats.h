#pragma once
// One table of the file formats Quorvex knows, one row per extension: the filter box that
// lists it, its type on the desktop (association kind, MIME type, glob weight, magic), the
// buttons and page the browser offers for it, and its preview, activation and conversion with
// the parts of the game an activation may change. The browser, the CLI (activate, convert,
// convert-all, preview), the associations and the backups read it; a new format is one row and
// its functions. The checks below keep every row whole.
#include "core/formats/activation.h"
#include "core/formats/conversion.h"
#include "core/formats/preview.h"
#include "core/store/backups.h"
#include "core/base/game_parts.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace quorvex {

// What "Edit" does with a file of the format: nothing, open it with the system's opener for its
// type, or open it in the text editor of the Options page.
enum class EditWith { Nothing, Opener, TextEditor };

struct FileFormat {
    std::string_view extension;       // lower case, with its dot
    std::string_view filterBox;       // the caption of the filter box that lists it
    std::string_view association;     // the association kind (its CLI word); empty: none
    std::string_view mimeType;        // its type in the MIME package; empty: none
    int globWeight;                   // of its glob in the MIME package (shared-mime-info's default is 50); 0: no glob
    // Its mark in shared-mime-info form (<match> elements, nested for "and"); empty: known by
    // name only (raw palettes, levels, graphics mods).
    std::string_view magic;
    EditWith edit;
    std::optional<GamePage> page;  // none: the page in front stays
    PreviewFunction preview;
    ActivationFunction activation;    // none: "Activate" is disabled
    ConversionFunction conversion;    // none: "Convert" is disabled
    GameParts changes;                // what its activation may change
};

inline constexpr int OwnGlobWeight = 60;
// Below the desktop's own 50 for an extension that other programs' types claim (.snd is Sun
// audio, .lwp Lotus Word Pro, .pal the generic palettes): only files with the format's mark
// become its type there.
inline constexpr int SharedGlobWeight = 40;
// Not claimed by its name at all: .act is Adobe's colour table, which any file of that name
// may be (a text file too), and the game's raw palettes have no mark of their own.
inline constexpr int NoGlob = 0;

inline constexpr std::array<FileFormat, 11> FileFormats = {{
    {".lev", "Levels", "levels", "application/x-torlo-level", OwnGlobWeight, "", EditWith::Opener, GamePage::Graphics,
     previewLevel, activateLevel, convertLevel, GamePart::Level | GamePart::Palette | GamePart::Materials},
    // A bank's directory: 30 entries, the first sound right after them (2 + 30 * 16 = 482).
    {".snd", "Sound Mods", "sounds", "application/x-torlo-soundmod", SharedGlobWeight,
     R"(<match type="little16" value="30" offset="0"><match type="little32" value="482" offset="10"/></match>)", EditWith::Nothing, GamePage::Sounds,
     previewNothing, activateSoundMod, nullptr, GamePart::Sounds},
    {".chr", "Graphic Mods", "gfx", "application/x-torlo-gfxmod", OwnGlobWeight, "", EditWith::Nothing, GamePage::Graphics,
     previewGraphicsMod, activateGraphicsMod, convertGraphicsMod, GamePart::Graphics},
    {".bmp", "Bitmaps", "", "", 0, "", EditWith::Opener, GamePage::Graphics, previewBitmap, nullptr, convertBitmap, {}},
    {".act", "Palettes", "palettes", "application/x-torlo-palette", NoGlob, "", EditWith::Nothing, GamePage::Graphics,
     previewRawPalette, activateRawPalette, convertRawPalette, GamePart::Palette},
    // A text palette's header (JASC) or a RIFF palette's; raw .act and .lpl have none.
    {".pal", "Palettes", "palettes", "application/x-torlo-palette", SharedGlobWeight,
     R"(<match type="string" value="JASC-PAL" offset="0"/><match type="string" value="RIFF" offset="0"><match type="string" value="PAL " offset="8"/></match>)", EditWith::Nothing, GamePage::Graphics,
     previewPalPalette, activatePalPalette, convertPalPalette, GamePart::Palette},
    // Its button offers a conversion that the program does not do yet.
    {".lpl", "Palettes", "palettes", "application/x-torlo-palette", SharedGlobWeight, "", EditWith::Nothing, GamePage::Graphics,
     previewRawPalette, activateRawPalette, refuseConversion, GamePart::Palette},
    {".zip", "Zipped files", "", "", 0, "", EditWith::Nothing, std::nullopt, previewNothing, nullptr, nullptr, {}},
    // A plugin's first line, version 1 or 2.
    {".lwp", "Weapons", "weapons", "application/x-torlo-weapon", SharedGlobWeight,
     R"(<match type="string" value="TORLOKIT:WEAPONPLUGIN" offset="0"/><match type="string" value="LWP\r\nVERSION:2" offset="0"/><match type="string" value="LWP\nVERSION:2" offset="0"/>)", EditWith::TextEditor, GamePage::Weapons,
     previewWeaponPlugin, activateWeaponPlugin, nullptr, GamePart::Weapons | GamePart::Objects | GamePart::SpecialObjects},
    // A translation's header.
    {".llf", "Translations", "translations", "application/x-torlo-translation", OwnGlobWeight,
     R"(<match type="string" value="Torlo Language File" offset="0"/>)", EditWith::TextEditor,
     GamePage::About, previewTranslation, activateTranslation, nullptr, GamePart::Texts},
    {".lft", "Fonts", "", "", 0, "", EditWith::Nothing, GamePage::About, previewFont, nullptr, nullptr, {}},
}};

// The row of an extension (with its dot, in any case); none for a file Quorvex does not know.
constexpr const FileFormat* fileFormatOf(std::string_view extension)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    for (const auto& format : FileFormats) {
        if (format.extension.size() != extension.size())
            continue;
        bool same = true;
        for (std::size_t i = 0; i < extension.size() && same; ++i)
            same = lower(extension[i]) == format.extension[i];
        if (same)
            return &format;
    }
    return nullptr;
}

// The extensions of the formats a test picks, as the shell's completion takes them: "lev|bmp|chr".
inline std::string formatExtensions(bool (*picked)(const FileFormat&))
{
    std::string extensions;
    for (const auto& format : FileFormats)
        if (picked(format))
            extensions += (extensions.empty() ? "" : "|") + std::string(format.extension.substr(1));
    return extensions;
}

// True for a format whose preview is a palette (the pointer then names the colour under it).
constexpr bool previewsAPalette(const FileFormat& format)
{
    return format.preview == previewRawPalette || format.preview == previewPalPalette;
}

namespace format_checks {

constexpr bool lowerDotted(std::string_view extension)
{
    if (extension.size() < 2 || extension.front() != '.')
        return false;
    for (char c : extension.substr(1))
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')))
            return false;
    return true;
}

constexpr bool rowsWhole()
{
    for (std::size_t i = 0; i < FileFormats.size(); ++i) {
        const auto& row = FileFormats[i];
        if (!lowerDotted(row.extension) || row.filterBox.empty() || !row.preview)
            return false;
        // A kind on the desktop has a type; a format without one has neither type nor glob.
        if (row.association.empty() != row.mimeType.empty() || (row.association.empty() && row.globWeight != 0))
            return false;
        // What an activation changes is said exactly when there is one.
        if ((row.activation != nullptr) == row.changes.empty())
            return false;
        // A file that changes the game is shown where the files of what it changes are.
        if (!row.changes.empty() && row.page != filesPageOf(row.changes))
            return false;
        for (std::size_t j = 0; j < i; ++j)
            if (FileFormats[j].extension == row.extension)
                return false;
    }
    return true;
}

// The backups keep levels wherever they lie: the formats an activation reads from anywhere and
// "Save to PL2" rewrites.
constexpr bool keptAnywhereIsALevel()
{
    const auto* level = fileFormatOf(KeptAnywhereExtension);
    return level && level->changes.has(GamePart::Level);
}

} // namespace format_checks

static_assert(format_checks::rowsWhole(), "every format row is whole: extension, filter box, preview, desktop type with "
                                          "its glob weight, the parts its activation changes and their page; no extension twice");
static_assert(format_checks::keptAnywhereIsALevel(), "the backups keep the level format wherever it lies");

} // namespace quorvex
