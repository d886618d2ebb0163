#include "gui/browser/preview_control.h"
#include "core/browser/pointer_detail.h"
#include "core/formats/file_formats.h"
#include "core/formats/graphics_mod.h"
#include "modules/desktop/qt_platform.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>

namespace quorvex {

namespace {

constexpr int StripBoxWidth = 40, StripBoxHeight = 405;
// The colour of pixel value 0 in the game's sprites: the detail view's background.
const QColor SpriteBackground(PixelZeroColour.red, PixelZeroColour.green, PixelZeroColour.blue);

QLabel* pictureLabel(const char* name, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setMouseTracking(true);
    return label;
}

} // namespace

PreviewControl::PreviewControl(QWidget* page) : QObject(page)
{
    level_ = pictureLabel("LevelImage", page);
    placeLevelPicture(false);
    // The level picture keeps its pixels whatever the window's size, stretched ones included.
    page->setMinimumSize(8 + LevelPictureWidth + 8, 1 + StretchedLevelHeight + 4);

    stripBox_ = new QScrollArea(page);
    stripBox_->setObjectName("ChrScrollBox");
    stripBox_->setGeometry(0, 0, StripBoxWidth, StripBoxHeight);
    stripBox_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    stripBox_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    strip_ = pictureLabel("ChrImage", nullptr);
    strip_->setFixedSize(GraphicsPictureWidth, GraphicsPictureHeight);
    stripBox_->setWidget(strip_);

    detail_ = pictureLabel("ChrImage2", page);
    detail_->setScaledContents(true);
    detail_->setGeometry(StripBoxWidth, 0, DetailViewSize, DetailViewSize);
    detailImage_ = QImage(DetailViewSize, DetailViewSize, QImage::Format_RGB32);
    detailImage_.fill(SpriteBackground);

    for (QLabel* picture : {level_, strip_, detail_})
        picture->installEventFilter(this);
    stripBox_->hide();
    detail_->hide();
}

void PreviewControl::placeLevelPicture(bool stretched)
{
    level_->setGeometry(8, stretched ? 1 : 35, LevelPictureWidth, stretched ? StretchedLevelHeight : LevelPictureHeight);
    showLevelImage();
}

void PreviewControl::showLevelImage()
{
    // Scaled by whole pixels, as the game's tools do: a 16x16 palette grid stays a grid of
    // sharp cells instead of a blur.
    if (!levelImage_.isNull())
        level_->setPixmap(QPixmap::fromImage(levelImage_.scaled(level_->size(), Qt::IgnoreAspectRatio, Qt::FastTransformation)));
}

void PreviewControl::show(Preview::Kind kind, const std::filesystem::path& bitmapFile)
{
    if (kind == Preview::Kind::None)
        return;
    const QImage image(fromPath(bitmapFile));
    if (image.isNull()) {
        clear(kind);
        return;
    }
    const bool graphics = kind == Preview::Kind::Graphics;
    if (graphics) {
        stripImage_ = image.convertToFormat(QImage::Format_RGB32);
        strip_->setPixmap(QPixmap::fromImage(stripImage_));
        detailImage_.fill(SpriteBackground);
        detail_->setPixmap(QPixmap::fromImage(detailImage_));
        stripBox_->verticalScrollBar()->setValue(0);
    } else {
        levelImage_ = image;
        showLevelImage();
    }
    level_->setVisible(!graphics);
    stripBox_->setVisible(graphics);
    detail_->setVisible(graphics);
}

void PreviewControl::clear(Preview::Kind kind)
{
    if (kind == Preview::Kind::None)
        return;
    const bool graphics = kind == Preview::Kind::Graphics;
    if (graphics) {
        stripImage_ = QImage();
        strip_->clear();
        detailImage_.fill(SpriteBackground);
        detail_->setPixmap(QPixmap::fromImage(detailImage_));
    } else {
        levelImage_ = QImage();
        level_->clear();
    }
    level_->setVisible(!graphics);
    stripBox_->setVisible(graphics);
    detail_->setVisible(graphics);
}

bool PreviewControl::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove) {
        const auto at = static_cast<QMouseEvent*>(event)->position().toPoint();
        if (watched == level_)
            LevelMouseMove(at);
        else if (watched == strip_)
            ChrImageMouseMove(at);
        else if (watched == detail_)
            ChrImage2MouseMove(at);
    } else if (event->type() == QEvent::Leave) {
        emit colourText("Color:");   // the pointer is over no colour any more
    }
    return QObject::eventFilter(watched, event);
}

void PreviewControl::LevelMouseMove(QPoint at)
{
    if (const auto* format = fileFormatOf(extension_); format && previewsAPalette(*format))
        emit colourText(QString("Color: %1").arg(paletteCellAt(at.x(), at.y(), level_->height())));
}

void PreviewControl::ChrImageMouseMove(QPoint at)
{
    if (stripImage_.isNull() || !stripImage_.valid(at))
        return;
    const auto sprite = spriteAt(at.y());
    detailImage_.fill(SpriteBackground);
    QPainter painter(&detailImage_);
    for (int y = 0; y < sprite.size; ++y)
        for (int x = 0; x < sprite.size; ++x)
            if (stripImage_.valid(x, sprite.firstRow + y))
                painter.fillRect(x * sprite.side, y * sprite.side, sprite.side, sprite.side,
                                 stripImage_.pixelColor(x, sprite.firstRow + y));
    painter.end();
    detail_->setPixmap(QPixmap::fromImage(detailImage_));
    emit colourText(QString("Color: %1").arg(qRed(stripImage_.pixel(at))));
}

void PreviewControl::ChrImage2MouseMove(QPoint at)
{
    if (detailImage_.valid(at))
        emit colourText(QString("Color: %1").arg(qRed(detailImage_.pixel(at))));
}

} // namespace quorvex
