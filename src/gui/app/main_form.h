#pragma once
// TMainForm: the main window. Creation runs the start-up sequence, activation re-reads the
// settings, closing removes the working files. Pages of each subsystem live in their folders.
#include "core/ai/ai_values.h"
#include "core/browser/file_filter.h"
#include "gui/host/browser_host.h"
#include "core/gamefile/resource_file.h"
#include "core/base/workspace.h"
#include "core/shell/activity_log.h"
#include "core/base/outcome.h"
#include "core/base/services.h"

#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <utility>
#include <vector>

class QCheckBox;
class QGroupBox;
class QLabel;
class QTabWidget;
class QVBoxLayout;

namespace quorvex {

class AiPage;
class EditHolder;
class GameModel;
class ChangesWindow;
struct Change;
class FileClassStore;
class HelpWindow;
class HistoryWindow;
class OptionsPage;
class ModBrowserControl;
class ModsPage;
class SoundPage;
class PalettePage;
class TablePage;
class WeaponPage;
struct PluginPages;
struct PluginWrites;

struct AppServices {
    Prompts& prompts;
    Shell& shell;
    const Clock& clock;
    SettingsStore& settings;
    Workspace workspace;            // the game folder comes from the settings
    QStringList arguments;          // the command line after the program name
    std::function<bool()> isWindows51;
    std::function<int()> screenWidth;
    FileClassStore* fileClasses = nullptr;   // the desktop's file classes; none: the platform's
};

class TMainForm : public QMainWindow, public BrowserHost {
    Q_OBJECT
public:
    explicit TMainForm(AppServices services, QWidget* parent = nullptr);
    ~TMainForm() override;

    // The pages, in the order of the page control; each has its row in the table of pages
    // (main_form.cpp).
    enum class Page { Graphics, About, Options, CpuAi, MaterialPalette, Weapons, Objects, SpecialObjects, Sounds, Mods, Count };
    QWidget* page(Page which) const;
    void showPage(Page which);

    // PageHost
    const Workspace& workspace() const override { return services_.workspace; }
    Prompts& prompts() override { return services_.prompts; }
    Shell& shell() override { return services_.shell; }
    SettingsStore& settings() override { return services_.settings; }
    ActivityLog& log() override { return log_; }
    GameEvents& gameEvents() override { return events_; }
    GameModel& gameModel() override { return *model_; }
    const Palette& workingPalette() const override;
    std::optional<std::filesystem::path> selectedModFile() const override;
    bool makeLwp2() const override;
    void StatusShow(const QString& text) override;
    void report(const Outcome& outcome, const QObject* from = nullptr) override;
    bool guarded(const std::function<void()>& handler) override;
    Outcome startGame() override;

    // BrowserHost
    QWidget& mainWindow() override { return *this; }
    void showPage(GamePage page) override;
    QWidget* editorWindow(Editor which) override;
    void showColourText(const QString& text) override;
    void focusHelpFileButton() override;
    void openHelp() override;

    // Points the program at another game folder; when it differs, every holder of game data
    // is told once through gameEvents().gameFolderChanged, after unsaved edits were settled.
    bool setGameFolder(const std::filesystem::path& folder) override;
    PluginPages pluginPages() const override;
    void pluginInstalled(const PluginPages& pages, const PluginWrites& wrote) override;

    // The start-up steps that wait for the first paint (the folder's listing, the greeting,
    // weapon.bmp), at most once, the listing waited for, and then every page not built yet.
    // Tests call it to have the whole window at once.
    void completeStartUp();
    // Builds a page not built yet (its row's builder) and, once the start-up has read the game,
    // reads its part of the game into it; pages not in view wait until they are first shown.
    void ensurePage(Page which);
    void buildAllPages();

    // Shows the window as the program starts it: at its preferred size where that fits the
    // screen with a frame around it, else maximised.
    void showOnScreen();

    void FormActivate();
    void ApplyColorScheme();

