#include "gui/controls/narrow_combo_box.h"

#include <QStyle>
#include <QStyleOptionComboBox>

#include <algorithm>
#include <cmath>

namespace quorvex {

NarrowComboBox::NarrowComboBox(int characters, QWidget* parent) : QComboBox(parent), characters_(characters) {}

// QComboBox's own rule for that policy: the characters and room for an icon, the font's height,
// then the style's frame and arrow around them.
QSize NarrowComboBox::sizeHint() const
{
    const QFontMetrics& metrics = fontMetrics();
    const QSize icon = iconSize();
    const int textHeight = std::max(static_cast<int>(std::ceil(QFontMetricsF(metrics).height())), 14) + 2;
    const QSize contents(characters_ * metrics.horizontalAdvance(u'X') + icon.width() + 4,
                         std::max(textHeight, icon.height() + 2));
    QStyleOptionComboBox option;
    initStyleOption(&option);
    return style()->sizeFromContents(QStyle::CT_ComboBox, &option, contents, this);
}

QSize NarrowComboBox::minimumSizeHint() const
{
    return sizeHint();
}

} // namespace quorvex
