#include "core/platform/module_loader.h"

#include <cstdlib>
#include <map>
#include <mutex>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace quorvex {

namespace {

#ifdef _WIN32
void* openLibrary(const fs::path& file, std::string& error)
{
    auto* handle = ::LoadLibraryW(file.c_str());
    if (!handle)
        error = "error " + std::to_string(::GetLastError());
    return reinterpret_cast<void*>(handle);
}
void* findSymbol(void* library, const char* symbol)
{
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(library), symbol));
}
#else
void* openLibrary(const fs::path& file, std::string& error)
{
    void* handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        error = ::dlerror();
    return handle;
}
void* findSymbol(void* library, const char* symbol) { return ::dlsym(library, symbol); }
#endif

std::vector<fs::path> moduleFolders()
{
    if (const char* overridden = std::getenv("QUORVEX_MODULE_DIR"); overridden && *overridden)
        return {fs::path(overridden)};
    // Beside the executable (the build tree), in the lib folder of the prefix the executable was
    // installed to (so an installed tree may move), and where it was configured to be installed.
    const auto program = programFolder();
    return {program, program.parent_path() / QUORVEX_MODULE_INSTALL_SUBDIR, fs::path(QUORVEX_MODULE_INSTALL_DIR)};
}

void* loadModule(const std::string& name)
{
    static std::mutex guard;
    // Kept for the process's lifetime, by file: the folders are looked up at every call, so
    // that a run (or a test) pointed at another folder never gets a module it does not have.
    static std::map<fs::path, void*> loaded;
    const std::lock_guard lock(guard);
    std::string errors;
    for (const auto& folder : moduleFolders()) {
        const auto file = moduleFile(folder, name);
        if (const auto found = loaded.find(file); found != loaded.end())
            return found->second;
        std::error_code ignored;
        if (!fs::exists(file, ignored))
            continue;
        std::string error;
        if (void* handle = openLibrary(file, error))
            return loaded[file] = handle;
        errors += "; " + file.string() + ": " + error;
    }
    throw ModuleError("The part \"" + name + "\" of Quorvex could not be loaded" +
                      (errors.empty() ? " (it is not installed)" : errors));
}

} // namespace

fs::path programFolder()
{
#ifdef _WIN32
    std::wstring buffer(32768, L'\0');
    const auto length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    buffer.resize(length);
    return fs::path(buffer).parent_path();
#else
    std::error_code error;
    const auto self = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::current_path(error) : self.parent_path();
#endif
}

fs::path moduleFile(const fs::path& folder, const std::string& name)
{
#ifdef _WIN32
    return folder / (name + ".dll");
#else
    return folder / (name + ".so");
#endif
}

void* moduleEntry(const std::string& name, const char* symbol)
{
    void* library = loadModule(name);
    void* entry = findSymbol(library, symbol);
    if (!entry)
        throw ModuleError("The part \"" + name + "\" of Quorvex lacks \"" + symbol + "\"; it is of another version");
    return entry;
}

} // namespace quorvex
