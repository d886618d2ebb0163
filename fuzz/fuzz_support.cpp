#include "fuzz_support.h"
#include "core/codecs/codec_loader.h"
#include "demo_game.h"
#include "game_data.h"
#include "core/hacks/hacks.h"
#include "core/texts/game_text_table.h"

#include <algorithm>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace quorvex::fuzz {

namespace {

// The codecs are linked into every target (fuzz/CMakeLists.txt), not loaded as the module.
[[maybe_unused]] const bool codecsLinked = (useLinkedCodecs(*quorvex_codecs()), true);

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

std::string firstDifference(const Bytes& was, const Bytes& is)
{
    const auto [a, b] = std::mismatch(was.begin(), was.end(), is.begin(), is.end());
    if (a == was.end() && b == is.end())
        return {};
    const auto at = std::to_string(a - was.begin());
    if (a == was.end() || b == is.end())
        return " (sizes " + std::to_string(was.size()) + " and " + std::to_string(is.size()) + ")";
    return " (first at " + at + ": " + std::to_string(*a) + " became " + std::to_string(*b) + ")";
}

void writeInput(const fs::path& file, std::span<const std::uint8_t> bytes)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

const Bytes& demoExe()
{
    static const Bytes bytes = readWholeFile(demoWorkspace().torloExe());
    return bytes;
}

void restoreDemoExe()
{
    writeInput(demoWorkspace().torloExe(), demoExe());
}

std::vector<std::uint32_t> hackPlaces()
{
    std::vector<std::uint32_t> places{quorvex::places::HackLaserCheck};
    for (const auto& item : HackItems) {
        for (const auto& patches : {item.on, item.off})
            for (const auto& patch : patches)
                for (std::uint8_t i = 0; i < patch.count; ++i)
                    places.push_back(patch.offset + i);
        for (const auto& patch : item.onWhen)
            for (std::uint8_t i = 0; i < patch.count; ++i)
                places.push_back(patch.offset + i);
        for (auto offset : item.offsets)
            if (offset != 0) {
                places.push_back(offset);
                places.push_back(offset + 1);   // words are read at every field
            }
    }
    std::sort(places.begin(), places.end());
    places.erase(std::unique(places.begin(), places.end()), places.end());
    return places;
}

std::vector<std::uint32_t> gameTextPlaces()
{
    std::vector<std::uint32_t> places;
    for (const auto& text : GameTexts)
        if (text.use.read)
            for (auto offset : {text.offset, text.secondOffset})
                for (std::uint32_t i = 0; offset != 0 && i < text.width; ++i)
                    places.push_back(offset + i);
    return places;
}

Bytes demoExeWith(std::span<const std::uint8_t> input, const std::vector<std::uint32_t>& places)
{
    auto exe = demoExe();
    for (std::size_t i = 0; i < std::min(input.size(), places.size()); ++i)
        exe[places[i]] = input[i];
    return exe;
}

Asker answersFrom(std::span<const std::uint8_t> input)
{
    const unsigned bits = input.empty() ? 0xFFu : ~input.back() & 0xFFu;
    return [bits, asked = 0u](std::string_view) mutable { return ((bits >> (asked++ % 8)) & 1) != 0; };
}

} // namespace quorvex::fuzz
