// The "Options" page driven through its widgets: "Do all" in its order (settings, blood,
// associations), the Easter egg path, the colour schemes, "Delete Logfile", "Browse...", and a
// new game folder reaching every holder of game data.
#include "gui/palette/palette_page.h"
#include "gui/ai/ai_page.h"
#include "gui/app/options_page.h"
#include "gui/browser/mod_browser_control.h"
#include "core/base/places.h"
#include "main_form_fixture.h"
#include "screenshot.h"
#include "gui/weapons/weapon_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

class RecordingClassStore final : public FileClassStore {
public:
    std::vector<std::pair<AssociationSet, fs::path>> associated;
    int removed = 0;
    AssociationResult associate(AssociationSet kinds, const fs::path& program, bool) override
    {
        associated.emplace_back(kinds, program);
        return {};
    }
    void removeAssociations() override { ++removed; }
};

std::uint32_t storedBlood(const fs::path& dat)
{
    const auto bytes = readBytes(dat);
    return bytes[14] | bytes[15] << 8 | bytes[16] << 16 | static_cast<std::uint32_t>(bytes[17]) << 24;
}

struct OptionsPageTest : ::testing::Test {
    MainFormFixture fixture;
    RecordingClassStore classes;
    std::unique_ptr<TMainForm> form;
    OptionsPage* page = nullptr;

    void open()
    {
        fixture.fileClasses = &classes;
        form = fixture.create();
        form->showPage(TMainForm::Page::Options);
        form->resize(1024, 768);
        form->show();
        page = form->optionsPage();
        ASSERT_TRUE(fixture.prompts.shown.empty()) << fixture.prompts.shown.front();
    }
    void click(const char* name) { find<QPushButton>(form.get(), name)->click(); }
    QString status() { return find<QLabel>(form.get(), "StatusText")->text(); }
};

} // namespace

TEST_F(OptionsPageTest, GroupsAndControlsAsTheUserSeesThem)
{
    open();
    saveScreenshot(form.get(), "options-page");
    QStringList groups;
    for (auto* group : page->findChildren<QGroupBox*>())
        groups << group->title();
    EXPECT_EQ(groups, (QStringList{" Blood ", " Torlo Path ", " Appearance ", " Programs ", " Restore ",
                                   " File extensions ", " Miscellaneous "}));
    EXPECT_EQ(page->bloodEdit->text(), "100");
    EXPECT_EQ(page->bloodEdit->maxLength(), 5);
    EXPECT_EQ(page->colourCombo->placeholderText(), "[ Schemes ]");
    EXPECT_EQ(page->colourCombo->currentIndex(), -1);
    ASSERT_EQ(page->colourCombo->count(), 10);
    EXPECT_EQ(page->colourCombo->itemText(9), "Random Inverted");
    QStringList boxes;
    for (auto* box : page->extensionBoxes) {
        boxes << box->text();
        EXPECT_FALSE(box->isChecked());
    }
    EXPECT_EQ(boxes, (QStringList{"Levels", "GFX Mods", "Sound Mods", "Palettes", "Weapons", "Translations"}));
    EXPECT_FALSE(page->fontsBox->isVisible());
    EXPECT_FALSE(page->sortBox->isVisible());
    EXPECT_TRUE(page->sortBox->isChecked());
    EXPECT_EQ(page->pathEdit->text().toStdString(), fixture.demo.game().string());
    for (auto* name : {"BrowseButton", "DeleteLogBut", "DoAllButton"})
        EXPECT_TRUE(find<QPushButton>(form.get(), name)->isVisible()) << name;
}

