#include "gui/changes/changes_window.h"
#include "gui/host/game_model.h"
#include "modules/desktop/qt_platform.h"

#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <utility>

namespace fs = std::filesystem;

namespace quorvex {

namespace {

constexpr int ChangeRole = Qt::UserRole;   // the change's index in changes_; groups have none

// A value as its page shows it: weapon names are game text.
QString shown(const Change& change, const std::string& value)
{
    return change.area == ChangeArea::Weapon && change.key == "NAME" ? fromGameText(value) : QString::fromStdString(value);
}

} // namespace

ChangesWindow::ChangesWindow(PageHost& host, std::function<void(const Change&)> showChange, QWidget* parent)
    : QWidget(parent, Qt::Window), host_(host), showChange_(std::move(showChange))
{
    setObjectName("ChangesWindow");
    setWindowTitle("Changes");
    new QShortcut(QKeySequence::HelpContents, this, [this] { host_.showHelp("changes"); });
    auto* layout = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel("Compare with:"));
    compareBox_ = new QComboBox;
    compareBox_->setObjectName("CompareBox");
    compareBox_->addItems({"original", "another game folder\u2026"});
    top->addWidget(compareBox_);
    top->addSpacing(16);
    filter_ = new QLineEdit;
    filter_->setObjectName("FilterEdit");
    filter_->setPlaceholderText("Filter");
    filter_->setClearButtonEnabled(true);
    top->addWidget(filter_, 1);
    layout->addLayout(top);

    list_ = new QTreeWidget;
    list_->setObjectName("ChangesList");
    list_->setHeaderLabels({"Change", "Key", "Before", "After"});
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setUniformRowHeights(true);
    list_->header()->setStretchLastSection(true);
    list_->setColumnWidth(0, 260);
    list_->setColumnWidth(1, 170);
    list_->setColumnWidth(2, 220);
    layout->addWidget(list_, 1);

    auto* bottom = new QHBoxLayout;
    summary_ = new QLabel;
    summary_->setObjectName("SummaryText");
    bottom->addWidget(summary_, 1);
    revert_ = new QPushButton("Revert");
    revert_->setObjectName("RevertBut");
    revert_->setToolTip("Put the selected changes back to their value before");
    bottom->addWidget(revert_);
    auto* plugin = new QPushButton("Save as plugin\u2026");
    plugin->setObjectName("SavePluginBut");
    plugin->setToolTip("Save the weapon, object and special-object changes as a weapon plugin");
    bottom->addWidget(plugin);
    layout->addLayout(bottom);

    connect(compareBox_, &QComboBox::activated, this, &ChangesWindow::CompareBoxChange);
    connect(filter_, &QLineEdit::textChanged, this, &ChangesWindow::FilterEditChange);
    connect(list_, &QTreeWidget::itemSelectionChanged, this, &ChangesWindow::ChangesListClick);
    connect(revert_, &QPushButton::clicked, this, &ChangesWindow::RevertButClick);
    connect(plugin, &QPushButton::clicked, this, &ChangesWindow::SavePluginButClick);
    // Whatever changed the game behind the list, the list follows at once.
    connect(&host_.gameEvents(), &GameEvents::gameDataChanged, this, [this] { refresh(); });
    connect(&host_.gameEvents(), &GameEvents::gameFolderChanged, this, [this] {
        otherFolder_.reset();
        compareBox_->setCurrentIndex(0);
        refresh();
    });
    resize(900, 600);
}

ComparedGame ChangesWindow::comparedGame() const
{
    return otherFolder_ ? ComparedGame::folder(host_.workspace(), *otherFolder_) : ComparedGame::original(host_.workspace());
}

