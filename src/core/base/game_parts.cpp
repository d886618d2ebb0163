#include "core/base/game_parts.h"
#include "core/os/files.h"
#include "core/base/workspace.h"

#include <string_view>

namespace fs = std::filesystem;

namespace quorvex {

GameParts gamePartsIn(const fs::path& file, const fs::path& gameFolder)
{
    if (gameFolder.empty())
        return {};
    std::error_code error;
    const auto folder = fs::absolute(file, error).parent_path();
    if (folder.lexically_normal() != fs::absolute(gameFolder, error).lexically_normal() && !fs::equivalent(folder, gameFolder, error))
        return {};
    for (const auto& [name, parts] : GameFiles)
        if (sameNameIgnoringCase(os::textOf(file.filename()), std::string(name)))
            return parts;
    return {};
}

} // namespace quorvex
