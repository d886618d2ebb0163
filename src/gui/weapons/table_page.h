#pragma once
// The pages of tables that are shown and saved straight in torlo.exe, one entry at a time:
// "Objects" (ObjTab, three sub-pages) and "Special objects" (SpecTab). The list, the save and
// plugin buttons and the field rows are built from the table; the tables differ, the code not.
// Also the plugin buttons' operations, shared with the weapon page.
#include "core/fields/field_arrays.h"
#include "core/weapons/plugin.h"
#include "gui/host/game_model.h"

#include <QWidget>

class QFormLayout;
class QHBoxLayout;
class QListWidget;
class QPushButton;
class QVBoxLayout;

namespace quorvex {

class FieldPanel;
class PageHost;

class TablePage : public QWidget, public EditHolder {
    Q_OBJECT
public:
    // The names of one page's widgets, and what sets the pages apart.
    struct Layout {
        const FieldArrays& table;
        RecordKind kind;
        const char* pageName;      // this widget
        const char* listName;      // ObjectList, SpObjList
        const char* saveName;      // "Save current object"
        const char* pluginAsName;  // "Save as plugin"
        const char* pluginInName;  // "Save in plugin"
        const char* tabsName;      // of the sub-pages; nullptr: the rows stand on one page
        const char* bulletName;    // "Make Bullet" after the frame box; nullptr: none
        bool disableWhenNoRow;     // the list's click disables the buttons when no row is selected
    };
    static const Layout Objects;
    static const Layout SObjects;

    // Builds itself into the main window's tab.
    TablePage(PageHost& host, QWidget* tab, const Layout& layout);

    // The handlers (LeesObject, ObjectListClick, OSaveCurButClick, OLWP1ButClick, OLWP2ButClick,
    // Button4Click on the object page; LeesSObject, SpObjListClick, SOSaveCurButClick,
    // SLWPBut1Click, SLWPBut2Click on the special-object page). They raise file errors for the
    // main window's boundary.
    void showEntry();
    void listClick();
    void saveClick();
    void savePluginAsClick();
    void saveInPluginClick();
    void makeBulletClick();

    void paintSwatchesBlack();
    // Start-up: the first row shown.
    void showFirst();
    // Selects a row without showing it, as the plugin reader does.
    void selectRow(int row);
    int selectedRow() const;
    EntryValues values() const;
    // The controls differ from the entry they were filled from.
    bool hasUnsavedEdits() const;
    // Asks Save / Discard / Cancel when there are unsaved edits; false when the user cancels
    // or the save failed, and the edits stay.
    bool settleEdits();
    // The entry shown, by name, when its controls differ from it.
    std::optional<QString> unsavedEdits() const override;
    bool saveEdits() override;
    void discardEdits() override { showEntry(); }

private:
    QWidget* buildRows(int page);
    bool showsSelectedRow() const;
    void guarded(void (TablePage::*handler)());
    PluginRecord record() const;

    PageHost& host_;
    const Layout& layout_;
    FieldPanel* fields_ = nullptr;
    QListWidget* list_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* pluginAs_ = nullptr;
    QPushButton* pluginIn_ = nullptr;
    int shown_ = -1;   // the row whose entry the controls were filled from
    EntryValues shownValues_;   // what the controls showed then
};

// The frame of every page of fields: the page fills its tab in two columns; returns the left
// column (the list and the buttons) and the row to which the fields are added after it.
struct PageColumns {
    QVBoxLayout* left;
    QHBoxLayout* columns;
};
PageColumns buildPageColumns(QWidget* page, QWidget* tab);
// A (sub-)page of captioned field rows, spaced alike on every page.
QFormLayout* buildFieldRows(QWidget* sub);

// "Save as plugin" and "Save in plugin" of every page of fields, for a record made from what
// the page shows: the dialog for the new file, or the file selected in the browser.
void savePluginAsFrom(PageHost& host, const PluginRecord& record);
void saveInPluginFrom(PageHost& host, const PluginRecord& record);

} // namespace quorvex
