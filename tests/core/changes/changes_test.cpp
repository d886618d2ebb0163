// The game compared with its original and with another folder, through every editor's save;
// revert through the same saves; the changes exported as a plugin and installed elsewhere.
#include "core/ai/ai_values.h"
#include "core/changes/changes.h"
#include "core/formats/activation.h"
#include "core/formats/palette.h"
#include "core/store/backups.h"
#include "core/base/places.h"
#include "core/hacks/hacks.h"
#include "core/palette/palette_editor.h"
#include "core/shell/blood.h"
#include "core/sound/sound_bank.h"
#include "core/sound/sound_operations.h"
#include "test_support.h"
#include "core/texts/game_texts.h"
#include "core/weapons/object_fields.h"
#include "core/weapons/sobject_fields.h"
#include "core/weapons/weapon_table.h"

#include <gtest/gtest.h>

#include <functional>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

const Asker Yes = [](std::string_view) { return true; };

// One edit made through an editor's own save, and the changes it must show: area, entry, key,
// after (the before values are checked against a comparison with an untouched game).
struct Edit {
    const char* what;
    std::function<void(const Workspace&)> apply;
    std::function<std::vector<std::string>(const Workspace&)> expected;   // "area entry key after"
};

std::string brief(const Change& change)
{
    return std::string(areaWord(change.area)) + " " + change.entry + " " + change.key + " " + change.after;
}

void setEntry(const Workspace& ws, const FieldArrays& table, int entry, std::string_view key, std::string text)
{
    auto page = showEntry(ws, table, entry);
    page[*fieldByKey(table.fields, key)].text = std::move(text);
    ASSERT_TRUE(saveEntry(ws, table, entry, page).succeeded());
}

const std::vector<Edit>& edits()
{
    static const std::vector<Edit> table = {
        {"rename a weapon and change one of its fields",
         [](const Workspace& ws) {
             auto data = loadWeapons(ws);
             ASSERT_TRUE(renameWeapon(ws, data.names, 3, "ZAPPER").succeeded());
             auto page = showWeapon(data.table, 3);
             page[*fieldByKey(WeaponFields, "SPEED")].text = "777";
             copyPageToTable(data.table, 3, page);
             ASSERT_TRUE(saveWeapons(ws, data.table).succeeded());
         },
         [](const Workspace&) { return std::vector<std::string>{"weapon 3 NAME ZAPPER", "weapon 3 SPEED 777"}; }},
        {"an object field", [](const Workspace& ws) { setEntry(ws, ObjectArrays, 23, "HITDAMAGE", "77"); },
         [](const Workspace&) { return std::vector<std::string>{"object 23 HITDAMAGE 77"}; }},
        {"a special-object field", [](const Workspace& ws) { setEntry(ws, SObjectArrays, 13, "EARTHQUAKE", "41"); },
         [](const Workspace&) { return std::vector<std::string>{"sobject 13 EARTHQUAKE 41"}; }},
        {"a CPU AI value",
         [](const Workspace& ws) {
             auto texts = readAiTexts(ws);
             texts[*aiFieldByKey("MINRANGE")] = "-7";
             ASSERT_TRUE(saveAi(ws, texts).succeeded());
         },
         [](const Workspace&) { return std::vector<std::string>{"ai - MINRANGE -7"}; }},
        {"a hack switch and a hack field",
         [](const Workspace& ws) {
             auto values = readHacks(ws);
             values.on[*hackByKey("GRAVITYWORMS")] = !values.on[*hackByKey("GRAVITYWORMS")];
             values.text[*hackByKey("DIGGING")] = "20";
             ASSERT_TRUE(saveHacks(ws, values, true).succeeded());
         },
         [](const Workspace& ws) {
             return std::vector<std::string>{
                 std::string("hack - GRAVITYWORMS ") + (readHacks(ws).on[*hackByKey("GRAVITYWORMS")] ? "1" : "0"),
                 "hack - DIGGING 20"};
         }},
        {"a game text", [](const Workspace& ws) { ASSERT_TRUE(setGameText(ws, 7, "Sound is off!!").succeeded()); },
         [](const Workspace&) { return std::vector<std::string>{"text 7 TEXT Sound is off!!"}; }},
        {"a colour and a material",
         [](const Workspace& ws) {
             auto palette = loadPalette(ws);
             auto materials = loadMaterials(ws);
             palette[5] = {200, 12, 4};
             materials.kind[9] = static_cast<std::uint8_t>((materials.kind[9] + 1) % 4);
             materials.shadow[9] ^= 1;
             ASSERT_TRUE(saveMaterials(ws, materials, palette).succeeded());
         },
         [](const Workspace& ws) {
             const auto m = loadMaterials(ws);
             return std::vector<std::string>{"palette 5 RGB 200 12 4", "material 9 KIND " + std::to_string(m.kind[9]),
                                             "material 9 SHADOW " + std::to_string(m.shadow[9])};
         }},
        {"the blood", [](const Workspace& ws) { ASSERT_TRUE(setBlood(ws, 1000).succeeded()); },
         [](const Workspace&) { return std::vector<std::string>{"blood - BLOOD 1000"}; }},
        {"a level activated, then the graphics and a sound bank",
         [](const Workspace& ws) {
             for (const char* mod : {"MEADOW.LEV", "NEONGFX.CHR"})
                 ASSERT_TRUE(activateFile(ws.gameFolder / "mods" / mod, ws.gameFolder, ws, Yes).outcome.succeeded());
             auto bank = SoundBank::load(ws.torloSnd());
             bank.replace(4, Bytes(300, 7));
             ASSERT_TRUE(saveSoundBank(bank, ws.torloSnd()).succeeded());
         },
         [](const Workspace& ws) {
             return std::vector<std::string>{"level - NAME MEADOW", "graphics - FILE " + std::to_string(fs::file_size(ws.torloChr())),
                                             "sound - FILE " + std::to_string(fs::file_size(ws.torloSnd())),
                                             "sound 4 SAMPLES 300"};
         }},
        {"bytes outside every field, and a name slot's byte after the name",
         [](const Workspace& ws) {
             auto exe = readBytes(ws.torloExe());
             exe[0] ^= 0xFF;
             exe[1] ^= 0xFF;
             exe[places::WeaponNames + places::WeaponNameSlot * 10 + 13] ^= 0x55;
             GameFile(ws.torloExe()).writeAt(0, exe);
         },
         [](const Workspace& ws) {
             const auto at = std::to_string(places::WeaponNames + places::WeaponNameSlot * 10 + 13);
             const auto name = ws.torloExe().filename().string();
             return std::vector<std::string>{"unknown " + name + " 0-1 -", "unknown " + name + " " + at + "-" + at + " -"};
         }},
    };
    return table;
}

