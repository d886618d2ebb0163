#pragma once
// The settings file and a Qt-free reader of it. The settings are written by QSettings
// (QtSettingsStore) in its INI format; the CLI reads them here without loading Qt, exactly as
// QSettings reads them, and asks QSettings only for the few forms that need Qt's own types.
#include "core/platform/folders.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace quorvex {

#ifndef _WIN32
// <user config home>/Morvane/Quorvex.conf: the file that the program's QSettings reads and
// writes (on Windows the settings live in the registry).
std::filesystem::path settingsFile(const Environment& environment = environmentPath);
#endif

// A setting as QtSettingsStore gives it.
struct IniValue {
    // False for the forms whose meaning only Qt knows (@Variant, @DateTime, @Rect, @Size, @Point,
    // malformed UTF-8): they are read through QSettings.
    bool readable = true;
    std::optional<std::string> text;       // UTF-8; nullopt for @Invalid(); "" for a list
    std::optional<std::int64_t> integer;   // the text as a whole number, when it is one
};

// The keys of the [General] section of a QSettings INI file (key and value escapes, quoting,
// lists, @ forms, comments, CRLF, a UTF-8 byte order mark); the last of a repeated key holds.
class IniSettings {
public:
    explicit IniSettings(std::string_view contents);
    // A missing or unreadable file holds no settings, as for QSettings.
    static IniSettings read(const std::filesystem::path& file);

    // nullptr when the key is not there.
    const IniValue* find(const std::string& name) const;

private:
    std::map<std::string, IniValue, std::less<>> values_;
};

} // namespace quorvex
