#pragma once
// The drive box and the folder list of the browser. The folder shown is also the process's
// current folder, so that commands naming a file without a folder work in it.
#include "core/browser/file_list.h"

#include <QIcon>
#include <QWidget>

#include <filesystem>

class QComboBox;
class QListWidget;
class QListWidgetItem;

namespace quorvex {

class FolderListControl : public QWidget {
    Q_OBJECT
public:
    explicit FolderListControl(QWidget* parent = nullptr);

    const std::filesystem::path& folder() const { return folder_; }
    // Moves to folder (an existing one); false leaves everything as it was.
    bool setFolder(const std::filesystem::path& folder);
    // The one read of the folder that the folder list and the file list share.
    const FolderScan& scan() const { return scan_; }
    // Reads the folder again (after a command changed it) and refills the folder list.
    void rescan();
    // While held, a new folder is shown as its path alone and not read: scan() is empty
    // until the hold ends, which reads it.
    void holdScans(bool hold);
    // Ends the hold with a read of the folder made elsewhere (off the window's thread).
    void takeScan(FolderScan scan);
    // How often a folder has been read, for the tests of the single read.
    int scans() const { return scans_; }

signals:
    void folderChanged();

private:
    void fillDrives();
    void fillFolders();
    void DriveBoxChange(int index);
    void FolderListActivated(QListWidgetItem* item);

    QComboBox* drives_;
    QListWidget* folders_;
    std::filesystem::path folder_;
    FolderScan scan_;
    int scans_ = 0;
    bool held_ = false;
    QIcon openIcon_, closedIcon_;
};

} // namespace quorvex
