#pragma once
// TColorSelector: a small push button that shows a colour and, when pressed, drops down
// TColorForm with twenty fixed colours and "&Other..." for the system colour dialog. The
// selector reports only colours the user picks that differ from the one it holds.
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QRgb>
#include <QWidget>
#include <array>
#include <cstdint>

namespace quorvex {

class Prompts;
class TColorForm;

// The twenty colours of the drop-down, row by row, four a row, in the toolkit's form (red in
// the low byte).
inline constexpr std::array<std::uint32_t, 20> DropDownColours = {
    16777215, 0,        12632256, 8421504,    //
    255,      128,      65535,    32896,      //
    65280,    32768,    16776960, 8421376,    //
    16711680, 8388608,  16711935, 8388736,    //
    12639424, 15780518, 15793151, 10789024,
};

QRgb fromToolkitColour(std::uint32_t colour);
std::uint32_t toToolkitColour(QRgb colour);

class TColorSelector : public QWidget {
    Q_OBJECT
public:
    // The colour dialog behind "&Other..." is asked through prompts.
    explicit TColorSelector(Prompts& prompts, QWidget* parent = nullptr);

    QRgb color() const { return colour_; }
    // Repaints when the colour differs; never reports a change.
    void setColor(QRgb colour);
    // A colour the user picked: taken, repainted and reported only when it differs.
    void pick(QRgb colour);
    // Drops down the colour window below the control, then reports clicked().
    void Click();

    bool drawnPressed() const;
    TColorForm* dropDown() const { return dropDown_; }
    QSize sizeHint() const override { return {42, 21}; }

signals:
    void changeColor();   // the user picked a different colour
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    Prompts& prompts_;
    QRgb colour_ = qRgb(0, 0, 0);
    bool mouseDown_ = false;
    bool spaceHeld_ = false;
    bool pointerInside_ = false;
    QPointer<TColorForm> dropDown_;
};

// The drop-down: a borderless window on top, 78 by 120 pixels, that closes when it loses the
// keyboard focus or when a colour is picked.
class TColorForm : public QWidget {
    Q_OBJECT
public:
    TColorForm(TColorSelector& selector, Prompts& prompts);

    // Cells count from 1: column 1..4, row 1..5; column 4, row 6 is the extra swatch of a
    // colour outside the twenty; (0, 0) is none.
    static constexpr QPoint NoCell{0, 0};
    static constexpr QPoint ExtraCell{4, 6};
    QPoint hotCell() const { return hot_; }
    bool showsExtraSwatch() const { return extraSwatch_; }
    QRect cellRect(QPoint cell) const;
    QRect otherButtonRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    QPoint cellAt(QPoint position) const;
    void chooseOther();

    QPointer<TColorSelector> selector_;
    Prompts& prompts_;
    QRgb current_;
    bool extraSwatch_;
    QPoint hot_ = NoCell;
};

} // namespace quorvex
