#include "gui/app/options_page.h"
#include "gui/app/windows.h"
#include "gui/browser/folder_list_control.h"
#include "modules/desktop/qt_platform.h"
#include "main_form_fixture.h"

#include <QTextBrowser>
#include <QCheckBox>
#include <QFontDatabase>
#include <QTest>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QStatusBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

QString statusText(TMainForm& form)
{
    return find<QLabel>(&form, "StatusText")->text();
}

std::vector<bool> filterTicks(TMainForm& form)
{
    std::vector<bool> ticks;
    for (auto* box : form.filterBoxes)
        ticks.push_back(box->isChecked());
    return ticks;
}

} // namespace

TEST(MainForm, WindowShellCaptionsPagesAndStatusBar)
{
    MainFormFixture fixture;
    auto form = fixture.create();
    EXPECT_EQ(form->windowTitle(), "Quorvex 1.8.10");
    auto* pages = find<QTabWidget>(form.get(), "PageControl");
    ASSERT_NE(pages, nullptr);
    QStringList captions;
    for (int i = 0; i < pages->count(); ++i)
        captions << pages->tabText(i);
    EXPECT_EQ(captions, (QStringList{"Graphics", "About", "Options", "CPU AI", "Material/Palette", "Weapons", "Objects",
                                     "Special objects", "Sounds", "Mods"}));
    EXPECT_EQ(pages->currentWidget()->objectName(), "AboutTab");
    EXPECT_EQ(statusText(*form), "Welcome to Quorvex !");
    EXPECT_EQ(find<QLabel>(form.get(), "ColorText")->text(), "Color:");
    EXPECT_EQ(find<QLabel>(form.get(), "HelpLabel")->text(), "For more info, please read the helpfile:");
    EXPECT_TRUE(fixture.prompts.shown.empty());
    EXPECT_TRUE(fixture.shell.calls.empty());
}

TEST(MainForm, FirstRunAsksForTheGameWritesDefaultsAndOpensHelp)
{
    MainFormFixture fixture;
    fixture.settings.texts.clear();
    fixture.prompts.files.push_back(fixture.demo.game() / "TORLO.EXE");
    auto form = fixture.create();
    ASSERT_EQ(fixture.prompts.filters.size(), 1u);
    EXPECT_EQ(fixture.prompts.filters[0], "Torlo.exe|Torlo.exe|All executables|*.exe");
    EXPECT_EQ(fixture.prompts.titles[0], "Where is torlo.exe?");
    EXPECT_EQ(fixture.settings.text("TorloPath"), fixture.demo.game().string());
    EXPECT_EQ(fixture.settings.integer("Filter"), 255);
    EXPECT_EQ(fixture.settings.text("Font"), "Tahoma");
    EXPECT_EQ(fixture.settings.text("MakeLWP2"), "no");
    auto* help = find<QWidget>(form.get(), "HelpWindow");
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(find<QTextBrowser>(help, "HelpBrowser")->source().toLocalFile().endsWith("/help/index.html"));
    EXPECT_TRUE(fixture.shell.calls.empty()) << "the help opens in Quorvex's own window";
    EXPECT_EQ(form->optionsPage()->pathEdit->text().toStdString(), fixture.demo.game().string());
    EXPECT_TRUE(fixture.prompts.shown.empty()) << fixture.prompts.shown.front();
}

TEST(MainForm, CancelledFirstRunLeavesTheFolderEmptyAndStillOpens)
{
    MainFormFixture fixture;
    fixture.settings.texts.clear();
    fixture.prompts.files.push_back(std::nullopt);
    auto form = fixture.create();
    EXPECT_FALSE(fixture.settings.contains("TorloPath"));
    EXPECT_EQ(fixture.settings.text("DoSound"), "yes");
    ASSERT_EQ(fixture.prompts.shown.size(), 1u);
    EXPECT_EQ(fixture.prompts.shown[0],
              "torlo.exe was not found: no game folder is set \u2014 set the game folder on the Options page");
}

