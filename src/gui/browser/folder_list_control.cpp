#include "gui/browser/folder_list_control.h"
#include "gui/controls/drawn_pictures.h"
#include "gui/controls/narrow_combo_box.h"
#include "modules/desktop/qt_platform.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QStorageInfo>
#include <QVBoxLayout>

#include <algorithm>

namespace fs = std::filesystem;

namespace quorvex {

namespace {

constexpr int PathRole = Qt::UserRole;

// Kernel and runtime mounts hold no mods; listing them would bury the real volumes.
bool isUserVolume(const QStorageInfo& volume)
{
    if (!volume.isValid() || !volume.isReady())
        return false;
    const auto root = volume.rootPath();
    for (const char* hidden : {"/proc", "/sys", "/dev", "/run", "/snap"})
        if (root == hidden || root.startsWith(QString(hidden) + "/"))
            return false;
    return true;
}

QString driveCaption(const QString& root)
{
    // Drive letters as the game's own system shows them: "C:".
    if (root.size() >= 2 && root[1] == ':')
        return root.left(2).toUpper();
    return root;
}

} // namespace

FolderListControl::FolderListControl(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    // Long mount paths must not widen the browser column.
    drives_ = new NarrowComboBox(8);
    drives_->setObjectName("DriveBox");
    folders_ = new QListWidget;
    folders_->setObjectName("FolderList");
    folders_->setToolTip("Select a directory here");
    folders_->setIconSize(QSize(16, 16));   // the open and closed folder icons come in different sizes
    layout->addWidget(drives_);
    layout->addWidget(folders_, 1);
    fillDrives();
    connect(drives_, &QComboBox::activated, this, &FolderListControl::DriveBoxChange);
    connect(folders_, &QListWidget::itemActivated, this, &FolderListControl::FolderListActivated);
}

void FolderListControl::fillDrives()
{
    QStringList roots;
    for (const auto& volume : QStorageInfo::mountedVolumes())
        if (isUserVolume(volume))
            roots << volume.rootPath();
    roots.removeDuplicates();
    roots.sort();
    for (const auto& root : roots)
        drives_->addItem(driveCaption(root), root);
}

bool FolderListControl::setFolder(const fs::path& folder)
{
    std::error_code error;
    if (folder.empty() || !fs::is_directory(folder, error))
        return false;
    auto absolute = fs::absolute(folder, error).lexically_normal();
    if (absolute.has_filename() == false && absolute != absolute.root_path())
        absolute = absolute.parent_path();   // no trailing separator
    // The process's working folder stays where the program started: every path is absolute.
    if (fs::directory_iterator(absolute, error); error)
        return false;
    folder_ = absolute;
    const auto root = QStorageInfo(fromPath(folder_)).rootPath();
    if (const int index = drives_->findData(root); index >= 0)
        drives_->setCurrentIndex(index);
    if (held_) {
        scan_ = {};
        fillFolders();
    } else {
        rescan();
    }
    emit folderChanged();
    return true;
}

void FolderListControl::holdScans(bool hold)
{
    held_ = hold;
    if (!held_ && !folder_.empty())
        rescan();
}

void FolderListControl::rescan()
{
    takeScan(scanFolder(folder_));
}

void FolderListControl::takeScan(FolderScan scan)
{
    held_ = false;
    scan_ = std::move(scan);
    ++scans_;
    fillFolders();
}

void FolderListControl::fillFolders()
{
    folders_->clear();
    if (openIcon_.isNull()) {
        openIcon_ = folderIcon(true);
        closedIcon_ = folderIcon(false);
    }
    // The path from the root down, each level indented, then the sub-folders one level deeper.
    std::vector<fs::path> chain;
    for (auto step = folder_; !step.empty(); step = step.parent_path()) {
        chain.push_back(step);
        if (step == step.parent_path())
            break;
    }
    std::reverse(chain.begin(), chain.end());
    int depth = 0;
    for (const auto& step : chain) {
        const auto name = step.has_filename() ? fromPath(step.filename()) : fromPath(step);
        auto* item = new QListWidgetItem(openIcon_, QString(depth * 2, ' ') + name);
        item->setData(PathRole, fromPath(step));
        folders_->addItem(item);
        ++depth;
    }
    folders_->setCurrentRow(folders_->count() - 1);

    QStringList children;
    for (const auto& name : scan_.folders)
        children << fromSystemText(name);
    children.sort(Qt::CaseInsensitive);
    for (const auto& child : children) {
        auto* item = new QListWidgetItem(closedIcon_, QString(depth * 2, ' ') + child);
        item->setData(PathRole, fromPath(folder_ / toPath(child)));
        folders_->addItem(item);
    }
}

void FolderListControl::DriveBoxChange(int index)
{
    setFolder(toPath(drives_->itemData(index).toString()));
}

void FolderListControl::FolderListActivated(QListWidgetItem* item)
{
    if (item)
        setFolder(toPath(item->data(PathRole).toString()));
}

} // namespace quorvex
