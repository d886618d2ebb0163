// Nothing typed is dropped, nothing another program wrote is overwritten unseen: every page and
// window with an unsaved edit, walked through every operation that replaces what the window
// shows; and the window beside quorvex-cli, which replaces the game's files behind its back.
#include "gui/ai/ai_page.h"
#include "gui/controls/game_text_edit.h"
#include "gui/app/desktop_services.h"
#include "gui/changes/changes_window.h"
#include "gui/host/game_model.h"
#include "gui/palette/palette_page.h"
#include "gui/sound/sound_page.h"
#include "gui/weapons/table_page.h"
#include "gui/weapons/weapon_page.h"
#include "core/store/backups.h"
#include "core/weapons/weapon_table.h"
#include "main_form_fixture.h"
#include "screenshot.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <functional>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

using Page = TMainForm::Page;

void click(QWidget* root, const char* name)
{
    auto* button = root->findChild<QPushButton*>(name);
    ASSERT_NE(button, nullptr) << name;
    ASSERT_TRUE(button->isEnabled()) << name;
    button->click();
}

void typeAndLeave(QLineEdit* edit, const QString& text)
{
    ASSERT_NE(edit, nullptr);
    edit->setText(text);
    emit edit->editingFinished();
}

// A number box of a page changed to another number.
void bumpNumber(QWidget* page, const char* name)
{
    auto* edit = page->findChild<QLineEdit*>(name);
    ASSERT_NE(edit, nullptr) << name;
    typeAndLeave(edit, QString::number(edit->text().toInt() == 5 ? 6 : 5));
}

QString statusText(TMainForm& form)
{
    return form.findChild<QLabel*>("StatusText")->text();
}

// The game's files, to see that nothing was written.
std::vector<std::vector<std::uint8_t>> gameBytes(const Workspace& ws)
{
    return {readBytes(ws.torloExe()), readBytes(ws.torloDat()), readBytes(ws.torloSnd()), readBytes(ws.torloChr())};
}

// Every page and window that holds game data, with how to make an unsaved edit in it and how
// the list of unsaved edits names it.
struct Holder {
    QString listed;
    EditHolder* edits;
    std::function<void()> edit;
};

QString firstRow(QWidget* root, const char* list)
{
    return root->findChild<QListWidget*>(list)->item(0)->text();
}

std::vector<Holder> holdersOf(Program& program, MainFormFixture& fixture)
{
    auto& main = *program.main;
    auto* palette = main.findChild<PalettePage*>();
    auto* sounds = main.findChild<SoundPage*>();
    return {
        {"Weapons: " + firstRow(&main, "WeaponList"), main.findChild<WeaponPage*>(),
         [&main] { bumpNumber(main.page(Page::Weapons), "Edit17"); }},
        {"Objects: " + firstRow(&main, "ObjectList"), main.page(Page::Objects)->findChild<TablePage*>(),
         [&main] { bumpNumber(main.page(Page::Objects), "Edit40"); }},
        {"Special objects: " + firstRow(&main, "SpObjList"), main.page(Page::SpecialObjects)->findChild<TablePage*>(),
         [&main] { bumpNumber(main.page(Page::SpecialObjects), "Edit55"); }},
        {"CPU AI", main.findChild<AiPage*>(), [&main] { bumpNumber(main.page(Page::CpuAi), "Edit1"); }},
        {"Material/Palette: materials", palette,
         [palette] {
             palette->PaletteGridSelectCell(5, 0);
             auto* material = palette->findChild<QComboBox*>("MaterEdit");
             material->setCurrentIndex((material->currentIndex() + 1) % material->count());
             palette->MaterEditChange();
         }},
        {"Sounds: BAZOOKA imported", sounds,
         [&main, &fixture, sounds] {
             main.findChild<QListWidget*>("SoundList")->setCurrentRow(3);
             fixture.prompts.files.push_back(fixture.demo.game() / "mods" / "VOICE.WAV");
             click(&main, "ImportWavBut");
             EXPECT_TRUE(QTest::qWaitFor([sounds] { return !sounds->importing(); }, 20000));
         }},
        {"Text editor", program.texts.get(),
         [&program] {
             auto* field = program.texts->field(0);
             field->setText(QString(field->text().size(), field->text().startsWith('Q') ? 'R' : 'Q'));
         }},
        {"Special hacks", program.hacks.get(), [&program] { program.hacks->findChild<QCheckBox*>()->click(); }},
    };
}

