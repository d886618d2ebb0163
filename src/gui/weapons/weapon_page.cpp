#include "gui/weapons/weapon_page.h"
#include "gui/host/page_host.h"
#include "core/text/cp437.h"
#include "gui/controls/field_panel.h"
#include "core/gamefile/resource_file.h"
#include "modules/desktop/qt_platform.h"
#include "gui/weapons/table_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

namespace quorvex {

namespace {

const char* const NoSpriteReason = "No sprite to show: weapon.bmp could not be built, because TORLO.CHR is missing "
                                   "or shorter than 35028 bytes";

std::size_t fieldOf(std::string_view control)
{
    return *weaponFieldByControl(control);
}

} // namespace

WeaponPage::WeaponPage(PageHost& host, QWidget* tab)
    : QWidget(tab), host_(host), preview_(SpritePreviewSide, SpritePreviewSide, QImage::Format_RGB32)
{
    setObjectName("WeaponPage");
    preview_.fill(Qt::black);
    auto [leftColumn, columns] = buildPageColumns(this, tab);
    auto* left = leftColumn;   // a variable, not a binding: clang 14 cannot capture a structured binding
    list_ = new QListWidget;
    list_->setObjectName("WeaponList");
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setFixedWidth(list_->fontMetrics().horizontalAdvance(QString(places::WeaponNameMax, 'N'))
                         + list_->verticalScrollBar()->sizeHint().width() + 2 * list_->frameWidth() + 4);
    connect(list_, &QListWidget::currentRowChanged, this, [this] { guarded(&WeaponPage::WeaponListClick); });
    left->addWidget(list_, 1);

    auto button = [&](const char* name, const char* caption) {
        auto* b = new QPushButton(caption);
        b->setObjectName(name);
        left->addWidget(b);
        return b;
    };
    saveButton_ = button("SaveCurrentBut", "Save weapons");
    connect(saveButton_, &QPushButton::clicked, this, [this] { host_.gameModel().save(*this); });
    pluginButton_ = button("LWPBut", "Save as plugin");
    connect(pluginButton_, &QPushButton::clicked, this, [this] { guarded(&WeaponPage::LWPButClick); });
    // Until a weapon is shown there is no table to save: a start-up that failed before loading
    // it must not let a table of zeros overwrite the game's.
    saveButton_->setEnabled(false);
    pluginButton_->setEnabled(false);
    auto* saveIn = button("LWP2But", "Save in plugin");
    connect(saveIn, &QPushButton::clicked, this, [this] { guarded(&WeaponPage::LWP2ButClick); });
    auto* sort = button("SortWBut", "Sort weapons");
    sort->setEnabled(false);
    connect(sort, &QPushButton::clicked, this, [this] { guarded(&WeaponPage::SortWButClick); });

    fields_ = new FieldPanel(host_, this);
    connect(fields_, &FieldPanel::left, this, [this] { guarded(&WeaponPage::WapenVerander); });
    connect(fields_, &FieldPanel::edited, this, [this](std::size_t k) {
        if (WeaponFields[k].kind == FieldKind::Frame)
            guarded(&WeaponPage::Edit32Change);
    });
    tabs_ = new QTabWidget;
    tabs_->setObjectName("WeaponTabs");
    for (int page = 1; page <= 4; ++page)
        tabs_->addTab(buildSubPage(page), QString("Page %1").arg(page));
    columns->addWidget(tabs_, 1);

    // The table is held in memory: a new game folder must never receive the old game's table.
    connect(&host_.gameEvents(), &GameEvents::gameFolderChanged, this, [this] { reload(); });
    connect(&host_.gameEvents(), &GameEvents::gameDataChanged, this, [this](GameParts parts, const QObject* from) {
        if (host_.gameEvents().reloads(this, from) && parts.has(GamePart::Weapons))
            reload();
    });
}

void WeaponPage::reload()
{
    loaded_ = false;
    shown_ = -1;
    saveButton_->setEnabled(false);
    pluginButton_->setEnabled(false);
    host_.guarded([this] {
        const int row = std::max(selectedWeapon(), 0);
        Load();
        selectWeapon(row);
        WeaponListClick();
    });
}

QWidget* WeaponPage::buildSubPage(int page)
{
    auto* sub = new QWidget;
    sub->setObjectName(QString("WeaponPage%1").arg(page));
    auto* rows = buildFieldRows(sub);
    if (page == 1) {
        nameEdit_ = new QLineEdit;
        nameEdit_->setObjectName("NameEdit");
        nameEdit_->setMaxLength(static_cast<int>(places::WeaponNameMax));
        nameEdit_->setFixedWidth(130);
        nameEdit_->installEventFilter(this);
        rows->addRow("Name", nameEdit_);
    }
    for (std::size_t k = 0; k < WeaponFields.size(); ++k) {
        const auto& field = WeaponFields[k];
        if (field.page != page)
            continue;
        // The rows run page by page in table order, so a field's number is its table index.
        const auto added = fields_->addRow(rows, describeField(field));
        Q_ASSERT(added == k);
        if (field.kind == FieldKind::Frame) {
            auto* bullet = new QPushButton("Make Bullet");
            bullet->setObjectName("Button1");
            connect(bullet, &QPushButton::clicked, this, [this] { guarded(&WeaponPage::Button1Click); });
            fields_->line(k)->insertWidget(1, bullet);
        }
        if (field.pluginKey == "ANIMLOOP:") {
            previewLabel_ = new QLabel;
            previewLabel_->setObjectName("WPImage");
            previewLabel_->setFixedSize(2 * SpritePreviewSide, 2 * SpritePreviewSide);
            previewLabel_->setPixmap(QPixmap::fromImage(preview_.scaled(previewLabel_->size())));
            rows->addRow("Animation preview", previewLabel_);
        }
    }
    return sub;
}

void WeaponPage::guarded(void (WeaponPage::*handler)())
{
    host_.guarded([this, handler] { (this->*handler)(); });
}

bool WeaponPage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != nameEdit_ || event->type() != QEvent::FocusOut || handling_)
        return false;
    // Only a move to another control counts as leaving the box: focus taken away by another
    // window or a popup (our own message box among them) is not.
    const auto reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
        return false;
    handling_ = true;
    guarded(&WeaponPage::NameEditExit);
    handling_ = false;
    return false;
}

