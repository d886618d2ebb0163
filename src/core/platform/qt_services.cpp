#include "core/platform/qt_services.h"
#include "core/base/errors.h"
#include "core/platform/module_loader.h"
#ifdef _WIN32
#include "core/platform/windows_services.h"
#endif

#include <cstdlib>
#include <ctime>
#include <string_view>

namespace fs = std::filesystem;

namespace quorvex {

const QtServices& qtServices()
{
    static const QtServices& services = moduleTable<QtServices>(QtServicesModule, QtServicesEntry, QtServicesVersion);
    return services;
}

namespace {

[[noreturn]] void raise(const QtFailure& failure)
{
    throw FileError(failure.text, failure.file);
}

class ModuleSettingsStore final : public SettingsStore {
public:
    explicit ModuleSettingsStore(const fs::path* iniFile)
        : module_(qtServices()), settings_(module_.openSettings(iniFile ? iniFile->string().c_str() : nullptr))
    {
    }
    ~ModuleSettingsStore() override { module_.closeSettings(settings_); }
    ModuleSettingsStore(const ModuleSettingsStore&) = delete;
    ModuleSettingsStore& operator=(const ModuleSettingsStore&) = delete;

    bool contains(const std::string& name) const override { return module_.contains(settings_, name.c_str()); }
    std::optional<std::string> text(const std::string& name) const override
    {
        std::size_t size = 0;
        const char* value = module_.text(settings_, name.c_str(), &size);
        return value ? std::optional<std::string>(std::string(value, size)) : std::nullopt;
    }
    std::optional<std::int64_t> integer(const std::string& name) const override
    {
        std::int64_t value = 0;
        return module_.integer(settings_, name.c_str(), &value) ? std::optional(value) : std::nullopt;
    }
    void setText(const std::string& name, const std::string& value) override
    {
        if (const auto* failure = module_.setText(settings_, name.c_str(), value.data(), value.size()))
            raise(*failure);
    }
    void setInteger(const std::string& name, std::int64_t value) override
    {
        if (const auto* failure = module_.setInteger(settings_, name.c_str(), value))
            raise(*failure);
    }

private:
    const QtServices& module_;
    QtSettings* settings_;
};

class ModuleClock final : public Clock {
public:
    ModuleClock() : module_(qtServices()) {}
    Date today() const override { return module_.today(); }
    std::string shortDate() const override { return module_.shortDate(); }
    std::string longTime() const override { return module_.longTime(); }

private:
    const QtServices& module_;
};

class ModuleFileClassStore final : public FileClassStore {
public:
    ModuleFileClassStore() : module_(qtServices()), classes_(module_.openFileClasses()) {}
    ~ModuleFileClassStore() override { module_.closeFileClasses(classes_); }
    ModuleFileClassStore(const ModuleFileClassStore&) = delete;
    ModuleFileClassStore& operator=(const ModuleFileClassStore&) = delete;

