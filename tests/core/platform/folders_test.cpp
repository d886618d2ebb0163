// Where the program keeps its files, from the environment: the data folder, the per-user
// folders of the desktop, the settings file and the temp folder.
#include "core/platform/folders.h"
#include "core/platform/settings_file.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <map>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

Environment environment(std::map<std::string, fs::path> values)
{
    return [values = std::move(values)](const char* name) {
        const auto found = values.find(name);
        return found == values.end() ? fs::path() : found->second;
    };
}

} // namespace

TEST(Folders, DataFolderIsTheOverrideElseAPortableProgramFolderElseThePerUserOne)
{
    ScratchFolder scratch;
    const auto program = scratch / "program";
    fs::create_directories(program);
    const auto home = environment({{"HOME", "/home/jo"}});
    EXPECT_EQ(dataFolder(program, environment({{"HOME", "/home/jo"}, {"QUORVEX_DATA_DIR", "/srv/q"}})), "/srv/q");
    EXPECT_EQ(dataFolder(program, environment({{"QUORVEX_DATA_DIR", "rel/q"}})), fs::current_path() / "rel" / "q");
    // An installed program (a writable bin/ without quorvex.dat, as under ~/.local or for root)
    // keeps its data per user.
    EXPECT_EQ(dataFolder(program, home), "/home/jo/.local/share/Morvane/Quorvex");
    writeBytes(program / "quorvex.dat", {0});
    EXPECT_EQ(dataFolder(program, home), program);   // portable use
    const auto readOnly = scratch / "missing";        // a folder that cannot be written either
    EXPECT_EQ(dataFolder(readOnly, home), "/home/jo/.local/share/Morvane/Quorvex");
    EXPECT_EQ(dataFolder(readOnly, environment({{"HOME", "/home/jo"}, {"XDG_DATA_HOME", "/data"}})),
              "/data/Morvane/Quorvex");
}

TEST(Folders, PerUserFoldersTakeOnlyAbsoluteXdgFolders)
{
    const struct {
        std::map<std::string, fs::path> values;
        fs::path data, config;
    } cases[] = {
        {{{"HOME", "/home/jo"}}, "/home/jo/.local/share/Morvane/Quorvex", "/home/jo/.config/Morvane/Quorvex.conf"},
        {{{"HOME", "/home/jo"}, {"XDG_DATA_HOME", "/x/data"}, {"XDG_CONFIG_HOME", "/x/config"}},
         "/x/data/Morvane/Quorvex", "/x/config/Morvane/Quorvex.conf"},
        {{{"HOME", "/home/jo"}, {"XDG_DATA_HOME", "rel/data"}, {"XDG_CONFIG_HOME", "rel"}},
         "/home/jo/.local/share/Morvane/Quorvex", "/home/jo/.config/Morvane/Quorvex.conf"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(userDataFolder(environment(c.values)), c.data);
        EXPECT_EQ(settingsFile(environment(c.values)), c.config);
    }
    // Without HOME the password database names the home folder.
    EXPECT_TRUE(userConfigHome(environment({})).is_absolute());
}

TEST(Folders, TempFolderIsTempElseTmpElseTheSystemOne)
{
    EXPECT_EQ(tempFolder(environment({{"TEMP", "/a"}, {"TMP", "/b"}, {"TMPDIR", "/c"}})), "/a");
    EXPECT_EQ(tempFolder(environment({{"TMP", "/b"}, {"TMPDIR", "/c"}})), "/b");
    EXPECT_EQ(tempFolder(environment({{"TMPDIR", "/c"}})), "/c");
    EXPECT_EQ(tempFolder(environment({})), "/tmp");
    EXPECT_EQ(tempFolder(environment({{"TMP", "t"}})), fs::current_path() / "t");
}