void ChangesWindow::refresh()
{
    // A game that can not be read is said in the window, not in a message box: closing the box
    // would bring the window to the front and compare again.
    std::string problem;
    try {
        changes_ = compareGames(host_.workspace(), comparedGame());
    } catch (const std::exception& error) {
        changes_.clear();
        problem = error.what();
    }
    const QSignalBlocker blocker(list_);
    list_->clear();
    QTreeWidgetItem* group = nullptr;
    for (std::size_t i = 0; i < changes_.size(); ++i) {
        const auto& change = changes_[i];
        const auto caption = QString::fromUtf8(areaCaption(change.area).data(), qsizetype(areaCaption(change.area).size()));
        if (!group || group->data(0, ChangeRole + 1).toInt() != static_cast<int>(change.area)) {
            group = new QTreeWidgetItem(list_, {caption});
            group->setData(0, ChangeRole + 1, static_cast<int>(change.area));
            group->setFirstColumnSpanned(true);
            group->setExpanded(true);
            auto bold = group->font(0);
            bold.setBold(true);
            group->setFont(0, bold);
        }
        const auto entry = change.entry == "-" ? caption : caption + " " + QString::fromStdString(change.entry);
        auto* item = new QTreeWidgetItem(group, {entry, QString::fromStdString(change.key), shown(change, change.before),
                                                 shown(change, change.after)});
        item->setData(0, ChangeRole, static_cast<int>(i));
    }
    for (int g = 0; g < list_->topLevelItemCount(); ++g) {
        auto* item = list_->topLevelItem(g);
        item->setText(0, item->text(0) + QString(" (%1)").arg(item->childCount()));
    }
    summary_->setText(!problem.empty()     ? QString::fromStdString(problem)
                      : changes_.empty() ? QString("No change")
                                         : QString("%1 changes").arg(changes_.size()));
    revert_->setEnabled(false);   // nothing is selected in the new list
    FilterEditChange();
}

void ChangesWindow::changeEvent(QEvent* event)
{
    // Edits made on the pages since the window was last in front.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        refresh();
    QWidget::changeEvent(event);
}

void ChangesWindow::CompareBoxChange()
{
    if (compareBox_->currentIndex() == 0) {
        otherFolder_.reset();
    } else {
        const auto exe = host_.prompts().openFile("Torlo|torlo.exe;TORLO.EXE|All files|*.*", {}, "Compare with another game folder");
        if (exe)
            otherFolder_ = exe->parent_path();
        compareBox_->setCurrentIndex(otherFolder_ ? 1 : 0);
        if (otherFolder_)
            compareBox_->setToolTip(fromPath(*otherFolder_));
    }
    refresh();
}

void ChangesWindow::FilterEditChange()
{
    const auto text = filter_->text();
    for (int g = 0; g < list_->topLevelItemCount(); ++g) {
        auto* group = list_->topLevelItem(g);
        int visible = 0;
        for (int c = 0; c < group->childCount(); ++c) {
            auto* item = group->child(c);
            bool match = text.isEmpty() || group->text(0).contains(text, Qt::CaseInsensitive);
            for (int column = 0; column < 4 && !match; ++column)
                match = item->text(column).contains(text, Qt::CaseInsensitive);
            item->setHidden(!match);
            visible += match ? 1 : 0;
        }
        group->setHidden(visible == 0);
    }
}

std::vector<Change> ChangesWindow::selectedChanges() const
{
    std::vector<Change> picked;
    std::vector<bool> taken(changes_.size(), false);
    const auto take = [&](QTreeWidgetItem* item) {
        const auto index = item->data(0, ChangeRole);
        if (index.isValid() && !item->isHidden() && !taken[index.toUInt()]) {
            taken[index.toUInt()] = true;
            picked.push_back(changes_[index.toUInt()]);
        }
    };
    for (auto* item : list_->selectedItems()) {
        take(item);
        for (int c = 0; c < item->childCount(); ++c)   // a group stands for its changes
            take(item->child(c));
    }
    return picked;
}

void ChangesWindow::ChangesListClick()
{
    const auto items = list_->selectedItems();
    revert_->setEnabled(!items.isEmpty());
    if (items.size() != 1 || !items[0]->data(0, ChangeRole).isValid())
        return;
    if (showChange_)
        showChange_(changes_[items[0]->data(0, ChangeRole).toUInt()]);
}

void ChangesWindow::RevertButClick()
{
    const auto picked = selectedChanges();
    if (picked.empty()) {
        host_.StatusShow("Select the changes to revert");
        return;
    }
    if (!host_.gameModel().settle())
        return;
    host_.guarded([&] {
        auto reports = revertChanges(host_.workspace(), comparedGame(), picked);
        // One notification for the whole revert, with the last report: the pages reload what
        // was written, and the list with them.
        GameParts changed;
        for (auto& report : reports)
            changed |= std::exchange(report.changed, {});
        if (!reports.empty())
            reports.back().changed = changed;
        for (const auto& report : reports)
            host_.report(report);
    });
}

void ChangesWindow::SavePluginButClick()
{
    host_.guarded([&] {
        const auto outcome = exportChanges(changes_, host_.makeLwp2(), [&](const std::string& filter, const fs::path& proposed) {
            return host_.prompts().saveFile(filter, proposed, "lwp");
        });
        if (outcome.kind == Outcome::Kind::Nothing)
            return;   // cancelled
        host_.report(outcome);
        if (outcome.succeeded())
            emit host_.gameEvents().filesChanged();
    });
}

} // namespace quorvex
