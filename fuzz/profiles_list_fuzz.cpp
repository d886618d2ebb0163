// profiles.txt as anyone may have written it: every profile read has a valid name and files
// with versions, and switching to each writes nothing outside the game folder and never
// changes torlo.exe's size.
#include "core/base/errors.h"
#include "core/store/data_list.h"
#include "core/store/profiles.h"
#include "fuzz_support.h"

using namespace quorvex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto& game = fuzz::listsGame();
    const auto& ws = game.workspace;
    fuzz::writeList("profiles.txt", fuzz::bytesOf(data, size));
    const BackupKeeper keeper(ws);
    Profiles profiles(keeper, {ws.torloExe(), ws.torloDat(), ws.torloChr(), ws.torloSnd()});
    try {
        for (const auto& profile : profiles.list()) {
            fuzz::check(profileNameProblem(profile.name).empty() && !profile.files.empty(), "a damaged profile was read");
            for (const auto& [file, version] : profile.files)
                fuzz::check(isVersionName(version), "a profile with a damaged version was read");
            profiles.switchTo(profile.name);
        }
        profiles.damage();
    } catch (const FileError&) {
    }
    fuzz::checkAndRestoreListsGame();
    return 0;
}
