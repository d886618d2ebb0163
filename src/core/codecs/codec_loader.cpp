#include "core/codecs/codec_loader.h"
#include "core/platform/module_loader.h"

#include <atomic>

namespace quorvex {

namespace {

std::atomic<const codecs::Table*> linked{nullptr};

const codecs::Table& loadedTable()
{
    static const codecs::Table& table = []() -> const codecs::Table& {
#ifdef QUORVEX_NO_CODECS
        // The Windows build: libzip, libsndfile and libsoxr are not built for it.
        throw ModuleError("zip archives and sound files are not available in this build of Quorvex");
#endif
        return moduleTable<codecs::Table>("quorvex-codecs", "quorvex_codecs", codecs::Version);
    }();
    return table;
}

} // namespace

const codecs::Table& codecTable()
{
    if (const auto* table = linked.load())
        return *table;
    return loadedTable();
}

void useLinkedCodecs(const codecs::Table& table)
{
    linked = &table;
}

} // namespace quorvex
