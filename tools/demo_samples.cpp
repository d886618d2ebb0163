#include "demo_game.h"
#include "core/formats/graphics_mod.h"
#include "core/formats/level.h"
#include "core/formats/palette.h"
#include "game_data.h"
#include "core/base/places.h"
#include "core/sound/sound_bank.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string>

namespace fs = std::filesystem;

namespace quorvex::demo {

namespace {

// Colours of the default palette by material (data/default-materials.txt).
constexpr std::uint8_t Sky = 130;            // background, light blue
constexpr std::uint8_t GrassFirst = 94;      // green dirt 94..97
constexpr std::uint8_t DirtFirst = 12;       // brown dirt 12..18
constexpr std::uint8_t RockFirst = 19;       // rock 19..29, dark to light grey
constexpr std::uint8_t CaveFirst = 164;      // background 164..167, dug-out earth

std::uint32_t hash(std::uint32_t x, std::uint32_t y, std::uint32_t seed)
{
    std::uint32_t h = x * 374761393u + y * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

struct Shape {
    double x, y, rx, ry;
    double distance(double px, double py) const
    {
        const double dx = (px - x) / rx, dy = (py - y) / ry;
        return std::sqrt(dx * dx + dy * dy);
    }
};

// A 504x350 landscape: sky, a grassy ridge, textured dirt, grey boulders, dug-out caves and a
// rock floor, drawn with the default palette's colours so that every material fits its colour.
Bytes drawLevel(std::uint32_t seed)
{
    Bytes pixels(LevelPixelsSize);
    const double phase = seed * 1.7;
    const Shape boulders[] = {{90.0 + seed * 13, 230, 28, 20}, {300, 190.0 + seed * 7, 36, 26}, {440, 280, 30, 24},
                              {200, 300, 44, 18}};
    const Shape caves[] = {{150, 250.0 - seed * 5, 50, 22}, {360.0 - seed * 11, 260, 40, 18}, {260, 215, 24, 12}};
    double ground[LevelWidth];
    for (std::uint32_t x = 0; x < LevelWidth; ++x)
        ground[x] = 125 + 38 * std::sin(x / 61.0 + phase) + 14 * std::sin(x / 19.0 + 2 * phase);
    for (std::uint32_t y = 0; y < LevelHeight; ++y) {
        for (std::uint32_t x = 0; x < LevelWidth; ++x) {
            const auto noise = hash(x, y, seed);
            std::uint8_t colour;
            if (y < ground[x]) {
                colour = Sky;
            } else if (y < ground[x] + 5) {
                colour = static_cast<std::uint8_t>(GrassFirst + noise % 4);
            } else if (y >= LevelHeight - 12 + noise % 5) {
                colour = static_cast<std::uint8_t>(RockFirst + noise % 4);   // dark bedrock
            } else {
                colour = static_cast<std::uint8_t>(DirtFirst + (noise % 7 + (y / 40) % 2) % 7);
                for (const auto& rock : boulders)
                    if (const double d = rock.distance(x, y); d < 1)
                        colour = static_cast<std::uint8_t>(RockFirst + 10 - std::min(10.0, d * 8 + noise % 3));
                for (const auto& cave : caves)
                    if (cave.distance(x, y) < 1)
                        colour = static_cast<std::uint8_t>(CaveFirst + noise % 4);
            }
            pixels[y * LevelWidth + x] = colour;
        }
    }
    return pixels;
}

void append(Bytes& bytes, std::span<const std::uint8_t> more)
{
    bytes.insert(bytes.end(), more.begin(), more.end());
}

void append(Bytes& bytes, std::string_view text)
{
    bytes.insert(bytes.end(), text.begin(), text.end());
}

std::array<std::uint8_t, places::PaletteSize> gamePalette6(const Palette& palette)
{
    std::array<std::uint8_t, places::PaletteSize> bytes{};
    for (std::size_t i = 0; i < 256; ++i) {
        bytes[3 * i] = palette[i].red;
        bytes[3 * i + 1] = palette[i].green;
        bytes[3 * i + 2] = palette[i].blue;
    }
    return bytes;
}

// The default palette at dusk: an orange sky and warmer earth (6-bit values).
Palette sunsetPalette6()
{
    auto palette = gamedata::defaultPalette6();
    palette[Sky] = {58, 30, 14};
    for (int i = 0; i < 7; ++i)
        palette[DirtFirst + i] = {static_cast<std::uint8_t>(26 + 2 * i), static_cast<std::uint8_t>(12 + i), 8};
    return palette;
}

// A palette in 8-bit form drawn from the default palette by a colour rule.
template <typename Rule>
Palette variedPalette8(Rule rule)
{
    auto palette = gamedata::defaultPalette6();
    for (auto& colour : palette)
        colour = rule(Rgb{to8Bit(colour.red), to8Bit(colour.green), to8Bit(colour.blue)});
    return palette;
}

Bytes rawPalette(const Palette& palette8)
{
    Bytes bytes;
    for (const auto& c : palette8)
        bytes.insert(bytes.end(), {c.red, c.green, c.blue});
    return bytes;
}

Bytes textPalette(const Palette& palette8)
{
    Bytes bytes;
    append(bytes, "JASC-PAL\r\n0100\r\n256\r\n");
    for (const auto& c : palette8)
        append(bytes, std::to_string(c.red) + " " + std::to_string(c.green) + " " + std::to_string(c.blue) + "\r\n");
    return bytes;
}

Bytes riffPalette(const Palette& palette8)
{
    Bytes bytes;
    auto put32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    append(bytes, "RIFF");
    put32(RiffPaletteSize - 8);
    append(bytes, "PAL data");
    put32(4 + 4 * 256);
    bytes.insert(bytes.end(), {0x00, 0x03, 0x00, 0x01});   // version 3.0, 256 entries
    for (const auto& c : palette8)
        bytes.insert(bytes.end(), {c.red, c.green, c.blue, 0});
    return bytes;
}

Bytes levelBitmap(std::span<const std::uint8_t> pixels)
{
    Bytes bytes;
    append(bytes, bitmapHeaders(LevelWidth, LevelHeight));
    append(bytes, colourTableFrom6Bit(gamePalette6(gamedata::defaultPalette6())));
    for (std::uint32_t row = LevelHeight; row-- > 0;)
        append(bytes, pixels.subspan(row * LevelWidth, LevelWidth));
    return bytes;
}

// The game's sprites in other colours: every drawn pixel moves on by 8 colours.
Bytes recolouredChr()
{
    auto chr = torloChr();
    for (std::size_t i = ChrHeaderSize; i < ChrGraphicsEnd; ++i)
        if (chr[i] != 0)
            chr[i] = static_cast<std::uint8_t>(chr[i] + 8);
    return chr;
}

// The game's sounds, louder and clipped: a crunchier bank of the same layout.
Bytes crunchySnd()
{
    auto bank = torloSnd();
    const std::size_t samples = places::SndDirectory + places::SndEntrySize * bank[0];
    for (std::size_t i = samples; i < bank.size(); ++i) {
        const int loud = static_cast<std::int8_t>(bank[i]) * 3;
        bank[i] = static_cast<std::uint8_t>(static_cast<std::int8_t>(std::clamp(loud, -127, 127)));
    }
    return bank;
}

// Plain writes: the samples go into a fresh folder, and tests build many demo games, so the
// flush to disk that the program's own saves make would only slow them down.
void write(const fs::path& folder, const char* name, std::span<const std::uint8_t> bytes)
{
    std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush())
        throw std::runtime_error("cannot write " + (folder / name).string());
}

} // namespace

void writeSamples(const fs::path& modsFolder)
{
    // Levels in each of the four forms, and a level bitmap to paint.
    write(modsFolder, "MEADOW.LEV", drawLevel(1));
    auto withTail = drawLevel(2);
    withTail.insert(withTail.end(), {0x1A, 0x00});
    write(modsFolder, "CANYON.LEV", withTail);

    auto sunset = drawLevel(3);
    append(sunset, "POWERLEVEL");
    append(sunset, gamePalette6(sunsetPalette6()));
    write(modsFolder, "SUNSET.LEV", sunset);

    auto mossy = drawLevel(4);
    append(mossy, "POWERLEVL2");
    auto mossyPalette = gamedata::defaultPalette6();
    for (int i = 0; i < 4; ++i)
        mossyPalette[GrassFirst + i] = {8, static_cast<std::uint8_t>(40 + 4 * i), 8};
    append(mossy, gamePalette6(mossyPalette));
    append(mossy, gamedata::defaultMaterials());
    write(modsFolder, "MOSSYPL2.LEV", mossy);

    write(modsFolder, "ISLANDS.BMP", levelBitmap(drawLevel(5)));

    // Palettes: raw (.ACT and .LPL), text and RIFF .PAL.
    write(modsFolder, "PASTEL.ACT", rawPalette(variedPalette8([](Rgb c) {
              return Rgb{static_cast<std::uint8_t>((c.red + 255) / 2), static_cast<std::uint8_t>((c.green + 255) / 2),
                         static_cast<std::uint8_t>((c.blue + 255) / 2)};
          })));
    write(modsFolder, "NIGHT.LPL", rawPalette(variedPalette8([](Rgb c) {
              return Rgb{static_cast<std::uint8_t>(c.red / 3), static_cast<std::uint8_t>(c.green / 3),
                         static_cast<std::uint8_t>(std::min(255, c.blue / 2 + 40))};
          })));
    write(modsFolder, "WARM.PAL", textPalette(variedPalette8([](Rgb c) {
              return Rgb{static_cast<std::uint8_t>(std::min(255, c.red + 40)), c.green, static_cast<std::uint8_t>(c.blue * 3 / 4)};
          })));
    write(modsFolder, "COOL.PAL", riffPalette(variedPalette8([](Rgb c) {
              return Rgb{static_cast<std::uint8_t>(c.red * 3 / 4), c.green, static_cast<std::uint8_t>(std::min(255, c.blue + 40))};
          })));

    // A graphics mod and a sound mod.
    write(modsFolder, "NEONGFX.CHR", recolouredChr());
    write(modsFolder, "CRUNCHY.SND", crunchySnd());
    // A sound file to import into the bank: one of the game's voices, as the sound page exports it.
    write(modsFolder, "VOICE.WAV", soundToWav(SoundBank::fromBytes(torloSnd()).samples(20)));
}

} // namespace quorvex::demo
