// What only a real display with a window manager shows: the frame around the main window, and
// what actually reaches the screen. CTest runs these under Xvfb with openbox at 1024x768 and at
// 800x600 (tests/gui/on_screen.sh); on the offscreen platform they skip themselves.
#include "gui/app/desktop_services.h"
#include "gui/app/history_window.h"
#include "gui/app/main_form.h"
#include "main_form_fixture.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace quorvex;
using namespace quorvex::test;

namespace {

bool onScreen()
{
    return QGuiApplication::platformName() == "xcb";
}

QRect globalRect(const QWidget* widget)
{
    return {widget->mapToGlobal(QPoint(0, 0)), widget->size()};
}

// What the screen shows of a widget against what the widget paints.
bool screenShows(QWidget* widget)
{
    const auto area = globalRect(widget);
    const auto shown = widget->screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()).toImage();
    const auto painted = widget->grab().toImage();
    return shown.convertToFormat(QImage::Format_RGB32) == painted.convertToFormat(QImage::Format_RGB32);
}

void saveScreen(QScreen* screen, const QString& name)
{
    const auto folder = qEnvironmentVariable("QUORVEX_SHOTS_DIR");
    if (!folder.isEmpty())
        screen->grabWindow(0).save(folder + "/" + name + ".png");
}

} // namespace

// The window with its frame fits the screen's available area, so the status line is on the
// screen; on a screen too small for the content (800x600) every page scrolls instead of
// squeezing or cutting its controls.
TEST(OnScreen, TheFramedWindowFitsTheScreenAndItsContentScrolls)
{
    if (!onScreen())
        GTEST_SKIP() << "needs X11 with a window manager (CTest's OnScreen.* tests)";
    MainFormFixture fixture;
    auto form = fixture.create({QString::fromStdString((fixture.demo.game() / "mods" / "MEADOW.LEV").string())});
    form->showOnScreen();
    auto* screen = form->screen();
    const auto available = screen->availableGeometry();
    // The frame is there once the window manager has taken the window, and then it fits.
    const bool fits = QTest::qWaitFor([&] {
        return form->frameGeometry() != form->geometry() && available.contains(form->frameGeometry());
    }, 10000);
    EXPECT_TRUE(fits) << "frame " << form->frameGeometry().width() << "x" << form->frameGeometry().height() << " on "
                      << available.width() << "x" << available.height();
    EXPECT_TRUE(available.contains(globalRect(form->statusBar()))) << "the status line is on the screen";
    EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    QTest::qWait(100);   // the first paint after the exposure
    saveScreen(screen, QString("main-window-framed-%1x%2").arg(screen->size().width()).arg(screen->size().height()));

    auto* scroller = find<QScrollArea>(form.get(), "MainScroller");
    auto* content = scroller->widget();
    auto* pages = find<QTabWidget>(form.get(), "PageControl");
    bool scrolled = false;
    for (int page = 0; page < pages->count(); ++page) {
        pages->setCurrentIndex(page);
        QCoreApplication::processEvents();
        const auto name = pages->tabText(page).toStdString();
        EXPECT_GE(content->height(), content->minimumSizeHint().height()) << name;
        EXPECT_GE(content->width(), content->minimumSizeHint().width()) << name;
        scrolled = scrolled || scroller->verticalScrollBar()->isVisible();
        for (const char* control : {"RefreshBut", "RandomButton", "EditorButton", "SortWBut"}) {
            auto* widget = find<QWidget>(form.get(), control);
            if (!widget->isVisible())
                continue;
            EXPECT_TRUE(content->rect().contains(QRect(widget->mapTo(content, QPoint(0, 0)), widget->size())))
                << control << " on " << name;
        }
    }
    EXPECT_EQ(scrolled, available.height() < 700) << "the content scrolls exactly where it can not fit";
    form->close();
}

// After renaming and deleting profiles the list on the screen shows what it holds, not rows
// left over from before.
TEST(OnScreen, TheProfileListShowsWhatItHolds)
{
    if (!onScreen())
        GTEST_SKIP() << "needs X11 with a window manager (CTest's OnScreen.* tests)";
    MainFormFixture fixture;
    auto form = fixture.create();
    auto* window = form->historyWindow();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    auto* name = expectChild<QLineEdit>(window, "ProfileNameEdit");
    auto* list = expectChild<QTreeWidget>(window, "ProfileList");
    const auto press = [&](const char* button) {
        QTest::mouseClick(expectChild<QPushButton>(window, button), Qt::LeftButton);
        QTest::qWait(100);
    };
    const auto choose = [&](int row) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->topLevelItem(row)).center());
        QTest::qWait(100);
    };
    for (const char* setup : {"Setup A", "Setup B", "Setup C"}) {
        name->setText(setup);
        press("SaveProfileButton");
    }
    choose(1);
    name->setText("Setup D");
    press("RenameProfileButton");
    choose(2);
    press("DeleteProfileButton");
    choose(0);
    press("DeleteProfileButton");
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(0), "Setup D");
    EXPECT_TRUE(QTest::qWaitFor([&] { return screenShows(list->viewport()); }, 3000));
    window->close();
}

// The first start's file dialog shows the size, type and date whole ("138.3 KiB", not
// "138...KiB"); the name takes the rest.
TEST(OnScreen, TheFileDialogsColumnsShowTheirTextsWhole)
{
    if (!onScreen())
        GTEST_SKIP() << "needs X11 with a window manager (CTest's OnScreen.* tests)";
    DemoGame demo;
    const auto dialog = openFileDialog(nullptr, "Torlo.exe|Torlo.exe|All executables|*.exe", demo.game());
    dialog->show();
    auto* model = dialog->findChild<QFileSystemModel*>();
    auto* view = dialog->findChild<QTreeView*>("treeView");
    ASSERT_NE(model, nullptr);
    ASSERT_NE(view, nullptr);
    const auto root = model->index(QString::fromStdString(demo.game().string()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->rowCount(root) == 2; }, 5000));   // mods and torlo.exe
    QCoreApplication::processEvents();
    const auto exe = model->index(QString::fromStdString(demo.workspace.torloExe().string()));
    for (int column = 1; column < 4; ++column) {
        const auto text = exe.siblingAtColumn(column).data().toString();
        EXPECT_GE(view->columnWidth(column), view->fontMetrics().horizontalAdvance(text)) << text.toStdString();
    }
    dialog->close();
}
