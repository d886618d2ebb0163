// Translation files: the name rules of the export, the header checks, the question and the
// lines applied by the import, and an export read back by an import.
#include "core/base/errors.h"
#include "test_support.h"
#include "core/texts/translation.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace quorvex {
namespace {

TEST(TranslationName, IsCutAtTheFirstDotOfTheFileName)
{
    for (const char* chosen : {"/t/French", "/t/French.llf", "/t/French.txt", "/t/French.LLF"}) {
        const auto name = translationName(chosen);
        EXPECT_EQ(name.file, fs::path("/t/French.LLF")) << chosen;
        EXPECT_EQ(name.language, "French") << chosen;
    }
    EXPECT_EQ(translationName("/t/my.french.llf").file, fs::path("/t/my.LLF"));
    EXPECT_EQ(translationName("/t/my.french.llf").language, "my");
    EXPECT_EQ(translationName("/v1.2/lang.d/French.txt").file, fs::path("/v1.2/lang.d/French.LLF"));
    EXPECT_EQ(translationName("/v1.2/lang.d/French.txt").language, "French");
}

struct TranslationTest : ::testing::Test {
    test::DemoGame demo;
    fs::path exePath = demo.workspace.torloExe();
    std::vector<std::string> questions;
    bool answer = true;
    Asker ask = [this](std::string_view question) {
        questions.emplace_back(question);
        return answer;
    };