struct Operation {
    const char* name;
    std::function<void()> run;
};

} // namespace

// Close, another folder, undo, redo, restore, activate, revert and a profile switch each ask
// once about every unsaved edit (one list), and Cancel keeps the edits and the files, Discard
// drops the edits, Save all saves each first.
TEST(UnsavedEdits, EveryOperationThatReplacesWhatTheWindowShowsAsksFirst)
{
    MainFormFixture fixture;
    const auto& ws = fixture.demo.workspace;
    DemoGame other;
    const QStringList browsingMods{QString::fromStdString((ws.gameFolder / "mods" / "MEADOW.LEV").string())};
    std::unique_ptr<Program> program;
    const auto open = [&] {
        program.reset();
        program = std::make_unique<Program>(fixture, ws.dataFolder, browsingMods);
        program->main->show();
    };
    open();
    // A step to undo and redo, a backup to restore, a change to revert and a profile to switch to.
    program->main->guarded([&] { program->main->report(saveAi(ws, presetTexts(AiPreset::Good))); });
    auto* history = program->main->historyWindow();
    history->findChild<QLineEdit*>("ProfileNameEdit")->setText("Setup");
    click(history, "SaveProfileButton");

    const auto main = [&]() -> TMainForm& { return *program->main; };
    const Operation operations[] = {
        {"close", [&] { main().close(); }},
        {"another folder", [&] { main().setGameFolder(other.game()); }},
        {"undo", [&] { main().findChild<QAction*>("UndoAction")->trigger(); }},
        {"redo", [&] { main().findChild<QAction*>("RedoAction")->trigger(); }},
        {"restore",
         [&] {
             auto* list = main().findChild<QTreeWidget*>("BackupList");
             ASSERT_TRUE(QTest::qWaitFor([list] { return list->topLevelItemCount() > 0; }));
             list->setCurrentItem(list->topLevelItem(0));
             fixture.prompts.yesNo.assign(2, true);
             click(&main(), "RestoreButton");
         }},
        {"activate",
         [&] {
             auto* list = main().findChild<QListWidget*>("FileList");
             const auto items = list->findItems("PASTEL.ACT", Qt::MatchExactly);
             ASSERT_EQ(items.size(), 1);
             list->setCurrentItem(items.front());
             fixture.prompts.yesNo.assign(4, true);
             click(&main(), "ActivateButton");
         }},
        {"revert",
         [&] {
             auto* changes = qobject_cast<ChangesWindow*>(main().changesWindow());
             changes->show();
             changes->refresh();
             auto* list = changes->findChild<QTreeWidget*>("ChangesList");
             ASSERT_GT(list->topLevelItemCount(), 0);
             list->topLevelItem(0)->setSelected(true);   // a group stands for its changes
             click(changes, "RevertBut");
         }},
        {"profile switch",
         [&] {
             auto* window = main().historyWindow();
             window->show();
             auto* profiles = window->findChild<QTreeWidget*>("ProfileList");
             ASSERT_EQ(profiles->topLevelItemCount(), 1);
             profiles->setCurrentItem(profiles->topLevelItem(0));
             click(window, "SwitchProfileButton");
         }},
    };

    for (const auto& operation : operations)
        for (const auto answer : {Prompts::Unsaved::Cancel, Prompts::Unsaved::Discard, Prompts::Unsaved::Save}) {
            SCOPED_TRACE(std::string(operation.name) + (answer == Prompts::Unsaved::Cancel    ? ", Cancel"
                                                        : answer == Prompts::Unsaved::Discard ? ", Discard"
                                                                                              : ", Save all"));
            const auto holders = holdersOf(*program, fixture);
            for (const auto& holder : holders) {
                holder.edit();
                ASSERT_TRUE(holder.edits->unsavedEdits()) << holder.listed.toStdString();
            }
            const auto files = gameBytes(ws);
            const auto logged = lines(readText(ws.logFile())).size();
            fixture.prompts.shown.clear();
            fixture.prompts.unsavedChoices.clear();
            fixture.prompts.unsaved = {answer};
            operation.run();
            ASSERT_TRUE(fixture.prompts.unsaved.empty()) << "not asked";
            ASSERT_EQ(fixture.prompts.unsavedChoices.size(), 1u) << "asked once";
            EXPECT_EQ(fixture.prompts.unsavedChoices[0].save, "Save all");
            const auto question = QString::fromStdString(fixture.prompts.shown.front());
            for (const auto& holder : holders)
                EXPECT_TRUE(question.contains(holder.listed)) << question.toStdString() << " lacks " << holder.listed.toStdString();
            if (answer == Prompts::Unsaved::Cancel) {
                for (const auto& holder : holders)
                    EXPECT_TRUE(holder.edits->unsavedEdits()) << holder.listed.toStdString() << " kept";
                EXPECT_EQ(gameBytes(ws), files) << "the game stays as it is";
                EXPECT_TRUE(main().isVisible());
                for (const auto& holder : holders)
                    holder.edits->discardEdits();
            } else {
                for (const auto& holder : holders)
                    EXPECT_FALSE(holder.edits->unsavedEdits()) << holder.listed.toStdString();
                if (answer == Prompts::Unsaved::Save) {
                    EXPECT_GE(lines(readText(ws.logFile())).size(), logged + holders.size()) << "each holder saved";
                }
            }
            fixture.prompts.yesNo.clear();
            open();   // on the game again, browsing its mods
        }
}

