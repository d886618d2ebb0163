// Weapon plugins on a demo game: what the writers put in a file, and what the reader installs
// (headers, prompts, numbering, records that keep their entry's own values, stops that name
// the line and leave the records before them installed). Also the checks of the field tables.
#include "core/formats/activation.h"
#include "core/base/errors.h"
#include "test_support.h"
#include "core/weapons/object_fields.h"
#include "core/weapons/plugin.h"
#include "core/weapons/sobject_fields.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace quorvex;
using quorvex::test::DemoGame;
using quorvex::test::readBytes;
using quorvex::test::readText;
using quorvex::test::writeBytes;

namespace {

std::size_t at(const FieldArrays& table, std::string_view key, int entry)
{
    const auto& field = table.fields[*fieldByKey(table.fields, key)];
    return table.offset + field.position + static_cast<std::size_t>(field.width) * entry;
}

std::size_t weaponAt(std::string_view key, int weapon)
{
    const auto& field = WeaponFields[*weaponFieldByKey(key)];
    return places::WeaponTable + field.position + static_cast<std::size_t>(field.width) * weapon;
}

struct PluginTest : ::testing::Test {
    DemoGame demo;
    fs::path exe = demo.workspace.torloExe();
    Bytes before = readBytes(exe);
    std::vector<std::string> asked;
    std::deque<bool> answers;
    PluginPages pages;

    fs::path write(const std::string& name, const std::string& text)
    {
        const auto path = demo.scratch / name;
        writeBytes(path, Bytes(text.begin(), text.end()));
        return path;
    }
    PluginInstall install(const fs::path& file)
    {
        return installPlugin(file, demo.workspace, pages, [this](std::string_view question) {
            asked.emplace_back(question);
            const bool yes = answers.empty() || answers.front();
            if (!answers.empty())
                answers.pop_front();
            return yes;
        });
    }
    PluginInstall install(const char* text) { return install(write("p.lwp", text)); }
    PluginInstall install(const std::string& text) { return install(write("p.lwp", text)); }
    std::vector<std::string> statuses(const PluginInstall& installed)
    {
        std::vector<std::string> texts;
        for (const auto& report : installed.reports)
            texts.push_back(report.status);
        return texts;
    }
};

// A made-up table of two byte fields of 4 entries in 8 bytes, with the second field moved.
constexpr std::array<TableField, 2> twoFields(std::uint16_t second, FieldWidth width = FieldWidth::Byte)
{
    return {{{0, FieldWidth::Byte, Signedness::Unsigned, "A", "", 1, "EditA", FieldKind::Number, ValueList::None, "A:", 2},
             {second, width, Signedness::Unsigned, "B", "", 1, "EditB", FieldKind::Number, ValueList::None, "B:", 3}}};
}

} // namespace

TEST(FieldTableChecks, RefuseGapsOverlapsAndAllowOnlyTheNamedOverlap)
{
    EXPECT_TRUE(field_checks::tileTable(twoFields(4), 4, 8));
    EXPECT_FALSE(field_checks::tileTable(twoFields(5), 4, 9));   // a gap of one byte
    EXPECT_FALSE(field_checks::tileTable(twoFields(3), 4, 7));   // one shared byte
    EXPECT_TRUE(field_checks::tileTable(twoFields(3), 4, 7, "A:", "B:", 1));
    EXPECT_FALSE(field_checks::tileTable(twoFields(3), 4, 7, "B:", "A:", 1));   // the wrong way round
    EXPECT_FALSE(field_checks::tileTable(twoFields(2), 4, 6, "A:", "B:", 1));   // more than allowed
    EXPECT_FALSE(field_checks::tileTable(twoFields(4, FieldWidth::Word), 4, 12));   // a 16-bit field must be signed
    EXPECT_TRUE(field_checks::namesAreUnique(twoFields(4)));
    auto twice = twoFields(4);
    twice[1].pluginLine = 2;
    EXPECT_FALSE(field_checks::namesAreUnique(twice));

    EXPECT_EQ(ObjectFields.size(), 28u);
    EXPECT_EQ(SObjectFields.size(), 12u);
    EXPECT_EQ(ObjectFields[fieldsInRecordOrder(ObjectFields).front()].pluginKey, "BLOOD:");
    EXPECT_EQ(SObjectFields[fieldsInRecordOrder(SObjectFields).back()].pluginKey, "MAPCHANGE:");
}

