#pragma once
// The drive box and the folder list of the browser. The folder shown is also the process's
// current folder, so that commands naming a file without a folder work in it.
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
};

} // namespace quorvex
