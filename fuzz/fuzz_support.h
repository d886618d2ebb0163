#pragma once
// What the libFuzzer targets share: a scratch folder for the process, quorvex.dat, and a check
// that stops the run with a message (libFuzzer then keeps the input as a finding).
#include "core/gamefile/game_file.h"
#include "core/gamefile/resource_file.h"
#include "core/base/workspace.h"
#include "core/base/services.h"

#include <cstdint>
#include <string>
#include <filesystem>
#include <map>
#include <span>
#include <string>
#include <vector>

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

// Where two byte strings first differ ("" when they are equal), for the message of a check.
std::string firstDifference(const Bytes& was, const Bytes& is);

inline std::span<const std::uint8_t> bytesOf(const std::uint8_t* data, std::size_t size)
{
    return {data, size};
}

void writeInput(const std::filesystem::path& file, std::span<const std::uint8_t> bytes);

// torlo.exe of the demo game as it was written, and putting it back before a run that writes.
const Bytes& demoExe();
void restoreDemoExe();

// The bytes of torlo.exe that a target takes from its input, in the order it takes them: every
// byte the hacks read or write, and every place of a game text that is read (width bytes each).
std::vector<std::uint32_t> hackPlaces();
std::vector<std::uint32_t> gameTextPlaces();
// The demo's torlo.exe with the input laid over places, one byte a place, as far as it reaches.
Bytes demoExeWith(std::span<const std::uint8_t> input, const std::vector<std::uint32_t>& places);

// A question answered by the input: bit n of the input's last byte answers the n-th question
// (a clear bit is a yes, so a file ending in a line feed answers its first question yes).
Asker answersFrom(std::span<const std::uint8_t> input);

// A demo game whose data folder holds a history of two steps (torlo.dat, then torlo.exe), their
// backups and a profile "Cup" (made once; the same steps give the same versions in every
// process, so the seeds written from it name versions its store holds), and an empty folder
// beside it that nothing may ever write into.
struct ListsGame {
    Workspace workspace;
    std::filesystem::path lists;     // the data folder's folder of this game's lists and store
    std::filesystem::path outside;
    std::map<std::filesystem::path, Bytes> made;   // its game and lists folders' files as made
};
const ListsGame& listsGame();
// A demo game of its own whose data folder holds a mod list of two entries, a weapon plugin and
// a graphics mod (made once; the same mods give the same versions in every process), with an
// empty folder beside it as above.
const ListsGame& modsGame();
// Lays the input over one list of a lists' game (@GAME@ and @OUT@ in it standing for the game
// folder and the outside folder, so that paths in a seed mean the same in every process).
void writeList(const std::string& name, std::span<const std::uint8_t> input, const ListsGame& game = listsGame());
// After a run: nothing lies outside, torlo.exe kept its size; then the game files and the lists
// are put back as they were made.
void checkAndRestoreListsGame(const ListsGame& game = listsGame());

} // namespace quorvex::fuzz
