// quorvex-cli blood, ai and associate on a demo game: the values written, the status texts and
// log lines, refusals that write nothing, and the associations in a scratch desktop.
#include "core/base/places.h"
#include "core/platform/module_loader.h"
#include "core/platform/qt_services.h"
#include "programs.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

struct OptionCliTest : ::testing::Test {
    DemoGame demo;
    fs::path data = demo.scratch / "cli-data";

    OptionCliTest() { fs::create_directories(data); }

    // locale: the locale variables of the run, set or unset (-u NAME) as env takes them.
    CommandResult cli(std::vector<std::string> args, const std::string& moduleFolder = "",
                      const std::vector<std::string>& locale = {})
    {
        std::vector<std::string> all{"env"};
        all.insert(all.end(), locale.begin(), locale.end());
        all.insert(all.end(), {"QUORVEX_DATA_DIR=" + data.string(), "QUORVEX_MODULE_DIR=" + moduleFolder,
                                     "XDG_DATA_HOME=" + (demo.scratch / "xdg-data").string(),
                                     "XDG_CONFIG_HOME=" + (demo.scratch / "xdg-config").string(), quorvex::test::cliProgram(),
                                     "--game", demo.game().string()});
        all.insert(all.end(), args.begin(), args.end());
        return runCommand(all);
    }
    std::string log() { return readText(data / "quorvex.log"); }
    std::uint32_t blood() { return readBytes(demo.workspace.torloDat())[places::DatBlood] | readBytes(demo.workspace.torloDat())[15] << 8; }
};

} // namespace

TEST_F(OptionCliTest, BloodTakesNegativeNumbersAsValues)
{
    for (auto [args, printed] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"blood", "-60"}, "50\n"}, {{"blood", "--", "-85"}, "75\n"}, {{"blood", "40000"}, "32750\n"},
             {{"blood", "24"}, "0\n"}}) {
        const auto result = cli(args);
        ASSERT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(result.out, printed);
        EXPECT_EQ(std::to_string(blood()) + "\n", printed);
    }
    const auto bad = cli({"blood", "ten"});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_EQ(bad.err, "quorvex-cli: 'ten' is not a valid integer value\n");
    EXPECT_EQ(blood(), 0u);
    EXPECT_EQ(cli({"blood"}).exitCode, 2);
    fs::remove(demo.workspace.torloDat());
    const auto missing = cli({"blood", "100"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, "quorvex-cli: \"Torlo.Dat\" does not exist. Blood not set\n");
}

