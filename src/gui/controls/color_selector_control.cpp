#include "gui/controls/color_selector_control.h"
#include "core/base/services.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>
#include <algorithm>

namespace quorvex {

namespace {

const QColor EtchGrey(128, 128, 128);          // 8421504
const QColor SwatchLightGrey(223, 223, 223);   // 14671839

// Rectangles are given from the first corner inclusive to the second exclusive.
QRect span(int x1, int y1, int x2, int y2)
{
    return QRect(x1, y1, x2 - x1, y2 - y1);
}

// A one-pixel frame on the edge of r.
void frame(QPainter& painter, const QRect& r, const QColor& colour)
{
    painter.fillRect(r.left(), r.top(), r.width(), 1, colour);
    painter.fillRect(r.left(), r.bottom(), r.width(), 1, colour);
    painter.fillRect(r.left(), r.top(), 1, r.height(), colour);
    painter.fillRect(r.right(), r.top(), 1, r.height(), colour);
}

void buttonFace(QPainter& painter, QWidget* widget, const QRect& r, bool pressed)
{
    QStyleOptionButton option;
    option.initFrom(widget);
    option.rect = r;
    option.state |= pressed ? QStyle::State_Sunken : QStyle::State_Raised;
    widget->style()->drawPrimitive(QStyle::PE_PanelButtonCommand, &option, &painter, widget);
}

// A swatch with a sunken two-pixel border, filled inset by 2 pixels.
void swatch(QPainter& painter, const QRect& r, QRgb colour)
{
    painter.fillRect(r.left(), r.top(), r.width(), 1, EtchGrey);
    painter.fillRect(r.left(), r.top(), 1, r.height(), EtchGrey);
    painter.fillRect(r.left(), r.bottom(), r.width(), 1, Qt::white);
    painter.fillRect(r.right(), r.top(), 1, r.height(), Qt::white);
    const auto inner = r.adjusted(1, 1, -1, -1);
    painter.fillRect(inner.left(), inner.top(), inner.width(), 1, Qt::black);
    painter.fillRect(inner.left(), inner.top(), 1, inner.height(), Qt::black);
    painter.fillRect(inner.left(), inner.bottom(), inner.width(), 1, SwatchLightGrey);
    painter.fillRect(inner.right(), inner.top(), 1, inner.height(), SwatchLightGrey);
    painter.fillRect(r.adjusted(2, 2, -2, -2), QColor(colour));
}

int dropDownIndexOf(QRgb colour)
{
    const auto toolkit = toToolkitColour(colour);
    const auto it = std::find(DropDownColours.begin(), DropDownColours.end(), toolkit);
    return it == DropDownColours.end() ? -1 : static_cast<int>(it - DropDownColours.begin());
}

} // namespace

QRgb fromToolkitColour(std::uint32_t colour)
{
    return qRgb(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                static_cast<int>((colour >> 16) & 0xFF));
}

std::uint32_t toToolkitColour(QRgb colour)
{
    return static_cast<std::uint32_t>(qRed(colour)) | static_cast<std::uint32_t>(qGreen(colour)) << 8
           | static_cast<std::uint32_t>(qBlue(colour)) << 16;
}

// --- TColorSelector ----------------------------------------------------------------------

TColorSelector::TColorSelector(Prompts& prompts, QWidget* parent) : QWidget(parent), prompts_(prompts)
{
    setFocusPolicy(Qt::StrongFocus);   // a tab stop
    setAttribute(Qt::WA_OpaquePaintEvent);   // the face covers everything; no erasing
    resize(sizeHint());
}

void TColorSelector::setColor(QRgb colour)
{
    colour = colour | 0xFF000000u;
    if (colour == colour_)
        return;
    colour_ = colour;
    update();
}

void TColorSelector::pick(QRgb colour)
{
    if ((colour | 0xFF000000u) == colour_)
        return;
    setColor(colour);
    emit changeColor();
}

bool TColorSelector::drawnPressed() const
{
    return (mouseDown_ && pointerInside_) || spaceHeld_;
}

void TColorSelector::Click()
{
    if (dropDown_)
        dropDown_->close();
    dropDown_ = new TColorForm(*this, prompts_);
    dropDown_->move(mapToGlobal(QPoint(0, height())));
    dropDown_->show();
    dropDown_->setFocus(Qt::PopupFocusReason);
    emit clicked();
}

void TColorSelector::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int w = width(), h = height(), q = w / 4;
    const bool pressed = drawnPressed();
    const int d = pressed ? 1 : 0;   // the pressed face shifts its contents one pixel

