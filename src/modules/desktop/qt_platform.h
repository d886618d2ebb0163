#pragma once
// The real settings store and clock, and the text conversions of the program (Qt Core). The
// CLI reaches the store and the clock through the module of qt_services.h.
#include "core/platform/folders.h"
#include "core/platform/module_loader.h"
#include "core/base/services.h"

#include <QFile>
#include <QSettings>
#include <memory>

namespace quorvex {

class QtSettingsStore final : public SettingsStore {
public:
    // The program's settings (settingsFile(); on Windows the registry's "Morvane"/"Quorvex"),
    // or an INI file when a path is given (tests).
    QtSettingsStore();
    explicit QtSettingsStore(const QString& iniFile);

    bool contains(const std::string& name) const override;
    std::optional<std::string> text(const std::string& name) const override;
    std::optional<std::int64_t> integer(const std::string& name) const override;
    void setText(const std::string& name, const std::string& value) override;
    void setInteger(const std::string& name, std::int64_t value) override;

    // From now on a write that does not reach the file throws FileError (the CLI reports it;
    // the program keeps going with the values it holds).
    void throwOnFailedWrites() { throwOnFailedWrites_ = true; }

private:
    void sync();

    std::unique_ptr<QSettings> settings_;
    bool throwOnFailedWrites_ = false;
};

class SystemClock final : public Clock {
public:
    Date today() const override;
    std::string shortDate() const override;
    std::string longTime() const override;
};

// Game text (names, texts of the game) as code page 437 both ways, so every byte survives;
// toGameText throws CharacterError for a character that the game cannot hold.
QString fromGameText(std::string_view text);
std::string toGameText(const QString& text);

// The program's own texts (status texts, messages, number boxes) and file paths: the one
// conversion, in the system's file name encoding (UTF-8 on Linux), since status texts and
// messages carry paths. Game text never takes this way.
inline QString fromSystemText(const std::string& text) { return QFile::decodeName(QByteArray::fromStdString(text)); }
inline std::string toSystemText(const QString& text) { return QFile::encodeName(text).toStdString(); }
inline QString fromPath(const std::filesystem::path& path)
{
#ifdef _WIN32
    return QString::fromStdWString(path.native());
#else
    return fromSystemText(path.native());
#endif
}
inline std::filesystem::path toPath(const QString& path)
{
#ifdef _WIN32
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(toSystemText(path));
#endif
}

} // namespace quorvex
