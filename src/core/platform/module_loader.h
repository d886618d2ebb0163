#pragma once
// Parts of Quorvex built as shared modules and loaded at their first use, so that the heavy
// libraries they link (Qt Multimedia, libsndfile, libzip, Qt Core for the CLI) are loaded only
// by a run that needs them. Qt-free, so that the CLI can use it before any Qt is loaded.
#include <filesystem>
#include <stdexcept>
#include <string>

namespace quorvex {

// A module that cannot be found or lacks its entry point; the text names both.
class ModuleError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The folder of the running executable.
std::filesystem::path programFolder();

// The file of module name in folder: "name.so" (".dll" on Windows).
std::filesystem::path moduleFile(const std::filesystem::path& folder, const std::string& name);

// The address of the entry point symbol of module name, whose file is loaded once and then
// kept. Looked up in $QUORVEX_MODULE_DIR when set, else beside the executable, else in the
// module folder (lib/quorvex) of the prefix the executable lies in, else in that of the
// installation as configured. Throws ModuleError.
void* moduleEntry(const std::string& name, const char* symbol);

// The entry point as the function type it has: extern "C" Entry symbol.
template <typename Entry>
Entry* moduleFunction(const std::string& name, const char* symbol)
{
    return reinterpret_cast<Entry*>(moduleEntry(name, symbol));
}

// The table of functions that a module's entry point (extern "C" const Table* symbol()) returns,
// checked to be of the version the caller was built with (its first member, `version`): a
// module of another build fails here, not in a call. Throws ModuleError.
template <typename Table>
const Table& moduleTable(const std::string& name, const char* symbol, int version)
{
    const auto* table = moduleFunction<const Table*()>(name, symbol)();
    if (!table || table->version != version)
        throw ModuleError("The part \"" + name + "\" of Quorvex is of another version");
    return *table;
}

} // namespace quorvex
