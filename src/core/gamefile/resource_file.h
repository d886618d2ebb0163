#pragma once
// quorvex.dat: the read-only resource that holds the three bitmap header templates and the
// game's default palette in 8-bit bitmap order.
#include "core/gamefile/game_file.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>

namespace quorvex {

struct Rgb {
    std::uint8_t red = 0, green = 0, blue = 0;
    bool operator==(const Rgb&) const = default;
};
using Palette = std::array<Rgb, 256>;

// The 54 header bytes of an uncompressed 8-bit, 256-colour bitmap of width by height pixels
// whose pixels start at offset 1078.
std::array<std::uint8_t, 54> bitmapHeaders(int width, int height);

// Builds the whole resource file from the default palette in the game's 6-bit form.
Bytes buildResourceFile(const Palette& defaultPalette6);

class ResourceFile {
public:
    // Reads quorvex.dat; a missing or short file raises the file error.
    explicit ResourceFile(const std::filesystem::path& path);

    std::span<const std::uint8_t> levelHeader() const;      // 54 bytes at 0
    std::span<const std::uint8_t> defaultColourTable() const;     // 1024 bytes at 54
    std::span<const std::uint8_t> paletteHeader() const;    // 54 bytes at 1078
    std::span<const std::uint8_t> graphicsHeader() const;   // 54 bytes at 1132
    Rgb defaultColour(int index) const;                     // 8-bit

private:
    Bytes bytes_;
};

// Looks for quorvex.dat beside the executable, then in the installed data folder.
std::filesystem::path locateResourceFile(const std::filesystem::path& programFolder);

} // namespace quorvex