TEST(MainForm, StartWithoutTorloExeNamesWhatIsMissingAndRunsTheStepsThatNeedNoGame)
{
    MainFormFixture fixture;
    fs::remove(fixture.demo.game() / "torlo.exe");
    fixture.settings.setInteger("Filter", 511);
    fixture.clock.date = {2027, 1, 1};
    auto form = fixture.create({QString::fromStdString((fixture.demo.game() / "mods" / "MEADOW.LEV").string())});
    ASSERT_EQ(fixture.prompts.shown.size(), 2u);
    EXPECT_EQ(fixture.prompts.shown[0], "torlo.exe was not found in " + fixture.demo.game().string()
                                            + " \u2014 set the game folder on the Options page");
    // The filter boxes, the command line and the greeting; not the game's tables or weapon.bmp.
    EXPECT_EQ(filterTicks(*form), std::vector<bool>(9, true));
    EXPECT_EQ(find<QListWidget>(form.get(), "FileList")->currentItem()->text(), "MEADOW.LEV");
    EXPECT_EQ(fixture.prompts.shown[1], "Happy new year!");
    form->filterBoxes[0]->click();
    form->filterBoxes[0]->click();
    EXPECT_EQ(fixture.settings.integer("Filter"), 511);
    EXPECT_FALSE(fs::exists(fixture.demo.workspace.weaponBitmap()));
    form->FormActivate();   // keeps the preview's status of the file from the command line
    form->FormActivate();
    EXPECT_EQ(statusText(*form), "This is a normal level");
}

TEST(MainForm, FilterBitsTickTheBoxes)
{
    for (auto [stored, expected] : std::vector<std::pair<std::optional<int>, std::vector<bool>>>{
             {511, std::vector<bool>(9, true)},
             {0, std::vector<bool>(9, false)},
             {std::nullopt, {true, true, true, true, true, true, true, true, false}}}) {
        MainFormFixture fixture;
        if (stored)
            fixture.settings.setInteger("Filter", *stored);
        auto form = fixture.create();
        EXPECT_EQ(filterTicks(*form), expected) << (stored ? *stored : -1);
    }
}

TEST(MainForm, GreetingShownOnceOnItsDate)
{
    MainFormFixture newYear;
    newYear.clock.date = {2027, 1, 1};
    auto form = newYear.create();
    EXPECT_EQ(newYear.prompts.shown, std::vector<std::string>{"Happy new year!"});

    MainFormFixture ordinary;
    ordinary.clock.date = {2027, 1, 2};
    auto other = ordinary.create();
    EXPECT_TRUE(ordinary.prompts.shown.empty());
}

TEST(MainForm, CommandLineTextThatIsNoFileOpensHelp)
{
    MainFormFixture fixture;
    auto form = fixture.create({"no-such-file.lev"});
    auto* help = find<QWidget>(form.get(), "HelpWindow");
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(find<QTextBrowser>(help, "HelpBrowser")->source().toLocalFile().endsWith("/help/index.html"));
}

TEST(MainForm, SettingsDecideTheOptionBoxes)
{
    MainFormFixture fixture;
    fixture.settings.setText("DoSound", "no");
    fixture.settings.setText("Stretch", "yes");
    fixture.settings.setText("MakePL", "YES");   // only exactly "yes" counts
    // An installed family other than the default (generic names like "Serif" are aliases).
    QString installed;
    for (const auto& family : QFontDatabase::families())
        if (family != QApplication::font().family() && family.contains(' ') && installed.isEmpty())
            installed = family;
    ASSERT_FALSE(installed.isEmpty());
    fixture.settings.setText("Font", installed.toStdString());
    auto form = fixture.create();
    auto* options = form->optionsPage();
    EXPECT_FALSE(options->soundBox->isChecked());
    EXPECT_TRUE(options->stretchBox->isChecked());
    EXPECT_FALSE(options->powerlevelBox->isChecked());
    EXPECT_EQ(options->fontEdit->text(), installed);
    EXPECT_EQ(form->font().family(), installed);

    // A family that is not installed is shown in the box and not set.
    MainFormFixture missing;
    missing.settings.setText("Font", "No Such Family");
    auto plain = missing.create();
    EXPECT_EQ(plain->optionsPage()->fontEdit->text(), "No Such Family");
    EXPECT_EQ(plain->font().family(), QApplication::font().family());
}

