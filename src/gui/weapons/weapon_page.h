#pragma once
// The "Weapons" page: the weapon list, four sub-pages of field controls built from the weapon
// field table, rename on leaving the name box, copy into the table on leaving any field, and
// "Save weapons".
#include "core/weapons/plugin.h"
#include "core/weapons/weapon_sprite.h"
#include "core/weapons/weapon_table.h"
#include "gui/host/game_model.h"

#include <QImage>
#include <QWidget>
#include <array>
#include <optional>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;

namespace quorvex {

class FieldPanel;
class PageHost;

class WeaponPage : public QWidget, public EditHolder {
    Q_OBJECT
public:
    // Builds itself into the main window's "Weapons" tab.
    WeaponPage(PageHost& host, QWidget* tab);

    // Start-up: the names and the table from torlo.exe, black swatches, weapon 0 shown.
    void Load();
    void paintSwatchesBlack();
    void showFirst();
    // Reads the names and the table again (the game folder or the weapons changed).
    void reload();

    // The handlers; they raise file and number errors for the main window's boundary.
    void LeesWapen();
    void WeaponListClick();
    void WapenVerander();
    void NameEditExit();
    void SaveCurrentButClick();
    void Edit32Change();
    void Button1Click();
    void SortWButClick() {}
    // "Save as plugin" ("WEAPON:SELECTED") and "Save in plugin" (the weapon counted from 1).
    void LWPButClick();
    void LWP2ButClick();

    // The controls of the table's fields, for the plugin reader: what each shows, and setting it.
    FieldValue fieldValue(std::size_t field) const;
    void setFieldValue(std::size_t field, const FieldValue& value);
    QWidget* fieldControl(std::size_t field) const;
    // Selects a row without showing it, as the plugin reader does.
    void selectWeapon(int row);
    int selectedWeapon() const;

    const WeaponData& data() const { return data_; }
    // The table or the controls differ from what torlo.exe holds.
    bool hasUnsavedEdits() const;
    // The weapons whose values are not saved, by name.
    std::optional<QString> unsavedEdits() const override;
    bool saveEdits() override;
    void discardEdits() override { reload(); }
    // The 14 by 14 sprite preview (drawn doubled on screen).
    const QImage& preview() const { return preview_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildSubPage(int page);
    void drawPreview();
    PluginRecord pluginRecord(std::optional<int> weapon) const;
    WeaponPageValues pageValues() const;
    // Runs a handler through the main window's error boundary.
    void guarded(void (WeaponPage::*handler)());

    PageHost& host_;
    WeaponData data_;
    bool loaded_ = false;                    // data_ holds what torlo.exe had
    WeaponTable saved_;                      // the table as torlo.exe holds it
    int shown_ = -1;                         // the weapon the controls were filled from
    WeaponPageValues shownValues_{};         // what they showed then
    std::optional<WeaponPicture> picture_;   // weapon.bmp, re-read whenever a weapon is shown
    QImage preview_;
    bool handling_ = false;                  // a focus change caused by our own message box

    QListWidget* list_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QLineEdit* nameEdit_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QPushButton* pluginButton_ = nullptr;
    QLabel* previewLabel_ = nullptr;
    FieldPanel* fields_ = nullptr;           // the controls of WeaponFields, in table order
};

} // namespace quorvex
