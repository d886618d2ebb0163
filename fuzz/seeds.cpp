// Writes the samples the fuzz targets start from: the demo game with its mods, and a few files
// the demo holds no sample of (an archive, a graphics bitmap, number texts, settings values,
// sound files, weapon plugins, a translation, the bytes of the hacks and the text fields).
#include "core/browser/archive.h"
#include "demo_game.h"
#include "core/formats/graphics_mod.h"
#include "fuzz_support.h"
#include "core/store/version_store.h"
#include "game_data.h"
#include "core/texts/translation.h"
#include "core/weapons/object_fields.h"
#include "core/weapons/plugin.h"
#include "core/weapons/sobject_fields.h"

#include <sndfile.h>

#include <cmath>
#include <fstream>
#include <iostream>

namespace fs = std::filesystem;
using namespace quorvex;

namespace {

void writeText(const fs::path& file, const std::string& text)
{
    std::ofstream(file, std::ios::binary) << text;
}

std::string readText(const fs::path& file)
{
    const auto bytes = readWholeFile(file);
    return std::string(bytes.begin(), bytes.end());
}

// A short tone in a format libsndfile writes.
void writeSound(const fs::path& file, int format, int channels, int rate)
{
    SF_INFO info{};
    info.format = format;
    info.channels = channels;
    info.samplerate = rate;
    SNDFILE* sound = sf_open(file.c_str(), SFM_WRITE, &info);
    if (!sound)
        throw std::runtime_error(file.string() + ": " + sf_strerror(nullptr));
    std::vector<float> frames(600 * static_cast<std::size_t>(channels));
    for (std::size_t i = 0; i < frames.size(); ++i)
        frames[i] = 0.6f * static_cast<float>(std::sin(static_cast<double>(i) * 0.07));
    sf_writef_float(sound, frames.data(), 600);
    sf_close(sound);
}

// A plugin of each kind and version, as "Save as plugin" and "Save in plugin" write them.
void writePlugins(const Workspace& workspace, const fs::path& folder)
{
    const auto data = loadWeapons(workspace);
    const auto weapon = showWeapon(data.table, 3);
    const auto to = [](fs::path file) { return [file](const std::string&, const fs::path&) { return std::optional(file); }; };
    savePluginAs(weaponRecord(data.names[3], weapon, std::nullopt), false, to(folder / "weapon1.LWP"));
    savePluginAs(weaponRecord(data.names[3], weapon, 3), true, to(folder / "weapon2.LWP"));
    savePluginAs(objectRecord(5, showEntry(workspace, ObjectArrays, 5)), true, to(folder / "object.LWP"));
    savePluginAs(sobjectRecord(2, showEntry(workspace, SObjectArrays, 2)), false, to(folder / "sobject.LWP"));
    saveInPlugin(folder / "sobject.LWP", objectRecord(7, showEntry(workspace, ObjectArrays, 7)));
}

// The demo's bytes at places, one after the other.
void writePlaces(const fs::path& file, const Bytes& exe, const std::vector<std::uint32_t>& places)
{
    Bytes bytes;
    for (auto at : places)
        bytes.push_back(exe[at]);
    writeFileAtomically(file, bytes);
}

} // namespace

