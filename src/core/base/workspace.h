#pragma once
// Where every file lives: the game folder with its case-insensitively found game files, the
// data folder for the log and working files, the temp folder, and quorvex.dat.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace quorvex {

// The entry of folder whose name equals name without regard to case (the game's file system
// ignores case). Falls back to folder / name when none exists, so opening reports "File not found".
std::filesystem::path findGameFile(const std::filesystem::path& folder, const std::string& name);

// path made absolute against the folder the program started in (which it never changes, so a
// relative path means the same all run long), normalised; an empty path stays empty (no folder).
std::filesystem::path absolutePath(const std::filesystem::path& path);

// True when a file's name equals name without regard to ASCII case.
bool sameNameIgnoringCase(const std::string& a, const std::string& b);

// The bytes of game files that the program already holds as they are on disk: the window's
// model of the open game. Readers and writers of a game file start from them instead of
// reading the disk again, so what a page shows is what the model holds.
class HeldFiles {
public:
    virtual ~HeldFiles() = default;
    // path's bytes while they are held and the disk has the same version of it; else null.
    virtual std::shared_ptr<const std::vector<std::uint8_t>> held(const std::filesystem::path& path) const = 0;
};

struct Workspace {
    std::filesystem::path gameFolder;
    std::filesystem::path dataFolder;
    std::filesystem::path tempFolder;
    std::filesystem::path resourceFile;   // quorvex.dat
    const HeldFiles* held = nullptr;       // the window's model; none in the CLI

    std::filesystem::path torloExe() const { return findGameFile(gameFolder, "torlo.exe"); }
    // torlo.exe, or a FileError that names what is missing and where, for the first access of
    // an operation that needs the game.
    std::filesystem::path existingTorloExe() const;
    std::filesystem::path torloDat() const { return findGameFile(gameFolder, "torlo.dat"); }
    std::filesystem::path torloChr() const { return findGameFile(gameFolder, "TORLO.CHR"); }
    std::filesystem::path torloSnd() const { return findGameFile(gameFolder, "TORLO.SND"); }

    std::filesystem::path weaponBitmap() const;
    std::filesystem::path soundWorkFile() const;
    std::filesystem::path previewBitmap() const;
    std::filesystem::path logFile() const;
};

} // namespace quorvex
