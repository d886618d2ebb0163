#pragma once
// The "Changes" window (from "Editors"): every change of the game against its original or
// another game folder, grouped by area, with a filter; "Revert" and "Save as plugin…".
#include "gui/host/page_host.h"
#include "core/changes/changes.h"

#include <QWidget>
#include <functional>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace quorvex {

class ChangesWindow : public QWidget {
    Q_OBJECT
public:
    // showChange brings the page of a change's entry to the front with the entry selected.
    ChangesWindow(PageHost& host, std::function<void(const Change&)> showChange, QWidget* parent = nullptr);

    // Compares again and lists what differs.
    void refresh();
    const std::vector<Change>& changes() const { return changes_; }

    // The handlers.
    void CompareBoxChange();
    void FilterEditChange();
    void ChangesListClick();
    void RevertButClick();
    void SavePluginButClick();

protected:
    void changeEvent(QEvent* event) override;

private:
    ComparedGame comparedGame() const;
    std::vector<Change> selectedChanges() const;

    PageHost& host_;
    std::function<void(const Change&)> showChange_;
    std::vector<Change> changes_;
    std::optional<std::filesystem::path> otherFolder_;   // none: the originals
    QComboBox* compareBox_ = nullptr;
    QLineEdit* filter_ = nullptr;
    QTreeWidget* list_ = nullptr;
    QLabel* summary_ = nullptr;
    QPushButton* revert_ = nullptr;
};

} // namespace quorvex
