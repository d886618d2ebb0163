#pragma once
// File associations: the mod file kinds that Quorvex opens from the desktop, and the
// freedesktop form of registering them (a shared-mime-info package, a desktop entry, icons
// and the defaults in mimeapps.list), all per user.
#include "core/formats/file_formats.h"
#include "core/base/outcome.h"

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
    std::string_view word;         // the CLI's name, and the formats' association (core/formats/file_formats.h)
    std::array<std::string_view, 3> extensions;   // of its formats, sorted, with their dots; unused slots empty
    std::string_view className;    // the Windows file class
    std::string_view description;
    std::string_view windowsIcon;  // beside the program, as "<name>,0"
    std::string_view mimeType;     // of its formats
};

namespace association_rows {

// A kind whose extensions and MIME type are its formats'.
constexpr AssociationKind kind(std::string_view caption, std::string_view control, std::string_view word,
                               std::string_view className, std::string_view description, std::string_view windowsIcon)
{
    AssociationKind made{caption, control, word, {}, className, description, windowsIcon, {}};
    std::size_t count = 0;
    for (const auto& format : FileFormats) {
        if (format.association != word)
            continue;
        if (count == made.extensions.size() || (!made.mimeType.empty() && made.mimeType != format.mimeType))
            throw "a kind holds at most three formats, all of one MIME type";
        made.mimeType = format.mimeType;
        auto at = count++;
        for (; at > 0 && made.extensions[at - 1] > format.extension; --at)
            made.extensions[at] = made.extensions[at - 1];
        made.extensions[at] = format.extension;
    }
    if (count == 0)
        throw "a kind without a format";
    return made;
}

} // namespace association_rows

inline constexpr std::array<AssociationKind, 6> AssociationKinds = {{
    association_rows::kind("Levels", "LevBox", "levels", "Quorvex.Level", "Torlo Level", "ic_lev.ico"),
    association_rows::kind("GFX Mods", "ChrBox", "gfx", "Quorvex.GFXMod", "Torlo Graphics Mod", "ic_chr.ico"),
    association_rows::kind("Sound Mods", "SndBox", "sounds", "Quorvex.SoundMod", "Torlo Sound Mod", "ic_snd.ico"),
    association_rows::kind("Palettes", "PalBox", "palettes", "Quorvex.Palette", "Palette", "ic_pal.ico"),
    association_rows::kind("Weapons", "LwpBox", "weapons", "Quorvex.Weapon", "Torlo Weapon", "ic_lwp.ico"),
    association_rows::kind("Translations", "LlfBox", "translations", "Quorvex.Translation", "Torlo Translation",
                           "ic_llf.ico"),
}};

namespace association_rows {
constexpr bool everyAssociatedFormatHasItsKind()
{
    for (const auto& format : FileFormats) {
        bool found = format.association.empty();
        for (const auto& kind : AssociationKinds)
            found = found || kind.word == format.association;
        if (!found)
            return false;
    }
    return true;
}
} // namespace association_rows
static_assert(association_rows::everyAssociatedFormatHasItsKind(), "a format's association names a kind");

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
