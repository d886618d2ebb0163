#pragma once
// The core's way to the codecs of the module quorvex-codecs (core/codecs/codecs.h), which is loaded at
// the first sound import or archive operation.
#include "core/codecs/codecs.h"

namespace quorvex {

// The codecs' table. Throws ModuleError (core/platform/module_loader.h) when the module cannot be
// loaded or is of another version; the next call tries again.
const codecs::Table& codecTable();

// For a program that links the module's code in (the fuzz targets): that table, not the module.
void useLinkedCodecs(const codecs::Table& table);

} // namespace quorvex
