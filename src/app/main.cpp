// Quorvex: the desktop program.
#include "app/first_paint.h"
#include "app/desktop_services.h"
#include "app/windows.h"
#include "controls/drawn_frames_style.h"
#include "controls/shadowed_hint_window.h"
#include "gameexe/game_file.h"
#include "platform/qt_platform.h"

#include <QApplication>
#include <QFileInfo>
#include <QScreen>
#include <cstdlib>

int main(int argc, char** argv)
{
    quorvex::ignoreFileSizeSignal();
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quorvex");
    QApplication::setOrganizationName("Morvane");
    quorvex::TShadowedHintWindow::install(app);   // before any window is shown
    quorvex::DrawnFramesStyle::install(app);

    quorvex::QtPrompts prompts;
    quorvex::QtShell shell;
    quorvex::SystemClock clock;
    quorvex::QtSettingsStore settings;
    auto arguments = QApplication::arguments();
    arguments.removeFirst();
    // A file named relative to the folder the program was started in (xdg-open passes such
    // paths) is resolved before anything else runs.
    if (!arguments.isEmpty() && QFileInfo::exists(arguments.front()))
        arguments.front() = QFileInfo(arguments.front()).absoluteFilePath();
    quorvex::AppServices services{prompts, shell, clock, settings, quorvex::platformWorkspace(), arguments,
                                  quorvex::isWindows51,
                                  [] { return QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->size().width() : 0; }};
    auto windows = quorvex::createWindows(std::move(services));
    prompts.setParent(windows.main.get());
    quorvex::exitAtFirstPaintWhenAsked(windows.main.get());
    windows.main->show();
    return app.exec();
}
