// Translation files (.LLF) activated on a demo game: a refused or unanswered file writes
// nothing, torlo.exe never changes size, and an accepted one writes lines 7 to 170, each cut to
// its field, at their places and nowhere else (line 145 at both of its places); an empty line
// writes nothing.
#include "core/formats/activation.h"
#include "fuzz_support.h"
#include "core/texts/game_texts.h"
#include "core/texts/translation.h"

#include <algorithm>

namespace fs = std::filesystem;
using namespace quorvex;

namespace {

// The lines as a reader of either line end sees them.
std::vector<std::string> linesOf(std::span<const std::uint8_t> bytes)
{
    std::vector<std::string> lines(1);
    for (auto byte : bytes) {
        if (byte != '\n') {
            lines.back() += static_cast<char>(byte);
            continue;
        }
        if (!lines.back().empty() && lines.back().back() == '\r')
            lines.back().pop_back();
        lines.emplace_back();
    }
    if (lines.back().empty())
        lines.pop_back();
    return lines;
}

Bytes translated(std::span<const std::uint8_t> file)
{
    const auto lines = linesOf(file);
    auto exe = fuzz::demoExe();
    for (const auto& text : GameTexts) {
        if (!text.use.applied || text.line > static_cast<int>(lines.size()))
            continue;
        const auto& line = lines[static_cast<std::size_t>(text.line - 1)];
        const auto cut = std::string_view(line).substr(0, text.width);
        if (cut.empty())
            continue;   // an empty line is an empty text, which writes nothing
        for (auto offset : {text.offset, text.secondOffset})
            if (offset != 0) {
                const std::string stored(exe.begin() + offset, exe.begin() + offset + text.width);
                const auto filled = filledField(cut, stored);
                std::copy(filled.begin(), filled.end(), exe.begin() + offset);
            }
    }
    return exe;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto input = fuzz::bytesOf(data, size);
    const auto& workspace = fuzz::demoWorkspace();
    static const auto dat = readWholeFile(workspace.torloDat());
    fuzz::restoreDemoExe();
    const auto file = fuzz::scratch() / "IN.LLF";
    fuzz::writeInput(file, input);

    const auto activation = activateFile(file, fuzz::scratch(), workspace, fuzz::answersFrom(input));
    const auto exe = readWholeFile(workspace.torloExe());
    fuzz::check(exe.size() == fuzz::demoExe().size(), "torlo.exe never changes size");
    fuzz::check(readWholeFile(workspace.torloDat()) == dat, "torlo.dat is not touched");
    if (!activation.outcome.succeeded()) {
        fuzz::check(exe == fuzz::demoExe(), "a refused or unanswered translation writes nothing");
        return 0;
    }
    fuzz::check(exe == translated(input), "each line is written cut to its field and padded with spaces, at its places only");
    return 0;
}
