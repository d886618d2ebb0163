#include "texts/text_editor_window.h"

namespace quorvex {

TTextForm::TTextForm(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName("TextForm");
    setWindowTitle("Text Editor");
}

} // namespace quorvex
