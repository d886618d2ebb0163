#include "gui/controls/drawn_frames_style.h"

#include <QApplication>
#include <QGroupBox>
#include <QPainter>
#include <QStyleOption>
#include <algorithm>

namespace quorvex {

void DrawnFramesStyle::install(QApplication& application)
{
    if (application.style()->name().compare("fusion", Qt::CaseInsensitive) == 0)
        QApplication::setStyle(new DrawnFramesStyle(QApplication::style()->name()));
}

void DrawnFramesStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                     const QWidget* widget) const
{
    if (element != PE_FrameGroupBox) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    // Fusion's frame: a faint grey rounded border over a barely darkened inside; a box with a
    // title or a tick starts below them, with Fusion's margin of 3.
    constexpr int topMargin = 3;
    int top = topMargin;
    if (const auto* box = qobject_cast<const QGroupBox*>(widget); !box || box->isCheckable() || !box->title().isEmpty())
        top += std::max(proxy()->pixelMetric(PM_ExclusiveIndicatorHeight, option, widget), option->fontMetrics.height());
    const QRect frame = option->rect.adjusted(0, top, 0, 0);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(QColor(0x75, 0x75, 0x75, 0x32));
    painter->setBrush(QColor(0, 0, 0, 0x03));
    painter->drawRoundedRect(QRectF(frame).adjusted(1.5, 1.5, -1.5, -1.5), 2.5, 2.5);
    painter->setPen(QColor(0, 0, 0, 0x07));
    painter->drawLine(QPointF(frame.left() + 3.5, frame.top() + 2.5), QPointF(frame.right() - 2.5, frame.top() + 2.5));
    painter->restore();
}

} // namespace quorvex
