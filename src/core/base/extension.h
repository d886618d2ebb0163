#pragma once
// The extension on which preview, activation and conversion dispatch: with its dot, upper case.
#include "core/os/files.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace quorvex {

// Letters a to z in upper case, every other byte as it is (file names are not game text).
inline std::string upperCase(std::string_view text)
{
    std::string upper(text);
    for (auto& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return upper;
}

inline std::string upperExtension(const std::filesystem::path& file)
{
    return upperCase(os::textOf(file.extension()));
}

} // namespace quorvex
