#include "app/options_page.h"
#include "main_form_fixture.h"

#include <QCheckBox>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

QString statusText(TMainForm& form)
{
    return find<QLabel>(&form, "StatusText")->text();
}

std::vector<bool> filterTicks(TMainForm& form)
{
    std::vector<bool> ticks;
    for (auto* box : form.filterBoxes)
        ticks.push_back(box->isChecked());
    return ticks;
}

} // namespace

TEST(MainForm, WindowShellCaptionsPagesAndStatusBar)
{
    MainFormFixture fixture;
    auto form = fixture.create();
    EXPECT_EQ(form->windowTitle(), "Quorvex 1.8.10");
    auto* pages = find<QTabWidget>(form.get(), "PageControl");
    ASSERT_NE(pages, nullptr);
    QStringList captions;
    for (int i = 0; i < pages->count(); ++i)
        captions << pages->tabText(i);
    EXPECT_EQ(captions, (QStringList{"Graphics", "About", "Options", "CPU AI", "Material/Palette", "Weapons", "Objects",
                                     "Special objects", "Sounds"}));
    EXPECT_EQ(pages->currentWidget()->objectName(), "AboutTab");
    EXPECT_EQ(statusText(*form), "Welcome to Quorvex !");
    EXPECT_EQ(find<QLabel>(form.get(), "ColorText")->text(), "Color:");
    EXPECT_EQ(find<QLabel>(form.get(), "HelpLabel")->text(), "For more info, please read the helpfile:");
    EXPECT_TRUE(fixture.prompts.shown.empty());
    EXPECT_TRUE(fixture.shell.calls.empty());
}

TEST(MainForm, FirstRunAsksForTheGameWritesDefaultsAndOpensHelp)
{
    MainFormFixture fixture;
    fixture.settings.texts.clear();
    fixture.prompts.files.push_back(fixture.demo.game() / "TORLO.EXE");
    auto form = fixture.create();
    ASSERT_EQ(fixture.prompts.filters.size(), 1u);
    EXPECT_EQ(fixture.prompts.filters[0], "Torlo.exe|Torlo.exe|All executables|*.exe");
    EXPECT_EQ(fixture.settings.text("TorloPath"), fixture.demo.game().string());
    EXPECT_EQ(fixture.settings.integer("Filter"), 255);
    EXPECT_EQ(fixture.settings.text("Font"), "Tahoma");
    EXPECT_EQ(fixture.settings.text("MakeLWP2"), "no");
    ASSERT_EQ(fixture.shell.calls.size(), 1u);
    EXPECT_NE(fixture.shell.calls[0].target.find("index.html"), std::string::npos);
    EXPECT_EQ(fixture.shell.calls[0].window, Shell::Window::Maximised);
    EXPECT_EQ(form->optionsPage()->pathEdit->text().toStdString(), fixture.demo.game().string());
    EXPECT_TRUE(fixture.prompts.shown.empty()) << fixture.prompts.shown.front();
}

TEST(MainForm, CancelledFirstRunLeavesTheFolderEmptyAndStillOpens)
{
    MainFormFixture fixture;
    fixture.settings.texts.clear();
    fixture.prompts.files.push_back(std::nullopt);
    auto form = fixture.create();
    EXPECT_FALSE(fixture.settings.contains("TorloPath"));
    EXPECT_EQ(fixture.settings.text("DoSound"), "yes");
    ASSERT_EQ(fixture.prompts.shown.size(), 1u);
    EXPECT_EQ(fixture.prompts.shown[0], "File not found");
}

TEST(MainForm, StartWithoutTorloExeShowsTheErrorAndSkipsTheRest)
{
    MainFormFixture fixture;
    fs::remove(fixture.demo.game() / "torlo.exe");
    fixture.settings.setInteger("Filter", 511);
    auto form = fixture.create();
    ASSERT_EQ(fixture.prompts.shown.size(), 1u);
    EXPECT_EQ(fixture.prompts.shown[0], "File not found: torlo.exe");
    // Step 14 never ran, so no filter box was ticked; weapon.bmp was never built.
    EXPECT_EQ(filterTicks(*form), std::vector<bool>(9, false));
    EXPECT_FALSE(fs::exists(fixture.demo.workspace.weaponBitmap()));
    form->FormActivate();
    EXPECT_EQ(statusText(*form), "Welcome to Quorvex !");
}

TEST(MainForm, FilterBitsTickTheBoxes)
{
    for (auto [stored, expected] : std::vector<std::pair<std::optional<int>, std::vector<bool>>>{
             {511, std::vector<bool>(9, true)},
             {0, std::vector<bool>(9, false)},
             {std::nullopt, {true, true, true, true, true, true, true, true, false}}}) {
        MainFormFixture fixture;
        if (stored)
            fixture.settings.setInteger("Filter", *stored);
        auto form = fixture.create();
        EXPECT_EQ(filterTicks(*form), expected) << (stored ? *stored : -1);
    }
}

