// The settings file as the CLI reads it without Qt: any bytes give settings whose texts are
// valid UTF-8 and whose numbers come from their texts, and reading never fails.
#include "fuzz_support.h"
#include "core/text/utf8.h"
#include "core/platform/settings_file.h"
#include "core/shell/settings.h"

#include <string_view>

using namespace quorvex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const IniSettings settings(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const auto& entry : AllSettings) {
        const auto* value = settings.find(entry.name);
        if (!value || !value->readable)
            continue;
        if (value->text) {
            try {
                decodeUtf8(*value->text);
            } catch (const Utf8Error&) {
                fuzz::check(false, "a text read is valid UTF-8");
            }
        }
        fuzz::check(!value->integer || (value->text && !value->text->empty()), "a number has a text");
        fuzz::check(value->text || !value->integer, "@Invalid() holds no number");
    }
    return 0;
}
