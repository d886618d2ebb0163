#include "platform/qt_platform.h"
#include "gameexe/cp437.h"
#include "gameexe/resource_file.h"
#include "platform/module_loader.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QTime>

namespace fs = std::filesystem;

namespace quorvex {

QString fromGameText(std::string_view text)
{
    const auto unicode = decodeCp437(text);
    return QString::fromUcs4(unicode.data(), static_cast<qsizetype>(unicode.size()));
}

std::string toGameText(const QString& text)
{
    const auto unicode = text.toStdU32String();
    return encodeCp437(unicode);
}

QtSettingsStore::QtSettingsStore() : settings_(std::make_unique<QSettings>("Morvane", "Quorvex")) {}

QtSettingsStore::QtSettingsStore(const QString& iniFile)
    : settings_(std::make_unique<QSettings>(iniFile, QSettings::IniFormat))
{
}

bool QtSettingsStore::contains(const std::string& name) const
{
    return settings_->contains(QString::fromStdString(name));
}

std::optional<std::string> QtSettingsStore::text(const std::string& name) const
{
    const auto value = settings_->value(QString::fromStdString(name));
    if (!value.isValid())
        return std::nullopt;
    return value.toString().toStdString();
}

std::optional<std::int64_t> QtSettingsStore::integer(const std::string& name) const
{
    const auto value = settings_->value(QString::fromStdString(name));
    bool ok = false;
    const auto number = value.toLongLong(&ok);
    if (!value.isValid() || !ok)
        return std::nullopt;
    return number;
}

void QtSettingsStore::setText(const std::string& name, const std::string& value)
{
    settings_->setValue(QString::fromStdString(name), QString::fromStdString(value));
    settings_->sync();
}

void QtSettingsStore::setInteger(const std::string& name, std::int64_t value)
{
    settings_->setValue(QString::fromStdString(name), static_cast<qlonglong>(value));
    settings_->sync();
}

Date SystemClock::today() const
{
    const auto date = QDate::currentDate();
    return {date.year(), date.month(), date.day()};
}

std::string SystemClock::shortDate() const
{
    return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat).toStdString();
}

std::string SystemClock::longTime() const
{
    return QLocale::system().toString(QTime::currentTime(), QLocale::LongFormat).toStdString();
}

fs::path dataFolder(const fs::path& program)
{
    const auto overridden = qEnvironmentVariable("QUORVEX_DATA_DIR");
    fs::path folder;
    if (!overridden.isEmpty())
        folder = toPath(overridden);
    else if (QFileInfo(fromPath(program)).isWritable())
        folder = program;
    else
        folder = toPath(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation));
    std::error_code error;
    fs::create_directories(folder, error);
    return folder;
}

fs::path tempFolder()
{
    for (const char* name : {"TEMP", "TMP"}) {
        const auto value = qEnvironmentVariable(name);
        if (!value.isEmpty())
            return toPath(value);
    }
    const auto folder = toPath(QDir::tempPath());
    std::error_code error;
    fs::create_directories(folder, error);
    return folder;
}

Workspace platformWorkspace()
{
    Workspace workspace;
    const auto program = programFolder();
    workspace.dataFolder = dataFolder(program);
    workspace.tempFolder = tempFolder();
    workspace.resourceFile = locateResourceFile(program);
    return workspace;
}

} // namespace quorvex
