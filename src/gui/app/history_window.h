#pragma once
// The "History" window (from "Editors"): the steps that changed the game, newest first (the
// steps undone greyed above them), with "Undo" and "Redo"; below them the " Profiles " group:
// the saved setups with their date and the files that differ from the game, "Save setup as…"
// (the name typed beside it), "Switch to", "Rename" and "Delete". The main window's Ctrl+Z and
// Ctrl+Shift+Z run undo and redo through moveInHistory.
#include <QWidget>

class QFileSystemWatcher;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace quorvex {

class PageHost;

// Undoes (back) or redoes the game's last step inside the window's error boundary; its report
// makes every page show the game as it is then.
void moveInHistory(PageHost& host, bool back);

class HistoryWindow : public QWidget {
    Q_OBJECT
public:
    explicit HistoryWindow(PageHost& host, QWidget* parent = nullptr);

    // Reads the steps again: when the game folder changes, and when the game's backups folder
    // does (a step of the window's own, or of the CLI beside it).
    void refresh();

private:
    PageHost& host_;
    QFileSystemWatcher* watcher_;
    QTreeWidget* list_;
    QPushButton* undoButton_;
    QPushButton* redoButton_;
    QTreeWidget* profileList_;
    QLineEdit* profileName_;
};

} // namespace quorvex
