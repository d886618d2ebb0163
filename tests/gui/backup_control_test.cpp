// The " Restore " group of the Options page on a demo game: the list of backups, "Restore" after
// a question, and the list following the game folder.
#include "core/formats/activation.h"
#include "core/store/backups.h"
#include "core/gamefile/game_file.h"
#include "main_form_fixture.h"
#include "screenshot.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

QStringList row(QTreeWidget* list, int index)
{
    QStringList texts;
    for (int c = 0; c < list->columnCount(); ++c)
        texts << list->topLevelItem(index)->text(c);
    return texts;
}

} // namespace

TEST(BackupControl, ListsTheGamesBackupsAndRestoresTheChosenOneAfterAQuestion)
{
    MainFormFixture fixture;
    const auto& ws = fixture.demo.workspace;
    const auto chr = readBytes(ws.torloChr());
    auto form = fixture.create();
    form->showPage(TMainForm::Page::Options);
    form->resize(1024, 768);
    form->show();
    auto* list = find<QTreeWidget>(form.get(), "BackupList");
    auto* restore = find<QPushButton>(form.get(), "RestoreButton");
    ASSERT_TRUE(list && restore);
    EXPECT_EQ(list->topLevelItemCount(), 0);
    EXPECT_FALSE(restore->isEnabled());

    // Changes made while the window is open (here by operations as another Quorvex runs them)
    // keep their copies, and the list follows the backups folder.
    const auto mods = ws.gameFolder / "mods";
    ASSERT_TRUE(asOperation(ws, [&] { return activateFile(mods / "NEONGFX.CHR", mods, ws, {}); }).outcome.succeeded());
    EXPECT_TRUE(QTest::qWaitFor([&] { return list->topLevelItemCount() == 1; }));
    asOperation(ws, [&] { GameFile(ws.torloExe()).writeAt(0, std::vector<std::uint8_t>{7}); });
    EXPECT_TRUE(QTest::qWaitFor([&] { return list->topLevelItemCount() == 2; }));
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(row(list, 1)[0], "TORLO.CHR");
    EXPECT_EQ(row(list, 1)[2], "35028");
    EXPECT_EQ(row(list, 1)[3], "original");
    EXPECT_EQ(row(list, 0)[0], "torlo.exe");
    EXPECT_EQ(row(list, 0)[1].size(), 19);

    const auto shots = qEnvironmentVariable("QUORVEX_SHOTS_DIR");
    list->setCurrentItem(list->topLevelItem(1));
    EXPECT_TRUE(restore->isEnabled());
    if (!shots.isEmpty())
        form->grab().save(shots + "/restore-list.png");

    fixture.prompts.yesNo.push_back(false);
    QTest::mouseClick(restore, Qt::LeftButton);
    ASSERT_EQ(fixture.prompts.shown.size(), 1u);
    EXPECT_EQ(fixture.prompts.shown[0].rfind("Put back TORLO.CHR as it was on ", 0), 0u) << fixture.prompts.shown[0];
    EXPECT_NE(readBytes(ws.torloChr()), chr);

    fixture.prompts.yesNo.push_back(true);
    QTest::mouseClick(restore, Qt::LeftButton);
    EXPECT_EQ(find<QLabel>(form.get(), "StatusText")->text(), "Backup restored");
    EXPECT_EQ(readBytes(ws.torloChr()), chr);
    EXPECT_NE(readText(ws.logFile()).find(": Backup of " + ws.torloChr().string() + " from "), std::string::npos);
    ASSERT_EQ(list->topLevelItemCount(), 3);   // the file it replaced, kept so that the restore can be undone
    EXPECT_EQ(row(list, 0)[0], "TORLO.CHR");
    EXPECT_EQ(row(list, 0)[3], "");

    // Another game: its own (empty) list.
    DemoGame other;
    form->setGameFolder(other.game());
    EXPECT_EQ(list->topLevelItemCount(), 0);
    EXPECT_FALSE(restore->isEnabled());
    form->setGameFolder(ws.gameFolder);
    EXPECT_EQ(list->topLevelItemCount(), 3);

    // With the window gone no operation is open: a change made outside one keeps nothing.
    form->close();
    form.reset();
    GameFile(ws.torloDat()).writeAt(0, std::vector<std::uint8_t>{7});
    EXPECT_EQ(BackupKeeper(ws).list().size(), 3u);
}

// A level kept from a deep folder shows the end of its path, its name, and the whole path in its
// tip; the file column takes most of the list.
TEST(BackupControl, ALongLevelPathIsCutInTheMiddle)
{
    MainFormFixture fixture;
    auto form = fixture.create();
    form->showPage(TMainForm::Page::Options);
    form->resize(1024, 768);
    form->show();
    auto* list = find<QTreeWidget>(form.get(), "BackupList");
    const auto folder = fixture.demo.scratch / "levels of the summer tournament" / "second round" / "finals";
    fs::create_directories(folder);
    const auto level = folder / "MEADOW.LEV";
    fs::copy_file(fixture.demo.game() / "mods" / "MEADOW.LEV", level);
    asOperation(fixture.demo.workspace, [&] { GameFile(level).writeAt(0, std::vector<std::uint8_t>{7}); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->topLevelItemCount() == 1; }));
    QCoreApplication::processEvents();

    auto* item = list->topLevelItem(0);
    EXPECT_EQ(item->toolTip(0), item->text(0));
    EXPECT_TRUE(item->text(0).endsWith("finals/MEADOW.LEV")) << item->text(0).toStdString();
    const int room = list->columnWidth(0) - 2 * list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) - 2;
    ASSERT_LT(room, list->fontMetrics().horizontalAdvance(item->text(0))) << "the path is cut";
    const auto shown = list->fontMetrics().elidedText(item->text(0), list->textElideMode(), room);
    EXPECT_TRUE(shown.endsWith("MEADOW.LEV")) << shown.toStdString();
    EXPECT_TRUE(shown.startsWith(item->text(0).left(4))) << shown.toStdString();
    EXPECT_GE(list->columnWidth(0), list->viewport()->width() / 2);
    // However long the path, the window keeps fitting 1024 by 768.
    EXPECT_FALSE(find<QScrollArea>(form.get(), "MainScroller")->verticalScrollBar()->isVisible());
    EXPECT_FALSE(find<QScrollArea>(form.get(), "MainScroller")->horizontalScrollBar()->isVisible());
    list->setCurrentItem(item);
    saveScreenshot(form.get(), "restore-list");
    form->close();
}
