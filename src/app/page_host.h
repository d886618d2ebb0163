#pragma once
// What a page or an editor window sees of the main window: the game, the services, a way to
// report, the one error boundary, and the events that tell it to reload what it holds.
// Pages include this header, never main_form.h.
#include "formats/palette.h"
#include "gameexe/workspace.h"
#include "shell/outcome.h"
#include "shell/services.h"

#include <QObject>
#include <QString>
#include <filesystem>
#include <functional>
#include <optional>

namespace quorvex {

class ActivityLog;

// The parts of the game that an operation may have changed behind a page's back, as flags.
struct GameData {
    static constexpr unsigned Weapons = 1u << 0;
    static constexpr unsigned Objects = 1u << 1;
    static constexpr unsigned SpecialObjects = 1u << 2;
    static constexpr unsigned Palette = 1u << 3;     // the palette in torlo.exe and the working palette
    static constexpr unsigned Materials = 1u << 4;
    static constexpr unsigned Texts = 1u << 5;
    static constexpr unsigned Sounds = 1u << 6;
    static constexpr unsigned Hacks = 1u << 7;
    static constexpr unsigned Ai = 1u << 8;
    static constexpr unsigned All = ~0u;
};

class GameEvents : public QObject {
    Q_OBJECT
signals:
    // Raised once when the game folder changes: everything that holds data read from the game
    // reloads it, so that nothing of the old game is ever written into the new one.
    void gameFolderChanged();
    // Raised after an operation (activation, a plugin, a restore) changed parts of the game
    // files; `parts` is a set of GameData flags.
    void gameDataChanged(unsigned parts);
    // Raised after an operation wrote a file outside the game data (an export), so that the
    // file list shows it.
    void filesChanged();
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
    // The status text first, then the log entry.
    virtual void report(const Outcome& outcome) = 0;
    // Runs a handler; any error is shown in a message box and abandons the handler.
    virtual bool guarded(const std::function<void()>& handler) = 0;
    // Points the program at another game folder; when it differs, gameFolderChanged is raised.
    virtual void setGameFolder(const std::filesystem::path& folder) = 0;
    // Shows a help topic ("text-editor" for text-editor.html) in the help window.
    virtual void showHelp(const QString& topic) = 0;
};

} // namespace quorvex
