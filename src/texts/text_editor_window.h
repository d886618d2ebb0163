#pragma once
// TTextForm, "Text Editor": every on-screen text of the game.
#include <QWidget>

namespace quorvex {

class TTextForm : public QWidget {
    Q_OBJECT
public:
    explicit TTextForm(QWidget* parent = nullptr);
};

} // namespace quorvex
