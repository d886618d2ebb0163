#include "gui/mods/mods_page.h"
#include "gui/host/game_model.h"
#include "gui/host/page_host.h"
#include "core/base/errors.h"
#include "core/store/game_change.h"
#include "modules/desktop/qt_platform.h"

#include <QApplication>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <thread>

namespace quorvex {

namespace {

enum ListColumn { OnColumn, NumberColumn, KindColumn, NameColumn, DateColumn, ConflictColumn };
enum EffectColumn { AreaColumn, EntryColumn, KeyColumn, ValueColumn, ReplacedColumn, WinnerColumn };

constexpr const char* ConflictMark = "\u26A0";

// Rows dropped elsewhere move the entry: the list is then read again from the game's, never
// rearranged by the view itself.
class ModListView final : public QTreeWidget {
public:
    std::function<void(long from, long to)> moved;

protected:
    void dropEvent(QDropEvent* event) override
    {
        const auto* source = currentItem();
        const auto* target = itemAt(event->position().toPoint());
        event->ignore();
        if (!source || !moved)
            return;
        const long from = indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(source)) + 1;
        const long to = target ? indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(target)) + 1 : topLevelItemCount();
        if (from != to)
            moved(from, to);
    }
};

QTreeWidget* table(QTreeWidget* tree, const char* name, const QStringList& headers)
{
    tree->setObjectName(name);
    tree->setHeaderLabels(headers);
    tree->setRootIsDecorated(false);
    tree->setUniformRowHeights(true);
    tree->setTextElideMode(Qt::ElideMiddle);
    tree->header()->setStretchLastSection(true);
    return tree;
}

} // namespace

ModsPage::ModsPage(PageHost& host, QWidget* tab) : QWidget(tab), host_(host)
{
    setObjectName("ModsPage");
    auto* outer = new QVBoxLayout(tab);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(this);
    auto* layout = new QVBoxLayout(this);

    auto* view = new ModListView;
    list_ = table(view, "ModList", {"On", "#", "Kind", "Name", "Date", "Conflict"});
    list_->setToolTip("Tick an entry to switch it on, untick it to switch it off; the game is its originals plus "
                      "the ticked entries, from the top down, a later entry winning");
    list_->setDragDropMode(QAbstractItemView::InternalMove);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->header()->setStretchLastSection(false);
    list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    list_->header()->setSectionResizeMode(NameColumn, QHeaderView::Stretch);
    view->moved = [this](long from, long to) {
        change(to, [from, to](const Workspace& w) { return moveMod(w, from, to); });
    };
    layout->addWidget(list_, 3);

    auto* buttons = new QHBoxLayout;
    const auto button = [&](const char* caption, const char* name, const char* hint) {
        auto* b = new QPushButton(caption);
        b->setObjectName(name);
        b->setToolTip(hint);
        buttons->addWidget(b);
        return b;
    };
    up_ = button("Up", "ModUpButton", "Applies the selected entry earlier: entries after it win over it");
    down_ = button("Down", "ModDownButton", "Applies the selected entry later: it wins over the entries before it");
    remove_ = button("Remove", "ModRemoveButton", "Removes the selected entry and rebuilds the game without it");
    buttons->addStretch();
    layout->addLayout(buttons);

    auto* caption = new QLabel("What the selected entry sets:");
    caption->setObjectName("ModEffectLabel");
    layout->addWidget(caption);
    effect_ = table(new QTreeWidget, "ModEffect", {"Area", "Entry", "Key", "Value", "Replaced", "Winner"});
    effect_->setSelectionMode(QAbstractItemView::NoSelection);
    effect_->setToolTip("Each field, file or level the entry sets: its value, the value it replaced (what the "
                        "entries before it give), and the entry that wins where another one does");
    effect_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(effect_, 2);

    connect(list_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
        if (filling_ || column != OnColumn)
            return;
        const long number = list_->indexOfTopLevelItem(item) + 1;
        const bool on = item->checkState(OnColumn) == Qt::Checked;
        change(number, [number, on](const Workspace& w) { return switchMod(w, number, on); });
    });
    connect(list_, &QTreeWidget::currentItemChanged, this, [this] {
        showEffect();
    });
    connect(up_, &QPushButton::clicked, this, [this] {
        const long number = selected();
        change(number - 1, [number](const Workspace& w) { return moveMod(w, number, number - 1); });
    });
    connect(down_, &QPushButton::clicked, this, [this] {
        const long number = selected();
        change(number + 1, [number](const Workspace& w) { return moveMod(w, number, number + 1); });
    });
    connect(remove_, &QPushButton::clicked, this, [this] {
        const long number = selected();
        change(std::max(1L, number - 1), [number](const Workspace& w) { return removeMod(w, number); });
    });
    connect(&host_.gameEvents(), &GameEvents::gameFolderChanged, this, &ModsPage::reload);
    connect(&host_.gameEvents(), &GameEvents::gameDataChanged, this, [this] {
        if (!busy_)
            reload();
    });
}