TEST(MainForm, Windows51SwitchesSoundOffEveryStart)
{
    MainFormFixture fixture;
    fixture.windows51 = true;
    auto form = fixture.create();
    EXPECT_FALSE(form->optionsPage()->soundBox->isChecked());
    EXPECT_FALSE(form->optionsPage()->soundBox->isEnabled());
    EXPECT_EQ(fixture.settings.text("DoSound"), "no");
}

TEST(MainForm, StartBuildsWeaponBitmapAndCloseRemovesTheWorkingFiles)
{
    MainFormFixture fixture;
    const auto& ws = fixture.demo.workspace;
    auto form = fixture.create();
    EXPECT_EQ(fs::file_size(ws.weaponBitmap()), 45718u);
    test::writeBytes(ws.previewBitmap(), {1});
    test::writeBytes(ws.soundWorkFile(), {1});
    form->close();
    EXPECT_FALSE(fs::exists(ws.weaponBitmap()));
    EXPECT_FALSE(fs::exists(ws.previewBitmap()));
    EXPECT_FALSE(fs::exists(ws.soundWorkFile()));
    EXPECT_TRUE(fs::exists(ws.logFile()));
}

TEST(MainForm, ShortTorloChrGivesTheStatusTextAndNoWeaponBitmap)
{
    MainFormFixture fixture;
    auto chr = test::readBytes(fixture.demo.game() / "TORLO.CHR");
    chr.resize(35027);
    test::writeBytes(fixture.demo.game() / "TORLO.CHR", chr);
    auto form = fixture.create();
    EXPECT_EQ(statusText(*form), "A file could not be created. You will get errors when editing weapons");
    EXPECT_FALSE(fs::exists(fixture.demo.workspace.weaponBitmap()));
}

TEST(MainForm, ActivationRereadsTheGameFolder)
{
    MainFormFixture fixture;
    auto form = fixture.create();
    fixture.settings.setText("TorloPath", "/elsewhere");
    fixture.settings.setText("MakePL", "yes");
    form->FormActivate();
    EXPECT_EQ(form->workspace().gameFolder, fs::path("/elsewhere"));
    EXPECT_TRUE(form->powerlevelFlag());
}

TEST(MainForm, TheErrorBoundaryShowsEveryErrorAndTheProgramGoesOn)
{
    MainFormFixture fixture;
    auto form = fixture.create();
    EXPECT_FALSE(form->guarded([] { throw std::runtime_error("zip_open: Not a zip archive"); }));
    EXPECT_FALSE(form->guarded([] { throw std::bad_alloc(); }));
    EXPECT_FALSE(form->guarded([] { throw 42; }));
    EXPECT_TRUE(form->guarded([] {}));
    ASSERT_EQ(fixture.prompts.shown.size(), 3u);
    EXPECT_EQ(fixture.prompts.shown[0], "zip_open: Not a zip archive");
    EXPECT_EQ(fixture.prompts.shown[1], "Out of memory: the operation was abandoned");
    EXPECT_EQ(fixture.prompts.shown[2], "An unknown error abandoned the operation");
}

// The welcome stands until the first result; a result stays however often the window is
// activated again (each dialog, menu or other window of the program activates it on closing).
TEST(MainForm, ActivationKeepsTheLastStatusText)
{
    MainFormFixture fixture;
    auto form = fixture.create();
    form->FormActivate();
    EXPECT_EQ(statusText(*form), "Welcome to Quorvex !");
    form->StatusShow("Could not rename: \"b.lev\" already exists");
    for (int activation = 0; activation < 3; ++activation) {
        form->FormActivate();
        EXPECT_EQ(statusText(*form), "Could not rename: \"b.lev\" already exists") << activation;
    }
}

