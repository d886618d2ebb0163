// The command buttons: file operations, archives, convert, activate and the programs started.
#include "gui/app/options_page.h"
#include "browser_support.h"

#include <QLineEdit>
#include <QMenu>
#include <QProcess>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

std::string logText(MainFormFixture& fixture)
{
    return readText(fixture.demo.workspace.logFile());
}

} // namespace

TEST(BrowserCommands, DeleteAsksFirstAndLogsOnlyADeletedFile)
{
    MainFormFixture fixture;
    auto form = openOnMods(fixture, "MEADOW.LEV");
    const auto mods = fixture.demo.game() / "mods";
    fixture.prompts.yesNoCancel = {Prompts::Answer::No, Prompts::Answer::Yes};
    click(form.get(), "DeleteButton");
    EXPECT_TRUE(fs::exists(mods / "MEADOW.LEV"));
    EXPECT_EQ(fixture.prompts.shown.back(), "Delete file \"" + (mods / "MEADOW.LEV").string() + "\" ?");

    click(form.get(), "DeleteButton");
    EXPECT_FALSE(fs::exists(mods / "MEADOW.LEV"));
    EXPECT_FALSE(listed(form.get()).contains("MEADOW.LEV"));
    EXPECT_NE(logText(fixture).find(": File " + (mods / "MEADOW.LEV").string() + " deleted from folder " + mods.string()),
              std::string::npos);
}

TEST(BrowserCommands, RenameAddsTheExtensionToABareNameOnly)
{
    MainFormFixture fixture;
    auto form = openOnMods(fixture, "MEADOW.LEV");
    const auto mods = fixture.demo.game() / "mods";
    const auto bytes = readBytes(mods / "MEADOW.LEV");

    fixture.prompts.files = {mods / "b"};
    click(form.get(), "RenameButton");
    EXPECT_EQ(fixture.prompts.filters.back(), "All files|*.*");
    EXPECT_EQ(fixture.prompts.initialNames.back(), mods / "MEADOW.LEV");
    EXPECT_EQ(readBytes(mods / "b.LEV"), bytes);
    EXPECT_EQ(statusText(form.get()).toStdString(), "Renamed " + (mods / "b.LEV").string());
    EXPECT_EQ(fileList(form.get())->currentItem()->text(), "b.LEV");

    fixture.prompts.files = {mods / "b.txt"};
    click(form.get(), "RenameButton");
    EXPECT_EQ(readBytes(mods / "b.txt"), bytes);
    EXPECT_FALSE(listed(form.get()).contains("b.LEV"));
    EXPECT_EQ(statusText(form.get()).toStdString(), "Renamed " + (mods / "b.txt").string());

    // Onto another file: refused, both kept.
    ASSERT_TRUE(select(form.get(), "CANYON.LEV"));
    fixture.prompts.files = {mods / "SUNSET.LEV"};
    click(form.get(), "RenameButton");
    EXPECT_TRUE(fs::exists(mods / "CANYON.LEV"));
    EXPECT_EQ(fs::file_size(mods / "SUNSET.LEV"), 177178u);
    EXPECT_FALSE(statusText(form.get()).startsWith("Renamed"));
}

TEST(BrowserCommands, CopyKeepsTheOriginalAndReportsFailure)
{
    MainFormFixture fixture;
    auto form = openOnMods(fixture, "MEADOW.LEV");
    const auto mods = fixture.demo.game() / "mods";
    fixture.prompts.files = {mods / "c", mods / "missing" / "d.lev"};
    click(form.get(), "CopyButton");
    EXPECT_EQ(fixture.prompts.initialNames.back(), mods / "MEADOW.LEV");   // the browsed folder, the file's name
    EXPECT_EQ(readBytes(mods / "c.LEV"), readBytes(mods / "MEADOW.LEV"));
    EXPECT_EQ(statusText(form.get()).toStdString(), "Copied " + (mods / "c.LEV").string());
    EXPECT_EQ(fileList(form.get())->currentItem()->text(), "MEADOW.LEV");
    EXPECT_TRUE(listed(form.get()).contains("c.LEV"));

    click(form.get(), "CopyButton");
    EXPECT_TRUE(statusText(form.get()).startsWith("Could not copy"));
}

