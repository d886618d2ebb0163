// The demo game's torlo.exe is a real DOS program: run in DOSBox (when it is installed), it
// prints what it is and ends, so that "Run" on the demo game does not hang on a black screen.
#include "demo_dos_program.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

namespace fs = std::filesystem;

namespace quorvex {
namespace {

fs::path programOnPath(const std::string& name)
{
    std::stringstream path(std::getenv("PATH") ? std::getenv("PATH") : "");
    for (std::string folder; std::getline(path, folder, ':');)
        if (!folder.empty() && fs::exists(fs::path(folder) / name))
            return fs::path(folder) / name;
    return {};
}

TEST(DemoDosProgram, DosBoxRunsItToItsEndAndItSaysWhatItIs)
{
    test::DemoGame demo;
    const auto exe = test::readBytes(demo.workspace.torloExe());
    const auto program = demo::dosProgram();
    ASSERT_TRUE(std::equal(program.begin(), program.end(), exe.begin()));

    const auto dosbox = programOnPath("dosbox");
    if (dosbox.empty())
        GTEST_SKIP() << "DOSBox is not installed";
    const auto config = demo.scratch / "dosbox.conf";
    const std::string settings = "[sdl]\nfullscreen=false\n[mixer]\nnosound=true\n[speaker]\npcspeaker=false\n"
                                 "[autoexec]\nmount c \"" + demo.game().string() + "\"\nc:\ntorlo.exe > OUT.TXT\nexit\n";
    test::writeBytes(config, std::vector<std::uint8_t>(settings.begin(), settings.end()));
    // DOSBox keeps its own settings in the home folder: a scratch one here. A program that
    // never ends is stopped by the timeout, and then wrote nothing.
    const auto run = test::runCommand({"env", "HOME=" + demo.scratch.path().string(), "SDL_VIDEODRIVER=dummy",
                                       "SDL_AUDIODRIVER=dummy", "timeout", "60", dosbox.string(), "-conf", config.string()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const auto out = findGameFile(demo.game(), "OUT.TXT");
    ASSERT_TRUE(fs::exists(out)) << run.out << run.err;
    const std::string message(demo::DosProgramMessage.substr(0, demo::DosProgramMessage.size() - 1));   // less the "$"
    EXPECT_EQ(test::readText(out), message);
}

} // namespace
} // namespace quorvex
