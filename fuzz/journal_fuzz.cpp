// journal.txt as a stop or anyone may have left it: the next operation finishes it (putting
// back the files it names as they were, or leaving them when the history holds its step) or
// refuses with a FileError, and never writes outside the game folder or changes torlo.exe's
// size; a journal finished is gone.
#include "core/base/errors.h"
#include "core/gamefile/game_lock.h"
#include "core/store/game_change.h"
#include "fuzz_support.h"

using namespace quorvex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto& game = fuzz::listsGame();
    fuzz::writeList("journal.txt", fuzz::bytesOf(data, size));
    const BackupKeeper keeper(game.workspace);
    try {
        const GameLock lock(game.workspace);
        fuzz::check(finishUnfinishedChange(keeper), "the journal left was not found");
        fuzz::check(!std::filesystem::exists(journalFile(keeper)), "a finished journal was left");
    } catch (const FileError&) {
    }
    fuzz::checkAndRestoreListsGame();
    return 0;
}
