// The "Text Editor" window driven through its widgets on a demo game: the pages built from the
// text table, reading when shown, the field limits, Load, Save, Save to file, Run Torlo, Help
// and closing; and a picture of every page in two colour schemes when QUORVEX_SHOTS is set.
#include "main_form_fixture.h"
#include "screenshot.h"
#include "modules/desktop/qt_platform.h"
#include "core/shell/settings.h"
#include "gui/controls/game_text_edit.h"
#include "gui/texts/text_editor_window.h"

#include <QTextBrowser>
#include <QLabel>
#include <QMenu>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>
#include <iostream>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

struct TextEditorTest : ::testing::Test {
    MainFormFixture fixture;
    std::unique_ptr<TMainForm> form = fixture.create();
    std::unique_ptr<TTextForm> window = std::make_unique<TTextForm>(*form);
    fs::path exe = fixture.demo.workspace.torloExe();

    void TearDown() override
    {
        window->hide();
        form->close();
    }

    QLineEdit* field(int line) { return window->field(indexOf(*gameTextOfLine(line))); }
    void click(const char* button) { QTest::mouseClick(find<QPushButton>(window.get(), button), Qt::LeftButton); }
    // Typing, one character at a time as keys would put them in (QTest types ASCII only).
    void type(QLineEdit* edit, const QString& text, bool replace = true)
    {
        edit->setFocus();
        if (replace)
            edit->clear();
        edit->end(false);
        for (const QChar c : text)
            edit->insert(c);
    }
    void patch(std::uint32_t offset, std::string_view text)
    {
        auto bytes = readBytes(exe);
        std::copy(text.begin(), text.end(), bytes.begin() + offset);
        writeBytes(exe, bytes);
    }
    std::string at(std::uint32_t offset, std::size_t count)
    {
        const auto bytes = readBytes(exe);
        return std::string(bytes.begin() + offset, bytes.begin() + offset + count);
    }
    std::string log() { return readText(fixture.demo.workspace.logFile()); }
};

} // namespace

TEST_F(TextEditorTest, PagesAreBuiltFromTheTable)
{
    EXPECT_EQ(window->pages(), nullptr);   // built when first shown, not at the program's start
    fs::remove(exe);                       // nothing to read: the fields keep their design-time texts
    window->show();
    EXPECT_EQ(fixture.prompts.shown, std::vector<std::string>{"File not found: torlo.exe"});
    auto* pages = window->pages();
    QStringList captions;
    for (int p = 0; p < pages->count(); ++p)
        captions << pages->tabText(p);
    EXPECT_EQ(captions, (QStringList{"Startup", "Menu", "Options", "Before/After/In Game", "Player/Weapon Options", "Keys",
                                     "Misc.", " [ Your info ] "}));
    EXPECT_EQ(pages->currentIndex(), 7);
    EXPECT_EQ(window->windowTitle(), "Text Editor");

    for (std::size_t i = 0; i < GameTextCount; ++i) {
        const auto& text = GameTexts[i];
        auto* edit = window->field(i);
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(pages->indexOf(edit->parentWidget()), static_cast<int>(text.page)) << i;
        EXPECT_EQ(toGameText(edit->text()), text.designText.substr(0, text.width)) << i;
    }
    // Labels, "&&" shown as one "&", and the headings in bold.
    QStringList labels;
    for (auto* label : pages->widget(0)->findChildren<QLabel*>())
        labels << label->text();
    EXPECT_TRUE(labels.contains("DMA 8/8/16"));
    QLabel* loading = nullptr;
    for (auto* label : pages->widget(0)->findChildren<QLabel*>())
        if (label->buddy() == field(32))
            loading = label;
    ASSERT_NE(loading, nullptr);
    EXPECT_EQ(loading->text(), "Loading && thinking");   // a buddy's label shows "&&" as one "&"
    for (const char* heading : {"BeforeHeading", "DuringHeading", "AfterHeading", "WeaponHeading", "PlayersHeading"}) {
        auto* label = find<QLabel>(window.get(), heading);
        ASSERT_NE(label, nullptr) << heading;
        EXPECT_TRUE(label->font().bold());
    }
    EXPECT_NE(find<QLabel>(window.get(), "IllegalNote"), nullptr);
    QStringList buttons;
    for (const char* name : {"LoadButton", "SaveButton", "SaveToFileButton", "BackButton", "RunTorloButton", "HelpButton"})
        buttons << find<QPushButton>(window.get(), name)->text();
    EXPECT_EQ(buttons, (QStringList{"Load", "Save", "Save to file", "Back to QVX", "Run Torlo", "Help"}));
    EXPECT_EQ(find<QLineEdit>(window.get(), "NameEdit")->text(), "Quorvex");
    EXPECT_EQ(find<QLineEdit>(window.get(), "WebsiteEdit")->text(), "https://torlonet.morvane.net");
}

