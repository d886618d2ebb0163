#pragma once
// The lines and the key and value split of the plugin and translation readers.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quorvex {

// The lines of a text: split at line feeds, a carriage return before one dropped, so files with
// lone line feeds read as well as CR LF ones. The text after the last line end is a line too.
inline std::vector<std::string_view> linesOf(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const auto end = text.find('\n');
        auto line = text.substr(0, end);
        if (end != std::string_view::npos && !line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

// A line cut at its first colon, the key keeping the colon, the value the rest unchanged.
// No colon: empty key, whole line value.
inline std::pair<std::string_view, std::string_view> splitKeyValue(std::string_view line)
{
    const auto colon = line.find(':');
    if (colon == std::string_view::npos)
        return {{}, line};
    return {line.substr(0, colon + 1), line.substr(colon + 1)};
}

// A plugin's key ("AMMO:") as the changes view names it ("AMMO").
inline std::string withoutColon(std::string_view key)
{
    return std::string(key.substr(0, key.size() - (key.ends_with(':') ? 1 : 0)));
}

} // namespace quorvex
