// quorvex-cli convert-all: many files in one process, each by its own rule, with a summary; a
// bad file never stops the others.
#include "core/formats/level.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace fs = std::filesystem;

namespace quorvex {
namespace {

class ConvertAllCli : public ::testing::Test {
protected:
    test::DemoGame demo;
    fs::path mods = demo.game() / "mods";
    fs::path out = demo.scratch / "out";

    test::CommandResult cli(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"--game", demo.game().string(), "convert-all"});
        return test::runCli(args);
    }
};

TEST_F(ConvertAllCli, GoodFilesAreConvertedWhateverTheBadOnesDo)
{
    test::writeBytes(demo.scratch / "BROKEN.BMP", std::vector<std::uint8_t>(1000, 0));
    const auto result = cli({(mods / "MEADOW.LEV").string(), (demo.scratch / "BROKEN.BMP").string(),
                             (demo.scratch / "MISSING.LEV").string(), (mods / "PASTEL.ACT").string(),
                             (mods / "CRUNCHY.SND").string(), (mods / "ISLANDS.BMP").string(),
                             (mods / "NEONGFX.CHR").string(), "--to", out.string(), "--no-powerlevel"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "Converted 4, refused 2, failed 1\n");
    EXPECT_NE(result.err.find("refused: " + (demo.scratch / "BROKEN.BMP").string() + ": Not a 504x350x256 BMP file\n"),
              std::string::npos) << result.err;
    EXPECT_NE(result.err.find("refused: " + (mods / "CRUNCHY.SND").string() + ": You can't convert this yet\n"),
              std::string::npos);
    EXPECT_NE(result.err.find("failed: " + (demo.scratch / "MISSING.LEV").string() + ": File not found"),
              std::string::npos);
    EXPECT_EQ(fs::file_size(out / "MEADOW.bmp"), LevelBitmapSize);
    EXPECT_EQ(fs::file_size(out / "PASTEL.bmp"), 1334u);
    EXPECT_EQ(fs::file_size(out / "NEONGFX.bmp"), 45718u);
    EXPECT_EQ(fs::file_size(out / "ISLANDS.lev"), LevelPixelsSize);   // --no-powerlevel
    EXPECT_FALSE(fs::exists(out / "BROKEN.lev"));
    // The same as one conversion at a time.
    const auto single = test::runCli({"--game", demo.game().string(), "convert", (mods / "MEADOW.LEV").string(),
                                      (demo.scratch / "single.bmp").string()});
    EXPECT_EQ(test::readBytes(out / "MEADOW.bmp"), test::readBytes(demo.scratch / "single.bmp"));

    const auto clean = cli({(mods / "MEADOW.LEV").string(), (mods / "SUNSET.LEV").string(), "--to", out.string()});
    EXPECT_EQ(clean.exitCode, 0) << clean.err;
    EXPECT_EQ(clean.out, "Converted 2, refused 0, failed 0\n");
    EXPECT_EQ(clean.err, "");
}

// The files are converted side by side: each result is still its own file's, the problems
// are listed in the order given, and every level replaced in the target folder has its copy
// in the one backup index.
TEST_F(ConvertAllCli, ManyFilesSideBySideKeepTheirOrderAndTheirBackups)
{
    std::vector<std::string> args;
    std::string expectedProblems;
    fs::create_directories(out);
    for (int i = 0; i < 48; ++i) {
        const auto name = "L" + std::to_string(i);
        if (i % 6 == 5) {
            test::writeBytes(demo.scratch / (name + ".BMP"), std::vector<std::uint8_t>(1000, 0));
            expectedProblems += "quorvex-cli: refused: " + (demo.scratch / (name + ".BMP")).string() + ": Not a 504x350x256 BMP file\n";
        } else {
            fs::copy_file(mods / "ISLANDS.BMP", demo.scratch / (name + ".BMP"));
            fs::copy_file(mods / "MEADOW.LEV", out / (name + ".lev"));   // replaced, so kept first
        }
        args.push_back((demo.scratch / (name + ".BMP")).string());
    }
    args.insert(args.end(), {"--to", out.string(), "--no-powerlevel"});
    const auto result = cli(args);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "Converted 40, refused 8, failed 0\n");
    EXPECT_EQ(result.err, expectedProblems);
    const auto single = test::runCli({"--game", demo.game().string(), "convert", (mods / "ISLANDS.BMP").string(),
                                      (demo.scratch / "single.lev").string(), "--no-powerlevel"});
    ASSERT_EQ(single.exitCode, 0) << single.err;
    EXPECT_EQ(test::readBytes(out / "L0.lev"), test::readBytes(demo.scratch / "single.lev"));
    EXPECT_EQ(test::readBytes(out / "L46.lev"), test::readBytes(demo.scratch / "single.lev"));

    const auto backups = test::runCli({"--game", demo.game().string(), "backups", "list"});
    std::size_t kept = 0;
    for (std::size_t at = 0; (at = backups.out.find(".lev\t", at)) != std::string::npos; ++at)
        ++kept;
    EXPECT_EQ(kept, 40u) << backups.out;
}

