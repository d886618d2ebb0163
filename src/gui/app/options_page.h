#pragma once
// The "Options" page: the settings that "Do all" stores together with the blood amount and the
// file associations; the colour scheme and "Delete Logfile" act at once.
#include "core/shell/associations.h"

#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

namespace quorvex {

class PageHost;

// The open-file dialog's filter when asking for the game.
inline constexpr const char* TorloExeFilter = "Torlo.exe|Torlo.exe|All executables|*.exe";

class OptionsPage : public QWidget {
    Q_OBJECT
public:
    // What the page changes on the main window at once.
    struct Window {
        std::function<void(bool stretched)> placeLevelPicture;
        std::function<void(const QString& family)> setFont;
        std::function<void()> applyColourScheme;   // repaints the window in the stored colours
        std::function<std::int64_t()> randomColour;   // at least 0, below 16777215
    };
    OptionsPage(PageHost& host, FileClassStore& fileClasses, Window window, QWidget* parent = nullptr);

    // Adds a group of another subsystem below the page's own groups.
    void addGroup(QWidget* group);

    // The handlers; they raise file and number errors for the main window's boundary.
    void DoAllButtonClick();
    void BrowseButtonClick();
    void ColorComboChange(int index);
    void DeleteLogButClick();

    QLineEdit* bloodEdit;
    QLineEdit* pathEdit;
    QComboBox* colourCombo;
    QLineEdit* fontEdit;
    QLineEdit* runCommandEdit;   // "RunCommand": the emulator's command line
    QLineEdit* textEditorEdit;   // "TextEditor": empty for the system's opener
    std::array<QCheckBox*, AssociationKinds.size()> extensionBoxes{};
    QCheckBox* fontsBox;        // "Fonts", hidden and always clear
    QCheckBox* powerlevelBox;   // "Create Powerlevel"
    QCheckBox* stretchBox;      // "Stretch level"
    QCheckBox* soundBox;        // "Use sound"
    QCheckBox* usePaletteBox;   // "Use Torlo palette for preview"
    QCheckBox* lwp2Box;         // "Create LWP2 instead of LWP1"
    QCheckBox* sortBox;         // "Sort files on extension", hidden and always ticked

private:
    QWidget* buildBloodGroup();
    QWidget* buildPathGroup();
    QWidget* buildAppearanceGroup();
    QWidget* buildProgramsGroup();
    QWidget* buildExtensionsGroup();
    QWidget* buildMiscGroup();
    void storeSettings();

    PageHost& host_;
    FileClassStore& fileClasses_;
    Window window_;
    QVBoxLayout* groups_ = nullptr;   // the left column, where addGroup puts more
};

} // namespace quorvex
