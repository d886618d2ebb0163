#include "cli/cli.h"
#include "gameexe/game_file.h"

#include <iostream>

int main(int argc, char** argv)
{
    quorvex::ignoreFileSizeSignal();
    return quorvex::cli::run(argc, argv, std::cout, std::cerr);
}
