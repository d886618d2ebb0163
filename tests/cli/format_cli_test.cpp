#include "core/formats/level.h"
#include "core/base/places.h"
#include "programs.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace fs = std::filesystem;

namespace quorvex {
namespace {

class FormatCli : public ::testing::Test {
protected:
    test::DemoGame demo;
    fs::path mods = demo.game() / "mods";
    fs::path out = demo.scratch / "out";

    void SetUp() override { fs::create_directories(out); }

    test::CommandResult cli(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"--game", demo.game().string()});
        return test::runCli(demo.workspace.dataFolder, args);
    }
};

TEST_F(FormatCli, PreviewPrintsTheStatusAndWritesTheBitmap)
{
    const std::pair<const char*, const char*> cases[] = {
        {"MEADOW.LEV", "This is a normal level"}, {"SUNSET.LEV", "This is a Powerlevel"},
        {"MOSSYPL2.LEV", "This is a Powerlevel 2"}, {"ISLANDS.BMP", "This is a level BMP"},
        {"PASTEL.ACT", "Palette viewed"}, {"WARM.PAL", "Palette viewed"},
        {"NEONGFX.CHR", "GFX Mod viewed. Move your mouse across the picture to see detail"}};
    for (const auto& [file, status] : cases) {
        const auto target = out / (std::string(file) + ".bmp");
        const auto result = cli({"preview", (mods / file).string(), target.string()});
        EXPECT_EQ(result.exitCode, 0) << file << result.err;
        EXPECT_EQ(result.out, std::string(status) + "\n");
        EXPECT_TRUE(fs::exists(target)) << file;
    }
    EXPECT_EQ(fs::file_size(out / "PASTEL.ACT.bmp"), 1334u);
    EXPECT_EQ(fs::file_size(out / "NEONGFX.CHR.bmp"), 45718u);
}

TEST_F(FormatCli, PreviewWithTheDefaultPalette)
{
    auto exe = test::readBytes(demo.workspace.torloExe());
    for (std::size_t i = 0; i < 768; ++i)
        exe[places::GamePalette + i] = 0;
    test::writeBytes(demo.workspace.torloExe(), exe);
    cli({"preview", (mods / "MEADOW.LEV").string(), (out / "game.bmp").string()});
    cli({"preview", (mods / "MEADOW.LEV").string(), (out / "default.bmp").string(), "--default-palette"});
    const auto game = test::readBytes(out / "game.bmp");
    const auto standard = test::readBytes(out / "default.bmp");
    EXPECT_TRUE(std::all_of(game.begin() + 54, game.begin() + 1078, [&, i = 0](std::uint8_t b) mutable {
        return (i++ % 4 == 3) || b == 0;
    }));
    const auto resources = test::readBytes(demo.workspace.resourceFile);
    EXPECT_TRUE(std::equal(standard.begin(), standard.begin() + 1078, resources.begin()));
}

TEST_F(FormatCli, PreviewThatDrawsNothingFails)
{
    const auto snd = cli({"preview", (mods / "CRUNCHY.SND").string()});
    EXPECT_EQ(snd.exitCode, 1);
    EXPECT_EQ(snd.err, "quorvex-cli: Can not view this\n");
    test::writeBytes(out / "odd.lev", std::vector<std::uint8_t>(99, 0));
    const auto odd = cli({"preview", (out / "odd.lev").string(), (out / "odd.bmp").string()});
    EXPECT_EQ(odd.exitCode, 1);
    EXPECT_FALSE(odd.err.empty());
    EXPECT_FALSE(fs::exists(out / "odd.bmp"));

    // A bitmap that can not be written: the failure, and no status of success before it.
    const auto unwritable = cli({"preview", (mods / "MEADOW.LEV").string(), (out / "none" / "m.bmp").string()});
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_EQ(unwritable.out, "");
    EXPECT_FALSE(unwritable.err.empty());
}

TEST_F(FormatCli, ConvertLevelsBothWays)
{
    const auto toBitmap = cli({"convert", (mods / "MEADOW.LEV").string(), (out / "meadow").string()});
    EXPECT_EQ(toBitmap.exitCode, 0) << toBitmap.err;
    EXPECT_EQ(toBitmap.out, "Level converted to \"" + (out / "meadow.bmp").string() + "\"\n");

    const auto plain = cli({"convert", (out / "meadow.bmp").string(), (out / "plain.lev").string()});
    EXPECT_EQ(plain.out, "BMP converted to \"" + (out / "plain.lev").string() + "\"\n");
    EXPECT_EQ(test::readBytes(out / "plain.lev"), test::readBytes(mods / "MEADOW.LEV"));

    cli({"convert", (out / "meadow.bmp").string(), (out / "power.lev").string(), "--powerlevel"});
    EXPECT_EQ(fs::file_size(out / "power.lev"), static_cast<std::uintmax_t>(PowerlevelSize));
    cli({"convert", (out / "meadow.bmp").string(), (out / "again.lev").string(), "--no-powerlevel"});
    EXPECT_EQ(fs::file_size(out / "again.lev"), static_cast<std::uintmax_t>(LevelPixelsSize));
}

