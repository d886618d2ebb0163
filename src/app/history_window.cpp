#include "app/history_window.h"
#include "host/page_host.h"
#include "gameexe/errors.h"
#include "gameexe/history.h"
#include "platform/qt_platform.h"

#include <QFileSystemWatcher>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace quorvex {

namespace {

enum Column { DateColumn, FilesColumn, WhatColumn };

} // namespace

void moveInHistory(PageHost& host, bool back)
{
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
    resize(640, 360);
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

    if (!watcher_->directories().isEmpty())
        watcher_->removePaths(watcher_->directories());
    std::error_code error;
    for (auto folder = keeper.folder(); folder.has_relative_path(); folder = folder.parent_path())
        if (std::filesystem::is_directory(folder, error)) {
            watcher_->addPath(fromPath(folder));
            break;
        }
}

} // namespace quorvex
