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
#include <filesystem>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace quorvex {

class ActivityLog;

class GameEvents : public QObject {
    Q_OBJECT
public:
    // A page or window that holds edits not yet written to the game registers how to settle
    // them: ask Save / Discard / Cancel when there are any, and return false when the user
    // cancels (or the save failed). The registration ends with the owner.
    void holdEdits(QObject* owner, std::function<bool()> settle)
    {
        holders_.push_back({owner, std::move(settle)});
        connect(owner, &QObject::destroyed, this, [this, owner] { std::erase_if(holders_, [owner](const auto& h) { return h.first == owner; }); });
    }
    // Before every held edit is dropped (another game folder, closing the program): false when
    // one holder keeps its edits, and then nothing may be dropped.
    bool settleEdits()
    {
        for (const auto& holder : std::vector(holders_))
            if (!holder.second())
                return false;
        return true;
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
    std::vector<std::pair<QObject*, std::function<bool()>>> holders_;
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
    // Points the program at another game folder; when it differs, unsaved edits are settled
    // first (false: the user kept them, and the folder stays) and gameFolderChanged is raised.
    virtual bool setGameFolder(const std::filesystem::path& folder) = 0;
    // Shows a help topic ("text-editor" for text-editor.html) in the help window.
    virtual void showHelp(const QString& topic) = 0;
};

} // namespace quorvex