// quorvex-cli beside an open window: what it replaces shows without a click; a page with unsaved
// edits keeps them and asks before its Save writes over the new file; what writes no game file
// does not count; closing the window leaves no tool window.
TEST(UnsavedEdits, TheWindowFollowsAnotherProgramAndAsksBeforeWritingOverIt)
{
    MainFormFixture fixture;
    const auto& ws = fixture.demo.workspace;
    Program program(fixture, ws.dataFolder);
    auto& main = *program.main;
    main.show();
    auto* weapons = main.page(Page::Weapons);
    auto* hit = weapons->findChild<QLineEdit*>("Edit17");
    ASSERT_NE(hit, nullptr);
    const auto cli = [&](std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {"--game", ws.gameFolder.string()});
        const auto result = runCli(ws.dataFolder, arguments);
        EXPECT_EQ(result.exitCode, 0) << result.err;
    };
    std::size_t hitField = 0;
    while (WeaponFields[hitField].control != "Edit17")
        ++hitField;
    const auto onDisk = [&] { return showWeapon(loadWeapons(ws).table, 0)[hitField].text; };
    const auto changedText = "The game was changed by another program";
    const auto waitForChange = [&] {
        EXPECT_TRUE(QTest::qWaitFor([&] { return statusText(main) == changedText; }, 3000));
    };

    cli({"weapons", "set", "0", "HITDAMAGE=40"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return hit->text() == "40"; }, 3000)) << hit->text().toStdString();
    EXPECT_EQ(statusText(main), changedText);

    const std::string question = "torlo.exe was changed by another program since this page read it";
    const auto asked = [&](Prompts::Unsaved answer) {
        fixture.prompts.shown.clear();
        fixture.prompts.unsavedChoices.clear();
        fixture.prompts.unsaved = {answer};
        click(weapons, "SaveCurrentBut");
        EXPECT_TRUE(fixture.prompts.unsaved.empty()) << "not asked";
        ASSERT_EQ(fixture.prompts.shown, std::vector{question});
        EXPECT_EQ(fixture.prompts.unsavedChoices[0].save, "Save over it");
        EXPECT_EQ(fixture.prompts.unsavedChoices[0].discard, "Reload");
    };
    typeAndLeave(hit, "55");
    main.StatusShow("");
    cli({"weapons", "set", "0", "HITDAMAGE=41"});
    waitForChange();
    EXPECT_EQ(hit->text(), "55") << "the unsaved edit stays";
    asked(Prompts::Unsaved::Cancel);
    EXPECT_EQ(onDisk(), "41");
    EXPECT_EQ(hit->text(), "55");
    asked(Prompts::Unsaved::Discard);   // Reload
    EXPECT_EQ(hit->text(), "41");
    EXPECT_EQ(onDisk(), "41");
    // Saved at once after the other program, before the watch has looked: asked all the same.
    typeAndLeave(hit, "56");
    cli({"weapons", "set", "0", "HITDAMAGE=42"});
    asked(Prompts::Unsaved::Save);   // Save over it
    EXPECT_EQ(onDisk(), "56");

    // An unsaved import survives what writes no game file: a conversion outside the game, a
    // preview, an exported sound and a second window starting.
    auto* sounds = main.findChild<SoundPage*>();
    main.findChild<QListWidget*>("SoundList")->setCurrentRow(3);
    fixture.prompts.files.push_back(ws.gameFolder / "mods" / "VOICE.WAV");
    click(&main, "ImportWavBut");
    ASSERT_TRUE(QTest::qWaitFor([sounds] { return !sounds->importing(); }, 20000));
    ASSERT_EQ(sounds->unsavedEdits(), "BAZOOKA imported");
    main.StatusShow("");
    const auto elsewhere = fixture.demo.scratch / "elsewhere";
    fs::create_directories(elsewhere);
    const auto mods = ws.gameFolder / "mods";
    cli({"convert", (mods / "MEADOW.LEV").string(), (elsewhere / "MEADOW.BMP").string()});
    cli({"preview", (mods / "SUNSET.LEV").string(), (elsewhere / "SUNSET.BMP").string()});
    cli({"sounds", "export", "3", (elsewhere / "BAZOOKA.WAV").string()});
    {
        const Program second(fixture, ws.dataFolder);
    }
    // Nor does a new copy of the same bytes (a backup tool, a sync) or a touch: no new version.
    const auto bank = findGameFile(ws.gameFolder, "TORLO.SND");
    fs::copy_file(bank, elsewhere / "TORLO.SND");
    fs::rename(elsewhere / "TORLO.SND", bank);
    fs::last_write_time(ws.torloExe(), fs::file_time_type::clock::now() + std::chrono::hours(1));
    QTest::qWait(400);
    main.guarded([] {});   // an operation looks at the files too
    EXPECT_EQ(sounds->unsavedEdits(), "BAZOOKA imported");
    EXPECT_NE(statusText(main), changedText);
    fixture.prompts.shown.clear();
    click(sounds, "SaveSoundBut");
    EXPECT_TRUE(fixture.prompts.shown.empty()) << "asked to save over " << fixture.prompts.shown.front();
    EXPECT_FALSE(sounds->unsavedEdits());

    // No tool window outlives the main window.
    main.historyWindow()->show();
    main.changesWindow()->show();
    program.hacks->show();
    main.close();
    for (auto* window : QApplication::topLevelWidgets())
        EXPECT_FALSE(window->isVisible()) << window->objectName().toStdString();
}

