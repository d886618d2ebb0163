#include "demo_game.h"

namespace quorvex::demo {

void writeSamples(const std::filesystem::path& modsFolder)
{
    (void)modsFolder;   // each mod kind adds its samples here
}

} // namespace quorvex::demo
