#pragma once
// What a page or an editor window sees of the main window: the game, the services, a way to
// report, the one error boundary, and the events that tell it to reload what it holds.
// Pages include this header, never main_form.h.
#include "core/formats/palette.h"
#include "core/base/workspace.h"
#include "core/base/outcome.h"
#include "core/base/services.h"

#include <QObject>
#include <QString>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace quorvex {

class ActivityLog;
class GameModel;

class GameEvents : public QObject {
    Q_OBJECT
public:
    // Whether holder reads the game again after a change made by from: not after its own, nor
    // while it keeps unsaved edits through another program's change.
    bool reloads(const QObject* holder, const QObject* from) const
    {
        return holder != from && std::find(keeping_.begin(), keeping_.end(), holder) == keeping_.end();
    }
    // gameDataChanged for a change by another program; the holders in keeping keep their edits.
    void changedOutside(GameParts parts, std::vector<const QObject*> keeping)
    {
        keeping_ = std::move(keeping);
        emit gameDataChanged(parts, nullptr);
        keeping_.clear();
    }

signals:
    // Raised once when the game folder changes: everything that holds data read from the game
    // reloads it, so that nothing of the old game is ever written into the new one.
    void gameFolderChanged();
    // Raised by report() after an operation changed parts of the game (its Outcome's
    // `changed`): every holder that shows any of them reloads what it shows, except `from`, the
    // holder that made the change itself and already shows what it wrote.
    void gameDataChanged(quorvex::GameParts parts, const QObject* from);
    // Raised after an operation wrote a file outside the game data (an export), so that the
    // file list shows it.
    void filesChanged();

private:
    std::vector<const QObject*> keeping_;
};

class PageHost {
public:
    virtual ~PageHost() = default;

    virtual const Workspace& workspace() const = 0;
    virtual Prompts& prompts() = 0;
    virtual Shell& shell() = 0;
    virtual SettingsStore& settings() = 0;
    virtual ActivityLog& log() = 0;
    virtual GameEvents& gameEvents() = 0;
    // The open game: its files' versions, the unsaved edits of every page and window, the gate.
    virtual GameModel& gameModel() = 0;
    // The working palette (8-bit), loaded at start-up and after palette changes.
    virtual const Palette& workingPalette() const = 0;

    // The file selected in the mod file list, if any ("Save in plugin" appends to it).
    virtual std::optional<std::filesystem::path> selectedModFile() const = 0;
    // "Create LWP2 instead of LWP1" as the options page shows it.
    virtual bool makeLwp2() const = 0;

    virtual void StatusShow(const QString& text) = 0;
    // The status text first, then the log entry, then gameDataChanged for the parts the
    // operation changed; `from` is the holder that made the change, when it keeps what it shows.
    virtual void report(const Outcome& outcome, const QObject* from = nullptr) = 0;
    // Runs a handler; any error is shown in a message box and abandons the handler.
    virtual bool guarded(const std::function<void()>& handler) = 0;
    // Starts the game (through the emulator's command line); the outcome is refused, with the
    // reason, when it could not be started.
    virtual Outcome startGame() = 0;
    // Points the program at another game folder; when it differs, unsaved edits pass the gate
    // first (false: the user kept them, and the folder stays) and gameFolderChanged is raised.
    virtual bool setGameFolder(const std::filesystem::path& folder) = 0;
    // Shows a help topic ("text-editor" for text-editor.html) in the help window.
    virtual void showHelp(const QString& topic) = 0;
};

} // namespace quorvex
