#include "core/formats/palette.h"
#include "core/text/number_text.h"
#include "core/base/places.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace quorvex {

namespace {

bool isSeparator(char c)
{
    return c == ' ' || c == '#' || c == ',' || c == ';';
}

std::size_t skipSeparators(std::string_view line, std::size_t at)
{
    while (at < line.size() && isSeparator(line[at]))
        ++at;
    return at;
}

std::size_t wordEnd(std::string_view line, std::size_t at)
{
    while (at < line.size() && !isSeparator(line[at]))
        ++at;
    return at;
}

// Splits text into lines at CR LF, LF or a lone CR. Lines past the end read as empty.
class Lines {
public:
    explicit Lines(std::span<const std::uint8_t> bytes)
        : text_(reinterpret_cast<const char*>(bytes.data()), bytes.size()) {}

    std::string_view next()
    {
        if (at_ >= text_.size())
            return {};
        const auto end = text_.find_first_of("\r\n", at_);
        const auto line = text_.substr(at_, end == std::string_view::npos ? std::string_view::npos : end - at_);
        if (end == std::string_view::npos)
            at_ = text_.size();
        else
            at_ = end + (text_[end] == '\r' && end + 1 < text_.size() && text_[end + 1] == '\n' ? 2 : 1);
        return line;
    }

private:
    std::string_view text_;
    std::size_t at_ = 0;
};

// The pixels of the palette bitmap, bottom-up: stored row k is picture row 15 - k.
constexpr auto PaletteGrid = [] {
    std::array<std::uint8_t, 256> grid{};
    for (std::size_t stored = 0; stored < 16; ++stored)
        for (std::size_t column = 0; column < 16; ++column)
            grid[16 * stored + column] = static_cast<std::uint8_t>(16 * (15 - stored) + column);
    return grid;
}();

// One colour-table entry (blue, green, red, fourth) written as a single 32-bit store.
inline void putEntry(std::uint8_t* at, std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t fourth)
{
    static_assert(std::endian::native == std::endian::little);
    const std::uint32_t entry = blue | green << 8 | red << 16 | static_cast<std::uint32_t>(fourth) << 24;
    std::memcpy(at, &entry, 4);
}

constexpr std::string_view TextHeader[3] = {"JASC-PAL", "0100", "256"};

bool readHeader(Lines& lines)
{
    for (const auto expected : TextHeader)
        if (lines.next() != expected)
            return false;
    return true;
}

std::uint8_t colourValue(const std::string& word)
{
    return static_cast<std::uint8_t>(strToInt(word) & 0xFF);   // numbers are cut to 8 bits
}

} // namespace

Palette paletteFrom6Bit(std::span<const std::uint8_t> game6)
{
    Palette palette;
    for (std::size_t i = 0; i < palette.size(); ++i)
        palette[i] = {to8Bit(game6[3 * i]), to8Bit(game6[3 * i + 1]), to8Bit(game6[3 * i + 2])};
    return palette;
}

std::array<std::uint8_t, RawPaletteSize> paletteTo6Bit(const Palette& palette8)
{
    std::array<std::uint8_t, RawPaletteSize> game6{};
    for (std::size_t i = 0; i < palette8.size(); ++i) {
        game6[3 * i] = to6Bit(palette8[i].red);
        game6[3 * i + 1] = to6Bit(palette8[i].green);
        game6[3 * i + 2] = to6Bit(palette8[i].blue);
    }
    return game6;
}

Palette loadPalette(const Workspace& workspace)
{
    GameFile exe(workspace, workspace.torloExe(), GameFile::Access::ReadOnly);
    const auto game6 = exe.readAt(places::GamePalette, places::PaletteSize);
    return paletteFrom6Bit(game6);
}

std::string WordReader::first(std::string_view line)
{
    const auto start = skipSeparators(line, 0);
    taken_ = 1;
    return std::string(line.substr(start, wordEnd(line, start) - start));
}

