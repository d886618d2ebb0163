#pragma once
// "Activate": installs the selected mod file into the game.
#include "gameexe/workspace.h"
#include "shell/outcome.h"
#include "shell/services.h"
#include "weapons/plugin.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
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
};

// Dispatches on the upper-cased extension: .LEV, .CHR, .SND, .ACT, .LPL, .PAL, .LWP. browsedFolder
// is the folder the browser shows (a level from elsewhere is copied into the game folder).
// Successes carry the status text and the log message; .LFT and unknown kinds do nothing.
// A translation (.LLF) asks through ask before it writes.
// A weapon plugin works on pages (the weapon table and the selected rows, changed in place);
// without them it reads the weapons from torlo.exe and starts on the first row of each list.
Activation activateFile(const std::filesystem::path& file, const std::filesystem::path& browsedFolder,
                        const Workspace& workspace, const Asker& ask, PluginPages* pages = nullptr);

// The 8.3 name the game loads for a level file: the name less its last four characters, longer
// than 8 cut to 6 + "~1", letters a to z in upper case.
std::string levelNameFor(const std::filesystem::path& file);

// The level name that torlo.dat holds: its length byte (at most 8 characters are taken) and
// characters; empty for a file too short to hold one.
std::string levelNameIn(std::span<const std::uint8_t> dat);
} // namespace quorvex
