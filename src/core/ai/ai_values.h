#pragma once
// The computer player's eleven settings in torlo.exe: the one table from which reading,
// saving, the presets, the "CPU AI" page and the CLI are derived. Rows run in the page's order.
#include "core/base/places.h"
#include "core/base/workspace.h"
#include "core/base/outcome.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorvex {

enum class AiStore : std::uint8_t {
    Frequency,   // 16 bits shown unsigned, written as the low 16 bits clamped to 1..32767
    Word,        // 16 bits shown unsigned, written as the low 16 bits
    SignedWord,  // 16 bits shown signed, written as the low 16 bits
    SignedByte,  // 8 bits shown signed, written as the low 8 bits
};

struct AiField {
    std::string_view caption;
    std::string_view control;   // objectName of the edit field
    std::string_view key;       // the CLI's name
    std::uint32_t offset;
    AiStore store;
    int standard;               // the "Standard" preset
    int good;                   // the "Good" preset
};

inline constexpr int AiFrequencyMaxLength = 5;   // characters the first eight fields accept
inline constexpr std::size_t AiAdvancedFirst = 8; // the rows under "Advanced Settings"

inline constexpr std::array<AiField, 11> AiFields = {{
    {"Change weapon left", "Edit1", "CHANGELEFT", places::AiChangeLeft, AiStore::Frequency, 50, 2},
    {"Change weapon right", "Edit2", "CHANGERIGHT", places::AiChangeRight, AiStore::Frequency, 50, 2},
    {"Fire button press", "Edit3", "FIREPRESS", places::AiFirePress, AiStore::Frequency, 80, 5},
    {"Fire button release", "Edit4", "FIRERELEASE", places::AiFireRelease, AiStore::Frequency, 80, 40},
    {"Change button press", "Edit5", "CHANGEPRESS", places::AiChangePress, AiStore::Frequency, 300, 100},
    {"Change button release", "Edit6", "CHANGERELEASE", places::AiChangeRelease, AiStore::Frequency, 60, 2},
    {"Jump button press", "Edit7", "JUMPPRESS", places::AiJumpPress, AiStore::Frequency, 400, 20},
    {"Jump button release", "Edit8", "JUMPRELEASE", places::AiJumpRelease, AiStore::Frequency, 1, 1},
    {"Max. time to explode to calculate", "Edit34", "MAXEXPLODETIME", places::AiMaxExplodeTime, AiStore::Word, 500, 500},
    {"Absolute minimum range", "Edit63", "MINRANGE", places::AiMinimumRange, AiStore::SignedByte, 90, 90},
    {"Range calculation divisor", "Edit64", "RANGEDIVISOR", places::AiRangeDivisor, AiStore::SignedWord, 130, 130},
}};

// What the eleven fields hold, in the table's order.
using AiTexts = std::array<std::string, AiFields.size()>;

enum class AiPreset { Standard, Good };

std::optional<std::size_t> aiFieldByKey(std::string_view key);
std::optional<AiPreset> aiPresetByName(std::string_view name);   // "standard" or "good"

// The values in torlo.exe as the fields show them.
AiTexts readAiTexts(const Workspace& workspace);
AiTexts presetTexts(AiPreset preset);

// The value a field's number is written as (1..32767 for the frequencies, the low 16 or 8
// bits for the others), as the unsigned bits that go into the file.
std::uint16_t aiStoredBits(const AiField& field, std::int32_t typed);

// Converts all eleven texts first (ConvertError names the first that is not a number, and
// nothing is written), then writes them; "New AI settings saved".
Outcome saveAi(const Workspace& workspace, const AiTexts& texts);
// "Old AI settings loaded" (the caller shows the texts it read).
Outcome aiLoaded();

} // namespace quorvex
