#pragma once
// Palettes: the game's 6-bit palette in torlo.exe, the 8-bit working palette, the palette files
// players exchange (raw .ACT/.LPL, text and RIFF .PAL) and the 16x16 palette bitmap.
#include "core/gamefile/game_file.h"
#include "core/gamefile/resource_file.h"
#include "core/base/workspace.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace quorvex {

inline constexpr std::size_t RawPaletteSize = 768;
inline constexpr std::size_t RiffPaletteSize = 1048;
inline constexpr std::size_t RiffPaletteHeaderSize = 24;
inline constexpr std::size_t PaletteBitmapSize = 1334;
// Three header lines and 256 colour lines: far less than this, so a reader never needs more of
// a text palette however large the file is.
inline constexpr std::size_t TextPaletteMaxRead = 1 << 20;

// The only two value rules: 6-bit to 8-bit is times 4 (63 -> 252); 8-bit to 6-bit drops the two
// low bits (255 -> 63).
constexpr std::uint8_t to8Bit(std::uint8_t value6) { return static_cast<std::uint8_t>(value6 << 2); }
constexpr std::uint8_t to6Bit(std::uint8_t value8) { return static_cast<std::uint8_t>(value8 >> 2); }

// 768 bytes of red, green, blue in the game's 6-bit form to an 8-bit palette, and back.
Palette paletteFrom6Bit(std::span<const std::uint8_t> game6);
std::array<std::uint8_t, RawPaletteSize> paletteTo6Bit(const Palette& palette8);

// The working palette: the game palette of torlo.exe in 8-bit form. A missing or short
// torlo.exe raises the file error.
Palette loadPalette(const Workspace& workspace);

// Splits a line into words at space, "#", "," and ";". next() steps over the words already
// taken; a word that starts with a double quotation mark may hold separators up to the closing
// mark there. Past the last word both give an empty word.
class WordReader {
public:
    std::string first(std::string_view line);
    std::string next(std::string_view line);

private:
    int taken_ = 0;
};

// A palette read from a file: 256 colours in 8-bit form, each with the fourth byte that its
// colour-table entry gets in a bitmap (the index for raw and text palettes, the flags byte of
// a RIFF palette).
struct PaletteFile {
    Palette colours{};
    std::array<std::uint8_t, 256> fourth{};
};

// Raw palette: the first 768 bytes as red, green, blue. The caller checks the size.
PaletteFile readRawPalette(std::span<const std::uint8_t> bytes);
// RIFF palette: 24 header bytes skipped, then red, green, blue, flags. The caller checks that
// the file is 1048 bytes long.
PaletteFile readRiffPalette(std::span<const std::uint8_t> bytes);
// True when the first three lines are exactly "JASC-PAL", "0100" and "256".
bool hasTextPaletteHeader(std::span<const std::uint8_t> bytes);
// Text palette: nullopt when the header is wrong; a colour line whose word is no number (or a
// missing line, which reads as an empty word) raises ConvertError. Numbers are cut to 8 bits.
std::optional<PaletteFile> readTextPalette(std::span<const std::uint8_t> bytes);

// The 1334-byte 16x16 palette bitmap: colour 0 at the top left, 255 at the bottom right.
Bytes buildPaletteBitmap(const PaletteFile& palette, const ResourceFile& resources);

// A bitmap colour table (1024 bytes: blue, green, red, index) from a 6-bit game-form palette.
std::array<std::uint8_t, 1024> colourTableFrom6Bit(std::span<const std::uint8_t> game6);

// Export of the game palette: a raw palette (768 bytes, 8-bit) and a text palette (CRLF lines).
Bytes rawPaletteFromGame(std::span<const std::uint8_t> game6);
std::string textPaletteFromGame(std::span<const std::uint8_t> game6);

} // namespace quorvex
