// The help: every page and window opens its own topic in Quorvex's own help window, every link
// between the help pages leads to a page (and a place in it) that exists, web links and "Open in
// browser" go to the desktop's browser.
#include "gui/app/main_form.h"
#include "gui/hacks/hacks_window.h"
#include "main_form_fixture.h"
#include "screenshot.h"
#include "gui/texts/text_editor_window.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QShortcut>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <gtest/gtest.h>

namespace quorvex::test {
namespace {

QTextBrowser* helpBrowser(QWidget* form)
{
    auto* help = form->findChild<QWidget*>("HelpWindow");
    return help ? help->findChild<QTextBrowser*>("HelpBrowser") : nullptr;
}

QString shownPage(QWidget* form)
{
    auto* browser = helpBrowser(form);
    return browser ? QFileInfo(browser->source().toLocalFile()).fileName() : QString();
}

TEST(Help, EveryPageAndWindowOpensItsOwnTopic)
{
    MainFormFixture fixture;
    auto form = fixture.create();
    form->resize(1024, 728);
    form->show();
    auto* pages = find<QTabWidget>(form.get(), "PageControl");
    const QStringList topics{"graphics", "index", "options", "cpu-ai", "palette", "weapons", "objects", "special-objects", "sounds", "mods"};
    ASSERT_EQ(pages->count(), topics.size());
    const QDir folder(QString::fromStdString((fixture.demo.workspace.resourceFile.parent_path() / "help").string()));
    for (int i = 0; i < pages->count(); ++i) {
        pages->setCurrentIndex(i);
        QTest::mouseClick(find<QPushButton>(form.get(), "HelpButton"), Qt::LeftButton);
        EXPECT_EQ(shownPage(form.get()), topics[i] + ".html") << pages->tabText(i).toStdString();
        EXPECT_TRUE(folder.exists(topics[i] + ".html")) << topics[i].toStdString();
        // The screenshot of the page for its help topic.
        if (!qEnvironmentVariable("QUORVEX_SHOTS_DIR").isEmpty()) {
            auto* help = form->findChild<QWidget*>("HelpWindow");
            help->hide();
            QCoreApplication::processEvents();
            saveScreenshot(form.get(), "page-" + topics[i]);
        }
    }
    EXPECT_TRUE(fixture.shell.calls.empty());

    TTextForm texts(*form);
    texts.show();
    QTest::mouseClick(find<QPushButton>(&texts, "HelpButton"), Qt::LeftButton);
    EXPECT_EQ(shownPage(form.get()), "text-editor.html");
    TObjForm hacks(*form);
    hacks.show();
    for (auto* shortcut : hacks.findChildren<QShortcut*>())
        if (shortcut->key() == QKeySequence(QKeySequence::HelpContents))
            emit shortcut->activated();
    EXPECT_EQ(shownPage(form.get()), "hacks.html");
    const std::pair<QWidget*, QString> windows[] = {{&texts, "text-editor.html"},
                                                    {form->changesWindow(), "changes.html"},
                                                    {form->historyWindow(), "history.html"}};
    for (const auto& [window, topic] : windows) {
        for (auto* shortcut : window->findChildren<QShortcut*>())
            if (shortcut->key() == QKeySequence(QKeySequence::HelpContents))
                emit shortcut->activated();
        EXPECT_EQ(shownPage(form.get()), topic);
    }
    saveScreenshot(&texts, "page-text-editor");
    saveScreenshot(&hacks, "page-hacks");
    form->close();
}

// Each link of each help page leads to a page of the help (and to a place that is in it).
TEST(Help, EveryLinkBetweenTopicsArrives)
{
    MainFormFixture fixture;
    const QDir folder(QString::fromStdString((fixture.demo.workspace.resourceFile.parent_path() / "help").string()));
    const auto pages = folder.entryList({"*.html"});
    ASSERT_GE(pages.size(), 14) << "a topic for every page and window, backups, associations and quorvex-cli";
    const QRegularExpression link("href=\"([^\"#:]*)(#([^\"]*))?\"");
    int links = 0;
    for (const auto& page : pages) {
        QFile file(folder.filePath(page));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString text = file.readAll();
        EXPECT_TRUE(text.contains("<title>")) << page.toStdString();
        for (auto it = link.globalMatch(text); it.hasNext();) {
            const auto match = it.next();
            const auto target = match.captured(1).isEmpty() ? page : match.captured(1);
            ++links;
            ASSERT_TRUE(folder.exists(target)) << page.toStdString() << " links to " << target.toStdString();
            if (match.captured(3).isEmpty() || target.endsWith(".css"))
                continue;
            QFile linked(folder.filePath(target));
            ASSERT_TRUE(linked.open(QIODevice::ReadOnly));
            EXPECT_TRUE(QString(linked.readAll()).contains("id=\"" + match.captured(3) + "\""))
                << page.toStdString() << " links to " << match.captured(0).toStdString();
        }
        const QRegularExpression image("src=\"([^\"]*)\"");
        for (auto it = image.globalMatch(text); it.hasNext();) {
            const auto source = it.next().captured(1);
            EXPECT_TRUE(folder.exists(source)) << page.toStdString() << " shows " << source.toStdString();
        }
    }
    EXPECT_GT(links, 50);
}

TEST(Help, LinksAreFollowedInTheWindowAndTheWebInTheBrowser)
{
    MainFormFixture fixture;
    auto form = fixture.create();
    form->showHelp("index");
    auto* browser = helpBrowser(form.get());
    ASSERT_NE(browser, nullptr);
    auto* help = form->findChild<QWidget*>("HelpWindow");
    help->resize(900, 700);
    emit browser->anchorClicked(QUrl("weapons.html"));
    EXPECT_EQ(shownPage(form.get()), "weapons.html");
    EXPECT_FALSE(browser->toPlainText().isEmpty());
    saveScreenshot(help, "help-window-weapons");
    emit browser->anchorClicked(QUrl("quorvex-cli.html#sounds-export"));
    EXPECT_EQ(shownPage(form.get()), "quorvex-cli.html");
    EXPECT_EQ(browser->source().fragment(), "sounds-export");
    saveScreenshot(help, "help-window-quorvex-cli");
    QTest::mouseClick(find<QPushButton>(help, "HelpBackButton"), Qt::LeftButton);
    EXPECT_EQ(shownPage(form.get()), "weapons.html");
    EXPECT_TRUE(fixture.shell.calls.empty());

    emit browser->anchorClicked(QUrl("https://torlonet.morvane.net"));
    ASSERT_EQ(fixture.shell.calls.size(), 1u);
    EXPECT_EQ(fixture.shell.calls[0].target, "https://torlonet.morvane.net");
    QTest::mouseClick(find<QPushButton>(help, "OpenInBrowserButton"), Qt::LeftButton);
    ASSERT_EQ(fixture.shell.calls.size(), 2u);
    EXPECT_TRUE(QString::fromStdString(fixture.shell.calls[1].target).endsWith("/help/weapons.html"));
    fixture.shell.answer = "No program to open it";
    QTest::mouseClick(find<QPushButton>(help, "OpenInBrowserButton"), Qt::LeftButton);
    EXPECT_TRUE(find<QLabel>(help, "HelpProblem")->text().startsWith("No program to open it"));

    form->showHelp("no-such-topic");
    EXPECT_TRUE(find<QLabel>(help, "HelpProblem")->isVisibleTo(help));
    form->close();
}

} // namespace
} // namespace quorvex::test
