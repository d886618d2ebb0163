#include "cli/cli.h"
#include "core/gamefile/game_file.h"
#include "core/os/files.h"

#include <iostream>
#include <vector>

int main(int argc, char** argv)
{
    quorvex::ignoreFileSizeSignal();
    quorvex::os::binaryStandardStreams();
    auto arguments = quorvex::os::arguments(argc, argv);
    std::vector<char*> pointers;
    for (auto& argument : arguments)
        pointers.push_back(argument.data());
    return quorvex::cli::run(static_cast<int>(pointers.size()), pointers.data(), std::cout, std::cerr);
}
