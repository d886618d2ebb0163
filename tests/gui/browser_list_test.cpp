// The file browser: folders, filter boxes and mask, sorting, and what a selection offers.
#include "gui/app/options_page.h"
#include "gui/browser/folder_list_control.h"
#include "gui/browser/mod_browser_control.h"
#include "browser_support.h"

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QTabWidget>

#include <fstream>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

void tickOnly(TMainForm& form, std::int64_t bits)
{
    for (std::size_t i = 0; i < form.filterBoxes.size(); ++i) {
        const bool wanted = (bits >> i) & 1;
        if (form.filterBoxes[i]->isChecked() != wanted)
            form.filterBoxes[i]->click();
    }
}

QString currentPage(TMainForm& form)
{
    return find<QTabWidget>(&form, "PageControl")->currentWidget()->objectName();
}

bool enabled(TMainForm& form, const char* button)
{
    return find<QPushButton>(&form, button)->isEnabled();
}

} // namespace

TEST(BrowserList, StartsInTheGameFolderAndOpensFoldersFromTheFolderList)
{
    MainFormFixture fixture;
    // Started elsewhere, with a relative path as xdg-open passes it: that file is selected, and
    // browsing never moves the process's working folder.
    const auto start = fixture.demo.scratch / "start";
    fs::create_directories(start / "kinds");
    fs::copy_file(fixture.demo.game() / "mods" / "CANYON.LEV", start / "kinds" / "CANYON.LEV");
    const auto startedIn = fs::current_path();
    fs::current_path(start);
    auto form = fixture.create({"kinds/CANYON.LEV"});
    const auto* browser = form->findChild<ModBrowserControl*>();
    EXPECT_EQ(browser->folder(), start / "kinds");
    ASSERT_EQ(fileList(form.get())->currentItem()->text(), "CANYON.LEV");
    EXPECT_TRUE(fixture.shell.calls.empty());   // no help
    EXPECT_EQ(fs::current_path(), start);
    click(form.get(), "GoButton");
    EXPECT_EQ(browser->folder(), fixture.demo.game());
    EXPECT_TRUE(listed(form.get()).contains("TORLO.SND"));
    EXPECT_FALSE(listed(form.get()).contains("torlo.exe"));

    auto* folders = find<QListWidget>(form.get(), "FolderList");
    const auto mods = folders->findItems("mods", Qt::MatchEndsWith);
    ASSERT_EQ(mods.size(), 1);
    emit folders->itemActivated(mods.front());
    EXPECT_EQ(browser->folder(), fixture.demo.game() / "mods");
    EXPECT_TRUE(listed(form.get()).contains("CANYON.LEV"));

    click(form.get(), "GoButton");
    EXPECT_EQ(browser->folder(), fixture.demo.game());
    EXPECT_EQ(fs::current_path(), start);
    fs::current_path(startedIn);
}

// One read of a folder fills both lists; a new mask lists from it; Refresh and commands read again.
TEST(BrowserList, AFolderIsReadOnceForTheFolderListAndTheFileList)
{
    MainFormFixture fixture;
    auto form = fixture.create();
    auto* folders = form->findChild<FolderListControl*>();
    ASSERT_NE(folders, nullptr);
    const int atStart = folders->scans();
    EXPECT_EQ(atStart, 1);   // start-up: the game folder, listed with the stored filter
    auto* folderList = find<QListWidget>(form.get(), "FolderList");
    emit folderList->itemActivated(folderList->findItems("mods", Qt::MatchEndsWith).front());
    EXPECT_EQ(folders->scans(), atStart + 1);
    EXPECT_TRUE(listed(form.get()).contains("CANYON.LEV"));

    tickOnly(*form, 1);
    EXPECT_EQ(folders->scans(), atStart + 1);
    EXPECT_EQ(listed(form.get()).filter(".LEV").size(), listed(form.get()).size());

    writeBytes(fixture.demo.game() / "mods" / "NEW.LEV", {1});
    EXPECT_FALSE(listed(form.get()).contains("NEW.LEV"));
    click(form.get(), "RefreshBut");
    EXPECT_EQ(folders->scans(), atStart + 2);
    EXPECT_TRUE(listed(form.get()).contains("NEW.LEV"));
}