// The two questions as the user sees them (docs/unsaved-edits.png, docs/changed-outside.png when
// QUORVEX_SHOTS_DIR is set).
TEST(UnsavedEdits, TheQuestionsAsTheUserSeesThem)
{
    MainFormFixture fixture;
    Program program(fixture, fixture.demo.workspace.dataFolder);
    auto& main = *program.main;
    main.show();
    for (const auto& holder : holdersOf(program, fixture))
        holder.edit();
    fixture.prompts.unsaved = {Prompts::Unsaved::Cancel};
    main.findChild<QAction*>("UndoAction")->trigger();
    QtPrompts real(&main);
    const auto show = [&](const UnsavedChoices& choices, const QString& name) {
        QTimer::singleShot(100, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            saveScreenshot(box, name);
            box->button(QMessageBox::Cancel)->click();
        });
        EXPECT_EQ(real.askUnsaved(fixture.prompts.shown.back(), choices), Prompts::Unsaved::Cancel);
    };
    show(fixture.prompts.unsavedChoices.back(), "unsaved-edits");
    fixture.prompts.shown.push_back("torlo.exe was changed by another program since this page read it");
    show({"Save over it", "Reload"}, "changed-outside");
    for (const auto& holder : holdersOf(program, fixture))
        holder.edits->discardEdits();
}
