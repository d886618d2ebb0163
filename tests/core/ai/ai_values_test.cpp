#include "core/ai/ai_values.h"
#include "core/base/errors.h"
#include "test_support.h"

#include <gtest/gtest.h>

using namespace quorvex;
using namespace quorvex::test;

namespace {

std::uint16_t word(const std::vector<std::uint8_t>& exe, std::uint32_t at)
{
    return static_cast<std::uint16_t>(exe[at] | exe[at + 1] << 8);
}

AiTexts standardWith(std::size_t field, const std::string& text)
{
    auto texts = presetTexts(AiPreset::Standard);
    texts[field] = text;
    return texts;
}

} // namespace

TEST(AiValues, StandardWritesEveryPlaceInTheTablesOrder)
{
    DemoGame demo;
    auto exe = readBytes(demo.workspace.torloExe());
    for (const auto& field : AiFields)   // start from other values than the preset's
        exe[field.offset] ^= 0x55;
    writeBytes(demo.workspace.torloExe(), exe);

    const auto outcome = saveAi(demo.workspace, presetTexts(AiPreset::Standard));
    EXPECT_EQ(outcome.status, "New AI settings saved");
    EXPECT_EQ(outcome.logMessage, "New AI settings saved");
    exe = readBytes(demo.workspace.torloExe());
    const std::pair<std::uint32_t, int> expected[] = {{110326, 50}, {110324, 50}, {110328, 80}, {110342, 80},
                                                      {110330, 300}, {110344, 60}, {110332, 400}, {110346, 1},
                                                      {19636, 500}, {19715, 130}};
    for (auto [offset, value] : expected)
        EXPECT_EQ(word(exe, offset), value) << offset;
    EXPECT_EQ(exe[19782], 90);
    EXPECT_EQ(exe[19783], 0x90) << "the byte after the one-byte place is not touched";
    EXPECT_EQ(readAiTexts(demo.workspace), presetTexts(AiPreset::Standard));
    EXPECT_EQ(presetTexts(AiPreset::Good)[4], "100");
}

TEST(AiValues, FrequenciesAreClampedAndTheOthersCutToTheirWidth)
{
    DemoGame demo;
    const auto& ws = demo.workspace;
    struct Case {
        std::size_t field;
        std::string typed;
        std::uint16_t stored;
        std::string shown;
    };
    for (const auto& c : {Case{0, "40000", 32767, "32767"}, Case{1, "-1", 32767, "32767"}, Case{2, "0", 1, "1"},
                          Case{3, "70000", 4464, "4464"}, Case{4, "99999", 32767, "32767"},
                          Case{9, "200", 200, "-56"}, Case{10, "-2", 0xFFFE, "-2"}, Case{8, "70000", 4464, "4464"}}) {
        saveAi(ws, standardWith(c.field, c.typed));
        const auto exe = readBytes(ws.torloExe());
        const auto& field = AiFields[c.field];
        EXPECT_EQ(field.store == AiStore::SignedByte ? exe[field.offset] : word(exe, field.offset), c.stored) << c.typed;
        EXPECT_EQ(readAiTexts(ws)[c.field], c.shown) << c.typed;
    }
}

TEST(AiValues, AGameValueAbove32767IsShownAsItIsAndSavedClamped)
{
    DemoGame demo;
    auto exe = readBytes(demo.workspace.torloExe());
    exe[110326] = 40000 & 0xFF;
    exe[110327] = 40000 >> 8;
    writeBytes(demo.workspace.torloExe(), exe);
    const auto texts = readAiTexts(demo.workspace);
    EXPECT_EQ(texts[0], "40000");
    saveAi(demo.workspace, texts);
    EXPECT_EQ(word(readBytes(demo.workspace.torloExe()), 110326), 32767);
}

TEST(AiValues, ATextThatIsNoNumberStopsTheSaveBeforeAnyWrite)
{
    DemoGame demo;
    const auto before = readBytes(demo.workspace.torloExe());
    for (const auto& [field, text] : std::vector<std::pair<std::size_t, std::string>>{{0, ""}, {5, "12a"}, {10, "x"}}) {
        auto texts = presetTexts(AiPreset::Good);   // every field differs from the game's before it
        texts[field] = text;
        try {
            saveAi(demo.workspace, texts);
            ADD_FAILURE() << "saved with \"" << text << "\"";
        } catch (const ConvertError& error) {
            EXPECT_EQ(std::string(error.what()), "'" + text + "' is not a valid integer value");
        }
        EXPECT_EQ(readBytes(demo.workspace.torloExe()), before) << text;
    }
}

TEST(AiValues, ATorloExeTooShortIsRefusedAndNotGrown)
{
    DemoGame demo;
    auto exe = readBytes(demo.workspace.torloExe());
    exe.resize(110340);   // holds the first five places, not the last three
    writeBytes(demo.workspace.torloExe(), exe);
    EXPECT_THROW(saveAi(demo.workspace, presetTexts(AiPreset::Good)), FileError);
    EXPECT_EQ(readBytes(demo.workspace.torloExe()), exe);
    EXPECT_THROW(readAiTexts(demo.workspace), FileError);
}