TEST(BrowserCommands, ZipAndUnzipRoundTripInTheBrowsedFolder)
{
    MainFormFixture fixture;
    auto form = openOnMods(fixture, "CANYON.LEV");
    const auto mods = fixture.demo.game() / "mods";
    const auto level = readBytes(mods / "CANYON.LEV");
    click(form.get(), "ZipButton");
    ASSERT_TRUE(fs::exists(mods / "CANYON.zip")) << statusText(form.get()).toStdString();
    EXPECT_TRUE(listed(form.get()).contains("CANYON.zip"));

    fs::remove(mods / "CANYON.LEV");
    click(form.get(), "RefreshBut");
    ASSERT_TRUE(select(form.get(), "CANYON.zip"));
    EXPECT_FALSE(find<QPushButton>(form.get(), "ActivateButton")->isEnabled());
    click(form.get(), "ZipButton");
    EXPECT_EQ(readBytes(mods / "CANYON.LEV"), level);
    EXPECT_TRUE(listed(form.get()).contains("CANYON.LEV"));

    // Unpacking again asks before replacing the file.
    writeBytes(mods / "CANYON.LEV", {1});
    fixture.prompts.yesNo = {false};
    click(form.get(), "ZipButton");
    EXPECT_EQ(readBytes(mods / "CANYON.LEV"), std::vector<std::uint8_t>{1});
}

TEST(BrowserCommands, HostileArchiveIsRefusedWithNothingWritten)
{
    MainFormFixture fixture;
    const auto mods = fixture.demo.game() / "mods";
    writeZip(mods / "EVIL.ZIP", {{"GOOD.LEV", "good"}, {"../EVIL.LEV", "evil"}});
    auto form = openOnMods(fixture, "EVIL.ZIP");
    click(form.get(), "ZipButton");
    EXPECT_TRUE(statusText(form.get()).contains("nothing was written")) << statusText(form.get()).toStdString();
    EXPECT_FALSE(fs::exists(mods / "GOOD.LEV"));
    EXPECT_FALSE(fs::exists(fixture.demo.game() / "EVIL.LEV"));
}

TEST(BrowserCommands, ConvertAsksForTheTargetAndListsIt)
{
    MainFormFixture fixture;
    auto form = openOnMods(fixture, "PASTEL.ACT");
    const auto mods = fixture.demo.game() / "mods";
    fixture.prompts.files = {mods / "pastel"};
    click(form.get(), "ConvertButton");
    EXPECT_EQ(fixture.prompts.filters.back(), "BMP files|*.bmp|All files|*.*");
    EXPECT_EQ(fs::file_size(mods / "pastel.bmp"), 1334u);
    EXPECT_EQ(statusText(form.get()).toStdString(), "Palette converted to \"" + (mods / "pastel.bmp").string() + "\"");
    EXPECT_TRUE(listed(form.get()).contains("pastel.bmp"));

    // A powerlevel 2: no target, no message.
    ASSERT_TRUE(select(form.get(), "MOSSYPL2.LEV"));
    click(form.get(), "ConvertButton");
    EXPECT_EQ(statusText(form.get()), "This is a Powerlevel 2");
}

