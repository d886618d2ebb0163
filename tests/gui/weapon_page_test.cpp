// The "Weapons" page driven through its widgets on a demo game: show, edit, copy on leaving a
// field, rename, save, the swatches, "Make Bullet", the preview, and the layout of the pages.
#include "core/store/game_change.h"
#include "core/gamefile/resource_file.h"
#include "main_form_fixture.h"
#include "gui/weapons/weapon_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

std::size_t index(std::string_view key)
{
    return *weaponFieldByKey(key);
}

constexpr std::size_t tableAt(std::uint32_t position)
{
    return places::WeaponTable + position;
}

struct WeaponPageTest : ::testing::Test {
    MainFormFixture fixture;
    std::unique_ptr<TMainForm> form;
    WeaponPage* page = nullptr;
    QListWidget* list = nullptr;
    fs::path exe = fixture.demo.workspace.torloExe();

    // Patches torlo.exe before the window reads it.
    void patch(std::size_t offset, std::uint8_t value)
    {
        auto bytes = readBytes(exe);
        bytes[offset] = value;
        writeBytes(exe, bytes);
    }

    void open()
    {
        form = fixture.create();
        form->showPage(TMainForm::Page::Weapons);
        form->resize(1000, 700);
        form->show();
        QApplication::setActiveWindow(form.get());
        page = form->findChild<WeaponPage*>();
        list = find<QListWidget>(form.get(), "WeaponList");
        ASSERT_TRUE(page && list);
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
    QString status() { return find<QLabel>(form.get(), "StatusText")->text(); }

    // What the user does: click a row of the list, type into a box, move on with the tab key.
    void clickRow(int row)
    {
        list->scrollToItem(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
        ASSERT_EQ(list->currentRow(), row);
    }
    void showSubPage(int n) { find<QTabWidget>(form.get(), "WeaponTabs")->setCurrentIndex(n - 1); }
    void type(QLineEdit* edit, const QString& text)
    {
        edit->setFocus(Qt::MouseFocusReason);
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    void leave(QWidget* from, QWidget* to)
    {
        from->setFocus(Qt::MouseFocusReason);
        to->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(to->hasFocus());
    }
    void clickSave() { QTest::mouseClick(control<QPushButton>("SaveCurrentBut"), Qt::LeftButton); }

    QColor swatch(const char* name)
    {
        return control<QLabel>(name)->pixmap().toImage().pixelColor(10, 10);
    }
    QColor defaultColour(int index)
    {
        const auto c = ResourceFile(fixture.demo.workspace.resourceFile).defaultColour(index);
        return QColor(c.red, c.green, c.blue);
    }
    SpritePreview expectedPreview(int frame)
    {
        return spritePreview(WeaponPicture(readWholeFile(fixture.demo.workspace.weaponBitmap())), frame);
    }
    bool previewIs(const SpritePreview& expected)
    {
        for (int y = 0; y < 14; ++y)
            for (int x = 0; x < 14; ++x) {
                const auto& c = expected[y * 14 + x];
                if (page->preview().pixel(x, y) != qRgb(c.red, c.green, c.blue))
                    return false;
            }
        return page->preview().size() == QSize(14, 14);
    }
    std::string log() { return readText(fixture.demo.workspace.logFile()); }
};

} // namespace

TEST_F(WeaponPageTest, StartUpShowsWeaponZeroWithEveryControlBuiltFromTheTable)
{
    open();
    const auto data = loadWeapons(fixture.demo.workspace);
    ASSERT_EQ(list->count(), 40);
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(list->item(i)->text().toStdString(), data.names[i]);
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_EQ(control("NameEdit")->text().toStdString(), data.names[0]);
    EXPECT_EQ(control("NameEdit")->maxLength(), 13);

    auto* tabs = find<QTabWidget>(form.get(), "WeaponTabs");
    ASSERT_EQ(tabs->count(), 4);
    for (int p = 0; p < 4; ++p)
        EXPECT_EQ(tabs->tabText(p), QString("Page %1").arg(p + 1));

    const auto shown = showWeapon(data.table, 0);
    for (std::size_t k = 0; k < WeaponFields.size(); ++k) {
        const auto& field = WeaponFields[k];
        auto* widget = find<QWidget>(form.get(), std::string(field.control).c_str());
        ASSERT_EQ(widget, page->fieldControl(k)) << field.control;
        EXPECT_TRUE(tabs->widget(field.page - 1)->isAncestorOf(widget)) << field.control;
        auto* form = qobject_cast<QFormLayout*>(tabs->widget(field.page - 1)->layout());
        QWidget* row = widget->parentWidget() == tabs->widget(field.page - 1) ? widget : widget->parentWidget();
        auto* label = qobject_cast<QLabel*>(form->labelForField(row));
        ASSERT_NE(label, nullptr) << field.control;
        EXPECT_EQ(label->text().toStdString(), field.caption);
        EXPECT_EQ(page->fieldValue(k), shown[k]) << field.control;
    }
    EXPECT_FALSE(control("Edit65")->isEnabled());
    EXPECT_FALSE(control<QPushButton>("SortWBut")->isEnabled());
    EXPECT_TRUE(control<QPushButton>("SaveCurrentBut")->isEnabled());
    EXPECT_EQ(control<QPushButton>("LWPBut")->text(), "Save as plugin");
    EXPECT_EQ(control<QPushButton>("LWP2But")->text(), "Save in plugin");
    EXPECT_EQ(control<QPushButton>("Button1")->text(), "Make Bullet");
    EXPECT_EQ(control<QLabel>("Edit28Swatch")->size(), QSize(21, 21));
    EXPECT_EQ(swatch("Edit28Swatch"), defaultColour(control("Edit28")->text().toInt()));
    EXPECT_EQ(swatch("Edit31Swatch"), defaultColour(control("Edit31")->text().toInt()));
    EXPECT_TRUE(previewIs(expectedPreview(control("Edit32")->text().toInt() & 0xFF)));
    EXPECT_TRUE(fixture.prompts.shown.empty());
}

TEST_F(WeaponPageTest, EditAndSaveRoundTripsWithTheEdgeCases)
{
    patch(tableAt(40) + 2, 2);      // "Affected by worm motion" of weapon 2: neither 0 nor 1
    patch(tableAt(1040) + 2, 13);   // "Create on explosion": no row 13 in its list
    const auto before = readBytes(exe);
    open();
    clickRow(2);
    EXPECT_FALSE(control<QCheckBox>("CheckBox13")->isChecked());
    EXPECT_EQ(control<QComboBox>("ComboBox1")->currentIndex(), -1);
    EXPECT_EQ(control<QComboBox>("ComboBox1")->currentText(), "");

    type(control("Edit15"), "300");     // byte
    type(control("Edit20"), "-1");      // byte
    type(control("Edit22"), "32768");   // 16-bit
    clickSave();
    EXPECT_EQ(status(), "Weapons saved");
    EXPECT_NE(log().find(": Weapons saved to Torlo.exe\r\n"), std::string::npos);

    auto expected = before;
    expected[tableAt(80) + 2] = 44;
    expected[tableAt(0) + 2] = 255;
    expected[tableAt(160) + 4] = 0x00;
    expected[tableAt(160) + 5] = 0x80;
    // The 2 and the 13 that the page could not show stay: the user left their controls.
    EXPECT_EQ(readBytes(exe), expected);   // every other weapon and byte as it was

    clickRow(5);
    clickRow(2);
    EXPECT_EQ(control("Edit15")->text(), "44");
    EXPECT_EQ(control("Edit20")->text(), "255");
    EXPECT_EQ(control("Edit22")->text(), "-32768");
    EXPECT_EQ(control<QComboBox>("ComboBox1")->currentIndex(), -1);
    EXPECT_TRUE(fixture.prompts.shown.empty());
}

TEST_F(WeaponPageTest, LeavingAFieldCopiesThePageIntoTheShownWeaponOnly)
{
    open();
    const auto before = readBytes(exe);
    const auto& damage = WeaponFields[index("HITDAMAGE")];
    const int sixth = page->data().table.entry(damage, 6);
    clickRow(1);
    type(control("Edit17"), "99");
    leave(control("Edit17"), control("Edit18"));
    EXPECT_EQ(page->data().table.entry(damage, 1), 99);

    type(control("Edit17"), "77");
    clickRow(6);                          // the list takes the focus before the row changes
    EXPECT_EQ(page->data().table.entry(damage, 1), 77);
    EXPECT_EQ(page->data().table.entry(damage, 6), sixth);
    EXPECT_EQ(control("Edit17")->text(), QString::number(sixth));

    // Focus taken by another window is no move to another field.
    control("Edit17")->setText("55");
    QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(control("Edit17"), &away);
    EXPECT_EQ(page->data().table.entry(damage, 6), sixth);

    clickRow(1);
    EXPECT_EQ(control("Edit17")->text(), "77");

    // A tick box clicked and left for the list is copied as well.
    showSubPage(2);
    auto* laser = control<QCheckBox>("CheckBox14");
    const bool ticked = laser->isChecked();
    QTest::mouseClick(laser, Qt::LeftButton, {}, QPoint(laser->width() / 2, laser->height() / 2));
    ASSERT_EQ(laser->isChecked(), !ticked);
    clickRow(2);
    EXPECT_EQ(page->data().table.entry(WeaponFields[index("LASERSIGHT")], 1), ticked ? 0 : 1);
    EXPECT_EQ(readBytes(exe), before);   // edits reach the file only through "Save weapons"
    fixture.prompts.unsaved = {Prompts::Unsaved::Discard};   // closing asks about them
}

TEST_F(WeaponPageTest, LeavingTheNameBoxRenamesInUpperCaseAtOnce)
{
    open();
    const auto slot = [&](int w) {
        const auto bytes = readBytes(exe);
        return std::vector<std::uint8_t>(bytes.begin() + places::WeaponNames + 14 * w,
                                         bytes.begin() + places::WeaponNames + 14 * w + 14);
    };
    clickRow(4);
    type(control("NameEdit"), "lower");
    leave(control("NameEdit"), control("Edit9"));
    EXPECT_EQ(list->item(4)->text(), "LOWER");
    EXPECT_EQ(control("NameEdit")->text(), "LOWER");
    EXPECT_EQ(slot(4), (std::vector<std::uint8_t>{5, 'L', 'O', 'W', 'E', 'R', 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(status(), "Weaponname changed");
    EXPECT_NE(log().find(": Weaponname changed to LOWER\r\n"), std::string::npos);

    type(control("NameEdit"), "thirteen-long and more");   // the box takes 13 characters
    leave(control("NameEdit"), control("Edit9"));
    EXPECT_EQ(slot(4), (std::vector<std::uint8_t>{13, 'T', 'H', 'I', 'R', 'T', 'E', 'E', 'N', '-', 'L', 'O', 'N', 'G'}));
    EXPECT_EQ(loadWeapons(fixture.demo.workspace).names[4], "THIRTEEN-LONG");

    // Leaving the box with the name as it was (typed in lower case too) writes and logs nothing.
    const auto logBefore = log();
    const auto exeBefore = readBytes(exe);
    const auto exeTime = fs::last_write_time(exe);
    leave(control("NameEdit"), control("Edit9"));
    type(control("NameEdit"), "thirteen-long");
    leave(control("NameEdit"), control("Edit9"));
    EXPECT_EQ(control("NameEdit")->text(), "THIRTEEN-LONG");
    EXPECT_EQ(log(), logBefore);
    EXPECT_EQ(readBytes(exe), exeBefore);
    EXPECT_EQ(fs::last_write_time(exe), exeTime);

    // The game's character set: "É" is byte 0x90 of code page 437; "€" has no byte and is
    // refused with a message, nothing written.
    control("NameEdit")->setText(QString::fromUtf8("\u00C9T\u00C9"));   // typed through an input method
    leave(control("NameEdit"), control("Edit9"));
    EXPECT_EQ(slot(4), (std::vector<std::uint8_t>{3, 0x90, 'T', 0x90, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    const auto named = readBytes(exe);
    control("NameEdit")->setText(QString::fromUtf8("5 \u20AC"));
    leave(control("NameEdit"), control("Edit9"));
    ASSERT_EQ(fixture.prompts.shown.size(), 1u);
    EXPECT_NE(fixture.prompts.shown[0].find("code page 437"), std::string::npos) << fixture.prompts.shown[0];
    EXPECT_EQ(readBytes(exe), named);
    EXPECT_EQ(control("NameEdit")->text(), QString::fromUtf8("\u00C9T\u00C9"));
    EXPECT_EQ(list->item(4)->text(), QString::fromUtf8("\u00C9T\u00C9"));
}

TEST_F(WeaponPageTest, ConversionErrorStopsTheCopyAndSaveWritesNothing)
{
    open();
    const auto before = readBytes(exe);
    const auto& speed = WeaponFields[index("SPEED")];
    const auto& multiply = WeaponFields[index("ACCMULTIPLY")];
    const int multiplyBefore = page->data().table.entry(multiply, 0);
    control("Edit11")->setText("555");    // third on page 1
    control("Edit12")->setText("abc");    // fourth
    control("Edit13")->setText("77");     // fifth
    const auto statusBefore = status();
    clickSave();
    ASSERT_FALSE(fixture.prompts.shown.empty());
    EXPECT_EQ(fixture.prompts.shown.back(), "'abc' is not a valid integer value");
    EXPECT_EQ(readBytes(exe), before);
    EXPECT_EQ(status(), statusBefore);
    EXPECT_EQ(page->data().table.entry(speed, 0), 555);
    EXPECT_EQ(page->data().table.entry(multiply, 0), multiplyBefore);

    control("Edit12")->setText("12");
    clickSave();
    EXPECT_EQ(status(), "Weapons saved");
    EXPECT_EQ(readBytes(exe)[tableAt(760)], 77);
}

TEST_F(WeaponPageTest, ColourBoxesClampTheirTextAndPaintTheSwatch)
{
    open();
    showSubPage(3);
    type(control("Edit28"), "300");
    EXPECT_EQ(control("Edit28")->text(), "255");
    EXPECT_EQ(swatch("Edit28Swatch"), defaultColour(255));
    control("Edit28")->setText("-4");
    EXPECT_EQ(control("Edit28")->text(), "0");
    EXPECT_EQ(swatch("Edit28Swatch"), defaultColour(0));
    // On the way to a number: an emptied box and a lone sign are no errors.
    type(control("Edit28"), "7");
    control("Edit28")->clear();
    type(control("Edit28"), "-4");
    EXPECT_EQ(control("Edit28")->text(), "0");
    EXPECT_TRUE(fixture.prompts.shown.empty()) << fixture.prompts.shown.front();
    EXPECT_EQ(swatch("Edit28Swatch"), defaultColour(0));

    control("Edit28")->setText("abc");   // not a number: the message, and the swatch keeps its colour
    ASSERT_EQ(fixture.prompts.shown.size(), 1u);
    EXPECT_EQ(fixture.prompts.shown[0], "'abc' is not a valid integer value");
    EXPECT_EQ(swatch("Edit28Swatch"), defaultColour(0));

    showSubPage(4);
    type(control("Edit31"), "300");
    EXPECT_EQ(control("Edit31")->text(), "255");
    EXPECT_EQ(swatch("Edit31Swatch"), defaultColour(255));
    fixture.prompts.unsaved = {Prompts::Unsaved::Discard};   // closing asks about the unsaved edits
}

TEST_F(WeaponPageTest, MakeBulletPointsThePreviewBeyondThePicture)
{
    open();
    showSubPage(4);
    const auto& frame = WeaponFields[index("ANIMSFRAME")];
    const int stored = page->data().table.entry(frame, 0);
    ASSERT_GE(stored, 0);   // the demo's weapon 0 has a sprite
    EXPECT_TRUE(previewIs(expectedPreview(stored)));

    QTest::mouseClick(control<QPushButton>("Button1"), Qt::LeftButton);
    EXPECT_EQ(control("Edit32")->text(), "-1");
    EXPECT_EQ(control("Edit33")->text(), "0");
    SpritePreview pink;
    pink.fill(Rgb{255, 64, 128});
    EXPECT_TRUE(previewIs(pink));
    EXPECT_EQ(page->data().table.entry(frame, 0), stored);   // the table follows at the next copy

    control("Edit32")->setText("");   // an empty start frame draws nothing and raises nothing
    EXPECT_TRUE(previewIs(pink));
    EXPECT_TRUE(fixture.prompts.shown.empty());

    control("Edit32")->setText("-1");
    clickSave();
    const auto bytes = readBytes(exe);
    EXPECT_EQ(bytes[tableAt(1760)], 0xFF);
    EXPECT_EQ(bytes[tableAt(1761)], 0xFF);
    EXPECT_EQ(bytes[tableAt(1840)], 0);
}

TEST_F(WeaponPageTest, AShortTorloChrLeavesOnlyTheSpritePreviewEmpty)
{
    auto chr = readBytes(fixture.demo.workspace.torloChr());
    chr.resize(places::ChrMinimumSize - 1);
    writeBytes(fixture.demo.workspace.torloChr(), chr);
    writeBytes(fixture.demo.workspace.weaponBitmap(), {1, 2, 3});   // left by another game
    open();
    EXPECT_FALSE(fs::exists(fixture.demo.workspace.weaponBitmap()));
    EXPECT_TRUE(fixture.prompts.shown.empty());
    EXPECT_TRUE(control<QPushButton>("SaveCurrentBut")->isEnabled());
    EXPECT_TRUE(control<QPushButton>("LWPBut")->isEnabled());
    EXPECT_NE(control<QLabel>("WPImage")->toolTip().indexOf("TORLO.CHR"), -1);

    clickRow(7);
    EXPECT_EQ(control("Edit65")->text(), "7");
    EXPECT_EQ(control("NameEdit")->text(), list->item(7)->text());
    type(control("Edit11"), "1234");
    clickSave();
    EXPECT_EQ(status(), "Weapons saved");
    EXPECT_TRUE(fixture.prompts.shown.empty());
    const auto bytes = readBytes(exe);
    EXPECT_EQ(bytes[tableAt(440 + 14)] | (bytes[tableAt(440 + 15)] << 8), 1234);
}

TEST_F(WeaponPageTest, SaveAfterAStartUpWithoutTorloExeWritesNothing)
{
    const auto game = readBytes(exe);
    fs::remove(exe);
    open();
    ASSERT_EQ(fixture.prompts.shown.size(), 1u);
    EXPECT_EQ(fixture.prompts.shown[0], "torlo.exe was not found in " + fixture.demo.game().string()
                                             + " \u2014 set the game folder on the Options page");
    EXPECT_EQ(list->count(), 0);
    EXPECT_FALSE(control<QPushButton>("SaveCurrentBut")->isEnabled());

    writeBytes(exe, game);   // the game comes back (say, a folder set on the options page)
    page->SaveCurrentButClick();
    EXPECT_EQ(readBytes(exe), game);
    EXPECT_NE(status(), "Weapons saved");
}

TEST_F(WeaponPageTest, EverySubPageShowsItsRowsWholeInTheWindow)
{
    open();
    auto* tabs = find<QTabWidget>(form.get(), "WeaponTabs");
    const auto shots = qEnvironmentVariable("QUORVEX_SHOTS_DIR");
    // As the window lays the page out, and in the smallest room the page is meant for.
    for (const QSize room : {QSize(), QSize(540, 470)}) {
        if (room.isValid())
            page->setFixedSize(room);
        for (int p = 0; p < 4; ++p) {
            tabs->setCurrentIndex(p);
            QCoreApplication::processEvents();
            auto* sub = tabs->widget(p);
            for (auto* widget : sub->findChildren<QWidget*>()) {
                if (!widget->isVisibleTo(sub))
                    continue;
                const QRect area(widget->mapTo(sub, QPoint(0, 0)), widget->size());
                EXPECT_TRUE(sub->rect().contains(area)) << "page " << p + 1 << ": " << widget->objectName().toStdString()
                                                        << " " << widget->metaObject()->className();
                if (auto* label = qobject_cast<QLabel*>(widget); label && !label->text().isEmpty()) {
                    EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
                }
            }
            for (int row = 0; row < list->count(); ++row)
                EXPECT_LE(list->fontMetrics().horizontalAdvance(list->item(row)->text()), list->viewport()->width());
            if (!shots.isEmpty())
                page->grab().save(QString("%1/weapons-page-%2%3.png").arg(shots).arg(p + 1).arg(room.isValid() ? "-small" : ""));
        }
    }
}

// Another Quorvex (a script) renames a weapon while the window is open: the next handler that
// takes the game's lock learns of the change and the page reads the game again, so a later
// save does not write the old table back over it.
TEST_F(WeaponPageTest, AChangeByAnotherQuorvexIsReadAgainAtTheNextHandler)
{
    open();
    EXPECT_NE(list->item(3)->text(), "BLASTER");
    const auto workspace = fixture.demo.workspace;
    const pid_t child = ::fork();
    if (child == 0) {
        {
            GameChange change(workspace);
            auto weapons = loadWeapons(workspace);
            renameWeapon(workspace, weapons.names, 3, "blaster");
            change.commit();
        }
        std::_Exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_EQ(loadWeapons(workspace).names[3], "BLASTER");
    EXPECT_NE(list->item(3)->text(), "BLASTER");   // nothing is watched between handlers
    clickRow(5);
    EXPECT_EQ(list->item(3)->text(), "BLASTER");
}
