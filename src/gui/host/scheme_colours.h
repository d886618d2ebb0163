#pragma once
// The look the settings give the windows: the colour scheme ("FG", "BG") and the font ("Font").
#include <QColor>
#include <QFont>
#include <QPalette>
#include <cstdint>

namespace quorvex {

class SettingsStore;

// A colour setting in the toolkit's form: red in the low byte; the top bit names a system colour.
QColor settingColour(std::int64_t value, QPalette::ColorRole systemFallback);
// base with the window and text colours of the scheme (the defaults when a value is missing).
QPalette schemePalette(const SettingsStore& settings, QPalette base);
// base with the family of the "Font" setting, when that family is installed: one that is not
// ("Tahoma" on Linux) would only cost a fallback search.
QFont settingFont(const SettingsStore& settings, QFont base);

} // namespace quorvex
