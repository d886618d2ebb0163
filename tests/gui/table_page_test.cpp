// The "Objects" and "Special objects" pages driven through their widgets on a demo game: show,
// save straight into torlo.exe with the edge cases, "Make Bullet", the plugin buttons of all
// three pages, a plugin activated from the browser, and the layout of every (sub-)page.
#include "browser_support.h"
#include "core/base/places.h"
#include "core/gamefile/resource_file.h"
#include "core/weapons/object_fields.h"
#include "core/weapons/sobject_fields.h"
#include "gui/weapons/table_page.h"
#include "gui/weapons/weapon_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>
#include <QTest>
#include <sys/stat.h>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

std::size_t objectField(std::string_view key)
{
    return *fieldByKey(ObjectFields, key);
}

std::size_t sobjectField(std::string_view key)
{
    return *fieldByKey(SObjectFields, key);
}

// The absolute place of entry e of a field.
std::size_t at(const FieldArrays& table, std::size_t field, int entry)
{
    return table.offset + table.fields[field].position + static_cast<std::size_t>(table.fields[field].width) * entry;
}

struct TablePageTest : ::testing::Test {
    MainFormFixture fixture;
    std::unique_ptr<TMainForm> form;
    fs::path exe = fixture.demo.workspace.torloExe();

    void patch(std::size_t offset, std::uint8_t value)
    {
        auto bytes = readBytes(exe);
        bytes[offset] = value;
        writeBytes(exe, bytes);
    }
    void open(TMainForm::Page page, QStringList arguments = {})
    {
        form = fixture.create(std::move(arguments));
        form->showPage(page);
        form->resize(1024, 768);
        form->show();
    }
    void TearDown() override
    {
        if (form)
            form->close();
    }
    template <typename W = QLineEdit>
    W* control(const char* name)
    {
        return expectChild<W>(form.get(), name);
    }
    template <typename W = QLineEdit>
    W* control(std::string_view name)
    {
        return control<W>(std::string(name).c_str());
    }
    void type(const char* name, const QString& text) { control(name)->setText(text); }
    void clickRow(const char* list, int row) { control<QListWidget>(list)->setCurrentRow(row); }
    QString status() { return statusText(form.get()); }
    std::string log() { return readText(fixture.demo.workspace.logFile()); }
    QColor swatch(const char* name) { return control<QLabel>(name)->pixmap().toImage().pixelColor(10, 10); }
    QColor defaultColour(int index)
    {
        const auto c = ResourceFile(fixture.demo.workspace.resourceFile).defaultColour(index);
        return QColor(c.red, c.green, c.blue);
    }
    // The page's controls against what Show gives for the entry.
    void expectShown(const FieldArrays& table, int entry)
    {
        const auto shown = showEntry(fixture.demo.workspace, table, entry);
        for (std::size_t k = 0; k < table.fields.size(); ++k) {
            const auto name = std::string(table.fields[k].control);
            auto* widget = control<QWidget>(name.c_str());
            FieldValue value;
            if (auto* box = qobject_cast<QCheckBox*>(widget))
                value.ticked = box->isChecked();
            else if (auto* list = qobject_cast<QComboBox*>(widget))
                value.row = list->currentIndex();
            else
                value.text = qobject_cast<QLineEdit*>(widget)->text().toStdString();
            EXPECT_EQ(value, shown[k]) << name << " of entry " << entry;
        }
    }
};

} // namespace

