#include "platform/qt_services.h"
#include "gameexe/errors.h"
#include "platform/module_loader.h"
#ifdef _WIN32
#include "platform/windows_services.h"
#endif

namespace fs = std::filesystem;

namespace quorvex {

const QtServices& qtServices()
{
    static const QtServices* services = moduleFunction<QtServicesEntryPoint>(QtServicesModule, QtServicesEntry)();
    return *services;
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
        qt_ = qtServices().settingsStore(iniFile_ ? &*iniFile_ : nullptr);
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

LoadedClock::LoadedClock() = default;
LoadedClock::~LoadedClock() = default;

const Clock& LoadedClock::clock() const
{
    // A clock that cannot be loaded is a log that cannot be written: a warning after the
    // change, not its failure.
    try {
#ifdef _WIN32
        if (!clock_)
            clock_ = std::make_unique<WindowsClock>();
#endif
        if (!clock_)
            clock_ = qtServices().clock();
    } catch (const ModuleError& error) {
        throw FileError(error.what());
    }
    return *clock_;
}

} // namespace quorvex
