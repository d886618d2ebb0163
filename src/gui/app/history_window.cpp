#include "gui/app/history_window.h"
#include "gui/host/game_model.h"
#include "gui/host/folder_watch.h"
#include "gui/host/page_host.h"
#include "core/base/errors.h"
#include "core/formats/activation.h"
#include "core/store/history.h"
#include "core/store/profiles.h"
#include "modules/desktop/qt_platform.h"

#include <QFileSystemWatcher>
#include <QGroupBox>
#include <QLineEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QShortcut>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace quorvex {

namespace {

enum Column { DateColumn, FilesColumn, WhatColumn };

} // namespace

void moveInHistory(PageHost& host, bool back)
{
    if (!host.gameModel().settle())
        return;
    host.guarded([&host, back] {
        const BackupKeeper keeper(host.workspace());
        History history(keeper);
        host.report(back ? history.undo() : history.redo());
    });
}

HistoryWindow::HistoryWindow(PageHost& host, QWidget* parent) : QWidget(parent, Qt::Window), host_(host)
{
    setObjectName("HistoryWindow");
    setWindowTitle("History");
    new QShortcut(QKeySequence::HelpContents, this, [this] { host_.showHelp("history"); });
    resize(640, 520);
    auto* layout = new QVBoxLayout(this);
    list_ = new QTreeWidget;
    list_->setObjectName("HistoryList");
    list_->setHeaderLabels({"Date", "Files", "What"});
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setSelectionMode(QAbstractItemView::NoSelection);
    list_->setTextElideMode(Qt::ElideMiddle);
    list_->header()->setStretchLastSection(true);
    list_->header()->setSectionResizeMode(DateColumn, QHeaderView::ResizeToContents);
    list_->header()->setSectionResizeMode(FilesColumn, QHeaderView::ResizeToContents);
    layout->addWidget(list_, 1);

    auto* buttons = new QHBoxLayout;
    undoButton_ = new QPushButton("Undo");
    undoButton_->setObjectName("UndoButton");
    redoButton_ = new QPushButton("Redo");
    redoButton_->setObjectName("RedoButton");
    buttons->addWidget(undoButton_);
    buttons->addWidget(redoButton_);
    buttons->addStretch();
    layout->addLayout(buttons);

    auto* group = new QGroupBox(" Profiles ");
    group->setObjectName("ProfilesGroup");
    auto* inside = new QVBoxLayout(group);
    profileList_ = new QTreeWidget;
    profileList_->setObjectName("ProfileList");
    profileList_->setHeaderLabels({"Name", "Date", "Differs"});
    profileList_->setRootIsDecorated(false);
    profileList_->setUniformRowHeights(true);
    profileList_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    inside->addWidget(profileList_, 1);
    auto* line = new QHBoxLayout;
    profileName_ = new QLineEdit;
    profileName_->setObjectName("ProfileNameEdit");
    profileName_->setPlaceholderText("Name of the setup");
    profileName_->setMaxLength(64);
    line->addWidget(profileName_, 1);
    // Each button runs one operation of the profiles on the name typed or the profile chosen.
    // A switch replaces the game's files under every page: unsaved edits are asked about first.
    const auto button = [&](const char* caption, const char* name, auto operation, bool replacesFiles = false) {
        auto* b = new QPushButton(caption);
        b->setObjectName(name);
        line->addWidget(b);
        connect(b, &QPushButton::clicked, this, [this, operation, replacesFiles] {
            if (replacesFiles && !host_.gameModel().settle())
                return;
            const auto* chosen = profileList_->currentItem();
            const auto selected = chosen ? chosen->text(0).toStdString() : std::string();
            const auto typed = profileName_->text().toStdString();
            host_.guarded([&] {
                const BackupKeeper keeper(host_.workspace());
                Profiles profiles(keeper, profileFiles(host_.workspace()));
                host_.report(operation(profiles, selected, typed));
            });
            refresh();
        });
    };
    const auto ask = [this](std::string_view question) { return host_.prompts().askYesNo(std::string(question)); };
    button("Save setup as\u2026", "SaveProfileButton",
           [ask](Profiles& p, const std::string&, const std::string& typed) { return p.save(typed, ask); });
    button("Switch to", "SwitchProfileButton",
           [](Profiles& p, const std::string& selected, const std::string&) { return p.switchTo(selected); }, true);
    button("Rename", "RenameProfileButton",
           [](Profiles& p, const std::string& selected, const std::string& typed) { return p.rename(selected, typed); });
    button("Delete", "DeleteProfileButton",
           [](Profiles& p, const std::string& selected, const std::string&) { return p.remove(selected); });
    inside->addLayout(line);
    layout->addWidget(group, 1);

    connect(undoButton_, &QPushButton::clicked, this, [this] { moveInHistory(host_, true); });
    connect(redoButton_, &QPushButton::clicked, this, [this] { moveInHistory(host_, false); });
    watcher_ = new QFileSystemWatcher(this);
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this, &HistoryWindow::refresh);
    connect(&host_.gameEvents(), &GameEvents::gameFolderChanged, this, &HistoryWindow::refresh);
    connect(&host_.gameEvents(), &GameEvents::gameDataChanged, this, &HistoryWindow::refresh);
    refresh();
}

void HistoryWindow::refresh()
{
    const BackupKeeper keeper(host_.workspace());
    list_->clear();
    std::vector<Step> steps;
    try {
        steps = History(keeper).steps();
    } catch (const FileError&) {
        // An unreadable history lists nothing; undo says why.
    }
    bool canUndo = false, canRedo = false;
    for (const auto& step : steps) {
        auto* item = new QTreeWidgetItem(list_, {QString::fromStdString(step.date), fromSystemText(step.fileList()),
                                                 fromSystemText(step.undone ? step.what + " (undone)" : step.what)});
        item->setToolTip(WhatColumn, item->text(WhatColumn));
        item->setToolTip(FilesColumn, item->text(FilesColumn));
        if (step.undone)
            for (int column = DateColumn; column <= WhatColumn; ++column)
                item->setForeground(column, palette().brush(QPalette::Disabled, QPalette::Text));
        (step.undone ? canRedo : canUndo) = true;
    }
    undoButton_->setEnabled(canUndo);
    redoButton_->setEnabled(canRedo);

    const auto chosen = profileList_->currentItem() ? profileList_->currentItem()->text(0) : QString();
    profileList_->clear();
    try {
        const Profiles profiles(keeper, profileFiles(host_.workspace()));
        for (const auto& profile : profiles.list()) {
            QStringList differs;
            for (const auto& file : profile.differs)
                differs << fromSystemText(file);
            auto* item = new QTreeWidgetItem(profileList_, {QString::fromStdString(profile.name), QString::fromStdString(profile.date),
                                                            differs.isEmpty() ? "-" : differs.join(", ")});
            if (item->text(0) == chosen)
                profileList_->setCurrentItem(item);
        }
    } catch (const FileError&) {
        // A game file that can not be read lists no profiles; switching says why.
    }

    // Refilled lists whose columns size to their contents are not wholly repainted on X11: a
    // row that went away stayed on the screen (a renamed and a deleted profile showed twice).
    for (auto* shown : {list_, profileList_})
        shown->viewport()->update();
    watchNearestFolder(*watcher_, keeper.folder());
}

} // namespace quorvex