TEST_F(TablePageTest, StartUpShowsTheFirstEntriesWithEveryControlBuiltFromTheTables)
{
    open(TMainForm::Page::Objects);
    auto* objects = control<QListWidget>("ObjectList");
    ASSERT_EQ(objects->count(), 24);
    EXPECT_EQ(objects->item(14)->text(), "Chiquita bomb bombs");
    EXPECT_EQ(objects->currentRow(), 0);
    auto* tabs = control<QTabWidget>("ObjectTabs");
    ASSERT_EQ(tabs->count(), 3);
    for (const auto& field : ObjectFields) {
        auto* widget = control<QWidget>(field.control);
        auto* sub = tabs->widget(field.page - 1);
        ASSERT_TRUE(sub->isAncestorOf(widget)) << field.control;
        QWidget* row = widget->parentWidget() == sub ? widget : widget->parentWidget();
        auto* label = qobject_cast<QLabel*>(qobject_cast<QFormLayout*>(sub->layout())->labelForField(row));
        ASSERT_NE(label, nullptr) << field.control;
        EXPECT_EQ(label->text().toStdString(), field.caption);
    }
    expectShown(ObjectArrays, 0);
    EXPECT_EQ(control<QComboBox>("ComboBox12")->count(), 15);
    EXPECT_EQ(control<QComboBox>("ComboBox14")->count(), 25);
    EXPECT_EQ(control<QPushButton>("Button4")->text(), "Make Bullet");
    EXPECT_FALSE(control<QLabel>("AnimationPreviewLabel")->isEnabled());
    EXPECT_TRUE(tabs->widget(2)->isAncestorOf(control<QLabel>("AnimationPreviewLabel")));
    EXPECT_EQ(swatch("Edit47Swatch"), defaultColour(control("Edit47")->text().toInt()));
    EXPECT_EQ(swatch("Edit50Swatch"), defaultColour(control("Edit50")->text().toInt()));
    for (const char* name : {"OSaveCurBut", "OLWP1But", "OLWP2But"})
        EXPECT_TRUE(control<QPushButton>(name)->isEnabled()) << name;

    auto* sobjects = control<QListWidget>("SpObjList");
    ASSERT_EQ(sobjects->count(), 14);
    EXPECT_EQ(sobjects->item(13)->text(), "Undefined, but changeable");
    EXPECT_EQ(sobjects->currentRow(), 0);
    expectShown(SObjectArrays, 0);
    EXPECT_EQ(control<QComboBox>("ComboBox16")->count(), 31);
    EXPECT_EQ(control<QPushButton>("SOSaveCurBut")->text(), "Save current object");
    EXPECT_EQ(control<QPushButton>("SLWPBut1")->text(), "Save as plugin");
    EXPECT_EQ(control<QPushButton>("SLWPBut2")->text(), "Save in plugin");
    EXPECT_TRUE(fixture.prompts.shown.empty());
}

TEST_F(TablePageTest, ObjectSaveWritesOnlyTheShownEntryWithTheWrapAndListRules)
{
    patch(at(ObjectArrays, objectField("WORMEXPLODE"), 23), 2);    // a tick byte neither 0 nor 1
    patch(at(ObjectArrays, objectField("CREATEONHIT"), 23), 15);   // no row 15 in its list
    const auto before = readBytes(exe);
    open(TMainForm::Page::Objects);
    clickRow("ObjectList", 23);
    EXPECT_FALSE(control<QCheckBox>("CheckBox20")->isChecked());
    EXPECT_EQ(control<QComboBox>("ComboBox12")->currentIndex(), -1);

    type("Edit45", "-1");      // "Gravity", 16-bit
    type("Edit40", "-1");      // "Hit damage", byte
    type("Edit37", "65537");   // "Speed", 16-bit
    type("Edit36", "x7");      // "Blow away on hit": not a number, 0 without a message
    control<QPushButton>("Button4")->click();
    EXPECT_EQ(control("Edit51")->text(), "0");
    EXPECT_EQ(control("Edit52")->text(), "0");
    control<QPushButton>("OSaveCurBut")->click();
    EXPECT_EQ(status(), "Object saved");
    EXPECT_NE(log().find(": Object \"Grasshopper 7\" saved\r\n"), std::string::npos);
    EXPECT_TRUE(fixture.prompts.shown.empty());

    auto expected = before;
    auto set = [&](std::string_view key, std::initializer_list<std::uint8_t> bytes) {
        auto place = at(ObjectArrays, objectField(key), 23);
        for (auto b : bytes)
            expected[place++] = b;
    };
    set("GRAVITY", {255, 255});
    set("HITDAMAGE", {255});
    set("SPEED", {1, 0});
    set("BLOW", {0});
    set("ANIMSFRAME", {0});
    set("ANIMFRAMES", {0});
    // The tick byte 2 and the list's 15 that the page could not show stay: the user left them.
    EXPECT_EQ(readBytes(exe), expected);   // the weapon names after entry 23 untouched

    clickRow("ObjectList", 2);
    clickRow("ObjectList", 23);
    EXPECT_EQ(control("Edit45")->text(), "-1");
    EXPECT_EQ(control("Edit40")->text(), "255");
    EXPECT_EQ(control("Edit37")->text(), "1");
}

