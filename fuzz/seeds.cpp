// Writes the samples the fuzz targets start from: the demo game with its mods, and a few files
// the demo holds no sample of (an archive, a graphics bitmap, number texts, settings values).
#include "browser/archive.h"
#include "demo_game.h"
#include "formats/graphics_mod.h"
#include "game_data.h"

#include <fstream>
#include <iostream>

namespace fs = std::filesystem;
using namespace quorvex;

namespace {

void writeText(const fs::path& file, const std::string& text)
{
    std::ofstream(file, std::ios::binary) << text;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: quorvex-fuzz-seeds DIR\n";
        return 2;
    }
    const fs::path folder = argv[1];
    const auto game = folder / "game", extra = folder / "extra";
    demo::writeGameFolder(game, true);
    fs::create_directories(extra);

    packFile(game / "mods" / "PASTEL.ACT", extra / "samples.zip");
    packFile(game / "mods" / "WARM.PAL", extra / "samples.zip");
    packFile(game / "torlo.dat", extra / "one.zip");

    writeFileAtomically(folder / "quorvex.dat", buildResourceFile(gamedata::defaultPalette6()));
    writeFileAtomically(extra / "weapon.bmp", buildGraphicsPicture(demo::torloChr(), ResourceFile(folder / "quorvex.dat")));

    int n = 0;
    for (const char* text : {"300", "  -1", "+7", "$1F", "0x10", "0X1F", "-2147483648", "2147483647", "12a", " 255 255 255"})
        writeText(extra / ("number" + std::to_string(n++) + ".txt"), text);
    // Settings as the fuzz target reads them: one value a line, in the order of its table.
    writeText(extra / "settings.ini", "/games/torlo\n2147483656\n2147483663\n255\nyes\nno\nno\nTahoma\nyes\nyes\nno\ndosbox\n\n");
    return 0;
}
