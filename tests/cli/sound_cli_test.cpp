// quorvex-cli sounds: list, export (keeping existing files), export-all, import in place and
// into a new sound mod, and a sound file that cannot be read.
#include "core/sound/sound_bank.h"
#include "programs.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace quorvex {
namespace {

class SoundCli : public ::testing::Test {
protected:
    test::DemoGame demo;
    fs::path bank = demo.workspace.torloSnd();
    fs::path out = demo.scratch / "out";

    void SetUp() override { fs::create_directories(out); }

    test::CommandResult cli(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"--game", demo.game().string()});
        return test::runCli(args);
    }
};

TEST_F(SoundCli, ListsTheThirtySoundsOfTheGameOrAnyBank)
{
    const auto game = cli({"sounds", "list"});
    EXPECT_EQ(game.exitCode, 0) << game.err;
    EXPECT_EQ(game.out.substr(0, 31), "0\tSHOTGUN\t1500\n1\tSHOT\t1720\n2\tRI");
    EXPECT_NE(game.out.find("\n29\tBURNER\t0\n"), std::string::npos);
    EXPECT_EQ(std::count(game.out.begin(), game.out.end(), '\n'), 30);
    const auto mod = cli({"sounds", "list", "--bank", (demo.game() / "mods" / "CRUNCHY.SND").string()});
    EXPECT_EQ(mod.out, game.out) << "the same layout";
    EXPECT_EQ(cli({"sounds", "list", "--bank", (out / "none.snd").string()}).err, "quorvex-cli: File not found: none.snd\n");
}

TEST_F(SoundCli, ExportKeepsExistingFilesAndSaysWhich)
{
    const auto one = cli({"sounds", "export", "3", (out / "bazooka.wav").string()});
    EXPECT_EQ(one.exitCode, 0) << one.err;
    EXPECT_EQ(one.out, "Saved as \"" + (out / "bazooka.wav").string() + "\"\n");
    EXPECT_EQ(fs::file_size(out / "bazooka.wav"), 44u + 2160);
    const auto again = cli({"sounds", "export", "3", (out / "bazooka.wav").string()});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_EQ(again.err, "quorvex-cli: \"" + (out / "bazooka.wav").string() + "\" already exists and was kept\n");
    EXPECT_EQ(cli({"sounds", "export", "30", (out / "x.wav").string()}).err, "quorvex-cli: No sound 30: sound numbers run from 0 to 29\n");

    test::writeBytes(out / "Snd4.wav", {9});
    const auto all = cli({"sounds", "export-all", out.string()});
    EXPECT_EQ(all.exitCode, 1);
    EXPECT_EQ(all.err, "quorvex-cli: 29 sounds saved as WAV in \"" + out.string() + "\"; kept existing Snd4.wav\n");
    EXPECT_EQ(test::readBytes(out / "Snd4.wav"), std::vector<std::uint8_t>{9});
    EXPECT_EQ(fs::file_size(out / "Snd28.wav"), 44u + 1500 + 220 * 28);
    const auto missing = cli({"sounds", "export-all", (out / "missing").string()});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, "quorvex-cli: The folder \"" + (out / "missing").string() + "\" does not exist\n");
}

