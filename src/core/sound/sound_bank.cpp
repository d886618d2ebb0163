#include "core/sound/sound_bank.h"
#include "core/base/errors.h"
#include "core/base/places.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

namespace quorvex {

namespace {

constexpr std::uint32_t DirectoryEnd = places::SndDirectory + places::SndEntrySize * SoundCount;
constexpr std::uint32_t WavHeaderSize = 44;

std::uint32_t get32(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) | (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
}

void put32(std::uint8_t* at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::size_t recordEnd(int index)
{
    return places::SndSampleLength + places::SndEntrySize * static_cast<std::size_t>(index) + 4;
}

} // namespace

SoundBank SoundBank::fromBytes(Bytes bytes)
{
    SoundBank bank;
    bank.bytes_ = std::move(bytes);
    const std::uint64_t size = bank.bytes_.size();
    for (int i = 0; i < SoundCount; ++i) {
        auto& entry = bank.entries_[static_cast<std::size_t>(i)];
        if (recordEnd(i) > size)
            continue;   // the directory itself is cut short
        const std::size_t step = places::SndEntrySize * static_cast<std::size_t>(i);
        entry.offset = get32(bank.bytes_, places::SndSampleOffset + step);
        entry.length = get32(bank.bytes_, places::SndSampleLength + step);
        entry.intact = entry.length == 0 || std::uint64_t{entry.offset} + entry.length <= size;
    }
    return bank;
}

SoundBank SoundBank::load(const std::filesystem::path& file, const HeldFiles* held)
{
    return fromBytes(readWholeFile(file, held));
}

std::span<const std::uint8_t> SoundBank::samples(int index) const
{
    const auto at = static_cast<std::size_t>(index);
    if (imports_.at(at))
        return *imports_[at];
    const auto& found = entries_.at(at);
    if (!found.intact)
        throw FileError::beyondEnd();
    if (found.length == 0)
        return {};
    return std::span<const std::uint8_t>(bytes_).subspan(found.offset, found.length);
}

std::size_t SoundBank::length(int index) const
{
    const auto at = static_cast<std::size_t>(index);
    if (imports_.at(at))
        return imports_[at]->size();
    return entries_[at].intact ? entries_[at].length : 0;
}

void SoundBank::replace(int index, Bytes samples)
{
    imports_.at(static_cast<std::size_t>(index)) = std::move(samples);
}

bool SoundBank::anyChanged() const
{
    return std::any_of(imports_.begin(), imports_.end(), [](const auto& import) { return import.has_value(); });
}

std::optional<int> SoundBank::firstDamaged() const
{
    for (int i = 0; i < SoundCount; ++i)
        if (!changed(i) && !entries_[static_cast<std::size_t>(i)].intact)
            return i;
    return std::nullopt;
}

Bytes SoundBank::rebuild() const
{
    if (firstDamaged())
        throw FileError::beyondEnd();
    // The samples of the file as read span [dataStart, dataEnd); what lies before (header and
    // directory) and after is kept as it is.
    std::uint64_t dataStart = bytes_.size(), dataEnd = 0;
    for (const auto& entry : entries_)
        if (entry.intact && entry.length > 0) {
            dataStart = std::min<std::uint64_t>(dataStart, entry.offset);
            dataEnd = std::max<std::uint64_t>(dataEnd, std::uint64_t{entry.offset} + entry.length);
        }
    dataStart = std::max<std::uint64_t>(dataStart, DirectoryEnd);
    const std::uint64_t tailStart = std::max(dataStart, dataEnd);

    Bytes rebuilt(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(std::min<std::uint64_t>(dataStart, bytes_.size())));
    rebuilt.resize(static_cast<std::size_t>(dataStart), 0);   // a bank cut short inside its directory
    std::uint64_t total = rebuilt.size() + (tailStart < bytes_.size() ? bytes_.size() - tailStart : 0);
    for (int i = 0; i < SoundCount; ++i)
        total += length(i);
    if (total > std::numeric_limits<std::uint32_t>::max())
        throw FileError::fromErrno(EFBIG);
    rebuilt.reserve(static_cast<std::size_t>(total));
    for (int i = 0; i < SoundCount; ++i) {
        const auto sound = samples(i);
        const std::size_t step = places::SndEntrySize * static_cast<std::size_t>(i);
        put32(&rebuilt[places::SndSampleOffset + step], static_cast<std::uint32_t>(rebuilt.size()));
        put32(&rebuilt[places::SndSampleLength + step], static_cast<std::uint32_t>(sound.size()));
        rebuilt.insert(rebuilt.end(), sound.begin(), sound.end());
    }
    if (tailStart < bytes_.size())
        rebuilt.insert(rebuilt.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(tailStart), bytes_.end());
    return rebuilt;
}

Bytes soundToWav(std::span<const std::uint8_t> samples)
{
    if (samples.empty())
        return {};
    const auto length = static_cast<std::uint32_t>(samples.size());
    Bytes wav(WavHeaderSize + samples.size());
    auto text = [&](std::size_t at, const char* four) { std::copy(four, four + 4, wav.begin() + static_cast<std::ptrdiff_t>(at)); };
    auto put16 = [&](std::size_t at, std::uint16_t value) {
        wav[at] = static_cast<std::uint8_t>(value);
        wav[at + 1] = static_cast<std::uint8_t>(value >> 8);
    };
    text(0, "RIFF");
    put32(&wav[4], length + 36);
    text(8, "WAVE");
    text(12, "fmt ");
    put32(&wav[16], 16);
    put16(20, 1);                  // PCM
    put16(22, 1);                  // mono
    put32(&wav[24], SoundSampleRate);
    put32(&wav[28], SoundSampleRate);   // bytes per second
    put16(32, 1);                  // block alignment
    put16(34, 8);                  // bits per sample
    text(36, "data");
    put32(&wav[40], length);
    // Eight samples at a time: the rule flips the top bit of every byte.
    const std::uint8_t* from = samples.data();
    std::uint8_t* to = wav.data() + WavHeaderSize;
    std::size_t n = 0;
    for (; n + 8 <= samples.size(); n += 8) {
        std::uint64_t eight;
        std::memcpy(&eight, from + n, 8);
        eight ^= 0x8080808080808080u;
        std::memcpy(to + n, &eight, 8);
    }
    for (; n < samples.size(); ++n)
        to[n] = wavSample(from[n]);
    return wav;
}

std::vector<WaveColumn> waveformColumns(std::span<const std::uint8_t> samples)
{
    const std::size_t perColumn = samples.size() / WaveformColumns;
    if (perColumn == 0)
        return {};
    std::vector<WaveColumn> columns(WaveformColumns);
    for (std::size_t x = 0; x < WaveformColumns; ++x) {
        int low = 255, high = 0;
        for (std::size_t n = 0; n < perColumn; ++n) {
            const int sample = wavSample(samples[x * perColumn + n]);
            low = std::min(low, sample);
            high = std::max(high, sample);
        }
        columns[x] = {low, high};
    }
    return columns;
}

std::string soundLengthText(std::size_t samples)
{
    return std::to_string(samples) + " frames / " + std::to_string(samples / 22) + " milliseconds";
}

} // namespace quorvex
