// backups.txt as anyone may have written it: a restore of every backup listed writes nothing
// outside the game folder and never changes torlo.exe's size.
#include "core/base/errors.h"
#include "core/store/backups.h"
#include "fuzz_support.h"

using namespace quorvex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto& game = fuzz::listsGame();
    fuzz::writeList("backups.txt", fuzz::bytesOf(data, size));
    BackupKeeper keeper(game.workspace);
    try {
        const auto listed = keeper.list();
        keeper.damaged();
        keeper.damage();
        for (const auto& backup : listed)
            keeper.restore(backup.id, [](std::string_view) { return true; });
    } catch (const FileError&) {
    }
    fuzz::checkAndRestoreListsGame();
    return 0;
}