TEST(MainForm, ALongStatusTextTakesTheWindowsRoomAndIsWholeInTheTooltip)
{
    MainFormFixture fixture;
    auto form = fixture.create();
    form->resize(1024, 740);
    form->show();
    const QSize before = form->minimumSizeHint();
    const QString text = "GFX Mod viewed. Move your mouse across the picture to see detail; " + QString(80, 'x');
    form->StatusShow(text);
    QCoreApplication::processEvents();
    auto* panel = find<QLabel>(form.get(), "StatusText");
    EXPECT_GT(panel->width(), 600);
    EXPECT_EQ(panel->toolTip(), text);
    EXPECT_EQ(form->minimumSizeHint(), before);   // a long text never widens the window
    EXPECT_EQ(form->width(), 1024);
    form->close();
}

// Screens of 1024x768 and 1366x768 (less a title bar) hold the window whole; on 800x600 the
// content scrolls and nothing is squeezed below its size, so every control can be reached.
TEST(MainForm, TheWindowFitsSmallScreens)
{
    MainFormFixture fixture;
    auto form = fixture.create({QString::fromStdString((fixture.demo.game() / "mods" / "MEADOW.LEV").string())});
    const auto shots = qEnvironmentVariable("QUORVEX_SHOTS_DIR");
    auto* scroller = find<QScrollArea>(form.get(), "MainScroller");
    auto* pages = find<QTabWidget>(form.get(), "PageControl");
    for (const QSize screen : {QSize(1024, 768), QSize(1366, 768), QSize(800, 600)}) {
        form->resize(screen - QSize(0, 40));
        form->show();
        QCoreApplication::processEvents();
        const bool whole = screen.width() > 800;
        EXPECT_EQ(scroller->verticalScrollBar()->isVisible(), !whole) << screen.width();
        if (whole) {
            EXPECT_FALSE(scroller->horizontalScrollBar()->isVisible()) << screen.width();
        }
        auto* content = scroller->widget();
        EXPECT_GE(content->width(), content->minimumSizeHint().width());
        EXPECT_GE(content->height(), content->minimumSizeHint().height());
        EXPECT_EQ(find<QLabel>(form.get(), "LevelImage")->size(), QSize(504, 350));
        if (whole) {
            EXPECT_LE(pages->tabBar()->sizeHint().width(), pages->width()) << "all ten tabs in view";
        }
        for (const char* name : {"EditButton", "EditorButton", "GoButton", "RefreshBut", "FileList", "PageControl"}) {
            auto* widget = find<QWidget>(form.get(), name);
            const QRect area(widget->mapTo(content, QPoint(0, 0)), widget->size());
            EXPECT_TRUE(content->rect().contains(area)) << name << " at " << screen.width();
            if (whole) {
                EXPECT_TRUE(scroller->viewport()->rect().contains(QRect(widget->mapTo(scroller->viewport(), QPoint(0, 0)), widget->size())))
                    << name << " at " << screen.width();
            }
        }
        if (!shots.isEmpty())
            form->grab().save(QString("%1/main-window-%2x%3.png").arg(shots).arg(screen.width()).arg(screen.height()));
        // Every page, not only the first: the tallest decides whether the window scrolls.
        for (int page = 0; whole && page < pages->count(); ++page) {
            form->showPage(static_cast<TMainForm::Page>(page));
            QCoreApplication::processEvents();
            const auto name = pages->tabText(page).toStdString();
            if (!shots.isEmpty())
                form->grab().save(QString("%1/main-window-%2x%3-page-%4.png").arg(shots).arg(screen.width()).arg(screen.height()).arg(page + 1));
            EXPECT_FALSE(scroller->verticalScrollBar()->isVisible()) << name << " at " << screen.width();
            EXPECT_FALSE(scroller->horizontalScrollBar()->isVisible()) << name << " at " << screen.width();
            EXPECT_LE(pages->tabBar()->sizeHint().width(), pages->width()) << name << " at " << screen.width();
        }
        form->showPage(TMainForm::Page::Graphics);
    }
    form->close();
}

