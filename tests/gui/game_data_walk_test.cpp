// The one notification of changed game data, walked: every operation of the program that
// changes the game, against every holder of game data (each page, the hacks window, the text
// editor). After each operation every holder must show what a program opened afresh on the
// changed game shows; a holder that missed the change would write its stale data back.
#include "gui/controls/game_text_edit.h"
#include "main_form_fixture.h"
#include "gui/palette/palette_page.h"
#include "core/texts/game_texts.h"
#include "core/texts/translation.h"
#include "core/weapons/plugin.h"
#include "core/weapons/weapon_table.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <functional>
#include <map>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

using Page = TMainForm::Page;

// What a holder shows: the value of every named control in it.
std::map<QString, QString> shown(QWidget* holder)
{
    std::map<QString, QString> values;
    for (auto* widget : holder->findChildren<QWidget*>()) {
        const auto name = widget->objectName();
        if (name.isEmpty() || name.startsWith("qt_"))
            continue;
        if (auto* edit = qobject_cast<QLineEdit*>(widget))
            values[name] = edit->text();
        else if (auto* box = qobject_cast<QCheckBox*>(widget))
            values[name] = box->isChecked() ? "ticked" : "";
        else if (auto* list = qobject_cast<QComboBox*>(widget))
            values[name] = QString::number(list->currentIndex());
        else if (auto* spin = qobject_cast<QSpinBox*>(widget))
            values[name] = QString::number(spin->value());
        else if (auto* label = qobject_cast<QLabel*>(widget))
            values[name] = label->text();
        else if (auto* rows = qobject_cast<QListWidget*>(widget)) {
            QStringList items;
            for (int i = 0; i < rows->count(); ++i)
                items << rows->item(i)->text();
            values[name] = items.join('|');
        }
    }
    return values;
}

// The fresh program shows the rows the walked one has selected.
void selectAsIn(QWidget* walked, QWidget* fresh)
{
    for (auto* list : walked->findChildren<QListWidget*>())
        if (auto* same = fresh->findChild<QListWidget*>(list->objectName()); same && list->currentRow() >= 0)
            same->setCurrentRow(list->currentRow());
}

struct Operation {
    const char* name;
    std::function<void()> run;
};

} // namespace

