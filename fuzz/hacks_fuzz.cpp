// The special hacks read from torlo.exe (every byte they read or write taken from the input; a
// longer input also cuts the file short): a short file is refused and not written; else a save
// of the values read changes no byte, and every hack stored by name after the read writes only
// its own bytes, and a second read gives the same field values
// (object counts capped at 24) and the same switches, for every switch whose bytes held its on
// or its off bytes and that no other switch that is on overwrites.
#include "fuzz_support.h"
#include "core/base/errors.h"
#include "core/hacks/hacks.h"

#include <algorithm>
#include <numeric>

using namespace quorvex;

namespace {

bool holds(const Bytes& exe, const std::array<BytePatch, 4>& patches)
{
    for (const auto& patch : patches)
        for (std::uint8_t i = 0; i < patch.count; ++i)
            if (exe[patch.offset + i] != patch.bytes[i])
                return false;
    return true;
}

// True when another switch that is on writes other bytes over one of this switch's bytes (a
// jetpack that is on also writes the bytes of the all-time jump).
bool overruled(const Bytes& exe, const HackValues& read, std::size_t item)
{
    for (std::size_t other = 0; other < HackCount; ++other) {
        if (other == item || !HackItems[other].isSwitch || !read.on[other])
            continue;
        for (const auto& patch : HackItems[other].on)
            for (std::uint8_t i = 0; i < patch.count; ++i)
                for (const auto& patches : {HackItems[item].on, HackItems[item].off})
                    for (const auto& own : patches)
                        for (std::uint8_t j = 0; j < own.count; ++j)
                            if (own.offset + j == patch.offset + i && exe[patch.offset + i] != patch.bytes[i])
                                return true;
    }
    return false;
}

std::string expectedAfterSave(const HackItem& item, const std::string& read)
{
    return item.write == HackWrite::CappedAt24 ? std::to_string(std::min(std::stoi(read), 24)) : read;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const auto places = fuzz::hackPlaces();
    const auto& workspace = fuzz::demoWorkspace();
    auto exe = fuzz::demoExeWith(fuzz::bytesOf(data, size), places);
    if (size > places.size())
        exe.resize(places[data[places.size()] % places.size()]);
    fuzz::writeInput(workspace.torloExe(), exe);

    HackValues read;
    try {
        read = readHacks(workspace);
    } catch (const FileError&) {
        fuzz::check(exe.size() <= places.back(), "only a file that ends before the last hack byte is refused");
        bool refused = false;
        try {
            saveHacks(workspace, designHackValues());
        } catch (const FileError&) {
            refused = true;
        }
        fuzz::check(refused || exe.size() > hackBytes(designHackValues()).back().offset, "a short file is refused by the save");
        if (refused)
            fuzz::check(readWholeFile(workspace.torloExe()) == exe, "a refused save writes nothing");
        return 0;
    }
    fuzz::check(exe.size() > places.back(), "a file that holds every hack byte is read");

    fuzz::check(saveHacks(workspace, read).succeeded(), "the hacks read are saved");
    fuzz::check(readWholeFile(workspace.torloExe()) == exe, "a save of the values read changes no byte");
    std::vector<std::size_t> every(HackCount);
    std::iota(every.begin(), every.end(), std::size_t{0});
    fuzz::check(saveHacks(workspace, read, false, every).succeeded(), "the hacks read are stored, every one named");
    const auto saved = readWholeFile(workspace.torloExe());
    fuzz::check(saved.size() == exe.size(), "torlo.exe never changes size");
    auto expected = exe;
    for (const auto& write : hackBytes(read))
        expected[write.offset] = write.value;
    fuzz::check(saved == expected, "the save writes its own bytes only");

    const auto again = readHacks(workspace);
    for (std::size_t i = 0; i < HackCount; ++i) {
        const auto& item = HackItems[i];
        if (item.isSwitch) {
            if ((holds(exe, item.on) || holds(exe, item.off)) && !overruled(exe, read, i))
                fuzz::check(again.on[i] == read.on[i],
                            std::string(item.key) + ": a switch that held its on or off bytes reads the same after a save");
        } else {
            fuzz::check(again.text[i] == expectedAfterSave(item, read.text[i]),
                        std::string(item.key) + ": a field reads the same after a save");
        }
    }
    return 0;
}
