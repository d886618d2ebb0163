#include "browser/file_list.h"

#include <algorithm>
#include <array>

namespace fs = std::filesystem;

namespace quorvex {

namespace {

char upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

// Iterative wildcard match with one backtrack point, linear for the "*.EXT" patterns we use.
bool matchesPattern(std::string_view name, std::string_view pattern)
{
    std::size_t n = 0, p = 0, starAt = std::string_view::npos, resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || upper(pattern[p]) == upper(name[n]))) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starAt = p++;
            resumeAt = n;
        } else if (starAt != std::string_view::npos) {
            p = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

// Case-insensitive three-way comparison of byte texts.
int compareIgnoringCase(std::string_view a, std::string_view b)
{
    const auto common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const auto x = static_cast<unsigned char>(upper(a[i])), y = static_cast<unsigned char>(upper(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

std::string_view extensionOf(std::string_view name)
{
    const auto dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view{} : name.substr(dot);
}

} // namespace

bool matchesMask(std::string_view name, std::string_view mask)
{
    while (!mask.empty()) {
        const auto end = mask.find(';');
        const auto pattern = mask.substr(0, end);
        if (!pattern.empty() && matchesPattern(name, pattern))
            return true;
        if (end == std::string_view::npos)
            break;
        mask.remove_prefix(end + 1);
    }
    return false;
}

std::vector<std::string> listModFiles(const fs::path& folder, std::string_view mask, bool sortByExtension)
{
    std::vector<std::string> names;
    if (mask.empty())
        return names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError))
            continue;
        auto name = it->path().filename().string();
        if (matchesMask(name, mask))
            names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const int order = compareIgnoringCase(a, b);
        return order != 0 ? order < 0 : a < b;
    });
    if (sortByExtension)
        std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
            return compareIgnoringCase(extensionOf(a), extensionOf(b)) < 0;
        });
    return names;
}

FileCommands commandsFor(std::string_view extension)
{
    struct Row {
        std::string_view extension;
        bool edit, activate, convert;
        std::optional<BrowserPage> page;
    };
    static constexpr std::array<Row, 11> Table = {{
        {".LEV", true, true, true, BrowserPage::Graphics},
        {".BMP", true, false, true, BrowserPage::Graphics},
        {".CHR", false, true, true, BrowserPage::Graphics},
        {".ACT", false, true, true, BrowserPage::Graphics},
        {".PAL", false, true, true, BrowserPage::Graphics},
        {".LPL", false, true, true, BrowserPage::Graphics},
        {".SND", false, true, false, BrowserPage::Sounds},
        {".ZIP", false, false, false, std::nullopt},
        {".LWP", true, true, false, BrowserPage::Weapons},
        {".LLF", true, true, false, BrowserPage::About},
        {".LFT", false, false, false, BrowserPage::About},
    }};
    for (const auto& row : Table)
        if (row.extension == extension)
            return {row.edit, row.activate, row.convert, row.page};
    return {};
}

} // namespace quorvex
