// TColorSelector and its drop-down TColorForm: drawing, opening, picking, the extra swatch,
// "&Other..." and closing.
#include "gui/controls/color_selector_control.h"
#include "test_support.h"

#include <QApplication>
#include <QFocusEvent>
#include <QImage>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace quorvex;
using namespace quorvex::test;

namespace {

// held: the left button is down during a move.
void mouse(QWidget* widget, QEvent::Type type, QPoint at, bool held = false)
{
    const auto buttons = type == QEvent::MouseButtonPress || held ? Qt::LeftButton : Qt::NoButton;
    QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

struct ColorSelectorTest : ::testing::Test {
    ScriptedPrompts prompts;
    QWidget window;
    TColorSelector* selector = new TColorSelector(prompts, &window);
    QSignalSpy changes{selector, &TColorSelector::changeColor};

    ColorSelectorTest()
    {
        window.resize(200, 100);
        selector->move(10, 10);
        window.show();
    }
    void TearDown() override { EXPECT_TRUE(prompts.colours.empty()); }

    void click() // a left click on the selector
    {
        mouse(selector, QEvent::MouseButtonPress, {5, 5});
        mouse(selector, QEvent::MouseButtonRelease, {5, 5});
    }
    TColorForm* open()
    {
        click();
        EXPECT_NE(selector->dropDown(), nullptr);
        return selector->dropDown();
    }
    void pressCell(TColorForm* form, QPoint cell)
    {
        const auto at = form->cellRect(cell).center();
        mouse(form, QEvent::MouseMove, at);
        mouse(form, QEvent::MouseButtonPress, at);
    }
    bool closed() const
    {
        return !selector->dropDown() || !selector->dropDown()->isVisible();
    }
    QImage picture() const { return selector->grab().toImage(); }
};

TEST_F(ColorSelectorTest, SettingTheColourRepaintsWithoutReporting)
{
    EXPECT_EQ(selector->size(), QSize(42, 21));
    EXPECT_EQ(selector->focusPolicy(), Qt::StrongFocus);
    EXPECT_EQ(selector->color(), qRgb(0, 0, 0));
    selector->setColor(qRgb(10, 200, 30));
    EXPECT_EQ(QColor(picture().pixel(10, 10)), QColor(10, 200, 30));   // inside the colour box
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(fromToolkitColour(8421376), qRgb(0, 128, 128));
    EXPECT_EQ(toToolkitColour(qRgb(166, 202, 240)), 15780518u);
}

TEST_F(ColorSelectorTest, PickingTheSameColourOnlyClosesTheDropDown)
{
    selector->setColor(qRgb(255, 0, 0));   // row 2, column 1
    auto* form = open();
    EXPECT_EQ(form->pos(), selector->mapToGlobal(QPoint(0, selector->height())));
    EXPECT_EQ(form->size(), QSize(78, 120));
    EXPECT_EQ(form->hotCell(), QPoint(1, 2));
    EXPECT_FALSE(form->showsExtraSwatch());
    EXPECT_EQ(form->otherButtonRect(), QRect(QPoint(3, 99), QPoint(64, 116)));
    pressCell(form, {1, 2});
    EXPECT_TRUE(closed());
    EXPECT_EQ(changes.count(), 0);

    pressCell(open(), {2, 5});   // 15780518: 166, 202, 240
    EXPECT_TRUE(closed());
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(selector->color(), qRgb(166, 202, 240));
}

TEST_F(ColorSelectorTest, AColourOutsideTheTwentyGetsTheExtraSwatchAndAShorterOtherButton)
{
    selector->setColor(qRgb(1, 2, 3));
    auto* form = open();
    EXPECT_TRUE(form->showsExtraSwatch());
    EXPECT_EQ(form->hotCell(), TColorForm::ExtraCell);
    EXPECT_EQ(form->cellRect(TColorForm::ExtraCell), QRect(QPoint(58, 100), QPoint(73, 115)));
    EXPECT_EQ(form->otherButtonRect().right(), 55);
    const auto drawn = form->grab().toImage();
    EXPECT_EQ(QColor(drawn.pixel(66, 108)), QColor(1, 2, 3));
    EXPECT_EQ(QColor(drawn.pixel(12, 12)), QColor(Qt::white));   // cell 1, 1
    pressCell(form, TColorForm::ExtraCell);
    EXPECT_TRUE(closed());
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(selector->color(), qRgb(1, 2, 3));
}

TEST_F(ColorSelectorTest, TheHotCellFollowsThePointerWithinTwoPixelsOfACell)
{
    selector->setColor(qRgb(0, 0, 0));   // row 1, column 2: no extra swatch
    auto* form = open();
    EXPECT_EQ(form->hotCell(), QPoint(2, 1));
    mouse(form, QEvent::MouseMove, {3, 3});   // cell 1, 1 spans 4..19; grown by 2 it holds 3
    EXPECT_EQ(form->hotCell(), QPoint(1, 1));
    mouse(form, QEvent::MouseMove, {2, 2});   // on the grown edge: not strictly inside
    EXPECT_EQ(form->hotCell(), TColorForm::NoCell);
    mouse(form, QEvent::MouseMove, form->cellRect({3, 4}).center());
    EXPECT_EQ(form->hotCell(), QPoint(3, 4));
    // Without an extra swatch its place belongs to the "&Other..." button.
    mouse(form, QEvent::MouseMove, {62, 108});
    EXPECT_EQ(form->hotCell(), TColorForm::NoCell);
    prompts.colours.push_back(std::nullopt);
    mouse(form, QEvent::MouseButtonPress, {62, 108});
    EXPECT_EQ(prompts.colourInitials.size(), 1u);
    EXPECT_TRUE(closed());
}

TEST_F(ColorSelectorTest, OtherOpensTheColourDialogPresetWithTheCurrentColour)
{
    selector->setColor(qRgb(1, 2, 3));
    prompts.colours.push_back(0x1E140A);   // 10, 20, 30
    mouse(open(), QEvent::MouseButtonPress, {20, 108});
    EXPECT_EQ(prompts.colourInitials, std::vector<std::uint32_t>{0x030201});
    EXPECT_TRUE(closed());
    EXPECT_EQ(selector->color(), qRgb(10, 20, 30));
    EXPECT_EQ(changes.count(), 1);

    // Cancelled, or the same colour confirmed: nothing changes.
    prompts.colours.push_back(std::nullopt);
    prompts.colours.push_back(0x1E140A);
    mouse(open(), QEvent::MouseButtonPress, {20, 108});
    mouse(open(), QEvent::MouseButtonPress, {20, 108});
    EXPECT_EQ(changes.count(), 1);
}

TEST_F(ColorSelectorTest, SpaceHeldDrawsPressedEvenWithThePointerOutsideAndReleasingOpens)
{
    selector->setColor(qRgb(0, 255, 0));
    selector->setFocus();
    const auto normal = picture();
    EXPECT_EQ(QColor(normal.pixel(6, 5)), QColor(0, 255, 0));   // the colour box's first inner pixel
    EXPECT_EQ(qGray(normal.pixel(33, 9)), 0);                    // the arrow's top-left corner

    QTest::keyPress(selector, Qt::Key_Space);
    EXPECT_TRUE(selector->drawnPressed());
    const auto pressed = picture();
    EXPECT_EQ(qGray(pressed.pixel(6, 5)), 0);                    // the box moved one pixel right and down
    EXPECT_EQ(QColor(pressed.pixel(7, 6)), QColor(0, 255, 0));
    EXPECT_EQ(qGray(pressed.pixel(36, 12)), 0);                  // and so did the arrow
    EXPECT_NE(qGray(pressed.pixel(33, 9)), 0);
    EXPECT_EQ(selector->dropDown(), nullptr);

    QTest::keyRelease(selector, Qt::Key_Space);
    EXPECT_FALSE(selector->drawnPressed());
    ASSERT_NE(selector->dropDown(), nullptr);
    EXPECT_TRUE(selector->dropDown()->isVisible());
}

TEST_F(ColorSelectorTest, TheMouseDrawsPressedOnlyWhileThePointerIsInside)
{
    mouse(selector, QEvent::MouseButtonPress, {5, 5});
    EXPECT_TRUE(selector->drawnPressed());
    mouse(selector, QEvent::MouseMove, {80, 5}, true);
    EXPECT_FALSE(selector->drawnPressed());
    mouse(selector, QEvent::MouseMove, {20, 5}, true);
    EXPECT_TRUE(selector->drawnPressed());
    mouse(selector, QEvent::MouseMove, {80, 5}, true);
    mouse(selector, QEvent::MouseButtonRelease, {80, 5});   // released outside: no drop-down
    EXPECT_EQ(selector->dropDown(), nullptr);
}

TEST_F(ColorSelectorTest, EnterOpensAndLosingTheFocusCloses)
{
    QSignalSpy clicks(selector, &TColorSelector::clicked);
    selector->setFocus();
    QTest::keyClick(selector, Qt::Key_Return);
    ASSERT_NE(selector->dropDown(), nullptr);
    EXPECT_EQ(clicks.count(), 1);
    QFocusEvent lost(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(selector->dropDown(), &lost);
    EXPECT_TRUE(closed());
    EXPECT_EQ(changes.count(), 0);
}

TEST_F(ColorSelectorTest, ScreenshotsOfTheOpenDropDown)
{
    const auto shots = qEnvironmentVariable("QUORVEX_SHOTS_DIR");
    if (shots.isEmpty())
        GTEST_SKIP() << "QUORVEX_SHOTS_DIR not set";
    // Four times the size, so that single pixels can be told apart.
    const auto save = [&](QWidget* widget, const char* name) {
        const auto image = widget->grab().toImage();
        image.scaled(image.size() * 4).save(shots + "/" + name + ".png");
    };
    selector->setColor(qRgb(0, 128, 128));
    save(open(), "color-form");
    selector->dropDown()->close();
    selector->setColor(qRgb(90, 40, 200));
    auto* form = open();
    mouse(form, QEvent::MouseMove, form->cellRect({2, 3}).center());
    save(form, "color-form-extra");
    form->close();
    selector->setFocus();
    save(selector, "color-selector");
    QTest::keyPress(selector, Qt::Key_Space);
    save(selector, "color-selector-pressed");
    QTest::keyRelease(selector, Qt::Key_Space);
}

} // namespace
