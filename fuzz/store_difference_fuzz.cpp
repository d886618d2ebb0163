// The store's difference entries: any entry as a version's differences is read as that version
// or refused as damaged (never a read past an end); and the bytes made from the input as an
// edit of a whole version, kept with it as base, read back as they were kept.
#include "core/base/errors.h"
#include "core/store/version_store.h"
#include "core/text/sha256.h"
#include "fuzz_support.h"

#include <algorithm>

using namespace quorvex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto input = fuzz::bytesOf(data, size);
    const auto folder = fuzz::scratch() / "store";
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    const VersionStore store(folder);
    static const Bytes base = [] {
        Bytes bytes(4096);
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
        return bytes;
    }();
    const auto baseVersion = store.putWhole(base);

    // The input as a difference entry of some version on this base.
    const auto version = sha256Hex(input);
    Bytes entry(baseVersion.begin(), baseVersion.end());
    entry.push_back('\n');
    entry.insert(entry.end(), input.begin(), input.end());
    fuzz::writeInput(folder / (version + ".diff"), entry);
    try {
        fuzz::check(sha256Hex(store.get(version, "file")) == version, "a version read is not the version named");
    } catch (const FileError&) {
    }
    std::filesystem::remove(folder / (version + ".diff"), ignored);

    // The input laid over the base at the place its first two bytes give.
    auto edited = base;
    if (size >= 2) {
        const std::size_t at = (data[0] | data[1] << 8) % base.size();
        const auto count = std::min(size - 2, base.size() - at);
        std::copy_n(data + 2, count, edited.begin() + static_cast<std::ptrdiff_t>(at));
    }
    const auto kept = store.put(edited, baseVersion);
    fuzz::check(store.get(kept, "file") == edited, "a version kept as differences reads back otherwise");
    return 0;
}