TEST_F(SoundCli, ImportSavesInPlaceOrIntoANewModAndRefusesWhatItCannotRead)
{
    QUORVEX_SKIP_ON_WINDOWS_BUILD("no libsndfile and libsoxr");
    const auto before = test::readBytes(bank);
    ASSERT_EQ(cli({"sounds", "export", "7", (out / "exp.wav").string()}).exitCode, 0);

    const auto mod = out / "NEW.SND";
    const auto to = cli({"sounds", "import", "0", (out / "exp.wav").string(), "--to", mod.string()});
    EXPECT_EQ(to.exitCode, 0) << to.err;
    EXPECT_EQ(to.out, "SHOTGUN replaced by \"" + (out / "exp.wav").string() + "\" (3040 frames / 138 milliseconds)\n"
                      "Soundmod saved as \"" + mod.string() + "\"\n");
    EXPECT_EQ(test::readBytes(bank), before);
    const auto original = SoundBank::fromBytes(before);
    EXPECT_TRUE(std::ranges::equal(SoundBank::load(mod).samples(0), original.samples(7)));

    test::writeBytes(out / "bad.wav", {'R', 'I', 'F', 'F', 1, 2, 3});
    // An existing NEW.SND is settled first: kept without a success line, before the sound file
    // is even read (the bad one would be refused otherwise); replaced only when agreed.
    const auto made = test::readBytes(mod);
    for (const char* wav : {"exp.wav", "bad.wav"}) {
        const auto kept = cli({"sounds", "import", "2", (out / wav).string(), "--to", mod.string()});
        EXPECT_EQ(kept.exitCode, 1);
        EXPECT_EQ(kept.out, "");
        EXPECT_EQ(kept.err, "quorvex-cli: \"" + mod.string() + "\" already exists and was kept\n");
        EXPECT_EQ(test::readBytes(mod), made);
    }
    const auto replaced = cli({"--yes", "sounds", "import", "2", (out / "exp.wav").string(), "--to", mod.string()});
    EXPECT_EQ(replaced.out, "RIFLE replaced by \"" + (out / "exp.wav").string() + "\" (3040 frames / 138 milliseconds)\n"
                            "Soundmod saved as \"" + mod.string() + "\"\n");
    EXPECT_TRUE(std::ranges::equal(SoundBank::load(mod).samples(2), original.samples(7)));

    const auto bad = cli({"sounds", "import", "0", (out / "bad.wav").string()});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_EQ(bad.err.rfind("quorvex-cli: Can not import \"" + (out / "bad.wav").string() + "\": ", 0), 0u) << bad.err;
    EXPECT_EQ(test::readBytes(bank), before);

    const auto in = cli({"sounds", "import", "1", (out / "exp.wav").string()});
    EXPECT_EQ(in.exitCode, 0) << in.err;
    EXPECT_NE(in.out.find("\nSounds saved\n"), std::string::npos);
    const auto saved = SoundBank::load(bank);
    EXPECT_TRUE(std::ranges::equal(saved.samples(1), original.samples(7)));
    EXPECT_TRUE(std::ranges::equal(saved.samples(2), original.samples(2)));
}

TEST_F(SoundCli, WithoutTheCodecsModuleAnImportSaysSoAndChangesNothing)
{
    // A module folder with every module of the build but quorvex-codecs.
    const auto modules = demo.scratch / "modules";
    fs::create_directories(modules);
    for (const auto& file : fs::directory_iterator(fs::path(quorvex::test::cliProgram()).parent_path()))
        if (file.path().extension() == ".so" && file.path().stem() != "quorvex-codecs")
            fs::create_symlink(file.path(), modules / file.path().filename());
    ASSERT_EQ(cli({"sounds", "export", "7", (out / "exp.wav").string()}).exitCode, 0);
    const auto before = test::readBytes(bank);

    const auto refused = test::runCommand({"env", "QUORVEX_MODULE_DIR=" + modules.string(), quorvex::test::cliProgram(), "--game",
                                           demo.game().string(), "sounds", "import", "0", (out / "exp.wav").string()});
    EXPECT_EQ(refused.exitCode, 1);
    // The Windows build has no codecs at all.
    const std::string why = test::testsWindowsBuild()
                                ? "zip archives and sound files are not available in this build of Quorvex"
                                : "The part \"quorvex-codecs\" of Quorvex could not be loaded (it is not installed)";
    EXPECT_EQ(refused.err, "quorvex-cli: Can not import \"" + (out / "exp.wav").string() + "\": " + why + "\n");
    EXPECT_EQ(test::readBytes(bank), before);
}

} // namespace
} // namespace quorvex
