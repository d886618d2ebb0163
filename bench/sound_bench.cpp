// Exporting all 30 sounds of a bank as WAV files in memory beside a plain copy of the same
// sample bytes: the export's only work beyond the copy is the header and the byte rule.
#include "core/sound/sound_bank.h"
#include "demo_game.h"

#include <benchmark/benchmark.h>

using namespace quorvex;

namespace {

const SoundBank& demoBank()
{
    static const SoundBank bank = SoundBank::fromBytes(demo::torloSnd());
    return bank;
}

std::int64_t sampleBytes()
{
    std::int64_t total = 0;
    for (int i = 0; i < SoundCount; ++i)
        total += static_cast<std::int64_t>(demoBank().length(i));
    return total;
}

void PlainCopyOfAllSamples(benchmark::State& state)
{
    const auto& bank = demoBank();
    for (auto _ : state)
        for (int i = 0; i < SoundCount; ++i) {
            const auto samples = bank.samples(i);
            Bytes copy(samples.begin(), samples.end());
            benchmark::DoNotOptimize(copy.data());
            benchmark::ClobberMemory();
        }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * sampleBytes());
}
BENCHMARK(PlainCopyOfAllSamples);

void ExportAllSoundsAsWav(benchmark::State& state)
{
    const auto& bank = demoBank();
    for (auto _ : state)
        for (int i = 0; i < SoundCount; ++i) {
            auto wav = soundToWav(bank.samples(i));
            benchmark::DoNotOptimize(wav.data());
            benchmark::ClobberMemory();
        }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * sampleBytes());
}
BENCHMARK(ExportAllSoundsAsWav);

} // namespace

BENCHMARK_MAIN();
