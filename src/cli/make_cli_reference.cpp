// Writes quorvex-cli's manual page and bash completion into a folder, and its help page from a
// template whose line "@REFERENCE@" becomes the reference of every command.
#include "cli/cli_reference.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::cerr << "usage: make-cli-reference FOLDER HELP-TEMPLATE HELP-PAGE\n";
        return 2;
    }
    namespace cli = quorvex::cli;
    const std::filesystem::path folder = argv[1], page = argv[3];
    std::filesystem::create_directories(folder);
    std::filesystem::create_directories(page.parent_path());
    const auto table = cli::allCommands();
    std::ofstream(folder / "quorvex-cli.1") << cli::manPage(table);
    std::ofstream(folder / "quorvex-cli.bash") << cli::bashCompletion(table);
    std::stringstream templateText;
    templateText << std::ifstream(argv[2]).rdbuf();
    auto text = templateText.str();
    const std::string mark = "@REFERENCE@";
    const auto at = text.find(mark);
    if (at == std::string::npos) {
        std::cerr << "make-cli-reference: no " << mark << " in " << argv[2] << '\n';
        return 1;
    }
    text.replace(at, mark.size(), cli::htmlReference(table));
    std::ofstream(page) << text;
    return 0;
}