long ModsPage::selected() const
{
    const auto* item = list_->currentItem();
    return item ? list_->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item)) + 1 : 0;
}

void ModsPage::reload()
{
    const long keep = std::max(1L, selected());
    try {
        shown_ = readGameModList(host_.workspace());
    } catch (const FileError&) {
        shown_ = {};
    }
    const auto conflicts = modConflicts(shown_);
    std::vector<bool> contested(shown_.entries.size() + 1, false);
    for (const auto& conflict : conflicts) {
        contested[static_cast<std::size_t>(conflict.winner)] = true;
        for (const auto other : conflict.others)
            contested[static_cast<std::size_t>(other)] = true;
    }
    filling_ = true;
    list_->clear();
    long number = 0;
    for (const auto& entry : shown_.entries) {
        ++number;
        auto* item = new QTreeWidgetItem(list_, {QString(), QString::number(number),
                                                 QString::fromUtf8(modKindWord(entry.kind).data(), static_cast<int>(modKindWord(entry.kind).size())),
                                                 fromSystemText(entry.name), QString::fromStdString(entry.date),
                                                 contested[static_cast<std::size_t>(number)] ? ConflictMark : ""});
        item->setFlags((item->flags() | Qt::ItemIsUserCheckable | Qt::ItemIsDragEnabled) & ~Qt::ItemIsDropEnabled);
        item->setCheckState(OnColumn, entry.on ? Qt::Checked : Qt::Unchecked);
        item->setToolTip(NameColumn, item->text(NameColumn));
        if (contested[static_cast<std::size_t>(number)])
            item->setToolTip(ConflictColumn, "Sets a field, file or level that another switched-on entry sets too");
    }
    filling_ = false;
    if (auto* item = list_->topLevelItem(static_cast<int>(std::min<long>(keep, number)) - 1))
        list_->setCurrentItem(item);
    showEffect();
}

void ModsPage::showEffect()
{
    effect_->clear();
    const long number = selected();
    const auto count = static_cast<long>(shown_.entries.size());
    up_->setEnabled(!busy_ && number > 1);
    down_->setEnabled(!busy_ && number >= 1 && number < count);
    remove_->setEnabled(!busy_ && number >= 1);
    if (number < 1)
        return;
    const auto& entry = *shown_.numbered(number);
    for (const auto& change : modEffect(shown_, number)) {
        // The entry that gives the game this field: the last switched-on one that sets it.
        long winner = entry.on ? number : 0;
        for (long later = 1; later <= count; ++later) {
            const auto& other = *shown_.numbered(later);
            if (other.on && (later > number || !entry.on)
                && std::any_of(other.sets.begin(), other.sets.end(), [&](const ModSet& s) {
                       return s.area == areaWord(change.area) && s.entry == change.entry && s.key == change.key;
                   }))
                winner = later;
        }
        const auto winnerText = winner == number || winner == 0
                                    ? QString()
                                    : QString::number(winner) + " (" + fromSystemText(shown_.numbered(winner)->name) + ")";
        new QTreeWidgetItem(effect_, {QString::fromUtf8(areaWord(change.area).data(), static_cast<int>(areaWord(change.area).size())),
                                      fromSystemText(change.entry), fromSystemText(change.key),
                                      fromSystemText(change.after), fromSystemText(change.before), winnerText});
    }
}

void ModsPage::change(long select, std::function<Outcome(const Workspace&)> operation)
{
    // A rebuild replaces what every page shows: unsaved edits are asked about first.
    if (busy_ || !host_.gameModel().settle()) {
        reload();
        return;
    }
    busy_ = true;
    window()->setEnabled(false);   // nothing else changes the game meanwhile; the window still paints
    host_.StatusShow("Rebuilding the game from the mod list...");
    QPointer<ModsPage> self(this);
    std::thread([workspace = host_.workspace(), operation = std::move(operation), self, select] {
        Outcome outcome;
        try {
            GameChange step(workspace);   // one step of the history, on this thread
            outcome = operation(workspace);
            step.describe(outcome.status, outcome.succeeded());
            step.commit();
        } catch (const std::exception& failure) {
            outcome = Outcome::refused(failure.what());
        }
        QMetaObject::invokeMethod(qApp, [self, outcome, select] {
            if (self)
                self->finish(outcome, select);
        }, Qt::QueuedConnection);
    }).detach();
}

void ModsPage::finish(const Outcome& outcome, long select)
{
    busy_ = false;
    window()->setEnabled(true);
    host_.report(outcome);
    reload();
    if (auto* item = list_->topLevelItem(static_cast<int>(select) - 1))
        list_->setCurrentItem(item);
    emit rebuilt();
}

} // namespace quorvex
