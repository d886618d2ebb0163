// quorvex-cli palette ..., materials ..., level add-pl2 on a demo game.
#include "core/formats/level.h"
#include "core/base/places.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <sstream>

namespace fs = std::filesystem;

namespace quorvex {
namespace {

class PaletteCli : public ::testing::Test {
protected:
    test::DemoGame demo;
    fs::path mods = demo.game() / "mods";
    fs::path exePath = demo.workspace.torloExe();

    test::CommandResult cli(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"--game", demo.game().string()});
        return test::runCli(args);
    }
    Bytes exe() const { return test::readBytes(exePath); }
    Bytes materials() const
    {
        const auto bytes = exe();
        return Bytes(bytes.begin() + places::Materials, bytes.begin() + places::Materials + 160);
    }
    std::string line(const std::string& listing, int index)
    {
        std::istringstream in(listing);
        std::string text;
        for (int i = 0; i <= index; ++i)
            std::getline(in, text);
        return text;
    }
};

TEST_F(PaletteCli, ShowAndSetTheWorkingPalette)
{
    const auto game = exe();
    const auto shown = cli({"palette", "show"});
    ASSERT_EQ(shown.exitCode, 0) << shown.err;
    EXPECT_EQ(std::count(shown.out.begin(), shown.out.end(), '\n'), 256);
    const auto at = places::GamePalette + 3 * 7;
    EXPECT_EQ(line(shown.out, 7), "7\t" + std::to_string(game[at] * 4) + "\t" + std::to_string(game[at + 1] * 4) + "\t"
                                      + std::to_string(game[at + 2] * 4));

    const auto set = cli({"palette", "set", "5", "255", "10", "3"});
    EXPECT_EQ(set.exitCode, 0) << set.err;
    EXPECT_EQ(set.out, "Materials and colors saved\n");
    const auto after = exe();
    EXPECT_EQ(after[places::GamePalette + 15], 63);
    EXPECT_EQ(after[places::GamePalette + 16], 2);
    EXPECT_EQ(after[places::GamePalette + 17], 0);
    EXPECT_EQ(line(cli({"palette", "show"}).out, 5), "5\t252\t8\t0");
}

TEST_F(PaletteCli, ValuesOutOfRangeAreRefusedBeforeAnythingIsWritten)
{
    // A colour in two kind sets: any save would move it into the rock set only.
    auto game = exe();
    game[places::Materials + 32 + 1] |= 0x02;        // colour 9 green dirt
    game[places::Materials + 64 + 1] |= 0x02;        // and rock
    test::writeBytes(exePath, game);
    const std::vector<std::vector<std::string>> refused = {
        {"palette", "set", "256", "0", "0", "0"}, {"palette", "set", "-1", "0", "0", "0"},
        {"palette", "set", "5", "0", "256", "0"}, {"palette", "set", "5", "0", "0", "x"},
        {"materials", "set", "300"},              {"materials", "set", "5", "KIND=4"},
        {"materials", "set", "5", "BACKGROUND=2"}, {"materials", "set", "5", "SHADOW=-1"},
        {"materials", "set", "abc", "KIND=1"},     {"palette", "export", (demo.scratch / "notes.txt").string()},
        {"level", "add-pl2", (mods / "ISLANDS.BMP").string()}};
    for (const auto& args : refused) {
        auto with = args;
        const auto result = cli(with);
        EXPECT_EQ(result.exitCode, 1) << args[0] << " " << args[1] << " " << args[2];
        EXPECT_FALSE(result.err.empty());
        EXPECT_EQ(exe(), game) << args[0] << " " << args[1] << " " << args[2];
    }
    EXPECT_FALSE(fs::exists(demo.scratch / "notes.txt"));
    EXPECT_EQ(cli({"materials", "set", "5", "COLOUR=1"}).exitCode, 2);
    EXPECT_EQ(cli({"palette", "set", "5", "1", "2"}).exitCode, 2);
}

TEST_F(PaletteCli, ShowAndSetMaterials)
{
    auto game = exe();
    game[places::Materials + 32 + 1] |= 0x02;   // colour 9 green dirt and rock: shown as rock
    game[places::Materials + 64 + 1] |= 0x02;
    test::writeBytes(exePath, game);
    const auto shown = cli({"materials", "show"});
    ASSERT_EQ(shown.exitCode, 0) << shown.err;
    EXPECT_EQ(std::count(shown.out.begin(), shown.out.end(), '\n'), 256);
    EXPECT_EQ(line(shown.out, 9).substr(0, 4), "9\t3\t");

    const auto set = cli({"materials", "set", "5", "KIND=2", "background=1", "SHADOW=0"});
    EXPECT_EQ(set.exitCode, 0) << set.err;
    EXPECT_EQ(set.out, "Materials and colors saved\n");
    EXPECT_EQ(line(cli({"materials", "show"}).out, 5), "5\t2\t1\t0");
    const auto after = exe();
    EXPECT_FALSE(after[places::Materials + 32 + 1] & 0x02);   // colour 9 left the green dirt set
    EXPECT_TRUE(after[places::Materials + 64 + 1] & 0x02);

    // Only the named values change.
    cli({"materials", "set", "5", "SHADOW=1"});
    EXPECT_EQ(line(cli({"materials", "show"}).out, 5), "5\t2\t1\t1");
}

TEST_F(PaletteCli, ExportResetAndAddToLevel)
{
    const auto exported = cli({"palette", "export", (demo.scratch / "mine").string()});
    EXPECT_EQ(exported.exitCode, 0) << exported.err;
    EXPECT_EQ(exported.out, "Palette saved\n");
    EXPECT_EQ(fs::file_size(demo.scratch / "mine.ACT"), 768u);

    cli({"palette", "set", "0", "100", "100", "100"});
    const auto before = materials();
    const auto reset = cli({"palette", "reset"});
    EXPECT_EQ(reset.exitCode, 0) << reset.err;
    EXPECT_EQ(reset.out, "Original palette re-activated!\n");
    EXPECT_EQ(line(cli({"palette", "show"}).out, 0), "0\t0\t0\t0");
    EXPECT_EQ(materials(), before);

    const auto level = demo.scratch / "canyon.lev";
    fs::copy_file(mods / "CANYON.LEV", level);
    ASSERT_EQ(fs::file_size(level), LevelWithTailSize);
    const auto added = cli({"level", "add-pl2", level.string()});
    EXPECT_EQ(added.exitCode, 0) << added.err;
    EXPECT_EQ(added.out, "Materials and colors saved\nMaterials + palette added to level\n");
    EXPECT_EQ(fs::file_size(level), Powerlevel2Size);
    EXPECT_EQ(cli({"level", "add-pl2", (demo.scratch / "none.lev").string()}).exitCode, 1);
}

} // namespace
} // namespace quorvex
