#include "core/formats/graphics_mod.h"
#include "core/base/places.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <utility>

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

constexpr std::uint8_t DefaultChrHeader[ChrHeaderSize] = {'T', 'O', 'R', 'L', 'O', 0, 2, 16, 16, 110};

// Picture rows are stored bottom-up: picture row 0 is the last row of the pixel block.
constexpr std::size_t storedRow(std::uint32_t row)
{
    return (GraphicsPictureHeight - 1 - row) * GraphicsPictureWidth;
}

// Band B from the .CHR bytes into the pixel block. Every picture row is written whole (the
// columns outside the band as 0), so the block needs no clearing first; with the band's shape
// known at compile time each row is a couple of register moves.
template <std::size_t B>
void bandToPicture(std::uint8_t* pixels, const std::uint8_t* data)
{
    constexpr Band band = Bands[B];
    std::uint8_t* row = pixels + storedRow(band.firstRow);
    for (std::uint32_t r = 0; r < band.rows; ++r, row -= GraphicsPictureWidth, data += band.width) {
        // Straight to memory: a row assembled on the stack would stall on reading it back.
        if constexpr (band.width < GraphicsPictureWidth)
            std::memset(row, 0, GraphicsPictureWidth);
        std::memcpy(row + band.firstColumn, data, band.width);
    }
}

template <std::size_t B>
void bandToChr(const std::uint8_t* pixels, std::uint8_t* data)
{
    constexpr Band band = Bands[B];
    const std::uint8_t* row = pixels + storedRow(band.firstRow) + band.firstColumn;
    for (std::uint32_t r = 0; r < band.rows; ++r, row -= GraphicsPictureWidth, data += band.width)
        std::memcpy(data, row, band.width);
}

// The .CHR offset of the first byte of band B.
template <std::size_t B>
constexpr std::size_t bandStart()
{
    std::size_t start = ChrHeaderSize;
    for (std::size_t b = 0; b < B; ++b)
        start += Bands[b].rows * Bands[b].width;
    return start;
}

static_assert(bandStart<std::size(Bands)>() == ChrGraphicsEnd, "the picture holds .CHR bytes 10 to 35015");

template <std::size_t... B>
void toPicture(std::uint8_t* pixels, const std::uint8_t* chr, std::index_sequence<B...>)
{
    (bandToPicture<B>(pixels, chr + bandStart<B>()), ...);
}

template <std::size_t... B>
void toChr(const std::uint8_t* pixels, std::uint8_t* chr, std::index_sequence<B...>)
{
    (bandToChr<B>(pixels, chr + bandStart<B>()), ...);
}

constexpr auto AllBands = std::make_index_sequence<std::size(Bands)>();

} // namespace

Bytes buildGraphicsPicture(std::span<const std::uint8_t> chr, const ResourceFile& resources)
{
    Bytes picture(GraphicsPictureSize);
    const auto header = resources.graphicsHeader();
    std::copy(header.begin(), header.end(), picture.begin());
    const std::uint8_t pink[4] = {PixelZeroColour.blue, PixelZeroColour.green, PixelZeroColour.red, 0};
    std::copy(std::begin(pink), std::end(pink), picture.begin() + places::DatDefaultPalette);
    const auto table = resources.defaultColourTable().subspan(4);
    std::copy(table.begin(), table.end(), picture.begin() + places::DatPaletteFrom1);
    auto* pixels = picture.data() + places::BitmapPixelsAt;
    toPicture(pixels, chr.data(), AllBands);
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
    const auto* pixels = picture.data() + places::BitmapPixelsAt;
    toChr(pixels, chr.data(), AllBands);
    return chr;
}

Outcome buildWeaponBitmap(const Workspace& workspace)
{
    GameFile chr(workspace, workspace.torloChr());
    if (chr.size() < places::ChrMinimumSize) {
        // An older weapon.bmp would show sprites that are not this game's.
        std::error_code error;
        std::filesystem::remove(workspace.weaponBitmap(), error);
        return Outcome::refused("A file could not be created. You will get errors when editing weapons");
    }
    const auto data = chr.read(places::ChrMinimumSize);
    const ResourceFile resources(workspace.resourceFile);
    // A working file, made again at each start and deleted at the end: no flush to the disk,
    // which would hold up the start-up after the first paint.
    writeFileAtomically(workspace.weaponBitmap(), buildGraphicsPicture(data, resources), Durability::Cached);
    return Outcome::done({});
}

} // namespace quorvex
