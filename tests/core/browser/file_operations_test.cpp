#include "core/browser/file_operations.h"
#include "core/shell/settings.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace quorvex;

TEST(FileOperations, DeleteLogsOnlyWhatIsReallyGone)
{
    test::ScratchFolder folder;
    const auto file = folder / "a.lev";
    test::writeBytes(file, {1, 2});
    EXPECT_EQ(deleteQuestion(file), "Delete file \"" + file.string() + "\" ?");

    const auto done = deleteModFile(file, folder.path());
    EXPECT_TRUE(done.succeeded());
    EXPECT_TRUE(done.status.empty());
    EXPECT_EQ(done.logMessage, "File " + file.string() + " deleted from folder " + folder.path().string());
    EXPECT_FALSE(fs::exists(file));

    const auto missing = deleteModFile(file, folder.path());
    EXPECT_EQ(missing.kind, Outcome::Kind::Refused);
    EXPECT_TRUE(missing.logMessage.empty());
    EXPECT_NE(missing.status.find("Could not delete"), std::string::npos);
}

TEST(FileOperations, RenameAppendsTheExtensionOnlyToABareFileName)
{
    EXPECT_EQ(withExtensionIfBare("/m/b", "/m/a.lev"), fs::path("/m/b.lev"));
    EXPECT_EQ(withExtensionIfBare("/m/b.txt", "/m/a.lev"), fs::path("/m/b.txt"));
    EXPECT_EQ(withExtensionIfBare("/m/A.LEV.d/b", "/m/a.Lev"), fs::path("/m/A.LEV.d/b.Lev"));
    EXPECT_EQ(withExtensionIfBare("/m/b", "/m/readme"), fs::path("/m/b"));
}

TEST(FileOperations, RenameNeverReplacesAnotherFileAndReportsFailure)
{
    test::ScratchFolder folder;
    test::writeBytes(folder / "a.lev", {1});
    test::writeBytes(folder / "b.lev", {2});

    const auto clash = renameModFile(folder / "a.lev", folder / "b.lev");
    EXPECT_EQ(clash.kind, Outcome::Kind::Refused);
    EXPECT_EQ(test::readBytes(folder / "b.lev"), std::vector<std::uint8_t>{2});
    EXPECT_TRUE(fs::exists(folder / "a.lev"));

    const auto nowhere = renameModFile(folder / "a.lev", folder / "no" / "such" / "c.lev");
    EXPECT_EQ(nowhere.kind, Outcome::Kind::Refused);
    EXPECT_NE(nowhere.status.rfind("Renamed", 0), 0u);
    EXPECT_TRUE(fs::exists(folder / "a.lev"));

    const auto renamed = renameModFile(folder / "a.lev", folder / "c.lev");
    EXPECT_EQ(renamed.status, "Renamed " + (folder / "c.lev").string());
    EXPECT_EQ(test::readBytes(folder / "c.lev"), std::vector<std::uint8_t>{1});
}

TEST(FileOperations, CopyReplacesTheTargetButNeverTheSourceItself)
{
    test::ScratchFolder folder;
    test::writeBytes(folder / "a.lev", {1, 2, 3});
    test::writeBytes(folder / "b.lev", {9});

    EXPECT_EQ(copyModFile(folder / "a.lev", folder / "b.lev").status, "Copied " + (folder / "b.lev").string());
    EXPECT_EQ(test::readBytes(folder / "b.lev"), (std::vector<std::uint8_t>{1, 2, 3}));

    EXPECT_EQ(copyModFile(folder / "a.lev", folder / "a.lev").kind, Outcome::Kind::Refused);
    EXPECT_EQ(test::readBytes(folder / "a.lev"), (std::vector<std::uint8_t>{1, 2, 3}));

    const auto failed = copyModFile(folder / "a.lev", folder / "missing" / "c.lev");
    EXPECT_EQ(failed.kind, Outcome::Kind::Refused);
    EXPECT_NE(failed.status.rfind("Copied", 0), 0u);
}

TEST(FileOperations, GameRunsThroughDosBoxInTheGameFolder)
{
    Workspace workspace;
    workspace.gameFolder = "/games/torlo";
    test::MemorySettings settings;
    auto launch = gameLaunch(workspace, settings);
    EXPECT_EQ(launch.target, "dosbox");
    EXPECT_EQ(launch.parameters, "-c \"mount c .\" -c c: -c torlo.exe -c exit");
    EXPECT_EQ(launch.folder, fs::path("/games/torlo"));
    EXPECT_EQ(launch.window, Shell::Window::Maximised);

    settings.setText(setting::DoSound, "no");
    settings.setText(setting::RunCommand, "/opt/dosbox-x");
    launch = gameLaunch(workspace, settings);
    EXPECT_EQ(launch.target, "/opt/dosbox-x");
    EXPECT_NE(launch.parameters.find("\"torlo.exe /N\""), std::string::npos);
}

