#include "formats/graphics_mod.h"
#include "gameexe/places.h"

#include <algorithm>
#include <cstring>

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

constexpr std::uint32_t bandsEnd()
{
    std::uint32_t end = ChrHeaderSize;
    for (const auto& band : Bands)
        end += band.rows * band.width;
    return end;
}
static_assert(bandsEnd() == ChrGraphicsEnd, "the picture holds .CHR bytes 10 to 35015");

constexpr std::uint8_t DefaultChrHeader[ChrHeaderSize] = {'T', 'O', 'R', 'L', 'O', 0, 2, 16, 16, 110};

// Picture rows are stored bottom-up: picture row 0 is the last row of the file.
constexpr std::size_t storedRow(std::uint32_t row)
{
    return places::BitmapPixelsAt + (GraphicsPictureHeight - 1 - row) * GraphicsPictureWidth;
}

// Calls move<Width>(picture offset, .CHR offset) for every row of every band. The width is a
// template argument so that each row moves as one small fixed-size copy, not a library call.
template <typename Move>
void forEachRow(Move move)
{
    std::size_t data = ChrHeaderSize;
    auto walk = [&]<std::uint32_t Width>(const Band& band) {
        for (std::uint32_t r = 0; r < band.rows; ++r, data += Width)
            move.template operator()<Width>(storedRow(band.firstRow + r) + band.firstColumn, data);
    };
    for (const auto& band : Bands) {
        switch (band.width) {
        case 16: walk.template operator()<16>(band); break;
        case 7: walk.template operator()<7>(band); break;
        case 4: walk.template operator()<4>(band); break;
        case 3: walk.template operator()<3>(band); break;
        }
    }
}

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
    forEachRow([&]<std::uint32_t Width>(std::size_t cell, std::size_t data) {
        std::memcpy(&picture[cell], &chr[data], Width);
    });
    return picture;
}

bool isGraphicsBitmapSize(std::uint64_t size)
{
    return size == GraphicsPictureSize || size == GraphicsPictureWithTailSize;
}

Bytes graphicsPictureToChr(std::span<const std::uint8_t> picture, std::span<const std::uint8_t> gameChr)
{
    Bytes chr(places::ChrMinimumSize, 0);
    if (gameChr.size() >= places::ChrMinimumSize) {
        std::memcpy(chr.data(), gameChr.data(), ChrHeaderSize);
        std::memcpy(chr.data() + ChrGraphicsEnd, gameChr.data() + ChrGraphicsEnd, places::ChrMinimumSize - ChrGraphicsEnd);
    } else {
        std::memcpy(chr.data(), DefaultChrHeader, ChrHeaderSize);
    }
    forEachRow([&]<std::uint32_t Width>(std::size_t cell, std::size_t data) {
        std::memcpy(&chr[data], &picture[cell], Width);
    });
    return chr;
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