// --- start-up ----------------------------------------------------------------------------

void WeaponPage::Load()
{
    data_ = loadWeapons(host_.workspace());
    saved_ = data_.table;
    loaded_ = true;
    const QSignalBlocker quiet(list_);
    list_->clear();
    for (const auto& name : data_.names)
        list_->addItem(fromGameText(name));
}

void WeaponPage::paintSwatchesBlack()
{
    fields_->paintSwatchesBlack();
}

void WeaponPage::showFirst()
{
    selectWeapon(0);
    WeaponListClick();
}

// --- handlers ----------------------------------------------------------------------------

int WeaponPage::selectedWeapon() const
{
    // The current row, not the selection: a click makes a row current before it selects it.
    const int row = list_->currentRow();
    return isWeaponNumber(row) ? row : -1;
}

void WeaponPage::selectWeapon(int row)
{
    const QSignalBlocker quiet(list_);
    list_->setCurrentRow(row);
}

void WeaponPage::WeaponListClick()
{
    // The table keeps the edits of the weapon shown before; a number that does not convert
    // keeps that weapon selected.
    if (shown_ >= 0 && shown_ != selectedWeapon()) {
        try {
            WapenVerander();
        } catch (...) {
            selectWeapon(shown_);
            throw;
        }
    }
    // The fields are saved without the sprite picture, so nothing about it may keep these off.
    const bool selected = selectedWeapon() >= 0;
    saveButton_->setEnabled(selected);
    pluginButton_->setEnabled(selected);
    LeesWapen();
}

void WeaponPage::LeesWapen()
{
    const int weapon = selectedWeapon();
    if (weapon < 0)
        return;
    nameEdit_->setText(list_->item(weapon)->text());
    const auto page = showWeapon(data_.table, weapon);
    for (std::size_t k = 0; k < page.size(); ++k)
        setFieldValue(k, page[k]);
    shown_ = weapon;
    shownValues_ = pageValues();
    picture_.reset();
    const auto bitmap = host_.workspace().weaponBitmap();
    std::error_code error;
    if (std::filesystem::is_regular_file(bitmap, error))
        picture_.emplace(readWholeFile(bitmap));
    drawPreview();
}

void WeaponPage::WapenVerander()
{
    if (shown_ < 0)
        return;
    const auto page = pageValues();
    copyPageToTable(data_.table, shown_, page);
    shownValues_ = page;
}

