#include "gui/host/game_model.h"
#include "gui/app/history_window.h"
#include "gui/app/main_form.h"
#include "core/gamefile/game_file.h"
#include "core/store/history.h"
#include "core/hacks/hacks.h"
#include "main_form_fixture.h"
#include "screenshot.h"
#include "test_support.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace quorvex;
using namespace quorvex::test;

namespace {

QStringList rows(QTreeWidget* list)
{
    QStringList shown;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const auto* item = list->topLevelItem(i);
        shown << item->text(1) + " | " + item->text(2);
    }
    return shown;
}

} // namespace

// Two steps of the window's own handlers; Ctrl+Z and Redo in the "History" window move through
// them, every holder of game data hears of it, and an outside change is refused by name.
TEST(HistoryWindow, UndoAndRedoFromTheWindowAndItsShortcut)
{
    MainFormFixture fixture;
    auto form = fixture.create();
    const auto& ws = fixture.demo.workspace;
    const auto exe = ws.torloExe();
    const auto original = readBytes(exe);
    const auto saveHack = [&](const char* key, const char* value) {
        form->guarded([&] {
            auto values = readHacks(ws);
            for (std::size_t i = 0; i < HackCount; ++i)
                if (HackItems[i].key == key)
                    values.text[i] = value;
            form->report(saveHacks(ws, values));
        });
    };
    saveHack("DIGGING", "9");
    const auto first = readBytes(exe);
    saveHack("SHELLS", "12");
    const auto second = readBytes(exe);

    auto* window = form->historyWindow();
    window->show();
    auto* list = expectChild<QTreeWidget>(window, "HistoryList");
    auto* undo = expectChild<QPushButton>(window, "UndoButton");
    auto* redo = expectChild<QPushButton>(window, "RedoButton");
    EXPECT_EQ(rows(list), (QStringList{"torlo.exe | Hacks saved", "torlo.exe | Hacks saved"}));
    EXPECT_TRUE(undo->isEnabled());
    EXPECT_FALSE(redo->isEnabled());

    GameParts heard;
    QObject::connect(&form->gameEvents(), &GameEvents::gameDataChanged, window,
                     [&](GameParts parts, const QObject*) { heard |= parts; });
    expectChild<QAction>(form.get(), "UndoAction")->trigger();   // Ctrl+Z
    EXPECT_EQ(readBytes(exe), first);
    EXPECT_EQ(find<QLabel>(form.get(), "StatusText")->text(), "Undone: Hacks saved (torlo.exe)");
    EXPECT_TRUE(heard.has(GamePart::Hacks));
    EXPECT_EQ(rows(list), (QStringList{"torlo.exe | Hacks saved (undone)", "torlo.exe | Hacks saved"}));
    EXPECT_TRUE(redo->isEnabled());
    saveScreenshot(window, "history-window");

    undo->click();
    EXPECT_EQ(readBytes(exe), original);
    EXPECT_FALSE(undo->isEnabled());
    redo->click();
    redo->click();
    EXPECT_EQ(readBytes(exe), second);

    auto changed = second;
    changed[16] ^= 1;
    writeBytes(exe, changed);
    undo->click();
    EXPECT_EQ(find<QLabel>(form.get(), "StatusText")->text(),
              "torlo.exe was changed outside Quorvex since \"Hacks saved\", so nothing was undone");
    EXPECT_EQ(readBytes(exe), changed);
}

// The " Profiles " group: a setup saved under the name typed, the game changed, the profile
// listed with the file that differs, and a switch that puts it back byte for byte.
TEST(HistoryWindow, ProfilesAreSavedAndSwitchedToFromTheWindow)
{
    MainFormFixture fixture;
    auto form = fixture.create();
    const auto exe = fixture.demo.workspace.torloExe();
    const auto original = readBytes(exe);
    auto* window = form->historyWindow();
    window->show();
    expectChild<QLineEdit>(window, "ProfileNameEdit")->setText("Tournament");
    expectChild<QPushButton>(window, "SaveProfileButton")->click();
    form->guarded([&] {
        auto values = readHacks(fixture.demo.workspace);
        for (std::size_t i = 0; i < HackCount; ++i)
            if (HackItems[i].key == "DIGGING")
                values.text[i] = "9";
        form->report(saveHacks(fixture.demo.workspace, values));
    });
    auto* list = expectChild<QTreeWidget>(window, "ProfileList");
    qobject_cast<HistoryWindow*>(window)->refresh();
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(0), "Tournament");
    EXPECT_EQ(list->topLevelItem(0)->text(2), "torlo.exe");
    saveScreenshot(window, "history-window-profiles");
    list->setCurrentItem(list->topLevelItem(0));
    // Unsaved edits of a page are asked about first; kept (Cancel), the game stays as it is.
    struct Editor final : EditHolder {
        bool edited = true;
        std::optional<QString> unsavedEdits() const override { return edited ? std::optional(QString()) : std::nullopt; }
        bool saveEdits() override { return false; }
        void discardEdits() override { edited = false; }
    } editor;
    QObject owner;
    form->gameModel().hold(&owner, editor, "Editor", GamePart::Hacks);
    fixture.prompts.unsaved = {Prompts::Unsaved::Cancel, Prompts::Unsaved::Discard};
    const auto changed = readBytes(exe);
    expectChild<QPushButton>(window, "SwitchProfileButton")->click();
    EXPECT_EQ(fixture.prompts.unsaved.size(), 1u);
    EXPECT_TRUE(editor.edited);
    EXPECT_EQ(readBytes(exe), changed);
    expectChild<QPushButton>(window, "SwitchProfileButton")->click();
    EXPECT_TRUE(fixture.prompts.unsaved.empty());
    EXPECT_FALSE(editor.edited);
    EXPECT_EQ(find<QLabel>(form.get(), "StatusText")->text(), "Switched to the profile Tournament (torlo.exe)");
    EXPECT_EQ(readBytes(exe), original);
    EXPECT_EQ(list->topLevelItem(0)->text(2), "-");
}
