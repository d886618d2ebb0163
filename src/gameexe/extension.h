#pragma once
// The extension on which preview, activation and conversion dispatch: with its dot, upper case.
#include <filesystem>
#include <string>

namespace quorvex {

inline std::string upperExtension(const std::filesystem::path& file)
{
    std::string extension = file.extension().string();
    for (auto& c : extension)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return extension;
}

} // namespace quorvex
