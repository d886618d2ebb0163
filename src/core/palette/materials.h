#pragma once
// The material of every colour: kind (brown dirt, green dirt, rock or none), background and
// shadow, held as three tables and stored in torlo.exe (and powerlevel 2 files) as five bit sets.
#include "core/base/places.h"
#include "core/base/workspace.h"

#include <array>
#include <cstdint>
#include <span>

namespace quorvex {

// Material kinds as the game numbers them.
inline constexpr std::uint8_t KindUndefined = 0;
inline constexpr std::uint8_t KindBrownDirt = 1;
inline constexpr std::uint8_t KindGreenDirt = 2;
inline constexpr std::uint8_t KindRock = 3;
inline constexpr std::uint8_t KindLast = KindRock;

struct Materials {
    std::array<std::uint8_t, 256> kind{};         // 0..3
    std::array<std::uint8_t, 256> background{};   // 0 or 1
    std::array<std::uint8_t, 256> shadow{};       // 0 or 1
    bool operator==(const Materials&) const = default;
};

using MaterialsBlock = std::array<std::uint8_t, places::MaterialsSize>;

// From the five bit sets: a colour in several kind sets takes the last one (rock over green dirt
// over brown dirt). block holds at least 160 bytes.
Materials materialsFromBlock(std::span<const std::uint8_t> block);
// To the five bit sets: each colour lands in at most one kind set.
MaterialsBlock materialsToBlock(const Materials& materials);

// The materials of torlo.exe; a missing or short file raises the file error.
Materials loadMaterials(const Workspace& workspace);

// The material list of the page, in its order, with the kind each item stands for.
struct MaterialItem {
    const char* caption;
    std::uint8_t kind;
};
inline constexpr std::array<MaterialItem, 4> MaterialItems = {{
    {"Brown dirt", KindBrownDirt},
    {"Green dirt", KindGreenDirt},
    {"Rock", KindRock},
    {"Undefined", KindUndefined},
}};
// The item that shows a kind: any value that is no kind shows as "Undefined".
std::size_t materialItemFor(std::uint8_t kind);
// The kind an item stands for; no item (a negative position) stands for undefined.
std::uint8_t kindOfItem(int position);

} // namespace quorvex
