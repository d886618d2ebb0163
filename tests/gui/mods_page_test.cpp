// The "Mods" page on the window: the list with its conflict marks, the selected entry's effect
// with the value it replaced and the winner, and a tick that switches an entry off on a thread
// of its own while the window keeps running.
#include "gui/app/main_form.h"
#include "gui/mods/mods_page.h"
#include "core/gamefile/game_lock.h"
#include "core/mods/mods.h"
#include "main_form_fixture.h"
#include "screenshot.h"
#include "test_support.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTabWidget>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace quorvex;
using namespace quorvex::test;

namespace {

QStringList row(QTreeWidget* tree, int index)
{
    QStringList texts;
    const auto* item = tree->topLevelItem(index);
    for (int column = 0; item && column < tree->columnCount(); ++column)
        texts << item->text(column);
    return texts;
}

} // namespace

TEST(ModsPage, ShowsConflictsAndWinnersAndATickSwitchesAnEntryOff)
{
    MainFormFixture fixture;
    auto form = fixture.create();
    const auto& ws = fixture.demo.workspace;
    const auto plugin = [&](const char* name, const std::string& text) {
        const auto file = fixture.demo.scratch / name;
        writeBytes(file, std::vector<std::uint8_t>(text.begin(), text.end()));
        form->guarded([&] { form->report(addMod(file, file.parent_path(), ws, [](std::string_view) { return true; }).activation.outcome); });
    };
    plugin("STRONG.LWP", "LWP\nVERSION:2\nWEAPON:1\nAMMO:7\nBLOOD:50\n");
    const auto strongOnly = readBytes(ws.torloExe());
    plugin("FAST.LWP", "LWP\nVERSION:2\nWEAPON:1\nAMMO:9\nBLOW:30\n");

    auto* tabs = expectChild<QTabWidget>(form.get(), "PageControl");
    tabs->setCurrentWidget(expectChild<QWidget>(form.get(), "ModsTab"));
    auto* page = expectChild<ModsPage>(form.get(), "ModsPage");
    auto* list = expectChild<QTreeWidget>(page, "ModList");
    auto* effect = expectChild<QTreeWidget>(page, "ModEffect");
    page->reload();
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(row(list, 0).mid(1, 3), (QStringList{"1", "plugin", "STRONG.LWP"}));
    EXPECT_FALSE(row(list, 0).at(5).isEmpty()) << "the conflict mark";
    EXPECT_FALSE(row(list, 1).at(5).isEmpty());

    // The earlier entry's AMMO: its value, the original it replaced, and the later one that wins.
    list->setCurrentItem(list->topLevelItem(0));
    ASSERT_GE(effect->topLevelItemCount(), 2);
    const auto ammo = row(effect, 0);
    EXPECT_EQ(ammo.mid(0, 4), (QStringList{"weapon", "0", "AMMO", "7"}));
    EXPECT_EQ(ammo.at(5), "2 (FAST.LWP)");
    list->setCurrentItem(list->topLevelItem(1));
    EXPECT_EQ(row(effect, 0).mid(3), (QStringList{"9", "7", ""}));

    list->setCurrentItem(list->topLevelItem(0));
    form->resize(1024, 768);
    form->show();
    QCoreApplication::processEvents();
    saveScreenshot(form.get(), "mods-page");

    // Unticking the later entry rebuilds on a thread: the game is the earlier one's alone.
    list->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
    EXPECT_TRUE(page->busy());
    QElapsedTimer waited;
    waited.start();
    while (page->busy() && waited.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    ASSERT_FALSE(page->busy());
    EXPECT_EQ(readBytes(ws.torloExe()), strongOnly);
    EXPECT_EQ(list->topLevelItem(1)->checkState(0), Qt::Unchecked);
    EXPECT_TRUE(row(list, 0).at(5).isEmpty()) << "no conflict with an entry switched off";
    EXPECT_TRUE(form->isEnabled());
}
