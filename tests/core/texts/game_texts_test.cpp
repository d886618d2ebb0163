// The game text table against a demo game: the "~" rule, writes that touch only their bytes,
// "Print Screen" in two places, the file names and read-only entries, and "Save" and single
// writes that check everything before the first byte.
#include "core/base/errors.h"
#include "test_support.h"
#include "core/texts/game_texts.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace quorvex {
namespace {

struct GameTextsTest : ::testing::Test {
    test::DemoGame demo;
    fs::path exePath = demo.workspace.torloExe();

    std::vector<std::uint8_t> exe() { return test::readBytes(exePath); }
    void patch(std::uint32_t offset, std::string_view text)
    {
        auto bytes = exe();
        std::copy(text.begin(), text.end(), bytes.begin() + offset);
        test::writeBytes(exePath, bytes);
    }
    std::string at(std::uint32_t offset, std::size_t count)
    {
        const auto bytes = exe();
        return std::string(bytes.begin() + offset, bytes.begin() + offset + count);
    }
    std::string read(int line) { return readGameTexts(demo.workspace)[indexOf(*gameTextOfLine(line))]; }
    // The offsets at which two byte images differ.
    static std::vector<std::size_t> changes(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b)
    {
        std::vector<std::size_t> at;
        for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
            if (a[i] != b[i])
                at.push_back(i);
        return at;
    }
};

TEST_F(GameTextsTest, DemoGameHoldsEveryDesignTimeTextInItsField)
{
    const auto values = readGameTexts(demo.workspace);
    for (std::size_t i = 0; i < GameTextCount; ++i) {
        std::string expected(GameTexts[i].designText.substr(0, GameTexts[i].width));
        expected.resize(GameTexts[i].width, ' ');
        EXPECT_EQ(at(GameTexts[i].offset, GameTexts[i].width), expected) << i;
        if (GameTexts[i].use.read) {
            EXPECT_EQ(values[i], expected) << i;
        }
    }
}

TEST_F(GameTextsTest, ReadTakesTheWholeFieldUpToTheFirstTilde)
{
    patch(6001, "  no sound    ");
    EXPECT_EQ(read(7), "  no sound    ");   // exactly the width, spaces kept
    patch(6001, "Using~no~sound");
    EXPECT_EQ(read(7), "Using");
    // Writing the cut text back leaves the bytes from the "~" on.
    {
        GameFile file(exePath);
        WriteGameText(file, 6001, "Fixed");
    }
    EXPECT_EQ(at(6001, 14), "Fixed~no~sound");
}

TEST_F(GameTextsTest, AShortWriteChangesOnlyItsOwnBytes)
{
    const auto before = exe();
    {
        GameFile file(exePath);
        WriteGameText(file, 110747, "NO");
    }
    EXPECT_EQ(changes(before, exe()), (std::vector<std::size_t>{110748}));   // "N" stays "N"
    EXPECT_EQ(read(37), "NOW GAME");
    {
        GameFile file(exePath);
        WriteGameText(file, 110747, "AB");
    }
    EXPECT_EQ(changes(before, exe()), (std::vector<std::size_t>{110747, 110748}));
    EXPECT_EQ(read(37), "ABW GAME");
}

TEST(FilledField, AShorterTextIsPaddedToTheWidthOrToAStoredTilde)
{
    const struct {
        const char *text, *stored, *filled;
    } cases[] = {
        {"Silent", "Using no sound", "Silent        "},
        {"Using no sound", "Using no sound", "Using no sound"},
        {"", "OK", "  "},
        {"Fixed", "Using~no~sound", "Fixed~no~sound"},   // fits before the "~": the rest stays
        {"Fix", "Using~no~sound", "Fix  ~no~sound"},
        {"Longer", "Using~no~sound", "Longer        "},   // reaches past it: the whole width
        {"A", "~ab", "A  "},
    };
    for (const auto& c : cases) {
        auto field = filledField(c.text, c.stored);
        // What the field holds afterwards: the filled text over the stored bytes.
        std::string after(c.stored);
        after.replace(0, field.size(), field);
        EXPECT_EQ(after, c.filled) << c.text << " over " << c.stored;
        EXPECT_LE(field.size(), std::string_view(c.stored).size());
    }
}

TEST_F(GameTextsTest, EveryWriterPadsAShorterTextAndTouchesNoByteOutsideItsField)
{
    // "Silent" over "Using no sound" (line 7: 6001, width 14) by Save and by a single write.
    const auto writers = {
        +[](const Workspace& workspace) {
            auto values = readGameTexts(workspace);
            values[indexOf(*gameTextOfLine(7))] = "Silent";
            return saveGameTexts(workspace, values);
        },
        +[](const Workspace& workspace) { return setGameText(workspace, 7, "Silent"); },
    };
    const auto original = exe();
    for (const auto& write : writers) {
        test::writeBytes(exePath, original);
        ASSERT_TRUE(write(demo.workspace).succeeded());
        EXPECT_EQ(read(7), "Silent        ");
        auto after = exe();
        for (std::size_t i = 0; i < after.size(); ++i)
            if (after[i] != original[i] && (i < 6001 || i >= 6015))
                ADD_FAILURE() << "byte " << i << " outside the field changed";
    }
    // An emptied field, by Save and by a single write: an empty text writes nothing.
    for (const auto& write : {+[](const Workspace& workspace) {
                                  auto values = readGameTexts(workspace);
                                  values[indexOf(*gameTextOfLine(7))] = "";
                                  return saveGameTexts(workspace, values);
                              },
                              +[](const Workspace& workspace) { return setGameText(workspace, 7, ""); }}) {
        EXPECT_EQ(write(demo.workspace).status, "Nothing changed: the game already holds these values");
        EXPECT_EQ(read(7), "Silent        ");
    }
}

TEST_F(GameTextsTest, SaveRightAfterReadingChangesOnlyFileNamesAndPrintScreen)
{
    patch(49021, "NAMES.DAT");
    patch(62195, "xxxxxxxxx");
    patch(135220, "PrtSc       ");
    patch(135389, "Druck       ");
    const auto values = readGameTexts(demo.workspace);
    EXPECT_EQ(values[indexOf(*gameTextOfLine(145))], "Druck       ");   // from 135389
    EXPECT_EQ(values[indexOf(*gameTextOfLine(171))], "names.dat");      // never read
    EXPECT_EQ(values[indexOf(*gameTextOfLine(172))], "torlo.opt");

    // The whole file as it was, but for the file names' design-time texts and the second
    // "Print Screen" in the first place.
    auto expected = exe();
    auto put = [&](std::uint32_t offset, std::string_view text) { std::copy(text.begin(), text.end(), expected.begin() + offset); };
    put(49021, "names.dat");
    put(62195, "torlo.opt");
    put(135220, "Druck       ");
    ASSERT_TRUE(saveGameTexts(demo.workspace, values).succeeded());
    EXPECT_TRUE(exe() == expected);
    EXPECT_EQ(at(135220, 12), "Druck       ");
}

TEST_F(GameTextsTest, ReadOnlyEntriesAreNeverWritten)
{
    auto values = readGameTexts(demo.workspace);
    for (std::size_t i = 0; i < GameTextCount; ++i)
        if (!GameTexts[i].use.saved)
            values[i] = "XX";
    const auto before = exe();
    ASSERT_TRUE(saveGameTexts(demo.workspace, values).succeeded());
    EXPECT_EQ(at(92044, 14), "Runtime error ");
    EXPECT_EQ(at(92059, 4), " at ");
    EXPECT_EQ(std::string(before.begin() + 92068, before.begin() + 92068 + 38), at(92068, 38));
}

TEST_F(GameTextsTest, SaveChecksEverythingBeforeTheFirstByte)
{
    auto values = readGameTexts(demo.workspace);
    values[indexOf(*gameTextOfLine(7))] = "Changed";
    // A text wider than its field (the last written entry, so earlier ones would be written first).
    auto wide = values;
    wide[indexOf(*gameTextOfLine(173))] = "torlo.chrx";
    const auto before = exe();
    const auto refused = saveGameTexts(demo.workspace, wide);
    EXPECT_EQ(refused.kind, Outcome::Kind::Refused);
    EXPECT_NE(refused.status.find("\"Graphics file:\" (line 173) has 10 characters; its field takes 9"), std::string::npos)
        << refused.status;
    EXPECT_EQ(exe(), before);

    // torlo.exe too short for the last fields: nothing written.
    auto shorter = before;
    shorter.resize(135750);
    test::writeBytes(exePath, shorter);
    EXPECT_THROW(saveGameTexts(demo.workspace, values), FileError);
    EXPECT_EQ(exe(), shorter);

    fs::remove(exePath);
    EXPECT_THROW(saveGameTexts(demo.workspace, values), FileError);
    EXPECT_FALSE(fs::exists(exePath));
}

TEST_F(GameTextsTest, SettingOneTextWritesItAsSaveDoes)
{
    EXPECT_TRUE(setGameText(demo.workspace, 145, "Print Screen").succeeded());
    EXPECT_EQ(at(135220, 12), "Print Screen");
    EXPECT_EQ(at(135389, 12), "Print Screen");
    EXPECT_TRUE(setGameText(demo.workspace, 145, "Druck").succeeded());
    EXPECT_EQ(at(135220, 12), "Druck       ");
    EXPECT_EQ(at(135389, 12), "Druck       ");

    const auto before = exe();
    EXPECT_FALSE(setGameText(demo.workspace, 170, "BLASTER").succeeded());   // typed: 6 at most
    EXPECT_TRUE(setGameText(demo.workspace, 170, "SOUNDS").succeeded());
    EXPECT_EQ(at(65731, 7), "SOUNDS ");
    test::writeBytes(exePath, before);
    EXPECT_FALSE(setGameText(demo.workspace, 37, "NEW GAME!").succeeded());
    for (int line : {0, 6, 174, -1})
        EXPECT_EQ(setGameText(demo.workspace, line, "x").kind, Outcome::Kind::Refused) << line;
    EXPECT_EQ(exe(), before);
}

} // namespace
} // namespace quorvex