TEST_F(OptionCliTest, AiShowSetAndPreset)
{
    auto result = cli({"ai", "show"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "CHANGELEFT:50\nCHANGERIGHT:50\nFIREPRESS:80\nFIRERELEASE:80\nCHANGEPRESS:300\n"
                          "CHANGERELEASE:60\nJUMPPRESS:400\nJUMPRELEASE:1\nMAXEXPLODETIME:500\nMINRANGE:90\n"
                          "RANGEDIVISOR:130\n");

    result = cli({"ai", "set", "CHANGELEFT=0", "MINRANGE=200", "JUMPPRESS=-1"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "New AI settings saved\n");
    EXPECT_NE(log().find(": New AI settings saved\r\n"), std::string::npos);
    const auto shown = cli({"ai", "show"}).out;
    EXPECT_NE(shown.find("CHANGELEFT:1\n"), std::string::npos);
    EXPECT_NE(shown.find("JUMPPRESS:32767\n"), std::string::npos);
    EXPECT_NE(shown.find("MINRANGE:-56\n"), std::string::npos);
    EXPECT_NE(shown.find("CHANGERIGHT:50\n"), std::string::npos) << "the others start from the game's values";

    const auto before = readBytes(demo.workspace.torloExe());
    EXPECT_EQ(cli({"ai", "set", "FIREPRESS=7", "CHANGELEFT=x"}).err, "quorvex-cli: 'x' is not a valid integer value\n");
    EXPECT_EQ(cli({"ai", "set", "NOSUCH=1"}).err, "quorvex-cli: Not an AI key: NOSUCH\n");
    EXPECT_EQ(cli({"ai", "set", "FIREPRESS"}).exitCode, 2);
    EXPECT_EQ(readBytes(demo.workspace.torloExe()), before);

    ASSERT_EQ(cli({"ai", "preset", "good"}).exitCode, 0);
    EXPECT_NE(cli({"ai", "show"}).out.find("CHANGEPRESS:100\n"), std::string::npos);
    EXPECT_EQ(cli({"ai", "preset", "best"}).exitCode, 2);
}

TEST_F(OptionCliTest, AssociateAndRemove)
{
    QUORVEX_SKIP_ON_WINDOWS_BUILD("the desktop's file classes are Linux's");
    const auto apps = demo.scratch / "xdg-data/applications/net.morvane.quorvex.desktop";
    const auto package = demo.scratch / "xdg-data/mime/packages/quorvex.xml";
    auto result = cli({"associate", "sounds", "weapons"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "Extension(s) assigned\n");
    EXPECT_NE(readText(apps).find("MimeType=application/x-torlo-soundmod;application/x-torlo-weapon;\n"), std::string::npos);
    EXPECT_NE(readText(apps).find("Exec=" + (fs::path(quorvex::test::cliProgram()).parent_path() / "quorvex").string() + " %f\n"),
              std::string::npos);
    EXPECT_EQ(readText(package).find("x-torlo-level"), std::string::npos);

    ASSERT_EQ(cli({"associate"}).exitCode, 0);
    EXPECT_NE(readText(package).find("x-torlo-level"), std::string::npos) << "none named: all";
    EXPECT_EQ(cli({"associate", "fonts"}).exitCode, 2);

    result = cli({"associate", "--remove"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "Associations removed\n");
    EXPECT_FALSE(fs::exists(apps));
    EXPECT_FALSE(fs::exists(package));
    // Put back as it was: there was no mimeapps.list, nor any of the folders.
    EXPECT_FALSE(fs::exists(demo.scratch / "xdg-config/mimeapps.list"));
    EXPECT_FALSE(fs::exists(demo.scratch / "xdg-data"));
}

TEST_F(OptionCliTest, OptionsSetStoresWhatTheProgramReadsAndRefusesBadValuesWhole)
{
    QUORVEX_SKIP_ON_WINDOWS_BUILD("its settings are in the registry, not in Quorvex.conf");
    // A value holding a line break cannot forge a setting line of its own on output.
    const std::string name = "J\xC3\xB6rg \"J\", ; = \\x\nRunCommand=evil\t\x01";
    const std::string shown = "J\xC3\xB6rg \"J\", ; = \\x\\nRunCommand=evil\\t\\x01";
    auto result = cli({"options", "set", "MakePL=yes", "FG=2147483656", "Username=" + name, "TorloPath=/games/torlo"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "Settings saved\n");

    // The program reads the settings through QSettings.
    const auto file = demo.scratch / "xdg-config" / "Morvane" / "Quorvex.conf";
    const auto program = moduleSettingsStore(&file);
    EXPECT_EQ(program->text("MakePL"), "yes");
    EXPECT_EQ(program->integer("FG"), 2147483656LL);
    EXPECT_EQ(program->text("Username"), name);
    EXPECT_EQ(program->text("TorloPath"), "/games/torlo");

    result = cli({"options", "show"});
    EXPECT_EQ(result.out, "TorloPath=/games/torlo\nFG=2147483656\nMakePL=yes\nUsername=" + shown + "\n");

    const auto before = readText(file);
    const std::pair<std::vector<std::string>, std::string> refusals[] = {
        {{"options", "set", "MakePL=no", "SortExt=maybe"}, "SortExt must be yes or no, not \"maybe\""},
        {{"options", "set", "Stretch=yes", "Filter=12abc"}, "Filter must be a whole number, not \"12abc\""},
        {{"options", "set", "Colour=red"}, "Not a setting: Colour"},
    };
    for (const auto& [args, message] : refusals) {
        result = cli(args);
        EXPECT_EQ(result.exitCode, 1) << args[2];
        EXPECT_EQ(result.err, "quorvex-cli: " + message + "\n");
    }
    EXPECT_EQ(cli({"options", "set", "MakePL"}).exitCode, 2);
    EXPECT_EQ(readText(file), before);
}

TEST_F(OptionCliTest, OnlyASettingsWriteOrALogLineLoadsQt)
{
    QUORVEX_SKIP_ON_WINDOWS_BUILD("no Qt and no modules");
    // Without the module of the Qt services, what needs no Qt works as before.
    const auto noModules = demo.scratch / "no-modules";
    fs::create_directories(noModules);
    ASSERT_EQ(cli({"options", "set", "MakePL=yes"}).exitCode, 0);
    auto result = cli({"convert", (demo.game() / "mods/MEADOW.LEV").string(), (demo.scratch / "meadow.bmp").string()}, noModules.string());
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(cli({"options", "show"}, noModules.string()).out, "MakePL=yes\n");

    const auto settings = readText(demo.scratch / "xdg-config" / "Morvane" / "Quorvex.conf");
    result = cli({"options", "set", "MakePL=no"}, noModules.string());
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("The part \"quorvex-qt-services\" of Quorvex could not be loaded"), std::string::npos)
        << result.err;
    EXPECT_EQ(readText(demo.scratch / "xdg-config" / "Morvane" / "Quorvex.conf"), settings);

    // A change made is reported as made; only its log line is missing, where the time format
    // of the locale needs Qt.
    const auto exe = readBytes(demo.workspace.torloExe());
    const std::vector<std::string> german{"-u", "LC_ALL", "-u", "LC_TIME", "LANG=de_DE.UTF-8"};
    result = cli({"activate", (demo.game() / "mods/WARM.PAL").string()}, noModules.string(), german);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.err.find("The change was made, but the activity log could not be written"), std::string::npos)
        << result.err;
    EXPECT_NE(readBytes(demo.workspace.torloExe()), exe);

    // In the C locale the time of a log line needs no Qt; LC_ALL, then LC_TIME, outrank LANG.
    for (const std::vector<std::string>& c : {std::vector<std::string>{"LC_ALL=C", "LANG=de_DE.UTF-8"},
                                              std::vector<std::string>{"-u", "LC_ALL", "LC_TIME=POSIX", "LANG=de_DE.UTF-8"},
                                              std::vector<std::string>{"-u", "LC_ALL", "-u", "LC_TIME", "LANG=C.UTF-8"}}) {
        const auto before = fs::exists(data / "quorvex.log") ? log() : "";
        result = cli({"activate", (demo.game() / "mods/WARM.PAL").string()}, noModules.string(), c);
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(result.err, "") << c.back();
        EXPECT_GT(log().size(), before.size()) << c.back();
    }
    result = cli({"activate", (demo.game() / "mods/WARM.PAL").string()}, noModules.string(),
                 {"LC_ALL=de_DE.UTF-8", "LC_TIME=C", "LANG=C"});
    EXPECT_NE(result.err.find("the activity log could not be written"), std::string::npos) << result.err;
}

// An installed tree finds its modules in its own lib folder, also after it has been moved
// elsewhere than the prefix it was configured for.
TEST_F(OptionCliTest, AnInstalledTreeFindsItsModulesWhereverItLies)
{
    QUORVEX_SKIP_ON_WINDOWS_BUILD("no Qt and no modules");
    const auto prefix = demo.scratch / "moved-prefix";
    const fs::path built = quorvex::test::cliProgram();
    fs::create_directories(prefix / "bin");
    fs::create_directories(prefix / QUORVEX_MODULE_INSTALL_SUBDIR);
    fs::copy_file(built, prefix / "bin" / "quorvex-cli");
    fs::copy_file(moduleFile(built.parent_path(), "quorvex-qt-services"),
                  moduleFile(prefix / QUORVEX_MODULE_INSTALL_SUBDIR, "quorvex-qt-services"));
    const auto result = runCommand({"env", "-u", "QUORVEX_MODULE_DIR", "QUORVEX_DATA_DIR=" + data.string(),
                                    "XDG_CONFIG_HOME=" + (demo.scratch / "xdg-config").string(),
                                    (prefix / "bin" / "quorvex-cli").string(), "options", "set", "MakePL=yes"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(readText(demo.scratch / "xdg-config" / "Morvane" / "Quorvex.conf").find("MakePL=yes"), std::string::npos);
}

TEST_F(OptionCliTest, FailuresInsideTheQtServicesReachTheCommandLine)
{
    QUORVEX_SKIP_ON_WINDOWS_BUILD("no Qt and no modules");
    // Folders below a plain file can be neither made nor written, even by root.
    const auto plain = demo.scratch / "plain";
    writeBytes(plain, {1});
    const auto run = [&](const std::string& config, const std::string& desktopData, std::vector<std::string> args) {
        std::vector<std::string> all{"env", "QUORVEX_DATA_DIR=" + data.string(), "XDG_DATA_HOME=" + desktopData,
                                     "XDG_CONFIG_HOME=" + config, quorvex::test::cliProgram(), "--game", demo.game().string()};
        all.insert(all.end(), args.begin(), args.end());
        return runCommand(all);
    };
    auto result = run((plain / "config").string(), (demo.scratch / "xdg-data").string(), {"options", "set", "MakePL=yes"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("The settings could not be written"), std::string::npos) << result.err;

    result = run((demo.scratch / "xdg-config").string(), (plain / "data").string(), {"associate", "levels"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("Not a directory"), std::string::npos) << result.err;
}
