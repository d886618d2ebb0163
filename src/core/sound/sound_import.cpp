#include "core/sound/sound_import.h"
#include "core/sound/sound_bank.h"

#include "core/codecs/codec_loader.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace quorvex {

namespace {

// The inverse of the export rule: the WAV sample the value stands for, less 128.
std::uint8_t toBankSample(float value)
{
    const float scaled = std::isfinite(value) ? std::clamp(value * 128.0f, -128.0f, 127.0f) : 0.0f;
    return static_cast<std::uint8_t>(static_cast<std::int8_t>(std::lround(scaled)));
}

} // namespace

Bytes bankSamplesFromSoundFile(std::span<const std::uint8_t> file, const ImportProgress& progress)
{
    if (file.empty())
        return {};
    const auto& codecs = codecTable();
    codecs::SoundInfo info;
    const std::unique_ptr<codecs::SoundReader, void (*)(codecs::SoundReader*)> sound(
        codecs.openSound(file.data(), file.size(), info), codecs.closeSound);
    if (!sound)
        throw SoundFileError(codecs.lastError());
    if (info.channels < 1 || info.rate <= 0)
        throw SoundFileError("No sound in this file");
    // Between 1/256 and 256 times the bank's rate; above 192000 a ten-minute sound would be
    // gigabytes to read.
    constexpr int MaxRate = 192000;
    if (info.rate * 256.0 < SoundSampleRate || info.rate > MaxRate)
        throw SoundFileError(std::to_string(info.rate) + " samples per second can not be converted");
    const auto channels = static_cast<std::size_t>(info.channels);
    const std::uint64_t maxFrames =
        std::uint64_t{MaxImportSamples} * static_cast<std::uint64_t>(info.rate) / SoundSampleRate + 1;
    if (info.frames > 0 && static_cast<std::uint64_t>(info.frames) > maxFrames)
        throw SoundFileError("The sound is longer than ten minutes");

    std::unique_ptr<codecs::Resampler, void (*)(codecs::Resampler*)> resampler(nullptr, codecs.closeResampler);
    if (info.rate != int(SoundSampleRate)) {
        resampler.reset(codecs.openResampler(info.rate, SoundSampleRate));
        if (!resampler)
            throw SoundFileError(codecs.lastError());
    }
    // Block by block: read, mixed down to mono as the mean of the channels, resampled.
    constexpr std::int64_t BlockFrames = 16384;
    std::vector<float> block(BlockFrames * channels), mono(BlockFrames), bank;
    std::uint64_t read = 0;
    for (;;) {
        if (progress && !progress(info.frames > 0 ? static_cast<double>(read) / static_cast<double>(info.frames) : 0.0))
            throw ImportStopped();
        const auto got = codecs.readSound(sound.get(), block.data(), BlockFrames);
        if (got > 0 && (read += static_cast<std::uint64_t>(got)) > maxFrames)
            throw SoundFileError("The sound is longer than ten minutes");
        mono.resize(static_cast<std::size_t>(got));
        for (std::size_t frame = 0; frame < mono.size(); ++frame) {
            double sum = 0;
            for (std::size_t c = 0; c < channels; ++c)
                sum += block[frame * channels + c];
            mono[frame] = static_cast<float>(sum / static_cast<double>(channels));
        }
        if (!resampler) {
            bank.insert(bank.end(), mono.begin(), mono.end());
        } else {
            std::size_t made = 0;
            const float* given = codecs.resample(resampler.get(), mono.data(), mono.size(), made);
            if (!given)
                throw SoundFileError(codecs.lastError());
            bank.insert(bank.end(), given, given + made);
        }
        if (bank.size() > MaxImportSamples)
            throw SoundFileError("The sound is longer than ten minutes");
        if (got <= 0)
            break;
    }
    if (!codecs.soundRead(sound.get()))
        throw SoundFileError(codecs.lastError());
    Bytes samples(bank.size());
    std::transform(bank.begin(), bank.end(), samples.begin(), toBankSample);
    return samples;
}

Bytes bankSamplesFromSoundFile(const std::filesystem::path& file, const ImportProgress& progress)
{
    return bankSamplesFromSoundFile(readWholeFile(file), progress);
}

} // namespace quorvex