TEST_F(OptionsPageTest, DoAllStoresTheSettingsAndBloodAndAssignsNothingUnticked)
{
    open();
    page->stretchBox->setChecked(true);
    page->soundBox->setChecked(false);
    page->lwp2Box->setChecked(true);
    page->fontEdit->setText("Courier");
    page->bloodEdit->setText("-60");
    click("DoAllButton");

    auto& s = fixture.settings;
    EXPECT_EQ(s.text("TorloPath"), fixture.demo.game().string());
    EXPECT_EQ(s.text("Stretch"), "yes");
    EXPECT_EQ(s.text("DoSound"), "no");
    EXPECT_EQ(s.text("MakePL"), "no");
    EXPECT_EQ(s.text("UsePal"), "no");
    EXPECT_EQ(s.text("SortExt"), "yes");
    EXPECT_EQ(s.text("MakeLWP2"), "yes");
    EXPECT_EQ(s.text("Font"), "Courier");
    EXPECT_EQ(form->font().family(), "Courier");
    EXPECT_EQ(find<QLabel>(form.get(), "LevelImage")->geometry(), QRect(8, 1, 504, 420)) << "stretched at once";
    EXPECT_EQ(storedBlood(fixture.demo.workspace.torloDat()), 50u);
    EXPECT_EQ(page->bloodEdit->text(), "50") << "the amount the game got";
    EXPECT_EQ(status(), "Options saved, blood set to 50%");
    EXPECT_TRUE(classes.associated.empty());
    EXPECT_TRUE(fixture.prompts.shown.empty()) << "no box ticked: no message";

    // Pressing it only for the font writes blood 100 as well.
    page->bloodEdit->setText("100");
    click("DoAllButton");
    EXPECT_EQ(storedBlood(fixture.demo.workspace.torloDat()), 100u);
}

TEST_F(OptionsPageTest, TheTorloNetPathKeepsTheStoredFolder)
{
    open();
    page->pathEdit->setText("TorloNet");
    click("DoAllButton");
    EXPECT_EQ(status(), "You have found a future Easter Egg!");
    EXPECT_EQ(fixture.settings.text("TorloPath"), fixture.demo.game().string());
    EXPECT_EQ(form->workspace().gameFolder, fixture.demo.game());
}

TEST_F(OptionsPageTest, ABloodTextThatIsNoNumberStopsAfterTheSettings)
{
    open();
    page->bloodEdit->setText("lots");
    page->fontEdit->setText("Courier");
    page->extensionBoxes[0]->setChecked(true);
    const auto dat = readBytes(fixture.demo.workspace.torloDat());
    click("DoAllButton");
    EXPECT_EQ(fixture.prompts.shown, std::vector<std::string>{"'lots' is not a valid integer value"});
    EXPECT_EQ(fixture.settings.text("Font"), "Courier");
    EXPECT_EQ(readBytes(fixture.demo.workspace.torloDat()), dat);
    EXPECT_TRUE(classes.associated.empty());
}

TEST_F(OptionsPageTest, TickedKindsAreAssignedEvenWhenBloodCannotBeSet)
{
    open();
    fs::remove(fixture.demo.workspace.torloDat());
    page->extensionBoxes[1]->setChecked(true);
    page->extensionBoxes[3]->setChecked(true);
    click("DoAllButton");
    EXPECT_EQ(fixture.prompts.shown,
              (std::vector<std::string>{"\"Torlo.Dat\" does not exist. Blood not set", "Extension(s) assigned"}));
    ASSERT_EQ(classes.associated.size(), 1u);
    EXPECT_EQ(classes.associated[0].first, AssociationSet("001010"));
    EXPECT_EQ(classes.associated[0].second.filename(), "quorvex");
    EXPECT_FALSE(fs::exists(fixture.demo.workspace.torloDat()));
}

TEST_F(OptionsPageTest, AColourSchemeIsStoredAndAppliedAtOnce)
{
    open();
    page->colourCombo->setCurrentIndex(1);
    emit page->colourCombo->activated(1);
    EXPECT_EQ(fixture.settings.integer("FG"), 11532075);
    EXPECT_EQ(fixture.settings.integer("BG"), 32768);
    EXPECT_EQ(form->palette().color(QPalette::Window), QColor(0, 128, 0));
    EXPECT_TRUE(find<QWidget>(form.get(), "PageControl")->isVisible());

    emit page->colourCombo->activated(9);
    const auto fg = *fixture.settings.integer("FG");
    EXPECT_GE(fg, 0);
    EXPECT_LT(fg, 16777215);
    EXPECT_EQ(*fixture.settings.integer("BG"), 16777215 - fg);
}

TEST_F(OptionsPageTest, DeleteLogfileAlwaysSaysSo)
{
    open();
    const auto log = fixture.demo.workspace.logFile();
    ASSERT_TRUE(fs::exists(log));
    click("DeleteLogBut");
    EXPECT_FALSE(fs::exists(log));
    EXPECT_EQ(status(), "Logfile deleted");
    form->StatusShow("");
    click("DeleteLogBut");
    EXPECT_EQ(status(), "Logfile deleted");
}

