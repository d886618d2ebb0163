// Palette files in their three forms, and the palette bitmap built from each; a palette written
// as text or raw reads back as it was.
#include "core/formats/palette.h"
#include "fuzz_support.h"
#include "core/base/errors.h"

using namespace quorvex;

namespace {

void checkBitmap(const PaletteFile& palette)
{
    const auto bitmap = buildPaletteBitmap(palette, fuzz::resources());
    fuzz::check(bitmap.size() == PaletteBitmapSize, "a palette bitmap is 1334 bytes");
    fuzz::check(bitmap[1078] == 240 && bitmap[1333] == 15, "the rows of the palette bitmap run bottom-up");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto input = fuzz::bytesOf(data, size);
    if (size >= RawPaletteSize) {
        const auto raw = readRawPalette(input);
        checkBitmap(raw);
        // The game's form and back: each value loses only its two low bits.
        const auto game = paletteTo6Bit(raw.colours);
        const auto again = paletteFrom6Bit(game);
        for (std::size_t i = 0; i < 256; ++i)
            fuzz::check(again[i].red == (raw.colours[i].red & 0xFC), "6-bit to 8-bit keeps the high bits");
        fuzz::check(readRawPalette(rawPaletteFromGame(game)).colours == again, "a raw export reads back");
        const auto text = textPaletteFromGame(game);
        const auto read = readTextPalette(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
        fuzz::check(read && read->colours == again, "a text export reads back");
    }
    if (size == RiffPaletteSize)
        checkBitmap(readRiffPalette(input));
    try {
        const bool header = hasTextPaletteHeader(input);
        const auto text = readTextPalette(input);
        fuzz::check(text.has_value() == header, "a text palette is one with the header");
        if (text)
            checkBitmap(*text);
    } catch (const ConvertError&) {
        // A colour line that is no number: refused with the conversion message.
    }
    // The word reader on the input as one line.
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    WordReader words;
    std::size_t taken = words.first(line).size();
    for (int i = 0; i < 8; ++i)
        taken += words.next(line).size();
    fuzz::check(taken <= size * 9, "words come from the line");
    return 0;
}
