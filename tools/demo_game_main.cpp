// quorvex-demo-game DIR [--force]: writes a game folder that Quorvex can work on.
#include "demo_game.h"

#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    std::string folder;
    bool force = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--force")
            force = true;
        else if (arg == "--help" || arg == "-h") {
            std::cout << "usage: quorvex-demo-game DIR [--force]\n"
                         "Writes a demo Torlo game folder with sample mods into DIR.\n"
                         "An existing torlo.exe is kept unless --force is given.\n";
            return 0;
        } else if (folder.empty())
            folder = arg;
        else {
            std::cerr << "usage: quorvex-demo-game DIR [--force]\n";
            return 2;
        }
    }
    if (folder.empty()) {
        std::cerr << "usage: quorvex-demo-game DIR [--force]\n";
        return 2;
    }
    try {
        if (!quorvex::demo::writeGameFolder(folder, force)) {
            std::cerr << folder << " already holds torlo.exe; use --force to overwrite it\n";
            return 1;
        }
    } catch (const std::exception& error) {
        std::cerr << folder << ": " << error.what() << '\n';
        return 1;
    }
    std::cout << "Demo game written to " << folder << '\n';
    return 0;
}
