#pragma once
// The " Restore " group of the Options page: the backups kept of the current game's files and
// "Restore", which puts the chosen copy back after a question.
#include <QGroupBox>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace quorvex {

class PageHost;

class BackupControl : public QGroupBox {
    Q_OBJECT
public:
    explicit BackupControl(PageHost& host, QWidget* parent = nullptr);

    // Reads the list again: after a change of the game folder, a change of the game, a restore.
    void refresh();
    void RestoreButtonClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    PageHost& host_;
    QTreeWidget* list_;
    QPushButton* restoreButton_;
    QLabel* folderLabel_;
};

} // namespace quorvex