TEST_F(TablePageTest, SpecialObjectSaveSharesBlowAwayOfThirteenWithShadowOfZeroToThree)
{
    const auto blow = sobjectField("BLOW"), shadow = sobjectField("SHADOW");
    patch(at(SObjectArrays, sobjectField("FIRSTSOUND"), 5), 31);   // no row 31 in the sound list
    const auto before = readBytes(exe);
    open(TMainForm::Page::SpecialObjects);
    clickRow("SpObjList", 5);
    EXPECT_EQ(control<QComboBox>("ComboBox16")->currentIndex(), -1);
    type("Edit56", "-1");
    control<QPushButton>("SOSaveCurBut")->click();
    auto expected = before;
    for (int b = 0; b < 4; ++b)
        expected[115336 + b] = 255;
    EXPECT_EQ(readBytes(exe), expected);   // the sound 31 that the list could not show stays
    EXPECT_EQ(status(), "Special object saved");
    EXPECT_NE(log().find(": Special Object \"Nuke smoke\" saved\r\n"), std::string::npos);
    clickRow("SpObjList", 0);
    clickRow("SpObjList", 5);
    EXPECT_EQ(control("Edit56")->text(), "4294967295");
    EXPECT_TRUE(hasRoomFor(control("Edit56"), "4294967295")) << "all ten digits in view";

    clickRow("SpObjList", 13);
    type("Edit56", "16777217");   // bytes 1, 0, 0, 1
    control<QPushButton>("SOSaveCurBut")->click();
    const auto afterThirteen = readBytes(exe);
    EXPECT_EQ(afterThirteen[at(SObjectArrays, blow, 13)], 1);
    for (int s = 0; s < 4; ++s)
        EXPECT_EQ(afterThirteen[at(SObjectArrays, shadow, s)], s == 0 || s == 3 ? 1 : 0);
    clickRow("SpObjList", 3);
    EXPECT_TRUE(control<QCheckBox>("CheckBox26")->isChecked());

    clickRow("SpObjList", 2);
    control<QCheckBox>("CheckBox26")->setChecked(true);
    control<QPushButton>("SOSaveCurBut")->click();
    EXPECT_EQ(readBytes(exe)[115370], 1);
    clickRow("SpObjList", 13);
    EXPECT_EQ(control("Edit56")->text(), "16842753");   // the four "Shadow" bytes 1, 0, 1, 1
}

TEST_F(TablePageTest, PluginButtonsWriteEachPageAsItShowsIt)
{
    const auto mods = fixture.demo.game() / "mods";
    open(TMainForm::Page::Objects, {QString::fromStdString((mods / "MEADOW.LEV").string())});
    clickRow("ObjectList", 3);
    type("Edit43", "abc");   // written as the page shows it
    fixture.prompts.files = {mods / "plain"};
    control<QPushButton>("OLWP1But")->click();
    EXPECT_EQ(fixture.prompts.filters.back(), "Object plugins|*.lwp|All files|*.*");
    EXPECT_EQ(status(), "Object saved");
    const auto text = readText(mods / "plain.LWP");
    EXPECT_EQ(text.substr(0, text.find("BLOW:")),
              "TORLOKIT:WEAPONPLUGIN\r\nPROMPT:This will activate object Particle (small damage). Are you sure?\r\n"
              "OBJECT:3\r\nBLOOD:" + control("Edit44")->text().toStdString() + "\r\n");
    EXPECT_NE(text.find("\r\nWORMDETECTRANGE:abc\r\n"), std::string::npos);

    // Version 2 by the option box; a name with a dot anywhere is kept.
    find<QCheckBox>(form.get(), "LWP2Box")->setChecked(true);
    clickRow("SpObjList", 4);
    fixture.prompts.files = {mods / "v.2" / "zimm"};
    fs::create_directories(mods / "v.2");
    control<QPushButton>("SLWPBut1")->click();
    EXPECT_EQ(readText(mods / "v.2" / "zimm").rfind("LWP\r\nVERSION:2\r\nPROMPT:This will activate special object Zimm "
                                                    "flash. Are you sure?\r\nSOBJECT:5\r\nFIRSTSOUND:", 0),
              0u);

    // A cancelled dialog writes nothing and says nothing.
    fixture.prompts.files = {std::nullopt};
    form->StatusShow("before");
    control<QPushButton>("LWPBut")->click();
    EXPECT_EQ(status(), "before");

    // "Save in plugin" needs a .LWP file selected in the browser; it appends an empty line and
    // the record, weapons and special objects counted from 1, objects from 0.
    control<QPushButton>("LWP2But")->click();
    EXPECT_EQ(status(), "No weapon selected");
    click(form.get(), "RefreshBut");
    ASSERT_TRUE(select(form.get(), "plain.LWP"));
    control<QListWidget>("WeaponList")->setCurrentRow(6);
    control<QPushButton>("LWP2But")->click();
    EXPECT_EQ(status(), "Object saved");
    control<QPushButton>("OLWP2But")->click();
    control<QPushButton>("SLWPBut2")->click();
    const auto appended = readText(mods / "plain.LWP");
    const auto name = control("NameEdit")->text().toStdString();
    EXPECT_NE(appended.find("\r\n\r\nWEAPON:7\r\nNAME:" + name + "\r\nORDER:" + control("Edit65")->text().toStdString()
                            + "\r\nACCADD:"),
              std::string::npos);
    EXPECT_NE(appended.find("\r\n\r\nOBJECT:3\r\nBLOOD:"), std::string::npos);
    EXPECT_NE(appended.find("\r\n\r\nSOBJECT:5\r\nFIRSTSOUND:"), std::string::npos);
    EXPECT_EQ(appended.find("PROMPT:", 30), std::string::npos);
    fixture.prompts.unsaved = {Prompts::Unsaved::Discard};   // closing asks about the object's unsaved edit
}

