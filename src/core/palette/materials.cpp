#include "core/palette/materials.h"
#include "core/gamefile/game_file.h"

namespace quorvex {

namespace {

// The five sets in their order in the block; each says whether a colour belongs to it.
constexpr std::size_t SetCount = places::MaterialsSize / places::MaterialSetSize;
static_assert(SetCount == 5);

bool inSet(const Materials& materials, std::size_t set, std::size_t colour)
{
    switch (set) {
    case 0: return materials.kind[colour] == KindBrownDirt;
    case 1: return materials.kind[colour] == KindGreenDirt;
    case 2: return materials.kind[colour] == KindRock;
    case 3: return materials.background[colour] == 1;
    default: return materials.shadow[colour] == 1;
    }
}

} // namespace

Materials materialsFromBlock(std::span<const std::uint8_t> block)
{
    Materials materials;
    for (std::size_t colour = 0; colour < 256; ++colour) {
        const auto bit = [&](std::size_t set) {
            return (block[set * places::MaterialSetSize + colour / 8] >> (colour % 8)) & 1;
        };
        // Later sets win: rock over green dirt over brown dirt.
        for (std::uint8_t kind = KindBrownDirt; kind <= KindRock; ++kind)
            if (bit(kind - 1u))
                materials.kind[colour] = kind;
        materials.background[colour] = static_cast<std::uint8_t>(bit(3));
        materials.shadow[colour] = static_cast<std::uint8_t>(bit(4));
    }
    return materials;
}

MaterialsBlock materialsToBlock(const Materials& materials)
{
    MaterialsBlock block{};
    for (std::size_t set = 0; set < SetCount; ++set)
        for (std::size_t colour = 0; colour < 256; ++colour)
            if (inSet(materials, set, colour))
                block[set * places::MaterialSetSize + colour / 8] |= static_cast<std::uint8_t>(1u << (colour % 8));
    return block;
}

Materials loadMaterials(const Workspace& workspace)
{
    GameFile exe(workspace, workspace.torloExe(), GameFile::Access::ReadOnly);
    return materialsFromBlock(exe.readAt(places::Materials, places::MaterialsSize));
}

std::size_t materialItemFor(std::uint8_t kind)
{
    for (std::size_t item = 0; item < MaterialItems.size(); ++item)
        if (MaterialItems[item].kind == kind)
            return item;
    return materialItemFor(KindUndefined);
}

std::uint8_t kindOfItem(int position)
{
    if (position < 0 || position >= static_cast<int>(MaterialItems.size()))
        return KindUndefined;
    return MaterialItems[static_cast<std::size_t>(position)].kind;
}

} // namespace quorvex
