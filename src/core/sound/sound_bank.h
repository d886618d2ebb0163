#pragma once
// The game's sound bank (TORLO.SND and .SND sound mods): 30 entries of signed 8-bit mono
// samples at 22050 per second, found through a directory of offsets and lengths. The bank is
// held in memory with the imports made since it was read, and rebuilt whole when saved.
#include "core/gamefile/game_file.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

namespace quorvex {

inline constexpr int SoundCount = 30;
inline constexpr std::uint32_t SoundSampleRate = 22050;

// The sounds' names in bank order; the bank's own 8-byte name fields are not read.
inline constexpr std::array<const char*, SoundCount> SoundNames = {
    "SHOTGUN", "SHOT",   "RIFLE",  "BAZOOKA", "BLASTER",  "THROW",    "LARPA",  "EXP3A",  "EXP3B", "EXP2",
    "EXP3",    "EXP4",   "EXP5",   "DIRT",    "BUMP",     "DEATH1",   "DEATH2", "DEATH3", "HURT1", "HURT2",
    "HURT3",   "ALIVE",  "BEGIN",  "DROPSHEL", "RELOADED", "MOVEUP", "MOVEDOWN", "SELECT", "BOING", "BURNER"};

class SoundBank {
public:
    struct Entry {
        std::uint32_t offset = 0;
        std::uint32_t length = 0;
        // False when the directory record or the samples reach past the end of the bank: such
        // an entry is refused, the others stay usable.
        bool intact = false;
    };

    // Reads a bank from its bytes; every offset and length is checked against their size.
    static SoundBank fromBytes(Bytes bytes);
    // Reads the bank file (the file errors when it is missing or unreadable).
    static SoundBank load(const std::filesystem::path& file, const HeldFiles* held = nullptr);

    const Entry& entry(int index) const { return entries_.at(static_cast<std::size_t>(index)); }
    // The entry's samples as the bank holds them (an import when one was made); an entry that
    // reaches past the end of the bank throws "Read beyond end of file".
    std::span<const std::uint8_t> samples(int index) const;
    // The number of samples, without reading them (0 for a damaged entry).
    std::size_t length(int index) const;

    // Replaces the entry's samples in memory; the bank file is written by rebuild() and a save.
    void replace(int index, Bytes samples);
    bool changed(int index) const { return imports_.at(static_cast<std::size_t>(index)).has_value(); }
    bool anyChanged() const;

    // The whole bank with its imports: the bytes before the first sample (header and
    // directory) and after the last are kept, the samples follow in bank order, and the
    // directory's offsets and lengths are rewritten. Throws "Read beyond end of file" when an
    // entry that was not replaced reaches past the end (its bytes cannot be kept).
    Bytes rebuild() const;
    // The first entry that reaches past the end and has not been replaced, if any.
    std::optional<int> firstDamaged() const;

private:
    Bytes bytes_;
    std::array<Entry, SoundCount> entries_{};
    std::array<std::optional<Bytes>, SoundCount> imports_{};
};

// The bank's signed sample as an unsigned 8-bit WAV sample: 128 added modulo 256 (the loudest
// negative sample, 128, becomes 0), so that the rule is its own inverse.
constexpr std::uint8_t wavSample(std::uint8_t bankByte) { return static_cast<std::uint8_t>(bankByte ^ 0x80); }
constexpr std::uint8_t bankSample(std::uint8_t wavByte) { return static_cast<std::uint8_t>(wavByte ^ 0x80); }

// A mono 8-bit 22050 Hz WAV file of the samples: 44-byte header and the converted samples;
// no bytes at all for an empty sound.
Bytes soundToWav(std::span<const std::uint8_t> samples);

// The picture of a sound: 430 columns, each the lowest and the highest WAV sample of its block
// of n div 430 samples (0 at the top, 255 at the bottom, 128 the centre line), so that a sound
// of any length shows its envelope (a mean would flatten every block of many periods into the
// centre line); empty when n is below 430.
inline constexpr int WaveformColumns = 430;
inline constexpr int WaveformHeight = 256;
struct WaveColumn {
    int low = 0, high = 0;
    bool operator==(const WaveColumn&) const = default;
};
std::vector<WaveColumn> waveformColumns(std::span<const std::uint8_t> samples);

// "n frames / n div 22 milliseconds".
std::string soundLengthText(std::size_t samples);

} // namespace quorvex