TEST_F(TablePageTest, ActivatingAPluginInstallsThroughTheSavesAndShowsWhatItWrote)
{
    const auto mods = fixture.demo.game() / "mods";
    writeBytes(mods / "MIX.LWP", [] {
        const std::string text = "LWP\r\nVERSION:2\r\nPROMPT:Sure?\r\nWEAPON:3\r\nNAME:zapper\r\nRECOIL:300\r\n"
                                 "OBJECT:5\r\nGRAVITY:-2\r\nSPLINTERTYPE:-1\r\nSOBJECT:14\r\nBLOW:-1\r\n";
        return std::vector<std::uint8_t>(text.begin(), text.end());
    }());
    const auto weapons = loadWeapons(fixture.demo.workspace);
    const auto object5 = showEntry(fixture.demo.workspace, ObjectArrays, 5);
    open(TMainForm::Page::Objects, {QString::fromStdString((mods / "MIX.LWP").string())});
    fixture.prompts.yesNo = {true};
    click(form.get(), "ActivateButton");
    EXPECT_EQ(fixture.prompts.shown.back(), "Sure?");
    EXPECT_EQ(status(), "Special object replaced");
    // Each save's own line, then the plugin's.
    for (const std::string& line : std::initializer_list<std::string>{": Weaponname changed to ZAPPER\r\n", ": Weapons saved to Torlo.exe\r\n",
                                   ": Object \"Particle (large damage)\" saved\r\n",
                                   ": Special Object \"Undefined, but changeable\" saved\r\n",
                                   ": Weapon plugin " + (mods / "MIX.LWP").string() + " activated\r\n"})
        EXPECT_NE(log().find(line), std::string::npos) << line;
    EXPECT_GT(log().find(": Weapon plugin "), log().find(": Special Object ")) << "the last line names the plugin";

    // The pages show the rows the records named, with what was installed; the rest of each
    // entry kept its own values.
    EXPECT_EQ(control<QListWidget>("WeaponList")->currentRow(), 2);
    EXPECT_EQ(control<QListWidget>("WeaponList")->item(2)->text(), "ZAPPER");
    EXPECT_EQ(control("NameEdit")->text(), "ZAPPER");
    EXPECT_EQ(control("Edit14")->text(), "44");
    const auto after = loadWeapons(fixture.demo.workspace);
    EXPECT_EQ(after.table.entry(WeaponFields[*weaponFieldByKey("SPEED")], 2),
              weapons.table.entry(WeaponFields[*weaponFieldByKey("SPEED")], 2));
    EXPECT_EQ(control<QListWidget>("ObjectList")->currentRow(), 5);
    EXPECT_EQ(control("Edit45")->text(), "-2");
    EXPECT_EQ(control<QComboBox>("ComboBox14")->currentIndex(), -1);
    EXPECT_EQ(control("Edit37")->text().toStdString(), object5[objectField("SPEED")].text);
    EXPECT_EQ(control<QListWidget>("SpObjList")->currentRow(), 13);
    EXPECT_EQ(control("Edit56")->text(), "4294967295");
}

