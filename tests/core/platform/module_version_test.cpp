#include "core/codecs/codec_loader.h"
#include "core/platform/module_loader.h"
#include "core/platform/qt_services.h"
#include "modules/audio/sound_player.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

namespace quorvex {

// Only plain types cross a module's boundary, in a table whose version the loader checks: a
// module of another build is refused with its name before anything calls into it.
TEST(ModuleVersion, AModuleOfAnotherBuildIsRefusedBeforeAnyCall)
{
    ::setenv("QUORVEX_MODULE_DIR", QUORVEX_OTHER_VERSION_MODULES, 1);
    const std::pair<std::string, std::function<void()>> loads[] = {
        {"quorvex-codecs", [] { codecTable(); }},
        {"quorvex-qt-services", [] { moduleSettingsStore(); }},
        {"quorvex-audio", [] { moduleTable<SoundModuleTable>(SoundModule, SoundModuleEntry, SoundPlayerVersion); }},
    };
    for (const auto& [module, load] : loads) {
        try {
            load();
            ADD_FAILURE() << module << " was taken";
        } catch (const ModuleError& error) {
            EXPECT_EQ(std::string(error.what()), "The part \"" + module + "\" of Quorvex is of another version");
        }
    }
    ::unsetenv("QUORVEX_MODULE_DIR");
}

} // namespace quorvex
