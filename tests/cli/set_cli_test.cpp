// The `set` commands of every editor on a demo game: a set writes the keys given and nothing
// else, not even a value the page could not show, and a set of the values already there leaves
// torlo.exe untouched, records no step and says so.
#include "core/base/places.h"
#include "core/hacks/hacks.h"
#include "core/weapons/object_fields.h"
#include "core/weapons/sobject_fields.h"
#include "core/weapons/weapon_fields.h"
#include "programs.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <set>
#include <sys/stat.h>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

struct SetCliTest : ::testing::Test {
    DemoGame demo;
    fs::path exe = demo.workspace.torloExe();
    fs::path data = demo.scratch / "cli-data";

    SetCliTest() { fs::create_directories(data); }

    CommandResult cli(std::vector<std::string> args)
    {
        std::vector<std::string> all{"env", "QUORVEX_DATA_DIR=" + data.string(), quorvex::test::cliProgram(), "--game",
                                     demo.game().string()};
        all.insert(all.end(), args.begin(), args.end());
        return runCommand(all);
    }
};

// The bytes of entry `entry` of a field of a table at `offset`.
std::vector<std::uint32_t> fieldBytes(std::uint32_t offset, const TableField& field, int entry)
{
    std::vector<std::uint32_t> bytes;
    const auto width = static_cast<std::uint32_t>(field.width);
    for (std::uint32_t b = 0; b < width; ++b)
        bytes.push_back(offset + field.position + width * static_cast<std::uint32_t>(entry) + b);
    return bytes;
}

std::vector<std::uint32_t> fieldBytes(std::uint32_t offset, std::span<const TableField> fields, std::string_view key, int entry)
{
    return fieldBytes(offset, fields[*fieldByKey(fields, key)], entry);
}

std::vector<std::uint32_t> hackBytesOf(std::string_view key)
{
    std::vector<std::uint32_t> bytes;
    const auto& item = HackItems[*hackByKey(key)];
    for (const auto& patch : item.on)
        for (std::uint8_t i = 0; i < patch.count; ++i)
            bytes.push_back(patch.offset + i);
    for (auto offset : item.offsets)
        if (offset != 0)
            bytes.push_back(offset);
    return bytes;
}

} // namespace

// Each row plants values that the page cannot show (a tick box's 2, a list's 200, a switch
// neither on nor off, rope colours that differ, an object beyond 24) beside the key it sets:
// only the bytes of the key given may change.
TEST_F(SetCliTest, ASetWritesOnlyTheKeysGiven)
{
    using Bytes = std::vector<std::uint32_t>;
    const auto objects = [](std::string_view key) { return fieldBytes(ObjectArrays.offset, ObjectArrays.fields, key, 3); };
    const auto sobjects = [](std::string_view key) { return fieldBytes(SObjectArrays.offset, SObjectArrays.fields, key, 0); };
    const auto weapons = [](std::string_view key) { return fieldBytes(places::WeaponTable, WeaponFields, key, 3); };
    const struct {
        std::vector<std::string> set;
        std::vector<std::pair<Bytes, std::uint8_t>> planted;
        Bytes given;   // the bytes the set may change
    } rows[] = {
        {{"objects", "set", "3", "BLOOD=2"}, {{objects("WORMREMOVE:"), 2}, {objects("CREATEONHIT:"), 200}}, objects("BLOOD:")},
        {{"sobjects", "set", "0", "ANIMDELAY=5"}, {{sobjects("SHADOW:"), 2}, {sobjects("MAPCHANGE:"), 200}},
         sobjects("ANIMDELAY:")},
        {{"weapons", "set", "3", "SPEED=12"}, {{weapons("WORMREMOVE:"), 3}, {weapons("CREATEONHIT:"), 250}}, weapons("SPEED:")},
        {{"hacks", "set", "JETPACK=1"},
         {{{69743}, 40}, {{16739}, 30}, {{14901}, 1}, {{15026}, 7}},   // rope colour, digging, rubber walls half on
         hackBytesOf("JETPACK")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.set[0]);
        auto planted = readBytes(exe);
        for (const auto& [bytes, value] : row.planted)
            for (auto at : bytes)
                planted[at] = value;
        writeBytes(exe, planted);
        const auto result = cli(row.set);
        ASSERT_EQ(result.exitCode, 0) << result.err;
        const auto after = readBytes(exe);
        ASSERT_EQ(after.size(), planted.size());
        const std::set<std::uint32_t> given(row.given.begin(), row.given.end());
        int changed = 0;
        for (std::size_t at = 0; at < after.size(); ++at)
            if (after[at] != planted[at]) {
                ++changed;
                EXPECT_TRUE(given.contains(static_cast<std::uint32_t>(at))) << "byte " << at << " changed";
            }
        EXPECT_GT(changed, 0) << "the set changed nothing";
    }
}

// The value already there: torlo.exe keeps its inode and modification time, no step is
// recorded, nothing is logged, and the command says so.
TEST_F(SetCliTest, ASetOfTheValueAlreadyThereWritesNothingAndSaysSo)
{
    // Each row: the show command, the key whose value it prints (none: the whole line), the set.
    const struct {
        std::vector<std::string> show;
        std::string key;
        std::vector<std::string> set;   // the value shown is appended, unless given
    } rows[] = {
        {{"objects", "show", "3"}, "BLOOD", {"objects", "set", "3", "BLOOD="}},
        {{"sobjects", "show", "0"}, "ANIMDELAY", {"sobjects", "set", "0", "ANIMDELAY="}},
        {{"weapons", "show", "3"}, "SPEED", {"weapons", "set", "3", "SPEED="}},
        {{"weapons", "show", "3"}, "NAME", {"weapons", "set", "3", "NAME="}},
        {{"hacks", "show"}, "DIGGING", {"hacks", "set", "DIGGING="}},
        {{"hacks", "show"}, "JETPACK", {"hacks", "set", "JETPACK="}},
        {{"texts", "get", "7"}, "", {"texts", "set", "7"}},
        {{}, "", {"texts", "set", "9", ""}},   // an empty text writes nothing
    };
    for (const auto& row : rows) {
        auto set = row.set;
        SCOPED_TRACE(set[0] + " " + set.back());
        if (!row.show.empty()) {
            // The value on the key's line of the show command, or its first line.
            const auto shown = "\n" + cli(row.show).out;
            const auto at = row.key.empty() ? 1 : shown.find("\n" + row.key + ":") + row.key.size() + 2;
            const auto value = shown.substr(at, shown.find('\n', at) - at);
            if (set.back().back() == '=')
                set.back() += value;
            else
                set.push_back(value);
        }
        struct stat before {};
        ASSERT_EQ(stat(exe.c_str(), &before), 0);
        const auto result = cli(set);
        ASSERT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(result.out, "Nothing changed: the game already holds these values\n");
        struct stat after {};
        ASSERT_EQ(stat(exe.c_str(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
        EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
        EXPECT_EQ(cli({"history"}).out, "");
        EXPECT_FALSE(fs::exists(data / "quorvex.log") && readText(data / "quorvex.log").find("saved") != std::string::npos);
    }
}
