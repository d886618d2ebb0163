#include "gui/app/main_form.h"
#include "gui/ai/ai_page.h"
#include "gui/app/first_paint.h"
#include "gui/app/help_window.h"
#include "gui/app/history_window.h"
#include "gui/app/options_page.h"
#include "gui/changes/changes_window.h"
#include "gui/controls/compact_tab_widget.h"
#include "gui/host/game_model.h"
#include "gui/host/scheme_colours.h"
#include "core/browser/file_operations.h"
#include "gui/browser/mod_browser_control.h"
#include "core/browser/file_filter.h"
#include "core/formats/graphics_mod.h"
#include "core/text/cp437.h"
#include "core/store/backups.h"
#include "core/base/errors.h"
#include "core/gamefile/game_file.h"
#include "core/store/game_change.h"
#include "core/base/places.h"
#include "gui/palette/palette_page.h"
#include "modules/desktop/file_classes.h"
#include "core/platform/folders.h"
#include "modules/desktop/qt_platform.h"
#include "core/shell/settings.h"
#include "gui/weapons/table_page.h"
#include "gui/sound/sound_page.h"
#include "gui/mods/mods_page.h"
#include "gui/weapons/weapon_page.h"

#include <QShortcut>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QShowEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace fs = std::filesystem;

namespace quorvex {

// A page of the page control: its caption and tab, and what builds it. Only what the first
// paint shows is built with the window; the other pages are built when first shown, and their
// builders hand them what the start-up held for them. A page built once the start-up has read
// the game reads its part of the game then (load), so it shows the game as it is at that moment.
struct TMainForm::PageRow {
    enum class Built { WithWindow, Later };
    Page page;
    std::optional<GamePage> shows;   // none: a page of the window's own (Mods)
    const char* caption;
    const char* objectName;
    const char* helpTopic;   // the help page that "Help" opens while the page is in front
    Built built;
    void (*build)(TMainForm& form, QWidget* tab);   // none: another part fills it (the browser's preview)
    void (*load)(TMainForm& form) = nullptr;         // none: the page reads nothing of the game at once
    // The page as the model asks it about the parts it shows (what is unsaved, save, discard);
    // none: it holds no edits.
    EditHolder* (*edits)(TMainForm& form) = nullptr;
};

// The table of pages: a new page is its files and one row here (with its value of Page).
const std::array<TMainForm::PageRow, TMainForm::PageCount>& TMainForm::pageRows()
{
    using enum PageRow::Built;
    static constexpr std::array<PageRow, PageCount> rows{{
        {Page::Graphics, GamePage::Graphics, "Graphics", "GraphicsTab", "graphics", WithWindow, nullptr},
        {Page::About, GamePage::About, "About", "AboutTab", "index", WithWindow, [](TMainForm& form, QWidget* tab) { form.buildAboutPage(tab); }},
        {Page::Options, GamePage::Options, "Options", "OptionsTab", "options", Later,
         [](TMainForm& form, QWidget* tab) {
             form.options_ = form.buildOptionsPage(tab);
             form.applyOptionSettings();
         },
         [](TMainForm& form) { form.applyWindows51Rule(); }},
        {Page::CpuAi, GamePage::CpuAi, "CPU AI", "AITab", "cpu-ai", Later,
         [](TMainForm& form, QWidget* tab) { form.ai_ = new AiPage(form, tab); },
         [](TMainForm& form) {
             // The values read at start-up, while nothing has changed them since.
             if (form.aiAtStart_)
                 form.ai_->showGameTexts(*std::exchange(form.aiAtStart_, std::nullopt));
             else
                 form.ai_->SetAI();
         },
         [](TMainForm& form) -> EditHolder* { return form.ai_; }},
        {Page::MaterialPalette, GamePage::MaterialPalette, "Material/Palette", "PaletteTab", "palette", Later,
         [](TMainForm& form, QWidget* tab) { form.palette_ = new PalettePage(form, tab); },
         [](TMainForm& form) {
             form.palette_->readMaterials();
             form.palette_->loadPalette();
         },
         [](TMainForm& form) -> EditHolder* { return form.palette_; }},
        {Page::Weapons, GamePage::Weapons, "Weapons", "WeaponTab", "weapons", Later,
         [](TMainForm& form, QWidget* tab) { form.weapons_ = new WeaponPage(form, tab); },
         [](TMainForm& form) {
             form.weapons_->Load();
             form.weapons_->paintSwatchesBlack();
             form.weapons_->showFirst();
         },
         [](TMainForm& form) -> EditHolder* { return form.weapons_; }},
        {Page::Objects, GamePage::Objects, "Objects", "ObjTab", "objects", Later,
         [](TMainForm& form, QWidget* tab) { form.objects_ = new TablePage(form, tab, TablePage::Objects); },
         [](TMainForm& form) {
             form.objects_->paintSwatchesBlack();
             form.objects_->showFirst();
         },
         [](TMainForm& form) -> EditHolder* { return form.objects_; }},
        {Page::SpecialObjects, GamePage::SpecialObjects, "Special objects", "SpecTab", "special-objects", Later,
         [](TMainForm& form, QWidget* tab) { form.sobjects_ = new TablePage(form, tab, TablePage::SObjects); },
         [](TMainForm& form) { form.sobjects_->showFirst(); },
         [](TMainForm& form) -> EditHolder* { return form.sobjects_; }},
        {Page::Sounds, GamePage::Sounds, "Sounds", "SoundTab", "sounds", Later,
         [](TMainForm& form, QWidget* tab) {
             form.sounds_ = new SoundPage(form, tab);
             connect(form.browser_, &ModBrowserControl::fileSelected, form.sounds_, &SoundPage::followBrowser);
             if (form.selectionForSounds_)
                 form.sounds_->followBrowser(*std::exchange(form.selectionForSounds_, std::nullopt));
         },
         [](TMainForm& form) { form.sounds_->showFirst(); },
         [](TMainForm& form) -> EditHolder* { return form.sounds_; }},
        {Page::Mods, std::nullopt, "Mods", "ModsTab", "mods", Later, [](TMainForm& form, QWidget* tab) { form.mods_ = new ModsPage(form, tab); },
         [](TMainForm& form) { form.mods_->reload(); }},
    }};
    static_assert(
        [] {
            for (std::size_t i = 0; i < rows.size(); ++i)
                if (rows[i].page != static_cast<Page>(i) || !rows[i].caption || !rows[i].objectName ||
                    (rows[i].built == Later && !rows[i].build) || (rows[i].edits && !rows[i].shows) ||
                    (rows[i].edits && partsShownOn(*rows[i].shows).empty()))
                    return false;
            const auto hasRow = [](std::optional<GamePage> page) {
                return !page || std::any_of(rows.begin(), rows.end(), [page](const PageRow& row) { return row.shows == page; });
            };
            return std::all_of(GameAreas.begin(), GameAreas.end(),
                               [&](const GameArea& area) { return hasRow(area.page) && hasRow(area.filesPage); })
                   && std::all_of(FileFormats.begin(), FileFormats.end(),
                                  [&](const FileFormat& format) { return hasRow(format.page); });
        }(),
        "one whole row per value of TMainForm::Page, in its order; a page built later has its builder; "
        "a page that holds edits shows parts of the game; every page an area or a format names has its row");
    return rows;
}

TMainForm::TMainForm(AppServices services, QWidget* parent)
    : QMainWindow(parent), services_(std::move(services)), log_(services_.workspace.logFile(), services_.clock),
      model_(std::make_unique<GameModel>(*this))
{
    services_.workspace.held = model_.get();   // every page reads the game through the model
    setObjectName("MainForm");
    setWindowTitle("Quorvex " QUORVEX_VERSION);
    new QShortcut(QKeySequence::HelpContents, this, [this] { openHelp(); });
    buildWindow();
    // Undo and redo of the game's last step, anywhere in the window (a text box keeps its own).
    for (const bool back : {true, false}) {
        auto* action = new QAction(back ? "Undo" : "Redo", this);
        action->setObjectName(back ? "UndoAction" : "RedoAction");
        action->setShortcut(back ? QKeySequence::Undo : QKeySequence::Redo);
        connect(action, &QAction::triggered, this, [this, back] { moveInHistory(*this, back); });
        addAction(action);
    }
    setGameLockWaiting({true, [this](const std::string& text) {
        StatusShow(fromSystemText(text));
        statusText_->repaint();
    }});
    FormCreate();
}

TMainForm::~TMainForm()
{
    services_.workspace.held = nullptr;   // the model goes before the pages
}

void TMainForm::buildWindow()
{
    auto* central = new QWidget;
    central->setObjectName("MainPanel");
    auto* columns = new QHBoxLayout(central);
    // The file browser: narrow enough that all nine tabs show on a 1024-pixel screen, and it
    // takes a fifth of any room beyond that.
    auto* left = new QWidget;
    left->setObjectName("BrowserColumn");
    left->setMinimumWidth(150);
    left->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    leftColumn_ = new QVBoxLayout(left);
    leftColumn_->setContentsMargins(0, 0, 0, 0);
    columns->addWidget(left, 1);

    auto* middle = new QVBoxLayout;
    auto* top = new QHBoxLayout;
    top->addWidget(buildFilterGroup());
    top->addStretch();
    top->addWidget(buildHeader());
    middle->addLayout(top);

    pages_ = new CompactTabWidget;
    pages_->setObjectName("PageControl");
    for (const auto& row : pageRows()) {
        auto* tab = new QWidget;
        tab->setObjectName(row.objectName);
        pages_->addTab(tab, row.caption);
        if (row.built == PageRow::Built::WithWindow)
            ensurePage(row.page);
    }
    middle->addWidget(pages_, 1);
    columns->addLayout(middle, 4);
    rightColumn_ = new QVBoxLayout;     // the command buttons
    columns->addLayout(rightColumn_);
    // On a screen smaller than the window's content (800x600) the content scrolls, so every
    // control can still be reached; on larger ones it fits whole.
    auto* scroller = new QScrollArea;
    scroller->setObjectName("MainScroller");
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setWidgetResizable(true);
    scroller->viewport()->setAutoFillBackground(false);   // the window behind it has the same colour
    scroller->setWidget(central);
    central->setAutoFillBackground(false);   // which setWidget turned on: one full-window fill less
    setCentralWidget(scroller);
    connect(pages_, &QTabWidget::currentChanged, this, [this](int index) { ensurePage(static_cast<Page>(index)); });
    buildPages();

    // The status panel takes the room the window has (at least 350 pixels) but never widens the
    // window for a long text; the tooltip holds the whole text.
    statusText_ = new QLabel("Welcome to Quorvex !");
    statusText_->setObjectName("StatusText");
    statusText_->setMinimumWidth(350);
    statusText_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    colourText_ = new QLabel("Color:");
    colourText_->setObjectName("ColorText");
    colourText_->setMinimumWidth(80);
    statusBar()->addWidget(statusText_, 1);
    statusBar()->addWidget(colourText_);

    // The scroll area hides the content's size from the window, and most pages are built only
    // after the first paint: start at a size that holds every page, within the screen.
    resize(PreferredSize.boundedTo(availableScreenSize()));
}

QSize TMainForm::availableScreenSize()
{
    const auto* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableSize() : PreferredSize + FrameRoom;
}

void TMainForm::showOnScreen()
{
    // The window manager's frame (title bar, borders) is known only once the window is on the
    // screen, so a screen without room for the preferred size and a frame gets the window
    // maximised: the window manager then fits it frame and all, and the status line stays on
    // the screen. Without a window manager there is no frame and the window is its own size.
    const auto available = availableScreenSize();
    if ((PreferredSize + FrameRoom).boundedTo(available) != PreferredSize + FrameRoom)
        setWindowState(windowState() | Qt::WindowMaximized);
    show();
}

void TMainForm::ensurePage(Page which)
{
    const auto index = static_cast<std::size_t>(which);
    if (index >= PageCount || built_[index])
        return;
    built_[index] = true;
    const auto& row = pageRows()[index];
    if (row.build)
        row.build(*this, page(which));
    if (row.edits) {
        auto* edits = row.edits(*this);
        model_->hold(dynamic_cast<QObject*>(edits), *edits, row.caption, partsShownOn(*row.shows));
    }
    if (row.load && gameRead_)
        guarded([this, &row] { row.load(*this); });
}

void TMainForm::buildAllPages()
{
    for (std::size_t i = 0; i < PageCount; ++i)
        ensurePage(static_cast<Page>(i));
}

OptionsPage* TMainForm::buildOptionsPage(QWidget* tab)
{
    if (!services_.fileClasses) {
        ownFileClasses_ = desktopClassStore();
        services_.fileClasses = ownFileClasses_.get();
    }
    OptionsPage::Window window{
        [this](bool stretched) { browser_->placeLevelPicture(stretched); },
        [this](const QString& family) {
            auto windowFont = font();
            windowFont.setFamily(family);
            setFont(windowFont);
        },
        [this] {
            // Hidden while the colours change, so that it repaints whole in the new ones.
            pages_->hide();
            ApplyColorScheme();
            pages_->show();
        },
        [this] { return std::uniform_int_distribution<std::int64_t>(0, 16777214)(random_); }};
    auto* options = new OptionsPage(*this, *services_.fileClasses, std::move(window));
    (new QVBoxLayout(tab))->addWidget(options);
    tab->layout()->setContentsMargins(0, 0, 0, 0);
    return options;
}

void TMainForm::buildPages()
{
    // Connected before the pages, so that they find weapon.bmp rebuilt from the new game.
    connect(&events_, &GameEvents::gameFolderChanged, this, [this] {
        aiAtStart_.reset();
        pointBrowserAt(services_.workspace.gameFolder);
        // The pages not built yet read the new game when they are, if there is one.
        gameRead_ = guarded([this] {
            services_.workspace.existingTorloExe();
            buildWeaponPicture();
        });
    });
    // The values held for the CPU AI page are stale once anything changed them.
    connect(&events_, &GameEvents::gameDataChanged, this, [this](GameParts parts) {
        if (parts.has(GamePart::Ai))
            aiAtStart_.reset();
    });
    // The pages not in view are built by their rows (pageRows); what the start-up gives them
    // before then (the settings, the CPU AI values read at start-up, the browser's selection) is
    // held here and handed over when they are built.
    // The browser puts its part of the window in place, and its preview on the "Graphics" page.
    browser_ = new ModBrowserControl(*this, {leftColumn_, rightColumn_, headerLayout_, page(Page::Graphics), filterBoxes});
    connect(browser_, &ModBrowserControl::fileSelected, this, [this](const QString& file) {
        if (!sounds_)
            selectionForSounds_ = file;
    });
    connect(&events_, &GameEvents::filesChanged, browser_, &ModBrowserControl::RefreshButClick);
}

QWidget* TMainForm::buildFilterGroup()
{
    auto* group = new QGroupBox(" File Filter ");
    group->setObjectName("FilterGroup");
    group->setToolTip("Select which files to show");
    auto* grid = new QGridLayout(group);
    for (std::size_t i = 0; i < FilterBoxes.size(); ++i) {
        auto* box = new QCheckBox(FilterBoxes[i].caption);
        box->setObjectName(QString("Filter") + QString(FilterBoxes[i].caption).remove(' '));
        grid->addWidget(box, static_cast<int>(i % 3), static_cast<int>(i / 3));
        filterBoxes[i] = box;
    }
    return group;
}

QWidget* TMainForm::buildHeader()
{
    auto* header = new QWidget;
    header->setObjectName("HeaderPanel");
    auto* layout = headerLayout_ = new QVBoxLayout(header);
    auto* name = new QLabel("<b>Quorvex</b>");
    name->setObjectName("ProgramName");
    auto* version = new QLabel("Version " QUORVEX_VERSION);
    version->setObjectName("VersionLabel");
    layout->addWidget(name);
    layout->addWidget(version);
    return header;
}

void TMainForm::buildAboutPage(QWidget* about)
{
    auto* layout = new QVBoxLayout(about);
    auto* names = new QPlainTextEdit("Quorvex " QUORVEX_VERSION "\nMod manager and data editor for Torlo\n\n"
                                     "Install levels, palettes, graphics and sound mods, weapon plugins "
                                     "and translations; edit weapons, objects, palette, materials, AI, "
                                     "texts and code switches of the game.");
    names->setObjectName("AboutMemo");
    names->setReadOnly(true);
    auto* contact = new QPlainTextEdit("Made by Morvane\nhttps://quorvex.morvane.net\n"
                                       "Questions and mods: https://torlonet.morvane.net");
    contact->setObjectName("ContactMemo");
    contact->setReadOnly(true);
    layout->addWidget(names);
    layout->addWidget(contact);
    auto* label = new QLabel("For more info, please read the helpfile:");
    label->setObjectName("HelpLabel");
    layout->addWidget(label);
    auto* help = new QPushButton("Click here to go to the helpfile");
    help->setObjectName("HelpFileButton");
    connect(help, &QPushButton::clicked, this, [this] { showHelp("index"); });
    helpFileButton_ = help;
    layout->addWidget(help);
    layout->addStretch();
}

QWidget* TMainForm::page(Page which) const
{
    return pages_->widget(static_cast<int>(which));
}

void TMainForm::showPage(Page which)
{
    pages_->setCurrentIndex(static_cast<int>(which));
}

QWidget* TMainForm::historyWindow()
{
    if (!history_)
        history_ = std::make_unique<HistoryWindow>(*this);
    return history_.get();
}

TMainForm::Page TMainForm::pageShowing(GamePage which)
{
    for (const auto& row : pageRows())
        if (row.shows == which)
            return row.page;
    return Page::About;   // not reached: the check of pageRows() finds every GamePage a row
}

void TMainForm::showPage(GamePage which)
{
    showPage(pageShowing(which));
}

QWidget* TMainForm::editorWindow(Editor which)
{
    switch (which) {
    case Editor::Hacks: return hacksWindow;
    case Editor::Texts: return textEditorWindow;
    case Editor::Changes: return changesWindow();
    case Editor::History: return historyWindow();
    }
    return nullptr;
}

void TMainForm::showColourText(const QString& text)
{
    colourText_->setText(text);
}

void TMainForm::focusHelpFileButton()
{
    helpFileButton_->setFocus();
}

QWidget* TMainForm::changesWindow()
{
    if (!changes_)
        changes_ = std::make_unique<ChangesWindow>(*this, [this](const Change& change) { showChange(change); });
    return changes_.get();
}

void TMainForm::showChange(const Change& change)
{
    const int entry = std::atoi(change.entry.c_str());
    const auto show = [this](Page which) {
        showPage(which);
        ensurePage(which);
    };
    if (const auto shownOn = gameArea(change.area).page)
        show(pageShowing(*shownOn));
    switch (change.area) {
    case ChangeArea::Weapon:
        weapons_->selectWeapon(entry);
        weapons_->LeesWapen();
        break;
    case ChangeArea::Object:
    case ChangeArea::SObject: {
        auto* table = change.area == ChangeArea::Object ? objects_ : sobjects_;
        table->selectRow(entry);
        table->showEntry();
        break;
    }
    case ChangeArea::Palette:
    case ChangeArea::Material: palette_->PaletteGridSelectCell(entry % 16, entry / 16); break;
    case ChangeArea::Hack:
        if (hacksWindow)
            hacksWindow->show();
        break;
    case ChangeArea::Text:
        if (textEditorWindow)
            textEditorWindow->show();
        break;
    default: break;
    }
}

std::optional<fs::path> TMainForm::selectedModFile() const
{
    return browser_->selectedFile();
}

bool TMainForm::makeLwp2() const
{
    return options_ ? options_->lwp2Box->isChecked() : isYes(services_.settings, setting::MakeLWP2);
}

bool TMainForm::sortsByExtension() const
{
    return options_ ? options_->sortBox->isChecked() : !isNo(services_.settings, setting::SortExt);
}

bool TMainForm::previewsWithGamePalette() const
{
    return options_ ? options_->usePaletteBox->isChecked() : isYes(services_.settings, setting::UsePal);
}

OptionsPage* TMainForm::optionsPage()
{
    ensurePage(Page::Options);
    return options_;
}

PluginPages TMainForm::pluginPages() const
{
    // A page not built yet has nothing selected: the plugin reads the table from the game.
    PluginPages pages;
    const int weapon = weapons_ ? weapons_->selectedWeapon() : -1;
    if (weapon >= 0)
        pages.weapons = weapons_->data();
    pages.weapon = std::max(weapon, 0);
    pages.object = std::max(objects_ ? objects_->selectedRow() : -1, 0);
    pages.sobject = std::max(sobjects_ ? sobjects_->selectedRow() : -1, 0);
    return pages;
}

void TMainForm::pluginInstalled(const PluginPages& pages, const PluginWrites& wrote)
{
    // A page not built yet shows its first entry when it is.
    if (wrote.weapons && weapons_)
        weapons_->selectWeapon(pages.weapon);
    if (wrote.objects && objects_)
        objects_->selectRow(pages.object);
    if (wrote.sobjects && sobjects_)
        sobjects_->selectRow(pages.sobject);
}

void TMainForm::StatusShow(const QString& text)
{
    statusText_->setText(text);
    statusText_->setToolTip(text);
    statusShown_ = true;
}

void TMainForm::report(const Outcome& outcome, const QObject* from)
{
    if (auto* change = GameChange::inProgress(services_.workspace))
        change->describe(outcome.status, outcome.succeeded());   // the history's step of the handler
    if (!outcome.status.empty())
        StatusShow(fromSystemText(outcome.status));
    // The status text stays; a log that cannot be written is a warning, and the handler goes on.
    if (outcome.succeeded() && !outcome.logMessage.empty())
        if (const auto warning = appendToLog(log_, outcome); !warning.empty())
            services_.prompts.error(warning);
    // The one notification of changed game data: every operation passes here.
    if (!outcome.changed.empty())
        events_.gameDataChanged(outcome.changed, from);
}

bool TMainForm::guarded(const std::function<void()>& handler)
{
    // The outermost handler first takes in what another program replaced since the window last
    // looked, and afterwards knows the files as its own writes left them; the watch waits
    // meanwhile, as nothing but this handler changes the game while it holds the lock.
    const bool outermost = !std::exchange(inOperation_, true);
    struct Finish {
        TMainForm& form;
        bool outermost;
        ~Finish()
        {
            if (!outermost)
                return;
            form.model_->noteOwnWrites();
            form.model_->setWatching(true);
            form.inOperation_ = false;
        }
    } finish{*this, outermost};
    try {
        // Every handler holds the game's lock and puts its patches in place at its end.
        GameChange change(services_.workspace);
        if (outermost) {
            model_->setWatching(false);
            model_->takeOutsideChanges();
        }
        handler();
        change.commit();
        if (outermost)
            model_->noteOwnWrites();   // still inside the lock
        return true;
    } catch (const FileError& error) {
        showError(error.what());
    } catch (const ConvertError& error) {
        showError(error.what());
    } catch (const std::bad_alloc&) {
        showError("Out of memory: the operation was abandoned");
    } catch (const std::exception& error) {
        // A character the game can not hold, a library's exception: shown, and the program
        // goes on with the user's work in it.
        showError(error.what());
    } catch (...) {
        showError("An unknown error abandoned the operation");
    }
    return false;
}

void TMainForm::showError(const std::string& message)
{
    if (!heldErrors_)
        services_.prompts.error(message);
    else if (std::find(heldErrors_->begin(), heldErrors_->end(), message) == heldErrors_->end())
        heldErrors_->push_back(message);
}

// --- start-up ----------------------------------------------------------------------------

void TMainForm::FormCreate()
{
    if (services_.screenWidth && services_.screenWidth() == 800)   // an 800-pixel screen
        move(1, 1);
    guarded([this] { log_.writeStartHeader(); });
    showPage(Page::About);
    random_.seed(static_cast<std::mt19937::result_type>(std::random_device{}()));
    readSettings();                                                 // the first run asks for the game
    setFont(settingFont(services_.settings, font()));               // the option boxes wait for the Options page
    pointBrowserAt(services_.workspace.gameFolder);
    model_->gameFolderRead();
    gameFound_ = guarded([this] { readCpuAiValues(); });            // the first access to torlo.exe
    // The filter boxes, the command line and the greeting need no game: without one the
    // browser still lists files, and a stored "Filter" is not overwritten by empty boxes.
    guarded([this] {
        applyFilterBits();
        handleCommandLine();
    });
    // The rest waits until the window is on the screen; its order stays.
    afterFirstPaint(this, [this] { startUpAfterPaint(); });
}

void TMainForm::startUpAfterPaint()
{
    if (startUpDone_)
        return;
    startUpDone_ = true;
    browser_->listHeldFolderInBackground();
    guarded([this] { showGreeting(); });
    if (gameFound_) {
        guarded([this] {
            applyWindows51Rule();
            buildWeaponPicture();
        });
        // The pages built so far (shown from the command line) read the game now, the others
        // when they are first shown.
        gameRead_ = true;
        for (const auto& row : pageRows())
            if (row.load && built_[static_cast<std::size_t>(row.page)])
                guarded([this, &row] { row.load(*this); });
    }
    started_ = true;
}

void TMainForm::completeStartUp()
{
    startUpAfterPaint();
    browser_->listHeldFolder();
    buildAllPages();
}

void TMainForm::readSettings()
{
    auto& settings = services_.settings;
    if (auto path = settings.text(setting::TorloPath)) {
        services_.workspace.gameFolder = absolutePath(*path);
        return;
    }
    firstRun();
}

void TMainForm::firstRun()
{
    auto& settings = services_.settings;
    if (auto chosen = services_.prompts.openFile(TorloExeFilter, {}, "Where is torlo.exe?"))
        settings.setText(setting::TorloPath, chosen->parent_path().string());
    writeFirstRunDefaults(settings);
    setGameFolder(settings.text(setting::TorloPath).value_or(""));
    showHelp("index");
}

void TMainForm::applyOptionSettings()
{
    const auto& settings = services_.settings;
    options_->pathEdit->setText(fromPath(services_.workspace.gameFolder));
    if (isNo(settings, setting::DoSound))
        options_->soundBox->setChecked(false);
    if (isYes(settings, setting::Stretch))
        options_->stretchBox->setChecked(true);
    if (isYes(settings, setting::MakePL))
        options_->powerlevelBox->setChecked(true);
    if (isYes(settings, setting::UsePal))
        options_->usePaletteBox->setChecked(true);
    if (isNo(settings, setting::SortExt))
        options_->sortBox->setChecked(false);
    if (isYes(settings, setting::MakeLWP2))
        options_->lwp2Box->setChecked(true);
    options_->fontEdit->setText(QString::fromStdString(textOr(settings, setting::Font, "Tahoma")));
    options_->runCommandEdit->setText(fromSystemText(textOr(settings, setting::RunCommand, DefaultRunCommand)));
    options_->textEditorEdit->setText(fromSystemText(textOr(settings, setting::TextEditor, "")));
}

void TMainForm::pointBrowserAt(const fs::path& folder)
{
    browser_->pointAt(folder);
}

void TMainForm::readCpuAiValues()
{
    services_.workspace.existingTorloExe();   // names the folder when the game is not there
    aiAtStart_ = readAiTexts(services_.workspace);
}

void TMainForm::applyFilterBits()
{
    const auto bits = services_.settings.integer(setting::Filter).value_or(DefaultFilter);
    const auto ticks = filterTicksFromBits(bits);
    for (std::size_t i = 0; i < ticks.size(); ++i)
        filterBoxes[i]->setChecked(ticks[i]);
    browser_->applyFilter();
}

void TMainForm::handleCommandLine()
{
    if (services_.arguments.isEmpty())
        return;
    const QFileInfo file(services_.arguments.front());
    if (!file.isFile()) {
        showHelp("index");
        return;
    }
    browser_->pointAt(toPath(file.absolutePath()));
    browser_->selectFile(toPath(file.fileName()).string());
}

void TMainForm::showGreeting()
{
    if (auto greeting = greetingFor(services_.clock.today()))
        services_.prompts.information(*greeting);
}

const Palette& TMainForm::workingPalette() const
{
    static const Palette notReadYet{};
    return palette_ ? palette_->workingPalette() : notReadYet;
}

bool TMainForm::setGameFolder(const fs::path& given)
{
    const auto folder = absolutePath(given);
    if (folder == services_.workspace.gameFolder)
        return true;
    // Edits of the old game are saved into it or dropped, never carried into the new one.
    if (started_ && !model_->settle())
        return false;
    services_.workspace.gameFolder = folder;
    // During the start-up nothing has been read from a game yet; its own steps read the new one.
    if (!started_)
        return true;
    // Every holder reloads; a game that is not there is said once, not once per holder.
    heldErrors_.emplace();
    model_->gameFolderRead();
    events_.gameFolderChanged();
    const auto errors = std::move(*heldErrors_);
    heldErrors_.reset();
    for (const auto& error : errors)
        services_.prompts.error(error);
    return true;
}

void TMainForm::applyWindows51Rule()
{
    if (!services_.isWindows51 || !services_.isWindows51())
        return;
    services_.settings.setText(setting::DoSound, "no");
    if (!options_)
        return;   // its builder reads the setting, its load comes here again
    options_->soundBox->setChecked(false);
    options_->soundBox->setEnabled(false);
}

void TMainForm::buildWeaponPicture()
{
    report(buildWeaponBitmap(services_.workspace));
}

Outcome TMainForm::startGame()
{
    return start(services_.shell, gameLaunch(services_.workspace, services_.settings, environmentPath("HOME").string()));
}

void TMainForm::openHelp()
{
    showHelp(pageRows()[static_cast<std::size_t>(pages_->currentIndex())].helpTopic);
}

void TMainForm::showHelp(const QString& topic)
{
    if (!help_)
        help_ = new HelpWindow(services_.shell, services_.workspace.resourceFile.parent_path() / "help", this);
    help_->showTopic(topic);
}

// --- activation and close ----------------------------------------------------------------

void TMainForm::FormActivate()
{
    auto& settings = services_.settings;
    if (auto path = settings.text(setting::TorloPath))
        setGameFolder(*path);
    powerlevel_ = isYes(settings, setting::MakePL);
    browser_->placeLevelPicture(isYes(settings, setting::Stretch));
    ApplyColorScheme();
    // Activation also follows every dialog, menu and other window of the program: the welcome
    // stands only until the first result, which then stays until the next, so the user sees
    // what happened.
    if (!statusShown_)
        statusText_->setText("Welcome to Quorvex !");
}

void TMainForm::ApplyColorScheme()
{
    setPalette(schemePalette(services_.settings, palette()));
    // The editor pages keep the system colours: light-on-light scheme text would be unreadable
    // on their light panes.
    auto system = QApplication::palette();
    for (auto role : {QPalette::Window, QPalette::WindowText})
        system.setColor(role, system.color(role));   // marks the roles as set, so they do not inherit
    pages_->setPalette(system);
}

void TMainForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // Without a window manager (kiosk set-ups, Xvfb) the window is never activated; the
    // settings and colours must still be applied once it shows.
    if (!event->spontaneous() && !isActiveWindow())
        FormActivate();
}

void TMainForm::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

void TMainForm::FormClose()
{
    const auto& ws = services_.workspace;
    for (const auto& file : {ws.previewBitmap(), ws.weaponBitmap(), ws.soundWorkFile()}) {
        std::error_code error;
        fs::remove(file, error);
    }
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    if (!model_->settle()) {
        event->ignore();
        return;
    }
    // No tool window outlives the main window: the program ends with it.
    for (QWidget* tool : {hacksWindow, textEditorWindow, static_cast<QWidget*>(changes_.get()),
                          static_cast<QWidget*>(history_.get()), static_cast<QWidget*>(help_)})
        if (tool && tool->isVisible())
            tool->close();
    FormClose();
    QMainWindow::closeEvent(event);
}

} // namespace quorvex
