#pragma once
// "Convert": palettes, levels and graphics mods to bitmaps, and bitmaps back to game files.
#include "core/base/target_asker.h"
#include "core/base/workspace.h"
#include "core/base/outcome.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace quorvex {


inline constexpr const char* BitmapTargetFilter = "BMP files|*.bmp|All files|*.*";
inline constexpr const char* AnyTargetFilter = "All files|*.*";
// The filter "Save palette" expects to find in the shared dialog after a conversion.
inline constexpr const char* PaletteSaveFilter = "ACT palettes|*.act|PAL palettes|*.pal|All palettes|*.pal; *.act|All files|*.*";

// Converts source by its extension, through the table of formats (core/formats/file_formats.h); the target is asked only once the source is
// known to be convertible (a bitmap source asks first). A name without a dot gets ".bmp" unless
// the source is a bitmap. Status text only, never a log entry. Nothing is written for a
// refusal, a cancelled dialog or a target that is the source itself; every target is written
// whole or not at all.
Outcome convertFile(const std::filesystem::path& source, const Workspace& workspace, const TargetAsker& askTarget,
                    bool createPowerlevel);

// What the conversion of one format is given, and its function as a row of the table of
// formats names it.
struct ConversionRequest {
    const std::filesystem::path& source;
    std::uint64_t size;
    const Workspace& workspace;
    const TargetAsker& askTarget;
    bool createPowerlevel;
};
using ConversionFunction = Outcome (*)(const ConversionRequest&);
Outcome convertLevel(const ConversionRequest& request);
Outcome convertBitmap(const ConversionRequest& request);
Outcome convertGraphicsMod(const ConversionRequest& request);
Outcome convertRawPalette(const ConversionRequest& request);
Outcome convertPalPalette(const ConversionRequest& request);
// "You can't convert this yet".
Outcome refuseConversion(const ConversionRequest& request);

} // namespace quorvex
