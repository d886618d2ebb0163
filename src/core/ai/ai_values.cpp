#include "core/ai/ai_values.h"
#include "core/base/errors.h"
#include "core/gamefile/game_file.h"
#include "core/text/number_text.h"

#include <algorithm>

namespace quorvex {

namespace {

bool isByte(const AiField& field)
{
    return field.store == AiStore::SignedByte;
}

std::string shownText(const AiField& field, std::uint16_t bits)
{
    switch (field.store) {
    case AiStore::SignedByte: return std::to_string(static_cast<std::int8_t>(bits & 0xFF));
    case AiStore::SignedWord: return std::to_string(static_cast<std::int16_t>(bits));
    case AiStore::Frequency:
    case AiStore::Word: break;
    }
    return std::to_string(bits);
}

} // namespace

std::optional<std::size_t> aiFieldByKey(std::string_view key)
{
    for (std::size_t k = 0; k < AiFields.size(); ++k)
        if (AiFields[k].key == key)
            return k;
    return std::nullopt;
}

std::optional<AiPreset> aiPresetByName(std::string_view name)
{
    if (name == "standard")
        return AiPreset::Standard;
    if (name == "good")
        return AiPreset::Good;
    return std::nullopt;
}

AiTexts readAiTexts(const Workspace& workspace)
{
    GameFile exe(workspace, workspace.torloExe(), GameFile::Access::ReadOnly);
    AiTexts texts;
    for (std::size_t k = 0; k < AiFields.size(); ++k) {
        const auto& field = AiFields[k];
        const auto bytes = exe.readAt(field.offset, isByte(field) ? 1 : 2);
        texts[k] = shownText(field, isByte(field) ? bytes[0] : static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8));
    }
    return texts;
}

AiTexts presetTexts(AiPreset preset)
{
    AiTexts texts;
    for (std::size_t k = 0; k < AiFields.size(); ++k)
        texts[k] = std::to_string(preset == AiPreset::Standard ? AiFields[k].standard : AiFields[k].good);
    return texts;
}

std::uint16_t aiStoredBits(const AiField& field, std::int32_t typed)
{
    const auto low16 = static_cast<std::uint16_t>(static_cast<std::uint32_t>(typed) & 0xFFFF);
    switch (field.store) {
    case AiStore::Frequency: return std::clamp<std::uint16_t>(low16, 1, 32767);
    case AiStore::SignedByte: return low16 & 0xFF;
    case AiStore::Word:
    case AiStore::SignedWord: break;
    }
    return low16;
}

Outcome saveAi(const Workspace& workspace, const AiTexts& texts)
{
    std::array<std::uint16_t, AiFields.size()> bits{};
    for (std::size_t k = 0; k < AiFields.size(); ++k)
        bits[k] = aiStoredBits(AiFields[k], strToInt(texts[k]));

    GameFile exe(workspace, workspace.torloExe());
    // A torlo.exe too short for a place is refused before the first write, never grown.
    for (const auto& field : AiFields)
        exe.requireSize(field.offset + (isByte(field) ? 1u : 2u));
    for (std::size_t k = 0; k < AiFields.size(); ++k) {
        const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(bits[k] & 0xFF), static_cast<std::uint8_t>(bits[k] >> 8)};
        exe.writeAt(AiFields[k].offset, std::span<const std::uint8_t>(bytes, isByte(AiFields[k]) ? 1 : 2));
    }
    return Outcome::done("New AI settings saved", "New AI settings saved").changing(GamePart::Ai);
}

Outcome aiLoaded()
{
    return Outcome::done("Old AI settings loaded");
}

} // namespace quorvex
