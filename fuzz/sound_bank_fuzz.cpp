// Sound banks (TORLO.SND and .SND mods): every entry either refused or read within the bytes;
// the rebuild keeps every sample, the header and the tail, and reads back to itself; an import
// changes its own entry only; and every sample exported as WAV comes back byte for byte.
#include "fuzz_support.h"
#include "core/base/errors.h"
#include "core/base/places.h"
#include "core/sound/sound_bank.h"
#include "core/sound/sound_import.h"

#include <algorithm>

using namespace quorvex;

namespace {

bool inDirectoryNumbers(std::size_t at)
{
    if (at < places::SndSampleOffset)
        return false;
    const auto within = (at - places::SndSampleOffset) % places::SndEntrySize;
    return at < places::SndSampleOffset + places::SndEntrySize * SoundCount && within < 8;
}

std::vector<Bytes> allSamples(const SoundBank& bank)
{
    std::vector<Bytes> sounds;
    for (int i = 0; i < SoundCount; ++i) {
        const auto sound = bank.samples(i);
        sounds.emplace_back(sound.begin(), sound.end());
    }
    return sounds;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto input = fuzz::bytesOf(data, size);
    const auto bank = SoundBank::fromBytes(Bytes(input.begin(), input.end()));
    std::uint64_t total = 0;
    for (int i = 0; i < SoundCount; ++i) {
        const auto& entry = bank.entry(i);
        if (!entry.intact) {
            fuzz::check(bank.length(i) == 0, "a damaged entry has no length");
            bool refused = false;
            try {
                bank.samples(i);
            } catch (const FileError&) {
                refused = true;
            }
            fuzz::check(refused, "the samples of a damaged entry are refused");
            continue;
        }
        const auto sound = bank.samples(i);
        fuzz::check(sound.size() == entry.length && bank.length(i) == entry.length, "an entry holds its length");
        total += sound.size();
    }

    if (bank.firstDamaged()) {
        bool refused = false;
        try {
            bank.rebuild();
        } catch (const FileError&) {
            refused = true;
        }
        fuzz::check(refused, "a bank with a damaged entry is not rebuilt");
        return 0;
    }

    const auto before = allSamples(bank);
    const auto rebuilt = bank.rebuild();
    const auto again = SoundBank::fromBytes(rebuilt);
    fuzz::check(allSamples(again) == before, "the rebuilt bank holds every sample");
    fuzz::check(again.rebuild() == rebuilt, "a rebuilt bank rebuilds to itself");
    fuzz::check(rebuilt.size() >= total, "the rebuilt bank holds every sample's bytes");
    // The header keeps every byte but the directory's offsets and lengths.
    std::size_t dataStart = rebuilt.size();
    for (int i = 0; i < SoundCount; ++i)
        if (again.length(i) > 0)
            dataStart = std::min<std::size_t>(dataStart, again.entry(i).offset);
    for (std::size_t at = 0; at < std::min(dataStart, size); ++at)
        fuzz::check(rebuilt[at] == input[at] || inDirectoryNumbers(at), "the header is kept");
    // The bytes after the last sample (and after the directory) are kept at the end.
    std::size_t tail = 0;
    for (int i = 0; i < SoundCount; ++i)
        if (bank.length(i) > 0)
            tail = std::max<std::size_t>({tail, bank.entry(i).offset + bank.length(i), places::SndDirectory + places::SndEntrySize * SoundCount});
    if (tail > 0 && tail < size)
        fuzz::check(std::equal(input.begin() + static_cast<std::ptrdiff_t>(tail), input.end(),
                               rebuilt.end() - static_cast<std::ptrdiff_t>(size - tail)),
                    "the tail is kept");

    // An import into one entry: the others come back as they were.
    const int replaced = static_cast<int>(size % SoundCount);
    auto changed = SoundBank::fromBytes(rebuilt);
    Bytes imported(input.begin(), input.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(size, 997)));
    changed.replace(replaced, imported);
    auto expected = before;
    expected[static_cast<std::size_t>(replaced)] = imported;
    fuzz::check(allSamples(SoundBank::fromBytes(changed.rebuild())) == expected, "an import changes its own entry only");

    // Every bank byte exported and imported back gives the same byte.
    for (int i = 0; i < SoundCount; ++i)
        if (!before[static_cast<std::size_t>(i)].empty())
            fuzz::check(bankSamplesFromSoundFile(soundToWav(before[static_cast<std::size_t>(i)])) == before[static_cast<std::size_t>(i)],
                        "a sound exported as WAV imports back to the same samples");
    return 0;
}
