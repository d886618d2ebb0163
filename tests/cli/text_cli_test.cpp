// quorvex-cli texts and activate FILE.LLF on a demo game: the listing, single texts in UTF-8,
// refusals that write nothing, the export and its import.
#include "programs.h"
#include "test_support.h"
#include "core/texts/game_text_table.h"

#include <gtest/gtest.h>
#include <sstream>

namespace fs = std::filesystem;

namespace quorvex {
namespace {

struct TextCliTest : ::testing::Test {
    test::DemoGame demo;
    fs::path exe = demo.workspace.torloExe();
    fs::path data = demo.scratch / "cli-data";
    fs::path config = demo.scratch / "config";

    TextCliTest()
    {
        fs::create_directories(data);
        fs::create_directories(config);
    }
    test::CommandResult cli(std::vector<std::string> args)
    {
        std::vector<std::string> all{"env", "QUORVEX_DATA_DIR=" + data.string(), "XDG_CONFIG_HOME=" + config.string(),
                                     quorvex::test::cliProgram(), "--game", demo.game().string()};
        all.insert(all.end(), args.begin(), args.end());
        return test::runCommand(all);
    }
    std::string log() { return fs::exists(data / "quorvex.log") ? test::readText(data / "quorvex.log") : std::string(); }
    std::string at(std::uint32_t offset, std::size_t count)
    {
        const auto bytes = test::readBytes(exe);
        return std::string(bytes.begin() + offset, bytes.begin() + offset + count);
    }
};

TEST_F(TextCliTest, ListsEveryEntryInTableOrder)
{
    const auto result = cli({"texts", "list"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    std::istringstream in(result.out);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 170u);
    EXPECT_EQ(lines[0], "7\tStartup\tUsing no sound: \t14\tUsing no sound");
    EXPECT_EQ(lines[6], "13\tStartup\tIRQ (2x)\t11\t        IRQ");   // a second field keeps its row's label
    EXPECT_EQ(lines[25], "32\tStartup\tLoading && thinking\t21\tLoading & thinking...");
    EXPECT_EQ(lines[138], "145\tKeys\t\t12\tPrint Screen");
    EXPECT_EQ(lines[169], "-\tMisc.\t\t38\tPortions Copyright (c) 1983,92 Borland");
}

TEST_F(TextCliTest, GetAndSetSingleTextsInUtf8)
{
    EXPECT_EQ(cli({"texts", "get", "37"}).out, "NEW GAME\n");
    auto result = cli({"texts", "set", "37", "NÉ"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "Texts saved\n");
    EXPECT_EQ(at(110747, 8), "N\x90      ");   // filled up to the field's width
    EXPECT_EQ(cli({"texts", "get", "37"}).out, "NÉ      \n");
    EXPECT_NE(log().find("- New texts saved. Detailed information not yet available\r\n"), std::string::npos);

    ASSERT_EQ(cli({"texts", "set", "145", "Druck"}).exitCode, 0);
    EXPECT_EQ(at(135220, 12), "Druck       ");
    EXPECT_EQ(at(135389, 12), "Druck       ");

    const auto before = test::readBytes(exe);
    const std::pair<std::vector<std::string>, std::string> refusals[] = {
        {{"texts", "set", "37", "NEW GAMES"}, "has 9 characters; its field takes 8"},
        {{"texts", "set", "170", "BLASTER"}, "has 7 characters; its field takes 6"},
        {{"texts", "set", "37", "€"}, "cannot be stored in the game's character set"},
        {{"texts", "set", "37", "NEW\xC3"}, "The text is not valid UTF-8 (at byte 4). Nothing was written"},
        {{"texts", "set", "6", "x"}, "Line 6 names no game text"},
        {{"texts", "set", "seven", "x"}, "Line seven names no game text"},
        {{"texts", "get", "174"}, "Line 174 names no game text"},
    };
    for (const auto& [args, message] : refusals) {
        // Windows' command line is UTF-16: malformed UTF-8 never reaches a program there.
        if (test::testsWindowsBuild() && message.starts_with("The text is not valid UTF-8"))
            continue;
        result = cli(args);
        EXPECT_EQ(result.exitCode, 1) << args[2];
        EXPECT_NE(result.err.find(message), std::string::npos) << result.err;
    }
    EXPECT_EQ(test::readBytes(exe), before);
}

TEST_F(TextCliTest, ExportThenActivate)
{
    ASSERT_EQ(cli({"texts", "set", "36", "WEITER"}).exitCode, 0);
    const auto chosen = demo.scratch / "my.deutsch.txt";
    auto result = cli({"texts", "export", chosen.string(), "--author", "Jürgen"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto file = demo.scratch / "my.LLF";
    EXPECT_EQ(result.out, test::joinedAsPrinted(demo.scratch.path(), "my.LLF") + "\n");
    const auto text = test::readText(file);
    EXPECT_EQ(text.substr(0, text.find("*****")), "Torlo Language File\r\nFormat created by Vandrel and Morvane\r\n"
                                                   "Language: my\r\nAuthor: J\x81rgen\r\nAuthors website: https://torlonet.morvane.net\r\n");
    EXPECT_NE(text.find("\r\nWEITER     \r\n"), std::string::npos);   // nothing of "RESUME GAME" behind it

    ASSERT_EQ(cli({"texts", "set", "36", "RESUME GAME"}).exitCode, 0);
    result = cli({"--no", "activate", file.string()});
    EXPECT_EQ(result.exitCode, 1);   // answered no: nothing done
    EXPECT_EQ(at(110733, 11), "RESUME GAME");
    result = cli({"--yes", "activate", file.string()});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "Translation activated\n");
    EXPECT_EQ(at(110733, 11), "WEITER     ");
    EXPECT_NE(log().find(": Translation " + test::absoluteAsPrinted(file) + " activated\r\n"), std::string::npos);

    test::writeBytes(file, {'n', 'o', '\r', '\n'});
    result = cli({"--yes", "activate", file.string()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "quorvex-cli: Invalid file\n");
}

} // namespace
} // namespace quorvex