TEST_F(PluginTest, SaveOfATooShortGameWritesNothing)
{
    auto values = showEntry(demo.workspace, SObjectArrays, 13);
    values[*fieldByKey(SObjectFields, "BLOW")].text = "7";
    Bytes shortExe(before.begin(), before.begin() + places::SpecialObjectTable + 100);   // ends inside "Blow away"
    writeBytes(exe, shortExe);
    EXPECT_THROW(saveEntry(demo.workspace, SObjectArrays, 13, values), FileError);
    EXPECT_EQ(readBytes(exe), shortExe);
}

TEST_F(PluginTest, VersionOneAndTwoInstallIdenticallyAndOtherHeadersNothing)
{
    const std::string records = "PROMPT:Go?\r\nWEAPON:2\r\nRECOIL:8\r\nOBJECT:4\r\nBLOW:9\r\nSOBJECT:1\r\nDAMAGE:3\r\nHITDAMAGE:4\r\n";
    const auto one = install("TORLOKIT:WEAPONPLUGIN\r\n" + records);
    const auto afterOne = readBytes(exe);
    writeBytes(exe, before);
    pages = {};
    const auto two = install("LWP\nVERSION:2\n" + records);   // bare line feeds read as well
    EXPECT_EQ(readBytes(exe), afterOne);
    EXPECT_EQ(statuses(one), statuses(two));
    // No name in the record: the weapon keeps its own, which is not written again.
    EXPECT_EQ(statuses(one), (std::vector<std::string>{"Weapons saved", "Weapon replaced", "Object saved",
                                                       "Object replaced", "Special object saved", "Special object replaced"}));
    EXPECT_EQ(afterOne[weaponAt("RECOIL", 1)], 8);
    EXPECT_EQ(afterOne[at(ObjectArrays, "BLOW", 4)], 9);
    EXPECT_EQ(afterOne[at(SObjectArrays, "HITDAMAGE", 0)], 4);
    EXPECT_EQ(one.reports[4].logMessage, "Special Object \"Large explosion\" saved");
    EXPECT_EQ(pages.weapon, 1);
    EXPECT_EQ(pages.object, 4);
    EXPECT_EQ(pages.sobject, 0);

    writeBytes(exe, before);
    asked.clear();
    for (const std::string header : {"LWP\r\nVERSION:1\r\n", "LWP\r\n\r\n", "lwp\r\nVERSION:2\r\n", "TORLOKIT:WEAPONPLUGIN \r\n", ""}) {
        const auto nothing = install(header + records);
        ASSERT_EQ(nothing.reports.size(), 1u) << header;
        EXPECT_EQ(nothing.reports[0].kind, Outcome::Kind::Nothing);
        EXPECT_FALSE(nothing.wrote.any());
    }
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(readBytes(exe), before);
}

TEST_F(PluginTest, TwoPromptsAskTwiceAndNoToEitherInstallsNothing)
{
    const std::string text = "LWP\r\nVERSION:2\r\nPROMPT:First?\r\nPROMPT:Second: really?\r\nOBJECT:1\r\nPROMPT:Inside\r\nBLOW:5\r\n";
    for (std::deque<bool> script : {std::deque<bool>{false}, std::deque<bool>{true, false}}) {
        asked.clear();
        answers = script;
        const auto installed = install(text);
        EXPECT_EQ(asked.size(), script.size());
        EXPECT_FALSE(installed.wrote.any());
        EXPECT_EQ(readBytes(exe), before);
    }
    asked.clear();
    const auto installed = install(text);
    EXPECT_EQ(asked, (std::vector<std::string>{"First?", "Second: really?"}));   // the one inside the record is a key
    EXPECT_EQ(readBytes(exe)[at(ObjectArrays, "BLOW", 1)], 5);

    // The file's text is code page 437: questions and messages quote it in UTF-8.
    asked.clear();
    const auto stopped = install("LWP\r\nVERSION:2\r\nPROMPT:Na\x8Bve?\r\nOBJECT:\x9B" "5\r\nBLOW:5\r\n");
    EXPECT_EQ(asked, (std::vector<std::string>{"Na\u00efve?"}));
    EXPECT_EQ(stopped.reports.back().status, "Plugin stopped at line 4: '\u00a25' is not a valid integer value");
}

