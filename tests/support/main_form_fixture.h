#pragma once
// A main window on a demo game, with scripted dialogs, a recording shell, a fixed clock and
// settings in memory. GUI tests build on it.
#include "gui/app/main_form.h"
#include "gui/hacks/hacks_window.h"
#include "gui/texts/text_editor_window.h"
#include "core/shell/settings.h"
#include "test_support.h"

#include <QApplication>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>
#include <gtest/gtest.h>
#include <map>
#include <memory>

namespace quorvex::test {

struct MainFormFixture {
    DemoGame demo;
    ScriptedPrompts prompts;
    RecordingShell shell;
    FixedClock clock;
    MemorySettings settings;
    bool windows51 = false;
    int screenWidth = 1920;
    FileClassStore* fileClasses = nullptr;   // none: the platform's (under the test XDG folders)

    MainFormFixture() { settings.setText(setting::TorloPath, demo.game().string()); }

    std::unique_ptr<TMainForm> create(QStringList arguments = {})
    {
        Workspace workspace = demo.workspace;
        workspace.gameFolder.clear();   // the settings decide
        AppServices services{prompts, shell, clock, settings, workspace, std::move(arguments),
                             [this] { return windows51; }, [this] { return screenWidth; }, fileClasses};
        auto form = std::make_unique<TMainForm>(std::move(services));
        form->completeStartUp();   // what waits for the first paint, and every page
        return form;
    }
};

// The pages that hold game data.
inline constexpr TMainForm::Page HolderPages[] = {TMainForm::Page::CpuAi, TMainForm::Page::MaterialPalette,
                                                  TMainForm::Page::Weapons, TMainForm::Page::Objects,
                                                  TMainForm::Page::SpecialObjects, TMainForm::Page::Sounds};

// The program with its two editor windows, the text editor open.
struct Program {
    std::unique_ptr<TMainForm> main;
    std::unique_ptr<TObjForm> hacks;
    std::unique_ptr<TTextForm> texts;

    // dataFolder: the data folder of this program (programs opened beside it keep their log,
    // working files and backups apart, or share them).
    Program(MainFormFixture& fixture, const std::filesystem::path& dataFolder, QStringList arguments = {})
    {
        Workspace workspace = fixture.demo.workspace;
        workspace.gameFolder.clear();   // the settings decide
        workspace.dataFolder = dataFolder;
        std::filesystem::create_directories(dataFolder);
        AppServices services{fixture.prompts, fixture.shell, fixture.clock, fixture.settings, workspace,
                             std::move(arguments), [] { return false; }, [] { return 1920; }, nullptr};
        main = std::make_unique<TMainForm>(std::move(services));
        main->completeStartUp();
        hacks = std::make_unique<TObjForm>(*main);
        hacks->FormCreate();
        texts = std::make_unique<TTextForm>(*main);
        texts->show();
        main->hacksWindow = hacks.get();
        main->textEditorWindow = texts.get();
    }
    ~Program()
    {
        texts->hide();
        hacks->hide();
        main->close();
    }

    // Every holder of game data, by name.
    std::map<std::string, QWidget*> holders() const
    {
        std::map<std::string, QWidget*> all{{"hacks window", hacks.get()}, {"text editor", texts.get()}};
        for (const auto page : HolderPages)
            all[main->page(page)->objectName().toStdString()] = main->page(page);
        return all;
    }
};

template <typename Widget>
Widget* find(QWidget* root, const char* name)
{
    return root->findChild<Widget*>(name);
}

// The same, failing the test when there is no such widget.
template <typename Widget>
Widget* expectChild(QWidget* root, const char* name)
{
    auto* widget = find<Widget>(root, name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

// Whether a line edit has room to show text whole, in its font and style.
inline bool hasRoomFor(const QLineEdit* edit, const QString& text)
{
    QStyleOptionFrame frame;
    frame.initFrom(edit);
    frame.lineWidth = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &frame, edit);
    const auto room = edit->style()->subElementRect(QStyle::SE_LineEditContents, &frame, edit).width();
    return room - 2 * 2 >= edit->fontMetrics().horizontalAdvance(text);   // QLineEdit keeps 2 pixels each side
}

} // namespace quorvex::test
