#include "core/base/workspace.h"
#include "core/os/files.h"
#include "core/base/errors.h"
#include "core/base/places.h"

#include <algorithm>

namespace fs = std::filesystem;

namespace quorvex {

bool sameNameIgnoringCase(const std::string& a, const std::string& b)
{
    auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
    return a.size() == b.size()
           && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

fs::path findGameFile(const fs::path& folder, const std::string& name)
{
    if (folder.empty())
        return {};
    const auto exact = folder / os::pathFromText(name);
    std::error_code error;
    if (fs::exists(exact, error))
        return exact;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (sameNameIgnoringCase(os::textOf(it->path().filename()), name))
            return it->path();
    }
    return exact;
}

fs::path absolutePath(const fs::path& path)
{
    if (path.empty())
        return path;
    std::error_code error;
    const auto absolute = fs::absolute(path, error);
    return error ? path : absolute.lexically_normal();
}

fs::path Workspace::existingTorloExe() const
{
    auto exe = torloExe();
    std::error_code error;
    if (!exe.empty() && fs::exists(exe, error))
        return exe;
    const std::string remedy = " \u2014 set the game folder on the Options page";
    if (gameFolder.empty())
        throw FileError("torlo.exe was not found: no game folder is set" + remedy);
    throw FileError("torlo.exe was not found in " + os::textOf(gameFolder) + remedy);
}

fs::path Workspace::weaponBitmap() const { return dataFolder / places::WeaponBitmapName; }
fs::path Workspace::soundWorkFile() const { return dataFolder / places::SoundWorkName; }
fs::path Workspace::previewBitmap() const { return tempFolder / places::PreviewBitmapName; }
fs::path Workspace::logFile() const { return dataFolder / places::LogFileName; }

} // namespace quorvex