TEST_F(TextEditorTest, ReadsWhenShownAndKeepsEditsWhileOpen)
{
    patch(110747, "NEU SPIE");
    patch(135389, "Druck       ");
    window->show();
    EXPECT_EQ(field(37)->text(), "NEU SPIE");
    EXPECT_EQ(field(145)->text(), "Druck       ");   // the second place wins
    EXPECT_EQ(field(171)->text(), "names.dat");

    // Returning from the main window or a dialog keeps what the user typed.
    type(field(37), "HALLO");
    form->activateWindow();
    window->activateWindow();
    window->show();
    EXPECT_EQ(field(37)->text(), "HALLO");

    // Shown again from the "Editors" menu after "Back to QVX" (which asks about the typed text
    // first): read afresh.
    fixture.prompts.unsaved = {Prompts::Unsaved::Discard};
    click("BackButton");
    EXPECT_EQ(fixture.prompts.shown.back(), "These edits are not saved:\n\nText editor\n\nSave them first?");
    EXPECT_FALSE(window->isVisible());
    form->textEditorWindow = window.get();
    QTest::mouseClick(find<QPushButton>(form.get(), "EditorButton"), Qt::LeftButton);
    auto* menu = find<QMenu>(form.get(), "EditorMenu");
    ASSERT_NE(menu, nullptr);
    menu->actions()[1]->trigger();
    menu->close();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(field(37)->text(), "NEU SPIE");

    // A new game folder while the window is open: the texts of the new game.
    test::DemoGame other;
    patch(110747, "OLD GAME");
    form->setGameFolder(other.game());
    EXPECT_EQ(field(37)->text(), "NEW GAME");
}

TEST_F(TextEditorTest, FieldsTakeTheirWidthAndCodePage437Only)
{
    window->show();
    type(field(37), "ABCDEFGHIJK");
    EXPECT_EQ(field(37)->text(), "ABCDEFGH");
    type(field(37), QString::fromUtf8("Ça€ß☺"));
    EXPECT_EQ(field(37)->text(), QString::fromUtf8("Çaß☺"));   // "€" is not in the game's set

    // The environment variable's name shows its 7 characters but takes 6 when typed.
    auto* blaster = field(170);
    EXPECT_EQ(blaster->text(), "BLASTER");
    type(blaster, "X", false);
    EXPECT_EQ(blaster->text(), "BLASTER");
    type(blaster, "ABCDEFGH");
    EXPECT_EQ(blaster->text(), "ABCDEF");

    // Each field says how wide it is; a shorter text is saved filled up with spaces.
    EXPECT_EQ(field(7)->toolTip(), "14 characters wide; a shorter text is filled up with spaces");
    EXPECT_EQ(blaster->toolTip(), "7 characters wide, 6 of them typed; a shorter text is filled up with spaces");
    type(field(7), "Silent");
    click("SaveButton");
    EXPECT_EQ(at(6001, 14), "Silent        ");
    EXPECT_EQ(at(65731, 7), "ABCDEF ");
}

// Every field has room for what it shows, beside its neighbours and not over them, and the
// window fits a 1024 by 768 screen (a larger one is squeezed, and its fields overlap).
TEST_F(TextEditorTest, EveryFieldShowsItsWholeTextAndTheWindowFitsTheScreen)
{
    window->show();
    for (int p = 0; p < window->pages()->count(); ++p) {
        window->pages()->setCurrentIndex(p);
        QApplication::processEvents();
        std::vector<QRect> taken;
        for (std::size_t i = 0; i < GameTextCount; ++i) {
            auto* edit = window->field(i);
            if (!edit->isVisible())
                continue;
            EXPECT_TRUE(hasRoomFor(edit, edit->text())) << edit->text().toStdString();
            const QRect area(edit->mapTo(window.get(), QPoint(0, 0)), edit->size());
            for (const auto& other : taken)
                EXPECT_FALSE(area.intersects(other)) << edit->text().toStdString();
            taken.push_back(area);
        }
    }
    EXPECT_LE(window->width(), 1024);
    EXPECT_LE(window->height(), 768 - 40);
    window->pages()->setCurrentIndex(0);   // "Error with Himem" and its two long fields
    QApplication::processEvents();
    saveScreenshot(window.get(), "text-editor");
}

