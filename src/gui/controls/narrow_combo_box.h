#pragma once
// A drop-down list as wide as a number of characters whatever its rows (a long row is cut), as
// QComboBox::AdjustToMinimumContentsLengthWithIcon makes it, without setting that policy:
// setting it builds the drop-down's frame at once, which for the pages' list boxes was a
// quarter of the pages' build.
#include <QComboBox>

namespace quorvex {

class NarrowComboBox : public QComboBox {
public:
    explicit NarrowComboBox(int characters, QWidget* parent = nullptr);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

private:
    int characters_;
};

} // namespace quorvex
