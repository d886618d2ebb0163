#include "core/shell/settings.h"

#include <cstdio>

namespace quorvex {

void writeFirstRunDefaults(SettingsStore& store)
{
    for (const auto& value : FirstRunDefaults) {
        if (value.isInteger)
            store.setInteger(value.name, value.integer);
        else
            store.setText(value.name, value.text);
    }
}

bool isYes(const SettingsStore& store, const char* name)
{
    return store.text(name).value_or("") == "yes";
}

bool isNo(const SettingsStore& store, const char* name)
{
    return store.text(name).value_or("") == "no";
}

std::string textOr(const SettingsStore& store, const char* name, const std::string& fallback)
{
    return store.text(name).value_or(fallback);
}

std::optional<std::string> greetingFor(const Date& date)
{
    char ddmm[8];
    std::snprintf(ddmm, sizeof ddmm, "%02d%02d", date.day % 100, date.month % 100);
    const std::string key = ddmm;
    if (key == "0101")
        return "Happy new year!";
    if (key == "2504")
        return "Today is the birthday of TorloNet!";
    if (key == "1612")
        return "Today is the birthday of Quorvex!";
    if (key == "1709")
        return "Today is the birthday of Morvane, who started Quorvex. Happy birthday!";
    return std::nullopt;
}

} // namespace quorvex
