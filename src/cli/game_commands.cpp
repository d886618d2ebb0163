// info: where the game's files are.
#include "cli/cli.h"
#include "core/os/files.h"
#include "core/gamefile/game_file.h"

#include <ostream>

namespace fs = std::filesystem;

namespace quorvex::cli {

namespace {

int info(Context& context, const Arguments& args, const Command& command)
{
    expectArguments(args, 0, 0, command);
    const auto& ws = context.workspace;
    context.out << "Game folder: " << (ws.gameFolder.empty() ? std::string("(not set)") : os::textOf(ws.gameFolder)) << '\n';
    const std::pair<const char*, fs::path> files[] = {
        {"torlo.exe", ws.torloExe()}, {"torlo.dat", ws.torloDat()}, {"TORLO.CHR", ws.torloChr()}, {"TORLO.SND", ws.torloSnd()}};
    for (const auto& [name, path] : files) {
        std::error_code error;
        if (!path.empty() && fs::is_regular_file(path, error))
            context.out << name << ": " << os::textOf(path) << " (" << fs::file_size(path, error) << " bytes)\n";
        else
            context.out << name << ": missing\n";
    }
    return 0;
}

} // namespace

void addGameCommands(CommandTable& table)
{
    table.push_back({"info", "", "the game folder and, for each game file, the path found and its size, or \"missing\"",
                     info, {}, {"", "--game ~/torlo"}});
}

} // namespace quorvex::cli