TEST(MainForm, GreetingShownOnceOnItsDate)
{
    MainFormFixture newYear;
    newYear.clock.date = {2027, 1, 1};
    auto form = newYear.create();
    EXPECT_EQ(newYear.prompts.shown, std::vector<std::string>{"Happy new year!"});

    MainFormFixture ordinary;
    ordinary.clock.date = {2027, 1, 2};
    auto other = ordinary.create();
    EXPECT_TRUE(ordinary.prompts.shown.empty());
}

TEST(MainForm, CommandLineTextThatIsNoFileOpensHelp)
{
    MainFormFixture fixture;
    auto form = fixture.create({"no-such-file.lev"});
    ASSERT_EQ(fixture.shell.calls.size(), 1u);
    EXPECT_NE(fixture.shell.calls[0].target.find("index.html"), std::string::npos);
}

TEST(MainForm, SettingsDecideTheOptionBoxes)
{
    MainFormFixture fixture;
    fixture.settings.setText("DoSound", "no");
    fixture.settings.setText("Stretch", "yes");
    fixture.settings.setText("MakePL", "YES");   // only exactly "yes" counts
    fixture.settings.setText("Font", "Courier");
    auto form = fixture.create();
    auto* options = form->optionsPage();
    EXPECT_FALSE(options->soundBox->isChecked());
    EXPECT_TRUE(options->stretchBox->isChecked());
    EXPECT_FALSE(options->powerlevelBox->isChecked());
    EXPECT_EQ(options->fontEdit->text(), "Courier");
    EXPECT_EQ(form->font().family(), "Courier");
}

TEST(MainForm, Windows51SwitchesSoundOffEveryStart)
{
    MainFormFixture fixture;
    fixture.windows51 = true;
    auto form = fixture.create();
    EXPECT_FALSE(form->optionsPage()->soundBox->isChecked());
    EXPECT_FALSE(form->optionsPage()->soundBox->isEnabled());
    EXPECT_EQ(fixture.settings.text("DoSound"), "no");
}

TEST(MainForm, StartBuildsWeaponBitmapAndCloseRemovesTheWorkingFiles)
{
    MainFormFixture fixture;
    const auto& ws = fixture.demo.workspace;
    auto form = fixture.create();
    EXPECT_EQ(fs::file_size(ws.weaponBitmap()), 45718u);
    test::writeBytes(ws.previewBitmap(), {1});
    test::writeBytes(ws.soundWorkFile(), {1});
    form->close();
    EXPECT_FALSE(fs::exists(ws.weaponBitmap()));
    EXPECT_FALSE(fs::exists(ws.previewBitmap()));
    EXPECT_FALSE(fs::exists(ws.soundWorkFile()));
    EXPECT_TRUE(fs::exists(ws.logFile()));
}

TEST(MainForm, ShortTorloChrGivesTheStatusTextAndNoWeaponBitmap)
{
    MainFormFixture fixture;
    auto chr = test::readBytes(fixture.demo.game() / "TORLO.CHR");
    chr.resize(35027);
    test::writeBytes(fixture.demo.game() / "TORLO.CHR", chr);
    auto form = fixture.create();
    EXPECT_EQ(statusText(*form), "A file could not be created. You will get errors when editing weapons");
    EXPECT_FALSE(fs::exists(fixture.demo.workspace.weaponBitmap()));
}

TEST(MainForm, ActivationRereadsTheGameFolder)
{
    MainFormFixture fixture;
    auto form = fixture.create();
    fixture.settings.setText("TorloPath", "/elsewhere");
    fixture.settings.setText("MakePL", "yes");
    form->FormActivate();
    EXPECT_EQ(form->workspace().gameFolder, fs::path("/elsewhere"));
    EXPECT_TRUE(form->powerlevelFlag());
}

TEST(ResourceFile, EveryBitmapKindOpensInQtsReader)
{
    MainFormFixture fixture;
    const ResourceFile resources(fixture.demo.workspace.resourceFile);
    struct Kind {
        std::span<const std::uint8_t> header;
        int width, height;
    };
    for (const auto& kind : {Kind{resources.levelHeader(), 504, 350}, Kind{resources.paletteHeader(), 16, 16},
                             Kind{resources.graphicsHeader(), 16, 2790}}) {
        QByteArray bitmap(reinterpret_cast<const char*>(kind.header.data()), 54);
        const auto table = resources.defaultColourTable();
        bitmap.append(reinterpret_cast<const char*>(table.data()), 1024);
        bitmap.append(QByteArray(kind.width * kind.height, char(5)));
        QImage image = QImage::fromData(bitmap, "BMP");
        ASSERT_FALSE(image.isNull()) << kind.width << "x" << kind.height;
        EXPECT_EQ(image.size(), QSize(kind.width, kind.height));
        const auto colour = resources.defaultColour(5);
        EXPECT_EQ(image.pixelColor(0, 0), QColor(colour.red, colour.green, colour.blue));
    }
}
