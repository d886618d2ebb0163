#pragma once
// "Activate": installs the selected mod file into the game.
#include "gameexe/workspace.h"
#include "shell/outcome.h"
#include "shell/services.h"

#include <filesystem>

namespace quorvex {

struct Activation {
    Outcome outcome;
    bool paletteChanged = false;   // the caller reloads the working palette (loadPalette)
    bool materialsChanged = false; // and the materials (a powerlevel 2)
};

// Dispatches on the upper-cased extension: .LEV, .CHR, .SND, .ACT, .LPL, .PAL. browsedFolder is
// the folder the browser shows (a level from elsewhere is copied into the game folder).
// Successes carry the status text and the log message; .LFT and unknown kinds do nothing.
Activation activateFile(const std::filesystem::path& file, const std::filesystem::path& browsedFolder,
                        const Workspace& workspace, const Asker& ask);

// The 8.3 name the game loads for a level file: the name less its last four characters, longer
// than 8 cut to 6 + "~1", letters a to z in upper case.
std::string levelNameFor(const std::filesystem::path& file);

} // namespace quorvex
