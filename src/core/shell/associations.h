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
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvex {

inline constexpr int OwnMagicPriority = 90;
inline constexpr int GenericMagicPriority = 40;

struct AssociationKind {
    std::string_view caption;      // the box under " File extensions "
    std::string_view control;      // its objectName
    std::string_view word;         // the CLI's name, and the formats' association (core/formats/file_formats.h)
    std::array<std::string_view, 3> extensions;   // of its formats, sorted, with their dots; unused slots empty
    std::string_view className;    // the Windows file class
    std::string_view description;
    std::string_view windowsIcon;  // beside the program, as "<name>,0"
    std::string_view mimeType;     // of its formats
    // Of its formats' marks: above the desktop's globs (80) for the game's own marks; below the
    // shared database's 50 for the generic palettes (JASC and RIFF .pal), whose own types win.
    int magicPriority = OwnMagicPriority;
};

namespace association_rows {

// A kind whose extensions and MIME type are its formats'.
constexpr AssociationKind kind(std::string_view caption, std::string_view control, std::string_view word,
                               std::string_view className, std::string_view description, std::string_view windowsIcon,
                               int magicPriority = OwnMagicPriority)
{
    AssociationKind made{caption, control, word, {}, className, description, windowsIcon, {}, magicPriority};
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
    association_rows::kind("Palettes", "PalBox", "palettes", "Quorvex.Palette", "Palette", "ic_pal.ico",
                           GenericMagicPriority),
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

// What associate did: what stopped it (empty when done), and the kinds left to a program the
// user had chosen for them.
struct AssociationResult {
    std::string stopped;
    AssociationSet leftAlone;
};

// The desktop's store of file classes: the registry on Windows, the XDG folders elsewhere.
class FileClassStore {
public:
    virtual ~FileClassStore() = default;
    // Makes program the opener of each kind in the set (the others are left as they are). A kind
    // whose type the user gave another program stays with it unless force. All or nothing: when
    // it stops, everything is as it was.
    virtual AssociationResult associate(AssociationSet kinds, const std::filesystem::path& program, bool force) = 0;
    // Takes away everything that associate wrote, and nothing else.
    virtual void removeAssociations() = 0;
};

// "Do all"'s associations: nothing at all when no kind is chosen, else "Extension(s) assigned"
// (naming the kinds left to the user's own programs, which force takes).
Outcome assignExtensions(FileClassStore& store, AssociationSet kinds, const std::filesystem::path& program,
                         bool force = true);
Outcome removeExtensions(FileClassStore& store);

// --- freedesktop ---------------------------------------------------------------------------

// Named after the AppStream component id (packaging/net.morvane.quorvex.metainfo.xml.in).
inline constexpr std::string_view DesktopId = "net.morvane.quorvex.desktop";
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
// The program another than desktopId that mimeapps.list makes the default for type; empty when
// none is.
std::string otherDefault(std::string_view mimeapps, std::string_view type, std::string_view desktopId);

struct DesktopFolders {
    std::filesystem::path dataHome;     // $XDG_DATA_HOME, ~/.local/share by default
    std::filesystem::path configHome;   // $XDG_CONFIG_HOME, ~/.config by default
    // Where associate records the desktop's files as they were before it, for removal to put
    // back (in Quorvex's data folder).
    std::filesystem::path record;
};

// The files and folders that associating changes, as they are at one moment: the content of
// each file (nothing: absent) and which folders exist.
struct DesktopState {
    std::map<std::filesystem::path, std::optional<std::string>> files;
    std::map<std::filesystem::path, bool> folders;
};

class FreedesktopClassStore final : public FileClassStore {
public:
    // runTool runs a command (update-mime-database, update-desktop-database, xdg-mime), waits
    // for it and gives back its standard output; nothing when the tool is not installed.
    using ToolRunner = std::function<std::optional<std::string>(const std::vector<std::string>& command)>;
    FreedesktopClassStore(DesktopFolders folders, ToolRunner runTool);

    // After writing, the entry is read back as the desktop reads it and, where xdg-mime is
    // installed, the desktop is asked which program opens each kind: a failure is one.
    AssociationResult associate(AssociationSet kinds, const std::filesystem::path& program, bool force) override;
    // With a record: every file and folder back as it was before the first association, except a
    // file someone else changed since, from which only Quorvex's part is taken. Without one
    // (associations of an earlier version): Quorvex's files and lines.
    void removeAssociations() override;

    std::filesystem::path mimePackageFile() const;
    std::filesystem::path desktopFile() const;
    std::filesystem::path mimeAppsFile() const;
    std::filesystem::path iconFile(std::string_view iconName) const;

    // The desktop's files that associating touches, now.
    DesktopState currentState() const;

private:
    void refreshDatabases();
    std::string writeAssociations(AssociationSet kinds, AssociationSet defaults, const std::filesystem::path& program);
    void putBack(const DesktopState& state, const DesktopState& unlessChangedFrom);

    DesktopFolders folders_;
    ToolRunner runTool_;
};

} // namespace quorvex