// Sorted as the comparison lists them: by area, then as each comparer goes.
std::vector<std::string> briefs(const std::vector<Change>& changes)
{
    std::vector<std::string> result;
    for (const auto& change : changes)
        result.push_back(brief(change));
    return result;
}

std::vector<std::string> sorted(std::vector<std::string> lines)
{
    std::sort(lines.begin(), lines.end());
    return lines;
}

struct ChangesTest : ::testing::Test {
    DemoGame demo;
    DemoGame untouched;
    const Workspace& ws = demo.workspace;

    std::vector<Change> againstOriginal() { return compareGames(ws, ComparedGame::original(ws)); }
};

} // namespace

TEST_F(ChangesTest, AGameChangedThroughEveryEditorComparesAsExactlyThoseChangesAndEachRevertRestoresOnlyItsOwn)
{
    const auto files = [&] {
        return std::vector{readBytes(ws.torloExe()), readBytes(ws.torloDat()), readBytes(ws.torloChr()), readBytes(ws.torloSnd())};
    };
    const auto original = files();
    EXPECT_TRUE(againstOriginal().empty());

    std::vector<std::vector<std::string>> expected;
    for (const auto& edit : edits()) {
        test::asOperation(ws, [&] { edit.apply(ws); });
        expected.push_back(edit.expected(ws));
    }
    const auto all = [&](std::size_t from) {
        std::vector<std::string> lines;
        for (auto i = from; i < expected.size(); ++i)
            lines.insert(lines.end(), expected[i].begin(), expected[i].end());
        return sorted(lines);
    };
    auto changes = againstOriginal();
    EXPECT_EQ(sorted(briefs(changes)), all(0));
    // The originals the backups keep and an untouched copy of the game are the same "before".
    EXPECT_EQ(changes, compareGames(ws, ComparedGame::folder(ws, untouched.game())));
    for (const auto& change : changes) {
        if (change.area != ChangeArea::Unknown && change.key != "FILE") {   // files show their sizes
            EXPECT_NE(change.before, change.after) << brief(change);
        }
    }
    // Values as the areas' show commands print them.
    EXPECT_EQ(changeLine(changesNamed(changes, ChangeArea::Blood, "-", "BLOOD").at(0)), "blood\t-\tBLOOD\t500\t1000");
    EXPECT_EQ(changeLine(changesNamed(changes, ChangeArea::Level, "-", "NAME").at(0)), "level\t-\tNAME\tDEMO1\tMEADOW");
    // In table order: the areas as listed, unknown bytes last.
    EXPECT_TRUE(std::is_sorted(changes.begin(), changes.end(), [](const Change& a, const Change& b) { return a.area < b.area; }));

    // Each edit reverted in turn through the editors' saves: exactly its changes go.
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(edits()[i].what);
        std::vector<Change> mine;
        for (const auto& change : againstOriginal())
            if (std::find(expected[i].begin(), expected[i].end(), brief(change)) != expected[i].end())
                mine.push_back(change);
        ASSERT_EQ(mine.size(), expected[i].size());
        for (const auto& report : revertChanges(ws, ComparedGame::original(ws), mine))
            EXPECT_NE(report.kind, Outcome::Kind::Refused) << report.status;
        EXPECT_EQ(sorted(briefs(againstOriginal())), all(i + 1));
    }
    EXPECT_EQ(files(), original);
}

