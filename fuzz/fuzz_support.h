#pragma once
// What the libFuzzer targets share: a scratch folder for the process, quorvex.dat, and a check
// that stops the run with a message (libFuzzer then keeps the input as a finding).
#include "gameexe/game_file.h"
#include "gameexe/resource_file.h"
#include "gameexe/workspace.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace quorvex::fuzz {

// A folder of this process in memory (or under the system temp folder), removed at exit.
const std::filesystem::path& scratch();
// quorvex.dat built from the game's default palette, in the scratch folder.
const std::filesystem::path& resourcePath();
const ResourceFile& resources();
// A demo game in the scratch folder (written once), for targets that work on game files.
const Workspace& demoWorkspace();

// Stops the run when a property does not hold.
void check(bool holds, const std::string& what);

inline std::span<const std::uint8_t> bytesOf(const std::uint8_t* data, std::size_t size)
{
    return {data, size};
}

void writeInput(const std::filesystem::path& file, std::span<const std::uint8_t> bytes);

} // namespace quorvex::fuzz
