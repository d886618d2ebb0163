// Zip archives: any archive unpacks whole or not at all, never outside its folder, keeps a file
// the user chose to keep, and leaves no staging folder behind. Entry names are checked alone too.
#include "core/browser/archive.h"
#include "fuzz_support.h"

#include <algorithm>
#include <fstream>
#include <set>

namespace fs = std::filesystem;
using namespace quorvex;

namespace {

std::set<std::string> namesIn(const fs::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

std::string textOf(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto root = fuzz::scratch() / "zip";
    const auto inside = root / "extract";
    fs::remove_all(root);
    fs::create_directories(inside);
    fs::create_directories(root / "extractEvil");   // passes a prefix test for "extract"
    fuzz::writeInput(root / "a.zip", fuzz::bytesOf(data, size));
    std::ofstream(inside / "keep.lev") << "keep";

    const bool yes = size % 2 == 1;
    const auto outcome = unpackArchive(root / "a.zip", inside, [&](std::string_view) { return yes; });

    fuzz::check(namesIn(root) == std::set<std::string>{"a.zip", "extract", "extractEvil"}, "nothing lands beside the folder");
    fuzz::check(fs::is_empty(root / "extractEvil"), "nothing lands in a folder that shares the prefix");
    for (const auto& name : namesIn(inside))
        fuzz::check(name.rfind(".quorvex-unzip-", 0) != 0, "no staging folder is left");
    if (!outcome.succeeded()) {
        fuzz::check(namesIn(inside) == std::set<std::string>{"keep.lev"} && textOf(inside / "keep.lev") == "keep",
                    "a refused archive writes nothing");
    } else if (!yes) {
        fuzz::check(fs::is_regular_file(inside / "keep.lev") && textOf(inside / "keep.lev") == "keep",
                    "a file the user keeps is kept");
    }

    // The input as one entry name: refused, or a relative name that stays inside.
    const std::string name(reinterpret_cast<const char*>(data), std::min<std::size_t>(size, 512));
    if (entryNameProblem(name).empty()) {
        std::string slashed = name;
        std::replace(slashed.begin(), slashed.end(), '\\', '/');
        const auto target = (inside / slashed).lexically_normal();
        const auto relative = target.lexically_relative(inside);
        fuzz::check(!relative.empty() && *relative.begin() != "..", "an accepted name stays inside");
    }
    return 0;
}
