#pragma once
// The boundary between the core and the module quorvex-codecs, which alone links libsndfile,
// libsoxr and libzip (and FLAC, Vorbis, Opus, mpg123, LAME, bz2, lzma, zstd behind them),
// so that a run which imports no sound and touches no archive never loads them.
// Only primitives cross it; every check, limit, entry-name test and write decision stays in the
// core, which also keeps the one backup keeper of the process. Only plain types cross it, since
// the CLI links its own copy of the C++ library and the module the system's: handles made and
// freed by the module, texts and blocks that the module keeps, and no exception: a failing call
// says so by its result and leaves its text in lastError (or in the archive's zipError).
#include <cstddef>
#include <cstdint>

namespace quorvex::codecs {

// Raised whenever the table below changes shape.
inline constexpr int Version = 3;

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

enum class ZipAdd { Added, NotOpened, Failed };

struct Table {
    int version;

    // The text of the last failure on this thread of a call that says "see lastError"; kept
    // until the next such failure.
    const char* (*lastError)();

    // A sound file read by libsndfile from bytes that the caller keeps until closeSound; null
    // on a failure (see lastError).
    SoundReader* (*openSound)(const std::uint8_t* bytes, std::size_t size, SoundInfo& info);
    // Up to count frames of interleaved floats (-1 to 1); 0 at the end or on a failure.
    std::int64_t (*readSound)(SoundReader* sound, float* frames, std::int64_t count);
    // After the reading: false when it stopped on a failure (see lastError).
    bool (*soundRead)(SoundReader* sound);
    void (*closeSound)(SoundReader* sound);

    // One channel resampled by libsoxr from inputRate to outputRate, block by block, so that
    // a long sound can report its progress and stop between blocks; null on a failure (see
    // lastError).
    Resampler* (*openResampler)(double inputRate, double outputRate);
    // What the block of input gives, made frames of it, kept by the resampler until its next
    // call; a block of 0 frames is the end, which gives the rest. Null on a failure (see
    // lastError).
    const float* (*resample)(Resampler* resampler, const float* input, std::size_t frames, std::size_t& made);
    void (*closeResampler)(Resampler* resampler);

    // A zip archive on disk opened for reading, with libzip's consistency check when checked;
    // null on a failure (see lastError), with nameHeldTwice when the check found a name held
    // twice.
    ZipArchive* (*openZip)(const char* path, bool checked, bool& nameHeldTwice);
    void (*closeZip)(ZipArchive* zip);
    // The archive's last failure, kept by the archive.
    const char* (*zipError)(ZipArchive* zip);
    std::int64_t (*zipEntryCount)(ZipArchive* zip);
    // The entry's name in UTF-8 (guessed from its bytes), kept by the archive until it changes;
    // null on a failure (see zipError).
    const char* (*zipEntryName)(ZipArchive* zip, std::uint64_t index);
    // Whether the entry is a link made on Unix.
    bool (*zipEntryIsLink)(ZipArchive* zip, std::uint64_t index);
    // The size the entry declares, or false on a failure (see zipError).
    bool (*zipEntrySize)(ZipArchive* zip, std::uint64_t index, std::uint64_t& size);
    // An entry read from its start; null on a failure (see zipError). The CRC is checked when
    // the end is read.
    ZipEntry* (*openZipEntry)(ZipArchive* zip, std::uint64_t index);
    // Up to size bytes; 0 at the end, below 0 on a failure (see lastError).
    std::int64_t (*readZipEntry)(ZipEntry* entry, char* into, std::size_t size);
    void (*closeZipEntry)(ZipEntry* entry);

    // Adds file to archive as name (an entry of that name is replaced), creating the archive when
    // there is none. libzip writes the result to a temporary file beside the archive and renames
    // it over the archive only when everything went well. The file is read while the archive is
    // written, so a big file never has to fit in memory. Not Added: see lastError.
    ZipAdd (*addToZip)(const char* archive, const char* file, const char* name);
};

} // namespace quorvex::codecs

// The module's entry point: the table, of the module's Version.
extern "C" const quorvex::codecs::Table* quorvex_codecs();
