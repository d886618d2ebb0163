// history.txt of a game as anyone may have written it: the steps read are whole (each with its
// files, every version a version's name), and an undo and a redo of them write nothing outside
// the game folder and never change torlo.exe's size.
#include "core/base/errors.h"
#include "core/store/data_list.h"
#include "core/store/history.h"
#include "fuzz_support.h"

using namespace quorvex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto& game = fuzz::listsGame();
    fuzz::writeList("history.txt", fuzz::bytesOf(data, size));
    const BackupKeeper keeper(game.workspace);
    const History history(keeper);
    for (const auto& step : history.steps()) {
        fuzz::check(step.id > 0 && !step.files.empty(), "a step without an ID or files was read");
        for (const auto& file : step.files)
            fuzz::check((file.before.empty() || isVersionName(file.before)) && (file.after.empty() || isVersionName(file.after)),
                        "a step with a damaged version was read");
    }
    history.damage();
    try {
        History(keeper).undo();
        History(keeper).redo();
    } catch (const FileError&) {
    }
    fuzz::checkAndRestoreListsGame();
    return 0;
}
