#include "fuzz_support.h"
#include "demo_game.h"
#include "game_data.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace quorvex::fuzz {

namespace {

// In memory where the system offers it: the targets write files on every run.
fs::path temporaryFolder()
{
    std::error_code error;
    return fs::is_directory("/dev/shm", error) ? fs::path("/dev/shm") : fs::temp_directory_path();
}

struct Scratch {
    fs::path path = temporaryFolder() / ("quorvex-fuzz-" + std::to_string(::getpid()));
    Scratch() { fs::create_directories(path); }
    ~Scratch()
    {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
};

} // namespace

const fs::path& scratch()
{
    static const Scratch folder;
    return folder.path;
}

const fs::path& resourcePath()
{
    static const fs::path path = [] {
        const auto file = scratch() / "quorvex.dat";
        writeFileAtomically(file, buildResourceFile(gamedata::defaultPalette6()));
        return file;
    }();
    return path;
}

const ResourceFile& resources()
{
    static const ResourceFile file(resourcePath());
    return file;
}

const Workspace& demoWorkspace()
{
    static const Workspace workspace = [] {
        Workspace w;
        w.gameFolder = scratch() / "game";
        w.dataFolder = scratch() / "data";
        w.tempFolder = scratch() / "temp";
        w.resourceFile = resourcePath();
        demo::writeGameFolder(w.gameFolder, true);
        fs::create_directories(w.dataFolder);
        fs::create_directories(w.tempFolder);
        return w;
    }();
    return workspace;
}

void check(bool holds, const std::string& what)
{
    if (holds)
        return;
    std::fprintf(stderr, "property violated: %s\n", what.c_str());
    std::abort();
}

void writeInput(const fs::path& file, std::span<const std::uint8_t> bytes)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

} // namespace quorvex::fuzz
