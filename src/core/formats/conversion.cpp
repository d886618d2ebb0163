#include "core/formats/conversion.h"
#include "core/os/files.h"
#include "core/base/extension.h"
#include "core/formats/file_formats.h"
#include "core/formats/graphics_mod.h"
#include "core/formats/level.h"
#include "core/formats/palette.h"
#include "core/gamefile/game_file.h"
#include "core/base/places.h"
#include "core/gamefile/resource_file.h"

#include <algorithm>

namespace fs = std::filesystem;

namespace quorvex {

namespace {

class Conversion {
public:
    Conversion(const fs::path& source, const Workspace& workspace, const TargetAsker& askTarget)
        : source_(source), workspace_(workspace), askTarget_(askTarget)
    {
    }

    // Asks for the target name, proposing the source's name with the target's extension
    // (".bmp", ".lev", ".chr") in the case of the source's own. False (with the outcome set)
    // when the conversion ends here.
    bool chooseTarget(bool bitmapSource, std::string_view targetExtension = ".bmp")
    {
        const auto sourceExtension = source_.extension().string();
        const bool upper = std::none_of(sourceExtension.begin(), sourceExtension.end(), [](char c) { return c >= 'a' && c <= 'z'; });
        auto proposed = source_;
        proposed.replace_extension(upper ? upperCase(targetExtension) : std::string(targetExtension));
        const auto chosen = askTarget_(bitmapSource ? AnyTargetFilter : BitmapTargetFilter, proposed);
        if (!chosen) {
            stop_ = Outcome::nothing("Conversion cancelled: no target chosen");
            return false;
        }
        target_ = *chosen;
        if (target_.filename().empty()) {
            stop_ = Outcome::refused("No target file name given");
            return false;
        }
        // A name typed without an extension becomes a bitmap; a bitmap's target is taken as typed.
        if (!bitmapSource && os::textOf(target_.filename()).find('.') == std::string::npos)
            target_ += ".bmp";
        std::error_code error;
        if (fs::equivalent(source_, target_, error)) {
            stop_ = Outcome::refused("Can not convert a file into itself; choose another target name");
            return false;
        }
        return true;
    }

    Outcome stopped() const { return stop_; }

    Outcome write(std::span<const std::uint8_t> bytes, const std::string& status) const
    {
        // The source stays, so the picture is not forced to the disk: a conversion costs a copy.
        writeFileAtomically(target_, bytes, Durability::Cached);
        return Outcome::done(status + inQuotes(target_)).changing(gamePartsIn(target_, workspace_.gameFolder));
    }

