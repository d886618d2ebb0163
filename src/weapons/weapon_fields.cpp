#include "weapons/weapon_fields.h"

#include <algorithm>
#include <numeric>

namespace quorvex {

std::optional<std::size_t> weaponFieldByControl(std::string_view control)
{
    for (std::size_t k = 0; k < WeaponFields.size(); ++k)
        if (WeaponFields[k].control == control)
            return k;
    return std::nullopt;
}

std::optional<std::size_t> weaponFieldByKey(std::string_view key)
{
    if (key.empty())
        return std::nullopt;
    for (std::size_t k = 0; k < WeaponFields.size(); ++k) {
        const auto withColon = WeaponFields[k].pluginKey;
        if (withColon == key || (key.back() != ':' && withColon.substr(0, withColon.size() - 1) == key))
            return k;
    }
    return std::nullopt;
}

std::array<std::size_t, WeaponFields.size()> weaponFieldsInRecordOrder()
{
    std::array<std::size_t, WeaponFields.size()> order;
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(),
              [](std::size_t a, std::size_t b) { return WeaponFields[a].pluginLine < WeaponFields[b].pluginLine; });
    return order;
}

} // namespace quorvex
