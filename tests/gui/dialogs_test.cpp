#include "gui/app/desktop_services.h"
#include "test_support.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QTest>
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
