#include "modules/desktop/qt_platform.h"
#include "core/text/cp437.h"
#include "core/base/errors.h"
#include "core/platform/settings_file.h"

#include <QDate>
#include <QLocale>
#include <QTime>

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

#ifdef _WIN32
QtSettingsStore::QtSettingsStore() : settings_(std::make_unique<QSettings>("Morvane", "Quorvex")) {}
#else
// The file of settingsFile() rather than QSettings' own search, so that the CLI's reader and
// this store agree on the one file (QSettings would also read fallback files).
QtSettingsStore::QtSettingsStore() : QtSettingsStore(fromPath(settingsFile())) {}
#endif

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
    sync();
}

void QtSettingsStore::setInteger(const std::string& name, std::int64_t value)
{
    settings_->setValue(QString::fromStdString(name), static_cast<qlonglong>(value));
    sync();
}

void QtSettingsStore::sync()
{
    settings_->sync();
    if (throwOnFailedWrites_ && settings_->status() != QSettings::NoError)
        throw FileError("The settings could not be written", toSystemText(settings_->fileName()));
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

} // namespace quorvex
