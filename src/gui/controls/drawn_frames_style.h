#pragma once
// The Fusion style with its group box frame drawn rather than decoded: Fusion draws the frame
// from an image, and the first decoded image of a run loads Qt's image format plugins, which
// made the main window's first paint wait for them. Other styles are left as they are.
#include <QProxyStyle>

class QApplication;

namespace quorvex {

class DrawnFramesStyle final : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    // Wraps the application's style when it is Fusion; call before any window is shown.
    static void install(QApplication& application);

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
};

} // namespace quorvex