// Every worker's file belongs to the command's one step: undo puts back all of them.
TEST_F(ConvertAllCli, TheWorkersFilesAreOneStepThatUndoPutsBackWhole)
{
    const auto game = demo.game();
    std::vector<std::string> args;
    std::map<std::string, std::vector<std::uint8_t>> before;
    for (int i = 0; i < 8; ++i) {
        const auto name = "T" + std::to_string(i);
        fs::copy_file(mods / "ISLANDS.BMP", demo.scratch / (name + ".BMP"));
        fs::copy_file(mods / (i % 2 ? "MEADOW.LEV" : "SUNSET.LEV"), game / (name + ".lev"));
        before[name + ".lev"] = test::readBytes(game / (name + ".lev"));
        args.push_back((demo.scratch / (name + ".BMP")).string());
    }
    args.insert(args.end(), {"--to", game.string(), "--no-powerlevel"});
    ASSERT_EQ(cli(args).exitCode, 0);
    const auto converted = test::readBytes(game / "T0.lev");
    const auto history = test::runCli({"--game", game.string(), "history"});
    ASSERT_EQ(test::lines(history.out).size(), 1u) << history.out;
    EXPECT_EQ(std::count(history.out.begin(), history.out.end(), ','), 7) << history.out;

    const auto undone = test::runCli({"--game", game.string(), "undo"});
    ASSERT_EQ(undone.exitCode, 0) << undone.err;
    for (const auto& [name, bytes] : before)
        EXPECT_EQ(test::readBytes(game / name), bytes) << name;
    ASSERT_EQ(test::runCli({"--game", game.string(), "redo"}).exitCode, 0);
    for (const auto& [name, bytes] : before)
        EXPECT_EQ(test::readBytes(game / name), converted) << name;
}

TEST_F(ConvertAllCli, NamesThatCollideAreRefusedAfterTheFirst)
{
    fs::create_directories(demo.scratch / "other");
    fs::copy_file(mods / "CANYON.LEV", demo.scratch / "other" / "MEADOW.LEV");
    fs::copy_file(mods / "PASTEL.ACT", demo.scratch / "MEADOW.ACT");
    const auto result = cli({(mods / "MEADOW.LEV").string(), (demo.scratch / "other" / "MEADOW.LEV").string(),
                             (demo.scratch / "MEADOW.ACT").string(), "--to", out.string()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "Converted 1, refused 2, failed 0\n");
    EXPECT_NE(result.err.find("is already the conversion of \"" + (mods / "MEADOW.LEV").string() + "\""),
              std::string::npos) << result.err;
    // The first one's picture stays.
    const auto single = test::runCli({"--game", demo.game().string(), "convert", (mods / "MEADOW.LEV").string(),
                                      (demo.scratch / "single.bmp").string()});
    EXPECT_EQ(test::readBytes(out / "MEADOW.bmp"), test::readBytes(demo.scratch / "single.bmp"));
}

TEST_F(ConvertAllCli, ATargetFolderThatCannotBeWrittenConvertsNothing)
{
    test::writeBytes(demo.scratch / "plain-file", {1});
    const auto inTheWay = cli({(mods / "MEADOW.LEV").string(), "--to", (demo.scratch / "plain-file").string()});
    EXPECT_EQ(inTheWay.exitCode, 1);
    EXPECT_NE(inTheWay.err.find("as the target folder"), std::string::npos) << inTheWay.err;
    const auto below = cli({(mods / "MEADOW.LEV").string(), "--to", (demo.scratch / "plain-file" / "out").string()});
    EXPECT_EQ(below.exitCode, 1);
    EXPECT_EQ(test::readBytes(demo.scratch / "plain-file"), std::vector<std::uint8_t>{1});

    const auto usage = cli({(mods / "MEADOW.LEV").string()});
    EXPECT_EQ(usage.exitCode, 2);
    EXPECT_NE(usage.err.find("--to DIR"), std::string::npos);
}

} // namespace
} // namespace quorvex
