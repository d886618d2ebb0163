#pragma once
// TObjForm, "Special Hacks": the window of switches that patch the game's code.
#include <QWidget>

namespace quorvex {

class TObjForm : public QWidget {
    Q_OBJECT
public:
    explicit TObjForm(QWidget* parent = nullptr);
};

} // namespace quorvex
