#pragma once
// The colour scheme of the settings ("FG", "BG") as the windows paint it.
#include <QColor>
#include <QPalette>
#include <cstdint>

namespace quorvex {

class SettingsStore;

// A colour setting in the toolkit's form: red in the low byte; the top bit names a system colour.
QColor settingColour(std::int64_t value, QPalette::ColorRole systemFallback);
// base with the window and text colours of the scheme (the defaults when a value is missing).
QPalette schemePalette(const SettingsStore& settings, QPalette base);

} // namespace quorvex