TEST_F(TablePageTest, PagesShowTheNewGameWhenTheGameFolderChanges)
{
    DemoGame other;
    auto bytes = readBytes(other.workspace.torloExe());
    bytes[at(ObjectArrays, objectField("HITDAMAGE"), 0)] = 99;
    bytes[at(SObjectArrays, sobjectField("HITDAMAGE"), 0)] = 98;
    writeBytes(other.workspace.torloExe(), bytes);
    open(TMainForm::Page::Objects);
    form->setGameFolder(other.game());
    EXPECT_EQ(control("Edit40")->text(), "99");
    EXPECT_EQ(control("Edit55")->text(), "98");
    control<QPushButton>("OSaveCurBut")->click();
    EXPECT_EQ(readBytes(other.workspace.torloExe()), bytes);
}

// Edits not yet saved are asked about before they would be dropped: another row, another game
// folder, closing the program. Save writes them into the old game, Discard drops them, Cancel
// keeps them and stops what would have dropped them. The weapon table keeps the edits of every
// row until "Save weapons", so only another game and closing ask there.
TEST_F(TablePageTest, UnsavedEditsAreAskedAboutBeforeTheyAreDropped)
{
    struct Page {
        TMainForm::Page page;
        const char* list;
        const char* field;
        std::size_t place;   // of the field's entry of row 1
        const char* question;   // before another row
        const char* caption;    // its entry in the window's list of unsaved edits
    };
    const Page pages[] = {
        {TMainForm::Page::Objects, "ObjectList", "Edit40", at(ObjectArrays, objectField("HITDAMAGE"), 1),
         "The object \"Worm 2 parts\" has changes that are not saved. Save them?", "Objects"},
        {TMainForm::Page::SpecialObjects, "SpObjList", "Edit55", at(SObjectArrays, sobjectField("HITDAMAGE"), 1),
         "The special object \"Medium explosion\" has changes that are not saved. Save them?", "Special objects"},
        {TMainForm::Page::Weapons, "WeaponList", "Edit17", places::WeaponTable + 1680 + 1,
         "", "Weapons"},
    };
    enum class Drop { Row, Folder, Close };
    using U = Prompts::Unsaved;
    DemoGame other;
    int typed = 10;
    for (const auto& page : pages)
        for (const auto drop : {Drop::Row, Drop::Folder, Drop::Close})
            for (const auto answer : {U::Save, U::Discard, U::Cancel}) {
                const auto what = std::string(page.list) + " drop " + std::to_string(int(drop)) + " answer "
                                  + std::to_string(int(answer));
                form.reset();   // one window at a time: each installs the process's backup keeper
                open(page.page);
                clickRow(page.list, 1);
                const auto before = readBytes(exe);
                type(page.field, QString::number(++typed));
                const bool weaponRow = page.page == TMainForm::Page::Weapons && drop == Drop::Row;
                if (!weaponRow)
                    fixture.prompts.unsaved = {answer};
                fixture.prompts.shown.clear();
                bool dropped = true;
                switch (drop) {
                case Drop::Row:
                    clickRow(page.list, 2);
                    dropped = control<QListWidget>(page.list)->currentRow() == 2;
                    break;
                case Drop::Folder: dropped = form->setGameFolder(other.game()); break;
                case Drop::Close: dropped = form->close(); break;
                }
                if (weaponRow) {   // kept in the table, and asked about when the program closes
                    EXPECT_TRUE(fixture.prompts.shown.empty()) << what;
                    EXPECT_EQ(form->findChild<WeaponPage*>()->data().table.bytes[1680 + 1], typed) << what;
                    fixture.prompts.unsaved = {U::Discard};
                    EXPECT_TRUE(form->close()) << what;
                    EXPECT_EQ(readBytes(exe), before) << what;
                    continue;
                }
                // Another row asks about the row; what drops every page's edits asks once for all.
                const auto listed = std::string(page.caption) + ": " + control<QListWidget>(page.list)->item(1)->text().toStdString();
                EXPECT_EQ(fixture.prompts.shown, std::vector<std::string>{drop == Drop::Row ? page.question
                                                                          : "These edits are not saved:\n\n" + listed + "\n\nSave them all first?"})
                    << what;
                EXPECT_EQ(dropped, answer != U::Cancel) << what;
                auto expected = before;
                if (answer == U::Save)
                    expected[page.place] = static_cast<std::uint8_t>(typed);
                EXPECT_EQ(readBytes(exe), expected) << what;
                if (answer == U::Cancel) {   // the edit is still there, to be saved or dropped
                    EXPECT_EQ(control(page.field)->text(), QString::number(typed)) << what;
                    EXPECT_EQ(form->workspace().gameFolder, fixture.demo.game()) << what;
                    fixture.prompts.unsaved = {U::Discard};
                    EXPECT_TRUE(form->close()) << what;
                } else if (drop != Drop::Close) {
                    form->close();   // nothing left to ask about
                }
                EXPECT_TRUE(fixture.prompts.unsaved.empty()) << what;
            }
}

