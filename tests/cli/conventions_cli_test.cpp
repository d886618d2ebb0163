// What every command-line user types first: --version, --help in each form, options anywhere
// and as --opt=value, "-" for standard output and input, every error after "quorvex-cli: ",
// and the completion made from the command table.
#include "cli/cli.h"
#include "programs.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace quorvex {
namespace {

using Line = std::vector<std::string>;

class CliConventions : public ::testing::Test {
protected:
    test::DemoGame demo;
    fs::path mods = demo.game() / "mods";
    fs::path out = demo.scratch / "out";
    std::string game = demo.game().string();

    void SetUp() override { fs::create_directories(out); }
    test::CommandResult cli(const Line& args, const std::string& input = {})
    {
        Line all{"env", "QUORVEX_DATA_DIR=" + (demo.scratch / "data").string(), QUORVEX_CLI_PATH};
        all.insert(all.end(), args.begin(), args.end());
        return test::runCommand(all, input);
    }
};

TEST_F(CliConventions, VersionAndHelpInEveryForm)
{
    for (const Line& line : {Line{"--version"}, Line{"-V"}, Line{"info", "--version"}}) {
        const auto result = cli(line);
        EXPECT_EQ(result.exitCode, 0) << line[0];
        EXPECT_EQ(result.out, std::string("quorvex-cli ") + QUORVEX_VERSION + "\n") << line[0];
    }
    const auto table = cli::allCommands();
    for (const Line& line : {Line{"--help"}, Line{"-h"}, Line{"help"}}) {
        const auto result = cli(line);
        EXPECT_EQ(result.exitCode, 0) << line[0];
        EXPECT_EQ(result.out.rfind("usage: quorvex-cli [OPTION]... COMMAND", 0), 0u) << line[0];
        for (const auto& command : table)
            EXPECT_NE(result.out.find("\n  " + command.name), std::string::npos) << command.name;
    }
    const std::string usage = "usage: quorvex-cli weapons set N KEY=VALUE ...\n";
    for (const Line& line : {Line{"weapons", "set", "--help"}, Line{"help", "weapons", "set"}, Line{"-h", "weapons", "set"},
                             Line{"weapons", "--help", "set"}, Line{"--game=" + game, "weapons", "set", "-h"}}) {
        const auto result = cli(line);
        EXPECT_EQ(result.exitCode, 0) << line[0];
        EXPECT_EQ(result.out.rfind(usage, 0), 0u) << line[0] << ": " << result.out;
        EXPECT_NE(result.out.find("Examples:\n  quorvex-cli weapons set 3 NAME=BLASTER\n"), std::string::npos) << result.out;
    }
    // A group's first word with --help: the group's usage and each of its commands.
    for (const Line& line : {Line{"weapons", "--help"}, Line{"-h", "weapons"}, Line{"--game=" + game, "weapons", "-h"}}) {
        const auto result = cli(line);
        EXPECT_EQ(result.exitCode, 0) << line[0] << result.err;
        EXPECT_EQ(result.out.rfind("usage: quorvex-cli weapons list|show|set ...\n", 0), 0u) << line[0] << ": " << result.out;
        EXPECT_NE(result.out.find("\n  weapons set N KEY=VALUE ...\n"), std::string::npos) << result.out;
    }
    EXPECT_EQ(cli({"weapons"}).exitCode, 2);
    // Every command has its usage and at least one example.
    for (const auto& command : table) {
        Line line{"help"};
        for (std::size_t at = 0, space; at != std::string::npos; at = space == std::string::npos ? space : space + 1)
            line.push_back(command.name.substr(at, (space = command.name.find(' ', at)) - at));
        const auto result = cli(line);
        EXPECT_EQ(result.exitCode, 0) << command.name;
        EXPECT_EQ(result.out.rfind("usage: quorvex-cli " + command.name, 0), 0u) << command.name;
        EXPECT_NE(result.out.find("\nExamples:\n  quorvex-cli " + command.name), std::string::npos) << command.name;
    }
}

TEST_F(CliConventions, OptionsStandAnywhereAndTakeTheirValueAfterAnEqualsSign)
{
    const auto info = cli({"--game", game, "info"});
    ASSERT_EQ(info.exitCode, 0) << info.err;
    for (const Line& line : {Line{"info", "--game", game}, Line{"--game=" + game, "info"}, Line{"info", "--game=" + game}}) {
        const auto result = cli(line);
        EXPECT_EQ(result.exitCode, 0) << line[0] << result.err;
        EXPECT_EQ(result.out, info.out) << line[0];
    }
    const auto bank = (mods / "CRUNCHY.SND").string();
    const auto sounds = cli({"sounds", "list", "--bank", bank});
    ASSERT_EQ(sounds.exitCode, 0) << sounds.err;
    for (const Line& line : {Line{"sounds", "list", "--bank=" + bank}, Line{"--bank", bank, "sounds", "list"},
                             Line{"sounds", "--bank=" + bank, "list"}, Line{"--bank=" + bank, "sounds", "list"}}) {
        const auto result = cli(line);
        EXPECT_EQ(result.exitCode, 0) << line[0] << result.err;
        EXPECT_EQ(result.out, sounds.out) << line[0] << line[1];
    }
    // --yes after the command answers the question; a flag given a value is a usage error.
    const auto activated = cli({"activate", (mods / "PASTEL.ACT").string(), "--game", game, "--yes"});
    EXPECT_EQ(activated.exitCode, 0) << activated.err;
    for (const Line& line : {Line{"--yes=1", "info"}, Line{"convert", "a", "b", "--powerlevel=1"}, Line{"--game"}}) {
        const auto result = cli(line);
        EXPECT_EQ(result.exitCode, 2) << line.back();
        EXPECT_EQ(result.err.rfind("quorvex-cli: ", 0), 0u) << result.err;
    }
}

TEST_F(CliConventions, DashIsStandardOutputOrInputAndDotSlashDashAFile)
{
    const auto bytesOf = [](const fs::path& file) {
        const auto bytes = test::readBytes(file);
        return std::string(bytes.begin(), bytes.end());
    };
    struct Case {
        Line toFile, toOutput;
        fs::path written;
    };
    const Case cases[] = {
        {{"sounds", "export", "3", (out / "s.wav").string()}, {"sounds", "export", "3", "-"}, out / "s.wav"},
        {{"palette", "export", (out / "p.act").string()}, {"palette", "export", "-"}, out / "p.act"},
        {{"texts", "export", (out / "Klingon").string()}, {"texts", "export", "-", "--language=Klingon"}, out / "Klingon.LLF"},
        {{"preview", (mods / "MEADOW.LEV").string(), (out / "m.bmp").string()}, {"preview", (mods / "MEADOW.LEV").string(), "-"},
         out / "m.bmp"},
    };
    for (const auto& c : cases) {
        Line toFile{"--game", game}, toOutput{"--game", game};
        toFile.insert(toFile.end(), c.toFile.begin(), c.toFile.end());
        toOutput.insert(toOutput.end(), c.toOutput.begin(), c.toOutput.end());
        ASSERT_EQ(cli(toFile).exitCode, 0) << c.toFile[0];
        const auto result = cli(toOutput);
        EXPECT_EQ(result.exitCode, 0) << c.toFile[0] << result.err;
        EXPECT_EQ(result.err, "") << c.toFile[0];
        EXPECT_GT(result.out.size(), 700u) << c.toFile[0];
        EXPECT_TRUE(result.out == bytesOf(c.written)) << c.toFile[0] << ": standard output is the file's bytes";
    }

    // Standard input into sounds import: the same bank as from the file.
    const auto voice = bytesOf(mods / "VOICE.WAV");
    ASSERT_EQ(cli({"--game", game, "sounds", "import", "3", (mods / "VOICE.WAV").string(), "--to", (out / "A.SND").string()}).exitCode, 0);
    const auto fromInput = cli({"--game", game, "sounds", "import", "3", "-", "--to", (out / "B.SND").string()}, voice);
    EXPECT_EQ(fromInput.exitCode, 0) << fromInput.err;
    EXPECT_NE(fromInput.out.find("replaced by standard input"), std::string::npos) << fromInput.out;
    EXPECT_EQ(test::readBytes(out / "A.SND"), test::readBytes(out / "B.SND"));
    const auto garbage = cli({"--game", game, "sounds", "import", "3", "-", "--to", (out / "C.SND").string()}, "not a sound");
    EXPECT_EQ(garbage.exitCode, 1);
    EXPECT_EQ(garbage.err.rfind("quorvex-cli: Can not import standard input: ", 0), 0u) << garbage.err;
    EXPECT_FALSE(fs::exists(out / "C.SND"));

    // ./- is a file of that name.
    const auto dotDash = test::runCommand({"env", "-C", out.string(), "QUORVEX_DATA_DIR=" + (demo.scratch / "data").string(),
                                           QUORVEX_CLI_PATH, "--game", game, "sounds", "export", "3", "./-"});
    EXPECT_EQ(dotDash.exitCode, 0) << dotDash.err;
    EXPECT_EQ(dotDash.out, "Saved as \"./-\"\n");
    EXPECT_EQ(bytesOf(out / "-"), bytesOf(out / "s.wav"));
}

TEST_F(CliConventions, EveryErrorLineStartsWithTheProgramName)
{
    test::ScratchFolder empty;
    const Line lines[] = {
        {"frobnicate"}, {}, {"weapons"}, {"--game", game, "weapons", "show", "99"}, {"--game", game, "convert", "x"},
        {"--game", game, "texts", "set", "7"}, {"--game", game, "preview", "nothing.lev"}, {"--game", game, "blood", "ten"},
        {"--game", empty.path().string(), "weapons", "list"}, {"--game", game, "info", "--frob"},
    };
    for (const auto& line : lines) {
        const auto result = cli(line);
        EXPECT_NE(result.exitCode, 0) << (line.empty() ? "" : line.back());
        ASSERT_FALSE(result.err.empty()) << (line.empty() ? "" : line.back());
        for (const auto& text : test::lines(result.err))
            EXPECT_EQ(text.rfind("quorvex-cli: ", 0), 0u) << result.err;
    }
    // A game folder without the game is named.
    EXPECT_EQ(cli({"--game", empty.path().string(), "weapons", "list"}).err,
              "quorvex-cli: torlo.exe was not found in " + empty.path().string() + "\n");
    EXPECT_EQ(cli({"--game", (empty / "none").string(), "hacks", "show"}).err,
              "quorvex-cli: torlo.exe was not found in " + (empty / "none").string() + "\n");
}

// The desktop program answers --help and --version on the terminal, with no display to open.
TEST(ProgramArguments, HelpAndVersionPrintAndExitWithoutADisplay)
{
    const std::vector<std::string> noDisplay{"env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM=xcb", QUORVEX_PROGRAM_PATH};
    for (const char* option : {"--version", "-V", "--help", "-h"}) {
        auto line = noDisplay;
        line.push_back(option);
        const auto result = test::runCommand(line);
        EXPECT_EQ(result.exitCode, 0) << option << result.err;
        EXPECT_EQ(result.err, "") << option;
        const std::string expected = option[1] == 'V' || option[2] == 'v' ? std::string("quorvex ") + QUORVEX_VERSION + "\n"
                                                                          : "usage: quorvex [FILE]\n";
        EXPECT_EQ(result.out.substr(0, expected.size()), expected) << option;
    }
}

// The completion script made from the command table, run by bash with bash-completion.
TEST_F(CliConventions, BashCompletionOffersCommandsOptionsKeysAndFilesByExtension)
{
    const fs::path script = fs::path(QUORVEX_CLI_PATH).parent_path().parent_path() / "cli-reference" / "quorvex-cli.bash";
    const fs::path library = "/usr/share/bash-completion/bash_completion";
    if (!fs::exists(library))
        GTEST_SKIP() << "bash-completion is not installed";
    test::writeBytes(out / "A.LEV", {1});
    test::writeBytes(out / "b.lev", {1});
    test::writeBytes(out / "c.txt", {1});
    const auto g = demo.scratch / "g";   // beside the folder completed in, which lists only the cases' files
    fs::create_directories(g / "sub");
    test::writeBytes(g / "super.txt", {1});
    test::writeBytes(g / "sup.lev", {1});
    struct Case {
        std::string line;   // the words typed, the last one being completed
        std::string offered;
    };
    const Case cases[] = {
        {"quorvex-cli weap", "weapons"},
        {"quorvex-cli weapons s", "set show"},
        {"quorvex-cli --game . sounds ex", "export export-all"},
        {"quorvex-cli help ob", "objects"},
        {"quorvex-cli convert-all --p", "--powerlevel"},
        {"quorvex-cli --v", "--version"},
        {"quorvex-cli weapons set 3 SPE", "SPEED="},
        {"quorvex-cli ai preset g", "good"},
        {"quorvex-cli changes revert s", "sobject sound"},
        {"quorvex-cli level add-pl2 ", "A.LEV b.lev"},
        {"quorvex-cli --game=../g/su", "--game=../g/sub"},
        {"quorvex-cli sounds list --bank=../g/su", "--bank=../g/sub --bank=../g/sup.lev --bank=../g/super.txt"},
    };
    for (const auto& c : cases) {
        const std::string program = "source " + library.string() + " && source " + script.string() +
                                    " && cd " + out.string() + " && COMP_WORDS=(" + c.line + (c.line.back() == ' ' ? "''" : "") +
                                    ") && COMP_CWORD=$((${#COMP_WORDS[@]} - 1)) && COMP_LINE=\"" + c.line +
                                    "\" && COMP_POINT=${#COMP_LINE} && _quorvex_cli && printf '%s\\n' \"${COMPREPLY[@]}\" | sort | paste -sd' '";
        const auto result = test::runCommand({"bash", "-c", program});
        EXPECT_EQ(result.out, c.offered + "\n") << c.line << result.err;
    }
}

// Names that only the game knows (its profiles, its backups) come from the program itself, for
// the game named on the line.
TEST_F(CliConventions, BashCompletionOffersTheGamesProfilesAndBackups)
{
    const fs::path script = fs::path(QUORVEX_CLI_PATH).parent_path().parent_path() / "cli-reference" / "quorvex-cli.bash";
    const fs::path library = "/usr/share/bash-completion/bash_completion";
    if (!fs::exists(library))
        GTEST_SKIP() << "bash-completion is not installed";
    ASSERT_EQ(cli({"--game", game, "--yes", "profiles", "save", "tournament"}).exitCode, 0);
    ASSERT_EQ(cli({"--game", game, "--yes", "profiles", "save", "training"}).exitCode, 0);
    ASSERT_EQ(cli({"--game", game, "blood", "50"}).exitCode, 0);
    const auto backups = cli({"--game", game, "backups", "list"}).out;
    ASSERT_FALSE(backups.empty());
    const auto firstId = backups.substr(0, backups.find('\t'));
    const std::string program = QUORVEX_CLI_PATH;
    const std::pair<std::string, std::string> cases[] = {
        {program + " --game " + game + " profiles switch t", "tournament training"},
        {program + " --game=" + game + " profiles delete tr", "training"},
        {program + " --game " + game + " backups restore " + firstId, firstId},
    };
    for (const auto& [line, offered] : cases) {
        const std::string bash = "export QUORVEX_DATA_DIR=" + (demo.scratch / "data").string() + " && source " + library.string() +
                                 " && source " + script.string() + " && COMP_WORDS=(" + line + ") && COMP_CWORD=$((${#COMP_WORDS[@]} - 1))"
                                 " && COMP_LINE=\"" + line + "\" && COMP_POINT=${#COMP_LINE} && _quorvex_cli && printf '%s\\n' \"${COMPREPLY[@]}\" | sort | paste -sd' '";
        const auto result = test::runCommand({"bash", "-c", bash});
        EXPECT_EQ(result.out, offered + "\n") << line << result.err;
    }
}

// "--" ends the options of every command; a mistyped command or option is named with the
// nearest one, as git does; a group's name asks for its commands.
TEST_F(CliConventions, DoubleDashSuggestionsAndGroups)
{
    // After "--" a word that starts with "-" is an argument.
    auto result = cli({"--game", game, "convert", (mods / "MEADOW.LEV").string(), "--odd.bmp"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.err.rfind("quorvex-cli: unknown option --odd.bmp\n", 0), 0u) << result.err;
    result = test::runCommand({"env", "-C", out.string(), "QUORVEX_DATA_DIR=" + (demo.scratch / "data").string(), QUORVEX_CLI_PATH,
                               "--game", game, "convert", "--", (mods / "MEADOW.LEV").string(), "--odd.bmp"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_TRUE(fs::exists(out / "--odd.bmp"));
    result = cli({"--game", game, "texts", "set", "7", "--", "-hello-"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(cli({"--game", game, "texts", "get", "7"}).out.rfind("-hello-", 0), 0u);
    result = cli({"--game", game, "blood", "--", "-60"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "50\n");

    struct Case {
        Line line;
        std::string said;
    };
    const Case cases[] = {
        {{"wepons", "list"}, "quorvex-cli: unknown command wepons\nquorvex-cli: The most similar command is\nquorvex-cli: \tweapons\n"},
        {{"weapons", "lsit"}, "quorvex-cli: unknown command weapons lsit\nquorvex-cli: The most similar command is\nquorvex-cli: \tweapons list\n"},
        {{"--gmae", game, "info"}, "quorvex-cli: unknown option --gmae\nquorvex-cli: The most similar option is\nquorvex-cli: \t--game\n"},
        {{"--game", game, "convert", "a.lev", "b.bmp", "--powerlvel"},
         "quorvex-cli: unknown option --powerlvel\nquorvex-cli: The most similar option is\nquorvex-cli: \t--powerlevel\n"},
        {{"frobnicate"}, "quorvex-cli: unknown command frobnicate\nquorvex-cli: see quorvex-cli --help\n"},
    };
    for (const auto& c : cases) {
        result = cli(c.line);
        EXPECT_EQ(result.exitCode, 2) << c.line[0];
        EXPECT_EQ(result.err.substr(0, c.said.size()), c.said) << c.line[0];
    }

    for (const Line& line : {Line{"help", "weapons"}, Line{"weapons", "--help"}, Line{"-h", "weapons"}}) {
        result = cli(line);
        EXPECT_EQ(result.exitCode, 0) << line[0] << result.err;
        EXPECT_EQ(result.out.rfind("usage: quorvex-cli weapons list|show|set ...\n", 0), 0u) << line[0] << result.out;
        for (const auto* command : cli::commandGroup("weapons", cli::allCommands()))
            EXPECT_NE(result.out.find("\n  " + command->name), std::string::npos) << command->name;
        EXPECT_EQ(result.out.find("\n  objects"), std::string::npos);
    }
    EXPECT_EQ(cli({"weapons"}).exitCode, 2);
}

// "convert X -" writes the converted file to standard output, as the exports do.
TEST_F(CliConventions, ConvertToStandardOutput)
{
    ASSERT_EQ(cli({"--game", game, "convert", (mods / "MEADOW.LEV").string(), (out / "m.bmp").string()}).exitCode, 0);
    const auto result = cli({"--game", game, "convert", (mods / "MEADOW.LEV").string(), "-"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    const auto bytes = test::readBytes(out / "m.bmp");
    EXPECT_TRUE(result.out == std::string(bytes.begin(), bytes.end()));
    EXPECT_FALSE(fs::exists("-.bmp"));
}

} // namespace
} // namespace quorvex
