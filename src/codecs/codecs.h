#pragma once
// The boundary between the core and the module quorvex-codecs, which alone links libsndfile,
// libsoxr and libzip (and FLAC, Vorbis, Opus, mpg123, LAME, bz2, lzma, zstd behind them),
// so that a run which imports no sound and touches no archive never loads them.
// Only primitives cross it; every check, limit, entry-name test and write decision stays in the
// core, which also keeps the one backup keeper of the process. The module is built with the
// program, so std::string crosses; exceptions do not: a failing call says so by its result and
// leaves the text in the caller's error string (or in the handle's error text).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quorvex::codecs {

// Raised whenever the table below changes shape.
inline constexpr int Version = 2;

// Handles owned by the module; the core only passes them back.
struct SoundReader;
struct Resampler;
struct ZipArchive;
struct ZipEntry;

struct SoundInfo {
    int channels = 0;
    int rate = 0;
    std::int64_t frames = 0;   // 0 or less when the file does not say
};

struct ZipOpenFailure {
    std::string text;
    bool nameHeldTwice = false;   // the consistency check found a name held twice
};

enum class ZipAdd { Added, NotOpened, Failed };

struct Table {
    int version;

    // A sound file read by libsndfile from bytes that the caller keeps until closeSound.
    SoundReader* (*openSound)(const std::uint8_t* bytes, std::size_t size, SoundInfo& info, std::string& error);
    // Up to count frames of interleaved floats (-1 to 1); 0 at the end or on a failure.
    std::int64_t (*readSound)(SoundReader* sound, float* frames, std::int64_t count);
    // After the reading: false, with the reason, when it stopped on a failure.
    bool (*soundRead)(SoundReader* sound, std::string& error);
    void (*closeSound)(SoundReader* sound);

    // One channel resampled by libsoxr from inputRate to outputRate, block by block, so that
    // a long sound can report its progress and stop between blocks.
    Resampler* (*openResampler)(double inputRate, double outputRate, std::string& error);
    // Appends to output what the block of input gives; a block of 0 frames is the end, which
    // appends the rest. False, with the reason, on a failure.
    bool (*resample)(Resampler* resampler, const float* input, std::size_t frames, std::vector<float>& output,
                     std::string& error);
    void (*closeResampler)(Resampler* resampler);

    // A zip archive on disk opened for reading, with libzip's consistency check when checked.
    ZipArchive* (*openZip)(const char* path, bool checked, ZipOpenFailure& failure);
    void (*closeZip)(ZipArchive* zip);
    // The archive's last failure.
    std::string (*zipError)(ZipArchive* zip);
    std::int64_t (*zipEntryCount)(ZipArchive* zip);
    // The entry's name in UTF-8 (guessed from its bytes), or false on a failure (see zipError).
    bool (*zipEntryName)(ZipArchive* zip, std::uint64_t index, std::string& name);
    // Whether the entry is a link made on Unix.
    bool (*zipEntryIsLink)(ZipArchive* zip, std::uint64_t index);
    // The size the entry declares, or false on a failure (see zipError).
    bool (*zipEntrySize)(ZipArchive* zip, std::uint64_t index, std::uint64_t& size);
    // An entry read from its start; null on a failure (see zipError). The CRC is checked when
    // the end is read.
    ZipEntry* (*openZipEntry)(ZipArchive* zip, std::uint64_t index);
    // Up to size bytes; 0 at the end, below 0 on a failure (the reason in error).
    std::int64_t (*readZipEntry)(ZipEntry* entry, char* into, std::size_t size, std::string& error);
    void (*closeZipEntry)(ZipEntry* entry);

    // Adds file to archive as name (an entry of that name is replaced), creating the archive when
    // there is none. libzip writes the result to a temporary file beside the archive and renames
    // it over the archive only when everything went well. The file is read while the archive is
    // written, so a big file never has to fit in memory.
    ZipAdd (*addToZip)(const char* archive, const char* file, const char* name, std::string& error);
};

} // namespace quorvex::codecs

// The module's entry point: the table, of the module's Version.
extern "C" const quorvex::codecs::Table* quorvex_codecs();
