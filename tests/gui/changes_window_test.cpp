// The "Changes" window on a demo game changed in several areas: the grouped list and its
// filter, a change shown on its own page, "Revert" through the editors' saves with the pages
// following at once, "Save as plugin…", and another game folder to compare with.
#include "gui/app/options_page.h"
#include "gui/changes/changes_window.h"
#include "main_form_fixture.h"
#include "screenshot.h"

#include "core/ai/ai_values.h"
#include "core/palette/palette_editor.h"
#include "core/shell/blood.h"
#include "core/texts/game_texts.h"
#include "gui/weapons/weapon_page.h"
#include "core/weapons/weapon_table.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

struct ChangesWindowTest : ::testing::Test {
    MainFormFixture fixture;
    DemoGame untouched;
    std::unique_ptr<TMainForm> form = fixture.create();
    const Workspace& ws = form->workspace();
    ChangesWindow* window = nullptr;

    // Changes in several areas, made through the editors' core saves while the window's keeper
    // keeps the originals.
    void changeTheGame()
    {
        test::asOperation(ws, [&] {   // as another Quorvex would, keeping the originals
            auto data = loadWeapons(ws);
            ASSERT_TRUE(renameWeapon(ws, data.names, 3, "ZAPPER").succeeded());
            auto texts = readAiTexts(ws);
            texts[*aiFieldByKey("MINRANGE")] = "-7";
            ASSERT_TRUE(saveAi(ws, texts).succeeded());
            ASSERT_TRUE(setGameText(ws, 7, "Sound is off!!").succeeded());
            auto palette = loadPalette(ws);
            palette[5] = {200, 12, 4};
            ASSERT_TRUE(saveMaterials(ws, loadMaterials(ws), palette).succeeded());
            ASSERT_TRUE(setBlood(ws, 1000).succeeded());
        });
        emit form->gameEvents().gameDataChanged(GameParts::all(), nullptr);   // made behind the pages' back
    }
    void open()
    {
        window = static_cast<ChangesWindow*>(form->changesWindow());
        window->resize(1024, 768);
        window->show();
        window->refresh();
    }
    QTreeWidget* list() { return expectChild<QTreeWidget>(window, "ChangesList"); }
    QStringList groups()
    {
        QStringList shown;
        for (int g = 0; g < list()->topLevelItemCount(); ++g)
            if (!list()->topLevelItem(g)->isHidden())
                shown << list()->topLevelItem(g)->text(0);
        return shown;
    }
    QTreeWidgetItem* row(const QString& entry, const QString& key)
    {
        for (int g = 0; g < list()->topLevelItemCount(); ++g)
            for (int c = 0; c < list()->topLevelItem(g)->childCount(); ++c) {
                auto* item = list()->topLevelItem(g)->child(c);
                if (item->text(0) == entry && item->text(1) == key)
                    return item;
            }
        return nullptr;
    }
    void TearDown() override
    {
        if (window)
            window->close();
        form->close();
    }
};

} // namespace