std::string WordReader::next(std::string_view line)
{
    std::size_t at = 0;
    for (int word = 0; word < taken_; ++word) {
        at = skipSeparators(line, at);
        if (at < line.size() && line[at] == '"') {
            // A quoted word may hold separators; without its closing mark it runs to the end.
            const auto close = line.find('"', at + 1);
            at = close == std::string_view::npos ? line.size() : close;
        }
        at = wordEnd(line, at);
    }
    const auto start = skipSeparators(line, at);
    ++taken_;
    return std::string(line.substr(start, wordEnd(line, start) - start));
}

PaletteFile readRawPalette(std::span<const std::uint8_t> bytes)
{
    PaletteFile palette;
    for (std::size_t i = 0; i < 256; ++i) {
        palette.colours[i] = {bytes[3 * i], bytes[3 * i + 1], bytes[3 * i + 2]};
        palette.fourth[i] = static_cast<std::uint8_t>(i);
    }
    return palette;
}

PaletteFile readRiffPalette(std::span<const std::uint8_t> bytes)
{
    PaletteFile palette;
    const auto* entry = bytes.data() + RiffPaletteHeaderSize;
    for (std::size_t i = 0; i < 256; ++i, entry += 4) {
        palette.colours[i] = {entry[0], entry[1], entry[2]};
        palette.fourth[i] = entry[3];
    }
    return palette;
}

bool hasTextPaletteHeader(std::span<const std::uint8_t> bytes)
{
    Lines lines(bytes);
    return readHeader(lines);
}

std::optional<PaletteFile> readTextPalette(std::span<const std::uint8_t> bytes)
{
    Lines lines(bytes);
    if (!readHeader(lines))
        return std::nullopt;
    PaletteFile palette;
    WordReader words;
    for (std::size_t i = 0; i < 256; ++i) {
        const auto line = lines.next();
        const auto red = colourValue(words.first(line));
        const auto green = colourValue(words.next(line));
        const auto blue = colourValue(words.next(line));
        palette.colours[i] = {red, green, blue};
        palette.fourth[i] = static_cast<std::uint8_t>(i);
    }
    return palette;
}

Bytes buildPaletteBitmap(const PaletteFile& palette, const ResourceFile& resources)
{
    Bytes bitmap(PaletteBitmapSize);
    const auto header = resources.paletteHeader();
    std::memcpy(bitmap.data(), header.data(), header.size());
    auto* table = bitmap.data() + places::BitmapHeaderSize;
    for (std::size_t i = 0; i < 256; ++i)
        putEntry(table + 4 * i, palette.colours[i].red, palette.colours[i].green, palette.colours[i].blue, palette.fourth[i]);
    // Colour 0 at the top left.
    std::memcpy(bitmap.data() + places::BitmapPixelsAt, PaletteGrid.data(), PaletteGrid.size());
    return bitmap;
}

std::array<std::uint8_t, 1024> colourTableFrom6Bit(std::span<const std::uint8_t> game6)
{
    std::array<std::uint8_t, 1024> table;
    for (std::size_t i = 0; i < 256; ++i)
        putEntry(table.data() + 4 * i, to8Bit(game6[3 * i]), to8Bit(game6[3 * i + 1]), to8Bit(game6[3 * i + 2]),
                 static_cast<std::uint8_t>(i));
    return table;
}

Bytes rawPaletteFromGame(std::span<const std::uint8_t> game6)
{
    Bytes raw(RawPaletteSize);
    std::transform(game6.begin(), game6.begin() + RawPaletteSize, raw.begin(), to8Bit);
    return raw;
}

std::string textPaletteFromGame(std::span<const std::uint8_t> game6)
{
    std::string text;
    for (const auto line : TextHeader)
        text.append(line).append("\r\n");
    for (std::size_t i = 0; i < 256; ++i)
        text += std::to_string(to8Bit(game6[3 * i])) + ' ' + std::to_string(to8Bit(game6[3 * i + 1])) + ' '
                + std::to_string(to8Bit(game6[3 * i + 2])) + "\r\n";
    return text;
}

} // namespace quorvex
