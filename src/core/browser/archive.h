#pragma once
// "(Un) Zip": packs the selected file into a zip archive beside it, or unpacks an archive into
// the browsed folder, with the command semantics of the old command-line archivers. libzip is
// reached through the codecs module (core/codecs/codec_loader.h); when it cannot be loaded, both
// operations are refused with the loader's text and write nothing.
#include "core/base/outcome.h"
#include "core/base/services.h"

#include <filesystem>
#include <string>
#include <vector>

namespace quorvex {

// The archive a file is packed into: its name less the extension, plus ".zip" (MAP1.LEV ->
// MAP1.zip), in folder.
std::filesystem::path archiveFor(const std::filesystem::path& file, const std::filesystem::path& folder);

// Packs file into archive. An existing archive keeps its entries and gets the file added (an
// entry of the same name is replaced); one that is not a zip archive is refused and left alone.
Outcome packFile(const std::filesystem::path& file, const std::filesystem::path& archive);

// Checks an entry name for unpacking into a folder: a relative path ("\" read as "/") that
// stays inside. Empty when acceptable, else the reason.
std::string entryNameProblem(const std::string& name);

// Unpacks every entry of archive into folder, keeping the entries' sub-folders. The whole
// archive is refused, with nothing written, when one entry would land outside the folder
// (absolute path, drive, "..", a link), a name is too long or held twice, one entry is a file
// where another needs a folder, the declared sizes do not fit the free space, an entry holds
// more than it declares, or the archive is damaged; a move that fails in the final step undoes
// the moves before it. Replacing an existing file is asked first; a No keeps that file and
// skips its entry.
// unpacked: the names of the files unpacked, in the archive's order.
Outcome unpackArchive(const std::filesystem::path& archive, const std::filesystem::path& folder, const Asker& askOverwrite,
                      std::vector<std::string>* unpacked = nullptr);

} // namespace quorvex