    AssociationResult associate(AssociationSet kinds, const fs::path& program, bool force) override
    {
        const QtFailure* failure = nullptr;
        unsigned long long leftAlone = 0;
        const char* stopped =
            module_.associate(classes_, kinds.to_ullong(), os::textOf(program).c_str(), force, &leftAlone, &failure);
        if (!stopped)
            raise(*failure);
        return {stopped, AssociationSet(leftAlone)};
    }
    void removeAssociations() override
    {
        if (const auto* failure = module_.removeAssociations(classes_))
            raise(*failure);
    }

private:
    const QtServices& module_;
    QtFileClasses* classes_;
};

} // namespace

std::unique_ptr<SettingsStore> moduleSettingsStore(const fs::path* iniFile)
{
    return std::make_unique<ModuleSettingsStore>(iniFile);
}

std::unique_ptr<Clock> moduleClock()
{
    return std::make_unique<ModuleClock>();
}

std::unique_ptr<FileClassStore> moduleFileClassStore()
{
    return std::make_unique<ModuleFileClassStore>();
}

LoadedSettingsStore::LoadedSettingsStore(std::optional<fs::path> iniFile) : iniFile_(std::move(iniFile)) {}

LoadedSettingsStore::~LoadedSettingsStore() = default;

SettingsStore& LoadedSettingsStore::qt() const
{
    if (!qt_) {
#ifdef _WIN32
        // The registry, without Qt.
        if (!iniFile_)
            return *(qt_ = std::make_unique<RegistrySettingsStore>());
#endif
        qt_ = moduleSettingsStore(iniFile_ ? &*iniFile_ : nullptr);
    }
    return *qt_;
}

bool LoadedSettingsStore::readsFile() const
{
#ifdef _WIN32
    if (!iniFile_)
        return false;
#endif
    return !qt_;
}

const IniSettings& LoadedSettingsStore::file() const
{
    if (!read_) {
#ifdef _WIN32
        read_ = IniSettings::read(*iniFile_);
#else
        read_ = IniSettings::read(iniFile_ ? *iniFile_ : settingsFile());
#endif
    }
    return *read_;
}

bool LoadedSettingsStore::contains(const std::string& name) const
{
    return readsFile() ? file().find(name) != nullptr : qt().contains(name);
}

std::optional<std::string> LoadedSettingsStore::text(const std::string& name) const
{
    if (readsFile()) {
        const auto* value = file().find(name);
        if (!value)
            return std::nullopt;
        if (value->readable)
            return value->text;
    }
    return qt().text(name);
}

std::optional<std::int64_t> LoadedSettingsStore::integer(const std::string& name) const
{
    if (readsFile()) {
        const auto* value = file().find(name);
        if (!value)
            return std::nullopt;
        if (value->readable)
            return value->integer;
    }
    return qt().integer(name);
}

void LoadedSettingsStore::setText(const std::string& name, const std::string& value)
{
    qt().setText(name, value);
}

void LoadedSettingsStore::setInteger(const std::string& name, std::int64_t value)
{
    qt().setInteger(name, value);
}

namespace {

// True when the system's time formats are the C locale's, by Qt's rule for the locale of times
// (LC_ALL, else LC_TIME, else LANG). Unset names no locale here, so the module decides then.
bool timeFormatsAreC()
{
    for (const char* name : {"LC_ALL", "LC_TIME", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) {
            const std::string_view locale(value);
            return locale == "C" || locale == "POSIX" || locale.starts_with("C.") || locale.starts_with("POSIX.");
        }
    }
    return false;
}

std::tm now()
{
    const auto time = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &time);
#else
    localtime_r(&time, &local);
#endif
    return local;
}

std::string formatted(const char* format, const std::tm& time)
{
    char text[64];
    return std::string(text, std::strftime(text, sizeof text, format, &time));
}

} // namespace

std::unique_ptr<Clock> cLocaleClock()
{
    // The C locale's short date "d MMM yyyy" and long time "HH:mm:ss t", as QLocale writes them.
    class CLocaleClock final : public Clock {
    public:
        Date today() const override
        {
            const auto local = now();
            return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
        }
        std::string shortDate() const override
        {
            const auto local = now();
            return std::to_string(local.tm_mday) + formatted(" %b %Y", local);
        }
        std::string longTime() const override { return formatted("%H:%M:%S %Z", now()); }
    };
    return std::make_unique<CLocaleClock>();
}

LoadedClock::LoadedClock() = default;
LoadedClock::~LoadedClock() = default;

const Clock& LoadedClock::clock() const
{
    // A clock that cannot be loaded is a log that cannot be written: a warning after the
    // change, not its failure.
    // In the C locale (a script's usual one) the formats are known without Qt and ICU, whose
    // loading was most of a one-field edit's time.
    try {
#ifdef _WIN32
        if (!clock_)
            clock_ = std::make_unique<WindowsClock>();
#endif
        if (!clock_)
            clock_ = timeFormatsAreC() ? cLocaleClock() : moduleClock();
    } catch (const ModuleError& error) {
        throw FileError(error.what());
    }
    return *clock_;
}

} // namespace quorvex
