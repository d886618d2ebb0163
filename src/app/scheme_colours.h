#pragma once
// The colour scheme of the settings ("FG", "BG") as the windows apply it.
#include "shell/services.h"

#include <QColor>
#include <QPalette>
#include <cstdint>

namespace quorvex {

// A colour setting in the toolkit's form: red in the low byte; the top bit names a system colour.
QColor settingColour(std::int64_t value, QPalette::ColorRole systemFallback);

struct SchemeColours {
    QColor foreground, background;
};
// "FG" and "BG", or the design-time colours when they are missing.
SchemeColours schemeColours(const SettingsStore& settings);

} // namespace quorvex
