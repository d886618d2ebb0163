#include "core/weapons/weapon_names.h"
#include "core/base/places.h"

#include <algorithm>

namespace quorvex {

std::string decodeWeaponName(std::span<const std::uint8_t> slot)
{
    const std::size_t stored = std::min<std::size_t>(slot[0], places::WeaponNameMax);
    std::string name(slot.begin() + 1, slot.begin() + 1 + stored);
    return name.substr(0, name.find('~'));
}

std::array<std::uint8_t, 14> encodeWeaponName(const std::string& name)
{
    std::array<std::uint8_t, 14> slot{};
    const std::size_t length = std::min<std::size_t>(name.size(), places::WeaponNameMax);
    slot[0] = static_cast<std::uint8_t>(length);
    std::copy_n(name.begin(), length, slot.begin() + 1);
    return slot;
}

std::string readWeaponName(GameFile& exe, int slot)
{
    const auto bytes = exe.readAt(places::WeaponNames + places::WeaponNameSlot * slot, places::WeaponNameSlot);
    return decodeWeaponName(bytes);
}

WeaponNames readWeaponNames(GameFile& exe)
{
    const auto block = exe.readAt(places::WeaponNames, places::WeaponNameSlot * places::WeaponCount);
    WeaponNames names;
    for (int i = 0; i < places::WeaponCount; ++i)
        names[i] = decodeWeaponName(std::span(block).subspan(places::WeaponNameSlot * i, places::WeaponNameSlot));
    return names;
}

void writeWeaponName(GameFile& exe, int slot, const std::string& name)
{
    exe.writeAt(places::WeaponNames + places::WeaponNameSlot * slot, encodeWeaponName(name));
}

} // namespace quorvex