// The window is painted first: the reading and listing of the game folder, the greeting, the
// game's tables, weapon.bmp and the pages not in view wait for the first paint, in their order;
// a page shown earlier is built then.
TEST(MainForm, WhatTheUserCannotSeeYetWaitsForTheFirstPaint)
{
    MainFormFixture fixture;
    fixture.clock.date = {2027, 4, 25};
    Workspace workspace = fixture.demo.workspace;
    workspace.gameFolder.clear();
    AppServices services{fixture.prompts, fixture.shell, fixture.clock, fixture.settings, workspace, {},
                         [] { return false; }, [] { return 1920; }};
    TMainForm form(std::move(services));
    EXPECT_EQ(form.findChild<QWidget*>("WeaponList"), nullptr);
    EXPECT_FALSE(fs::exists(fixture.demo.workspace.weaponBitmap()));
    EXPECT_TRUE(fixture.prompts.shown.empty());
    EXPECT_EQ(filterTicks(form), (std::vector<bool>{true, true, true, true, true, true, true, true, false}));
    auto* files = find<QListWidget>(&form, "FileList");
    auto* folders = form.findChild<FolderListControl*>();
    ASSERT_TRUE(files && folders);
    EXPECT_EQ(folders->folder(), fixture.demo.game());
    EXPECT_EQ(folders->scans(), 0);
    EXPECT_EQ(files->count(), 0);

    form.show();
    QTRY_VERIFY(fs::exists(fixture.demo.workspace.weaponBitmap()));
    EXPECT_EQ(folders->scans(), 1) << "one read, for the folder and the filter both";
    EXPECT_GT(files->count(), 0);
    EXPECT_EQ(fixture.prompts.shown, std::vector<std::string>{"Today is the birthday of TorloNet!"});
    EXPECT_EQ(form.findChild<QWidget*>("WeaponList"), nullptr) << "a page not in view waits until it is shown";
    form.showPage(TMainForm::Page::Weapons);
    auto* weapons = find<QListWidget>(&form, "WeaponList");
    ASSERT_NE(weapons, nullptr);
    EXPECT_EQ(weapons->count(), 40);
    EXPECT_EQ(weapons->currentRow(), 0);
    form.completeStartUp();   // once only
    EXPECT_EQ(fixture.prompts.shown.size(), 1u);
    form.close();

    MainFormFixture early;
    Workspace earlyWorkspace = early.demo.workspace;
    earlyWorkspace.gameFolder.clear();
    TMainForm unseen(AppServices{early.prompts, early.shell, early.clock, early.settings, earlyWorkspace, {},
                                 [] { return false; }, [] { return 1920; }});
    unseen.showPage(TMainForm::Page::Weapons);
    EXPECT_NE(unseen.findChild<QWidget*>("WeaponList"), nullptr);
}

// A page first shown after an operation changed the game shows the game as it is then: the
// CPU AI values the start-up read for the page are dropped by the change.
TEST(MainForm, APageFirstShownAfterAChangeShowsTheChangedGame)
{
    MainFormFixture fixture;
    Workspace workspace = fixture.demo.workspace;
    workspace.gameFolder.clear();
    TMainForm form(AppServices{fixture.prompts, fixture.shell, fixture.clock, fixture.settings, workspace, {},
                               [] { return false; }, [] { return 1920; }});
    form.show();
    QTRY_VERIFY(fs::exists(fixture.demo.workspace.weaponBitmap()));
    auto ai = readAiTexts(fixture.demo.workspace);
    ai[0] = ai[0] == "33" ? "34" : "33";
    EXPECT_TRUE(form.guarded([&] { form.report(saveAi(fixture.demo.workspace, ai)); }));
    EXPECT_EQ(form.findChild<QWidget*>("Edit1"), nullptr);
    form.showPage(TMainForm::Page::CpuAi);
    EXPECT_EQ(expectChild<QLineEdit>(form.page(TMainForm::Page::CpuAi), "Edit1")->text().toStdString(), ai[0]);
    EXPECT_TRUE(fixture.prompts.shown.empty()) << fixture.prompts.shown.front();
    form.close();
}

