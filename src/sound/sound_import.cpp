#include "sound/sound_import.h"
#include "sound/sound_bank.h"

#include "codecs/codec_loader.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace quorvex {

namespace {

// The sound as mono floats (-1 to 1) at its own rate, mixed down as the mean of the channels.
std::vector<float> readMono(std::span<const std::uint8_t> bytes, int& rate)
{
    const auto& codecs = codecTable();
    codecs::SoundInfo info;
    std::string error;
    const std::unique_ptr<codecs::SoundReader, void (*)(codecs::SoundReader*)> sound(
        codecs.openSound(bytes.data(), bytes.size(), info, error), codecs.closeSound);
    if (!sound)
        throw SoundFileError(error);
    if (info.channels < 1 || info.rate <= 0)
        throw SoundFileError("No sound in this file");
    // libsamplerate converts between 1/256 and 256 times the rate; above 192000 a ten-minute
    // sound would hold gigabytes before it is resampled.
    constexpr int MaxRate = 192000;
    if (info.rate * 256.0 < SoundSampleRate || info.rate > MaxRate)
        throw SoundFileError(std::to_string(info.rate) + " samples per second can not be converted");
    rate = info.rate;
    const auto channels = static_cast<std::size_t>(info.channels);
    const std::uint64_t maxFrames = std::uint64_t{MaxImportSamples} * static_cast<std::uint64_t>(rate) / SoundSampleRate + 1;

    if (info.frames > 0 && static_cast<std::uint64_t>(info.frames) > maxFrames)
        throw SoundFileError("The sound is longer than ten minutes");
    std::vector<float> mono;
    std::vector<float> block(4096 * channels);
    for (;;) {
        const auto got = codecs.readSound(sound.get(), block.data(), 4096);
        if (got <= 0)
            break;
        if (mono.size() + static_cast<std::size_t>(got) > maxFrames)
            throw SoundFileError("The sound is longer than ten minutes");
        for (std::int64_t frame = 0; frame < got; ++frame) {
            double sum = 0;
            for (std::size_t c = 0; c < channels; ++c)
                sum += block[static_cast<std::size_t>(frame) * channels + c];
            mono.push_back(static_cast<float>(sum / static_cast<double>(channels)));
        }
    }
    if (!codecs.soundRead(sound.get(), error))
        throw SoundFileError(error);
    return mono;
}

std::vector<float> resampled(const std::vector<float>& input, int rate)
{
    if (rate == int(SoundSampleRate) || input.empty())
        return input;
    const double ratio = double(SoundSampleRate) / rate;
    std::vector<float> output(static_cast<std::size_t>(std::ceil(static_cast<double>(input.size()) * ratio)) + 16);
    long generated = 0;
    std::string error;
    if (!codecTable().resample(input.data(), static_cast<long>(input.size()), output.data(),
                               static_cast<long>(output.size()), ratio, generated, error))
        throw SoundFileError(error);
    output.resize(static_cast<std::size_t>(generated));
    return output;
}

// The inverse of the export rule: the WAV sample the value stands for, less 128.
std::uint8_t toBankSample(float value)
{
    const float scaled = std::isfinite(value) ? std::clamp(value * 128.0f, -128.0f, 127.0f) : 0.0f;
    return static_cast<std::uint8_t>(static_cast<std::int8_t>(std::lround(scaled)));
}

} // namespace

Bytes bankSamplesFromSoundFile(std::span<const std::uint8_t> file)
{
    if (file.empty())
        return {};
    int rate = 0;
    const auto original = readMono(file, rate);
    const auto mono = resampled(original, rate);
    if (mono.size() > MaxImportSamples)
        throw SoundFileError("The sound is longer than ten minutes");
    Bytes samples(mono.size());
    std::transform(mono.begin(), mono.end(), samples.begin(), toBankSample);
    return samples;
}

Bytes bankSamplesFromSoundFile(const std::filesystem::path& file)
{
    return bankSamplesFromSoundFile(readWholeFile(file));
}

} // namespace quorvex
