// quorvex-cli mods on a demo game: the game is always its originals plus the switched-on entries
// in order, checked byte for byte against a game built by activating the survivors alone; what
// no entry explains (the editors' saves, another program) survives every rebuild as an entry;
// undo puts the list and the files back; a damaged store entry writes nothing.
#include "core/base/places.h"
#include "core/formats/activation.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

void writeText(const fs::path& file, const std::string& text)
{
    writeBytes(file, std::vector<std::uint8_t>(text.begin(), text.end()));
}

struct ModsCliTest : ::testing::Test {
    DemoGame demo;
    fs::path data = demo.scratch / "cli-data";
    fs::path mods = demo.game() / "mods";

    ModsCliTest()
    {
        fs::create_directories(data);
        // Two plugins that set weapon 0's AMMO and each another key; both set BLOOD to 50, so the
        // later sets a value the game already had when it came.
        writeText(mods / "A.LWP", "LWP\nVERSION:2\nWEAPON:1\nAMMO:7\nBLOOD:50\n");
        writeText(mods / "B.LWP", "LWP\nVERSION:2\nWEAPON:1\nAMMO:9\nBLOW:30\nBLOOD:50\n");
    }

    CommandResult cli(const fs::path& game, const fs::path& dataFolder, std::vector<std::string> args)
    {
        std::vector<std::string> all{"env", "QUORVEX_DATA_DIR=" + dataFolder.string(), QUORVEX_CLI_PATH, "--game",
                                     game.string()};
        all.insert(all.end(), args.begin(), args.end());
        return runCommand(all);
    }
    CommandResult cli(std::vector<std::string> args) { return cli(demo.game(), data, std::move(args)); }
    void ok(std::vector<std::string> args)
    {
        const auto result = cli(args);
        ASSERT_EQ(result.exitCode, 0) << args.at(0) << " " << args.at(1) << ": " << result.err;
    }
    std::vector<std::string> list() { return lines(cli({"mods", "list"}).out); }
    std::string listColumn(std::size_t column)
    {
        std::string out;
        for (const auto& line : list()) {
            std::size_t start = 0;
            for (std::size_t i = 0; i < column; ++i)
                start = line.find('\t', start) + 1;
            out += line.substr(start, line.find('\t', start) - start) + " ";
        }
        return out;
    }
    std::string weapon0(const std::string& key)
    {
        for (const auto& line : lines(cli({"weapons", "show", "0"}).out))
            if (line.rfind(key + ":", 0) == 0)
                return line.substr(key.size() + 1);
        return "?";
    }
    // The game's files as activating `files` alone, in order, on the originals makes them.
    fs::path alone(const std::vector<std::string>& files)
    {
        DemoGame fresh;
        const auto freshData = fresh.scratch / "data";
        for (const auto& file : files)
            EXPECT_EQ(cli(fresh.game(), freshData, {"activate", (mods / file).string()}).exitCode, 0);
        const auto kept = demo.scratch / ("alone-" + std::to_string(++built));
        fs::create_directories(kept);
        for (const auto* name : {"torlo.exe", "torlo.dat", "TORLO.CHR", "TORLO.SND"})
            fs::copy_file(fresh.game() / name, kept / name);
        return kept;
    }
    void expectGameAs(const fs::path& built, const std::string& when)
    {
        for (const auto* name : {"torlo.exe", "torlo.dat", "TORLO.CHR", "TORLO.SND"})
            EXPECT_EQ(readBytes(demo.game() / name), readBytes(built / name)) << name << " " << when;
    }
    fs::path listFile()
    {
        for (const auto& entry : fs::recursive_directory_iterator(data / "backups"))
            if (entry.path().filename() == "mods.txt")
                return entry.path();
        return {};
    }
    int built = 0;
};

} // namespace

