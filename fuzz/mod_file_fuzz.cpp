// A mod file as the browser and the CLI meet it: the same bytes under every extension, through
// the preview, the conversion and the activation of a demo game. The preview draws bitmaps of
// the sizes of their kind, a conversion writes a whole target or none, and an activation that
// is refused or fails leaves every game file as it was and never grows one.
#include "core/formats/activation.h"
#include "core/formats/conversion.h"
#include "core/formats/preview.h"
#include "fuzz_support.h"
#include "core/base/errors.h"

#include <fstream>
#include <map>
#include <set>

namespace fs = std::filesystem;
using namespace quorvex;

namespace {

std::string contents(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::map<std::string, std::string> gameFiles(const Workspace& workspace)
{
    return {{"exe", contents(workspace.torloExe())}, {"dat", contents(workspace.torloDat())},
            {"chr", contents(workspace.torloChr())}, {"snd", contents(workspace.torloSnd())}};
}

void previewOf(const fs::path& file, const Workspace& workspace)
{
    const auto preview = buildPreview(file, workspace, true);
    const auto size = preview.bitmap.size();
    if (size == 0)
        return;
    switch (preview.kind) {
    case Preview::Kind::Level:
        fuzz::check(size == 177478, "a level preview is a level bitmap");
        break;
    case Preview::Kind::Palette:
        fuzz::check(size == 1334, "a palette preview is a palette bitmap");
        break;
    case Preview::Kind::Graphics:
        fuzz::check(size == 45718, "a graphics preview is a graphics picture");
        break;
    default:
        break;
    }
}

void conversionOf(const fs::path& file, const Workspace& workspace, bool powerlevel)
{
    const auto target = workspace.tempFolder / "converted.bmp";
    fs::remove(target);
    const auto outcome = convertFile(
        file, workspace, [&](const std::string&, const fs::path&) { return std::optional(target); }, powerlevel);
    std::error_code error;
    const auto size = fs::file_size(target, error);
    if (!outcome.succeeded()) {
        fuzz::check(error.value() != 0, "a refused conversion writes no target");
        return;
    }
    static const std::set<std::uintmax_t> sizes = {1334, 177478, 176400, 177178, 45718, 35028};
    fuzz::check(sizes.contains(size), "a converted target has the size of its kind");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto& workspace = fuzz::demoWorkspace();
    const auto folder = fuzz::scratch() / "mods";
    fs::create_directories(folder);
    auto file = folder / "IN";
    fuzz::writeInput(file, fuzz::bytesOf(data, size));
    for (const std::string extension : {".LEV", ".BMP", ".ACT", ".LPL", ".PAL", ".CHR", ".SND", ".LWP", ".LLF", ".LFT"}) {
        const auto named = folder / ("IN" + extension);
        fs::rename(file, named);
        file = named;
        try {
            previewOf(file, workspace);
        } catch (const FileError&) {
        } catch (const ConvertError&) {
        }
        try {
            conversionOf(file, workspace, size % 2 == 1);
        } catch (const FileError&) {
        } catch (const ConvertError&) {
        }
        if (extension == ".BMP" || extension == ".LWP" || extension == ".LLF" || extension == ".LFT")
            continue;   // nothing to activate
        const auto before = gameFiles(workspace);
        bool changed = false;
        try {
            changed = activateFile(file, folder, workspace, [](std::string_view) { return true; }).outcome.succeeded();
        } catch (const FileError&) {
        } catch (const ConvertError&) {
        }
        const auto after = gameFiles(workspace);
        if (!changed)
            fuzz::check(after == before, "a refused or failed activation changes no game file");
        fuzz::check(after.at("exe").size() == before.at("exe").size() && after.at("dat").size() == before.at("dat").size(),
                    "torlo.exe and torlo.dat never change size");
    }
    fs::remove(file);
    return 0;
}
