#pragma once
// File associations: the mod file kinds that Quorvex opens from the desktop, and the
// freedesktop form of registering them (a shared-mime-info package, a desktop entry, icons
// and the defaults in mimeapps.list), all per user.
#include "shell/outcome.h"

#include <array>
#include <bitset>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvex {

struct AssociationKind {
    std::string_view caption;      // the box under " File extensions "
    std::string_view control;      // its objectName
    std::string_view word;         // the CLI's name
    std::array<std::string_view, 3> extensions;   // with their dots; unused slots empty
    std::string_view className;    // the Windows file class
    std::string_view description;
    std::string_view windowsIcon;  // beside the program, as "<name>,0"
    std::string_view mimeType;
    // The weight of the extension globs: below the desktop's own 50 for an extension that other
    // programs' types claim (.snd is Sun audio, .lwp Lotus Word Pro), so that only files with
    // this kind's mark become this type there.
    int globWeight = 50;
    // The kind's mark in shared-mime-info form (<match> elements, nested for "and"), written as
    // magic of priority 90: above 80, so that the desktop's glob-first readers (File::MimeInfo)
    // look at it before the globs too. Empty for kinds without one (raw palettes, levels,
    // graphics mods), which are known by extension alone.
    std::string_view magic = {};
};

inline constexpr std::array<AssociationKind, 6> AssociationKinds = {{
    {"Levels", "LevBox", "levels", {".lev"}, "Quorvex.Level", "Torlo Level", "ic_lev.ico", "application/x-torlo-level"},
    {"GFX Mods", "ChrBox", "gfx", {".chr"}, "Quorvex.GFXMod", "Torlo Graphics Mod", "ic_chr.ico", "application/x-torlo-gfxmod"},
    // A bank's directory: 30 entries, the first sound right after them (2 + 30 * 16 = 482).
    {"Sound Mods", "SndBox", "sounds", {".snd"}, "Quorvex.SoundMod", "Torlo Sound Mod", "ic_snd.ico", "application/x-torlo-soundmod",
     40, R"(<match type="little16" value="30" offset="0"><match type="little32" value="482" offset="10"/></match>)"},
    // A text palette's header (JASC) or a RIFF palette's; raw .ACT and .LPL have none.
    {"Palettes", "PalBox", "palettes", {".act", ".lpl", ".pal"}, "Quorvex.Palette", "Palette", "ic_pal.ico", "application/x-torlo-palette",
     50, R"(<match type="string" value="JASC-PAL" offset="0"/><match type="string" value="RIFF" offset="0"><match type="string" value="PAL " offset="8"/></match>)"},
    // A plugin's first line, version 1 or 2.
    {"Weapons", "LwpBox", "weapons", {".lwp"}, "Quorvex.Weapon", "Torlo Weapon", "ic_lwp.ico", "application/x-torlo-weapon",
     40, R"(<match type="string" value="TORLOKIT:WEAPONPLUGIN" offset="0"/><match type="string" value="LWP\r\nVERSION:2" offset="0"/><match type="string" value="LWP\nVERSION:2" offset="0"/>)"},
    // A translation's header.
    {"Translations", "LlfBox", "translations", {".llf"}, "Quorvex.Translation", "Torlo Translation", "ic_llf.ico", "application/x-torlo-translation",
     50, R"(<match type="string" value="Torlo Language File" offset="0"/>)"},
}};

using AssociationSet = std::bitset<AssociationKinds.size()>;

std::optional<std::size_t> associationByWord(std::string_view word);

// The desktop's store of file classes: the registry on Windows, the XDG folders elsewhere.
class FileClassStore {
public:
    virtual ~FileClassStore() = default;
    // Makes program the opener of each kind in the set (the others are left as they are).
    // Returns what stopped it, empty when done.
    virtual std::string associate(AssociationSet kinds, const std::filesystem::path& program) = 0;
    // Takes away everything that associate wrote, and nothing else.
    virtual void removeAssociations() = 0;
};

// "Do all"'s associations: nothing at all when no kind is chosen, else "Extension(s) assigned".
Outcome assignExtensions(FileClassStore& store, AssociationSet kinds, const std::filesystem::path& program);
Outcome removeExtensions(FileClassStore& store);

// --- freedesktop ---------------------------------------------------------------------------

inline constexpr std::string_view DesktopId = "quorvex.desktop";
inline constexpr std::string_view ProgramIconName = "quorvex";

// The icon name of a kind (its MIME type with "-" for "/"), and the embedded SVG pictures by
// icon name ("quorvex" for the program).
std::string mimeIconName(const AssociationKind& kind);
std::string_view iconSvg(std::string_view iconName);

// The program that a desktop entry's Exec line starts, as the desktop reads it (string escapes,
// quoting, "%%"); nothing when the entry has no Exec line or it cannot be read.
std::optional<std::string> execProgram(std::string_view entry);

// The shared-mime-info package declaring the kinds' types: a type by its mark where the kind
// has one, and by extension (ignoring case) at the kind's glob weight.
std::string mimePackage(AssociationSet kinds);
// The kinds a package written by mimePackage declares.
AssociationSet kindsInPackage(std::string_view package);
// The desktop entry; program is quoted for its Exec line. Empty when the path cannot be
// written there (a line break in it).
std::string desktopEntry(AssociationSet kinds, const std::filesystem::path& program);

// mimeapps.list with the desktop id first in the default of each type; every other line kept.
std::string withDefaults(std::string_view mimeapps, const std::vector<std::string>& types, std::string_view desktopId);
// mimeapps.list without the desktop id in any list; lines left empty are dropped, others kept.
std::string withoutApplication(std::string_view mimeapps, std::string_view desktopId);

struct DesktopFolders {
    std::filesystem::path dataHome;     // $XDG_DATA_HOME, ~/.local/share by default
    std::filesystem::path configHome;   // $XDG_CONFIG_HOME, ~/.config by default
};

class FreedesktopClassStore final : public FileClassStore {
public:
    // runTool runs a command (update-mime-database, update-desktop-database, xdg-mime), waits
    // for it and gives back its standard output; nothing when the tool is not installed.
    using ToolRunner = std::function<std::optional<std::string>(const std::vector<std::string>& command)>;
    FreedesktopClassStore(DesktopFolders folders, ToolRunner runTool);

    // After writing, the entry is read back as the desktop reads it and, where xdg-mime is
    // installed, the desktop is asked which program opens each kind: a failure is one.
    std::string associate(AssociationSet kinds, const std::filesystem::path& program) override;
    void removeAssociations() override;

    std::filesystem::path mimePackageFile() const;
    std::filesystem::path desktopFile() const;
    std::filesystem::path mimeAppsFile() const;
    std::filesystem::path iconFile(std::string_view iconName) const;

private:
    void refreshDatabases();

    DesktopFolders folders_;
    ToolRunner runTool_;
};

} // namespace quorvex
