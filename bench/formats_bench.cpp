// The format transforms beside a plain copy of the same number of bytes, in the same run, so
// that each can be read as a ratio: the goal is every transform within twice its copy.
#include "core/formats/graphics_mod.h"
#include "core/formats/level.h"
#include "core/formats/palette.h"
#include "demo_game.h"
#include "game_data.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace fs = std::filesystem;
using namespace quorvex;

namespace {

const ResourceFile& resources()
{
    static const ResourceFile file = [] {
        const auto path = fs::temp_directory_path() / "quorvex-bench.dat";
        writeFileAtomically(path, buildResourceFile(gamedata::defaultPalette6()));
        ResourceFile loaded(path);
        fs::remove(path);
        return loaded;
    }();
    return file;
}

Bytes numbered(std::size_t size)
{
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 31 + i / 509);
    return bytes;
}

// The baseline: a new buffer holding a copy of n bytes, as every transform returns one.
void PlainCopy(benchmark::State& state)
{
    const auto source = numbered(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        Bytes copy(source.begin(), source.end());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(PlainCopy)->Arg(LevelBitmapSize)->Arg(LevelPixelsSize)->Arg(PowerlevelSize)->Arg(GraphicsPictureSize)
    ->Arg(35028)->Arg(PaletteBitmapSize)->Arg(RawPaletteSize)->Arg(1024);

void LevelToBitmap(benchmark::State& state)
{
    const auto level = numbered(LevelPixelsSize);
    const auto table = resources().defaultColourTable();
    for (auto _ : state) {
        auto bitmap = levelToBitmap(level, table, resources());
        benchmark::DoNotOptimize(bitmap.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * LevelBitmapSize);
}
BENCHMARK(LevelToBitmap);

void BitmapToLevel(benchmark::State& state)
{
    const auto bitmap = numbered(LevelBitmapSize);
    const bool powerlevel = state.range(0) != 0;
    for (auto _ : state) {
        auto level = bitmapToLevel(bitmap, powerlevel);
        benchmark::DoNotOptimize(level.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * (powerlevel ? PowerlevelSize : LevelPixelsSize));
}
BENCHMARK(BitmapToLevel)->Arg(0)->Arg(1);

void GraphicsPicture(benchmark::State& state)
{
    const auto chr = demo::torloChr();
    for (auto _ : state) {
        auto picture = buildGraphicsPicture(chr, resources());
        benchmark::DoNotOptimize(picture.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * GraphicsPictureSize);
}
BENCHMARK(GraphicsPicture);

void GraphicsPictureToChr(benchmark::State& state)
{
    const auto chr = demo::torloChr();
    const auto picture = buildGraphicsPicture(chr, resources());
    for (auto _ : state) {
        auto back = graphicsPictureToChr(picture, chr);
        benchmark::DoNotOptimize(back.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 35028);
}
BENCHMARK(GraphicsPictureToChr);

void RawPaletteToBitmap(benchmark::State& state)
{
    const auto raw = numbered(RawPaletteSize);
    for (auto _ : state) {
        auto bitmap = buildPaletteBitmap(readRawPalette(raw), resources());
        benchmark::DoNotOptimize(bitmap.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * PaletteBitmapSize);
}
BENCHMARK(RawPaletteToBitmap);

void GamePaletteToColourTable(benchmark::State& state)
{
    const auto game6 = numbered(RawPaletteSize);
    for (auto _ : state) {
        auto table = colourTableFrom6Bit(game6);
        benchmark::DoNotOptimize(table.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 1024);
}
BENCHMARK(GamePaletteToColourTable);

void PaletteTo6Bit(benchmark::State& state)
{
    const auto palette = paletteFrom6Bit(numbered(RawPaletteSize));
    for (auto _ : state) {
        auto game6 = paletteTo6Bit(palette);
        benchmark::DoNotOptimize(game6.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * RawPaletteSize);
}
BENCHMARK(PaletteTo6Bit);

void PaletteFrom6Bit(benchmark::State& state)
{
    const auto game6 = numbered(RawPaletteSize);
    for (auto _ : state) {
        auto palette = paletteFrom6Bit(game6);
        benchmark::DoNotOptimize(palette.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * RawPaletteSize);
}
BENCHMARK(PaletteFrom6Bit);

// Text palettes are parsed number by number; shown for scale, not held to the copy goal.
void TextPaletteRead(benchmark::State& state)
{
    const auto text = textPaletteFromGame(numbered(RawPaletteSize));
    const Bytes bytes(text.begin(), text.end());
    for (auto _ : state) {
        auto palette = readTextPalette(bytes);
        benchmark::DoNotOptimize(palette->colours.data());
    }
    state.SetLabel(std::to_string(bytes.size()) + " bytes");
}
BENCHMARK(TextPaletteRead);

} // namespace

BENCHMARK_MAIN();
