#include "gui/app/windows.h"

#include <QOperatingSystemVersion>

namespace quorvex {

Windows createWindows(AppServices services)
{
    Windows windows;
    windows.main = std::make_unique<TMainForm>(std::move(services));
    // Its fields are built when it is first shown: not needed for the first input.
    windows.hacks = std::make_unique<TObjForm>(*windows.main, nullptr, TObjForm::Build::Later);
    windows.main->guarded([&] { windows.hacks->FormCreate(); });
    windows.texts = std::make_unique<TTextForm>(*windows.main);
    windows.main->hacksWindow = windows.hacks.get();
    windows.main->textEditorWindow = windows.texts.get();
    return windows;
}

bool isWindows51()
{
    const auto os = QOperatingSystemVersion::current();
    return os.type() == QOperatingSystemVersion::Windows && os.majorVersion() == 5 && os.minorVersion() == 1;
}

} // namespace quorvex