WeaponPageValues WeaponPage::pageValues() const
{
    WeaponPageValues page;
    for (std::size_t k = 0; k < page.size(); ++k)
        page[k] = fieldValue(k);
    return page;
}

bool WeaponPage::hasUnsavedEdits() const
{
    return loaded_ && (data_.table.bytes != saved_.bytes || (shown_ >= 0 && pageValues() != shownValues_));
}

std::optional<QString> WeaponPage::unsavedEdits() const
{
    if (!hasUnsavedEdits())
        return std::nullopt;
    QStringList names;
    for (int weapon = 0; weapon < static_cast<int>(data_.names.size()); ++weapon)
        if ((weapon == shown_ && pageValues() != shownValues_) || showWeapon(data_.table, weapon) != showWeapon(saved_, weapon))
            names << fromGameText(data_.names[static_cast<std::size_t>(weapon)]);
    return names.join(", ");
}

bool WeaponPage::saveEdits()
{
    return host_.guarded([this] { SaveCurrentButClick(); });
}

void WeaponPage::NameEditExit()
{
    const int weapon = selectedWeapon();
    if (weapon < 0)
        return;
    std::string typed;
    try {
        typed = toGameText(nameEdit_->text());
    } catch (const CharacterError&) {
        // Refused with the boundary's message; the box shows the stored name again.
        nameEdit_->setText(fromGameText(data_.names[weapon]));
        throw;
    }
    const auto name = weaponNameFromTyped(typed);
    const auto shown = fromGameText(name);
    if (name == data_.names[weapon]) {   // left unchanged: nothing to write, nothing to log
        nameEdit_->setText(shown);
        return;
    }
    list_->item(weapon)->setText(shown);
    nameEdit_->setText(shown);
    host_.report(renameWeapon(host_.workspace(), data_.names, weapon, typed), this);
}

void WeaponPage::SaveCurrentButClick()
{
    if (!loaded_)
        return;
    WapenVerander();
    host_.report(saveWeapons(host_.workspace(), data_.table), this);
    saved_ = data_.table;
}

PluginRecord WeaponPage::pluginRecord(std::optional<int> weapon) const
{
    return weaponRecord(toGameText(nameEdit_->text()), pageValues(), weapon);
}

void WeaponPage::LWPButClick()
{
    if (loaded_ && selectedWeapon() >= 0)
        savePluginAsFrom(host_, pluginRecord(std::nullopt));
}

void WeaponPage::LWP2ButClick()
{
    if (loaded_ && selectedWeapon() >= 0)
        saveInPluginFrom(host_, pluginRecord(selectedWeapon()));
}

void WeaponPage::Edit32Change()
{
    drawPreview();
}

void WeaponPage::Button1Click()
{
    static_cast<QLineEdit*>(fieldControl(fieldOf("Edit32")))->setText("-1");
    static_cast<QLineEdit*>(fieldControl(fieldOf("Edit33")))->setText("0");
}

// --- controls ----------------------------------------------------------------------------

FieldValue WeaponPage::fieldValue(std::size_t k) const
{
    return fields_->value(k);
}

void WeaponPage::setFieldValue(std::size_t k, const FieldValue& value)
{
    fields_->setValue(k, value);
}

QWidget* WeaponPage::fieldControl(std::size_t k) const
{
    return fields_->control(k);
}

void WeaponPage::drawPreview()
{
    if (!picture_) {
        preview_.fill(Qt::black);
        previewLabel_->setPixmap(QPixmap::fromImage(preview_.scaled(previewLabel_->size())));
        previewLabel_->setToolTip(NoSpriteReason);
        return;
    }
    previewLabel_->setToolTip({});
    const auto frame = spriteFrameOf(toSystemText(static_cast<QLineEdit*>(fieldControl(fieldOf("Edit32")))->text()));
    if (!frame)
        return;
    const auto pixels = spritePreview(*picture_, *frame);
    for (int y = 0; y < SpritePreviewSide; ++y)
        for (int x = 0; x < SpritePreviewSide; ++x) {
            const auto& c = pixels[y * SpritePreviewSide + x];
            preview_.setPixel(x, y, qRgb(c.red, c.green, c.blue));
        }
    previewLabel_->setPixmap(QPixmap::fromImage(preview_.scaled(previewLabel_->size())));
}

} // namespace quorvex
