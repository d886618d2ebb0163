// The "CPU AI" page driven through its widgets: the captions and limits, the values read at
// start-up, the presets, "Load" and "Save" with their status texts and log line.
#include "gui/ai/ai_page.h"
#include "core/base/places.h"
#include "main_form_fixture.h"
#include "screenshot.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

struct AiPageTest : ::testing::Test {
    MainFormFixture fixture;
    std::unique_ptr<TMainForm> form;
    fs::path exe = fixture.demo.workspace.torloExe();

    void open()
    {
        form = fixture.create();
        form->showPage(TMainForm::Page::CpuAi);
        form->resize(1024, 768);
        form->show();
    }
    QLineEdit* field(std::size_t k) { return find<QLineEdit>(form.get(), std::string(AiFields[k].control).c_str()); }
    void click(const char* name) { find<QPushButton>(form.get(), name)->click(); }
    QString status() { return find<QLabel>(form.get(), "StatusText")->text(); }
    std::vector<QString> shown()
    {
        std::vector<QString> texts;
        for (std::size_t k = 0; k < AiFields.size(); ++k)
            texts.push_back(field(k)->text());
        return texts;
    }
    std::uint16_t word(std::uint32_t at)
    {
        const auto bytes = readBytes(exe);
        return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
    }
};

} // namespace

TEST_F(AiPageTest, CaptionsLimitsAndTheGamesValuesAtStart)
{
    auto bytes = readBytes(exe);
    bytes[places::AiChangeLeft] = 40000 & 0xFF;
    bytes[places::AiChangeLeft + 1] = 40000 >> 8;
    bytes[places::AiMinimumRange] = 200;
    writeBytes(exe, bytes);
    open();
    saveScreenshot(form.get(), "cpu-ai-page");
    auto* page = form->findChild<AiPage*>();
    ASSERT_NE(page, nullptr);
    QStringList captions;
    for (auto* rows : page->findChildren<QFormLayout*>())
        for (int r = 0; r < rows->rowCount(); ++r)
            if (auto* caption = rows->itemAt(r, QFormLayout::LabelRole))
                captions << static_cast<QLabel*>(caption->widget())->text();
    EXPECT_EQ(captions, (QStringList{"Change weapon left", "Change weapon right", "Fire button press", "Fire button release",
                                     "Change button press", "Change button release", "Jump button press",
                                     "Jump button release", "Max. time to explode to calculate",
                                     "Absolute minimum range", "Range calculation divisor"}));
    for (std::size_t k = 0; k < AiFields.size(); ++k)
        EXPECT_EQ(field(k)->maxLength(), k < 8 ? 5 : 32767) << k;
    EXPECT_EQ(find<QLabel>(form.get(), "AiLabel2")->text(),
              "A lower value means it happens more often:  1=very often, 32767=almost never");
    EXPECT_EQ(find<QGroupBox>(form.get(), "PresetGroup")->title(), "Pre-definded settings");
    EXPECT_EQ(find<QGroupBox>(form.get(), "AiFileGroup")->title(), "Load/Save to Torlo.Exe");
    EXPECT_EQ(shown(), (std::vector<QString>{"40000", "50", "80", "80", "300", "60", "400", "1", "500", "-56", "130"}));

    click("SaveAI");   // unchanged: the value above 32767 is written clamped
    EXPECT_EQ(word(places::AiChangeLeft), 32767);
    EXPECT_EQ(status(), "New AI settings saved");
    EXPECT_NE(readText(fixture.demo.workspace.logFile()).find(": New AI settings saved\r\n"), std::string::npos);
}

TEST_F(AiPageTest, PresetsFillTheFieldsAndOnlySaveWrites)
{
    open();
    const auto before = readBytes(exe);
    click("GoodButton");
    EXPECT_EQ(shown(), (std::vector<QString>{"2", "2", "5", "40", "100", "2", "20", "1", "500", "90", "130"}));
    EXPECT_EQ(readBytes(exe), before);
    click("LoadAI");
    EXPECT_EQ(status(), "Old AI settings loaded");
    EXPECT_EQ(shown()[0], "50");
    EXPECT_EQ(readText(fixture.demo.workspace.logFile()).find("AI"), std::string::npos) << "loading logs nothing";

    click("GoodButton");
    click("SaveAI");
    EXPECT_EQ(word(places::AiFirePress), 5);
    EXPECT_EQ(word(places::AiChangePress), 100);
    click("StdButton");
    EXPECT_EQ(shown()[4], "300");
}

TEST_F(AiPageTest, ABadFieldStopsTheSaveWithNothingWritten)
{
    open();
    const auto before = readBytes(exe);
    click("GoodButton");
    field(10)->setText("");
    form->StatusShow("");
    click("SaveAI");
    EXPECT_EQ(fixture.prompts.shown, std::vector<std::string>{"'' is not a valid integer value"});
    EXPECT_EQ(readBytes(exe), before) << "the ten good fields before it are not written either";
    EXPECT_EQ(status(), "");
}
