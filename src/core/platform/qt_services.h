#pragma once
// The Qt half of the platform services (the QSettings store, the clock with the system's date
// and time formats, the desktop's file classes), built as the module "quorvex-qt-services" from
// the same files that the program links (qt_platform.cpp, file_classes.cpp). The CLI loads it
// only when a command needs one of them, so that a conversion loads no Qt at all. Qt-free.
#include "core/platform/settings_file.h"
#include "core/shell/associations.h"
#include "core/base/services.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>

namespace quorvex {

// Only plain types cross the module's boundary, since the CLI links its own copy of the C++
// library and the module the system's: handles made and freed by the module, texts as pointers
// that the module keeps until the next call on the same handle (or, for the clock, on the same
// thread), and no exception: a failure comes back as its text and file.
struct QtSettings;
struct QtFileClasses;
struct QtFailure {
    const char* text;
    const char* file;
};

// Raised whenever the table below changes shape.
inline constexpr int QtServicesVersion = 2;

struct QtServices {
    int version;

    // The program's settings store, or one on the INI file given (tests; a path or null).
    QtSettings* (*openSettings)(const char* iniFile);
    void (*closeSettings)(QtSettings* settings);
    bool (*contains)(QtSettings* settings, const char* name);
    // The value's text and its size, or null when there is none.
    const char* (*text)(QtSettings* settings, const char* name, std::size_t* size);
    bool (*integer)(QtSettings* settings, const char* name, std::int64_t* value);
    // Null when written, else why not.
    const QtFailure* (*setText)(QtSettings* settings, const char* name, const char* value, std::size_t size);
    const QtFailure* (*setInteger)(QtSettings* settings, const char* name, std::int64_t value);

    // The clock with the system's date and time formats.
    Date (*today)();
    const char* (*shortDate)();
    const char* (*longTime)();

    // The desktop's file classes. associate returns what stopped it (empty when done) and puts
    // the kinds left to the user's own programs in leftAlone, or returns null with the failure
    // in failure.
    QtFileClasses* (*openFileClasses)();
    void (*closeFileClasses)(QtFileClasses* classes);
    const char* (*associate)(QtFileClasses* classes, unsigned long long kinds, const char* program, bool force,
                             unsigned long long* leftAlone, const QtFailure** failure);
    const QtFailure* (*removeAssociations)(QtFileClasses* classes);
};

// The module's entry point: extern "C" const QtServices* quorvex_qt_services().
inline constexpr const char* QtServicesModule = "quorvex-qt-services";
inline constexpr const char* QtServicesEntry = "quorvex_qt_services";

// Loads the module at the first call; throws ModuleError.
const QtServices& qtServices();

// The module's services as the core's objects, which call into it (loaded at the first call;
// throws ModuleError): the program's settings store or one on the INI file given (tests), the
// clock with the system's formats, and the desktop's file classes.
std::unique_ptr<SettingsStore> moduleSettingsStore(const std::filesystem::path* iniFile = nullptr);
std::unique_ptr<Clock> moduleClock();
std::unique_ptr<FileClassStore> moduleFileClassStore();

// The settings for the CLI: read from the settings file without Qt, and through the module's
// QSettings store from the first write on (QSettings keeps its own view of the file) and for
// the few forms only Qt reads. On Windows, where the settings live in the registry, through
// RegistrySettingsStore (windows_services.h), without Qt.
class LoadedSettingsStore final : public SettingsStore {
public:
    // The program's settings, or an INI file (tests).
    explicit LoadedSettingsStore(std::optional<std::filesystem::path> iniFile = std::nullopt);
    ~LoadedSettingsStore() override;

    bool contains(const std::string& name) const override;
    std::optional<std::string> text(const std::string& name) const override;
    std::optional<std::int64_t> integer(const std::string& name) const override;
    void setText(const std::string& name, const std::string& value) override;
    void setInteger(const std::string& name, std::int64_t value) override;

    // Whether the module's store has been needed (tests).
    bool usesQt() const { return qt_ != nullptr; }

private:
    SettingsStore& qt() const;
    // Whether reads still go to the file read without Qt (read at the first of them).
    bool readsFile() const;
    const IniSettings& file() const;

    std::optional<std::filesystem::path> iniFile_;
    mutable std::optional<IniSettings> read_;
    mutable std::unique_ptr<SettingsStore> qt_;
};

// The clock of the C locale's formats, without Qt: what the module's clock shows in that locale.
std::unique_ptr<Clock> cLocaleClock();

// The clock of log lines: the one above in the C locale, else the module's, loaded at its first
// use (when a log line is written); a FileError when the module cannot be loaded. On Windows
// the system's own (WindowsClock), without Qt.
class LoadedClock final : public Clock {
public:
    LoadedClock();
    ~LoadedClock() override;
    Date today() const override { return clock().today(); }
    std::string shortDate() const override { return clock().shortDate(); }
    std::string longTime() const override { return clock().longTime(); }

private:
    const Clock& clock() const;
    mutable std::unique_ptr<Clock> clock_;
};

} // namespace quorvex