TEST_F(PluginTest, NumberedRecordsKeepTheirOwnValuesAndKeysWinByTheLast)
{
    // The pages showed weapon 0, object 0 and special object 0 before.
    const auto installed = install("TORLOKIT:WEAPONPLUGIN\r\nWEAPON:10\r\nNAME:new  gun\r\nRECOIL:1\r\nRECOIL:2\r\n"
                                   "ORDER:77\r\nOBJECT:259\r\nSPLINTERTYPE:-1\r\nGRAVITY:-1\r\nWORMREMOVE:yes\r\nMAPCHANGE:130\r\n"
                                   "SOBJECT:14\r\nBLOW:4294967295\r\nSHADOW:1\r\n");
    ASSERT_TRUE(installed.reports.back().succeeded()) << installed.reports.back().status;
    auto expected = before;
    expected[weaponAt("RECOIL", 9)] = 2;
    expected[weaponAt("ORDER", 9)] = 77;
    const auto name = encodeWeaponName("NEW  GUN");
    std::copy(name.begin(), name.end(), expected.begin() + places::WeaponNames + 14 * 9);
    expected[at(ObjectArrays, "SPLINTERTYPE", 3)] = 255;   // "-1": an empty list
    expected[at(ObjectArrays, "GRAVITY", 3)] = 255;
    expected[at(ObjectArrays, "GRAVITY", 3) + 1] = 255;
    expected[at(ObjectArrays, "WORMREMOVE", 3)] = 0;
    expected[at(ObjectArrays, "MAPCHANGE", 3)] = 255;    // 130 names no row: all eight bits count
    for (int b = 0; b < 4; ++b)
        expected[at(SObjectArrays, "BLOW", 13) + b] = 255;   // on the "Shadow" bytes of 0 to 3
    expected[at(SObjectArrays, "SHADOW", 13)] = 1;
    EXPECT_EQ(readBytes(exe), expected);
    EXPECT_EQ(pages.weapons->names[9], "NEW  GUN");
}

TEST_F(PluginTest, SelectedWeaponRecordWithoutKeysSavesTheSelectedWeaponAndKeepsItsName)
{
    pages.weapon = 4;
    pages.weapons = loadWeapons(demo.workspace);
    pages.weapons->table.setEntry(WeaponFields[*weaponFieldByKey("RECOIL")], 30, 99);   // an unsaved edit of another weapon
    const auto installed = install("TORLOKIT:WEAPONPLUGIN\r\nWEAPON:SELECTED");
    EXPECT_EQ(statuses(installed), (std::vector<std::string>{"Weapons saved", "Weapon replaced"}));
    auto expected = before;
    expected[weaponAt("RECOIL", 30)] = 99;   // saved whole, as "Save weapons" does
    EXPECT_EQ(readBytes(exe), expected);
}