    std::vector<std::uint8_t> exe() { return test::readBytes(exePath); }
    std::string at(std::uint32_t offset, std::size_t count)
    {
        const auto bytes = exe();
        return std::string(bytes.begin() + offset, bytes.begin() + offset + count);
    }
    fs::path write(const std::string& content, const std::string& name = "t.llf")
    {
        const auto file = demo.scratch / name;
        test::writeBytes(file, std::vector<std::uint8_t>(content.begin(), content.end()));
        return file;
    }
    // A file of the header and the given text lines (from line 7 on), each ended by `end`.
    static std::string file(const std::vector<std::string>& texts, const std::string& end = "\r\n",
                            const std::string& first = "Torlo Language File", const std::string& language = "Language: French")
    {
        std::string content = first + end + "Format created by Vandrel and Morvane" + end + language + end +
                              "Author: me" + end + "Authors website: none" + end + "*****" + end;
        for (const auto& text : texts)
            content += text + end;
        return content;
    }
    // Lines 7.. as the game holds them, with one changed.
    static std::vector<std::string> lines(int count, int changedLine = 0, const std::string& changed = {})
    {
        std::vector<std::string> texts;
        for (int line = 7; line < 7 + count; ++line)
            texts.push_back(line == changedLine ? changed : std::string(gameTextOfLine(line)->designText.substr(0, gameTextOfLine(line)->width)));
        return texts;
    }
};

TEST_F(TranslationTest, HeaderMustMatchExactly)
{
    const auto before = exe();
    for (const auto& content : {file(lines(164), "\r\n", "torlo language file"), file(lines(164), "\r\n", "Torlo Language File "),
                                file(lines(164), "\r\n", "Torlo Language File", "Language : French"),
                                file(lines(164), "\r\n", "Torlo Language File", "French"), std::string("\x01\x01\x01")}) {
        const auto outcome = importTranslation(write(content), demo.workspace, ask);
        EXPECT_EQ(outcome.kind, Outcome::Kind::Refused);
        EXPECT_EQ(outcome.status, "Invalid file");
    }
    EXPECT_TRUE(questions.empty());
    EXPECT_EQ(exe(), before);

    // No space after the colon passes; the name then follows "translation" directly.
    answer = false;
    const auto outcome = importTranslation(write(file(lines(164, 37, "NEU"), "\r\n", "Torlo Language File", "Language:French")),
                                           demo.workspace, ask);
    EXPECT_EQ(outcome.kind, Outcome::Kind::Nothing);
    EXPECT_TRUE(outcome.status.empty());
    EXPECT_EQ(questions, std::vector<std::string>{"Are you sure you want to activate translationFrench?"});
    EXPECT_EQ(exe(), before);
}

TEST_F(TranslationTest, AppliesLines7To170AndLogs)
{
    auto texts = lines(164, 145, "Druck");
    texts[37 - 7] = "NEU";
    texts.insert(texts.end(), {"other.dat", "other.opt", "other.chr"});   // 171-173: not read
    const auto path = write(file(texts));
    const auto outcome = importTranslation(path, demo.workspace, ask);
    EXPECT_EQ(questions, std::vector<std::string>{"Are you sure you want to activate translation French?"});
    EXPECT_EQ(outcome.status, "Translation activated");
    EXPECT_EQ(outcome.logMessage, "Translation " + path.string() + " activated");
    EXPECT_EQ(at(110747, 8), "NEU     ");   // padded: nothing of "NEW GAME" is left behind
    EXPECT_EQ(at(135220, 12), "Druck       ");
    EXPECT_EQ(at(135389, 12), "Druck       ");
    EXPECT_EQ(at(49021, 9), "names.dat");
}

TEST_F(TranslationTest, ShortFilesLoneLineFeedsAndLongLines)
{
    // A file that ends at line 40: the fields of lines 41 to 170 keep their bytes, and so does
    // the field of its empty line 9.
    auto texts = lines(34, 40, "CURRENT");
    texts[37 - 7] = "ALT";
    texts[9 - 7] = "";
    auto before = exe();
    ASSERT_TRUE(importTranslation(write(file(texts, "\n")), demo.workspace, ask).succeeded());
    EXPECT_EQ(at(110747, 8), "ALT     ");
    auto expected = before;
    const std::string current = "CURRENT                     ";   // padded to its 28
    std::copy(current.begin(), current.end(), expected.begin() + 59102);
    const std::string alt = "ALT     ";
    std::copy(alt.begin(), alt.end(), expected.begin() + 110747);
    EXPECT_TRUE(exe() == expected);

    // A file of exactly 170 lines is applied to its end; lines longer than their fields are cut
    // to the width, and the status says how many.
    texts = lines(164, 37, "NEW GAME AND MORE");
    texts[38 - 7] = "OPTIONS!";
    texts[170 - 7] = "XBLAST";
    const auto outcome = importTranslation(write(file(texts)), demo.workspace, ask);
    EXPECT_EQ(outcome.status, "Translation activated (2 lines were longer than their fields and were cut to their widths)");
    EXPECT_EQ(at(110747, 8), "NEW GAME");
    EXPECT_EQ(at(110761, 7), "OPTIONS");
    EXPECT_EQ(at(65731, 7), "XBLAST ");
}

TEST_F(TranslationTest, NothingIsWrittenUnlessEveryFieldFits)
{
    auto shorter = exe();
    shorter.resize(135740);
    test::writeBytes(exePath, shorter);
    const auto path = write(file(lines(164, 7, "Kein Ton")));
    EXPECT_THROW(importTranslation(path, demo.workspace, ask), FileError);
    EXPECT_EQ(exe(), shorter);
    fs::remove(exePath);
    EXPECT_THROW(importTranslation(path, demo.workspace, ask), FileError);
    EXPECT_TRUE(questions.empty());
}

TEST_F(TranslationTest, ExportThenImportGivesBackEveryAppliedText)
{
    // Texts of every width, with bytes of the whole range but line breaks and "~".
    auto values = readGameTexts(demo.workspace);
    for (std::size_t i = 0; i < GameTextCount; ++i) {
        std::string text;
        for (std::size_t k = 0; k < GameTexts[i].width; ++k) {
            auto byte = static_cast<char>(32 + (i * 7 + k * 13) % 224);
            text += byte == '~' ? 'x' : byte;
        }
        values[i] = text.substr(0, 1 + i % GameTexts[i].width);
    }
    const auto name = translationName(demo.scratch / "Deutsch.txt");
    ASSERT_TRUE(exportTranslation(name, "me", "web", values).succeeded());
    EXPECT_EQ(name.file, demo.scratch / "Deutsch.LLF");
    const auto content = test::readText(name.file);
    EXPECT_EQ(std::count(content.begin(), content.end(), '\n'), 173);
    EXPECT_EQ(content.substr(0, content.find("\r\n", 60)), "Torlo Language File\r\nFormat created by Vandrel and Morvane\r\nLanguage: Deutsch");
    EXPECT_EQ(content.substr(content.size() - 2), "\r\n");

    // Fields cleared to spaces first, so that each text read back is exactly what was written.
    for (std::size_t i = 0; i < GameTextCount; ++i)
        if (GameTexts[i].use.applied)
            setGameText(demo.workspace, GameTexts[i].line, std::string(GameTexts[i].typedLimit, ' '));
    ASSERT_TRUE(importTranslation(name.file, demo.workspace, ask).succeeded());
    const auto back = readGameTexts(demo.workspace);
    int applied = 0;
    for (std::size_t i = 0; i < GameTextCount; ++i)
        if (GameTexts[i].use.applied) {
            ++applied;
            EXPECT_EQ(back[i].substr(0, values[i].size()), values[i]) << GameTexts[i].line;
        }
    EXPECT_EQ(applied, 164);
}

TEST_F(TranslationTest, AFailedExportLeavesNoFileBehind)
{
    auto values = readGameTexts(demo.workspace);
    const auto name = translationName(demo.scratch / "French");
    test::writeBytes(name.file, {'o', 'l', 'd'});
    values[indexOf(*gameTextOfLine(100))] = "R\ne";
    const auto refused = exportTranslation(name, "me", "web", values);
    EXPECT_EQ(refused.kind, Outcome::Kind::Refused);
    EXPECT_NE(refused.status.find("line 100"), std::string::npos);
    EXPECT_EQ(test::readText(name.file), "old");

    EXPECT_THROW(exportTranslation(translationName(demo.scratch / "missing" / "French"), "me", "web", readGameTexts(demo.workspace)),
                 FileError);
    EXPECT_FALSE(fs::exists(demo.scratch / "missing"));
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(demo.scratch.path()))
        ++files;
    EXPECT_EQ(files, 4u) << "game, data, temp and French.LLF; no temporary file left";
}

} // namespace
} // namespace quorvex
