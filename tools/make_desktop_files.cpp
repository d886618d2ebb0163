// Writes the desktop entry and the shared-mime-info package that "cmake --install" installs for
// every user, from the same code that writes the per-user ones.
#include "core/shell/associations.h"

#include <fstream>
#include <iostream>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: make-desktop-files FOLDER\n";
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    const auto all = quorvex::AssociationSet().set();
    std::ofstream(folder / std::string(quorvex::DesktopId)) << quorvex::desktopEntry(all, "quorvex");
    std::ofstream(folder / "quorvex.xml") << quorvex::mimePackage(all);
    return 0;
}
