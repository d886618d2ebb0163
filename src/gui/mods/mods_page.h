#pragma once
// The "Mods" page: the game's mod list, one row per entry (tick box on or off, number, kind,
// name, date, a mark where it sets what another switched-on entry sets), "Up", "Down" and drag
// and drop to move, "Remove"; below, the selected entry's effect field by field with its value,
// the value it replaced and the entry that wins where another one does. A switch, move or
// removal rebuilds the game on a thread of its own, so the window keeps painting.
#include "core/mods/mods.h"

#include <QWidget>

class QPushButton;
class QTreeWidget;

namespace quorvex {

class PageHost;

class ModsPage : public QWidget {
    Q_OBJECT
public:
    ModsPage(PageHost& host, QWidget* tab);

    // Reads the list again and shows it, keeping the selected entry.
    void reload();
    // True while a rebuild runs.
    bool busy() const { return busy_; }

signals:
    // After a rebuild's outcome was reported.
    void rebuilt();

private:
    void change(long select, std::function<Outcome(const Workspace&)> operation);
    void finish(const Outcome& outcome, long select);
    void showEffect();
    long selected() const;   // the selected entry's number, 0 for none

    PageHost& host_;
    QTreeWidget* list_;
    QTreeWidget* effect_;
    QPushButton* up_;
    QPushButton* down_;
    QPushButton* remove_;
    ModList shown_;
    bool busy_ = false;
    bool filling_ = false;
};

} // namespace quorvex
