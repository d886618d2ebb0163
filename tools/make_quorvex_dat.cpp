// Writes quorvex.dat from the game's default palette.
#include "game_data.h"
#include "core/base/errors.h"

#include <iostream>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: make-quorvex-dat OUTPUT\n";
        return 2;
    }
    try {
        const auto bytes = quorvex::buildResourceFile(quorvex::gamedata::defaultPalette6());
        quorvex::writeFileAtomically(argv[1], bytes);
    } catch (const std::exception& error) {
        std::cerr << argv[1] << ": " << error.what() << '\n';
        return 1;
    }
    return 0;
}