// "RunCommand" and "TextEditor" are command lines: program and arguments, quotes respected.
TEST(FileOperations, ProgramSettingsAreCommandLines)
{
    using Words = std::vector<std::string>;
    const std::pair<std::string, Words> lines[] = {
        {"dosbox -conf ~/torlo.conf", {"dosbox", "-conf", "/home/ann/torlo.conf"}},
        {"  flatpak   run com.dosbox.DOSBox ", {"flatpak", "run", "com.dosbox.DOSBox"}},
        {"\"/opt/my dosbox/dosbox\" -conf 'a \"b\".conf'", {"/opt/my dosbox/dosbox", "-conf", "a \"b\".conf"}},
        {"dosbox a\\ b ~ann/x x~/y \"\"", {"dosbox", "a b", "~ann/x", "x~/y", ""}},
        {"dosbox \"unclosed", {}},
        {" \t ", {}},
    };
    for (const auto& [line, words] : lines)
        EXPECT_EQ(commandWords(line, "/home/ann"), words) << line;

    Workspace workspace;
    workspace.gameFolder = "/games/torlo";
    test::MemorySettings settings;
    settings.setText(setting::RunCommand, "flatpak run \"com.dosbox.DOSBox\" -conf '/my conf/t.conf'");
    const auto game = gameLaunch(workspace, settings, "/home/ann");
    EXPECT_EQ(game.target, "flatpak");
    EXPECT_EQ(game.parameters, "run com.dosbox.DOSBox -conf \"/my conf/t.conf\" -c \"mount c .\" -c c: -c torlo.exe -c exit");
    settings.setText(setting::RunCommand, "\"unclosed");
    EXPECT_EQ(gameLaunch(workspace, settings).target, "dosbox") << "a line without words runs the default";

    settings.setText(setting::TextEditor, "\"/opt/Sublime Text/subl\" --new-window");
    const auto edit = editLaunch("/m/my \"mod\".llf", settings);
    EXPECT_EQ(edit->target, "/opt/Sublime Text/subl");
    EXPECT_EQ(edit->parameters, "--new-window \"/m/my \"\"\"mod\"\"\".llf\"");
}

TEST(FileOperations, EditOpensByKindAndStartFailuresSayWhatToDo)
{
    test::MemorySettings settings;
    EXPECT_EQ(editLaunch("/m/a.lev", settings)->target, "/m/a.lev");
    EXPECT_EQ(editLaunch("/m/a.BMP", settings)->parameters, "");
    EXPECT_FALSE(editLaunch("/m/a.chr", settings));
    EXPECT_EQ(editLaunch("/m/a.lwp", settings)->target, "/m/a.lwp");
    settings.setText(setting::TextEditor, "kate");
    const auto text = editLaunch("/m/my mod.llf", settings);
    EXPECT_EQ(text->target, "kate");
    EXPECT_EQ(text->parameters, "\"/m/my mod.llf\"");

    test::RecordingShell shell;
    EXPECT_EQ(start(shell, *text).kind, Outcome::Kind::Nothing);
    shell.answer = "Could not start \"kate\"";
    const auto failed = start(shell, *text);
    EXPECT_EQ(failed.kind, Outcome::Kind::Refused);
    EXPECT_NE(failed.status.find("text editor on the Options page"), std::string::npos);
}

// A copy larger than the memory the process may still take: streamed, it goes through.
TEST(FileOperations, CopyStreamsWithConstantMemory)
{
    test::ScratchFolder folder;
    const auto big = folder / "big.zip";
    { std::ofstream create(big); }
    fs::resize_file(big, 256u << 20);   // sparse
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        long pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        const rlim_t now = static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE));
        const rlimit limit{now + (64u << 20), now + (64u << 20)};
        setrlimit(RLIMIT_AS, &limit);
        try {
            const auto outcome = copyModFile(big, folder / "copy.zip");
            _exit(outcome.succeeded() ? 0 : 1);
        } catch (...) {
            _exit(2);
        }
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(fs::file_size(folder / "copy.zip"), 256u << 20);
}