TEST_F(ModsCliTest, TwoPluginsAreSwitchedMovedAndMatchTheSurvivorAlone)
{
    const auto originals = alone({});
    const auto onlyA = alone({"A.LWP"}), onlyB = alone({"B.LWP"});
    auto added = cli({"mods", "add", (mods / "A.LWP").string()});
    ASSERT_EQ(added.exitCode, 0) << added.err;
    EXPECT_EQ(lines(added.out).back(), "1\tA.LWP");
    ok({"mods", "add", (mods / "B.LWP").string()});
    EXPECT_EQ(listColumn(1) + listColumn(2) + listColumn(3), "on on plugin plugin A.LWP B.LWP ");
    EXPECT_EQ(weapon0("AMMO"), "9");

    // Both fields that both set are contested; the later one wins.
    EXPECT_EQ(lines(cli({"mods", "conflicts"}).out),
              (std::vector<std::string>{"weapon\t0\tAMMO\t2\t1", "weapon\t0\tBLOOD\t2\t1"}));
    const auto shown = lines(cli({"mods", "show", "2"}).out);
    EXPECT_EQ(shown.at(0), "weapon\t0\tAMMO\t7\t9");   // BEFORE: what the entry below gives

    ok({"mods", "off", "1"});
    expectGameAs(onlyB, "with A off");
    ok({"mods", "on", "1"});
    ok({"mods", "off", "2"});
    expectGameAs(onlyA, "with B off");
    ok({"mods", "on", "2"});
    ok({"mods", "move", "2", "1"});
    EXPECT_EQ(listColumn(3), "B.LWP A.LWP ");
    EXPECT_EQ(weapon0("AMMO"), "7");
    EXPECT_EQ(lines(cli({"mods", "conflicts"}).out).at(0), "weapon\t0\tAMMO\t2\t1");
    // B sets BLOOD too, although the game had A's 50 already: with A off it stays.
    ok({"mods", "off", "2"});
    expectGameAs(onlyB, "with A off after the move");
    ok({"mods", "off", "1"});
    expectGameAs(originals, "with both off");
    ok({"mods", "remove", "1"});
    EXPECT_EQ(listColumn(3), "A.LWP ");
}

TEST_F(ModsCliTest, LevelsGraphicsAndSoundsLaterWinsAndAllOffIsTheOriginals)
{
    const auto originals = alone({});
    // A second graphics and sound mod: the demo's with other bytes.
    auto chr = readBytes(mods / "NEONGFX.CHR");
    chr[100] ^= 0xFF;
    writeBytes(mods / "OTHER.CHR", chr);
    auto snd = readBytes(mods / "CRUNCHY.SND");
    snd[snd.size() - 1] ^= 0xFF;
    writeBytes(mods / "OTHER.SND", snd);
    for (const auto* mod : {"MEADOW.LEV", "SUNSET.LEV", "NEONGFX.CHR", "OTHER.CHR", "CRUNCHY.SND", "OTHER.SND"})
        ok({"mods", "add", (mods / mod).string()});
    EXPECT_EQ(listColumn(2), "level level graphics graphics sounds sounds ");
    EXPECT_EQ(readBytes(demo.game() / "TORLO.CHR"), chr);
    EXPECT_EQ(readBytes(demo.game() / "TORLO.SND"), snd);
    const auto conflicts = lines(cli({"mods", "conflicts"}).out);
    EXPECT_NE(std::find(conflicts.begin(), conflicts.end(), "level\t-\tNAME\t2\t1"), conflicts.end());
    EXPECT_NE(std::find(conflicts.begin(), conflicts.end(), "graphics\t-\tFILE\t4\t3"), conflicts.end());

    // The later level off: the earlier is active again, its file in the game folder.
    fs::remove(demo.game() / "MEADOW.LEV");
    ok({"mods", "off", "2"});
    EXPECT_EQ(levelNameIn(readBytes(demo.game() / "torlo.dat")), "MEADOW");
    EXPECT_EQ(readBytes(demo.game() / "MEADOW.LEV"), readBytes(mods / "MEADOW.LEV"));
    ok({"mods", "off", "4"});
    ok({"mods", "off", "6"});
    EXPECT_EQ(readBytes(demo.game() / "TORLO.CHR"), readBytes(mods / "NEONGFX.CHR"));
    EXPECT_EQ(readBytes(demo.game() / "TORLO.SND"), readBytes(mods / "CRUNCHY.SND"));
    for (const auto* n : {"1", "3", "5"})
        ok({"mods", "off", n});
    expectGameAs(originals, "with every mod off");
}

TEST_F(ModsCliTest, OutsideChangesSurviveEveryRebuildAndUndoPutsTheListBack)
{
    ok({"mods", "add", (mods / "A.LWP").string()});
    // Another program changes a byte outside every field, and the blood in torlo.dat.
    auto exe = readBytes(demo.game() / "torlo.exe");
    exe[100] ^= 0x5A;
    writeBytes(demo.game() / "torlo.exe", exe);
    ok({"mods", "add", (mods / "B.LWP").string()});
    EXPECT_EQ(listColumn(2), "plugin outside plugin ");
    for (const auto& args : std::vector<std::vector<std::string>>{{"off", "1"}, {"off", "3"}, {"move", "1", "3"}, {"on", "3"}}) {
        std::vector<std::string> line{"mods"};
        line.insert(line.end(), args.begin(), args.end());
        ok(line);
        EXPECT_EQ(readBytes(demo.game() / "torlo.exe").at(100), exe[100]) << args.at(0);
    }

    // One undo puts the list and the files of the last switch back.
    const auto listBefore = list();
    const auto exeBefore = readBytes(demo.game() / "torlo.exe");
    ok({"mods", "off", "1"});
    EXPECT_NE(readBytes(demo.game() / "torlo.exe"), exeBefore);
    ok({"undo"});
    EXPECT_EQ(list(), listBefore);
    EXPECT_EQ(readBytes(demo.game() / "torlo.exe"), exeBefore);
}

