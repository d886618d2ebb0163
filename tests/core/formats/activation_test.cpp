#include "core/formats/activation.h"
#include "core/base/extension.h"
#include "core/formats/level.h"
#include "core/base/errors.h"
#include "core/base/places.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace quorvex {
namespace {

class ActivationTest : public ::testing::Test {
protected:
    test::DemoGame demo;
    fs::path mods = demo.game() / "mods";
    int questions = 0;

    Activation activate(const fs::path& file, const fs::path& browsed)
    {
        return activateFile(file, browsed, demo.workspace, [this](std::string_view) {
            ++questions;
            return true;
        });
    }
    Activation activate(const fs::path& file) { return activate(file, file.parent_path()); }

    fs::path write(const std::string& name, const Bytes& bytes)
    {
        test::writeBytes(demo.scratch / name, bytes);
        return demo.scratch / name;
    }
    Bytes exe() const { return test::readBytes(demo.workspace.torloExe()); }
    Bytes gamePalette() const
    {
        const auto bytes = exe();
        return Bytes(bytes.begin() + places::GamePalette, bytes.begin() + places::GamePalette + 768);
    }
    Bytes materials() const
    {
        const auto bytes = exe();
        return Bytes(bytes.begin() + places::Materials, bytes.begin() + places::Materials + 160);
    }
    std::string levelName() const
    {
        const auto dat = test::readBytes(demo.workspace.torloDat());
        return std::string(dat.begin() + 147, dat.begin() + 147 + dat[146]);
    }
};

TEST(LevelName, ADosNameIsKeptAndAnyOtherMadeFromItsValidCharacters)
{
    const std::set<std::string> takenNames = {"LONGLEVE", "LONGLEV2", "AB", "LEVEL"};
    const auto taken = [&](const std::string& name) { return takenNames.count(name) > 0; };
    const struct {
        const char* file;
        bool dos;
        const char* name;   // the name installed: the DOS name itself, or the one made
    } cases[] = {
        {"MYLEVEL.LEV", true, "MYLEVEL"},
        {"mylevel1.lev", true, "MYLEVEL1"},
        {"a-b_c.lev", true, "A-B_C"},
        {"X.LEV", true, "X"},
        {"!#$%&'()@.LEV", false, "!#$%&'()"},   // nine valid characters: one too many
        {"@^{}~.LEV", false, "@^{}"},   // a "~" is left out
        {"My Long Level Name.LEV", false, "MYLONGLE"},
        {"averylongname.lev", false, "AVERYLON"},
        {"LongLevelName.LEV", false, "LONGLEV3"},   // LONGLEVE and LONGLEV2 are taken
        {"a b.LEV", false, "AB2"},
        {"my.lev.LEV", false, "MYLEV"},
        {"Caf\xc3\xa9.LEV", false, "CAF"},
        {"\xc3\xa9\xc3\xa9.LEV", false, "LEVEL2"},   // nothing valid
        {"ABCDEFGH1.LEV", false, "ABCDEFGH"},
    };
    for (const auto& c : cases) {
        const auto stem = levelStem(fs::path("/x") / c.file);
        EXPECT_EQ(isDosName(stem), c.dos) << c.file;
        EXPECT_EQ(c.dos ? upperCase(stem) : dosLevelName(stem, taken), c.name) << c.file;
    }
    EXPECT_FALSE(isDosName(""));
    // Past 9 the number takes a character more of the eight.
    std::set<std::string> many = {"LONGLEVE"};
    for (int n = 2; n <= 9; ++n)
        many.insert("LONGLEV" + std::to_string(n));
    EXPECT_EQ(dosLevelName("LongLevelName", [&](const std::string& name) { return many.count(name) > 0; }), "LONGLE10");
    EXPECT_EQ(dosLevelName("x", [](const std::string&) { return true; }), "");
}

// DOSBox names the long-named files of the game folder MYLONG~1, MYLONG~2 … itself; the names
// Quorvex makes beside them must each open the level installed under it, in DOSBox as in the
// game.
TEST_F(ActivationTest, NamesMadeBesideLongNamedLevelsOpenTheirOwnLevelInDosBox)
{
    const auto level = test::readBytes(mods / "CANYON.LEV");
    for (const char* name : {"My Long Level One.LEV", "My Long Level Two.LEV", "My Long Level Three.LEV"})
        test::writeBytes(demo.game() / name, Bytes(level.size(), static_cast<std::uint8_t>(name[14])));
    std::vector<std::pair<std::string, Bytes>> installed;   // name, content
    for (int n = 0; n < 11; ++n) {
        auto content = level;
        content[0] = static_cast<std::uint8_t>(n);
        activate(write("My Long Level Name.LEV", content));
        ASSERT_EQ(levelName().find('~'), std::string::npos) << levelName();
        installed.emplace_back(levelName(), content);
    }
    EXPECT_EQ(installed[1].first, "MYLONGL2");
    EXPECT_EQ(installed[10].first, "MYLONG11");
    std::vector<std::string> commands;
    for (std::size_t i = 0; i < installed.size(); ++i)
        commands.push_back("copy " + installed[i].first + ".LEV OUT" + std::to_string(i) + ".BIN");
    const auto run = test::runInDosBox(demo.game(), commands, demo.scratch.path());
    if (!run)
        GTEST_SKIP() << "DOSBox is not installed";
    for (std::size_t i = 0; i < installed.size(); ++i) {
        const auto out = findGameFile(demo.game(), "OUT" + std::to_string(i) + ".BIN");
        ASSERT_TRUE(fs::exists(out)) << installed[i].first << run->out << run->err;
        EXPECT_TRUE(test::readBytes(out) == installed[i].second) << installed[i].first << " opened another file";
    }
}

TEST_F(ActivationTest, TwoLongNamesThatShareTheirStartGetTwoFilesAndTwoNames)
{
    const auto first = write("LongLevelName.LEV", test::readBytes(mods / "CANYON.LEV"));
    const auto second = write("LongLevelOther.LEV", test::readBytes(mods / "MEADOW.LEV"));
    const auto a = activate(first);
    EXPECT_EQ(a.outcome.status, "Level activated, installed as LONGLEVE.LEV");
    EXPECT_EQ(a.outcome.logMessage, "Level " + first.string() + " activated, installed as LONGLEVE.LEV");
    EXPECT_EQ(levelName(), "LONGLEVE");
    EXPECT_EQ(activate(second).outcome.status, "Level activated, installed as LONGLEV2.LEV");
    EXPECT_EQ(levelName(), "LONGLEV2");
    EXPECT_EQ(test::readBytes(demo.game() / "LONGLEVE.LEV"), test::readBytes(first));
    EXPECT_EQ(test::readBytes(demo.game() / "LONGLEV2.LEV"), test::readBytes(second));
    EXPECT_FALSE(fs::exists(demo.game() / "LongLevelName.LEV"));
    // Activated again, the first finds its own copy and keeps its name.
    EXPECT_EQ(activate(first).outcome.status, "Level activated, installed as LONGLEVE.LEV");
    EXPECT_EQ(levelName(), "LONGLEVE");
    EXPECT_FALSE(fs::exists(demo.game() / "LONGLEV3.LEV"));

    // A long-named level in the game folder itself is copied to its DOS name too.
    fs::copy_file(mods / "SUNSET.LEV", demo.game() / "Sunset Evening.lev");
    EXPECT_EQ(activate(demo.game() / "Sunset Evening.lev").outcome.status, "Level activated, installed as SUNSETEV.LEV");
    EXPECT_EQ(levelName(), "SUNSETEV");
    EXPECT_EQ(test::readBytes(demo.game() / "SUNSETEV.LEV"), test::readBytes(mods / "SUNSET.LEV"));
    EXPECT_TRUE(fs::exists(demo.game() / "Sunset Evening.lev"));
}

TEST_F(ActivationTest, PowerlevelTwoFromAnotherFolderInstallsEverything)
{
    auto level = test::readBytes(mods / "MOSSYPL2.LEV");
    std::memcpy(&level[LevelMarkerAt], "NOTAMARKER", 10);   // never examined
    level[LevelMaterialsAt] = 0xA5;
    const auto file = write("averylongname.lev", level);
    const auto result = activate(file);
    EXPECT_EQ(result.outcome.status, "Level activated, installed as AVERYLON.LEV");
    EXPECT_EQ(result.outcome.logMessage, "Level " + file.string() + " activated, installed as AVERYLON.LEV");
    EXPECT_TRUE(result.paletteChanged);
    EXPECT_EQ(gamePalette(), Bytes(level.begin() + LevelPaletteAt, level.begin() + LevelPaletteAt + 768));
    EXPECT_EQ(materials(), Bytes(level.begin() + LevelMaterialsAt, level.end()));
    EXPECT_EQ(levelName(), "AVERYLON");
    EXPECT_EQ(test::readBytes(demo.game() / "AVERYLON.LEV"), level);
    const auto dat = test::readBytes(demo.workspace.torloDat());
    EXPECT_EQ(dat.size(), places::DatSize);
}

TEST_F(ActivationTest, PowerlevelWritesOnlyThePalette)
{
    const auto before = materials();
    const auto result = activate(mods / "SUNSET.LEV");
    EXPECT_TRUE(result.paletteChanged);
    const auto level = test::readBytes(mods / "SUNSET.LEV");
    EXPECT_EQ(gamePalette(), Bytes(level.begin() + LevelPaletteAt, level.end()));
    EXPECT_EQ(materials(), before);
    EXPECT_EQ(levelName(), "SUNSET");
}

TEST_F(ActivationTest, PlainLevelKeepsThePaletteOfAnEarlierPowerlevel)
{
    activate(mods / "SUNSET.LEV");
    const auto palette = gamePalette();
    const auto result = activate(mods / "MEADOW.LEV");
    EXPECT_FALSE(result.paletteChanged);
    EXPECT_EQ(gamePalette(), palette);
    EXPECT_EQ(levelName(), "MEADOW");
    EXPECT_TRUE(fs::exists(demo.game() / "MEADOW.LEV"));
}

TEST_F(ActivationTest, LevelInTheGameFolderIsNotCopied)
{
    fs::copy_file(mods / "CANYON.LEV", demo.game() / "canyon.lev");
    const auto browsed = demo.game() / "";   // the same folder written with a trailing slash
    EXPECT_EQ(activate(demo.game() / "canyon.lev", browsed).outcome.status, "Level activated");
    EXPECT_EQ(fs::file_size(demo.game() / "canyon.lev"), 176402u);
    EXPECT_EQ(levelName(), "CANYON");
}

TEST_F(ActivationTest, LevelNeedsTheGameFilesBeforeWritingAnything)
{
    fs::remove(demo.workspace.torloDat());
    const auto palette = gamePalette();
    EXPECT_THROW(activate(mods / "SUNSET.LEV"), FileError);
    EXPECT_EQ(gamePalette(), palette);
    EXPECT_FALSE(fs::exists(demo.game() / "SUNSET.LEV"));
}

TEST_F(ActivationTest, ATorloDatTooShortForTheNameIsRefusedNotGrown)
{
    const auto palette = gamePalette();
    // "SUNSET" needs the length byte at 146 and six letters: 153 bytes.
    test::writeBytes(demo.workspace.torloDat(), Bytes(152, 0));
    try {
        activate(mods / "SUNSET.LEV");
        ADD_FAILURE() << "activated into a short torlo.dat";
    } catch (const FileError& error) {
        EXPECT_STREQ(error.what(), "Read beyond end of file: torlo.dat");
    }
    EXPECT_EQ(test::readBytes(demo.workspace.torloDat()), Bytes(152, 0));
    EXPECT_EQ(gamePalette(), palette);
    EXPECT_FALSE(fs::exists(demo.game() / "SUNSET.LEV"));

    test::writeBytes(demo.workspace.torloDat(), Bytes(153, 0));
    EXPECT_EQ(activate(mods / "SUNSET.LEV").outcome.status, "Level activated");
    EXPECT_EQ(levelName(), "SUNSET");
    EXPECT_EQ(fs::file_size(demo.workspace.torloDat()), 153u);
}

TEST_F(ActivationTest, GraphicsAndSoundModsReplaceTheGamesFiles)
{
    const auto chr = activate(mods / "NEONGFX.CHR");
    EXPECT_EQ(chr.outcome.status, "Mod activated");
    EXPECT_EQ(chr.outcome.logMessage, "Graphic Mod " + (mods / "NEONGFX.CHR").string() + " activated");
    EXPECT_EQ(test::readBytes(demo.workspace.torloChr()), test::readBytes(mods / "NEONGFX.CHR"));
    const auto snd = activate(mods / "CRUNCHY.SND");
    EXPECT_EQ(snd.outcome.status, "Mod activated");
    EXPECT_EQ(snd.outcome.logMessage, "Soundmod " + (mods / "CRUNCHY.SND").string() + " activated");
    EXPECT_EQ(test::readBytes(demo.workspace.torloSnd()), test::readBytes(mods / "CRUNCHY.SND"));
    // No temporary files are left beside them.
    for (const auto& entry : fs::directory_iterator(demo.game()))
        EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
}

TEST_F(ActivationTest, AFileNamedLikeTheGamesOwnIsNotActivated)
{
    const auto before = test::readBytes(demo.workspace.torloChr());
    const auto result = activate(write("torlo.chr", Bytes(40000, 1)));
    EXPECT_EQ(result.outcome.kind, Outcome::Kind::Nothing);
    EXPECT_TRUE(result.outcome.logMessage.empty());
    EXPECT_EQ(test::readBytes(demo.workspace.torloChr()), before);
    EXPECT_EQ(activate(write("Torlo.Snd", Bytes(10, 1))).outcome.kind, Outcome::Kind::Nothing);
}

TEST_F(ActivationTest, FailedModCopyKeepsTheOldFileAndSaysSo)
{
    const auto before = test::readBytes(demo.workspace.torloSnd());
    const auto result = activate(mods / "MISSING.SND");
    EXPECT_EQ(result.outcome.kind, Outcome::Kind::Refused);
    EXPECT_EQ(result.outcome.status, "Mod not activated: File not found: MISSING.SND");
    EXPECT_EQ(test::readBytes(demo.workspace.torloSnd()), before);

    demo.workspace.gameFolder = demo.scratch / "no-such-game";
    EXPECT_EQ(activate(mods / "NEONGFX.CHR").outcome.kind, Outcome::Kind::Refused);
}

TEST_F(ActivationTest, AReadOnlyGameFileIsRefusedAndAReplacedOneKeepsItsPermissions)
{
    const auto chr = demo.workspace.torloChr();
    const auto before = test::readBytes(chr);
    const auto readOnly = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
    fs::permissions(chr, readOnly);
    const auto refused = activate(mods / "NEONGFX.CHR");
    EXPECT_EQ(refused.outcome.kind, Outcome::Kind::Refused);
    EXPECT_EQ(refused.outcome.status, "Mod not activated: File access denied: TORLO.CHR");
    EXPECT_EQ(test::readBytes(chr), before);
    EXPECT_EQ(fs::status(chr).permissions(), readOnly);

    const auto snd = demo.workspace.torloSnd();
    const auto shared = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::group_write;
    fs::permissions(snd, shared);
    EXPECT_EQ(activate(mods / "CRUNCHY.SND").outcome.status, "Mod activated");
    EXPECT_EQ(fs::status(snd).permissions(), shared);
}

TEST_F(ActivationTest, APipeIsRefusedInsteadOfWaitedFor)
{
    const auto before = test::readBytes(demo.workspace.torloChr());
    ASSERT_EQ(::mkfifo((demo.scratch / "pipe.chr").c_str(), 0644), 0);
    EXPECT_EQ(activate(demo.scratch / "pipe.chr").outcome.status, "Mod not activated: Not a regular file: pipe.chr");
    EXPECT_EQ(test::readBytes(demo.workspace.torloChr()), before);
    ASSERT_EQ(::mkfifo((demo.scratch / "pipe.lev").c_str(), 0644), 0);
    EXPECT_THROW(activate(demo.scratch / "pipe.lev"), FileError);
}

TEST_F(ActivationTest, RawPaletteIsDividedByFour)
{
    Bytes raw(800);
    for (std::size_t i = 0; i < raw.size(); ++i)
        raw[i] = static_cast<std::uint8_t>(i);
    const auto file = write("ramp.lpl", raw);
    const auto result = activate(file);
    EXPECT_EQ(result.outcome.status, "Palette activated");
    EXPECT_EQ(result.outcome.logMessage, "Palette " + file.string() + " activated");
    EXPECT_TRUE(result.paletteChanged);
    const auto palette = gamePalette();
    for (std::size_t i = 0; i < 768; ++i)
        ASSERT_EQ(palette[i], raw[i] / 4) << i;
}

TEST_F(ActivationTest, ShortRawPaletteIsRefusedAndWritesNothing)
{
    const auto before = exe();
    const auto result = activate(write("short.act", Bytes(767, 200)));
    EXPECT_EQ(result.outcome.kind, Outcome::Kind::Refused);
    EXPECT_EQ(result.outcome.status, "Not a valid palette");
    EXPECT_FALSE(result.paletteChanged);
    EXPECT_EQ(exe(), before);
}

TEST_F(ActivationTest, RawPaletteNeedsTorloExe)
{
    fs::remove(demo.workspace.torloExe());
    EXPECT_EQ(activate(mods / "PASTEL.ACT").outcome.status, "'Torlo.Exe' does not exists");
}

TEST_F(ActivationTest, TextPaletteOfWhiteWrites63Everywhere)
{
    std::string text = "JASC-PAL\r\n0100\r\n256\r\n";
    for (int i = 0; i < 256; ++i)
        text += "255 255 255\r\n";
    const auto result = activate(write("white.pal", Bytes(text.begin(), text.end())));
    EXPECT_EQ(result.outcome.status, "Palette activated");
    EXPECT_EQ(gamePalette(), Bytes(768, 63));
}

TEST_F(ActivationTest, TextPaletteWithABadLineChangesNothing)
{
    const auto before = exe();
    const std::string text = "JASC-PAL\r\n0100\r\n256\r\n255 255 255\r\n1 2 x\r\n";
    EXPECT_THROW(activate(write("bad.pal", Bytes(text.begin(), text.end()))), ConvertError);
    EXPECT_EQ(exe(), before);
}

TEST_F(ActivationTest, RiffPaletteAndRefusedPal)
{
    const auto riff = test::readBytes(mods / "COOL.PAL");
    EXPECT_EQ(activate(mods / "COOL.PAL").outcome.status, "Palette activated");
    EXPECT_EQ(gamePalette()[3 * 10 + 2], riff[24 + 4 * 10 + 2] / 4);
    const auto before = exe();
    EXPECT_EQ(activate(write("odd.pal", Bytes(1000, 1))).outcome.status, "Not a valid palette");
    EXPECT_EQ(exe(), before);
}

TEST_F(ActivationTest, OtherKindsDoNothing)
{
    const auto before = exe();
    for (const char* name : {"font.LFT", "notes.txt", "plugin.lwp"}) {
        const auto result = activate(write(name, Bytes(10, 1)));
        EXPECT_EQ(result.outcome.kind, Outcome::Kind::Nothing) << name;
        EXPECT_TRUE(result.outcome.logMessage.empty()) << name;
    }
    EXPECT_EQ(exe(), before);
    EXPECT_EQ(questions, 0);
}

} // namespace
} // namespace quorvex