    ResourceFile resources() const { return ResourceFile(workspace_.resourceFile); }

private:
    const fs::path& source_;
    const Workspace& workspace_;
    const TargetAsker& askTarget_;
    fs::path target_;
    Outcome stop_;
};

// The bytes of the game's TORLO.CHR that a painted picture does not hold; empty when the game
// has no such file, so the standard header is used.
Bytes gameChrForInverse(const Workspace& workspace)
{
    const auto path = workspace.torloChr();
    std::error_code error;
    if (path.empty() || !fs::is_regular_file(path, error))
        return {};
    GameFile chr(path, GameFile::Access::ReadOnly);
    if (chr.size() < places::ChrMinimumSize)
        return {};
    return chr.read(places::ChrMinimumSize);
}

Bytes readPrefix(const fs::path& file, std::size_t count)
{
    GameFile source(file, GameFile::Access::ReadOnly);
    return source.read(count);
}

} // namespace

Outcome convertFile(const fs::path& source, const Workspace& workspace, const TargetAsker& askTarget,
                    bool createPowerlevel)
{
    const auto size = fileSize(source);
    const auto* format = fileFormatOf(os::textOf(source.extension()));
    const ConversionRequest request{source, size, workspace, askTarget, createPowerlevel};
    return (format && format->conversion ? format->conversion : refuseConversion)(request);
}

Outcome convertRawPalette(const ConversionRequest& request)
{
    const auto& [source, size, workspace, askTarget, createPowerlevel] = request;
    Conversion conversion(source, workspace, askTarget);
    if (size != RawPaletteSize)
        return Outcome::refused("Not a valid palette");
    if (!conversion.chooseTarget(false))
        return conversion.stopped();
    const auto bitmap = buildPaletteBitmap(readRawPalette(readPrefix(source, RawPaletteSize)), conversion.resources());
    return conversion.write(bitmap, "Palette converted to ");
}

Outcome convertLevel(const ConversionRequest& request)
{
    const auto& [source, size, workspace, askTarget, createPowerlevel] = request;
    Conversion conversion(source, workspace, askTarget);
    const auto form = levelForm(size);
    if (form == LevelForm::Plain || form == LevelForm::PlainWithTail) {
        if (!conversion.chooseTarget(false))
            return conversion.stopped();
        const auto resources = conversion.resources();
        const auto level = readPrefix(source, LevelPixelsSize);
        return conversion.write(levelToBitmap(level, resources.defaultColourTable(), resources), "Level converted to ");
    }
    if (form == LevelForm::Powerlevel) {
        const auto level = readPrefix(source, PowerlevelSize);
        if (!hasPowerlevelMarker(level))
            return Outcome::refused("This is not a powerlevel!");
        if (!conversion.chooseTarget(false))
            return conversion.stopped();
        const auto table = colourTableFrom6Bit(std::span(level).subspan(LevelPaletteAt, places::PaletteSize));
        return conversion.write(levelToBitmap(level, table, conversion.resources()), "Powerlevel converted to ");
    }
    return Outcome::nothing("A level of " + std::to_string(size) + " bytes is not converted: only plain levels ("
                            + std::to_string(LevelPixelsSize) + " or " + std::to_string(LevelWithTailSize)
                            + " bytes) and powerlevels (" + std::to_string(PowerlevelSize)
                            + " bytes) become bitmaps");
}

Outcome convertBitmap(const ConversionRequest& request)
{
    const auto& [source, size, workspace, askTarget, createPowerlevel] = request;
    Conversion conversion(source, workspace, askTarget);
    // The dialog comes first for bitmaps; nothing is written until the bitmap is known good.
    if (!conversion.chooseTarget(true, isGraphicsBitmapSize(size) ? ".chr" : ".lev"))
        return conversion.stopped();
    if (isLevelBitmapSize(size))
        return conversion.write(bitmapToLevel(readPrefix(source, LevelBitmapSize), createPowerlevel), "BMP converted to ");
    if (isGraphicsBitmapSize(size)) {
        const auto chr = graphicsPictureToChr(readPrefix(source, GraphicsPictureSize), gameChrForInverse(workspace));
        return conversion.write(chr, "BMP converted to ");
    }
    return Outcome::refused("Not a 504x350x256 BMP file");
}

Outcome convertGraphicsMod(const ConversionRequest& request)
{
    const auto& [source, size, workspace, askTarget, createPowerlevel] = request;
    Conversion conversion(source, workspace, askTarget);
    if (size < places::ChrMinimumSize)
        return Outcome::refused("Not a valid GFX Mod");
    if (!conversion.chooseTarget(false))
        return conversion.stopped();
    const auto picture = buildGraphicsPicture(readPrefix(source, places::ChrMinimumSize), conversion.resources());
    return conversion.write(picture, "Gfx mod converted to ");
}

Outcome convertPalPalette(const ConversionRequest& request)
{
    const auto& [source, size, workspace, askTarget, createPowerlevel] = request;
    Conversion conversion(source, workspace, askTarget);
    if (!conversion.chooseTarget(false))
        return conversion.stopped();
    if (size == RiffPaletteSize) {
        const auto bitmap = buildPaletteBitmap(readRiffPalette(readPrefix(source, RiffPaletteSize)), conversion.resources());
        return conversion.write(bitmap, "Palette converted to ");
    }
    // The whole palette is read before anything is written: a bad line leaves no target.
    const auto text = readTextPalette(readFileStart(source, TextPaletteMaxRead));
    if (!text)
        return Outcome::refused("Not a valid palette");
    return conversion.write(buildPaletteBitmap(*text, conversion.resources()), "Palette converted to ");
}

Outcome refuseConversion(const ConversionRequest&)
{
    return Outcome::refused("You can't convert this yet");
}

} // namespace quorvex