TEST(ResourceFile, EveryBitmapKindOpensInQtsReader)
{
    MainFormFixture fixture;
    const ResourceFile resources(fixture.demo.workspace.resourceFile);
    struct Kind {
        std::span<const std::uint8_t> header;
        int width, height;
    };
    for (const auto& kind : {Kind{resources.levelHeader(), 504, 350}, Kind{resources.paletteHeader(), 16, 16},
                             Kind{resources.graphicsHeader(), 16, 2790}}) {
        QByteArray bitmap(reinterpret_cast<const char*>(kind.header.data()), 54);
        const auto table = resources.defaultColourTable();
        bitmap.append(reinterpret_cast<const char*>(table.data()), 1024);
        bitmap.append(QByteArray(kind.width * kind.height, char(5)));
        QImage image = QImage::fromData(bitmap, "BMP");
        ASSERT_FALSE(image.isNull()) << kind.width << "x" << kind.height;
        EXPECT_EQ(image.size(), QSize(kind.width, kind.height));
        const auto colour = resources.defaultColour(5);
        EXPECT_EQ(image.pixelColor(0, 0), QColor(colour.red, colour.green, colour.blue));
    }
}

// The three windows of the program, created as main() creates them, open on the demo game
// without a single message.
TEST(ProgramStart, OpensTheDemoGameWithoutAMessage)
{
    MainFormFixture fixture;
    Workspace workspace = fixture.demo.workspace;
    workspace.gameFolder.clear();
    AppServices services{fixture.prompts, fixture.shell, fixture.clock, fixture.settings, workspace, {},
                         [] { return false; }, [] { return 1920; }, nullptr};
    auto windows = createWindows(std::move(services));
    windows.main->completeStartUp();
    EXPECT_TRUE(fixture.prompts.shown.empty()) << fixture.prompts.shown.front();
    windows.main->close();
}

// Pages built after the first paint still get what the start-up gave them: the settings of the
// Options page (which the browser's listing follows before the page exists), the CPU AI values
// read at start-up, and the browser's selection from the command line (which shows the Sounds
// page, so it is built at once for a sound mod).
TEST(MainForm, PagesBuiltAfterTheFirstPaintGetWhatTheStartUpGaveThem)
{
    MainFormFixture fixture;
    fixture.settings.setText(setting::SortExt, "no");
    fixture.settings.setText(setting::UsePal, "yes");
    fixture.settings.setText(setting::MakeLWP2, "yes");
    fixture.settings.setInteger(setting::Filter, 511);
    const auto sound = fixture.demo.game() / "mods" / "CRUNCHY.SND";
    Workspace workspace = fixture.demo.workspace;
    workspace.gameFolder.clear();
    TMainForm form(AppServices{fixture.prompts, fixture.shell, fixture.clock, fixture.settings, workspace,
                               {fromPath(sound)}, [] { return false; }, [] { return 1920; }});
    EXPECT_EQ(form.findChild<QWidget*>("SortBox"), nullptr);
    QStringList listed;
    auto* files = expectChild<QListWidget>(&form, "FileList");
    for (int i = 0; i < files->count(); ++i)
        listed << files->item(i)->text();
    EXPECT_EQ(listed.mid(0, 3), (QStringList{"CANYON.LEV", "COOL.PAL", "CRUNCHY.SND"}));   // by name
    EXPECT_TRUE(form.makeLwp2());

    form.completeStartUp();
    EXPECT_FALSE(expectChild<QCheckBox>(&form, "SortBox")->isChecked());
    EXPECT_TRUE(expectChild<QCheckBox>(&form, "UsePalBox")->isChecked());
    EXPECT_TRUE(expectChild<QCheckBox>(&form, "LWP2Box")->isChecked());
    EXPECT_EQ(expectChild<QLineEdit>(&form, "Edit1")->text().toStdString(), readAiTexts(fixture.demo.workspace)[0]);
    EXPECT_TRUE(expectChild<QLabel>(&form, "BankLabel")->text().endsWith("CRUNCHY.SND"));
    EXPECT_TRUE(fixture.prompts.shown.empty()) << fixture.prompts.shown.front();
}