    painter.fillRect(rect(), palette().color(QPalette::Window));
    buttonFace(painter, this, rect(), pressed);

    // Etched separator before the arrow.
    const int sx = w - q - 1 + d;
    const int sy1 = pressed ? 4 : 3, sy2 = pressed ? h - 2 : h - 3;
    painter.fillRect(span(sx, sy1, sx + 1, sy2), EtchGrey);
    painter.fillRect(span(sx + 1, sy1, sx + 2, sy2), Qt::white);

    // The colour box. The outline and arrow take the button text colour, black on the usual
    // light faces and light on dark ones, so both stay visible.
    const auto ink = palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText);
    const auto box = pressed ? span(6, 5, w - q - 4, h - 3) : span(5, 4, w - q - 5, h - 4);
    painter.fillRect(box, ink);
    painter.fillRect(box.adjusted(1, 1, -1, -1), isEnabled() ? QColor(colour_) : palette().color(QPalette::Button));

    // The arrow: (x, y), (x + 4, y), (x + 2, y + 2), filled.
    const int ax = w - q + q / 2 - 4 + d, ay = h / 2 - 1 + d;
    for (int row = 0; row <= 2; ++row)
        painter.fillRect(span(ax + row, ay + row, ax + 5 - row, ay + row + 1), ink);

    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = pressed ? rect().adjusted(4, 4, -2, -2) : rect().adjusted(3, 3, -3, -3);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

void TColorSelector::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    mouseDown_ = true;
    pointerInside_ = rect().contains(event->position().toPoint());
    setFocus(Qt::MouseFocusReason);
    update();
}

void TColorSelector::mouseMoveEvent(QMouseEvent* event)
{
    // While the button is held the pointer is grabbed: enter and leave are not reported.
    const bool inside = rect().contains(event->position().toPoint());
    if (mouseDown_ && inside != pointerInside_) {
        pointerInside_ = inside;
        update();
    }
}

void TColorSelector::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !mouseDown_)
        return QWidget::mouseReleaseEvent(event);
    mouseDown_ = false;
    pointerInside_ = rect().contains(event->position().toPoint());
    update();
    if (pointerInside_)
        Click();
}

void TColorSelector::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
        spaceHeld_ = true;
        update();
    } else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Click();
    } else {
        QWidget::keyPressEvent(event);
    }
}

void TColorSelector::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat() && spaceHeld_) {
        spaceHeld_ = false;
        update();
        Click();
    } else {
        QWidget::keyReleaseEvent(event);
    }
}

void TColorSelector::enterEvent(QEnterEvent* event)
{
    pointerInside_ = true;
    update();
    QWidget::enterEvent(event);
}

void TColorSelector::leaveEvent(QEvent* event)
{
    pointerInside_ = false;
    update();
    QWidget::leaveEvent(event);
}

void TColorSelector::focusInEvent(QFocusEvent* event)
{
    update();
    QWidget::focusInEvent(event);
}

void TColorSelector::focusOutEvent(QFocusEvent* event)
{
    // The space bar released elsewhere would leave the control drawn pressed.
    spaceHeld_ = false;
    update();
    QWidget::focusOutEvent(event);
}

void TColorSelector::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange)
        update();
    QWidget::changeEvent(event);
}

// --- TColorForm --------------------------------------------------------------------------