TEST(GameDataNotification, EveryHolderShowsTheChangedGameAfterEveryOperation)
{
    MainFormFixture fixture;
    const auto& ws = fixture.demo.workspace;
    const auto mods = ws.gameFolder / "mods";
    // A translation and a weapon plugin, which the demo's mods do not hold.
    auto texts = readGameTexts(ws);
    texts[0] = "Walked";
    ASSERT_TRUE(exportTranslation(translationName(mods / "WALK"), "Walker", "", texts).succeeded());
    const auto weapons = loadWeapons(ws);
    auto weapon = showWeapon(weapons.table, 2);
    weapon[1].text = weapon[1].text == "7" ? "8" : "7";
    ASSERT_TRUE(savePluginAs(weaponRecord("WALKGUN", weapon, 2), false, [&](auto&&...) { return mods / "WALK.LWP"; })
                    .succeeded());

    // The browser shows the mods (the command line names one).
    Program program(fixture, ws.dataFolder, {QString::fromStdString((mods / "MEADOW.LEV").string())});
    auto& main = *program.main;
    auto click = [&](QWidget* root, const char* name) {
        auto* button = root->findChild<QPushButton*>(name);
        ASSERT_NE(button, nullptr) << name;
        button->click();
    };
    auto typeAndLeave = [](QLineEdit* edit, const QString& text) {
        ASSERT_NE(edit, nullptr);
        edit->setText(text);
        emit edit->editingFinished();
    };
    auto activate = [&](const char* name) {
        return Operation{name, [&, name] {
                             fixture.prompts.yesNo.assign(8, true);
                             auto* list = main.findChild<QListWidget*>("FileList");
                             const auto items = list->findItems(name, Qt::MatchExactly);
                             ASSERT_EQ(items.size(), 1) << name;
                             list->setCurrentItem(items.front());
                             click(&main, "ActivateButton");
                         }};
    };
    auto restoreOriginal = [&](const char* file) {
        return Operation{file, [&, file] {
                             auto* list = main.findChild<QTreeWidget*>("BackupList");
                             // The list follows the backups folder.
                             EXPECT_TRUE(QTest::qWaitFor([&] {
                                 for (int i = 0; i < list->topLevelItemCount(); ++i)
                                     if (list->topLevelItem(i)->text(0) == file && list->topLevelItem(i)->text(3) == "original") {
                                         list->setCurrentItem(list->topLevelItem(i));
                                         return true;
                                     }
                                 return false;
                             })) << file;
                             ASSERT_TRUE(list->currentItem() && list->currentItem()->text(0) == file);
                             fixture.prompts.yesNo.assign(1, true);
                             click(&main, "RestoreButton");
                         }};
    };

    // Each holder's own saves first (the others must follow them), then what the browser and the
    // backups change behind every holder's back.
    const Operation operations[] = {
        {"hacks: Do all !",
         [&] {
             program.hacks->findChild<QCheckBox*>()->click();
             click(program.hacks.get(), "DoAllButton");
         }},
        {"CPU AI: Save",
         [&] {
             typeAndLeave(main.page(Page::CpuAi)->findChild<QLineEdit*>("Edit1"), "33");
             click(main.page(Page::CpuAi), "SaveAI");
         }},
        {"weapons: Save weapons",
         [&] {
             typeAndLeave(main.page(Page::Weapons)->findChild<QLineEdit*>("Edit9"), "9");
             click(main.page(Page::Weapons), "SaveCurrentBut");
         }},
        {"objects: Save current object",
         [&] {
             typeAndLeave(main.page(Page::Objects)->findChild<QLineEdit*>("Edit35"), "5");
             click(main.page(Page::Objects), "OSaveCurBut");
         }},
        {"text editor: Save",
         [&] {
             // As long as the text it replaces: a shorter one would keep the rest of the old.
             auto* field = program.texts->field(0);
             field->setText(QString(field->text().size(), 'A'));
             click(program.texts.get(), "SaveButton");
         }},
        activate("MEADOW.LEV"),
        activate("SUNSET.LEV"),
        activate("MOSSYPL2.LEV"),
        activate("PASTEL.ACT"),
        activate("NIGHT.LPL"),
        activate("WARM.PAL"),
        activate("NEONGFX.CHR"),
        activate("CRUNCHY.SND"),
        activate("WALK.LWP"),   // the Sounds page shows the game's bank again
        activate("WALK.LLF"),
        restoreOriginal("torlo.exe"),
        restoreOriginal("TORLO.SND"),
        restoreOriginal("torlo.dat"),
    };

    for (const auto& operation : operations) {
        SCOPED_TRACE(operation.name);
        operation.run();

        const auto selected = main.selectedModFile();
        Program fresh(fixture, fixture.demo.scratch / "fresh-data",
                      selected ? QStringList{QString::fromStdString(selected->string())} : QStringList{});
        EXPECT_EQ(main.workingPalette(), fresh.main->workingPalette()) << "the working palette";
        const auto walkedHolders = program.holders();
        const auto freshHolders = fresh.holders();
        for (const auto& [name, holder] : walkedHolders) {
            selectAsIn(holder, freshHolders.at(name));
            const auto now = shown(holder);
            const auto expected = shown(freshHolders.at(name));
            for (const auto& [control, value] : expected) {
                const auto it = now.find(control);
                ASSERT_NE(it, now.end()) << name << " has no " << control.toStdString();
                EXPECT_EQ(it->second.toStdString(), value.toStdString())
                    << name << " shows stale data in " << control.toStdString();
            }
        }
        EXPECT_EQ(main.findChild<PalettePage*>()->materials(), fresh.main->findChild<PalettePage*>()->materials());
    }
}