TEST_F(ModsCliTest, EditorSavesGatherIntoOneEditsEntryThatSwitchesOff)
{
    ok({"mods", "add", (mods / "A.LWP").string()});
    const auto beforeEdits = readBytes(demo.game() / "torlo.exe");
    ok({"objects", "set", "3", "SPEED=5"});
    ok({"weapons", "set", "2", "AMMO=3"});
    EXPECT_EQ(listColumn(2), "plugin edits ");
    ok({"mods", "off", "2"});
    EXPECT_EQ(readBytes(demo.game() / "torlo.exe"), beforeEdits);
    ok({"mods", "on", "2"});
    EXPECT_EQ(lines(cli({"objects", "show", "3"}).out).size() > 0, true);
    // An installed mod closes the entry; the next save opens another.
    ok({"mods", "add", (mods / "B.LWP").string()});
    ok({"weapons", "set", "2", "AMMO=4"});
    EXPECT_EQ(listColumn(2), "plugin edits plugin edits ");
}

TEST_F(ModsCliTest, AMissingModFileStillRebuildsAndADamagedStoreEntryWritesNothing)
{
    const auto onlyB = alone({"B.LWP"});
    ok({"mods", "add", (mods / "A.LWP").string()});
    ok({"mods", "add", (mods / "B.LWP").string()});
    fs::remove(mods / "A.LWP");
    ok({"mods", "off", "1"});
    ok({"mods", "on", "1"});
    ok({"mods", "off", "1"});
    expectGameAs(onlyB, "after the mod file was deleted");

    // An unknown number, or a place outside the list, is refused and writes nothing.
    const auto listText = readText(listFile());
    const auto exe = readBytes(demo.game() / "torlo.exe");
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"mods", "off", "3"}, {"mods", "on", "0"}, {"mods", "move", "1", "3"}, {"mods", "remove", "9"}}) {
        const auto refused = cli(args);
        EXPECT_EQ(refused.exitCode, 1) << args[1];
        EXPECT_EQ(readText(listFile()), listText);
        EXPECT_EQ(readBytes(demo.game() / "torlo.exe"), exe);
    }

    // Entry 1's game in the store damaged: the switch names the file and writes nothing.
    const auto store = listFile().parent_path() / "store";
    std::string version;
    for (const auto& line : lines(listText))
        if (line.rfind("E\t1\t", 0) == 0)
            version.clear();
        else if (version.empty() && line.rfind("G\t", 0) == 0 && line.ends_with("torlo.exe"))
            version = line.substr(2, 64);
    ASSERT_FALSE(version.empty());
    for (const auto& entry : fs::directory_iterator(store))
        if (entry.path().filename().string().rfind(version, 0) == 0) {
            auto bytes = readBytes(entry.path());
            bytes.back() ^= 0xFF;
            writeBytes(entry.path(), bytes);
        }
    const auto refused = cli({"mods", "on", "1"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("torlo.exe"), std::string::npos) << refused.err;
    EXPECT_EQ(readText(listFile()), listText);
    EXPECT_EQ(readBytes(demo.game() / "torlo.exe"), exe);
}

TEST_F(ModsCliTest, APackAddsEachModInItsOrderAndAProfileHoldsTheList)
{
    writeZip(demo.scratch / "PACK.zip", {{"B.LWP", readText(mods / "B.LWP")},
                                         {"readme.txt", "not a mod"},
                                         {"A.LWP", readText(mods / "A.LWP")}});
    const auto added = cli({"mods", "add", (demo.scratch / "PACK.zip").string()});
    ASSERT_EQ(added.exitCode, 0) << added.err;
    EXPECT_EQ(listColumn(3), "PACK.zip: B.LWP PACK.zip: A.LWP ");
    EXPECT_EQ(weapon0("AMMO"), "7");

    ok({"profiles", "save", "both"});
    ok({"mods", "off", "2"});
    ok({"profiles", "switch", "both"});
    EXPECT_EQ(listColumn(1), "on on ");
    EXPECT_EQ(weapon0("AMMO"), "7");
}
