#include "formats/graphics_mod.h"
#include "gameexe/places.h"

#include <algorithm>

namespace quorvex {

namespace {

// Where each run of sprite bytes lands in the picture: rows, first column, bytes per row.
struct Band {
    std::uint32_t firstRow, rows, firstColumn, width;
};
constexpr Band Bands[] = {
    {0, 1760, 0, 16},     // sprite group 1
    {1760, 1, 3, 4},      // first separator row
    {1761, 909, 0, 7},    // sprite group 2
    {2670, 1, 1, 3},      // second separator row
    {2671, 119, 0, 4},    // sprite group 3
};
constexpr std::uint32_t ChrHeaderSize = 10;

} // namespace

Bytes buildGraphicsPicture(std::span<const std::uint8_t> chr, const ResourceFile& resources)
{
    Bytes picture(GraphicsPictureSize, 0);
    const auto header = resources.graphicsHeader();
    std::copy(header.begin(), header.end(), picture.begin());
    const std::uint8_t pink[4] = {128, 64, 255, 0};   // shows pixel value 0
    std::copy(std::begin(pink), std::end(pink), picture.begin() + places::DatDefaultPalette);
    const auto table = resources.defaultColourTable().subspan(4);
    std::copy(table.begin(), table.end(), picture.begin() + places::DatPaletteFrom1);

    std::size_t read = ChrHeaderSize;
    for (const auto& band : Bands) {
        for (std::uint32_t r = 0; r < band.rows; ++r) {
            const std::uint32_t row = band.firstRow + r;
            // Rows are stored bottom-up: picture row 0 is the last row of the file.
            auto* out = &picture[places::BitmapPixelsAt + (GraphicsPictureHeight - 1 - row) * GraphicsPictureWidth];
            std::copy_n(chr.begin() + read, band.width, out + band.firstColumn);
            read += band.width;
        }
    }
    return picture;
}

Outcome buildWeaponBitmap(const Workspace& workspace)
{
    GameFile chr(workspace.torloChr());
    if (chr.size() < places::ChrMinimumSize)
        return Outcome::refused("A file could not be created. You will get errors when editing weapons");
    const auto data = chr.read(places::ChrMinimumSize);
    const ResourceFile resources(workspace.resourceFile);
    writeFileAtomically(workspace.weaponBitmap(), buildGraphicsPicture(data, resources));
    return Outcome::done({});
}

} // namespace quorvex
