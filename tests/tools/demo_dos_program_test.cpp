// The demo game's torlo.exe is a real DOS program: run in DOSBox (when it is installed), it
// prints what it is and ends, so that "Run" on the demo game does not hang on a black screen.
#include "demo_dos_program.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace quorvex {
namespace {

TEST(DemoDosProgram, DosBoxRunsItToItsEndAndItSaysWhatItIs)
{
    test::DemoGame demo;
    const auto exe = test::readBytes(demo.workspace.torloExe());
    const auto program = demo::dosProgram();
    ASSERT_TRUE(std::equal(program.begin(), program.end(), exe.begin()));

    // A program that never ends is stopped by the timeout, and then wrote nothing.
    const auto run = test::runInDosBox(demo.game(), {"torlo.exe > OUT.TXT"}, demo.scratch.path());
    if (!run)
        GTEST_SKIP() << "DOSBox is not installed";
    EXPECT_EQ(run->exitCode, 0) << run->err;
    const auto out = findGameFile(demo.game(), "OUT.TXT");
    ASSERT_TRUE(fs::exists(out)) << run->out << run->err;
    const std::string message(demo::DosProgramMessage.substr(0, demo::DosProgramMessage.size() - 1));   // less the "$"
    EXPECT_EQ(test::readText(out), message);
}

} // namespace
} // namespace quorvex
