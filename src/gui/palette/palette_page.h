#pragma once
// The "Material/Palette" page: the 16 by 16 grid of the working palette, the colour and the
// material of the selected entry, and the four buttons that save, export, reset and embed them.
// The page holds the working palette and the materials for the whole program.
#include "core/base/game_parts.h"
#include "core/gamefile/resource_file.h"
#include "core/palette/materials.h"
#include "gui/host/game_model.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace quorvex {

class PageHost;
class TColorSelector;

// The grid: one cell per colour, index column + 16 x row; the selected cell is outlined black
// and white so that the mark shows on any colour.
class PaletteGrid : public QWidget {
    Q_OBJECT
public:
    PaletteGrid(const Palette& palette, QWidget* parent = nullptr);
    static constexpr int Cell = 24;

    int selected() const { return selected_; }
    void setSelected(int index);
    QRect cellRect(int index) const;

signals:
    void selectCell(int column, int row);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    const Palette& palette_;
    int selected_ = -1;
};

class PalettePage : public QWidget, public EditHolder {
    Q_OBJECT
public:
    // Builds itself into the main window's "Material/Palette" tab.
    PalettePage(PageHost& host, QWidget* tab);

    // Start-up steps: the materials, then the palette, from torlo.exe.
    void readMaterials();
    void loadPalette();

    const Palette& workingPalette() const { return palette_; }
    const Materials& materials() const { return materials_; }
    PaletteGrid* grid() const { return grid_; }
    TColorSelector* colorSelector() const { return selector_; }

    // The handlers; they raise file errors for the main window's boundary.
    void PaletteGridSelectCell(int column, int row);
    void ColorSelector1ChangeColor();
    void MaterEditChange();
    void ShadowBoxClick();
    void BackGrBoxClick();
    void SaveMaterClick();
    void SavePalButClick();
    void ResetPalButClick();
    void PL2ButClick();

    // The colours and materials differ from what the game held when read or saved.
    std::optional<QString> unsavedEdits() const override;
    bool saveEdits() override;
    void discardEdits() override { reload(GamePart::Palette | GamePart::Materials); }

private:
    void reload(GameParts parts);
    void enableControls();
    void showChannels(const Rgb& colour);   // the R, G and B labels
    void guarded(void (PalettePage::*handler)());

    PageHost& host_;
    Palette palette_{};
    Materials materials_{};
    Palette readPalette_{};       // as read from the game
    Materials readMaterials_{};
    bool paletteLoaded_ = false;
    bool materialsLoaded_ = false;
    int selected_ = -1;

    PaletteGrid* grid_ = nullptr;
    QLabel* indexLabel_ = nullptr;
    QLabel* red_ = nullptr;
    QLabel* green_ = nullptr;
    QLabel* blue_ = nullptr;
    TColorSelector* selector_ = nullptr;
    QComboBox* material_ = nullptr;
    QCheckBox* shadow_ = nullptr;
    QCheckBox* background_ = nullptr;
    QPushButton* saveMaterials_ = nullptr;
    QPushButton* toLevel_ = nullptr;
};

} // namespace quorvex