TEST_F(FormatCli, ConvertSaysWhyNothingWasDone)
{
    const auto pl2 = cli({"convert", (mods / "MOSSYPL2.LEV").string(), (out / "x.bmp").string()});
    EXPECT_EQ(pl2.exitCode, 1);
    EXPECT_TRUE(pl2.out.empty());
    EXPECT_NE(pl2.err.find("177338"), std::string::npos);
    const auto lpl = cli({"convert", (mods / "NIGHT.LPL").string(), (out / "x.bmp").string()});
    EXPECT_EQ(lpl.exitCode, 1);
    EXPECT_EQ(lpl.err, "quorvex-cli: You can't convert this yet\n");
    const auto self = cli({"convert", (mods / "ISLANDS.BMP").string(), (mods / "ISLANDS.BMP").string()});
    EXPECT_EQ(self.exitCode, 1);
    EXPECT_EQ(fs::file_size(mods / "ISLANDS.BMP"), static_cast<std::uintmax_t>(LevelBitmapSize));
    EXPECT_TRUE(fs::is_empty(out));
}

TEST_F(FormatCli, ConvertUsage)
{
    EXPECT_EQ(cli({"convert", (mods / "MEADOW.LEV").string()}).exitCode, 2);
    EXPECT_EQ(cli({"convert", "a.bmp", "b.lev", "--powerlevel", "--no-powerlevel"}).exitCode, 2);
    EXPECT_EQ(cli({"preview"}).exitCode, 2);
    EXPECT_EQ(cli({"activate", "a", "b"}).exitCode, 2);
}

TEST_F(FormatCli, ActivateLevelAndMods)
{
    const auto level = cli({"activate", (mods / "SUNSET.LEV").string()});
    EXPECT_EQ(level.exitCode, 0) << level.err;
    EXPECT_EQ(level.out, "Level activated\n");
    const auto dat = test::readBytes(demo.workspace.torloDat());
    EXPECT_EQ(std::string(dat.begin() + 147, dat.begin() + 147 + dat[146]), "SUNSET");
    EXPECT_TRUE(fs::exists(demo.game() / "SUNSET.LEV"));
    const auto log = test::readText(demo.workspace.logFile());
    EXPECT_NE(log.find(": Level " + test::absoluteAsPrinted(mods / "SUNSET.LEV") + " activated\r\n"), std::string::npos);
    // A long name is installed under a DOS name, which the output names.
    fs::copy_file(mods / "MEADOW.LEV", out / "Meadow At Dawn.lev");
    EXPECT_EQ(cli({"activate", (out / "Meadow At Dawn.lev").string()}).out, "Level activated, installed as MEADOWAT.LEV\n");
    EXPECT_TRUE(fs::exists(demo.game() / "MEADOWAT.LEV"));

    EXPECT_EQ(cli({"activate", (mods / "NEONGFX.CHR").string()}).out, "Mod activated\n");
    EXPECT_EQ(test::readBytes(demo.workspace.torloChr()), test::readBytes(mods / "NEONGFX.CHR"));
    EXPECT_EQ(cli({"activate", (mods / "COOL.PAL").string()}).out, "Palette activated\n");

    test::writeBytes(out / "short.act", std::vector<std::uint8_t>(100, 0));
    const auto refused = cli({"activate", (out / "short.act").string()});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err, "quorvex-cli: Not a valid palette\n");

    const auto nothing = cli({"activate", (out / "short.act").string() + ".lft"});
    EXPECT_EQ(nothing.exitCode, 1);
    EXPECT_FALSE(nothing.err.empty());
}

TEST_F(FormatCli, AChangeStaysASuccessWhenTheLogCannotBeWritten)
{
    QUORVEX_SKIP_ON_WINDOWS_BUILD("/dev/full is a device of Linux");
    fs::create_symlink("/dev/full", demo.workspace.logFile());
    const auto result = cli({"activate", (mods / "SUNSET.LEV").string()});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "Level activated\n");
    EXPECT_EQ(result.err, "quorvex-cli: The change was made, but the activity log could not be written: Disk full: quorvex.log\n");
    const auto dat = test::readBytes(demo.workspace.torloDat());
    EXPECT_EQ(std::string(dat.begin() + 147, dat.begin() + 147 + dat[146]), "SUNSET");
}

TEST_F(FormatCli, AFileSizeLimitFailsLikeAFullDiskAndLeavesNoTemporaryFile)
{
    QUORVEX_SKIP_ON_WINDOWS_BUILD("file size limits are a POSIX matter");
    const auto before = test::readBytes(demo.workspace.torloChr());
    // 16 KB: less than the graphics mod. The signal used to kill the program half-way.
    const auto result = test::runCommand({"bash", "-c", "ulimit -f 16 && exec \"$@\"", "bash", quorvex::test::cliProgram(),
                                          "--game", demo.game().string(), "activate",
                                          (mods / "NEONGFX.CHR").string()});
    EXPECT_EQ(result.exitCode, 1);
    // The scratch copy the mod is installed on first is the first write to hit the limit.
    EXPECT_EQ(result.err, "quorvex-cli: Mod not activated: Disk full, so nothing was changed\n");
    EXPECT_EQ(test::readBytes(demo.workspace.torloChr()), before);
    for (const auto& entry : fs::directory_iterator(demo.game()))
        EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
}

TEST_F(FormatCli, APipeIsRefusedInsteadOfWaitedFor)
{
    QUORVEX_SKIP_ON_WINDOWS_BUILD("named pipes of this kind are POSIX ones");
    ASSERT_EQ(::mkfifo((out / "pipe.lev").c_str(), 0644), 0);
    const auto result = test::runCommand({"timeout", "20", quorvex::test::cliProgram(), "preview", (out / "pipe.lev").string()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "quorvex-cli: Not a regular file: pipe.lev\n");
}

} // namespace
} // namespace quorvex
