#include "gui/app/backup_control.h"
#include "gui/host/game_model.h"
#include "gui/host/folder_watch.h"
#include "gui/host/page_host.h"
#include "core/store/backups.h"
#include "core/base/errors.h"
#include "modules/desktop/qt_platform.h"

#include <QFileSystemWatcher>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace quorvex {

namespace {

enum Column { FileColumn, DateColumn, SizeColumn, OriginalColumn };

} // namespace

BackupControl::BackupControl(PageHost& host, QWidget* parent) : QGroupBox(" Restore ", parent), host_(host)
{
    setObjectName("RestoreGroup");
    auto* layout = new QVBoxLayout(this);
    folderLabel_ = new QLabel;
    folderLabel_->setObjectName("BackupFolderLabel");
    // One line, cut when it must be and whole in its tip: a wrapped label asks the page for the
    // height of its narrowest width, which made the window scroll.
    folderLabel_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    layout->addWidget(folderLabel_);

    list_ = new QTreeWidget;
    list_->setObjectName("BackupList");
    list_->setHeaderLabels({"File", "Date", "Size", "Original"});
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    // The file takes the room left; a long level path is cut in the middle, keeping its file
    // name in view, and shown whole in its tip.
    list_->setTextElideMode(Qt::ElideMiddle);
    list_->header()->setStretchLastSection(false);
    list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    list_->header()->setSectionResizeMode(FileColumn, QHeaderView::Stretch);
    layout->addWidget(list_, 1);

    restoreButton_ = new QPushButton("Restore");
    restoreButton_->setObjectName("RestoreButton");
    restoreButton_->setEnabled(false);
    layout->addWidget(restoreButton_, 0, Qt::AlignLeft);

    connect(list_, &QTreeWidget::itemSelectionChanged, this,
            [this] { restoreButton_->setEnabled(!list_->selectedItems().isEmpty()); });
    connect(restoreButton_, &QPushButton::clicked, this, [this] { host_.guarded([this] { RestoreButtonClick(); }); });
    watcher_ = new QFileSystemWatcher(this);
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this, &BackupControl::refresh);
    connect(&host_.gameEvents(), &GameEvents::gameFolderChanged, this, &BackupControl::refresh);
    refresh();
}

void BackupControl::refresh()
{
    const BackupKeeper keeper(host_.workspace());
    QString chosen;
    if (auto* current = list_->currentItem(); current && current->isSelected())
        chosen = current->data(FileColumn, Qt::UserRole).toString();
    list_->clear();
    std::vector<Backup> backups;
    QString problem;
    try {
        backups = keeper.list();
    } catch (const FileError& error) {
        problem = QString("The list of backups in %1 can not be read: %2").arg(fromPath(keeper.folder()), error.what());
    }
    for (const auto& backup : backups) {
        auto* item = new QTreeWidgetItem(list_, {fromPath(backup.file), QString::fromStdString(backup.date),
                                                 QString::number(backup.size), backup.original ? "original" : ""});
        item->setData(FileColumn, Qt::UserRole, QString::fromStdString(backup.id));
        item->setToolTip(FileColumn, item->text(FileColumn));
        item->setTextAlignment(SizeColumn, Qt::AlignRight | Qt::AlignVCenter);
        if (item->data(FileColumn, Qt::UserRole).toString() == chosen)
            list_->setCurrentItem(item);
    }
    folderLabel_->setText(!problem.isEmpty() ? problem
                          : backups.empty()
                              ? "No backups of this game yet. Before Quorvex first changes one of its files, it keeps a copy here."
                              : "Copies of this game's files, kept before Quorvex changed them:");
    folderLabel_->setToolTip(folderLabel_->text());
    restoreButton_->setEnabled(!list_->selectedItems().isEmpty());

    watchNearestFolder(*watcher_, keeper.folder());
}

void BackupControl::RestoreButtonClick()
{
    auto* item = list_->currentItem();
    if (!item || !item->isSelected() || !host_.gameModel().settle())
        return;
    BackupKeeper keeper(host_.workspace());
    const auto outcome = keeper.restore(item->data(FileColumn, Qt::UserRole).toString().toStdString(),
                                        [this](std::string_view question) { return host_.prompts().askYesNo(std::string(question)); });
    host_.report(outcome);
    refresh();
}

} // namespace quorvex
