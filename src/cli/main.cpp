#include "cli/cli.h"
#include "gameexe/game_file.h"
#include "platform/files.h"

#include <iostream>

int main(int argc, char** argv)
{
    quorvex::ignoreFileSizeSignal();
    quorvex::os::binaryStandardStreams();
    return quorvex::cli::run(argc, argv, std::cout, std::cerr);
}
