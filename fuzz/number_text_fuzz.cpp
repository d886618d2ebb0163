// Number texts: strToInt refuses exactly what tryStrToInt does not read, a number read prints
// and reads back the same, and the lenient reading never fails.
#include "fuzz_support.h"
#include "core/base/errors.h"
#include "core/text/number_text.h"

#include <string>

using namespace quorvex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto value = tryStrToInt(text);
    try {
        const auto strict = strToInt(text);
        fuzz::check(value && *value == strict, "strToInt and tryStrToInt agree");
    } catch (const ConvertError& error) {
        fuzz::check(!value, "strToInt refuses only what tryStrToInt does not read");
        if (text.find('\0') == std::string_view::npos)   // what() is a C string
            fuzz::check(std::string(error.what()) == "'" + std::string(text) + "' is not a valid integer value",
                        "the message quotes the text");
    }
    if (value)
        fuzz::check(tryStrToInt(std::to_string(*value)) == value, "a number read prints and reads back");
    const auto lenient = lenientInt(text);
    if (value && text.find_first_of("$xX") == std::string_view::npos)
        fuzz::check(lenient == *value, "a plain decimal number reads leniently as it does strictly");
    return 0;
}
