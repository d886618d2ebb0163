#pragma once
// The settings: every value, its first-run default, and typed reading over the store.
#include "core/base/services.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace quorvex {

namespace setting {
inline constexpr const char* TorloPath = "TorloPath";
inline constexpr const char* FG = "FG";
inline constexpr const char* BG = "BG";
inline constexpr const char* Filter = "Filter";
inline constexpr const char* DoSound = "DoSound";
inline constexpr const char* MakePL = "MakePL";
inline constexpr const char* Stretch = "Stretch";
inline constexpr const char* Font = "Font";
inline constexpr const char* UsePal = "UsePal";
inline constexpr const char* SortExt = "SortExt";
inline constexpr const char* MakeLWP2 = "MakeLWP2";
inline constexpr const char* Username = "Username";
inline constexpr const char* Website = "Website";
inline constexpr const char* RunCommand = "RunCommand";   // the DOS emulator that runs the game
inline constexpr const char* TextEditor = "TextEditor";   // empty: the system's text opener
} // namespace setting

// Every setting the program keeps, with the form of its value ("options" of the CLI).
enum class SettingForm { Text, YesNo, Integer };
struct SettingEntry {
    const char* name;
    SettingForm form;
};
inline constexpr std::array<SettingEntry, 15> AllSettings = {{
    {setting::TorloPath, SettingForm::Text},   {setting::FG, SettingForm::Integer},
    {setting::BG, SettingForm::Integer},       {setting::Filter, SettingForm::Integer},
    {setting::DoSound, SettingForm::YesNo},    {setting::MakePL, SettingForm::YesNo},
    {setting::Stretch, SettingForm::YesNo},    {setting::Font, SettingForm::Text},
    {setting::UsePal, SettingForm::YesNo},     {setting::SortExt, SettingForm::YesNo},
    {setting::MakeLWP2, SettingForm::YesNo},   {setting::Username, SettingForm::Text},
    {setting::Website, SettingForm::Text},     {setting::RunCommand, SettingForm::Text},
    {setting::TextEditor, SettingForm::Text},
}};

struct SettingDefault {
    const char* name;
    bool isInteger;
    std::int64_t integer;
    const char* text;
};

// Written together at the first run, in this order.
inline constexpr std::array<SettingDefault, 10> FirstRunDefaults = {{
    {setting::FG, true, 2147483656LL, nullptr},
    {setting::BG, true, 2147483663LL, nullptr},
    {setting::Filter, true, 255, nullptr},
    {setting::DoSound, false, 0, "yes"},
    {setting::MakePL, false, 0, "no"},
    {setting::Stretch, false, 0, "no"},
    {setting::Font, false, 0, "Tahoma"},
    {setting::UsePal, false, 0, "yes"},
    {setting::SortExt, false, 0, "yes"},
    {setting::MakeLWP2, false, 0, "no"},
}};

inline constexpr std::int64_t DefaultFilter = 255;
inline constexpr const char* DefaultRunCommand = "dosbox";

void writeFirstRunDefaults(SettingsStore& store);

// A yes/no value is set only when it is exactly "yes", cleared only when exactly "no".
bool isYes(const SettingsStore& store, const char* name);
bool isNo(const SettingsStore& store, const char* name);
std::string textOr(const SettingsStore& store, const char* name, const std::string& fallback);

// Colour schemes: each choice stores "FG" and "BG" together.
struct ColourScheme {
    const char* caption;
    std::int64_t foreground;
    std::int64_t background;
};
inline constexpr std::array<ColourScheme, 10> ColourSchemes = {{
    {"TorloNet-Blue", 16232235, 8388608},
    {"TN-Green", 11532075, 32768},
    {"TN-Red", 2863095, 128},
    {"Dirt-Brown", 3174592, 16504},
    {"Rock-Gray", 11578544, 5262416},
    {"Standard Windows", 2147483656LL, 2147483663LL},
    {"Black-White", 16777215, 0},
    {"White-Black", 0, 16777215},
    {"Random", -1, -1},            // drawn at choice
    {"Random Inverted", -1, -1},   // drawn at choice, background the inverse
}};
inline constexpr std::int64_t MissingForeground = 16232235;
inline constexpr std::int64_t MissingBackground = 8388608;

// The FG/BG pair for a scheme index (indices beyond the table act as 0). random draws a value
// in [0, 16777215).
template <typename Random>
std::pair<std::int64_t, std::int64_t> schemeColours(int index, Random&& random)
{
    if (index < 0 || index >= static_cast<int>(ColourSchemes.size()))
        index = 0;
    if (index == 8) {
        const std::int64_t fg = random();
        return {fg, random()};
    }
    if (index == 9) {
        const std::int64_t fg = random();
        return {fg, 16777215 - fg};
    }
    return {ColourSchemes[index].foreground, ColourSchemes[index].background};
}

// The greeting shown on four fixed dates, as "ddmm".
std::optional<std::string> greetingFor(const Date& date);

} // namespace quorvex