// The lists of the data folder as Quorvex writes them for the fuzzing's lists game (whose store
// holds the versions they name), with CRLF line ends, and tampered with: a level outside the
// game folder (@OUT@, which the targets lay over their outside folder), a damaged step.
void writeListSeeds(const fs::path& extra)
{
    const auto& lists = fuzz::listsGame().lists;
    for (const char* name : {"history.txt", "profiles.txt", "backups.txt"}) {
        const auto text = readText(lists / name);
        const auto stem = fs::path(name).stem().string();
        writeText(extra / name, text);
        std::string crlf;
        for (char c : text)
            crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        writeText(extra / (stem + "-crlf.txt"), crlf);
    }
    const auto history = readText(lists / "history.txt");
    const auto version = history.substr(history.rfind("\nF\t") + 3, 64);
    writeText(extra / "history-outside.txt", history + "S\t3\t2026-01-01 00:00:00\tundone\tEvil\nF\t-\t" + version + "\t@OUT@/EVIL.LEV\n");
    writeText(extra / "history-damaged.txt", history + "S\t0\t2026-01-01 00:00:00\tdone\tEvil\nF\t-\t" + version + "\tTORLO.CHR\n");
    writeText(extra / "profiles-outside.txt", readText(lists / "profiles.txt") + "P\tEvil\t2026-01-01 00:00:00\nF\t" + version + "\t@OUT@/EVIL.LEV\n");
    writeText(extra / "backups-outside.txt", readText(lists / "backups.txt") + "9\t2026-01-01 00:00:00\t155\t\t" + version + "\t@GAME@/../outside/EVIL.LEV\n"
                                             "10\t2026-01-01 00:00:00\t155\t\t" + version + "\t@OUT@/EVIL.LEV\n");
    // A journal left by a stop before the step was recorded (torlo.exe goes back), one whose step
    // was recorded, one cut in its last line and one naming a file outside the game.
    const auto journal = "# An operation in progress\nH\t" + versionOf(lists / "history.txt") + "\n";
    writeText(extra / "journal.txt", journal + "F\t" + version + "\t-\ttorlo.exe\n");
    writeText(extra / "journal-recorded.txt", "H\t-\nF\t" + version + "\t-\ttorlo.exe\n");
    writeText(extra / "journal-cut.txt", journal + "F\t" + version + "\t-\ttorlo.exe\nF\t-\t" + version);
    writeText(extra / "journal-outside.txt", journal + "F\t-\t" + version + "\t@OUT@/EVIL.LEV\n");
    // The mods game's list, an entry switched off, and entries that set what no game has or name
    // a level outside the game.
    const auto mods = readText(fuzz::modsGame().lists / "mods.txt");
    writeText(extra / "mods.txt", mods);
    auto off = mods;
    off.replace(off.find("\ton\t"), 4, "\toff\t");
    writeText(extra / "mods-off.txt", off);
    const auto modsVersion = mods.substr(mods.find("\nG\t") + 3, 64);
    for (const auto& [name, line] : {std::pair{"weapon", "S\tweapon\t999\tAMMO\t1\t2"}, {"key", "S\tweapon\t3\tNOKEY\t1\t2"},
                                     {"bytes", "S\tunknown\ttorlo.exe\t9-99999999\t\t"}, {"area", "S\tnowhere\t1\tA\t1\t2"},
                                     {"palette", "S\tpalette\t9999\t-\t1\t2"}, {"text", "S\ttext\t99999\t-\ta\tb"}})
        writeText(extra / ("mods-" + std::string(name) + ".txt"), mods + line + "\n");
    writeText(extra / "mods-outside.txt", mods + "L\t" + modsVersion + "\t../outside/EVIL.LEV\n");
    // Differences: at 10, 4 bytes; at 4000, 2 bytes.
    writeText(extra / "store.bin", std::string("\x0a\0\0\0\x04\0\0\0ABCD\xa0\x0f\0\0\x02\0\0\0yz", 22));
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: quorvex-fuzz-seeds DIR\n";
        return 2;
    }
    const fs::path folder = argv[1];
    const auto game = folder / "game", extra = folder / "extra";
    demo::writeGameFolder(game, true);
    fs::create_directories(extra);

    packFile(game / "mods" / "PASTEL.ACT", extra / "samples.zip");
    packFile(game / "mods" / "WARM.PAL", extra / "samples.zip");
    packFile(game / "torlo.dat", extra / "one.zip");

    writeFileAtomically(folder / "quorvex.dat", buildResourceFile(gamedata::defaultPalette6()));
    writeFileAtomically(extra / "weapon.bmp", buildGraphicsPicture(demo::torloChr(), ResourceFile(folder / "quorvex.dat")));

    int n = 0;
    for (const char* text : {"300", "  -1", "+7", "$1F", "0x10", "0X1F", "-2147483648", "2147483647", "12a", " 255 255 255"})
        writeText(extra / ("number" + std::to_string(n++) + ".txt"), text);
    // Settings as the fuzz target reads them: one value a line, in the order of its table.
    writeSound(extra / "stereo16.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 11025);
    writeSound(extra / "float.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, 44100);
    writeSound(extra / "sound.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_S8, 1, 22050);
    writeSound(extra / "sound.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 1, 8000);
    writeSound(extra / "sound.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 1, 22050);

    Workspace workspace;
    workspace.gameFolder = game;
    writePlugins(workspace, extra);
    const auto texts = readGameTexts(workspace);
    const auto translation = translationText("English", "Quorvex", "https://example.org", texts);
    writeText(extra / "English.LLF", translation);
    const auto exe = readWholeFile(workspace.torloExe());
    writePlaces(extra / "texts.bin", exe, fuzz::gameTextPlaces());
    writePlaces(extra / "hacks.bin", exe, fuzz::hackPlaces());

    writeText(extra / "settings.ini", "/games/torlo\n2147483656\n2147483663\n255\nyes\nno\nno\nTahoma\nyes\nyes\nno\ndosbox\n\n");
    // The settings file as QSettings writes it, with quoting, escapes, a list and @ forms.
    writeText(extra / "Quorvex.conf", "[General]\r\nBG=2147483663\r\nFG=2147483656\r\nFilter=255\r\n"
                                      "Font=\"Tahoma, Arial\"\r\nMakePL=no\r\nRunCommand=dosbox -c \\\"x\\\"\r\n"
                                      "TorloPath=/games/t\\xf6rlo\r\nUsername=@@me ; comment\r\n"
                                      "Website=@ByteArray(http://a)\r\nTextEditor=a, b\r\n\r\n[Other]\r\nx=@Invalid()\r\n");
    writeListSeeds(extra);
    return 0;
}
