#pragma once
// The save dialog as core operations ask it: the filter in the "Caption|*.ext|..." form and the
// proposed name (the source's full path); nullopt when cancelled. Conversions and plugin
// exports ask through it.
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace quorvex {

using TargetAsker = std::function<std::optional<std::filesystem::path>(const std::string& filter,
                                                                       const std::filesystem::path& proposed)>;

} // namespace quorvex
