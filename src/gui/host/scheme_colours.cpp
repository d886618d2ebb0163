#include "gui/host/scheme_colours.h"
#include "core/base/services.h"
#include "core/shell/settings.h"

#include <QApplication>
#include <QFontDatabase>

namespace quorvex {

QColor settingColour(std::int64_t value, QPalette::ColorRole systemFallback)
{
    if (value & 0x80000000LL) {
        switch (value & 0xFF) {
        case 8: return QApplication::palette().color(QPalette::WindowText);
        case 15: return QApplication::palette().color(QPalette::Button);
        case 5: return QApplication::palette().color(QPalette::Base);
        default: return QApplication::palette().color(systemFallback);
        }
    }
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

QPalette schemePalette(const SettingsStore& settings, QPalette base)
{
    base.setColor(QPalette::WindowText,
                  settingColour(settings.integer(setting::FG).value_or(MissingForeground), QPalette::WindowText));
    base.setColor(QPalette::Window,
                  settingColour(settings.integer(setting::BG).value_or(MissingBackground), QPalette::Window));
    return base;
}

QFont settingFont(const SettingsStore& settings, QFont base)
{
    const auto family = QString::fromStdString(textOr(settings, setting::Font, "Tahoma"));
    if (family != base.family() && QFontDatabase::hasFamily(family))
        base.setFamily(family);
    return base;
}

} // namespace quorvex