TEST_F(TextEditorTest, EveryByteButTildeGoesThroughTheFieldsUnchanged)
{
    // 255 byte values in wide fields, shown as code page 437 and saved back.
    std::string all;
    for (int b = 0; b < 256; ++b)
        if (b != '~')   // "~" ends a text in the game
            all += static_cast<char>(b);
    for (int line : {94, 21, 26, 35, 91, 9, 24}) {
        const auto* entry = gameTextOfLine(line);
        auto piece = all.substr(0, entry->width);
        all.erase(0, piece.size());
        piece.resize(entry->width, ' ');
        patch(entry->offset, piece);
    }
    ASSERT_TRUE(all.empty());
    window->show();
    EXPECT_EQ(field(94)->text().front(), QChar(0x2400));   // byte 0 shows as "␀"
    const auto before = readBytes(exe);
    click("SaveButton");
    auto after = readBytes(exe);
    for (std::uint32_t offset : {49021u, 62195u})   // the file names hold their design texts
        std::copy(before.begin() + offset, before.begin() + offset + 9, after.begin() + offset);
    EXPECT_TRUE(after == before);
}

TEST_F(TextEditorTest, LoadAsksAndSaveWritesEveryWrittenEntry)
{
    window->show();
    type(field(37), "NO");
    fixture.prompts.yesNo = {false};
    click("LoadButton");
    EXPECT_EQ(fixture.prompts.shown.back(), "Are you sure you want to reload all strings?\nNon-saved data will be lost!");
    EXPECT_EQ(field(37)->text(), "NO");
    fixture.prompts.yesNo = {true};
    click("LoadButton");
    EXPECT_EQ(field(37)->text(), "NEW GAME");

    type(field(37), "NO");
    type(field(145), QString::fromUtf8("Drück"));
    type(field(171), "namen.dat");
    window->field(GameTextCount - 1)->setText("changed");   // read-only: never written
    const auto before = at(92068, 38);
    click("SaveButton");
    EXPECT_EQ(at(110747, 8), "NO      ");   // filled up: nothing of "NEW GAME" stays behind
    EXPECT_EQ(at(135220, 12), "Dr\x81" "ck       ");
    EXPECT_EQ(at(135389, 12), "Dr\x81" "ck       ");
    EXPECT_EQ(at(49021, 9), "namen.dat");
    EXPECT_EQ(at(92068, 38), before);
    EXPECT_NE(log().find("- New texts saved. Detailed information not yet available\r\n"), std::string::npos);
    EXPECT_EQ(form->findChild<QLabel*>("StatusText")->text(), "Texts saved");   // the history's step says it too
}

TEST_F(TextEditorTest, SaveThatCanNotWriteEveryFieldWritesNothing)
{
    window->show();
    type(field(37), "NO");
    // Too short for the last fields: refused before the first byte. Cut behind the window's back,
    // the file is asked about first (saved over), and then again when it is gone; closing asks
    // about the text still not saved.
    fixture.prompts.unsaved = {Prompts::Unsaved::Save, Prompts::Unsaved::Save, Prompts::Unsaved::Discard};
    auto bytes = readBytes(exe);
    bytes.resize(135700);
    writeBytes(exe, bytes);
    click("SaveButton");
    ASSERT_FALSE(fixture.prompts.shown.empty());
    EXPECT_EQ(fixture.prompts.shown.back(), "Read beyond end of file: torlo.exe");
    EXPECT_EQ(readBytes(exe), bytes);

    fs::remove(exe);
    click("SaveButton");
    EXPECT_EQ(fixture.prompts.shown.back(), "File not found: torlo.exe");
    EXPECT_EQ(log().find("New texts saved"), std::string::npos);
}

