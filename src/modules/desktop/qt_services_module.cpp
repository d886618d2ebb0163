// The module "quorvex-qt-services": the program's own Qt services, for the CLI, behind a table
// of plain functions (qt_services.h).
#include "core/base/errors.h"
#include "modules/desktop/file_classes.h"
#include "modules/desktop/qt_platform.h"
#include "core/platform/qt_services.h"

#include <QtGlobal>

#include <exception>
#include <string>

// The module's handles, with the texts they keep until their next call.
struct quorvex::QtSettings {
    std::unique_ptr<QtSettingsStore> store;
    std::string value;
    std::string failureText, failureFile;
    QtFailure failure{};
};

struct quorvex::QtFileClasses {
    std::unique_ptr<FileClassStore> store;
    std::string stopped;
    std::string failureText, failureFile;
    QtFailure failure{};
};

namespace {

using namespace quorvex;

// Runs call; an exception stays on this side and comes back as the handle's failure.
template <typename Handle, typename Call>
const QtFailure* failureOf(Handle& handle, Call call)
{
    try {
        call();
        return nullptr;
    } catch (const FileError& error) {
        handle.failureText = error.text();
        handle.failureFile = error.file();
    } catch (const std::exception& error) {
        handle.failureText = error.what();
        handle.failureFile.clear();
    }
    handle.failure = {handle.failureText.c_str(), handle.failureFile.c_str()};
    return &handle.failure;
}

const char* kept(std::string text)
{
    thread_local std::string held;
    held = std::move(text);
    return held.c_str();
}

const SystemClock systemClock;

} // namespace

extern "C" Q_DECL_EXPORT const quorvex::QtServices* quorvex_qt_services()
{
    static const QtServices services{
        QtServicesVersion,
        [](const char* iniFile) {
            auto* settings = new QtSettings;
            settings->store = iniFile ? std::make_unique<QtSettingsStore>(fromPath(iniFile)) : std::make_unique<QtSettingsStore>();
            settings->store->throwOnFailedWrites();
            return settings;
        },
        [](QtSettings* settings) { delete settings; },
        [](QtSettings* settings, const char* name) { return settings->store->contains(name); },
        [](QtSettings* settings, const char* name, std::size_t* size) -> const char* {
            auto value = settings->store->text(name);
            if (!value)
                return nullptr;
            settings->value = std::move(*value);
            *size = settings->value.size();
            return settings->value.c_str();
        },
        [](QtSettings* settings, const char* name, std::int64_t* value) {
            const auto read = settings->store->integer(name);
            if (read)
                *value = *read;
            return read.has_value();
        },
        [](QtSettings* settings, const char* name, const char* value, std::size_t size) {
            return failureOf(*settings, [&] { settings->store->setText(name, std::string(value, size)); });
        },
        [](QtSettings* settings, const char* name, std::int64_t value) {
            return failureOf(*settings, [&] { settings->store->setInteger(name, value); });
        },
        [] { return systemClock.today(); },
        [] { return kept(systemClock.shortDate()); },
        [] { return kept(systemClock.longTime()); },
        [] {
            auto* classes = new QtFileClasses;
            classes->store = desktopClassStore();
            return classes;
        },
        [](QtFileClasses* classes) { delete classes; },
        [](QtFileClasses* classes, unsigned long long kinds, const char* program, bool force, unsigned long long* leftAlone,
           const QtFailure** failure) -> const char* {
            *failure = failureOf(*classes, [&] {
                const auto result = classes->store->associate(AssociationSet(kinds), program, force);
                classes->stopped = result.stopped;
                *leftAlone = result.leftAlone.to_ullong();
            });
            return *failure ? nullptr : classes->stopped.c_str();
        },
        [](QtFileClasses* classes) { return failureOf(*classes, [&] { classes->store->removeAssociations(); }); },
    };
    return &services;
}
