#pragma once
// Sound files (WAV of any PCM or float format, AIFF, FLAC, Ogg Vorbis: whatever libsndfile
// reads) turned into bank samples: mixed down to mono, resampled to 22050 per second when
// needed, each sample converted by the inverse of the export rule. An 8-bit mono 22050 WAV
// written by the export comes back byte for byte.
#include "core/gamefile/game_file.h"

#include <filesystem>
#include <functional>
#include <span>
#include <stdexcept>

namespace quorvex {

// A sound file that cannot be read; the text says why.
class SoundFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An import stopped by its progress callback.
class ImportStopped : public std::runtime_error {
public:
    ImportStopped() : std::runtime_error("The import was stopped") {}
};

// Told now and then during a conversion how much of the file is done (0 to 1); false stops
// the conversion, which then throws ImportStopped. Called on the converting thread.
using ImportProgress = std::function<bool(double done)>;

// The longest sound taken into the bank, in samples at 22050 per second (ten minutes).
inline constexpr std::size_t MaxImportSamples = 22050u * 600u;

// The bank samples of a sound file's bytes. An empty file is the empty sound (the export
// writes an empty sound as an empty file). Throws SoundFileError, or ModuleError when the
// codecs (core/codecs/codec_loader.h) cannot be loaded. Safe on any thread.
Bytes bankSamplesFromSoundFile(std::span<const std::uint8_t> file, const ImportProgress& progress = {});
// The same for a file on disk (the file errors when it cannot be opened).
Bytes bankSamplesFromSoundFile(const std::filesystem::path& file, const ImportProgress& progress = {});

} // namespace quorvex
