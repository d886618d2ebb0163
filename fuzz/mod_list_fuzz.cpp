// mods.txt as anyone may have written it: every entry read is whole (a known kind, a unique
// ID, its files bare names with versions' names), the list writes back as it reads, and
// switching and moving entries is done or refused, never writing outside the game
// folder or changing torlo.exe's size.
#include "core/base/errors.h"
#include "core/mods/mods.h"
#include "core/store/backups.h"
#include "core/store/data_list.h"
#include "fuzz_support.h"

#include <set>

using namespace quorvex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto& game = fuzz::modsGame();
    const auto& ws = game.workspace;
    fuzz::writeList("mods.txt", fuzz::bytesOf(data, size), game);
    const auto file = BackupKeeper(ws).modListFile();
    try {
        const auto list = readModList(file);
        std::set<long> ids;
        for (const auto& entry : list.entries) {
            fuzz::check(entry.id > 0 && ids.insert(entry.id).second && entry.id <= list.lastId, "an entry with a damaged ID was read");
            for (const auto& [name, version] : entry.game)
                fuzz::check(isVersionName(version) && name.find_first_of("/\\") == std::string::npos,
                            "an entry with a damaged file was read");
        }
        writeFileAtomically(file, modListText(list, ws.gameFolder));
        fuzz::check(modListText(readModList(file), ws.gameFolder) == modListText(list, ws.gameFolder),
                    "the list read back differs from the list written");
        const auto count = static_cast<long>(list.entries.size());
        switchMod(ws, 1, false);
        moveMod(ws, count, 1);
    } catch (const FileError&) {
    }
    fuzz::checkAndRestoreListsGame(game);
    return 0;
}
