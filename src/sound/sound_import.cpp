#include "sound/sound_import.h"
#include "sound/sound_bank.h"

#include <samplerate.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace quorvex {

namespace {

// libsndfile reads from memory through these callbacks.
struct MemoryFile {
    std::span<const std::uint8_t> bytes;
    sf_count_t position = 0;
};

sf_count_t memoryLength(void* data) { return static_cast<sf_count_t>(static_cast<MemoryFile*>(data)->bytes.size()); }

sf_count_t memorySeek(sf_count_t offset, int whence, void* data)
{
    auto* file = static_cast<MemoryFile*>(data);
    const auto size = static_cast<sf_count_t>(file->bytes.size());
    const sf_count_t base = whence == SEEK_CUR ? file->position : whence == SEEK_END ? size : 0;
    if (offset < -base || offset > size - base)
        return -1;
    file->position = base + offset;
    return file->position;
}

sf_count_t memoryRead(void* into, sf_count_t count, void* data)
{
    auto* file = static_cast<MemoryFile*>(data);
    const auto left = static_cast<sf_count_t>(file->bytes.size()) - file->position;
    const auto taken = std::clamp<sf_count_t>(count, 0, left);
    std::memcpy(into, file->bytes.data() + file->position, static_cast<std::size_t>(taken));
    file->position += taken;
    return taken;
}

sf_count_t memoryWrite(const void*, sf_count_t, void*) { return 0; }
sf_count_t memoryTell(void* data) { return static_cast<MemoryFile*>(data)->position; }

// The sound as mono floats (-1 to 1) at its own rate, mixed down as the mean of the channels.
std::vector<float> readMono(std::span<const std::uint8_t> bytes, int& rate)
{
    MemoryFile memory{bytes};
    SF_VIRTUAL_IO io{memoryLength, memorySeek, memoryRead, memoryWrite, memoryTell};
    SF_INFO info{};
    const std::unique_ptr<SNDFILE, int (*)(SNDFILE*)> sound(sf_open_virtual(&io, SFM_READ, &info, &memory), sf_close);
    if (!sound)
        throw SoundFileError(sf_strerror(nullptr));
    if (info.channels < 1 || info.samplerate <= 0)
        throw SoundFileError("No sound in this file");
    // libsamplerate converts between 1/256 and 256 times the rate; above 192000 a ten-minute
    // sound would hold gigabytes before it is resampled.
    constexpr int MaxRate = 192000;
    if (info.samplerate * 256.0 < SoundSampleRate || info.samplerate > MaxRate)
        throw SoundFileError(std::to_string(info.samplerate) + " samples per second can not be converted");
    rate = info.samplerate;
    const auto channels = static_cast<std::size_t>(info.channels);
    const std::uint64_t maxFrames = std::uint64_t{MaxImportSamples} * static_cast<std::uint64_t>(rate) / SoundSampleRate + 1;

    if (info.frames > 0 && static_cast<std::uint64_t>(info.frames) > maxFrames)
        throw SoundFileError("The sound is longer than ten minutes");
    std::vector<float> mono;
    std::vector<float> block(4096 * channels);
    for (;;) {
        const auto got = sf_readf_float(sound.get(), block.data(), 4096);
        if (got <= 0)
            break;
        if (mono.size() + static_cast<std::size_t>(got) > maxFrames)
            throw SoundFileError("The sound is longer than ten minutes");
        for (sf_count_t frame = 0; frame < got; ++frame) {
            double sum = 0;
            for (std::size_t c = 0; c < channels; ++c)
                sum += block[static_cast<std::size_t>(frame) * channels + c];
            mono.push_back(static_cast<float>(sum / static_cast<double>(channels)));
        }
    }
    if (sf_error(sound.get()) != SF_ERR_NO_ERROR)
        throw SoundFileError(sf_strerror(sound.get()));
    return mono;
}

std::vector<float> resampled(const std::vector<float>& input, int rate)
{
    if (rate == int(SoundSampleRate) || input.empty())
        return input;
    const double ratio = double(SoundSampleRate) / rate;
    std::vector<float> output(static_cast<std::size_t>(std::ceil(static_cast<double>(input.size()) * ratio)) + 16);
    SRC_DATA data{};
    data.data_in = input.data();
    data.input_frames = static_cast<long>(input.size());
    data.data_out = output.data();
    data.output_frames = static_cast<long>(output.size());
    data.src_ratio = ratio;
    if (const int error = src_simple(&data, SRC_SINC_BEST_QUALITY, 1))
        throw SoundFileError(src_strerror(error));
    output.resize(static_cast<std::size_t>(data.output_frames_gen));
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
