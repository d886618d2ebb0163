#include "core/fields/table_field.h"

#include <algorithm>
#include <numeric>

namespace quorvex {

std::optional<std::size_t> fieldByKey(std::span<const TableField> fields, std::string_view key)
{
    if (key.empty())
        return std::nullopt;
    for (std::size_t k = 0; k < fields.size(); ++k) {
        const auto withColon = fields[k].pluginKey;
        if (withColon == key || (key.back() != ':' && withColon.substr(0, withColon.size() - 1) == key))
            return k;
    }
    return std::nullopt;
}

std::vector<std::size_t> fieldsInRecordOrder(std::span<const TableField> fields)
{
    std::vector<std::size_t> order(fields.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return fields[a].pluginLine < fields[b].pluginLine; });
    return order;
}

} // namespace quorvex
