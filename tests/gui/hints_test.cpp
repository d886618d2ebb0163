// Hints: the controls that carry one and their texts, and the drop-shadow rule of the hint window.
#include "gui/controls/shadowed_hint_window.h"
#include "main_form_fixture.h"

#include <QToolTip>
#include <gtest/gtest.h>

using namespace quorvex;
using namespace quorvex::test;

TEST(Hints, EveryHintedControlShowsItsHint)
{
    MainFormFixture fixture;
    auto form = fixture.create();
    // Labels that show a path or a long status text whole in their tooltip are not hints.
    const QStringList showWhole{"BankLabel", "StatusText", "BackupFolderLabel"};
    std::map<QString, QString> hints;
    for (auto* widget : form->findChildren<QWidget*>())
        if (!widget->toolTip().isEmpty() && !showWhole.contains(widget->objectName()))
            hints[widget->objectName()] = widget->toolTip();
    // The command buttons say what they do with the selected file.
    EXPECT_EQ(hints, (std::map<QString, QString>{
                         {"FilterGroup", "Select which files to show"},
                         {"FileList", "Select a file to view"},
                         {"FolderList", "Select a directory here"},
                         {"TorloNetText", "Click to go to TorloNet"},
                         {"GoButton", "Show the game folder in the lists"},
                         {"RefreshBut", "Read the folder again"},
                         {"RandomButton", "Activate a file of the list chosen at random"},
                         {"EditButton", "Open the selected file in a text editor or paint program"},
                         {"ZipButton", "Pack the selected file into a zip archive, or unpack the selected archive"},
                         {"ConvertButton", "Turn the selected level, palette or graphics mod into a bitmap, or a bitmap back into a game file"},
                         {"DeleteButton", "Delete the selected file"},
                         {"RenameButton", "Rename or move the selected file"},
                         {"CopyButton", "Copy the selected file"},
                         {"HelpButton", "Open the help on the page in front"},
                         {"ActivateButton", "Install the selected file into the game"},
                         {"RunButton", "Start the game"},
                         {"EditorButton", "Open the hacks, the text editor, the changes or the history"},
                         {"ModList", "Tick an entry to switch it on, untick it to switch it off; the game is its "
                                     "originals plus the ticked entries, from the top down, a later entry winning"},
                         {"ModUpButton", "Applies the selected entry earlier: entries after it win over it"},
                         {"ModDownButton", "Applies the selected entry later: it wins over the entries before it"},
                         {"ModRemoveButton", "Removes the selected entry and rebuilds the game without it"},
                         {"ModEffect", "Each field, file or level the entry sets: its value, the value it replaced "
                                       "(what the entries before it give), and the entry that wins where another one does"}}));
}

TEST(Hints, TheShadowFromWindowsNt51On)
{
    EXPECT_FALSE(hintsCastShadow(true, 5, 0));
    EXPECT_TRUE(hintsCastShadow(true, 5, 1));
    EXPECT_TRUE(hintsCastShadow(true, 6, 0));
    EXPECT_TRUE(hintsCastShadow(true, 10, 0));
    EXPECT_FALSE(hintsCastShadow(true, 4, 90));
    EXPECT_FALSE(hintsCastShadow(false, 10, 0));
}

TEST(Hints, TheHintWindowSetsTheShadowOfEveryTooltipBeforeItIsCreated)
{
    QWidget owner;
    owner.resize(100, 100);
    owner.show();
    for (bool shadow : {false, true}) {
        TShadowedHintWindow filter(shadow);
        qApp->installEventFilter(&filter);
        QToolTip::showText(owner.mapToGlobal(QPoint(10, 10)), shadow ? "with" : "without", &owner);
        QWidget* tip = nullptr;
        for (auto* widget : QApplication::topLevelWidgets())
            if (widget->windowType() == Qt::ToolTip && widget->isVisible())
                tip = widget;
        qApp->removeEventFilter(&filter);
        ASSERT_NE(tip, nullptr);
        EXPECT_EQ(tip->windowFlags().testFlag(Qt::NoDropShadowWindowHint), !shadow);
        QToolTip::hideText();
        delete tip;   // the next hint is a new window, polished again
    }
}
