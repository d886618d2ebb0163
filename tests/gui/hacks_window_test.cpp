// The "Special Hacks" window driven through its widgets on a demo game: the creation read, the
// groups and disabled controls, tidying and the risk hint, ownership, "Do all !" and "Cancel",
// and a new game folder read afresh.
#include "gui/hacks/hacks_window.h"
#include "main_form_fixture.h"
#include "screenshot.h"

#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

struct HacksWindowTest : ::testing::Test {
    MainFormFixture fixture;
    std::unique_ptr<TMainForm> form;
    std::unique_ptr<TObjForm> window;
    fs::path exe = fixture.demo.workspace.torloExe();

    void open()
    {
        form = fixture.create();
        window = std::make_unique<TObjForm>(*form);
        window->FormCreate();
        window->show();
        QApplication::setActiveWindow(window.get());
    }
    void TearDown() override
    {
        window.reset();   // its edits, if any, are not the main window's to ask about
        if (form)
            form->close();
    }
    template <typename W = QLineEdit>
    W* control(const char* name)
    {
        auto* widget = find<W>(window.get(), name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    void type(const char* name, const QString& text)
    {
        auto* edit = control(name);
        edit->setFocus(Qt::MouseFocusReason);
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    void leaveTo(const char* next) { control<QWidget>(next)->setFocus(Qt::TabFocusReason); }
    void click(const char* button) { QTest::mouseClick(control<QPushButton>(button), Qt::LeftButton); }
};

} // namespace

TEST_F(HacksWindowTest, StartsWithItsDesignTimeTextsWithoutAMessage)
{
    form = fixture.create();
    window = std::make_unique<TObjForm>(*form);
    EXPECT_EQ(control("LASERCOLOR")->text(), "#29");
    EXPECT_EQ(control<QLabel>("RiskHint")->text(), "Now happens 1 out of .. times");
    window->FormCreate();
    EXPECT_TRUE(fixture.prompts.shown.empty()) << fixture.prompts.shown.front();
    EXPECT_EQ(control("LASERCOLOR")->text(), "29");
}

TEST_F(HacksWindowTest, ShowsTheGameInNineGroupsWithTheDisabledControls)
{
    auto bytes = readBytes(exe);
    bytes[15324] = 109;
    writeBytes(exe, bytes);
    open();
    EXPECT_EQ(window->windowTitle(), "Special Hacks");
    EXPECT_EQ(window->findChildren<QGroupBox*>().size(), 9);
    EXPECT_TRUE(control<QCheckBox>("GRAVITYWORMS")->isChecked());
    EXPECT_EQ(control("ROPEFIRSTCOLOR")->text(), "62");
    EXPECT_EQ(control("MAXHEALTH")->text(), "50");
    EXPECT_EQ(control<QLabel>("RiskHint")->text(), "Now happens 1 out of 5 times");
    for (const char* name : {"LASERCOLOR", "JUMPFORCE", "WORMBLOOD", "AimingSpeedLabel"})
        EXPECT_FALSE(control<QWidget>(name)->isEnabled()) << name;
    EXPECT_EQ(control("JUMPFORCE")->text(), "56064");
    EXPECT_EQ(control("SPEEDLIMIT1")->maxLength(), 6);
}

TEST_F(HacksWindowTest, FieldsAreTidiedAndOwnedBytesCannotBeEdited)
{
    open();
    type("BOOBYTRAPRISK", "1");
    EXPECT_EQ(control<QLabel>("RiskHint")->text(), "Now happens 1 out of 0 times");
    leaveTo("MAXHEALTH");
    EXPECT_EQ(control("BOOBYTRAPRISK")->text(), "2");
    EXPECT_EQ(control<QLabel>("RiskHint")->text(), "Now happens 1 out of 1 times");
    type("MAXHEALTH", "300");
    EXPECT_EQ(control("MAXHEALTH")->text(), "255");

    control<QCheckBox>("NOBOOBYTRAPS")->setChecked(true);
    EXPECT_FALSE(control("BOOBYTRAPRISK")->isEnabled());
    control<QCheckBox>("NOBOOBYTRAPS")->setChecked(false);
    EXPECT_TRUE(control("BOOBYTRAPRISK")->isEnabled());
}

TEST_F(HacksWindowTest, DoAllWritesEveryHackAndCancelWritesNothing)
{
    open();
    const auto before = readBytes(exe);
    const auto digging = control("DIGGING")->text();
    type("DIGGING", "30");
    control<QCheckBox>("GRAVITYBONUSES")->setChecked(true);
    click("CancelButton");
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(readBytes(exe) == before);
    window->show();
    // Cancel dropped the edits: the game's values again, and the next "Do all !" writes none.
    EXPECT_EQ(control("DIGGING")->text(), digging);
    EXPECT_FALSE(control<QCheckBox>("GRAVITYBONUSES")->isChecked());

    type("DIGGING", "30");
    control<QCheckBox>("RUBBERWALLS")->setChecked(true);
    type("SHELLS", "lots");
    click("DoAllButton");
    EXPECT_EQ(fixture.prompts.shown.back(), "'lots' is not a valid integer value");
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(readBytes(exe) == before);

    type("SHELLS", "8");
    click("DoAllButton");
    EXPECT_FALSE(window->isVisible());
    const auto after = readBytes(exe);
    EXPECT_EQ(after[16739], 24);
    EXPECT_EQ(after[14901], 1);
    EXPECT_NE(after[29377], 109);   // "Bonuses" was cancelled
    window->show();
    EXPECT_EQ(control("DIGGING")->text(), "24");   // what the game stored, not what was typed
    EXPECT_TRUE(control<QCheckBox>("RUBBERWALLS")->isChecked());
    saveScreenshot(window.get(), "hacks-window-after-do-all");
    EXPECT_NE(readText(form->log().file()).find("- Hacks saved. Detailed information not yet available"),
              std::string::npos);
}

TEST_F(HacksWindowTest, ANewGameFolderIsReadAfresh)
{
    open();
    control<QCheckBox>("JETPACK")->setChecked(true);
    DemoGame other;
    auto bytes = readBytes(other.workspace.torloExe());
    bytes[15324] = 109;
    writeBytes(other.workspace.torloExe(), bytes);
    // The edit is asked about first: kept, the folder stays; dropped, the new game is read.
    const std::vector<std::string> question{"These edits are not saved:\n\nSpecial hacks\n\nSave them all first?"};
    fixture.prompts.unsaved = {Prompts::Unsaved::Cancel};
    EXPECT_FALSE(form->setGameFolder(other.game()));
    EXPECT_EQ(fixture.prompts.shown, question);
    EXPECT_TRUE(control<QCheckBox>("JETPACK")->isChecked());
    fixture.prompts.unsaved = {Prompts::Unsaved::Discard};
    EXPECT_TRUE(form->setGameFolder(other.game()));
    EXPECT_FALSE(control<QCheckBox>("JETPACK")->isChecked());
    EXPECT_TRUE(control<QCheckBox>("GRAVITYWORMS")->isChecked());
}

TEST_F(HacksWindowTest, EveryGroupIsReadableOnASmallScreen)
{
    open();
    window->adjustSize();
    EXPECT_LE(window->height(), 700);
    EXPECT_LE(window->width(), 1000);
    for (auto* label : window->findChildren<QLabel*>()) {
        if (label->isVisible() && !label->text().isEmpty() && !label->wordWrap()) {
            EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
        }
    }
    const auto shots = QDir::temp().filePath("hacks-shots");
    QDir().mkpath(shots);
    window->grab().save(shots + "/hacks-window.png");
}

// As the program creates it, the window builds its fields after the main window's first paint
// or when first shown; what it read from the game before then is what they show.
TEST_F(HacksWindowTest, FieldsBuiltLaterShowWhatWasReadBefore)
{
    form = fixture.create();
    window = std::make_unique<TObjForm>(*form, nullptr, TObjForm::Build::Later);
    window->FormCreate();
    EXPECT_EQ(find<QLineEdit>(window.get(), "LASERCOLOR"), nullptr);
    EXPECT_EQ(window->values().text, readHacks(fixture.demo.workspace).text);
    window->show();
    EXPECT_EQ(control("LASERCOLOR")->text(), "29");
    EXPECT_EQ(window->values().text, readHacks(fixture.demo.workspace).text);
    EXPECT_TRUE(fixture.prompts.shown.empty());
}
