#pragma once
// The " Restore " group of the Options page: the backups kept of the current game's files and
// "Restore", which puts the chosen copy back after a question.
#include <QGroupBox>

class QFileSystemWatcher;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace quorvex {

class PageHost;

class BackupControl : public QGroupBox {
    Q_OBJECT
public:
    explicit BackupControl(PageHost& host, QWidget* parent = nullptr);

    // Reads the list again: when the game folder changes, and when the backups folder does (a
    // copy kept by any operation, a restore, the CLI beside the program).
    void refresh();
    void RestoreButtonClick();

private:
    PageHost& host_;
    QFileSystemWatcher* watcher_;
    QTreeWidget* list_;
    QPushButton* restoreButton_;
    QLabel* folderLabel_;
};

} // namespace quorvex