TEST_F(PluginTest, ABadRecordInstallsNothingOfItselfAndStopsNamingItsLine)
{
    const std::string first = "LWP\r\nVERSION:2\r\nOBJECT:2\r\nBLOW:3\r\n";
    struct Case {
        std::string rest;
        std::string status;
    };
    for (const auto& c : std::vector<Case>{
             {"WEAPON:3\r\nNAME:RENAMED\r\nRECOIL:ten\r\n", "Plugin stopped at line 7: 'ten' is not a valid integer value"},
             {"WEAPON:0\r\nNAME:RENAMED\r\n", "Plugin stopped at line 5: \"WEAPON:0\" names no weapon (they run from 1 to 40)"},
             {"WEAPON:297\r\nNAME:RENAMED\r\n", "Plugin stopped at line 5: \"WEAPON:297\" names no weapon (they run from 1 to 40)"},
             {"OBJECT:24\r\nBLOW:1\r\n", "Plugin stopped at line 5: \"OBJECT:24\" names no object (they run from 0 to 23)"},
             {"SOBJECT:15\r\n", "Plugin stopped at line 5: \"SOBJECT:15\" names no special object (they run from 1 to 14)"},
             {"SOBJECT:x\r\n", "Plugin stopped at line 5: 'x' is not a valid integer value"},
             {"OBJECT:5\r\nSPLINTERCOLOR:red\r\n", "Plugin stopped at line 6: 'red' is not a valid integer value"},
             {"OBJECT:5\r\nMAPCHANGE:one\r\nMAPCHANGE:1\r\n", ""},   // the last of a key wins
         }) {
        writeBytes(exe, before);
        pages = {};
        const auto installed = install(first + c.rest + "OBJECT:7\r\nBLOW:8\r\n");
        const auto bytes = readBytes(exe);
        EXPECT_EQ(bytes[at(ObjectArrays, "BLOW", 2)], 3) << c.rest;   // the record before stays installed
        if (c.status.empty()) {
            EXPECT_TRUE(installed.reports.back().succeeded());
            EXPECT_EQ(bytes[at(ObjectArrays, "MAPCHANGE", 5)], 1);
            continue;
        }
        EXPECT_EQ(installed.reports.back().kind, Outcome::Kind::Refused);
        EXPECT_EQ(installed.reports.back().status, c.status);
        auto expected = before;
        expected[at(ObjectArrays, "BLOW", 2)] = 3;
        EXPECT_EQ(bytes, expected) << c.rest;   // no rename, nothing of the record, nothing after it
        EXPECT_TRUE(installed.wrote.objects);
        EXPECT_FALSE(installed.wrote.weapons);
    }
}

TEST_F(PluginTest, WritersCountAndFormatAsTheReaderExpects)
{
    const auto data = loadWeapons(demo.workspace);
    auto page = showWeapon(data.table, 6);
    const auto asPlugin = weaponRecord("TWO  SPACES", page, std::nullopt);
    EXPECT_EQ(asPlugin.prompt, "This will activate weapon TWO. Are you sure?");
    EXPECT_EQ(asPlugin.lines[0], "WEAPON:SELECTED");
    EXPECT_EQ(asPlugin.lines[1], "ORDER:6");
    EXPECT_EQ(asPlugin.lines[2], "NAME:TWO  SPACES");
    EXPECT_EQ(asPlugin.lines.size(), 51u);
    const auto inPlugin = weaponRecord("TWO  SPACES", page, 6);
    EXPECT_EQ(std::vector(inPlugin.lines.begin(), inPlugin.lines.begin() + 3),
              (std::vector<std::string>{"WEAPON:7", "NAME:TWO  SPACES", "ORDER:6"}));
    EXPECT_EQ(std::vector(inPlugin.lines.begin() + 3, inPlugin.lines.end()),
              std::vector(asPlugin.lines.begin() + 3, asPlugin.lines.end()));

    auto objectPage = showEntry(demo.workspace, ObjectArrays, 3);
    objectPage[*fieldByKey(ObjectFields, "SPLINTERTYPE")].row = -1;
    const auto object = objectRecord(3, objectPage);
    EXPECT_EQ(object.lines[0], "OBJECT:3");
    EXPECT_EQ(object.lines[24], "SPLINTERTYPE:-1");
    EXPECT_EQ(sobjectRecord(13, showEntry(demo.workspace, SObjectArrays, 13)).lines[0], "SOBJECT:14");
    EXPECT_EQ(sobjectRecord(13, showEntry(demo.workspace, SObjectArrays, 13)).prompt,
              "This will activate special object Undefined, but changeable. Are you sure?");

    // Only a name without any dot, in its folders too, gets ".LWP"; a longer file is replaced whole.
    const auto folder = demo.scratch / "with.dot";
    fs::create_directories(folder);
    for (const auto& [chosen, written] : std::vector<std::pair<fs::path, fs::path>>{
             {demo.scratch / "bare", demo.scratch / "bare.LWP"}, {folder / "bare", folder / "bare"}}) {
        writeBytes(written, Bytes(5000, 'z'));
        EXPECT_EQ(savePluginAs(object, false, [&](auto&&...) { return std::optional(chosen); }).status, "Object saved");
        EXPECT_EQ(readText(written).rfind("TORLOKIT:WEAPONPLUGIN\r\nPROMPT:This will activate object Particle (small damage). "
                                          "Are you sure?\r\nOBJECT:3\r\nBLOOD:", 0),
                  0u);
        EXPECT_EQ(readText(written).back(), '\n') << written;
    }
    const auto lwp = demo.scratch / "bare.LWP";
    const auto old = readText(lwp);
    EXPECT_EQ(saveInPlugin(lwp, inPlugin).status, "Object saved");
    EXPECT_EQ(readText(lwp).rfind(old + "\r\nWEAPON:7\r\nNAME:TWO  SPACES\r\nORDER:6\r\nACCADD:", 0), 0u);

    // Read back: the object record lands on object 3, the appended weapon record on weapon 6.
    pages.weapon = 0;
    const auto installed = install(lwp);
    EXPECT_EQ(pages.object, 3);
    EXPECT_EQ(pages.weapon, 6);
    EXPECT_EQ(readBytes(exe)[at(ObjectArrays, "SPLINTERTYPE", 3)], 255);
    EXPECT_EQ(loadWeapons(demo.workspace).names[6], "TWO  SPACES");
    EXPECT_TRUE(installed.reports.back().succeeded());
}

