#include "core/gamefile/resource_file.h"
#include "core/base/places.h"

#include <cstring>

namespace fs = std::filesystem;

namespace quorvex {

namespace {

void put16(std::uint8_t* at, std::uint16_t value)
{
    at[0] = value & 0xFF;
    at[1] = value >> 8;
}

void put32(std::uint8_t* at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = (value >> (8 * i)) & 0xFF;
}

} // namespace

std::array<std::uint8_t, 54> bitmapHeaders(int width, int height)
{
    std::array<std::uint8_t, 54> h{};
    const std::uint32_t pixelBytes = static_cast<std::uint32_t>(width * height);
    h[0] = 'B';
    h[1] = 'M';
    put32(&h[2], places::BitmapPixelsAt + pixelBytes);   // file size
    put32(&h[10], places::BitmapPixelsAt);               // pixel offset
    put32(&h[14], 40);                                   // information header size
    put32(&h[18], static_cast<std::uint32_t>(width));
    put32(&h[22], static_cast<std::uint32_t>(height));   // positive: bottom-up rows
    put16(&h[26], 1);                                    // planes
    put16(&h[28], 8);                                    // bits per pixel
    put32(&h[30], 0);                                    // uncompressed
    put32(&h[34], pixelBytes);
    put32(&h[38], 2835);                                 // 72 dpi
    put32(&h[42], 2835);
    put32(&h[46], 256);                                  // colours used
    put32(&h[50], 256);                                  // colours important
    return h;
}

Bytes buildResourceFile(const Palette& defaultPalette6)
{
    Bytes out(places::QuorvexDatSize);
    const auto level = bitmapHeaders(504, 350);
    std::memcpy(&out[places::DatLevelHeader], level.data(), level.size());
    for (int i = 0; i < 256; ++i) {
        auto* entry = &out[places::DatDefaultPalette + 4 * i];
        entry[0] = static_cast<std::uint8_t>(defaultPalette6[i].blue * 4);
        entry[1] = static_cast<std::uint8_t>(defaultPalette6[i].green * 4);
        entry[2] = static_cast<std::uint8_t>(defaultPalette6[i].red * 4);
        entry[3] = static_cast<std::uint8_t>(i);
    }
    const auto palette = bitmapHeaders(16, 16);
    std::memcpy(&out[places::DatPaletteHeader], palette.data(), palette.size());
    const auto graphics = bitmapHeaders(16, 2790);
    std::memcpy(&out[places::DatGraphicsHeader], graphics.data(), graphics.size());
    return out;
}

ResourceFile::ResourceFile(const fs::path& path)
{
    GameFile file(path, GameFile::Access::ReadOnly);
    bytes_ = file.read(places::QuorvexDatSize);
}

std::span<const std::uint8_t> ResourceFile::levelHeader() const
{
    return std::span(bytes_).subspan(places::DatLevelHeader, places::BitmapHeaderSize);
}

std::span<const std::uint8_t> ResourceFile::defaultColourTable() const
{
    return std::span(bytes_).subspan(places::DatDefaultPalette, places::BitmapColourTableSize);
}

std::span<const std::uint8_t> ResourceFile::paletteHeader() const
{
    return std::span(bytes_).subspan(places::DatPaletteHeader, places::BitmapHeaderSize);
}

std::span<const std::uint8_t> ResourceFile::graphicsHeader() const
{
    return std::span(bytes_).subspan(places::DatGraphicsHeader, places::BitmapHeaderSize);
}

Rgb ResourceFile::defaultColour(int index) const
{
    const auto* entry = &bytes_[places::DatDefaultPalette + 4 * (index & 0xFF)];
    return {entry[2], entry[1], entry[0]};
}

fs::path locateResourceFile(const fs::path& programFolder)
{
    const auto beside = programFolder / places::ResourceFileName;
    std::error_code error;
    if (fs::exists(beside, error))
        return beside;
    // An installed tree keeps it in share/quorvex beside bin/, wherever the tree was put.
    for (const auto& folder : {programFolder / ".." / "share" / "quorvex", fs::path(QUORVEX_DATA_INSTALL_DIR)}) {
        const auto installed = (folder / places::ResourceFileName).lexically_normal();
        if (fs::exists(installed, error))
            return installed;
    }
    return beside;
}

} // namespace quorvex
