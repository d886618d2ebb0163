#include "gui/palette/palette_page.h"
#include "gui/host/page_host.h"
#include "gui/controls/color_selector_control.h"
#include "core/formats/palette.h"
#include "core/palette/palette_editor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyleOptionFocusRect>
#include <QVBoxLayout>
#include <algorithm>

namespace quorvex {

namespace {

constexpr int GridMargin = 3;   // room for the selection mark of the edge cells

void frame(QPainter& painter, const QRect& r, const QColor& colour)
{
    painter.setPen(colour);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(r.adjusted(0, 0, -1, -1));
}

QRgb rgbOf(const Rgb& colour)
{
    return qRgb(colour.red, colour.green, colour.blue);
}

} // namespace

// --- the grid ----------------------------------------------------------------------------

PaletteGrid::PaletteGrid(const Palette& palette, QWidget* parent) : QWidget(parent), palette_(palette)
{
    setObjectName("PaletteGrid");
    setFocusPolicy(Qt::StrongFocus);
    setFixedSize(2 * GridMargin + 16 * Cell + 1, 2 * GridMargin + 16 * Cell + 1);
}

QRect PaletteGrid::cellRect(int index) const
{
    return QRect(GridMargin + 1 + (index % 16) * Cell, GridMargin + 1 + (index / 16) * Cell, Cell - 1, Cell - 1);
}

void PaletteGrid::setSelected(int index)
{
    selected_ = index;
    update();
}

void PaletteGrid::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    // The lines between the cells.
    painter.fillRect(GridMargin, GridMargin, 16 * Cell + 1, 16 * Cell + 1, QColor(96, 96, 96));
    for (int i = 0; i < 256; ++i)
        painter.fillRect(cellRect(i), QColor(rgbOf(palette_[static_cast<std::size_t>(i)])));
    if (selected_ >= 0) {
        // Black outside, white within, black inside: visible on every colour and background.
        const auto r = cellRect(selected_);
        frame(painter, r.adjusted(-2, -2, 2, 2), Qt::black);
        frame(painter, r.adjusted(-1, -1, 1, 1), Qt::white);
        frame(painter, r, Qt::white);
        frame(painter, r.adjusted(1, 1, -1, -1), Qt::black);
    }
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect();
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

void PaletteGrid::mousePressEvent(QMouseEvent* event)
{
    const auto at = event->position().toPoint() - QPoint(GridMargin + 1, GridMargin + 1);
    if (at.x() < 0 || at.y() < 0 || at.x() >= 16 * Cell || at.y() >= 16 * Cell)
        return;
    emit selectCell(at.x() / Cell, at.y() / Cell);
}

void PaletteGrid::keyPressEvent(QKeyEvent* event)
{
    int column = std::max(selected_, 0) % 16, row = std::max(selected_, 0) / 16;
    switch (event->key()) {
    case Qt::Key_Left: column = std::max(column - 1, 0); break;
    case Qt::Key_Right: column = std::min(column + 1, 15); break;
    case Qt::Key_Up: row = std::max(row - 1, 0); break;
    case Qt::Key_Down: row = std::min(row + 1, 15); break;
    case Qt::Key_Home: column = 0; break;
    case Qt::Key_End: column = 15; break;
    default: return QWidget::keyPressEvent(event);
    }
    emit selectCell(column, row);
}

// --- the page ----------------------------------------------------------------------------

PalettePage::PalettePage(PageHost& host, QWidget* tab) : QWidget(tab), host_(host)
{
    setObjectName("PalettePage");
    auto* tabLayout = new QVBoxLayout(tab);
    tabLayout->setContentsMargins(0, 0, 0, 0);
    tabLayout->addWidget(this);

    auto* columns = new QHBoxLayout(this);
    grid_ = new PaletteGrid(palette_);
    connect(grid_, &PaletteGrid::selectCell, this, [this](int column, int row) {
        host_.guarded([&] { PaletteGridSelectCell(column, row); });
    });
    columns->addWidget(grid_, 0, Qt::AlignTop);

    auto* right = new QVBoxLayout;
    auto* colourGroup = new QGroupBox(" Color ");
    colourGroup->setObjectName("ColorGroup");
    auto* colourRows = new QGridLayout(colourGroup);
    auto label = [](const char* name, const char* text) {
        auto* l = new QLabel(text);
        l->setObjectName(name);
        return l;
    };
    colourRows->addWidget(label("IndexCaption", "Index:"), 0, 0);
    colourRows->addWidget(indexLabel_ = label("IndexLabel", "-"), 0, 1);
    colourRows->addWidget(red_ = label("RLabel", "R: 0"), 1, 0, 1, 2);
    colourRows->addWidget(green_ = label("GLabel", "G: 0"), 2, 0, 1, 2);
    colourRows->addWidget(blue_ = label("BLabel", "B: 0"), 3, 0, 1, 2);
    selector_ = new TColorSelector(host_.prompts());
    selector_->setObjectName("ColorSelector1");
    selector_->setFixedSize(selector_->sizeHint());
    connect(selector_, &TColorSelector::changeColor, this, [this] { guarded(&PalettePage::ColorSelector1ChangeColor); });
    colourRows->addWidget(selector_, 4, 0, 1, 2, Qt::AlignLeft);
    colourRows->setColumnStretch(1, 1);
    right->addWidget(colourGroup);

    auto* materialGroup = new QGroupBox(" Material ");
    materialGroup->setObjectName("MaterialGroup");
    auto* materialRows = new QGridLayout(materialGroup);
    materialRows->addWidget(label("MaterialCaption", "Material: "), 0, 0);
    material_ = new QComboBox;
    material_->setObjectName("MaterEdit");
    for (const auto& item : MaterialItems)
        material_->addItem(item.caption);
    material_->setCurrentIndex(-1);
    connect(material_, &QComboBox::activated, this, [this] { guarded(&PalettePage::MaterEditChange); });
    materialRows->addWidget(material_, 0, 1);
    shadow_ = new QCheckBox("Shadow");
    shadow_->setObjectName("ShadowBox");
    connect(shadow_, &QCheckBox::clicked, this, [this] { guarded(&PalettePage::ShadowBoxClick); });
    materialRows->addWidget(shadow_, 1, 0, 1, 2);
    background_ = new QCheckBox("Background");
    background_->setObjectName("BackGrBox");
    connect(background_, &QCheckBox::clicked, this, [this] { guarded(&PalettePage::BackGrBoxClick); });
    materialRows->addWidget(background_, 2, 0, 1, 2);
    right->addWidget(materialGroup);

    auto button = [&](const char* name, const char* caption, void (PalettePage::*handler)()) {
        auto* b = new QPushButton(caption);
        b->setObjectName(name);
        connect(b, &QPushButton::clicked, this, [this, handler] { guarded(handler); });
        right->addWidget(b);
        return b;
    };
    button("SavePalBut", "Save palette", &PalettePage::SavePalButClick);
    button("ResetPalBut", "Reset palette", &PalettePage::ResetPalButClick);
    saveMaterials_ = button("SaveMater", "Save Materials", &PalettePage::SaveMaterClick);
    toLevel_ = button("PL2But", "Save to PL2", &PalettePage::PL2ButClick);
    right->addStretch();
    columns->addLayout(right);
    columns->addStretch();
    enableControls();

    // The page holds game data: a new game folder or an activation that changed the palette or
    // the materials must replace it, or the next save would write stale data into the game.
    connect(&host_.gameEvents(), &GameEvents::gameFolderChanged, this,
            [this] { reload(GamePart::Palette | GamePart::Materials); });
    // Its own saves too: the grid then shows the values as the game keeps them (multiples of 4).
    connect(&host_.gameEvents(), &GameEvents::gameDataChanged, this,
            [this](GameParts parts) {
                if (host_.gameEvents().reloads(this, nullptr))
                    reload(parts & (GamePart::Palette | GamePart::Materials));
            });
}

void PalettePage::guarded(void (PalettePage::*handler)())
{
    host_.guarded([this, handler] { (this->*handler)(); });
}

void PalettePage::enableControls()
{
    // Nothing to edit before a cell is selected.
    const bool selected = selected_ >= 0;
    for (QWidget* control : std::initializer_list<QWidget*>{selector_, material_, shadow_, background_})
        control->setEnabled(selected);
    // Saving writes both tables: never half-read or another game's ones.
    const bool loaded = paletteLoaded_ && materialsLoaded_;
    saveMaterials_->setEnabled(loaded);
    toLevel_->setEnabled(loaded);
}

void PalettePage::readMaterials()
{
    materialsLoaded_ = false;
    materials_ = {};
    enableControls();
    materials_ = readMaterials_ = loadMaterials(host_.workspace());
    materialsLoaded_ = true;
    enableControls();
}

void PalettePage::loadPalette()
{
    paletteLoaded_ = false;
    enableControls();
    palette_ = readPalette_ = quorvex::loadPalette(host_.workspace());
    paletteLoaded_ = true;
    enableControls();
    grid_->update();
}

void PalettePage::reload(GameParts parts)
{
    if (parts.empty())
        return;
    host_.guarded([&] {
        if (parts.has(GamePart::Materials))
            readMaterials();
        if (parts.has(GamePart::Palette))
            loadPalette();
        if (selected_ >= 0)
            PaletteGridSelectCell(selected_ % 16, selected_ / 16);
    });
}

void PalettePage::PaletteGridSelectCell(int column, int row)
{
    selected_ = std::clamp(column + 16 * row, 0, 255);
    const auto& colour = palette_[static_cast<std::size_t>(selected_)];
    grid_->setSelected(selected_);
    indexLabel_->setText(QString::number(selected_));
    selector_->setColor(rgbOf(colour));
    showChannels(colour);
    material_->setCurrentIndex(static_cast<int>(materialItemFor(materials_.kind[static_cast<std::size_t>(selected_)])));
    background_->setChecked(materials_.background[static_cast<std::size_t>(selected_)] == 1);
    shadow_->setChecked(materials_.shadow[static_cast<std::size_t>(selected_)] == 1);
    enableControls();
}

void PalettePage::showChannels(const Rgb& colour)
{
    red_->setText(QString("R: %1").arg(colour.red));
    green_->setText(QString("G: %1").arg(colour.green));
    blue_->setText(QString("B: %1").arg(colour.blue));
}

void PalettePage::ColorSelector1ChangeColor()
{
    if (selected_ < 0)
        return;
    const auto colour = selector_->color();
    palette_[static_cast<std::size_t>(selected_)] = {static_cast<std::uint8_t>(qRed(colour)),
                                                     static_cast<std::uint8_t>(qGreen(colour)),
                                                     static_cast<std::uint8_t>(qBlue(colour))};
    showChannels(palette_[static_cast<std::size_t>(selected_)]);
    grid_->update();
}

void PalettePage::MaterEditChange()
{
    if (selected_ >= 0)
        materials_.kind[static_cast<std::size_t>(selected_)] = kindOfItem(material_->currentIndex());
}

void PalettePage::ShadowBoxClick()
{
    if (selected_ >= 0)
        materials_.shadow[static_cast<std::size_t>(selected_)] = shadow_->isChecked() ? 1 : 0;
}

void PalettePage::BackGrBoxClick()
{
    if (selected_ >= 0)
        materials_.background[static_cast<std::size_t>(selected_)] = background_->isChecked() ? 1 : 0;
}

void PalettePage::SaveMaterClick()
{
    host_.gameModel().save(*this);
}

std::optional<QString> PalettePage::unsavedEdits() const
{
    QStringList what;
    if (paletteLoaded_ && palette_ != readPalette_)
        what << "palette";
    if (materialsLoaded_ && materials_ != readMaterials_)
        what << "materials";
    return what.isEmpty() ? std::nullopt : std::optional(what.join(", "));
}

bool PalettePage::saveEdits()
{
    // Its report reads both back, as the game keeps them.
    return host_.guarded([this] { host_.report(saveMaterials(host_.workspace(), materials_, palette_)); });
}

void PalettePage::SavePalButClick()
{
    const auto chosen = host_.prompts().saveFile(PaletteExportFilter, {}, {});
    if (!chosen)
        return;
    const auto outcome = exportGamePalette(host_.workspace(), *chosen);
    host_.report(outcome);
    host_.gameEvents().filesChanged();
}

void PalettePage::ResetPalButClick()
{
    const auto outcome = resetPalette(host_.workspace());
    if (outcome.kind == Outcome::Kind::Nothing)   // no game: nothing happens
        return;
    host_.report(outcome);
}

void PalettePage::PL2ButClick()
{
    SaveMaterClick();
    const auto chosen = host_.prompts().saveFile(LevelFilter, {}, {});
    if (!chosen)
        return;
    host_.report(addMaterialsToLevel(host_.workspace(), *chosen));
}

} // namespace quorvex
