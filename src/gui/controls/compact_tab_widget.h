#pragma once
// Tabs with half the style's room beside their captions, so that the window's ten pages fit in
// one row on a 1024-pixel screen without scroll arrows.
#include <QTabWidget>

namespace quorvex {

class CompactTabWidget : public QTabWidget {
public:
    explicit CompactTabWidget(QWidget* parent = nullptr);
};

} // namespace quorvex
