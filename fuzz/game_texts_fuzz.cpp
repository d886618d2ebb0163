// The game texts read from torlo.exe (its text fields taken from the input): each text is its
// field cut before the first "~"; written to a translation file and activated again, or saved,
// they leave torlo.exe as it was but for what those writes own (the second place of "Print
// Screen" copied to the first, the file names' design texts). An exported text with a line
// break is refused by the export, which then writes no file; the texts it does not export may
// hold one.
#include "core/formats/activation.h"
#include "fuzz_support.h"
#include "core/texts/game_texts.h"
#include "core/texts/translation.h"

#include <algorithm>

namespace fs = std::filesystem;
using namespace quorvex;

namespace {

void put(Bytes& exe, std::uint32_t offset, std::string_view text)
{
    std::copy(text.begin(), text.end(), exe.begin() + offset);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const auto places = fuzz::gameTextPlaces();
    const auto& workspace = fuzz::demoWorkspace();
    const auto exe = fuzz::demoExeWith(fuzz::bytesOf(data, size), places);
    fuzz::writeInput(workspace.torloExe(), exe);

    const auto values = readGameTexts(workspace);
    auto expected = exe;
    for (std::size_t i = 0; i < GameTextCount; ++i) {
        const auto& text = GameTexts[i];
        if (!text.use.read) {
            fuzz::check(values[i] == text.designText, "an entry that is not read keeps its design text");
            continue;
        }
        const auto at = text.secondOffset ? text.secondOffset : text.offset;
        const std::string field(exe.begin() + at, exe.begin() + at + text.width);
        fuzz::check(values[i] == field.substr(0, field.find('~')), "a text is its field up to the first ~");
        if (text.secondOffset)
            put(expected, text.offset, values[i]);
    }

    const auto name = translationName(fuzz::scratch() / "Back.llf");
    fs::remove(name.file);
    const auto exported = exportTranslation(name, "Author", "https://example.org", values);
    bool lineBreak = false;
    for (std::size_t i = 0; i < GameTextCount; ++i)
        lineBreak = lineBreak || (GameTexts[i].use.exported && values[i].find_first_of("\r\n") != std::string::npos);
    fuzz::check(exported.succeeded() != lineBreak, "the export refuses exactly the exported texts with a line break");
    if (exported.succeeded()) {
        const auto activated = activateFile(name.file, fuzz::scratch(), workspace, [](std::string_view) { return true; });
        fuzz::check(activated.outcome.succeeded(), "an exported translation activates");
        fuzz::check(readWholeFile(workspace.torloExe()) == expected, "the texts come back from their translation file");
    } else {
        fuzz::check(!fs::exists(name.file), "a refused export writes no file");
    }

    fuzz::writeInput(workspace.torloExe(), exe);
    fuzz::check(saveGameTexts(workspace, values).succeeded(), "the texts read are saved");
    for (const auto& text : GameTexts)
        if (text.use.saved && !text.use.read)
            put(expected, text.offset, text.designText);
    fuzz::check(readWholeFile(workspace.torloExe()) == expected, "saving the texts read changes only what the save owns");
    return 0;
}
