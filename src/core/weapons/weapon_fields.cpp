#include "core/weapons/weapon_fields.h"

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
    return fieldByKey(WeaponFields, key);
}

} // namespace quorvex
