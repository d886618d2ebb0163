#pragma once
// The operations of the palette and material editor: save the materials and the working palette
// into torlo.exe, export the game palette, restore the default palette, and embed palette and
// materials into a level (powerlevel 2).
#include "core/gamefile/resource_file.h"
#include "core/base/workspace.h"
#include "core/palette/materials.h"
#include "core/base/outcome.h"

#include <filesystem>

namespace quorvex {

inline constexpr const char* PaletteExportFilter =
    "ACT palettes|*.act|PAL palettes|*.pal|All palettes|*.act;*.pal|All files|*.*";
inline constexpr const char* LevelFilter = "Torlo Levels|*.lev|All files|*.*";

// "Save Materials": the five bit sets, then the palette as value div 4. The caller reloads the
// working palette afterwards, so that every value becomes a multiple of 4.
Outcome saveMaterials(const Workspace& workspace, const Materials& materials, const Palette& palette);

// "Save palette": the palette stored in torlo.exe (not unsaved edits) to chosen: a raw palette
// for ".ACT" or no extension (".ACT" then appended), a text palette for ".PAL"; any other
// extension is refused and nothing is written.
Outcome exportGamePalette(const Workspace& workspace, const std::filesystem::path& chosen);

// "Reset palette": the default palette of quorvex.dat into torlo.exe. Nothing without a
// torlo.exe. The materials are not touched.
Outcome resetPalette(const Workspace& workspace);

// "Save to PL2" after Save Materials: a plain level becomes a powerlevel 2 with the game's
// palette and materials; a powerlevel keeps its palette and takes the materials. The level is
// replaced whole in one step; any other size is refused and nothing is written.
Outcome addMaterialsToLevel(const Workspace& workspace, const std::filesystem::path& level);
// The sizes "Save to PL2" accepts: the four level forms.
bool takesMaterials(std::uint64_t levelSize);

} // namespace quorvex
