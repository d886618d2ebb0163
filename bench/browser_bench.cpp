// The browser's file listing: 20,000 mod files read with the filter mask and sorted by
// extension, beside a plain read of the same folder (what `ls` does: read and sort names).
//
//   browser_bench                 Google Benchmark of both
//   browser_bench --make DIR      writes the 20,000-file folder (for hyperfine against ls)
//   browser_bench --list DIR      lists DIR as the browser does, one name a line
#include "core/browser/file_filter.h"
#include "core/browser/file_list.h"

#include <benchmark/benchmark.h>
#include <dirent.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace quorvex;

namespace {

constexpr int FileCount = 20000;

void makeFolder(const fs::path& folder)
{
    fs::create_directories(folder);
    // Every kind the filter knows, a few that it does not, mixed case as players name them.
    const char* extensions[] = {".LEV", ".lev", ".SND", ".CHR", ".BMP", ".ACT", ".PAL", ".lpl",
                                ".ZIP", ".LWP", ".LLF", ".LFT", ".txt", ".EXE", ".wav"};
    for (int i = 0; i < FileCount; ++i) {
        const auto name = "mod" + std::to_string((i * 7919) % FileCount) + extensions[i % std::size(extensions)];
        std::ofstream(folder / name) << 'x';
    }
}

const fs::path& benchFolder()
{
    static const fs::path folder = [] {
        auto path = fs::temp_directory_path() / ("quorvex-browser-bench-" + std::to_string(::getpid()));
        makeFolder(path);
        return path;
    }();
    return folder;
}

void BrowserListing(benchmark::State& state)
{
    const auto mask = fileMask(filterTicksFromBits(511));
    std::size_t listed = 0;
    for (auto _ : state) {
        auto names = listModFiles(benchFolder(), mask, true);
        listed = names.size();
        benchmark::DoNotOptimize(names);
    }
    state.counters["files"] = static_cast<double>(listed);
}
BENCHMARK(BrowserListing)->Unit(benchmark::kMillisecond);

// What ls does: read the names and sort them.
void PlainDirectoryRead(benchmark::State& state)
{
    std::size_t listed = 0;
    for (auto _ : state) {
        std::vector<std::string> names;
        DIR* dir = ::opendir(benchFolder().c_str());
        while (dirent* entry = ::readdir(dir))
            if (entry->d_name[0] != '.')
                names.emplace_back(entry->d_name);
        ::closedir(dir);
        std::sort(names.begin(), names.end());
        listed = names.size();
        benchmark::DoNotOptimize(names);
    }
    state.counters["files"] = static_cast<double>(listed);
}
BENCHMARK(PlainDirectoryRead)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--make") == 0) {
        makeFolder(argv[2]);
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "--list") == 0) {
        std::string out;
        for (const auto& name : listModFiles(argv[2], fileMask(filterTicksFromBits(511)), true))
            (out += name) += '\n';
        std::fwrite(out.data(), 1, out.size(), stdout);
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchFolder();   // made before the clock runs
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code error;
    fs::remove_all(benchFolder(), error);
    return 0;
}
