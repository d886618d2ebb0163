// Sound files for import (whatever libsndfile reads): refused with a SoundFileError or taken as
// at most ten minutes of samples, which export and import back unchanged and, imported into
// the demo game's bank, change that entry only.
#include "fuzz_support.h"
#include "core/sound/sound_bank.h"
#include "core/sound/sound_import.h"

#include <algorithm>

using namespace quorvex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Bytes samples;
    try {
        samples = bankSamplesFromSoundFile(fuzz::bytesOf(data, size));
    } catch (const SoundFileError&) {
        return 0;
    }
    fuzz::check(samples.size() <= MaxImportSamples, "an import is at most ten minutes long");
    fuzz::check(bankSamplesFromSoundFile(soundToWav(samples)) == samples, "an import exports and imports back unchanged");

    static const auto game = SoundBank::load(fuzz::demoWorkspace().torloSnd());
    auto bank = game;
    const int entry = static_cast<int>(size % SoundCount);
    bank.replace(entry, samples);
    const auto saved = SoundBank::fromBytes(bank.rebuild());
    for (int i = 0; i < SoundCount; ++i) {
        const auto now = saved.samples(i);
        const auto expected = i == entry ? std::span<const std::uint8_t>(samples) : game.samples(i);
        fuzz::check(std::equal(now.begin(), now.end(), expected.begin(), expected.end()),
                    "an import changes its own entry only");
    }
    return 0;
}