TEST_F(TablePageTest, SaveAfterAStartUpWithoutTorloExeWritesNothing)
{
    const auto bytes = readBytes(exe);
    fs::rename(exe, exe.string() + ".away");
    open(TMainForm::Page::Objects);
    fs::rename(exe.string() + ".away", exe);
    fixture.prompts.shown.clear();
    control<QPushButton>("OSaveCurBut")->click();
    control<QPushButton>("SOSaveCurBut")->click();
    EXPECT_EQ(readBytes(exe), bytes);
}

// Values the pages cannot show (tick bytes 2, list entries past their last row) in every
// table: a Save with nothing changed leaves torlo.exe as it was, the same file, and says so.
TEST_F(TablePageTest, ASaveWithNothingChangedChangesNoByte)
{
    patch(at(ObjectArrays, objectField("WORMREMOVE"), 0), 2);
    patch(at(ObjectArrays, objectField("CREATEONHIT"), 0), 200);
    patch(at(SObjectArrays, sobjectField("SHADOW"), 0), 2);
    patch(at(SObjectArrays, sobjectField("MAPCHANGE"), 0), 200);
    const auto weaponField = [](std::string_view key) {
        const auto& field = WeaponFields[*fieldByKey(WeaponFields, key)];
        return places::WeaponTable + field.position;   // of weapon 0
    };
    patch(weaponField("WORMREMOVE"), 2);
    patch(weaponField("CREATEONHIT"), 200);
    const auto bytes = readBytes(exe);
    const auto inode = [&] {
        struct stat status {};
        return stat(exe.c_str(), &status) == 0 ? status.st_ino : 0;
    };
    const auto inodeBefore = inode();
    open(TMainForm::Page::Objects);
    const struct {
        TMainForm::Page page;
        const char* save;
    } rows[] = {{TMainForm::Page::Objects, "OSaveCurBut"}, {TMainForm::Page::SpecialObjects, "SOSaveCurBut"},
                {TMainForm::Page::Weapons, "SaveCurrentBut"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.save);
        form->showPage(row.page);
        const auto written = fs::last_write_time(exe);
        control<QPushButton>(row.save)->click();
        EXPECT_TRUE(readBytes(exe) == bytes);
        EXPECT_EQ(fs::last_write_time(exe), written);
        EXPECT_EQ(status(), "Nothing changed: the game already holds these values");
    }
    EXPECT_EQ(inode(), inodeBefore);
    EXPECT_EQ(log().find(" saved"), std::string::npos);
}

TEST_F(TablePageTest, EveryPageAndSubPageShowsItsRowsWholeInTheWindow)
{
    const auto shots = qEnvironmentVariable("QUORVEX_SHOTS_DIR");
    open(TMainForm::Page::Objects);
    QCoreApplication::processEvents();
    auto check = [&](QWidget* page, const QString& name) {
        QCoreApplication::processEvents();
        for (auto* widget : page->findChildren<QWidget*>()) {
            if (!widget->isVisibleTo(page))
                continue;
            const QRect area(widget->mapTo(page, QPoint(0, 0)), widget->size());
            EXPECT_TRUE(page->rect().contains(area)) << name.toStdString() << ": " << widget->objectName().toStdString();
            if (auto* label = qobject_cast<QLabel*>(widget); label && !label->text().isEmpty()) {
                EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
            }
        }
        for (const char* listName : {"ObjectList", "SpObjList"})
            if (auto* list = page->findChild<QListWidget*>(listName)) {
                for (int row = 0; row < list->count(); ++row)
                    EXPECT_LE(list->fontMetrics().horizontalAdvance(list->item(row)->text()), list->viewport()->width());
            }
        if (!shots.isEmpty())
            form->grab().save(QString("%1/%2.png").arg(shots, name));
    };
    auto* tabs = control<QTabWidget>("ObjectTabs");
    for (int p = 0; p < tabs->count(); ++p) {
        tabs->setCurrentIndex(p);
        check(form->page(TMainForm::Page::Objects), QString("objects-page-%1").arg(p + 1));
    }
    form->showPage(TMainForm::Page::SpecialObjects);
    check(form->page(TMainForm::Page::SpecialObjects), "special-objects-page");
}