// A folder listed off the window's thread fills the list in batches from the event loop, the
// same list as one listed at once; a new folder chosen meanwhile is listed at once, and the
// listing of the old one never reaches the list.
TEST(BrowserList, AFolderListedInTheBackgroundFillsTheListAsOneListedAtOnce)
{
    MainFormFixture fixture;
    for (int i = 0; i < 9000; ++i)   // more than a batch
        std::ofstream(fixture.demo.game() / ("M" + std::to_string(100000 + (i * 7919) % 9000) + ".LEV"));
    const auto atOnce = listed(fixture.create().get());
    ASSERT_GT(atOnce.size(), 9000);

    const auto wait = [](auto done) {
        for (QElapsedTimer clock; clock.start(), !done() && clock.elapsed() < 20000;)
            QApplication::processEvents(QEventLoop::AllEvents, 50);
    };
    auto form = fixture.create({}, MainFormFixture::Start::Held);
    auto* browser = form->findChild<ModBrowserControl*>();
    browser->listHeldFolderInBackground();
    wait([&] { return fileList(form.get())->count() == atOnce.size(); });
    EXPECT_EQ(listed(form.get()), atOnce);
    EXPECT_EQ(form->findChild<FolderListControl*>()->scans(), 1);

    auto moved = fixture.create({}, MainFormFixture::Start::Held);
    auto* movedBrowser = moved->findChild<ModBrowserControl*>();
    movedBrowser->listHeldFolderInBackground();
    movedBrowser->pointAt(fixture.demo.game() / "mods");
    const auto mods = listed(moved.get());
    EXPECT_TRUE(mods.contains("CANYON.LEV"));
    int ticks = 0;
    wait([&] { return ++ticks > 20; });
    EXPECT_EQ(listed(moved.get()), mods);
}

TEST(BrowserList, FilterBoxesBuildTheMaskAndStoreTheirBits)
{
    MainFormFixture fixture;
    auto form = openOnMods(fixture);
    // 255: everything but fonts, sorted by extension.
    EXPECT_EQ(listed(form.get()), (QStringList{"PASTEL.ACT", "ISLANDS.BMP", "NEONGFX.CHR", "CANYON.LEV", "MEADOW.LEV",
                                              "MOSSYPL2.LEV", "SUNSET.LEV", "NIGHT.LPL", "COOL.PAL", "WARM.PAL",
                                              "CRUNCHY.SND"}));
    EXPECT_EQ(fileList(form.get())->currentItem()->text(), "CANYON.LEV");

    tickOnly(*form, 16);
    EXPECT_EQ(listed(form.get()), (QStringList{"PASTEL.ACT", "NIGHT.LPL", "COOL.PAL", "WARM.PAL"}));
    EXPECT_EQ(fixture.settings.integer("Filter"), 16);

    tickOnly(*form, 0);
    EXPECT_TRUE(listed(form.get()).isEmpty());
    EXPECT_EQ(fixture.settings.integer("Filter"), 0);
    EXPECT_FALSE(enabled(*form, "DeleteButton"));
    EXPECT_FALSE(enabled(*form, "ActivateButton"));

    fixture.settings.setInteger("Filter", 1 + 256);
    std::ofstream(fixture.demo.game() / "mods" / "small.lft") << "font";
    auto again = openOnMods(fixture);
    EXPECT_EQ(listed(again.get()), (QStringList{"CANYON.LEV", "MEADOW.LEV", "MOSSYPL2.LEV", "SUNSET.LEV", "small.lft"}));
}

TEST(BrowserList, SortingByExtensionCanBeSwitchedOff)
{
    MainFormFixture fixture;
    fixture.settings.setText("SortExt", "no");
    fixture.settings.setInteger("Filter", 1 + 16);
    auto form = openOnMods(fixture);
    EXPECT_EQ(listed(form.get()), (QStringList{"CANYON.LEV", "COOL.PAL", "MEADOW.LEV", "MOSSYPL2.LEV", "NIGHT.LPL",
                                              "PASTEL.ACT", "SUNSET.LEV", "WARM.PAL"}));
}

