#include "cli/cli.h"
#include "gameexe/game_file.h"

#include <QCoreApplication>
#include <iostream>

int main(int argc, char** argv)
{
    quorvex::ignoreFileSizeSignal();
    QCoreApplication app(argc, argv);   // for the executable's folder and the settings store
    return quorvex::cli::run(argc, argv, std::cout, std::cerr);
}