TEST_F(TablePageTest, PluginsWrittenByEachPageInstallOntoAFreshGameAsTheirSavesDid)
{
    const auto mods = fixture.demo.game() / "mods";
    open(TMainForm::Page::Weapons, {QString::fromStdString((mods / "MEADOW.LEV").string())});
    // Weapons: edited and saved, then "Save as plugin" (WEAPON:SELECTED).
    control<QListWidget>("WeaponList")->setCurrentRow(11);
    QApplication::setActiveWindow(form.get());
    control("NameEdit")->setFocus(Qt::MouseFocusReason);
    control("NameEdit")->setText("a  b");
    control("Edit14")->setFocus(Qt::TabFocusReason);   // leaving the name box renames
    ASSERT_EQ(control<QListWidget>("WeaponList")->item(11)->text(), "A  B");
    control("Edit14")->setText("-3");
    control<QPushButton>("SaveCurrentBut")->click();
    fixture.prompts.files = {mods / "w"};
    control<QPushButton>("LWPBut")->click();
    EXPECT_EQ(status(), "Weapon saved");
    EXPECT_EQ(fixture.prompts.filters.back(), "Weapon plug ins|*.lwp|All files|*.*");
    // Objects and special objects: saved, then appended to the selected plugin.
    clickRow("ObjectList", 8);
    type("Edit38", "-300");
    control<QComboBox>("ComboBox15")->setCurrentIndex(14);
    control<QPushButton>("OSaveCurBut")->click();
    clickRow("SpObjList", 13);
    type("Edit56", "3000000000");
    control<QCheckBox>("CheckBox26")->setChecked(true);
    control<QPushButton>("SOSaveCurBut")->click();
    click(form.get(), "RefreshBut");
    ASSERT_TRUE(select(form.get(), "w.LWP"));
    control<QPushButton>("OLWP2But")->click();
    control<QPushButton>("SLWPBut2")->click();
    EXPECT_EQ(status(), "Object saved");

    DemoGame fresh;
    PluginPages pages;
    pages.weapon = 11;   // the record says SELECTED
    const auto installed = installPlugin(mods / "w.LWP", fresh.workspace, pages, [](std::string_view) { return true; });
    ASSERT_TRUE(installed.reports.back().succeeded()) << installed.reports.back().status;
    EXPECT_EQ(readBytes(fresh.workspace.torloExe()), readBytes(exe));
}

TEST_F(TablePageTest, AStoppedPluginSaysWhereAndThePagesShowTheRecordsBeforeIt)
{
    const auto mods = fixture.demo.game() / "mods";
    const std::string text = "TORLOKIT:WEAPONPLUGIN\r\nOBJECT:1\r\nBLOW:77\r\nWEAPON:41\r\nNAME:NOPE\r\n";
    writeBytes(mods / "STOP.LWP", std::vector<std::uint8_t>(text.begin(), text.end()));
    open(TMainForm::Page::Objects, {QString::fromStdString((mods / "STOP.LWP").string())});
    click(form.get(), "ActivateButton");
    EXPECT_EQ(status(), "Plugin stopped at line 4: \"WEAPON:41\" names no weapon (they run from 1 to 40)");
    EXPECT_EQ(control<QListWidget>("ObjectList")->currentRow(), 1);
    EXPECT_EQ(control("Edit36")->text(), "77");
    EXPECT_EQ(control<QListWidget>("WeaponList")->currentRow(), 0);
    EXPECT_EQ(log().find("NOPE"), std::string::npos);
}
