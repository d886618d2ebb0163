#pragma once
// "Convert": palettes, levels and graphics mods to bitmaps, and bitmaps back to game files.
#include "gameexe/workspace.h"
#include "shell/outcome.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace quorvex {

// The save dialog: filter in the "Caption|*.ext|..." form and the proposed name (the source's
// full path); nullopt when cancelled.
using TargetAsker = std::function<std::optional<std::filesystem::path>(const std::string& filter,
                                                                       const std::filesystem::path& proposed)>;

inline constexpr const char* BitmapTargetFilter = "BMP files|*.bmp|All files|*.*";
inline constexpr const char* AnyTargetFilter = "All files|*.*";
// The filter "Save palette" expects to find in the shared dialog after a conversion.
inline constexpr const char* PaletteSaveFilter = "ACT palettes|*.act|PAL palettes|*.pal|All palettes|*.pal; *.act|All files|*.*";

// Converts source by its upper-cased extension; the target is asked only once the source is
// known to be convertible (a bitmap source asks first). A name without a dot gets ".bmp" unless
// the source is a bitmap. Status text only, never a log entry. Nothing is written for a
// refusal, a cancelled dialog or a target that is the source itself; every target is written
// whole or not at all.
Outcome convertFile(const std::filesystem::path& source, const Workspace& workspace, const TargetAsker& askTarget,
                    bool createPowerlevel);

} // namespace quorvex