    AppServices& services() { return services_; }
    std::mt19937& random() override { return random_; }
    bool powerlevelFlag() const override { return powerlevel_; }

    // The Options page, built when asked for.
    OptionsPage* optionsPage();
    // Ticks of the Options page, from the settings while the page waits to be built.
    bool sortsByExtension() const override;
    bool previewsWithGamePalette() const override;
    std::array<QCheckBox*, FilterBoxes.size()> filterBoxes{};
    // The two editor windows, created hidden beside the main window and shown from "Editors".
    QWidget* hacksWindow = nullptr;
    QWidget* textEditorWindow = nullptr;
    // The "Changes" window, made when first asked for.
    QWidget* changesWindow();
    // The "History" window, made at its first showing.
    QWidget* historyWindow();
    // Brings the page of a change's entry to the front with the entry selected.
    void showChange(const Change& change);
    void showHelp(const QString& topic) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    static constexpr std::size_t PageCount = static_cast<std::size_t>(Page::Count);
    struct PageRow;
    static const std::array<PageRow, PageCount>& pageRows();
    static Page pageShowing(GamePage which);
    static constexpr QSize PreferredSize{1280, 860};
    static constexpr QSize FrameRoom{16, 64};   // more than the title bar and borders of common frames
    static QSize availableScreenSize();

    void buildWindow();
    void buildPages();
    OptionsPage* buildOptionsPage(QWidget* tab);
    QWidget* buildFilterGroup();
    void buildAboutPage(QWidget* tab);
    QWidget* buildHeader();

    void FormCreate();
    void FormClose();
    void readSettings();
    void firstRun();
    void applyOptionSettings();
    void pointBrowserAt(const std::filesystem::path& folder);
    void readCpuAiValues();
    void applyFilterBits();
    void handleCommandLine();
    void startUpAfterPaint();
    void showGreeting();
    void applyWindows51Rule();
    void buildWeaponPicture();

    AppServices services_;
    ActivityLog log_;
    GameEvents events_;
    std::unique_ptr<GameModel> model_;
    bool inOperation_ = false;   // a handler runs inside guarded()
    std::mt19937 random_;
    bool powerlevel_ = false;
    bool statusShown_ = false;              // a result has taken the welcome's place
    bool gameFound_ = false;                // the start-up read torlo.exe
    bool gameRead_ = false;                 // there is a game to read into a page when it is built
    bool startUpDone_ = false;
    std::array<bool, PageCount> built_{};   // the pages built so far
    void showError(const std::string& message);
    std::optional<std::vector<std::string>> heldErrors_;   // while the holders reload a new game
    bool started_ = false;   // the start-up has read the game; a new folder must be announced
    std::unique_ptr<FileClassStore> ownFileClasses_;
    std::optional<AiTexts> aiAtStart_;               // read at start-up, for the CPU AI page
    std::optional<QString> selectionForSounds_;      // the browser's last selection, for the Sounds page

    QTabWidget* pages_ = nullptr;
    HelpWindow* help_ = nullptr;   // made at the first "Help"
    QVBoxLayout* leftColumn_ = nullptr;
    QVBoxLayout* rightColumn_ = nullptr;
    QVBoxLayout* headerLayout_ = nullptr;
    QLabel* statusText_ = nullptr;
    QLabel* colourText_ = nullptr;
    QWidget* helpFileButton_ = nullptr;
    OptionsPage* options_ = nullptr;
    ModBrowserControl* browser_ = nullptr;
    WeaponPage* weapons_ = nullptr;
    TablePage* objects_ = nullptr;
    TablePage* sobjects_ = nullptr;
    SoundPage* sounds_ = nullptr;
    ModsPage* mods_ = nullptr;
    PalettePage* palette_ = nullptr;
    AiPage* ai_ = nullptr;
    std::unique_ptr<ChangesWindow> changes_;
    std::unique_ptr<HistoryWindow> history_;
};

} // namespace quorvex
