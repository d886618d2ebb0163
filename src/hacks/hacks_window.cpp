#include "hacks/hacks_window.h"

namespace quorvex {

TObjForm::TObjForm(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName("ObjForm");
    setWindowTitle("Special Hacks");
}

} // namespace quorvex
