#pragma once
// The "Graphics" page: the level picture (levels, level bitmaps, palettes), the sprite strip of
// a graphics mod in its scroll box, and the detail view that magnifies the sprite under the
// pointer. What lies under the pointer goes out as the colour text.
#include "core/formats/preview.h"

#include <QImage>
#include <QObject>

#include <filesystem>
#include <string>

class QLabel;
class QScrollArea;
class QWidget;

namespace quorvex {

class PreviewControl : public QObject {
    Q_OBJECT
public:
    explicit PreviewControl(QWidget* page);

    // Loads the bitmap file into the picture that suits kind; None leaves the page as it is.
    // A file that does not load clears that picture.
    void show(Preview::Kind kind, const std::filesystem::path& bitmapFile);
    // Empties the picture that suits kind, so an earlier file's picture never passes for this one.
    void clear(Preview::Kind kind);
    void placeLevelPicture(bool stretched);
    // The selected extension decides whether the level picture reports palette cells.
    void setSelectedExtension(const std::string& upperExtension) { extension_ = upperExtension; }

signals:
    void colourText(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void LevelMouseMove(QPoint at);
    void ChrImageMouseMove(QPoint at);
    void ChrImage2MouseMove(QPoint at);
    void showLevelImage();

    QLabel* level_;
    QScrollArea* stripBox_;
    QLabel* strip_;
    QLabel* detail_;
    QImage levelImage_;
    QImage stripImage_;
    QImage detailImage_;
    std::string extension_;
};

} // namespace quorvex
