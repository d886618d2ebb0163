// Quorvex: the desktop program.
#include "gui/app/first_paint.h"
#include "gui/app/desktop_services.h"
#include "gui/app/windows.h"
#include "gui/controls/drawn_frames_style.h"
#include "gui/controls/shadowed_hint_window.h"
#include "core/gamefile/game_file.h"
#include "modules/desktop/qt_platform.h"

#include <QApplication>
#include <QFileInfo>
#include <QScreen>
#include <cstdlib>
#include <cstring>
#include <iostream>

namespace {

// --help and --version are answered on the terminal before any window or display is opened.
// Every other argument is the program's: a file to select, or else the help is opened.
bool answeredOnTerminal(int argc, char** argv)
{
    if (argc != 2)
        return false;
    if (!std::strcmp(argv[1], "--version") || !std::strcmp(argv[1], "-V")) {
        std::cout << "quorvex " << QUORVEX_VERSION << '\n';
        return true;
    }
    if (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")) {
        std::cout << "usage: quorvex [FILE]\n\n"
                     "Quorvex " QUORVEX_VERSION ", the mod manager and data editor for Torlo.\n"
                     "With FILE (a level, mod, palette, plugin, translation...), the file browser opens at its\n"
                     "folder with FILE selected; any other argument opens the help.\n\n"
                     "  -h, --help     this text\n"
                     "  -V, --version  the version\n\n"
                     "The game folder is the one set on the Options page. Every operation on the game's files\n"
                     "is also a command of quorvex-cli (quorvex-cli --help).\n";
        return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (answeredOnTerminal(argc, argv))
        return 0;
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
    windows.main->showOnScreen();
    return app.exec();
}
