#pragma once
// The "Options" page: the settings that "Do all" stores. Start-up fills it from the settings.
#include <QWidget>

class QCheckBox;
class QLineEdit;

namespace quorvex {

class OptionsPage : public QWidget {
    Q_OBJECT
public:
    explicit OptionsPage(QWidget* parent = nullptr);

    QLineEdit* pathEdit;
    QLineEdit* fontEdit;
    QCheckBox* powerlevelBox;   // "Create Powerlevel"
    QCheckBox* stretchBox;      // "Stretch level"
    QCheckBox* soundBox;        // "Use sound"
    QCheckBox* usePaletteBox;   // "Use Torlo palette for preview"
    QCheckBox* lwp2Box;         // "Create LWP2 instead of LWP1"
    QCheckBox* sortBox;         // "Sort files on extension", hidden and always ticked
};

} // namespace quorvex
