#pragma once
// The key and value split of the plugin and translation readers: a line cut at its first colon,
// the key keeping the colon, the value the rest unchanged. No colon: empty key, whole line value.
#include <string_view>
#include <utility>

namespace quorvex {

inline std::pair<std::string_view, std::string_view> splitKeyValue(std::string_view line)
{
    const auto colon = line.find(':');
    if (colon == std::string_view::npos)
        return {{}, line};
    return {line.substr(0, colon + 1), line.substr(colon + 1)};
}

} // namespace quorvex
