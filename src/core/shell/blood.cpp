#include "core/shell/blood.h"
#include "core/base/errors.h"
#include "core/gamefile/game_file.h"
#include "core/base/places.h"

#include <algorithm>
#include <cstdlib>

namespace quorvex {

namespace {

const std::string NotSet = ". Blood not set";

} // namespace

std::int32_t bloodAmount(std::int32_t typed)
{
    const auto magnitude = std::min<std::int64_t>(std::llabs(typed), BloodMaximum);
    return static_cast<std::int32_t>(magnitude / BloodStep * BloodStep);
}

Outcome setBlood(const Workspace& workspace, std::int32_t typed)
{
    const auto dat = workspace.torloDat();
    std::error_code missing;
    if (workspace.gameFolder.empty() || !std::filesystem::is_regular_file(dat, missing))
        return Outcome::refused("\"Torlo.Dat\" does not exist" + NotSet);
    const auto amount = static_cast<std::uint32_t>(bloodAmount(typed));
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(amount), static_cast<std::uint8_t>(amount >> 8),
                                   static_cast<std::uint8_t>(amount >> 16), static_cast<std::uint8_t>(amount >> 24)};
    try {
        GameFile file(workspace, dat);
        if (file.size() < places::DatBlood + sizeof bytes)
            return Outcome::refused("\"Torlo.Dat\" is too short to hold the blood amount" + NotSet);
        file.writeAt(places::DatBlood, bytes);
    } catch (const FileError& error) {
        // Reported here rather than thrown: "Do all" goes on to the associations either way.
        return Outcome::refused("\"Torlo.Dat\": " + std::string(error.what()) + NotSet);
    }
    return Outcome::done(std::to_string(amount)).changing(GamePart::Blood);
}

} // namespace quorvex
