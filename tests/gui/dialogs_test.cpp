#include "gui/app/desktop_services.h"
#include "test_support.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QTest>
#include <QTreeView>
#include <gtest/gtest.h>

using namespace quorvex;

TEST(Dialogs, FiltersAreConvertedForQt)
{
    EXPECT_EQ(toQtFilter("Torlo.exe|Torlo.exe|All executables|*.exe"), "Torlo.exe (Torlo.exe);;All executables (*.exe)");
    EXPECT_EQ(toQtFilter("ACT palettes|*.act|All palettes|*.pal; *.act"), "ACT palettes (*.act);;All palettes (*.pal *.act)");
}

TEST(Dialogs, TorloExeFilterMatchesTheGameInAnyCase)
{
    test::ScratchFolder folder;
    test::writeBytes(folder / "TORLO.EXE", {1});
    test::writeBytes(folder / "readme.txt", {1});
    const auto dialog = openFileDialog(nullptr, "Torlo.exe|Torlo.exe|All executables|*.exe", folder.path());
    auto* model = dialog->findChild<QFileSystemModel*>();
    ASSERT_NE(model, nullptr);
    const auto root = model->index(QString::fromStdString(folder.path().string()));
    QTRY_COMPARE(model->rowCount(root), 1);
    const auto shown = model->index(0, 0, root);
    EXPECT_EQ(model->fileName(shown), "TORLO.EXE");
    EXPECT_TRUE(model->flags(shown) & Qt::ItemIsEnabled);
}

// The detail view shows the size, type and date whole ("138.3 KiB", not "138...KiB"); the name
// takes the rest.
TEST(Dialogs, TheFileDialogsColumnsShowTheirTextsWhole)
{
    test::DemoGame demo;
    const auto dialog = openFileDialog(nullptr, "Torlo.exe|Torlo.exe|All executables|*.exe", demo.game());
    dialog->show();
    auto* model = dialog->findChild<QFileSystemModel*>();
    auto* view = dialog->findChild<QTreeView*>("treeView");
    ASSERT_NE(model, nullptr);
    ASSERT_NE(view, nullptr);
    const auto root = model->index(QString::fromStdString(demo.game().string()));
    QTRY_COMPARE(model->rowCount(root), 2);   // mods and torlo.exe
    QCoreApplication::processEvents();
    const auto exe = model->index(QString::fromStdString(demo.workspace.torloExe().string()));
    for (int column = 1; column < 4; ++column) {
        const auto text = exe.siblingAtColumn(column).data().toString();
        EXPECT_GE(view->columnWidth(column), view->fontMetrics().horizontalAdvance(text)) << text.toStdString();
    }
    dialog->close();
}
