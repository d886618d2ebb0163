#include "gui/controls/drawn_pictures.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QScreen>

namespace quorvex {

namespace {

// A transparent pixmap of size logical pixels, sharp on the screen's pixel ratio.
QPixmap canvas(int width, int height)
{
    const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    QPixmap pixmap(QSize(width, height) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

} // namespace

QIcon folderIcon(bool open)
{
    auto pixmap = canvas(16, 16);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor edge(0x8a, 0x6a, 0x1c), back(0xe8, 0xb8, 0x40), front(0xf8, 0xd8, 0x70);
    painter.setPen(QPen(edge, 1));
    // The back with its tab, then the front: flat when closed, tilted open.
    painter.setBrush(back);
    painter.drawPolygon(QPolygonF({{1.5, 13.5}, {1.5, 3.5}, {6.0, 3.5}, {7.5, 5.0}, {14.5, 5.0}, {14.5, 13.5}}));
    painter.setBrush(front);
    painter.drawPolygon(open ? QPolygonF({{1.5, 13.5}, {4.0, 7.5}, {15.5, 7.5}, {13.5, 13.5}})
                             : QPolygonF({{1.5, 13.5}, {1.5, 6.5}, {14.5, 6.5}, {14.5, 13.5}}));
    painter.end();
    return QIcon(pixmap);
}

QPixmap makerLogo()
{
    const QColor night(0x10, 0x20, 0x5a), sky(0x2b, 0xaf, 0xf7), worm(0x2b, 0xf7, 0xaf), sun(0xf7, 0xaf, 0x2b),
        earth(0x7a, 0x4a, 0x1c);
    auto pixmap = canvas(120, 48);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(sky, 2));
    painter.setBrush(night);
    painter.drawRoundedRect(QRectF(1, 1, 118, 46), 8, 8);

    QPainterPath hill;
    hill.moveTo(4, 40);
    hill.quadTo(14, 30, 24, 36);
    hill.quadTo(34, 42, 44, 38);
    hill.lineTo(44, 46);
    hill.lineTo(4, 46);
    hill.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(earth);
    painter.drawPath(hill);

    painter.setPen(QPen(worm, 5, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QPointF(24, 22), 12, 12);
    QPainterPath tail;
    tail.moveTo(30, 30);
    tail.quadTo(36, 38, 42, 34);
    painter.drawPath(tail);
    painter.setPen(Qt::NoPen);
    painter.setBrush(night);
    painter.drawEllipse(QPointF(41, 33), 1.6, 1.6);
    painter.setBrush(sun);
    painter.drawEllipse(QPointF(33, 11), 2.5, 2.5);

    QFont font("DejaVu Sans");
    font.setPixelSize(13);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(sky);
    painter.drawText(QPointF(52, 22), "Morvane");
    font.setPixelSize(10);
    font.setBold(false);
    painter.setFont(font);
    painter.setPen(sun);
    painter.drawText(QPointF(52, 37), "Quorvex");
    painter.end();
    return pixmap;
}

} // namespace quorvex