TColorForm::TColorForm(TColorSelector& selector, Prompts& prompts)
    : QWidget(&selector, Qt::Popup | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      selector_(&selector), prompts_(prompts), current_(selector.color())
{
    setObjectName("ColorForm");
    setAttribute(Qt::WA_DeleteOnClose);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setFixedSize(78, 120);
    const int at = dropDownIndexOf(current_);
    extraSwatch_ = at < 0;
    hot_ = extraSwatch_ ? ExtraCell : QPoint(at % 4 + 1, at / 4 + 1);
}

QRect TColorForm::cellRect(QPoint cell) const
{
    if (cell == ExtraCell)
        return span(width() - 20, height() - 20, width() - 4, height() - 4);
    const int j = cell.x(), i = cell.y();
    return span(18 * j - 14, 18 * i - 14, 18 * j + 2, 18 * i + 2);
}

QRect TColorForm::otherButtonRect() const
{
    return span(3, height() - 21, extraSwatch_ ? 56 : 65, height() - 3);
}

QPoint TColorForm::cellAt(QPoint p) const
{
    const auto strictlyInside = [p](const QRect& r) {
        return p.x() > r.left() && p.x() < r.right() + 1 && p.y() > r.top() && p.y() < r.bottom() + 1;
    };
    for (int i = 1; i <= 5; ++i)
        for (int j = 1; j <= 4; ++j)
            if (strictlyInside(cellRect({j, i}).adjusted(-2, -2, 2, 2)))
                return {j, i};
    // Only a shown extra swatch is a cell: its place lies over the full-width "&Other..." button.
    if (extraSwatch_ && strictlyInside(cellRect(ExtraCell)))
        return ExtraCell;
    return NoCell;
}

void TColorForm::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int w = width(), h = height();
    painter.fillRect(rect(), palette().color(QPalette::Window));
    buttonFace(painter, this, rect(), false);
    for (int i = 1; i <= 5; ++i)
        for (int j = 1; j <= 4; ++j)
            swatch(painter, cellRect({j, i}), fromToolkitColour(DropDownColours[static_cast<std::size_t>(4 * (i - 1) + j - 1)]));
    if (extraSwatch_)
        swatch(painter, cellRect(ExtraCell), current_);

    painter.fillRect(span(4, h - 24, w - 4, h - 23), EtchGrey);
    painter.fillRect(span(4, h - 23, w - 4, h - 22), Qt::white);

    QStyleOptionButton other;
    other.initFrom(this);
    other.rect = otherButtonRect();
    other.state |= QStyle::State_Raised;
    other.text = "&Other...";
    style()->drawControl(QStyle::CE_PushButton, &other, &painter, this);

    if (hot_ != NoCell) {
        const auto r = cellRect(hot_);
        frame(painter, r.adjusted(-1, -1, 1, 1), Qt::black);
        frame(painter, r, Qt::white);
        frame(painter, r.adjusted(1, 1, -1, -1), Qt::black);
    }
}

void TColorForm::mouseMoveEvent(QMouseEvent* event)
{
    const auto cell = cellAt(event->position().toPoint());
    if (cell != hot_) {
        hot_ = cell;
        update();
    }
}

void TColorForm::mousePressEvent(QMouseEvent* event)
{
    const auto at = event->position().toPoint();
    // A press outside the window closes it (the toolkit's rule for drop-downs).
    if (!rect().contains(at))
        return QWidget::mousePressEvent(event);
    hot_ = cellAt(at);
    if (hot_ != NoCell) {
        const auto colour = hot_ == ExtraCell ? current_
                                              : fromToolkitColour(DropDownColours[static_cast<std::size_t>(
                                                    4 * (hot_.y() - 1) + hot_.x() - 1)]);
        const QPointer<TColorSelector> selector = selector_;
        close();
        if (selector)
            selector->pick(colour);
    } else if (otherButtonRect().contains(at)) {
        chooseOther();
    }
}

void TColorForm::keyPressEvent(QKeyEvent* event)
{
    // The underlined letter of "&Other..." opens the dialog; Escape closes as any drop-down.
    if (event->key() == Qt::Key_O)
        chooseOther();
    else
        QWidget::keyPressEvent(event);
}

void TColorForm::chooseOther()
{
    // The drop-down closes as the dialog takes the focus; nothing of it is used afterwards.
    const QPointer<TColorSelector> selector = selector_;
    auto& prompts = prompts_;
    const auto current = current_;
    close();
    const auto chosen = prompts.chooseColour(toToolkitColour(current));
    if (chosen && selector)
        selector->pick(fromToolkitColour(*chosen));
}

void TColorForm::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    if (event->reason() != Qt::PopupFocusReason)
        close();
}

} // namespace quorvex