TEST_F(ChangesWindowTest, ListsGroupsFiltersShowsRevertsAndSavesAPlugin)
{
    changeTheGame();
    open();
    saveScreenshot(window, "changes-window");
    EXPECT_EQ(groups(), (QStringList{"Weapons (1)", "CPU AI (1)", "Texts (1)", "Palette (1)", "Blood (1)"}));
    auto* name = row("Weapons 3", "NAME");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->text(3), "ZAPPER");
    EXPECT_EQ(row("Palette 5", "RGB")->text(3), "200 12 4");
    EXPECT_EQ(row("Texts 7", "TEXT")->text(3), "Sound is off!!");
    EXPECT_EQ(expectChild<QLabel>(window, "SummaryText")->text(), "5 changes");

    // The filter keeps the matching rows and their groups.
    expectChild<QLineEdit>(window, "FilterEdit")->setText("zap");
    EXPECT_EQ(groups(), QStringList{"Weapons (1)"});
    expectChild<QLineEdit>(window, "FilterEdit")->setText("");

    // A change shows its entry on its own page.
    list()->setCurrentItem(row("Weapons 3", "NAME"));
    auto* tabs = form->findChild<QTabWidget*>();
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->currentIndex(), static_cast<int>(TMainForm::Page::Weapons));
    auto* weapons = expectChild<QListWidget>(form.get(), "WeaponList");
    EXPECT_EQ(weapons->currentRow(), 3);
    EXPECT_EQ(weapons->item(3)->text(), "ZAPPER");
    list()->setCurrentItem(row("Palette 5", "RGB"));
    EXPECT_EQ(tabs->currentIndex(), static_cast<int>(TMainForm::Page::MaterialPalette));

    // "Save as plugin…" holds the weapon change only, in the version the Options page asks for.
    const auto plugin = fixture.demo.scratch / "MINE.LWP";
    fixture.prompts.files.push_back(plugin);
    QTest::mouseClick(expectChild<QPushButton>(window, "SavePluginBut"), Qt::LeftButton);
    EXPECT_EQ(lines(readText(plugin)), (std::vector<std::string>{"TORLOKIT:WEAPONPLUGIN\r", "WEAPON:4\r", "NAME:ZAPPER\r"}));
    form->optionsPage()->lwp2Box->setChecked(true);
    fixture.prompts.files.push_back(plugin);
    QTest::mouseClick(expectChild<QPushButton>(window, "SavePluginBut"), Qt::LeftButton);
    EXPECT_EQ(lines(readText(plugin)), (std::vector<std::string>{"LWP\r", "VERSION:2\r", "WEAPON:4\r", "NAME:ZAPPER\r"}));

    // "Revert" of the name and the blood group: saved as the editors save, the weapon list and
    // the changes list follow at once.
    const auto before = row("Weapons 3", "NAME")->text(2);
    list()->clearSelection();
    row("Weapons 3", "NAME")->setSelected(true);
    list()->topLevelItem(4)->setSelected(true);   // "Blood": the group stands for its changes
    QTest::mouseClick(expectChild<QPushButton>(window, "RevertBut"), Qt::LeftButton);
    EXPECT_EQ(groups(), (QStringList{"CPU AI (1)", "Texts (1)", "Palette (1)"}));
    EXPECT_EQ(weapons->item(3)->text(), before);
    EXPECT_NE(readText(ws.logFile()).find("Weaponname changed to " + before.toStdString()), std::string::npos);
    // No weapon, object or special-object change is left: said before any file is asked for.
    const auto asked = fixture.prompts.filters.size();
    QTest::mouseClick(expectChild<QPushButton>(window, "SavePluginBut"), Qt::LeftButton);
    EXPECT_EQ(fixture.prompts.filters.size(), asked);
    EXPECT_EQ(expectChild<QLabel>(form.get(), "StatusText")->text(), "No weapon, object or special-object change to save as a plugin");

    // Another folder: cancelled, the originals stay; chosen, the untouched game shows the same.
    auto* compare = expectChild<QComboBox>(window, "CompareBox");
    fixture.prompts.files.push_back(std::nullopt);
    compare->setCurrentIndex(1);
    emit compare->activated(1);
    EXPECT_EQ(compare->currentIndex(), 0);
    fixture.prompts.files.push_back(untouched.workspace.torloExe());
    compare->setCurrentIndex(1);
    emit compare->activated(1);
    EXPECT_EQ(compare->currentIndex(), 1);
    EXPECT_EQ(groups(), (QStringList{"CPU AI (1)", "Texts (1)", "Palette (1)"}));

    // A game that can not be read empties the list and says why, without a message box.
    fs::remove(untouched.workspace.torloExe());
    window->refresh();
    EXPECT_EQ(list()->topLevelItemCount(), 0);
    EXPECT_TRUE(expectChild<QLabel>(window, "SummaryText")->text().startsWith("No game to compare with"));
    EXPECT_TRUE(fixture.prompts.shown.empty());
}