TEST_F(ChangesTest, TwoIdenticalGamesCompareEmptyAndAMissingGameIsAnError)
{
    EXPECT_TRUE(compareGames(ws, ComparedGame::folder(ws, untouched.game())).empty());
    EXPECT_TRUE(againstOriginal().empty());
    EXPECT_NE(errorText([&] { ComparedGame::folder(ws, demo.scratch / "nowhere"); }), "no error");
}

// A game whose torlo.dat names no level (as the game's own does) is named so in the log.
TEST_F(ChangesTest, ALevelNameRevertedToAnEmptyOneIsLoggedSo)
{
    auto dat = readBytes(untouched.workspace.torloDat());
    dat[places::DatLevelName] = 0;
    writeBytes(untouched.workspace.torloDat(), dat);
    const auto reports = revertChanges(ws, ComparedGame::folder(ws, untouched.game()),
                                       changesNamed(compareGames(ws, ComparedGame::folder(ws, untouched.game())),
                                                    ChangeArea::Level, "-", std::nullopt));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].logMessage, "Level name reverted to an empty name");
    EXPECT_EQ(readBytes(ws.torloDat()), dat);
}

TEST_F(ChangesTest, TheExportedPluginGivesAFreshOriginalTheChangedTablesAndNamesOnlyChangedKeys)
{
    for (std::size_t i = 0; i < 3; ++i)
        test::asOperation(ws, [&] { edits()[i].apply(ws); });
    test::asOperation(ws, [&] { edits()[7].apply(ws); });   // the blood is no table of a plugin
    int asked = 0;
    const auto answer = [&](const fs::path& file) {
        return [&asked, file](const std::string&, const fs::path&) {
            ++asked;
            return std::optional(file);
        };
    };
    const auto plugin = demo.scratch / "CHANGES.LWP";
    ASSERT_TRUE(exportChanges(againstOriginal(), true, answer(plugin)).succeeded());
    const std::vector<std::string> records{"WEAPON:4\r", "NAME:ZAPPER\r", "SPEED:777\r", "OBJECT:23\r",
                                           "HITDAMAGE:77\r", "SOBJECT:14\r", "EARTHQUAKE:41\r"};
    auto version2 = records;
    version2.insert(version2.begin(), {"LWP\r", "VERSION:2\r"});
    EXPECT_EQ(lines(readText(plugin)), version2);
    // Version 1 differs in its header only; a name without a dot gets the extension.
    ASSERT_TRUE(exportChanges(againstOriginal(), false, answer(demo.scratch / "v1")).succeeded());
    auto version1 = records;
    version1.insert(version1.begin(), "TORLOKIT:WEAPONPLUGIN\r");
    EXPECT_EQ(lines(readText(demo.scratch / "v1.LWP")), version1);
    EXPECT_EQ(asked, 2);

    const auto& fresh = untouched.workspace;
    ASSERT_TRUE(activateFile(plugin, fresh.gameFolder, fresh, Yes).outcome.succeeded());
    const auto tables = [](const Workspace& game) {
        const auto exe = readBytes(game.torloExe());
        return std::vector(exe.begin() + places::ObjectTable, exe.begin() + places::Materials);
    };
    EXPECT_EQ(tables(fresh), tables(ws));

    // Nothing of the three tables changed: refused before the file is asked for, nothing written.
    const auto none = demo.scratch / "NONE.LWP";
    EXPECT_FALSE(exportChanges(changesNamed(againstOriginal(), ChangeArea::Blood, "-", std::nullopt), true, answer(none)).succeeded());
    EXPECT_FALSE(fs::exists(none));
    EXPECT_EQ(asked, 2);
}