TEST_F(OptionsPageTest, BrowseFillsThePathBoxOnly)
{
    open();
    fixture.prompts.files.push_back(fs::path("/games/torlo/TORLO.EXE"));
    click("BrowseButton");
    EXPECT_EQ(fixture.prompts.filters.back(), "Torlo.exe|Torlo.exe|All executables|*.exe");
    EXPECT_EQ(page->pathEdit->text(), "/games/torlo");
    EXPECT_EQ(fixture.settings.text("TorloPath"), fixture.demo.game().string());
    fixture.prompts.files.push_back(std::nullopt);
    click("BrowseButton");
    EXPECT_EQ(page->pathEdit->text(), "/games/torlo");
}

// Two games that differ in every part held in memory or in fields; after "Do all" points the
// program at the second, each holder shows the second's data and a save writes it back as it was.
TEST_F(OptionsPageTest, ANewGameFolderReloadsEveryHolderAndSavesWriteOnlyItsOwnData)
{
    DemoGame other;
    const auto exeB = other.workspace.torloExe();
    auto bytes = readBytes(exeB);
    bytes[places::WeaponNames + 1] = 'Q';                  // first weapon's name
    bytes[places::WeaponTable + 600] = 77;                 // first weapon's distribution
    bytes[places::Materials] ^= 0xFF;
    bytes[places::GamePalette + 3] = 1;                    // colour 1's red
    bytes[places::AiChangeLeft] = 52;                      // "Standard" has 50
    writeBytes(exeB, bytes);
    const auto exeA = readBytes(fixture.demo.workspace.torloExe());

    open();
    auto* weapons = form->findChild<WeaponPage*>();
    auto* list = find<QListWidget>(form.get(), "WeaponList");
    ASSERT_NE(list->item(0)->text().at(0), QChar('Q'));

    page->pathEdit->setText(QString::fromStdString(other.game().string()));
    click("DoAllButton");
    EXPECT_TRUE(fixture.prompts.shown.empty()) << fixture.prompts.shown.front();
    EXPECT_EQ(form->workspace().gameFolder, other.game());
    EXPECT_EQ(list->item(0)->text().at(0), QChar('Q'));
    EXPECT_EQ(weapons->data().table.bytes[600], 77);
    const auto* palette = form->findChild<PalettePage*>();
    EXPECT_TRUE(materialsToBlock(palette->materials()) ==
                materialsToBlock(materialsFromBlock(std::span(bytes).subspan(places::Materials, places::MaterialsSize))));
    EXPECT_EQ(form->workingPalette()[1].red, 4);
    EXPECT_EQ(find<QLineEdit>(form.get(), "Edit1")->text(), "52");
    EXPECT_EQ(form->findChild<ModBrowserControl*>()->folder(), other.game());

    click("SaveCurrentBut");
    click("SaveAI");
    const auto saved = readBytes(exeB);
    EXPECT_TRUE(std::equal(saved.begin() + places::WeaponTable, saved.begin() + places::WeaponTable + places::WeaponTableSize,
                           bytes.begin() + places::WeaponTable));
    EXPECT_EQ(saved[places::AiChangeLeft], 52);
    EXPECT_EQ(readBytes(fixture.demo.workspace.torloExe()), exeA) << "the old game is left alone";

    // Back to the first game through the stored setting, as another run of the program may store it.
    fixture.settings.setText("TorloPath", fixture.demo.game().string());
    form->FormActivate();
    EXPECT_EQ(page->pathEdit->text().toStdString(), fixture.demo.game().string());
    EXPECT_NE(list->item(0)->text().at(0), QChar('Q'));
    EXPECT_EQ(find<QLineEdit>(form.get(), "Edit1")->text(), "50");
}

TEST_F(OptionsPageTest, AFolderWithoutTheGameLeavesNothingOfTheOldOneToSave)
{
    open();
    ScratchFolder empty;
    page->pathEdit->setText(QString::fromStdString(empty.path().string()));
    click("DoAllButton");
    // Said once, not once for every page that holds game data.
    EXPECT_EQ(std::count(fixture.prompts.shown.begin(), fixture.prompts.shown.end(), "File not found: torlo.exe"), 1);
    fixture.prompts.shown.clear();
    EXPECT_EQ(find<QLineEdit>(form.get(), "Edit1")->text(), "");
    click("SaveAI");
    EXPECT_EQ(fixture.prompts.shown, std::vector<std::string>{"'' is not a valid integer value"});
    EXPECT_TRUE(fs::is_empty(empty.path()));
}
