#pragma once
// "Activate": installs the selected mod file into the game.
#include "core/base/workspace.h"
#include "core/base/outcome.h"
#include "core/base/services.h"
#include "core/weapons/plugin.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quorvex {

struct Activation {
    Activation(Outcome done, bool palette = false, bool materials = false)
        : outcome(std::move(done)), paletteChanged(palette), materialsChanged(materials) {}
    Outcome outcome;
    bool paletteChanged = false;   // the caller reloads the working palette (loadPalette)
    bool materialsChanged = false; // and the materials (a powerlevel 2)
    std::vector<Outcome> earlier;  // reported before outcome: the saves that a weapon plugin ran
    PluginWrites pluginWrote;      // the tables that a weapon plugin wrote
    std::vector<PluginSet> pluginSet;   // and the keys its records set
};

// Dispatches on the extension through the table of formats (core/formats/file_formats.h). browsedFolder
// is the folder the browser shows (a level from elsewhere is copied into the game folder).
// Successes carry the status text and the log message; formats without an activation do nothing.
// A translation (.LLF) asks through ask before it writes.
// A weapon plugin works on pages (the weapon table and the selected rows, changed in place);
// without them it reads the weapons from torlo.exe and starts on the first row of each list.
Activation activateFile(const std::filesystem::path& file, const std::filesystem::path& browsedFolder,
                        const Workspace& workspace, const Asker& ask, PluginPages* pages = nullptr);

// What the activation of one format is given, and its function as a row of the table of
// formats names it. The parts it reports are cut to the row's.
struct ActivationRequest {
    const std::filesystem::path& file;
    std::string path;   // the file's absolute path, as the log names it
    const std::filesystem::path& browsedFolder;
    const Workspace& workspace;
    const Asker& ask;
    PluginPages* pages;
};
using ActivationFunction = Activation (*)(const ActivationRequest&);
Activation activateLevel(const ActivationRequest& request);
Activation activateGraphicsMod(const ActivationRequest& request);
Activation activateSoundMod(const ActivationRequest& request);
Activation activateRawPalette(const ActivationRequest& request);
Activation activatePalPalette(const ActivationRequest& request);
Activation activateWeaponPlugin(const ActivationRequest& request);
Activation activateTranslation(const ActivationRequest& request);

// A level's file name less its last four characters (".LEV").
std::string levelStem(const std::filesystem::path& file);

// Whether the game can load a level by this name as it is: 1 to 8 of the letters A-Z (any
// case), digits and _-!#$%&'()@^{}. Never a "~": DOSBox gives the long-named files of a folder
// names of the form MYLONG~1 itself, and a file of ours by such a name would stand for another.
bool isDosName(std::string_view name);

// The DOS name a level of a long (or otherwise invalid) name is installed under: its valid
// characters in upper case, cut to 8; when taken(name) says another file holds that name, it
// ends in a number instead of its last characters, MYLONGL2 ... MYLONGL9, MYLONG10 ... (the first
// free one). Empty when every name is taken.
std::string dosLevelName(std::string_view stem, const std::function<bool(const std::string&)>& taken);

// The level name that torlo.dat holds: its length byte (at most 8 characters are taken) and
// characters; empty for a file too short to hold one.
std::string levelNameIn(std::span<const std::uint8_t> dat);
// The files a profile holds (core/store/profiles.h): the game's four, the active level when it
// lies in the game folder, and the game's mod list.
std::vector<std::filesystem::path> profileFiles(const Workspace& workspace);
} // namespace quorvex
