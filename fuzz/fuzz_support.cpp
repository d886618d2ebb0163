#include "fuzz_support.h"
#include "core/codecs/codec_loader.h"
#include "demo_game.h"
#include "game_data.h"
#include "core/hacks/hacks.h"
#include "core/texts/game_text_table.h"
#include "core/base/places.h"
#include "core/store/game_change.h"
#include "core/mods/mods.h"
#include "core/store/profiles.h"

#include <algorithm>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
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

namespace {

std::map<fs::path, Bytes> filesIn(const fs::path& folder)
{
    std::map<fs::path, Bytes> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            files[entry.path()] = readWholeFile(entry.path());
    return files;
}

// The demo game in scratch/name with its own data, temp and outside folders.
ListsGame freshGame(const char* name)
{
    const auto top = scratch() / name;
    ListsGame made;
    made.workspace.gameFolder = top / "game";
    made.workspace.dataFolder = top / "data";
    made.workspace.tempFolder = top / "temp";
    made.workspace.resourceFile = resourcePath();
    made.outside = top / "outside";
    demo::writeGameFolder(made.workspace.gameFolder, true);
    for (const auto& folder : {made.workspace.dataFolder, made.workspace.tempFolder, made.outside})
        fs::create_directories(folder);
    return made;
}

// What the game folder and its lists hold once made.
std::map<fs::path, Bytes> filesOf(const ListsGame& made)
{
    auto files = filesIn(made.workspace.gameFolder);
    files.merge(filesIn(made.lists));
    return files;
}

} // namespace

const ListsGame& listsGame()
{
    static const ListsGame game = [] {
        auto made = freshGame("lists");
        const auto& ws = made.workspace;
        const auto now = [] { return std::time_t{1767225600}; };
        const BackupKeeper keeper(ws, now);
        const auto step = [&](const fs::path& file, std::uint32_t offset, const char* what) {
            GameChange change(ws, now);
            GameFile(file).writeAt(offset, std::vector<std::uint8_t>{0x5A});
            change.describe(what, true);
            change.commit();
        };
        step(ws.torloDat(), places::DatBlood, "Blood set");
        step(ws.torloExe(), places::Hacks[0], "Hacks saved");
        Profiles(keeper, {ws.torloExe(), ws.torloDat(), ws.torloChr(), ws.torloSnd()}).save("Cup", [](std::string_view) { return true; });
        made.lists = keeper.folder();
        made.made = filesOf(made);
        return made;
    }();
    return game;
}

const ListsGame& modsGame()
{
    static const ListsGame game = [] {
        auto made = freshGame("mods");
        const auto& ws = made.workspace;
        const auto plugin = ws.tempFolder / "P.LWP";
        writeFileAtomically(plugin, std::string_view("LWP\r\nVERSION:2\r\nWEAPON:3\r\nAMMO:4\r\nSPEED:9\r\n"));
        const auto yes = [](std::string_view) { return true; };
        for (const auto& mod : {plugin, ws.gameFolder / "mods" / "NEONGFX.CHR"})
            check(addMod(mod, mod.parent_path(), ws, yes).number > 0, "the mods game's mod " + mod.filename().string() + " was not added");
        fs::remove(plugin);
        made.lists = BackupKeeper(ws).folder();
        made.made = filesOf(made);
        return made;
    }();
    return game;
}

void writeList(const std::string& name, std::span<const std::uint8_t> input, const ListsGame& game)
{
    std::string text(input.begin(), input.end());
    for (const auto& [token, path] : {std::pair{std::string("@GAME@"), game.workspace.gameFolder}, {"@OUT@", game.outside}})
        for (auto at = text.find(token); at != std::string::npos; at = text.find(token, at))
            text.replace(at, token.size(), path.string());
    writeFileAtomically(game.lists / name, text);
}

void checkAndRestoreListsGame(const ListsGame& game)
{
    check(fs::is_empty(game.outside), "a file was written outside the game and data folders");
    check(fileSize(game.workspace.torloExe()) == demoExe().size(), "torlo.exe changed size");
    for (const auto& folder : {game.workspace.gameFolder, game.lists})
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            if (entry.is_regular_file() && !game.made.count(entry.path()))
                fs::remove(entry.path());
    for (const auto& [path, bytes] : game.made)
        writeInput(path, bytes);
}

} // namespace quorvex::fuzz