TEST_F(TextEditorTest, SaveToFileWritesATranslationOfTheFields)
{
    window->show();
    type(field(37), "NEUES");
    type(find<QLineEdit>(window.get(), "NameEdit"), QString::fromUtf8("Jürgen"));
    fixture.prompts.files = {fixture.demo.scratch / "French.txt"};
    click("SaveToFileButton");
    EXPECT_EQ(fixture.prompts.filters.back(), "Torlo Language Files|*.llf|All files|*.*");
    const auto text = readText(fixture.demo.scratch / "French.LLF");
    EXPECT_EQ(text.substr(0, text.find("*****")),
              "Torlo Language File\r\nFormat created by Vandrel and Morvane\r\nLanguage: French\r\n"
              "Author: J\x81rgen\r\nAuthors website: https://torlonet.morvane.net\r\n");
    EXPECT_NE(text.find("\r\nNEUES\r\n"), std::string::npos);   // the field as it stands, unsaved
    fixture.prompts.files = {std::nullopt};
    click("SaveToFileButton");   // cancelled: nothing more

    // A stored name the game's characters can not hold: a message, and no file.
    fixture.settings.setText(setting::Username, "5 €");
    window->hide();
    window->show();
    fixture.prompts.files = {fixture.demo.scratch / "Euro"};
    click("SaveToFileButton");
    EXPECT_NE(fixture.prompts.shown.back().find("\"€\" cannot be stored"), std::string::npos) << fixture.prompts.shown.back();
    EXPECT_FALSE(fs::exists(fixture.demo.scratch / "Euro.LLF"));
}

TEST_F(TextEditorTest, RunTorloHelpAndClosingStoreTheUserInformation)
{
    fixture.settings.setText(setting::DoSound, "no");
    fixture.settings.setText(setting::Username, "");
    window->show();
    EXPECT_EQ(find<QLineEdit>(window.get(), "NameEdit")->text(), "");
    click("RunTorloButton");
    ASSERT_EQ(fixture.shell.calls.size(), 1u);
    EXPECT_EQ(fixture.shell.calls[0].folder, fixture.demo.game());
    EXPECT_NE(fixture.shell.calls[0].parameters.find("torlo.exe /N"), std::string::npos);
    EXPECT_EQ(fixture.shell.calls[0].window, Shell::Window::Maximised);
    click("HelpButton");
    ASSERT_EQ(fixture.shell.calls.size(), 1u) << "the help opens in Quorvex's own window";
    auto* help = form->findChild<QWidget*>("HelpWindow");
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->findChild<QTextBrowser*>("HelpBrowser")->source().toLocalFile().endsWith("/help/text-editor.html"));
    fixture.shell.answer = "dosbox: not found";
    click("RunTorloButton");
    EXPECT_NE(fixture.prompts.shown.back().find("dosbox: not found"), std::string::npos);

    type(find<QLineEdit>(window.get(), "WebsiteEdit"), "https://example.org");
    click("BackButton");
    EXPECT_EQ(fixture.settings.text(setting::Username), "");
    EXPECT_EQ(fixture.settings.text(setting::Website), "https://example.org");
    EXPECT_NE(log().find("- User information saved. May be changed. Detailed information not yet available\r\n"),
              std::string::npos);
}

// QUORVEX_SHOTS=DIR: every page in the default scheme and in TorloNet-Blue, as PNG files.
TEST_F(TextEditorTest, Screenshots)
{
    const auto folder = qEnvironmentVariable("QUORVEX_SHOTS");
    if (folder.isEmpty())
        GTEST_SKIP() << "set QUORVEX_SHOTS to a folder";
    for (const auto& [scheme, fg, bg] : {std::tuple{"default", 2147483656LL, 2147483663LL}, std::tuple{"blue", 16232235LL, 8388608LL}}) {
        fixture.settings.setInteger(setting::FG, fg);
        fixture.settings.setInteger(setting::BG, bg);
        window->hide();
        window->show();
        QApplication::processEvents();
        for (int p = 0; p < window->pages()->count(); ++p) {
            window->pages()->setCurrentIndex(p);
            window->grab().save(QString("%1/%2-page%3.png").arg(folder, scheme).arg(p));
        }
    }
    std::cout << "window size " << window->width() << "x" << window->height() << std::endl;
}