TEST(BrowserCommands, ActivateByButtonDoubleClickAndRandomPick)
{
    MainFormFixture fixture;
    fixture.settings.setInteger("Filter", 1);
    auto form = openOnMods(fixture, "CANYON.LEV");
    click(form.get(), "ActivateButton");
    EXPECT_EQ(statusText(form.get()), "Level activated");
    const auto dat = readBytes(fixture.demo.game() / "torlo.dat");
    EXPECT_EQ(std::string(dat.begin() + 146, dat.begin() + 153), "\x06" "CANYON");
    EXPECT_TRUE(fs::exists(fixture.demo.game() / "CANYON.LEV"));
    EXPECT_NE(logText(fixture).find(": Level " + (fixture.demo.game() / "mods" / "CANYON.LEV").string() + " activated"),
              std::string::npos);

    auto* list = fileList(form.get());
    const auto meadow = list->findItems("MEADOW.LEV", Qt::MatchExactly).front();
    list->setCurrentItem(meadow);
    emit list->itemDoubleClicked(meadow);
    EXPECT_EQ(readBytes(fixture.demo.game() / "torlo.dat")[147], 'M');

    form->StatusShow("");
    click(form.get(), "RandomButton");
    EXPECT_EQ(statusText(form.get()), "Level activated");

    // Nothing to activate: the status bar keeps its text.
    fixture.settings.setInteger("Filter", 4);
    auto mods = openOnMods(fixture, "NEONGFX.CHR");
    writeBytes(fixture.demo.game() / "mods" / "TORLO.CHR", readBytes(fixture.demo.game() / "mods" / "NEONGFX.CHR"));
    click(mods.get(), "RefreshBut");
    ASSERT_TRUE(select(mods.get(), "TORLO.CHR"));
    mods->StatusShow("kept");
    click(mods.get(), "ActivateButton");
    EXPECT_EQ(statusText(mods.get()), "kept");
}

TEST(BrowserCommands, ALogThatCannotBeWrittenIsAWarningAndTheHandlerGoesOn)
{
    MainFormFixture fixture;
    fixture.settings.setInteger("Filter", 1);
    auto form = openOnMods(fixture, "SUNSET.LEV");
    fs::remove(fixture.demo.workspace.logFile());
    fs::create_symlink("/dev/full", fixture.demo.workspace.logFile());
    fixture.prompts.shown.clear();
    click(form.get(), "ActivateButton");
    EXPECT_EQ(statusText(form.get()), "Level activated");
    EXPECT_EQ(fixture.prompts.shown,
              std::vector<std::string>{"The change was made, but the activity log could not be written: Disk full: quorvex.log"});
    // The powerlevel's palette reached the working palette all the same.
    const auto level = readBytes(fixture.demo.game() / "mods" / "SUNSET.LEV");
    EXPECT_EQ(form->workingPalette()[5].red, level[176410 + 15] * 4);
}

TEST(BrowserCommands, RunStartsTheGameInDosBoxAndReportsAMissingEmulator)
{
    MainFormFixture fixture;
    auto form = openOnMods(fixture);
    click(form.get(), "RunButton");
    ASSERT_EQ(fixture.shell.calls.size(), 1u);
    EXPECT_EQ(fixture.shell.calls[0].target, "dosbox");
    EXPECT_EQ(fixture.shell.calls[0].parameters, "-c \"mount c .\" -c c: -c torlo.exe -c exit");
    EXPECT_EQ(fixture.shell.calls[0].folder, fixture.demo.game());

    fixture.settings.setText("DoSound", "no");
    fixture.shell.answer = "Could not start \"dosbox\"; install it or set its path";
    click(form.get(), "RunButton");
    EXPECT_NE(fixture.shell.calls[1].parameters.find("\"torlo.exe /N\""), std::string::npos);
    EXPECT_TRUE(statusText(form.get()).contains("Options page")) << statusText(form.get()).toStdString();

    // The emulator's command line, set on the Options page, reaches the program word for word.
    fixture.shell.answer.clear();
    form->optionsPage()->runCommandEdit->setText("\"/opt/dos box/dosbox\" -conf '~/my \"t\".conf'");
    form->optionsPage()->DoAllButtonClick();
    fixture.prompts.shown.clear();
    click(form.get(), "RunButton");
    EXPECT_EQ(fixture.shell.calls.back().target, "/opt/dos box/dosbox");
    EXPECT_EQ(QProcess::splitCommand(QString::fromStdString(fixture.shell.calls.back().parameters)),
              (QStringList{"-conf", "~/my \"t\".conf", "-c", "mount c .", "-c", "c:", "-c", "torlo.exe", "-c", "exit"}));
}