TEST(BrowserList, SelectionSetsButtonsAndPageByExtension)
{
    MainFormFixture fixture;
    std::ofstream(fixture.demo.game() / "mods" / "small.lft") << "font";
    std::ofstream(fixture.demo.game() / "mods" / "pack.zip") << "zip";
    // A plugin brings the page of its first record's kind.
    std::ofstream(fixture.demo.game() / "mods" / "GUN.LWP") << "LWP\r\nVERSION:2\r\nPROMPT:Sure?\r\nWEAPON:3\r\n";
    std::ofstream(fixture.demo.game() / "mods" / "ROCK.LWP") << "TORLOKIT:WEAPONPLUGIN\r\nOBJECT:3\r\nWEAPON:1\r\n";
    std::ofstream(fixture.demo.game() / "mods" / "BOOM.LWP") << "LWP\nVERSION:2\nPROMPT:Sure?\nSOBJECT:2\nBLOW:4\n";
    fixture.settings.setInteger("Filter", 511);
    auto form = openOnMods(fixture);
    struct Row {
        const char* file;
        bool edit, activate, convert;
        const char* page;
        const char* status;
    };
    const Row rows[] = {
        {"ISLANDS.BMP", true, false, true, "GraphicsTab", "This is a level BMP"},
        {"CRUNCHY.SND", false, true, false, "SoundTab", "Can not view this"},
        {"CANYON.LEV", true, true, true, "GraphicsTab", "This is a normal level"},
        {"small.lft", false, false, false, "AboutTab", "Can not show fonts yet"},
        {"NEONGFX.CHR", false, true, true, "GraphicsTab", "GFX Mod viewed. Move your mouse across the picture to see detail"},
        {"pack.zip", false, false, false, "GraphicsTab", "Can not view this"},   // no page of its own
        {"GUN.LWP", true, true, false, "WeaponTab", "Press Activate to activate the weapon"},
        {"ROCK.LWP", true, true, false, "ObjTab", "Press Activate to activate the weapon"},
        {"BOOM.LWP", true, true, false, "SpecTab", "Press Activate to activate the weapon"},
    };
    for (const auto& row : rows) {
        ASSERT_TRUE(select(form.get(), row.file)) << row.file;
        EXPECT_EQ(enabled(*form, "EditButton"), row.edit) << row.file;
        EXPECT_EQ(enabled(*form, "ActivateButton"), row.activate) << row.file;
        EXPECT_EQ(enabled(*form, "ConvertButton"), row.convert) << row.file;
        for (const char* always : {"ZipButton", "DeleteButton", "RenameButton", "CopyButton"})
            EXPECT_TRUE(enabled(*form, always)) << row.file << always;
        EXPECT_EQ(currentPage(*form), row.page) << row.file;
        EXPECT_EQ(statusText(form.get()), row.status) << row.file;
    }
}

TEST(BrowserList, SelectingClearsTheReadOnlyAttribute)
{
    MainFormFixture fixture;
    const auto level = fixture.demo.game() / "mods" / "MEADOW.LEV";
    fs::permissions(level, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write, fs::perm_options::remove);
    auto form = openOnMods(fixture);
    ASSERT_TRUE(select(form.get(), "MEADOW.LEV"));
    EXPECT_NE(fs::status(level).permissions() & fs::perms::owner_write, fs::perms::none);
}

TEST(BrowserList, CommandLineFileIsSelectedInItsFolder)
{
    MainFormFixture fixture;
    auto form = openOnMods(fixture, "SUNSET.LEV");
    EXPECT_EQ(fileList(form.get())->currentItem()->text(), "SUNSET.LEV");
    EXPECT_EQ(statusText(form.get()), "This is a Powerlevel");
    EXPECT_EQ(fixture.shell.calls.size(), 0u);
}
