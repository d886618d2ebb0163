// The module "quorvex-qt-services": the program's own Qt services, for the CLI.
#include "platform/file_classes.h"
#include "platform/qt_platform.h"
#include "platform/qt_services.h"

#include <QtGlobal>

extern "C" Q_DECL_EXPORT const quorvex::QtServices* quorvex_qt_services()
{
    using namespace quorvex;
    static const QtServices services{
        [](const std::filesystem::path* iniFile) -> std::unique_ptr<SettingsStore> {
            auto store = iniFile ? std::make_unique<QtSettingsStore>(fromPath(*iniFile)) : std::make_unique<QtSettingsStore>();
            store->throwOnFailedWrites();
            return store;
        },
        []() -> std::unique_ptr<Clock> { return std::make_unique<SystemClock>(); },
        [] { return desktopClassStore(); },
    };
    return &services;
}