TEST(BrowserCommands, EditHelpAndWebLinksGoThroughTheShell)
{
    MainFormFixture fixture;
    auto form = openOnMods(fixture, "ISLANDS.BMP");
    click(form.get(), "EditButton");
    ASSERT_EQ(fixture.shell.calls.size(), 1u);
    EXPECT_EQ(fixture.shell.calls[0].target, (fixture.demo.game() / "mods" / "ISLANDS.BMP").string());
    EXPECT_EQ(fixture.shell.calls[0].window, Shell::Window::Normal);

    writeBytes(fixture.demo.game() / "mods" / "GUN.LWP", {'x'});
    fixture.settings.setText("TextEditor", "mousepad");
    fixture.settings.setInteger("Filter", 64);
    auto weapons = openOnMods(fixture, "GUN.LWP");
    click(weapons.get(), "EditButton");
    EXPECT_EQ(fixture.shell.calls.back().target, "mousepad");
    EXPECT_EQ(fixture.shell.calls.back().parameters, (fixture.demo.game() / "mods" / "GUN.LWP").string());


    auto clickLabel = [](QWidget* label) {
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), label->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(label, &release);
    };
    clickLabel(find<QLabel>(form.get(), "TorloNetText"));
    EXPECT_EQ(fixture.shell.calls.back().target, "https://torlonet.morvane.net");
    auto* logo = find<QLabel>(form.get(), "MVLogo");
    EXPECT_FALSE(logo->pixmap().isNull());
    clickLabel(logo);
    EXPECT_EQ(fixture.shell.calls.back().target, "https://quorvex.morvane.net");
    EXPECT_EQ(fixture.shell.calls.back().window, Shell::Window::Maximised);

}

TEST(BrowserCommands, EditorsMenuShowsTheEditorWindows)
{
    MainFormFixture fixture;
    auto form = openOnMods(fixture);
    QWidget hacks, texts;
    form->hacksWindow = &hacks;
    form->textEditorWindow = &texts;
    click(form.get(), "EditorButton");
    auto* menu = find<QMenu>(form.get(), "EditorMenu");
    ASSERT_NE(menu, nullptr);
    QStringList captions;
    for (auto* action : menu->actions())
        captions << action->text();
    EXPECT_EQ(captions, (QStringList{"Hacks", "Text Editor", "Changes", "History"}));
    menu->actions()[1]->trigger();
    EXPECT_TRUE(texts.isVisible());
    EXPECT_FALSE(hacks.isVisible());
    menu->actions()[0]->trigger();
    EXPECT_TRUE(hacks.isVisible());
    menu->actions()[2]->trigger();
    EXPECT_TRUE(form->changesWindow()->isVisible());
    form->changesWindow()->close();
    menu->actions()[3]->trigger();
    EXPECT_TRUE(form->historyWindow()->isVisible());
    form->historyWindow()->close();
    menu->close();
}

TEST(BrowserCommands, NamesOutsideAsciiReadTheSameInQuestionsListAndStatus)
{
    MainFormFixture fixture;
    const auto mods = fixture.demo.game() / "mods";
    const std::string name = "\xC3\x9Cn\xC3\xAF" "c\xC3\xB6" "d\xC3\xA9.lev";   // Ünïcödé.lev in UTF-8
    fs::copy_file(mods / "MEADOW.LEV", mods / name);
    auto form = openOnMods(fixture, name.c_str());
    const QString shown = QString::fromUtf8("Ünïcödé.lev");
    ASSERT_EQ(fileList(form.get())->currentItem()->text(), shown);
    fixture.prompts.files = {mods / ("Kopie-" + name)};
    click(form.get(), "CopyButton");
    EXPECT_EQ(statusText(form.get()), "Copied " + QString::fromUtf8((mods / ("Kopie-" + name)).c_str()));
    EXPECT_TRUE(listed(form.get()).contains("Kopie-" + shown));
}
