#pragma once
// A complete, plausible game folder for working without the real game, and sample mods.
#include "core/gamefile/game_file.h"

#include <filesystem>
#include <stdexcept>

namespace quorvex::demo {

inline constexpr std::uint32_t ExeSize = 141312;

Bytes torloExe();
Bytes torloChr();
Bytes torloSnd();
Bytes torloDat();

// Writes torlo.exe, torlo.dat, TORLO.CHR, TORLO.SND and mods/ into folder (created when
// missing). An existing torlo.exe is kept unless force is set; returns false then.
bool writeGameFolder(const std::filesystem::path& folder, bool force);

// Sample files of every kind the program knows, written into the mods folder.
void writeSamples(const std::filesystem::path& modsFolder);

} // namespace quorvex::demo