TEST_F(PluginTest, ActivationReportsEverySaveBeforeTheLastStatus)
{
    const auto file = write("a.LWP", "TORLOKIT:WEAPONPLUGIN\r\nOBJECT:0\r\nBLOW:201\r\nSOBJECT:1\r\n");
    const auto activation = activateFile(file, demo.scratch.path(), demo.workspace, [](std::string_view) { return true; });
    EXPECT_EQ(activation.outcome.status, "Special object replaced");
    ASSERT_EQ(activation.earlier.size(), 3u);
    EXPECT_EQ(activation.earlier[0].logMessage, "Object \"Worm 1 parts\" saved");
    EXPECT_TRUE(activation.pluginWrote.objects && activation.pluginWrote.sobjects && !activation.pluginWrote.weapons);
    EXPECT_EQ(activateFile(write("b.lwp", "TORLOKIT:WEAPONPLUGIN\r\n"), demo.scratch.path(), demo.workspace,
                           [](std::string_view) { return true; }).outcome.kind,
              Outcome::Kind::Nothing);
}

// A real plugin is a few kilobytes: a file over 4 MB is refused before anything is asked or
// installed; one of 4 MB installs.
TEST_F(PluginTest, AFileOverFourMegabytesIsRefusedBeforeAnythingIsInstalled)
{
    const std::string records = "TORLOKIT:WEAPONPLUGIN\r\nPROMPT:Go?\r\nWEAPON:2\r\nRECOIL:7\r\n";
    const auto sized = [&](std::uint64_t size) {
        auto text = records + "PAD:";
        text += std::string(size - text.size() - 2, 'a') + "\r\n";
        return text;
    };
    const auto over = install(sized(MaxPluginSize + 1));
    ASSERT_EQ(over.reports.size(), 1u);
    EXPECT_EQ(over.reports[0].kind, Outcome::Kind::Refused);
    EXPECT_EQ(over.reports[0].status, "Not installed: a weapon plugin is at most 4 MB, and this file is larger");
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(readBytes(exe), before);

    const auto whole = install(sized(MaxPluginSize));
    EXPECT_EQ(whole.reports.back().status, "Weapon replaced");
    EXPECT_EQ(readBytes(exe)[weaponAt("RECOIL", 1)], 7);
}
