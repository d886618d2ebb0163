// A module of another build of Quorvex: the entry point of each of its modules gives a table of a
// version that no build has, so that the loaders refuse it before calling into it.
namespace {
struct Table {
    int version;
};
const Table other{-1};
} // namespace

#define QUORVEX_ENTRY(name) extern "C" __attribute__((visibility("default"))) const void* name() { return &other; }
QUORVEX_ENTRY(quorvex_codecs)
QUORVEX_ENTRY(quorvex_qt_services)
QUORVEX_ENTRY(quorvex_audio)
